// wintrust.dll: the catalogs it reads, the verdict it gives on their signature, and the functions
// a Windows may lack. A catalog file is text here: the line "[catalog]", then one line per member,
// its tag, the uppercase hexadecimal of the member's SHA-1, which is its digest as well; or the
// tag, a blank and the digest in hexadecimal, for a member tagged otherwise than by its hash.
#pragma once

#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

#include "winsim/wintrust.h"

namespace winsim {

// The text of a catalog listing these members ("TAG" or "TAG DIGEST").
std::string CatalogText(std::initializer_list<std::string_view> members);

struct TrustProvider {
  // What WinVerifyTrust gives a member the catalog lists with the file's own hash: the verdict on
  // the catalog's signer on this PC. That of a signer whose root the PC does not trust after
  // Reset, as for the build's own certificate.
  LONG signerVerdict = CERT_E_UNTRUSTEDROOT;
  // The functions of wintrust.dll that GetProcAddress does not find.
  std::set<std::string> missing;
};
TrustProvider& Wintrust();

}  // namespace winsim
