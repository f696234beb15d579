// wintrust.dll: the catalogs open in it, and what its trust provider says of their signature.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core.h"

namespace winsim::detail {

// A member as CryptCATEnumerateMember hands it out: its parts stay where they are while its
// catalog is open.
struct CatalogMember {
  std::u16string tag;
  std::vector<BYTE> digest;
  SIP_INDIRECT_DATA indirect{};
  CRYPTCATMEMBER member{};
};

struct OpenCatalog {
  std::vector<std::unique_ptr<CatalogMember>> members;
};

struct WintrustState {
  TrustProvider provider;
  std::map<uintptr_t, OpenCatalog> catalogs;

  size_t OpenHandles() const { return catalogs.size(); }
  void Reset() { *this = WintrustState(); }
};

inline WintrustState& TheWintrust() {
  return AreaState<WintrustState>();
}

// The function wintrust.dll exports under `name`, or none.
FARPROC WintrustExport(const char* name);

}  // namespace winsim::detail
