// The COM ports the port dialog offers, and the one the user picked.
#pragma once

#include "platform.h"

// The port the user picked: one entry of the library's list, empty until then.
extern char g_szPort[kTextCapacity];

// Reads the pieces of a comma-separated list in order; runs of commas give no empty pieces.
// Unlike strtok it keeps its place in itself and leaves the list as it is.
class PortListReader {
 public:
  explicit PortListReader(const char* list) : at_(list) {}
  // Copies the next piece into `piece`, cut to fit; false after the last.
  bool Next(char (&piece)[kTextCapacity]);

 private:
  const char* at_;
};

// The library's COM ports, comma-separated, in its order; false when it lists none.
bool ReadPortList(char (&list)[kTextCapacity]);
