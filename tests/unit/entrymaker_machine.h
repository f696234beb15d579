// The simulated machine EntryMaker's tests run on: the user's folder, the phonebook in it, the
// program's strings, and the entries another phonebook holds besides the GPRS one.
#pragma once

#include <string>

#include "winsim/control.h"

inline constexpr char kAppData[] = "C:\\Users\\me\\AppData\\Roaming";
inline constexpr char kPbkFolder[] =
    "C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Network\\Connections\\Pbk";
inline constexpr char kPhonebook[] =
    "C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";

// EntryMaker's string table and the user's "APPDATA", as on a machine the program starts on.
inline void SetUpEntryMakerMachine() {
  winsim::SetStrings({{1, "Failed to create GPRS dial-up network entry"},
                      {2, "GPRS Connection"},
                      {4, "GPRS Modem"}});
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(kAppData));
}

// An ordinary dial-up entry, "[Entry <number>]", of the kind a large phonebook holds by the
// thousand.
inline std::string OtherEntry(int number) {
  return "[Entry " + std::to_string(number) +
         "]\r\nEncoding=1\r\nSwCompression=1\r\nNegotiateMultilinkAlways=1\r\nBindMsNetClient=1\r\n"
         "PreferredProtocol=1\r\nPreviewUserPw=0\r\nShowDialingProgress=0\r\n"
         "ShowMonitorIconInTaskBar=0\r\nIpHeaderCompression=1\r\nIpNameAssign=2\r\n"
         "IpDnsSuffix=\r\n\r\nNETCOMPONENTS=\r\nms_msclient=1\r\n\r\nMEDIA=serial\r\n"
         "ConnectBPS=9600\r\n\r\nDEVICE=modem\r\nPhoneNumber=555-0100\r\nHwFlowControl=1\r\n"
         "Protocol=1\r\nCompression=1\r\n\r\n";
}
