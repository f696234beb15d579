#include "sim_network.h"

#include <cstring>

#include "verb_steps.h"

namespace {

using operator_table::Apn;
using operator_table::kApns;
using operator_table::kNetworks;
using operator_table::kOperators;
using operator_table::Text;
using operator_table::Usage;

// `count` characters of `text` from `from`; substr() would bring in the exception run time the
// kit's programs are built without.
std::string_view Part(std::string_view text, size_t from, size_t count) {
  return std::string_view(text.data() + from, count);
}

unsigned Number(std::string_view digits) {
  unsigned number = 0;
  for (const char c : digits) number = number * 10 + static_cast<unsigned>(c - '0');
  return number;
}

// Adds `op` where it belongs in the database's order, once.
void AddOperator(SimNetwork& network, unsigned short op) {
  size_t at = 0;
  while (at < network.count && network.operators[at] < op) ++at;
  if ((at < network.count && network.operators[at] == op) || network.count == kMostSimOperators)
    return;
  std::memmove(network.operators + at + 1, network.operators + at,
               (network.count - at) * sizeof network.operators[0]);
  network.operators[at] = op;
  ++network.count;
}

// A line said whole, or not at all.
class Line {
 public:
  void Add(std::string_view part) { whole_ = whole_ && text_.Append(part); }
  void Clear() {
    text_.Clear();
    whole_ = true;
  }
  const char* Said() {
    Add(kTextEnd);
    return whole_ ? text_.View().data() : "(no memory for the message)";
  }

 private:
  GrowingText text_;
  bool whole_ = true;
};

void Copy(std::string_view text, char* to) {
  std::memcpy(to, text.data(), text.size());
  to[text.size()] = '\0';
}

// "web.vodafone.de", with the user name and password the database gives for it.
void SayOperator(unsigned short op, Line& line) {
  line.Add(Text(kOperators[op].name));
  const Apn* apn = FirstInternetApn(op);
  if (apn) {
    line.Add("; APN for the internet: ");
    line.Add(Text(apn->value)[0] ? Text(apn->value) : "\"\" (none)");
    if (Text(apn->user)[0]) {
      line.Add(", user name ");
      line.Add(Text(apn->user));
    }
    if (Text(apn->password)[0]) {
      line.Add(", password ");
      line.Add(Text(apn->password));
    }
    return;
  }
  bool mms = false;
  for (unsigned i = 0; i < kOperators[op].apns; ++i)
    mms = mms || kApns[kOperators[op].firstApn + i].usage == Usage::kMms;
  line.Add(kOperators[op].apns == 0 ? "; the database knows none of its APNs"
           : mms                    ? "; no APN for the internet, only for MMS"
                                    : "; no APN for the internet");
}

}  // namespace

bool FindSimNetwork(std::string_view digits, SimNetwork& network) {
  network = SimNetwork();
  if (digits.size() != 6) return false;
  for (const char c : digits)
    if (c < '0' || c > '9') return false;
  const unsigned mcc = Number(Part(digits, 0, 3));
  const unsigned two = Number(Part(digits, 3, 2));
  const unsigned three = Number(Part(digits, 3, 3));
  bool twoMatch = false, threeMatch = false, twoKnown = false, threeKnown = false;
  for (unsigned i = 0; i < operator_table::kNetworkCount; ++i) {
    const operator_table::Network& code = kNetworks[i];
    if (code.mcc != mcc) continue;
    const bool isTwo = code.mncDigits == 2;
    twoKnown = twoKnown || isTwo;
    threeKnown = threeKnown || !isTwo;
    if (code.mnc != (isTwo ? two : three)) continue;
    (isTwo ? twoMatch : threeMatch) = true;
    AddOperator(network, code.op);
  }
  Copy(Part(digits, 0, 3), network.mcc);
  // The SIM alone says how long its MNC is in a file the kit does not read; the table says it
  // where its codes of the country are of one length, or where just one reading matches.
  const bool useTwo = twoMatch || (!threeMatch && twoKnown);
  const bool useThree = threeMatch || (!twoMatch && threeKnown);
  network.mncKnown = useTwo != useThree;
  if (network.mncKnown) {
    Copy(Part(digits, 3, useThree ? 3 : 2), network.mnc);
  } else {
    Copy(Part(digits, 3, 2), network.mnc);
    std::memcpy(network.mnc + 2, " or ", 4);
    Copy(Part(digits, 3, 3), network.mnc + 6);
  }
  return true;
}

const Apn* FirstInternetApn(unsigned short op) {
  for (unsigned i = 0; i < kOperators[op].apns; ++i)
    if (kApns[kOperators[op].firstApn + i].usage == Usage::kInternet)
      return &kApns[kOperators[op].firstApn + i];
  return nullptr;
}

bool IsInternetApnOf(const SimNetwork& network, std::string_view apn) {
  for (size_t n = 0; n < network.count; ++n) {
    const operator_table::Operator& op = kOperators[network.operators[n]];
    for (unsigned i = 0; i < op.apns; ++i) {
      const Apn& each = kApns[op.firstApn + i];
      if (each.usage == Usage::kInternet && SameNoCase(Text(each.value), apn)) return true;
    }
  }
  return false;
}

void SaySimNetwork(const SimNetwork& network, Console& console) {
  Line line;
  line.Add("SIM's network (MCC ");
  line.Add(network.mcc);
  line.Add(", MNC ");
  line.Add(network.mnc);
  line.Add(network.mncKnown || network.count ? "): " : ", which the table cannot tell): ");
  if (network.count == 1) {
    SayOperator(network.operators[0], line);
  } else if (network.count == 0) {
    line.Add("no operator of the kit's table uses it (mobile-broadband-provider-info ");
    line.Add(operator_table::kDatabaseVersion);
    line.Add(")");
  } else {
    char count[11];
    Decimal(static_cast<unsigned>(network.count), count);
    line.Add(count);
    line.Add(" operators share it:");
  }
  console.Line(line.Said());
  if (network.count < 2) return;
  for (size_t n = 0; n < network.count; ++n) {
    line.Clear();
    line.Add("  ");
    SayOperator(network.operators[n], line);
    console.Line(line.Said());
  }
}
