// The remote-access entry record in its version-4.0 layout of 1768 bytes, which every Windows from
// NT 4.0 on accepts when `dwSize` says 1768. Newer SDK headers declare a longer record, so the
// kit keeps its own and checks every field it sets against the platform's offsets.
#pragma once

#include <cstddef>

#include "platform.h"

struct RasEntryV4 {
  DWORD dwSize;
  DWORD dwfOptions;
  DWORD dwCountryID;
  DWORD dwCountryCode;
  CHAR szAreaCode[11];
  CHAR szLocalPhoneNumber[129];
  DWORD dwAlternateOffset;
  RASIPADDR ipaddr;
  RASIPADDR ipaddrDns;
  RASIPADDR ipaddrDnsAlt;
  RASIPADDR ipaddrWins;
  RASIPADDR ipaddrWinsAlt;
  DWORD dwFrameSize;
  DWORD dwfNetProtocols;
  DWORD dwFramingProtocol;
  CHAR szScript[MAX_PATH];
  CHAR szAutodialDll[MAX_PATH];
  CHAR szAutodialFunc[MAX_PATH];
  CHAR szDeviceType[17];
  CHAR szDeviceName[129];
  CHAR szX25PadType[33];
  CHAR szX25Address[201];
  CHAR szX25Facilities[201];
  CHAR szX25UserData[201];
  DWORD dwChannels;
  DWORD dwReserved1;
  DWORD dwReserved2;
};

static_assert(sizeof(RasEntryV4) == 1768, "the version-4.0 entry record is 1768 bytes");
static_assert(offsetof(RasEntryV4, dwfOptions) == 4, "dwfOptions");
static_assert(offsetof(RasEntryV4, szLocalPhoneNumber) == 27, "szLocalPhoneNumber");
static_assert(offsetof(RasEntryV4, ipaddrDns) == 164, "ipaddrDns");
static_assert(offsetof(RasEntryV4, dwfNetProtocols) == 184, "dwfNetProtocols");
static_assert(offsetof(RasEntryV4, dwFramingProtocol) == 188, "dwFramingProtocol");
static_assert(offsetof(RasEntryV4, szDeviceType) == 972, "szDeviceType");
static_assert(offsetof(RasEntryV4, szDeviceName) == 989, "szDeviceName");
// The platform's record starts the same way, whatever it appends.
static_assert(offsetof(RASENTRYA, szDeviceName) == offsetof(RasEntryV4, szDeviceName),
              "the platform's record agrees");
static_assert(offsetof(RASENTRYA, dwfNetProtocols) == offsetof(RasEntryV4, dwfNetProtocols),
              "the platform's record agrees");

// The GPRS entry's record: dialling "*99*1,1#" through `deviceName` with IP over PPP, the given
// DNS server, the remote network as default gateway and no LCP extensions; every other field zero.
// False when the device name does not fit its field.
bool BuildGprsEntry(const char* deviceName, const RASIPADDR& dnsAddress, RasEntryV4& entry);
