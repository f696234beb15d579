// The tests' hold on the machine's certificate stores.
#include <cstdio>

#include "cert_store.h"
#include "process.h"

namespace winsim {

using namespace detail;

namespace detail {

void CertStoreState::Reset() {
  *this = CertStoreState();
  // The system's texts for the codes of crypt32 the kit may report.
  std::map<DWORD, std::string>& messages = TheProcess().messages;
  messages[static_cast<DWORD>(CRYPT_E_NOT_FOUND)] = "Cannot find object or property.\r\n";
  messages[static_cast<DWORD>(CRYPT_E_EXISTS)] = "The object or property already exists.\r\n";
  messages[static_cast<DWORD>(CRYPT_E_ASN1_EOD)] = "ASN1 unexpected end of data.\r\n";
  messages[static_cast<DWORD>(CRYPT_E_ASN1_BADTAG)] = "ASN1 bad tag value met.\r\n";
  messages[static_cast<DWORD>(E_ACCESSDENIED)] = "Access is denied.\r\n";
  messages[static_cast<DWORD>(E_INVALIDARG)] = "The parameter is incorrect.\r\n";
}

std::string MachineStoreKey(std::string_view name) {
  std::string key = "LocalMachine\\";
  for (const char c : name) key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return key;
}

}  // namespace detail

std::vector<std::string> MachineCertificates(std::string_view name) {
  const auto& stores = TheCertStores().stores;
  const auto found = stores.find(MachineStoreKey(name));
  return found == stores.end() ? std::vector<std::string>{} : found->second;
}

void AddMachineCertificate(std::string_view name, std::string_view der) {
  TheCertStores().stores[MachineStoreKey(name)].emplace_back(der);
}

std::string Thumbprint(std::string_view der) {
  std::string text;
  for (const char byte : Sha1Bytes(der)) {
    char digits[3];
    (void)std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(byte));
    text += digits;
  }
  return text;
}

}  // namespace winsim
