#include "modem_install.h"

#include <cstring>

#include "InfInstall.h"
#include "bounded_text.h"
#include "device_lookup.h"
#include "driver_key.h"
#include "system_function.h"
#include "unique_handle.h"

namespace {

using UpdateDriverFunction = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);

// Find the INF: it must exist before any device is looked at.
StepResult FindInf(const char* infPath) {
  WIN32_FIND_DATAA found = {};
  FindHandle search(FindFirstFileA(infPath, &found));
  return search ? StepResult::Done() : StepResult::Failed(Step::kFindInf);
}

// Refuse a port name that names no port: the modem would be bound to nothing, and a modem that
// is already installed would lose the port it works on.
StepResult CheckPort(const char* portName) {
  if (portName && *portName) return StepResult::Done();
  SetLastError(ERROR_INVALID_PARAMETER);
  return StepResult::Failed(Step::kCheckPort);
}

// Load the system's own newdev.dll, by its full path in the system folder. By its bare name it
// would be looked for in the program's folder first, and the library runs in elevated programs
// that may have been unpacked into a folder a standard user can write.
StepResult LoadNewdev(Module& newdev) {
  char path[kTextCapacity] = {};
  const UINT length = GetSystemDirectoryA(path, sizeof path);
  if (length == 0) return StepResult::Failed(Step::kLoadNewdev);
  BoundedText text(path, sizeof path);
  if (length >= sizeof path || !text.AppendWhole({"\\newdev.dll"})) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return StepResult::Failed(Step::kLoadNewdev);
  }
  newdev.Reset(LoadLibraryA(path));
  return newdev ? StepResult::Done() : StepResult::Failed(Step::kLoadNewdev);
}

// Update the driver: installs the INF's driver on every present device with the hardware ID,
// through newdev.dll, which is loaded for this one call.
StepResult UpdateDriver(const char* hardwareId, const char* infPath, BOOL* rebootRequired) {
  Module newdev;
  const StepResult loaded = LoadNewdev(newdev);
  if (!loaded) return loaded;
  const auto update =
      FunctionIn<UpdateDriverFunction>(newdev.get(), "UpdateDriverForPlugAndPlayDevicesA");
  if (!update) return StepResult::Failed(Step::kFindDriverUpdate);
  if (!update(nullptr, hardwareId, infPath, INSTALLFLAG_FORCE, rebootRequired))
    return StepResult::Failed(Step::kUpdateDriver);
  return StepResult::Done();
}

// Remove the device, after its install failed. The removal's own outcome is not looked at, and
// it must not replace the failure's code: a successful SetupAPI call would set it to 0.
void RemoveDevice(HDEVINFO set, SP_DEVINFO_DATA& element) {
  LastErrorKeeper keep;
  SetupDiCallClassInstaller(DIF_REMOVE, set, &element);
}

// Create the element: named after the class, with an instance ID the system generates.
StepResult CreateElement(HDEVINFO set, const GUID& classGuid, const char* className,
                         SP_DEVINFO_DATA& element) {
  element = {};
  element.cbSize = sizeof element;
  if (!SetupDiCreateDeviceInfoA(set, className, &classGuid, nullptr, nullptr, DICD_GENERATE_ID,
                                &element)) {
    return StepResult::Failed(Step::kCreateElement);
  }
  return StepResult::Done();
}

// Set the hardware ID: the one ID, its NUL and the NUL that ends the list. An ID that does not
// fit the kit's text buffers is refused rather than cut into another ID.
StepResult SetHardwareId(HDEVINFO set, SP_DEVINFO_DATA& element, const char* hardwareId) {
  char ids[kTextCapacity + 1] = {};
  const size_t length = strnlen(hardwareId, kTextCapacity);
  if (length == kTextCapacity) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return StepResult::Failed(Step::kSetHardwareId);
  }
  std::memcpy(ids, hardwareId, length);
  if (!SetupDiSetDeviceRegistryPropertyA(set, &element, SPDRP_HARDWAREID,
                                         reinterpret_cast<const BYTE*>(ids),
                                         static_cast<DWORD>(length + 2))) {
    return StepResult::Failed(Step::kSetHardwareId);
  }
  return StepResult::Done();
}

// The new device once its class's set is there: create it, register it, bind it to the port,
// install the driver, read back its name.
StepResult MakeAndInstall(HDEVINFO set, const GUID& classGuid, const char* className,
                          const char* hardwareId, const char* infPath, const char* portName,
                          BOOL* rebootRequired) {
  SP_DEVINFO_DATA element = {};
  StepResult result = CreateElement(set, classGuid, className, element);
  if (result) result = SetHardwareId(set, element, hardwareId);
  if (!result) return result;  // never registered: the element goes with the set

  // Register it, create its driver key and bind it to the port. A device whose port was not
  // stored would be installed unbound, so that counts as a failure too. The key is closed before
  // the driver is installed.
  {
    DeviceRegKey key;
    result = RegisterDevice(set, element);
    if (result) result = CreateDriverKey(set, element, key);
    if (result) result = SetValue(key.get(), "AttachedTo", portName);
  }
  if (result) result = UpdateDriver(hardwareId, infPath, rebootRequired);
  // A device left unbound or without its driver is removed again, or every failed run would
  // leave a phantom modem behind.
  if (!result) {
    RemoveDevice(set, element);
    return result;
  }

  // Read back the name the driver gave the modem. The device stays installed either way, but a
  // name that could not be read makes the install count as failed.
  return ReadDriverKeyValue(set, element, "FriendlyName", g_szModemDesc, sizeof g_szModemDesc);
}

// What the install's caller learns: taken once the driver update has set `rebootRequired`.
int InstallResult(const StepResult& result, BOOL rebootRequired) {
  if (!result) return kInstallFailed;
  return rebootRequired ? kInstallNeedsRestart : kInstallDone;
}

}  // namespace

StepResult InstallNewModem(const char* hardwareId, const char* infPath, const char* portName,
                           BOOL* rebootRequired) {
  // Get the INF's class: the new device is made in the one it names.
  GUID classGuid = {};
  char className[MAX_CLASS_NAME_LEN] = {};
  if (!SetupDiGetINFClassA(infPath, &classGuid, className, MAX_CLASS_NAME_LEN, nullptr))
    return StepResult::Failed(Step::kGetInfClass);

  // Create an empty set of that class.
  DeviceInfoSet set(SetupDiCreateDeviceInfoList(&classGuid, nullptr));
  if (!set) return StepResult::Failed(Step::kCreateSet);

  // Releasing the set keeps the code of the step that decided. Success is judged by what the
  // steps did, not by that code, which some platforms leave non-zero after calls that succeeded.
  return MakeAndInstall(set.get(), classGuid, className, hardwareId, infPath, portName,
                        rebootRequired);
}

int MdmInstallModem(const char* infPath, const char* portName, const char* hardwareId) {
  if (!CheckPort(portName) || !FindInf(infPath)) return kInstallFailed;
  BOOL rebootRequired = FALSE;

  // An existing modem is pointed at the new port, then its driver is installed again. If the port
  // could not be stored, the update is not run: its success would tell the user the modem uses the
  // new port while the driver key still names the old one.
  const DeviceWrite existing = FindDeviceAndWriteValue(hardwareId, "AttachedTo", portName);
  switch (existing.search) {
    case DeviceSearch::kFound: {
      StepResult result = existing.write;
      if (result) result = UpdateDriver(hardwareId, infPath, &rebootRequired);
      return InstallResult(result, rebootRequired);
    }
    case DeviceSearch::kIncomplete:
      // Devices went unseen, and the modem may be among them: a new one would be its twin, which
      // the system names "GPRS Modem #2" and the dial-up entry does not. The search's text stands.
      return kInstallFailed;
    case DeviceSearch::kNoneFound:
      break;
  }

  // A new modem, as there is none yet.
  const StepResult installed = InstallNewModem(hardwareId, infPath, portName, &rebootRequired);
  return InstallResult(installed, rebootRequired);
}
