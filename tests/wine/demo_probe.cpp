// The demo's window into a prefix: calls InfInstall.dll as the kit's programs do, and shows the
// modem as SetupAPI and the registry hold it.
//   demo_probe ports           MdmGetPortList
//   demo_probe show            the WWAN_GENERIC modems present
// Exits non-zero when the call did not give what the kit needs.

#include <cstdio>
#include <cstring>
#include <string>

#include "InfInstall.h"
#include "modem_devices.h"
#include "platform.h"

namespace {

// The list's NUL-separated entries, shown as "A, B".
std::string Entries(const std::string& multiString) {
  std::string shown;
  for (size_t at = 0; at < multiString.size() && multiString[at] != '\0';) {
    const std::string entry = multiString.c_str() + at;
    shown += (shown.empty() ? "" : ", ") + entry;
    at += entry.size() + 1;
  }
  return shown;
}

int Ports() {
  char list[kTextCapacity] = {};
  const int result = MdmGetPortList(list);
  std::printf("MdmGetPortList returned %d: \"%s\"\n", result, list);
  return result == 1 ? 0 : 1;
}

int Show() {
  const auto modems = FindModems(kModemHardwareId);
  std::printf("%zu device(s) with hardware ID %s\n", modems.size(), kModemHardwareId);
  for (const ModemSeen& modem : modems) {
    std::printf("  %s\n", modem.instanceId.c_str());
    std::printf("    hardware IDs:  %s\n", Entries(modem.hardwareIds).c_str());
    std::printf("    AttachedTo:    %s\n", modem.attachedTo.c_str());
    std::printf("    FriendlyName:  %s\n", modem.friendlyName.c_str());
    std::printf("    UserInit:      %s\n", modem.userInit.c_str());
  }
  return modems.size() == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "ports" && argc == 2) return Ports();
  if (command == "show" && argc == 2) return Show();
  (void)std::fprintf(stderr, "usage: demo_probe ports | show\n");
  return 2;
}
