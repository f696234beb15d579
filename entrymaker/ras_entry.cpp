#include "ras_entry.h"

#include <cstring>

bool BuildGprsEntry(const char* deviceName, const RASIPADDR& dnsAddress, RasEntryV4& entry) {
  std::memset(&entry, 0, sizeof entry);
  if (std::strlen(deviceName) >= sizeof entry.szDeviceName) return false;
  entry.dwSize = sizeof entry;
  entry.dwfOptions =
      RASEO_SpecificNameServers | RASEO_RemoteDefaultGateway | RASEO_DisableLcpExtensions;
  std::strcpy(entry.szLocalPhoneNumber, "*99*1,1#");
  entry.ipaddrDns = dnsAddress;
  entry.dwfNetProtocols = RASNP_Ip;
  entry.dwFramingProtocol = RASFP_Ppp;
  std::strcpy(entry.szDeviceType, "modem");
  std::strcpy(entry.szDeviceName, deviceName);
  return true;
}
