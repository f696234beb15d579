#pragma once

#include "platform.h"
#include "step_result.h"

// Creates a device in the INF's class with `hardwareId` as its only hardware ID, binds it to
// `portName` and installs the INF's driver on it, then reads its "FriendlyName" into
// g_szModemDesc. Done only when all of that was; a device that could not be bound or installed is
// removed again, while one whose name could not be read stays installed.
StepResult InstallNewModem(const char* hardwareId, const char* infPath, const char* portName,
                           BOOL* rebootRequired);
