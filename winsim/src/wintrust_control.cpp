// The tests' hold on wintrust.dll: the catalogs they put in place and the verdict on their signer.
#include "wintrust.h"

namespace winsim {

std::string CatalogText(std::initializer_list<std::string_view> members) {
  std::string text = "[catalog]\n";
  for (std::string_view member : members) text.append(member).append("\n");
  return text;
}

TrustProvider& Wintrust() {
  return detail::TheWintrust().provider;
}

}  // namespace winsim
