#pragma once

#include "platform.h"

// The kit runs on the Windows NT family from version 5 (Windows 2000) on.
bool IsSupportedVersion(DWORD platformId, DWORD majorVersion);

// Asks the running system; a system whose version cannot be read is not supported.
bool IsSupportedWindows();
