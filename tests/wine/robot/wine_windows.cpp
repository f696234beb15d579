#include "wine_windows.h"

#include "unique_handle.h"

namespace robot {

bool LetWineManageWindows(const std::string& programFileName) {
  // Wine's per-program settings; "Managed" is read when the program starts.
  const std::string path = "Software\\Wine\\AppDefaults\\" + programFileName + "\\X11 Driver";
  HKEY opened = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegKey key(opened);
  static const char kNo[] = "N";
  return RegSetValueExA(key.get(), "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo),
                        sizeof kNo) == ERROR_SUCCESS;
}

}  // namespace robot
