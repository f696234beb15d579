// KitCheckInput, the immediate custom action that looks at what the administrator's command line
// gave before anything on the machine changes: a wrong PORT or APN ends the install with 1603
// and a message that says which and why, rather than a rollback half way through.
#include <cstring>

#include "input_rules.h"
#include "install_log.h"

namespace {

// PORT's value when the command line gives none, as the package's Property table holds it.
constexpr char kNoPort[] = "none";

bool IsNoPort(const char* port) {
  if (strnlen(port, sizeof kNoPort) != sizeof kNoPort - 1) return false;
  for (size_t i = 0; i < sizeof kNoPort - 1; ++i)
    if ((port[i] | 0x20) != kNoPort[i]) return false;
  return true;
}

// Why the command line's PORT and APN are refused, or null when they stand.
const char* Refusal(MSIHANDLE install) {
  char port[64] = {};
  char apn[kApnMost + 2] = {};
  if (!ReadProperty(install, "PORT", port, sizeof port) || (port[0] && !IsPortName(port)))
    return "PORT is refused: a COM port's name holds only letters and digits, such as COM4; "
           "nothing was changed.";
  if (!port[0])
    return "PORT is empty: give the modem's COM port, such as PORT=COM4, or leave PORT out to "
           "install the kit's files only; nothing was changed.";
  if (!ReadProperty(install, "APN", apn, sizeof apn) || !IsPlainApn(apn))
    return "APN is refused: an APN holds only letters, digits, '-', '.' and '_', at most 100 "
           "characters; nothing was changed.";
  if (IsNoPort(port) && apn[0])
    return "APN is given without PORT: the APN goes to the modem, which PORT installs; give "
           "both; nothing was changed.";
  return nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall KitCheckInput(MSIHANDLE install) {
  const char* refusal = Refusal(install);
  if (!refusal) return ERROR_SUCCESS;
  InstallLog(install).Error(refusal);
  return ERROR_INSTALL_FAILURE;
}
