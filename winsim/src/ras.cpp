// The remote-access service's side of an entry: it writes the entry's section into the named
// phonebook the way Windows does, keys in Windows' order, replacing a section of the same name.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "files.h"
#include "ras.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

std::string Address(const RASIPADDR& address) {
  return std::to_string(address.a) + "." + std::to_string(address.b) + "." +
         std::to_string(address.c) + "." + std::to_string(address.d);
}

std::string Field(const char* text, size_t size) {
  return std::string(text, strnlen(text, size));
}

// What Windows writes for an entry made from the record; before Vista also "IpFrameSize=".
std::string Section(const std::string& name, const RASENTRYA& entry, bool withFrameSize) {
  const std::string device = Field(entry.szDeviceName, sizeof entry.szDeviceName);
  std::string s = "[" + name + "]\r\n";
  s += "Encoding=1\r\nType=1\r\nAutoLogon=0\r\nUseRasCredentials=1\r\nBaseProtocol=1\r\n";
  s += "VpnStrategy=0\r\nExcludedProtocols=0\r\nLcpExtensions=0\r\nDataEncryption=8\r\n";
  s += "SwCompression=1\r\nNegotiateMultilinkAlways=1\r\nSkipDoubleDialDialog=0\r\nDialMode=1\r\n";
  s += "RedialAttempts=3\r\nRedialSeconds=60\r\nIdleDisconnectSeconds=0\r\n";
  s += "AuthenticateServer=0\r\nShareMsFilePrint=0\r\nBindMsNetClient=1\r\n";
  s += "SharedPhoneNumbers=0\r\nPreferredDevice=" + device + "\r\nPreferredBps=115200\r\n";
  s += "PreferredHwFlow=1\r\nPreferredProtocol=1\r\nPreferredCompression=1\r\n";
  s += "PreferredSpeaker=1\r\nPreviewUserPw=1\r\nPreviewDomain=0\r\nPreviewPhoneNumber=0\r\n";
  s += "ShowDialingProgress=1\r\nShowMonitorIconInTaskBar=1\r\nCustomAuthKey=0\r\n";
  s += "IpPrioritizeRemote=1\r\nIpHeaderCompression=1\r\nIpAddress=" + Address(entry.ipaddr) +
       "\r\nIpDnsAddress=" + Address(entry.ipaddrDns) +
       "\r\nIpDns2Address=" + Address(entry.ipaddrDnsAlt) + "\r\nIpAssign=1\r\nIpNameAssign=2\r\n";
  if (withFrameSize) s += "IpFrameSize=1006\r\n";
  s += "IpDnsFlags=0\r\nIpNBTFlags=1\r\nTcpWindowSize=0\r\nUseFlags=0\r\nIpDnsSuffix=\r\n\r\n";
  s += "NETCOMPONENTS=\r\nms_server=1\r\nms_msclient=1\r\n\r\n";
  s += "MEDIA=serial\r\nPort=\r\nDevice=" + device + "\r\nConnectBPS=115200\r\n\r\n";
  s += "DEVICE=" + Field(entry.szDeviceType, sizeof entry.szDeviceType) +
       "\r\nPhoneNumber=" + Field(entry.szLocalPhoneNumber, sizeof entry.szLocalPhoneNumber) +
       "\r\nAreaCode=\r\nCountryCode=0\r\nCountryID=0\r\nUseDialingRules=0\r\nComment=\r\n";
  s += "HwFlowControl=1\r\nProtocol=1\r\nCompression=1\r\nSpeaker=1\r\nMdmProtocol=0\r\n\r\n";
  return s;
}

}  // namespace

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entryName, LPRASENTRYA entry,
                                    DWORD entrySize, LPBYTE deviceInfo, DWORD deviceInfoSize) {
  ApiCall call("RasSetEntryPropertiesA", {{"phonebook", Text(phonebook)},
                                          {"entryName", Text(entryName)},
                                          {"entrySize", Dec(entrySize)},
                                          {"dwSize", entry ? Dec(entry->dwSize) : Absent()},
                                          {"dwfOptions", entry ? Hex(entry->dwfOptions) : Absent()},
                                          {"deviceInfo", Handle(deviceInfo)},
                                          {"deviceInfoSize", Dec(deviceInfoSize)}});
  if (call.fault()) return call.fault();
  if (!entry || entrySize != sizeof(RASENTRYA) || entry->dwSize != sizeof(RASENTRYA))
    return ERROR_INVALID_SIZE;
  if (!phonebook || !*phonebook || !entryName || !*entryName) return ERROR_CANNOT_OPEN_PHONEBOOK;
  const std::string host = HostPath(phonebook);
  // The service reads and writes the phonebook, and lets others read it meanwhile.
  if (SharingRefuses(host, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ))
    return ERROR_CANNOT_OPEN_PHONEBOOK;

  std::string text;
  ReadHostFile(host, text);
  const std::string header = "[" + std::string(entryName) + "]\r\n";
  const std::string section = Section(entryName, *entry, TheRas().phonebookWithFrameSize);
  size_t begin = text.rfind(header, 0) == 0 ? 0 : text.find("\r\n" + header);
  if (begin == std::string::npos) {
    text += section;
  } else {
    if (begin != 0) begin += 2;
    size_t end = text.find("\r\n[", begin + header.size());
    end = end == std::string::npos ? text.size() : end + 2;
    text.replace(begin, end - begin, section);
  }
  // Written in place: the phonebook stays the same file, with what the file system keeps of it.
  std::filesystem::create_directories(std::filesystem::path(host).parent_path());
  std::ofstream(host, std::ios::binary | std::ios::trunc) << text;
  return ERROR_SUCCESS;
}
