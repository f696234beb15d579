// crypt32's system stores and certificate contexts. A system store opened by name is the list of
// its location's store of that name, made when first opened (unless only an existing one is
// asked for), as the registry key behind it is. Certificates match as crypt32 matches them, by
// their SHA-1 hash; a context is a copy that stays valid after its store is closed.
#include <cstring>

#include "cert_der.h"
#include "cert_store.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

constexpr DWORD kInvalidArg = static_cast<DWORD>(E_INVALIDARG);
constexpr DWORD kAccessDenied = static_cast<DWORD>(E_ACCESSDENIED);
constexpr DWORD kNotFound = static_cast<DWORD>(CRYPT_E_NOT_FOUND);
constexpr DWORD kSha1Size = 20;

CertStoreState::OpenStore* FindOpen(HCERTSTORE store) {
  auto found = TheCertStores().open.find(Token(store));
  return found == TheCertStores().open.end() ? nullptr : &found->second;
}

Certificate* FindContext(PCCERT_CONTEXT context) {
  auto found = TheCertStores().contexts.find(context);
  return found == TheCertStores().contexts.end() ? nullptr : found->second.get();
}

// Hands out a context of a certificate in the store `key`, opened as `store`.
PCCERT_CONTEXT HandOut(std::unique_ptr<Certificate> certificate, HCERTSTORE store,
                       const std::string& key) {
  certificate->context.hCertStore = store;
  certificate->store = key;
  const CERT_CONTEXT* context = &certificate->context;
  TheCertStores().contexts[context] = std::move(certificate);
  return context;
}

PCCERT_CONTEXT Parsed(const std::string& der, HCERTSTORE store, const std::string& key) {
  DWORD code = 0;
  std::unique_ptr<Certificate> certificate = ParseCertificate(der, code);
  return certificate ? HandOut(std::move(certificate), store, key) : nullptr;
}

std::string Encoded(PCCERT_CONTEXT context) {
  return std::string(reinterpret_cast<const char*>(context->pbCertEncoded), context->cbCertEncoded);
}

// The first place at or after `from` in the store whose certificate has the hash `sha1`.
size_t FindHash(const std::vector<std::string>& certificates, const std::string& sha1,
                size_t from = 0) {
  for (size_t i = from; i < certificates.size(); ++i)
    if (Sha1Bytes(certificates[i]) == sha1) return i;
  return certificates.size();
}

}  // namespace

HCERTSTORE WINAPI CertOpenStore(LPCSTR storeProvider, DWORD encodingType,
                                HCRYPTPROV_LEGACY cryptProv, DWORD flags, const void* para) {
  const bool systemA = storeProvider == CERT_STORE_PROV_SYSTEM_A;
  ApiCall call("CertOpenStore",
               {{"storeProvider", Dec(reinterpret_cast<uintptr_t>(storeProvider))},
                {"encodingType", Hex(encodingType)},
                {"cryptProv", Hex(cryptProv)},
                {"flags", Hex(flags)},
                {"para", systemA ? Text(static_cast<const char*>(para)) : Given(para != nullptr)}});
  if (call.fault()) return Fail(call.fault(), static_cast<HCERTSTORE>(nullptr));
  // Only the system stores are simulated, at the two locations the kit could mean.
  const DWORD location = flags & CERT_SYSTEM_STORE_LOCATION_MASK;
  if (!systemA || !para ||
      (location != CERT_SYSTEM_STORE_LOCAL_MACHINE && location != CERT_SYSTEM_STORE_CURRENT_USER))
    return Fail(kInvalidArg, static_cast<HCERTSTORE>(nullptr));
  std::string key =
      location == CERT_SYSTEM_STORE_LOCAL_MACHINE ? "LocalMachine\\" : "CurrentUser\\";
  for (const char* c = static_cast<const char*>(para); *c; ++c)
    key += static_cast<char>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c);
  CertStoreState& m = TheCertStores();
  if (!m.stores.count(key)) {
    if (flags & CERT_STORE_OPEN_EXISTING_FLAG)
      return Fail(ERROR_FILE_NOT_FOUND, static_cast<HCERTSTORE>(nullptr));
    m.stores[key] = {};
  }
  const uintptr_t handle = NewHandle();
  m.open[handle] = {key, (flags & CERT_STORE_READONLY_FLAG) != 0};
  return reinterpret_cast<HCERTSTORE>(handle);
}

BOOL WINAPI CertCloseStore(HCERTSTORE certStore, DWORD flags) {
  ApiCall call("CertCloseStore", {{"certStore", Handle(certStore)}, {"flags", Hex(flags)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (TheCertStores().open.erase(Token(certStore)) == 0) return Fail(kInvalidArg, FALSE);
  return TRUE;
}

BOOL WINAPI CertControlStore(HCERTSTORE certStore, DWORD flags, DWORD ctrlType,
                             const void* ctrlPara) {
  ApiCall call("CertControlStore", {{"certStore", Handle(certStore)},
                                    {"flags", Hex(flags)},
                                    {"ctrlType", Dec(ctrlType)},
                                    {"ctrlPara", Given(ctrlPara != nullptr)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!FindOpen(certStore) || ctrlType != CERT_STORE_CTRL_COMMIT) return Fail(kInvalidArg, FALSE);
  return TRUE;
}

PCCERT_CONTEXT WINAPI CertCreateCertificateContext(DWORD certEncodingType, const BYTE* certEncoded,
                                                   DWORD certEncodedSize) {
  ApiCall call("CertCreateCertificateContext", {{"certEncodingType", Hex(certEncodingType)},
                                                {"certEncoded", Given(certEncoded != nullptr)},
                                                {"certEncodedSize", Dec(certEncodedSize)}});
  if (call.fault()) return Fail(call.fault(), PCCERT_CONTEXT{nullptr});
  if (!(certEncodingType & X509_ASN_ENCODING) || !certEncoded)
    return Fail(kInvalidArg, PCCERT_CONTEXT{nullptr});
  DWORD code = 0;
  std::unique_ptr<Certificate> certificate = ParseCertificate(
      std::string_view(reinterpret_cast<const char*>(certEncoded), certEncodedSize), code);
  if (!certificate) return Fail(code, PCCERT_CONTEXT{nullptr});
  // A context made on its own belongs to no store.
  return HandOut(std::move(certificate), nullptr, "");
}

BOOL WINAPI CertFreeCertificateContext(PCCERT_CONTEXT certContext) {
  ApiCall call("CertFreeCertificateContext", {{"certContext", Handle(certContext)}});
  if (!certContext) return TRUE;
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (TheCertStores().contexts.erase(certContext) == 0) return Fail(kInvalidArg, FALSE);
  return TRUE;
}

BOOL WINAPI CertAddEncodedCertificateToStore(HCERTSTORE certStore, DWORD certEncodingType,
                                             const BYTE* certEncoded, DWORD certEncodedSize,
                                             DWORD addDisposition, PCCERT_CONTEXT* certContext) {
  ApiCall call("CertAddEncodedCertificateToStore",
               {{"certStore", Handle(certStore)},
                {"certEncodingType", Hex(certEncodingType)},
                {"certEncoded", Given(certEncoded != nullptr)},
                {"certEncodedSize", Dec(certEncodedSize)},
                {"addDisposition", Dec(addDisposition)},
                {"certContext", Given(certContext != nullptr)}});
  if (certContext) *certContext = nullptr;
  if (call.fault()) return Fail(call.fault(), FALSE);
  const CertStoreState::OpenStore* store = FindOpen(certStore);
  if (!store || !(certEncodingType & X509_ASN_ENCODING) || !certEncoded)
    return Fail(kInvalidArg, FALSE);
  const std::string der(reinterpret_cast<const char*>(certEncoded), certEncodedSize);
  DWORD code = 0;
  if (!ParseCertificate(der, code)) return Fail(code, FALSE);
  if (addDisposition < CERT_STORE_ADD_NEW || addDisposition > CERT_STORE_ADD_REPLACE_EXISTING)
    return Fail(kInvalidArg, FALSE);
  if (store->readOnly) return Fail(kAccessDenied, FALSE);
  std::vector<std::string>& certificates = TheCertStores().stores[store->key];
  const size_t match = FindHash(certificates, Sha1Bytes(der));
  if (match == certificates.size()) {
    certificates.push_back(der);
  } else if (addDisposition == CERT_STORE_ADD_NEW) {
    return Fail(static_cast<DWORD>(CRYPT_E_EXISTS), FALSE);
  } else if (addDisposition == CERT_STORE_ADD_REPLACE_EXISTING) {
    certificates[match] = der;
  }
  if (certContext) *certContext = Parsed(der, certStore, store->key);
  return TRUE;
}

PCCERT_CONTEXT WINAPI CertFindCertificateInStore(HCERTSTORE certStore, DWORD certEncodingType,
                                                 DWORD findFlags, DWORD findType,
                                                 const void* findPara,
                                                 PCCERT_CONTEXT prevCertContext) {
  ApiCall call("CertFindCertificateInStore", {{"certStore", Handle(certStore)},
                                              {"certEncodingType", Hex(certEncodingType)},
                                              {"findFlags", Hex(findFlags)},
                                              {"findType", Hex(findType)},
                                              {"findPara", Given(findPara != nullptr)},
                                              {"prevCertContext", Handle(prevCertContext)}});
  // The previous context is freed whatever comes of the search, and the search goes on after it.
  size_t from = 0;
  if (prevCertContext) {
    if (const Certificate* previous = FindContext(prevCertContext)) {
      const std::vector<std::string>& certificates = TheCertStores().stores[previous->store];
      const size_t at = FindHash(certificates, Sha1Bytes(previous->encoded));
      from = at == certificates.size() ? certificates.size() : at + 1;
      TheCertStores().contexts.erase(prevCertContext);
    }
  }
  if (call.fault()) return Fail(call.fault(), PCCERT_CONTEXT{nullptr});
  const CertStoreState::OpenStore* store = FindOpen(certStore);
  if (!store) return Fail(kInvalidArg, PCCERT_CONTEXT{nullptr});
  std::string sha1;
  switch (findType) {
    case CERT_FIND_ANY:
      break;
    case CERT_FIND_SHA1_HASH: {
      const auto* hash = static_cast<const CRYPT_HASH_BLOB*>(findPara);
      if (!hash || !hash->pbData) return Fail(kInvalidArg, PCCERT_CONTEXT{nullptr});
      sha1.assign(reinterpret_cast<const char*>(hash->pbData), hash->cbData);
      break;
    }
    case CERT_FIND_EXISTING: {
      const auto* existing = static_cast<PCCERT_CONTEXT>(findPara);
      if (!existing) return Fail(kInvalidArg, PCCERT_CONTEXT{nullptr});
      sha1 = Sha1Bytes(Encoded(existing));
      break;
    }
    default:  // no other search is simulated
      return Fail(kInvalidArg, PCCERT_CONTEXT{nullptr});
  }
  const std::vector<std::string>& certificates = TheCertStores().stores[store->key];
  const size_t at = findType == CERT_FIND_ANY ? from : FindHash(certificates, sha1, from);
  if (at >= certificates.size()) return Fail(kNotFound, PCCERT_CONTEXT{nullptr});
  return Parsed(certificates[at], certStore, store->key);
}

BOOL WINAPI CertDeleteCertificateFromStore(PCCERT_CONTEXT certContext) {
  ApiCall call("CertDeleteCertificateFromStore", {{"certContext", Handle(certContext)}});
  if (!certContext) return Fail(kInvalidArg, FALSE);
  Certificate* certificate = FindContext(certContext);
  if (!certificate) return Fail(kInvalidArg, FALSE);
  // The context is freed whatever comes of the delete.
  const std::string key = certificate->store;
  const std::string der = certificate->encoded;
  const CertStoreState::OpenStore* store = FindOpen(certContext->hCertStore);
  const bool readOnly = store && store->readOnly;
  TheCertStores().contexts.erase(certContext);
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (key.empty()) return Fail(kInvalidArg, FALSE);
  if (readOnly) return Fail(kAccessDenied, FALSE);
  std::vector<std::string>& certificates = TheCertStores().stores[key];
  const size_t at = FindHash(certificates, Sha1Bytes(der));
  if (at < certificates.size()) certificates.erase(certificates.begin() + static_cast<long>(at));
  return TRUE;
}

BOOL WINAPI CertGetCertificateContextProperty(PCCERT_CONTEXT certContext, DWORD propId, void* data,
                                              DWORD* dataSize) {
  ApiCall call("CertGetCertificateContextProperty",
               {{"certContext", Handle(certContext)},
                {"propId", Dec(propId)},
                {"data", Given(data != nullptr)},
                {"dataSize", dataSize ? Dec(*dataSize) : Absent()}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  const Certificate* certificate = FindContext(certContext);
  if (!certificate || !dataSize) return Fail(kInvalidArg, FALSE);
  // Only the hash crypt32 computes on demand is simulated.
  if (propId != CERT_SHA1_HASH_PROP_ID) return Fail(kNotFound, FALSE);
  const DWORD given = *dataSize;
  *dataSize = kSha1Size;
  if (!data) return TRUE;
  if (given < kSha1Size) return Fail(ERROR_MORE_DATA, FALSE);
  std::memcpy(data, Sha1Bytes(certificate->encoded).data(), kSha1Size);
  return TRUE;
}

namespace {

// The structure type as a number, when it is one of the small numbers that stand for one.
uintptr_t TypeNumber(LPCSTR structType) {
  const auto number = reinterpret_cast<uintptr_t>(structType);
  return number >> 16 ? 0 : number;
}

bool IsType(LPCSTR structType, LPCSTR number, const char* oid) {
  const uintptr_t asNumber = TypeNumber(structType);
  return asNumber ? asNumber == reinterpret_cast<uintptr_t>(number)
                  : std::strcmp(structType, oid) == 0;
}

// Hands `size` bytes of a decoded structure to the caller by the platform's rule: the size alone
// when no buffer is given, ERROR_MORE_DATA when it is too small.
bool RoomFor(DWORD size, const void* structInfo, DWORD* structInfoSize) {
  const DWORD given = *structInfoSize;
  *structInfoSize = size;
  if (structInfo && given < size) {
    LastError() = ERROR_MORE_DATA;
    return false;
  }
  return true;
}

}  // namespace

BOOL WINAPI CryptDecodeObject(DWORD certEncodingType, LPCSTR structType, const BYTE* encoded,
                              DWORD encodedSize, DWORD flags, void* structInfo,
                              DWORD* structInfoSize) {
  ApiCall call(
      "CryptDecodeObject",
      {{"certEncodingType", Hex(certEncodingType)},
       {"structType", TypeNumber(structType) ? Dec(TypeNumber(structType)) : Text(structType)},
       {"encoded", Given(encoded != nullptr)},
       {"encodedSize", Dec(encodedSize)},
       {"flags", Hex(flags)},
       {"structInfo", Given(structInfo != nullptr)},
       {"structInfoSize", structInfoSize ? Dec(*structInfoSize) : Absent()}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!(certEncodingType & X509_ASN_ENCODING) || !encoded || !structType || !structInfoSize)
    return Fail(kInvalidArg, FALSE);
  const std::string_view value(reinterpret_cast<const char*>(encoded), encodedSize);
  DWORD code = 0;
  if (IsType(structType, X509_BASIC_CONSTRAINTS2, szOID_BASIC_CONSTRAINTS2)) {
    CERT_BASIC_CONSTRAINTS2_INFO decoded{};
    if (!DecodeBasicConstraints2(value, decoded, code)) return Fail(code, FALSE);
    if (!RoomFor(sizeof decoded, structInfo, structInfoSize)) return FALSE;
    if (structInfo) std::memcpy(structInfo, &decoded, sizeof decoded);
    return TRUE;
  }
  if (IsType(structType, X509_ENHANCED_KEY_USAGE, szOID_ENHANCED_KEY_USAGE)) {
    std::vector<std::string> usages;
    if (!DecodeKeyUsages(value, usages, code)) return Fail(code, FALSE);
    // The structure, its array of pointers, then the texts they point to, all in the buffer.
    const size_t head = sizeof(CERT_ENHKEY_USAGE) + usages.size() * sizeof(LPSTR);
    size_t size = head;
    for (const std::string& usage : usages) size += usage.size() + 1;
    if (!RoomFor(static_cast<DWORD>(size), structInfo, structInfoSize)) return FALSE;
    if (!structInfo) return TRUE;
    auto* out = static_cast<CERT_ENHKEY_USAGE*>(structInfo);
    auto** pointers = reinterpret_cast<LPSTR*>(out + 1);
    char* text = static_cast<char*>(structInfo) + head;
    out->cUsageIdentifier = static_cast<DWORD>(usages.size());
    out->rgpszUsageIdentifier = usages.empty() ? nullptr : pointers;
    for (size_t i = 0; i < usages.size(); ++i) {
      pointers[i] = text;
      std::memcpy(text, usages[i].c_str(), usages[i].size() + 1);
      text += usages[i].size() + 1;
    }
    return TRUE;
  }
  // crypt32 finds no decoder for any other type here.
  return Fail(ERROR_FILE_NOT_FOUND, FALSE);
}
