#pragma once

#include "platform.h"

// Creates a device in the INF's class with `hardwareId` as its only hardware ID, binds it to
// `portName` and installs the INF's driver on it. Returns 1 when the device was made, bound and
// installed and its "FriendlyName" read into g_szModemDesc; otherwise 0, after removing a device
// that could not be bound or installed.
int InstallNewModem(const char* hardwareId, const char* infPath, const char* portName,
                    BOOL* rebootRequired);
