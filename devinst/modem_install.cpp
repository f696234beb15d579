#include "modem_install.h"

#include <cstring>

#include "InfInstall.h"
#include "device_lookup.h"
#include "driver_key.h"
#include "report_failure.h"
#include "unique_handle.h"

namespace {

using UpdateDriverFunction = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);

// Installs the INF's driver on every present device with the hardware ID, through newdev.dll, which
// is loaded for this one call. Reports and returns false when the update did not run or failed.
bool UpdateDriver(const char* hardwareId, const char* infPath, BOOL* rebootRequired) {
  Module newdev(LoadLibraryA("newdev.dll"));
  if (!newdev) {
    ReportFailure("unable to load newdev.dll");
    return false;
  }
  // Through void(*)(), the one function-pointer type that converts to any other without a warning.
  const auto update = reinterpret_cast<UpdateDriverFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(newdev.get(), "UpdateDriverForPlugAndPlayDevicesA")));
  if (!update) {
    ReportFailure("GetProcAddress(UpdateDriverForPlugAndPlayDevicesA)");
    return false;
  }
  if (!update(nullptr, hardwareId, infPath, INSTALLFLAG_FORCE, rebootRequired)) {
    ReportFailure("UpdateDriverForPlugAndPlayDevices");
    return false;
  }
  return true;
}

enum class NewDevice { kNotMade, kRemoved, kNameUnread, kInstalled };

// Removes a device whose install failed. The removal's own outcome is not looked at, and it must
// not replace the failure's code: a successful SetupAPI call would set it to 0.
void RemoveDevice(HDEVINFO set, SP_DEVINFO_DATA& element) {
  LastErrorKeeper keep;
  SetupDiCallClassInstaller(DIF_REMOVE, set, &element);
}

// A new install after its class and set are ready: make the element, give it the hardware ID,
// register it and bind it to the port, install the driver, read back the modem's name.
NewDevice MakeBindAndInstall(HDEVINFO set, const GUID& classGuid, const char* className,
                             const char* hardwareId, const char* infPath, const char* portName,
                             BOOL* rebootRequired) {
  // Make the element: named after the class, with an instance ID the system generates.
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  if (!SetupDiCreateDeviceInfoA(set, className, &classGuid, nullptr, nullptr, DICD_GENERATE_ID,
                                &element)) {
    ReportFailure("CreateDeviceInfo");
    return NewDevice::kNotMade;
  }

  // Give it the hardware ID: the one ID, its NUL and the NUL that ends the list. An ID that does
  // not fit the kit's text buffers is refused rather than cut into another ID.
  char ids[kTextCapacity + 1] = {};
  const size_t length = strnlen(hardwareId, kTextCapacity);
  if (length == kTextCapacity) SetLastError(ERROR_INVALID_PARAMETER);
  if (length == kTextCapacity ||
      !SetupDiSetDeviceRegistryPropertyA(
          set, &element, SPDRP_HARDWAREID,
          reinterpret_cast<const BYTE*>(std::memcpy(ids, hardwareId, length)),
          static_cast<DWORD>(length + 2))) {
    ReportFailure("SetDeviceRegistryProperty");
    return NewDevice::kNotMade;  // never registered: it goes with the set
  }

  // Register and bind it: register it as a device, create its driver key and bind it to the port. A
  // device whose port was not stored would be installed unbound, so that counts as a failure too.
  bool portWritten = false;
  if (!WriteDriverKeyValue(set, element, 1, "AttachedTo", portName, &portWritten) || !portWritten) {
    RemoveDevice(set, element);
    return NewDevice::kRemoved;
  }

  // Install the driver; a device left without one is removed again, or every failed run
  // would leave a phantom modem behind.
  if (!UpdateDriver(hardwareId, infPath, rebootRequired)) {
    RemoveDevice(set, element);
    return NewDevice::kRemoved;
  }

  // Read back the name the driver gave the modem. The device stays installed either way, but a name
  // that could not be read makes the install count as failed.
  bool nameRead = false;
  ReadDriverKeyValue(set, element, "FriendlyName", g_szModemDesc, sizeof g_szModemDesc, &nameRead);
  return nameRead ? NewDevice::kInstalled : NewDevice::kNameUnread;
}

}  // namespace

int InstallNewModem(const char* hardwareId, const char* infPath, const char* portName,
                    BOOL* rebootRequired) {
  // The class: the one the INF names.
  GUID classGuid = {};
  char className[MAX_CLASS_NAME_LEN] = {};
  if (!SetupDiGetINFClassA(infPath, &classGuid, className, MAX_CLASS_NAME_LEN, nullptr)) {
    ReportFailure("GetINFClass");
    return 0;
  }

  // The set: an empty one of that class.
  DeviceInfoSet set(SetupDiCreateDeviceInfoList(&classGuid, nullptr));
  if (!set) {
    ReportFailure("CreateDeviceInfoList");
    return 0;
  }

  const NewDevice outcome = MakeBindAndInstall(set.get(), classGuid, className, hardwareId, infPath,
                                               portName, rebootRequired);
  // Release the set: releasing it keeps the last-error code of the step that decided. Success is
  // judged by what the steps did, not by that code, which some platforms leave non-zero after
  // calls that succeeded.
  set.Reset();
  return outcome == NewDevice::kInstalled ? 1 : 0;
}

int MdmInstallModem(const char* infPath, const char* portName, const char* hardwareId) {
  BOOL rebootRequired = FALSE;

  // Check the INF: it must exist before any device is looked at.
  {
    WIN32_FIND_DATAA found = {};
    FindHandle search(FindFirstFileA(infPath, &found));
    if (!search) {
      ReportFailure(".inf not found.");
      return kInstallFailed;
    }
  }

  // Update an existing modem: a present one is pointed at the new port, then its driver is
  // installed again. If the port could not be stored, the update is not run: its success would tell
  // the user the modem uses the new port while the driver key still names the old one.
  bool portWritten = false;
  switch (FindDeviceAndWriteValue(hardwareId, "AttachedTo", portName, portWritten)) {
    case DeviceSearch::kFound:
      if (!portWritten || !UpdateDriver(hardwareId, infPath, &rebootRequired))
        return kInstallFailed;
      return rebootRequired ? kInstallNeedsRestart : kInstallDone;
    case DeviceSearch::kIncomplete:
      // Devices went unseen, and the modem may be among them: a new one would be its twin, which
      // the system names "GPRS Modem #2" and the dial-up entry does not. The search's text stands.
      return kInstallFailed;
    case DeviceSearch::kNoneFound:
      break;
  }

  // Install a new modem: there is none yet.
  if (!InstallNewModem(hardwareId, infPath, portName, &rebootRequired)) return kInstallFailed;
  return rebootRequired ? kInstallNeedsRestart : kInstallDone;
}
