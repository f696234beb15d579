// What the first digits of a SIM's IMSI say: the MCC and MNC of the network that issued it, and
// the operators of the kit's table that use that code. Nothing past those digits is ever taken:
// the rest of an IMSI names the subscriber.
#pragma once

#include <cstddef>
#include <string_view>

#include "operator_table.h"
#include "verbs.h"

// The most operators one network code gathers here; the database's most shared code has 16.
inline constexpr size_t kMostSimOperators = 32;

struct SimNetwork {
  char mcc[4] = {};
  // The MNC as the table knows it, two or three digits; when the table cannot tell, both
  // readings ("26 or 260").
  char mnc[11] = {};
  bool mncKnown = false;
  unsigned short operators[kMostSimOperators] = {};  // in the database's order
  size_t count = 0;
};

// The network of the IMSI whose first six digits are `digits`; false when they are not six
// digits.
bool FindSimNetwork(std::string_view digits, SimNetwork& network);

// The operator's first APN for the internet, in the database's order; null when it has none.
const operator_table::Apn* FirstInternetApn(unsigned short op);

// Whether `apn`, in any case, is an APN for the internet of one of the network's operators.
bool IsInternetApnOf(const SimNetwork& network, std::string_view apn);

// "SIM's network (MCC 262, MNC 01): Telekom; APN for the internet: internet.telekom", or one
// line for the code and one for each operator that shares it.
void SaySimNetwork(const SimNetwork& network, Console& console);
