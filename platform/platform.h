// The one door to the platform: the real Windows SDK in the Windows build, the host simulator of
// the same subset in the host build. The kit's code includes this and calls the platform by its own
// names.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <setupapi.h>
#include <newdev.h>
#include <ras.h>
// The system certificate stores, which WIN32_LEAN_AND_MEAN leaves out.
#include <wincrypt.h>
// The SDK's setupapi.h has it; mingw-w64's does not.
#ifndef MAX_CLASS_NAME_LEN
#define MAX_CLASS_NAME_LEN 32
#endif
#else
#include "winsim/win32.h"
#endif

#include "kit_facts.h"
