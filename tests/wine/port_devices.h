// Devices the Wine tests make present in their prefix, as a serial port's driver would.
#pragma once

#include "platform.h"

// Creates, registers and gives a device key to one root-enumerated device of `deviceClass`.
// `portName` goes into the device key when given; `hardwareIds` (with its byte length) is set
// before registration, as an install does. Returns the step that failed, with the last-error
// code set, or nullptr.
const char* MakePresentDevice(const GUID& deviceClass, const char* deviceName, const char* portName,
                              const char* hardwareIds, DWORD hardwareIdsSize);

// Removes every present Ports device whose "PortName" is `portName`; returns how many went.
int RemovePort(const char* portName);
