// wintrust.dll's catalog and trust functions and their types: the SDK's on Windows, the
// simulator's on the host. The kit reaches the functions only through GetProcAddress.
#pragma once

#include "platform.h"

#ifdef _WIN32
#include <wintrust.h>
#include <mscat.h>
#include <softpub.h>
#else
#include "winsim/wintrust.h"
#endif
