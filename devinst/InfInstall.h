// The exported interface of InfInstall.dll, the kit's device-install library.
// Functions are exported under their C++ (decorated) names; the programs import them so.
#pragma once

#if defined(_WIN32) && defined(INFINSTALL_BUILDING_DLL)
#define INFINSTALL_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(INFINSTALL_STATIC)
#define INFINSTALL_API __declspec(dllimport)
#else
#define INFINSTALL_API
#endif

// Every text the library exchanges lives in a buffer of this many bytes (259 characters and the
// NUL).
constexpr int kTextCapacity = 260;

// The text of the latest failure the library reported; callers may also write it (260 bytes).
INFINSTALL_API extern char g_szError[kTextCapacity];
// The "FriendlyName" of the modem installed last.
INFINSTALL_API extern char g_szModemDesc[kTextCapacity];

// Appends the name of every present COM port, each followed by ",", to the NUL-terminated text in
// `portList`, a 260-byte buffer. Returns 1 when at least one name was appended, else 0.
INFINSTALL_API int MdmGetPortList(char* portList);
