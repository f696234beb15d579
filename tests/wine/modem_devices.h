// The modems a prefix holds, read through SetupAPI and the registry on their own, without the
// library under test, so that what the library did can be checked from outside.
#pragma once

#include <string>
#include <vector>

struct ModemSeen {
  std::string instanceId;
  std::string hardwareIds;  // the raw multi-string, with its NULs
  std::string attachedTo;   // driver-key values; empty when missing
  std::string friendlyName;
  std::string userInit;
};

// Every present device whose hardware-ID list holds `hardwareId`, in enumeration order.
std::vector<ModemSeen> FindModems(const char* hardwareId);

// Removes every device whose hardware-ID list holds `hardwareId`; returns how many went.
int RemoveModems(const char* hardwareId);
