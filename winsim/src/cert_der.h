// Reading DER: the parts of a certificate and of the extension values the kit decodes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cert_store.h"

namespace winsim::detail {

// One element: its whole encoding, and its contents.
struct Der {
  std::string_view whole;
  std::string_view value;
};

// The elements of one level, in order. A failed read leaves the code crypt32 gives for it.
class DerReader {
 public:
  explicit DerReader(std::string_view data)
      : data_(reinterpret_cast<const BYTE*>(data.data())), left_(data.size()) {}
  // The next element, which must carry `tag`.
  bool Next(BYTE tag, Der& element);
  bool Peek(BYTE tag) const;
  bool AtEnd() const { return left_ == 0; }
  DWORD error() const { return error_; }

 private:
  bool Eod();
  bool BadTag();
  const BYTE* data_;
  size_t left_;
  DWORD error_ = 0;
};

// An object identifier's contents in dotted decimal; false when they are none.
bool OidText(std::string_view value, std::string& text);
// Sets `code` to `why` and says no.
bool Refuse(DWORD& code, DWORD why);
std::unique_ptr<Certificate> Refused(DWORD& code, DWORD why);
// The values of the basic constraints and the enhanced key usage extensions.
bool DecodeBasicConstraints2(std::string_view value, CERT_BASIC_CONSTRAINTS2_INFO& out,
                             DWORD& code);
bool DecodeKeyUsages(std::string_view value, std::vector<std::string>& usages, DWORD& code);

}  // namespace winsim::detail
