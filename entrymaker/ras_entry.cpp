#include "ras_entry.h"

#include <cstring>

bool BuildGprsEntry(const char* deviceName, const RASIPADDR& dnsAddress, RasEntryV4& entry) {
  std::memset(&entry, 0, sizeof entry);
  const size_t nameLength = std::strlen(deviceName);
  if (nameLength >= sizeof entry.szDeviceName) return false;
  entry.dwSize = sizeof entry;
  entry.dwfOptions =
      RASEO_SpecificNameServers | RASEO_RemoteDefaultGateway | RASEO_DisableLcpExtensions;
  std::strcpy(entry.szLocalPhoneNumber, "*99*1,1#");
  entry.ipaddrDns = dnsAddress;
  entry.dwfNetProtocols = RASNP_Ip;
  entry.dwFramingProtocol = RASFP_Ppp;
  std::strcpy(entry.szDeviceType, "modem");
  std::memcpy(entry.szDeviceName, deviceName, nameLength + 1);
  return true;
}
