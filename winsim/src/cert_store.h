// The system certificate stores: each a list of DER certificates under its location and name, the
// store handles open on them and the certificate contexts handed out. A context is made from the
// encoding alone, as crypt32 makes one: the parts of CERT_INFO the kit reads are parsed from the
// DER, and the rest stays zero.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core.h"
#include "sha1.h"

namespace winsim::detail {

// A context handed out, with everything its pointers point into.
struct Certificate {
  CERT_CONTEXT context{};
  CERT_INFO info{};
  std::string encoded;
  std::vector<CERT_EXTENSION> extensions;
  std::vector<std::unique_ptr<std::string>> oids;  // the extensions' pszObjId
  std::string serial;                              // little-endian, as crypt32 keeps it
  std::string store;                               // the store it was found in or added to
};

struct CertStoreState {
  // "LocalMachine\\ROOT" and the like: the location, then the name in capitals.
  std::map<std::string, std::vector<std::string>> stores;
  struct OpenStore {
    std::string key;
    bool readOnly = false;
  };
  std::map<uintptr_t, OpenStore> open;
  std::map<const CERT_CONTEXT*, std::unique_ptr<Certificate>> contexts;

  size_t OpenHandles() const { return open.size() + contexts.size(); }
  // Closes every store and frees every context, empties the stores, and gives the process the
  // system's texts for crypt32's codes.
  void Reset();
};

inline CertStoreState& TheCertStores() {
  return AreaState<CertStoreState>();
}

// The store key of a machine-wide system store.
std::string MachineStoreKey(std::string_view name);
// A context of `der`, or the code of why it is no certificate.
std::unique_ptr<Certificate> ParseCertificate(std::string_view der, DWORD& code);
// The SHA-1 hash of `data`, as the bytes a store compares and gives out.
inline std::string Sha1Bytes(std::string_view data) {
  const auto digest = Sha1(data);
  return std::string(digest.begin(), digest.end());
}

}  // namespace winsim::detail
