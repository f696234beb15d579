// Just enough DER for the certificates a test hands the simulated crypt32: an X.509 certificate's
// outline (RFC 5280, 4.1), its extensions, and the two extension values the kit decodes. Every
// length is checked against what is left, so any bytes at all are refused or read, never
// overrun. And SHA-1 (FIPS 180-4), for the thumbprint crypt32 computes.
#include <cstring>

#include "cert_der.h"
#include "cert_store.h"

namespace winsim::detail {

namespace {

constexpr BYTE kSequence = 0x30;
constexpr BYTE kInteger = 0x02;
constexpr BYTE kBitString = 0x03;
constexpr BYTE kOid = 0x06;
constexpr BYTE kBoolean = 0x01;
constexpr BYTE kOctetString = 0x04;
constexpr BYTE kVersionTag = 0xA0;     // [0] EXPLICIT
constexpr BYTE kExtensionsTag = 0xA3;  // [3] EXPLICIT
constexpr DWORD kBadTag = static_cast<DWORD>(CRYPT_E_ASN1_BADTAG);
constexpr DWORD kEod = static_cast<DWORD>(CRYPT_E_ASN1_EOD);

}  // namespace

bool Refuse(DWORD& code, DWORD why) {
  code = why;
  return false;
}

std::unique_ptr<Certificate> Refused(DWORD& code, DWORD why) {
  code = why;
  return nullptr;
}

bool DerReader::Next(BYTE tag, Der& element) {
  if (!Peek(tag)) {
    error_ = left_ == 0 ? kEod : kBadTag;
    return false;
  }
  size_t at = 1;
  if (at == left_) return Eod();
  size_t length = data_[at++];
  if (length & 0x80) {
    const size_t bytes = length & 0x7F;
    // Indefinite lengths are BER's, and no certificate part is 4 GB.
    if (bytes == 0 || bytes > 4) return BadTag();
    length = 0;
    for (size_t i = 0; i < bytes; ++i) {
      if (at == left_) return Eod();
      length = (length << 8) | data_[at++];
    }
  }
  if (length > left_ - at) return Eod();
  element.whole = std::string_view(reinterpret_cast<const char*>(data_), at + length);
  element.value = std::string_view(reinterpret_cast<const char*>(data_ + at), length);
  data_ += at + length;
  left_ -= at + length;
  return true;
}

bool DerReader::Peek(BYTE tag) const {
  return left_ > 0 && data_[0] == tag;
}

bool DerReader::Eod() {
  error_ = kEod;
  return false;
}

bool DerReader::BadTag() {
  error_ = kBadTag;
  return false;
}

bool OidText(std::string_view value, std::string& text) {
  text.clear();
  uint64_t part = 0;
  bool first = true;
  for (size_t i = 0; i < value.size(); ++i) {
    const BYTE byte = static_cast<BYTE>(value[i]);
    if (part >> 56) return false;
    part = (part << 7) | (byte & 0x7F);
    if (byte & 0x80) {
      if (i + 1 == value.size()) return false;
      continue;
    }
    if (first) {
      const uint64_t top = part < 80 ? part / 40 : 2;
      text = std::to_string(top) + "." + std::to_string(part - 40 * top);
      first = false;
    } else {
      text += "." + std::to_string(part);
    }
    part = 0;
  }
  return !first;
}

namespace {

BYTE* Bytes(std::string_view part, const std::string& encoded) {
  // The parts lie in the context's own copy of the encoding.
  return reinterpret_cast<BYTE*>(const_cast<char*>(encoded.data())) +
         (part.data() - encoded.data());
}

CRYPTOAPI_BLOB Blob(std::string_view part, const std::string& encoded) {
  return CRYPTOAPI_BLOB{static_cast<DWORD>(part.size()), Bytes(part, encoded)};
}

bool ReadExtensions(std::string_view value, Certificate& certificate, DWORD& code) {
  DerReader outer(value);
  Der list;
  if (!outer.Next(kSequence, list)) return Refuse(code, outer.error());
  DerReader each(list.value);
  while (!each.AtEnd()) {
    Der extension, oid, critical, octets;
    if (!each.Next(kSequence, extension)) return Refuse(code, each.error());
    DerReader parts(extension.value);
    if (!parts.Next(kOid, oid)) return Refuse(code, parts.error());
    BOOL isCritical = FALSE;
    if (parts.Peek(kBoolean)) {
      if (!parts.Next(kBoolean, critical) || critical.value.size() != 1)
        return Refuse(code, kBadTag);
      isCritical = critical.value[0] != 0;
    }
    if (!parts.Next(kOctetString, octets)) return Refuse(code, parts.error());
    auto text = std::make_unique<std::string>();
    if (!OidText(oid.value, *text)) return Refuse(code, kBadTag);
    CERT_EXTENSION entry{};
    entry.pszObjId = text->data();
    entry.fCritical = isCritical;
    entry.Value = Blob(octets.value, certificate.encoded);
    certificate.oids.push_back(std::move(text));
    certificate.extensions.push_back(entry);
  }
  return true;
}

}  // namespace

std::unique_ptr<Certificate> ParseCertificate(std::string_view der, DWORD& code) {
  auto certificate = std::make_unique<Certificate>();
  certificate->encoded = std::string(der);
  const std::string& encoded = certificate->encoded;
  DerReader whole(encoded);
  Der outer, tbs, algorithm, signature;
  if (!whole.Next(kSequence, outer)) return Refused(code, whole.error());
  DerReader top(outer.value);
  if (!top.Next(kSequence, tbs) || !top.Next(kSequence, algorithm) ||
      !top.Next(kBitString, signature))
    return Refused(code, top.error());

  DerReader fields(tbs.value);
  CERT_INFO& info = certificate->info;
  info.dwVersion = 0;  // CERT_V1
  Der version, serial, signatureAlgorithm, issuer, validity, subject, publicKey, extensions;
  if (fields.Peek(kVersionTag)) {
    Der number;
    if (!fields.Next(kVersionTag, version)) return Refused(code, fields.error());
    DerReader inner(version.value);
    if (!inner.Next(kInteger, number) || number.value.size() != 1) return Refused(code, kBadTag);
    info.dwVersion = static_cast<BYTE>(number.value[0]);
  }
  if (!fields.Next(kInteger, serial) || !fields.Next(kSequence, signatureAlgorithm) ||
      !fields.Next(kSequence, issuer) || !fields.Next(kSequence, validity) ||
      !fields.Next(kSequence, subject) || !fields.Next(kSequence, publicKey))
    return Refused(code, fields.error());
  for (const BYTE uniqueId : {BYTE{0x81}, BYTE{0x82}}) {
    Der skipped;
    if (fields.Peek(uniqueId) && !fields.Next(uniqueId, skipped))
      return Refused(code, fields.error());
  }
  if (fields.Peek(kExtensionsTag)) {
    if (!fields.Next(kExtensionsTag, extensions)) return Refused(code, fields.error());
    if (!ReadExtensions(extensions.value, *certificate, code)) return nullptr;
  }
  if (!fields.AtEnd()) return Refused(code, kBadTag);

  // crypt32 keeps the serial number's bytes least significant first.
  certificate->serial.assign(serial.value.rbegin(), serial.value.rend());
  info.SerialNumber = {static_cast<DWORD>(certificate->serial.size()),
                       reinterpret_cast<BYTE*>(certificate->serial.data())};
  info.Issuer = Blob(issuer.whole, encoded);
  info.Subject = Blob(subject.whole, encoded);
  info.cExtension = static_cast<DWORD>(certificate->extensions.size());
  info.rgExtension = certificate->extensions.empty() ? nullptr : certificate->extensions.data();
  CERT_CONTEXT& context = certificate->context;
  context.dwCertEncodingType = X509_ASN_ENCODING;
  context.pbCertEncoded = reinterpret_cast<BYTE*>(certificate->encoded.data());
  context.cbCertEncoded = static_cast<DWORD>(encoded.size());
  context.pCertInfo = &certificate->info;
  return certificate;
}

bool DecodeBasicConstraints2(std::string_view value, CERT_BASIC_CONSTRAINTS2_INFO& out,
                             DWORD& code) {
  DerReader whole(value);
  Der sequence, flag, length;
  if (!whole.Next(kSequence, sequence)) return Refuse(code, whole.error());
  DerReader parts(sequence.value);
  out = CERT_BASIC_CONSTRAINTS2_INFO{};
  if (parts.Peek(kBoolean)) {
    if (!parts.Next(kBoolean, flag) || flag.value.size() != 1) return Refuse(code, kBadTag);
    out.fCA = flag.value[0] != 0;
  }
  if (parts.Peek(kInteger)) {
    if (!parts.Next(kInteger, length) || length.value.empty() || length.value.size() > 4)
      return Refuse(code, kBadTag);
    out.fPathLenConstraint = TRUE;
    for (const char byte : length.value)
      out.dwPathLenConstraint = (out.dwPathLenConstraint << 8) | static_cast<BYTE>(byte);
  }
  if (!parts.AtEnd()) return Refuse(code, kBadTag);
  return true;
}

bool DecodeKeyUsages(std::string_view value, std::vector<std::string>& usages, DWORD& code) {
  DerReader whole(value);
  Der sequence;
  if (!whole.Next(kSequence, sequence)) return Refuse(code, whole.error());
  DerReader each(sequence.value);
  usages.clear();
  while (!each.AtEnd()) {
    Der oid;
    std::string text;
    if (!each.Next(kOid, oid)) return Refuse(code, each.error());
    if (!OidText(oid.value, text)) return Refuse(code, kBadTag);
    usages.push_back(text);
  }
  return true;
}

}  // namespace winsim::detail
