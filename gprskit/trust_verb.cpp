// `GprsKit trust` and `GprsKit untrust`: the certificate the build made to sign the kit's catalog
// goes into the machine's Trusted Root and Trusted Publishers stores, so that Windows stages the
// driver package without asking anyone, and comes out of them again.
//
// The Root store makes a certificate an anchor for everything it could sign, so only what the
// build makes is taken: self-signed, not a certification authority (basic constraints CA:FALSE),
// for code signing. Its private key is destroyed when the build signs the catalog, so such a
// certificate vouches for that one catalog alone. Whoever can replace the file could also replace
// the catalog, with one signed by a key of their own, so requiring the certificate to be the
// catalog's signer would add no protection: the kit's folder itself must be one that only
// administrators can write.
#include <cstring>

#include "install_run.h"
#include "kit_modems.h"
#include "unique_handle.h"
#include "verb_steps.h"

namespace {

constexpr char kCertificateName[] = "wwandev.cer";
// The build's certificate is under a kilobyte; a file past this is none of the kit's, and is not
// read to its end.
constexpr DWORD kMostBytes = 16 * 1024;
constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr DWORD kSha1Size = 20;

// The machine's two stores, in the order trust fills them: the root first, as Windows needs the
// publisher to chain to it.
constexpr const char* kStores[] = {"Root", "TrustedPublisher"};
constexpr int kStoreCount = 2;

// The kit's certificate as the file holds it.
struct KitCertificate {
  BYTE bytes[kMostBytes + 1];
  DWORD size = 0;
  BYTE sha1[kSha1Size] = {};
  char thumbprint[2 * kSha1Size + 1] = {};
};

enum class Read { kTaken, kNone, kFailed };

// `what`, then the system's reason for `code`: "..., and nothing was changed: Access is denied."
void SayFailure(Console& console, std::string_view what, DWORD code) {
  char reason[kTextCapacity];
  SystemReason(code, reason);
  console.Error(Words({what, ": ", reason}).Text());
}

void SayRefused(Console& console, std::string_view why) {
  console.Error(
      Words({kCertificateName, " beside GprsKit.exe is refused: ", why, "; nothing was changed."})
          .Text());
}

bool HasUsage(const CERT_ENHKEY_USAGE& usage, const char* oid) {
  for (DWORD i = 0; i < usage.cUsageIdentifier; ++i)
    if (std::strcmp(usage.rgpszUsageIdentifier[i], oid) == 0) return true;
  return false;
}

const CERT_EXTENSION* Extension(const CERT_INFO& info, const char* oid) {
  for (DWORD i = 0; i < info.cExtension; ++i)
    if (std::strcmp(info.rgExtension[i].pszObjId, oid) == 0) return &info.rgExtension[i];
  return nullptr;
}

// Why the certificate is not one the build makes, or null when it is.
const char* WhyNotTheBuilds(const CERT_INFO& info) {
  if (info.Subject.cbData != info.Issuer.cbData ||
      std::memcmp(info.Subject.pbData, info.Issuer.pbData, info.Subject.cbData) != 0)
    return "it is not self-signed (its subject is not its issuer)";
  // Without basic constraints, Windows may take a certificate in the Root store for an authority;
  // the older form of the extension can say so too.
  const CERT_EXTENSION* constraints = Extension(info, szOID_BASIC_CONSTRAINTS2);
  CERT_BASIC_CONSTRAINTS2_INFO basic = {};
  DWORD size = sizeof basic;
  if (!constraints || Extension(info, szOID_BASIC_CONSTRAINTS) ||
      !CryptDecodeObject(X509_ASN_ENCODING, X509_BASIC_CONSTRAINTS2, constraints->Value.pbData,
                         constraints->Value.cbData, 0, &basic, &size) ||
      basic.fCA)
    return "it may certify other certificates (its basic constraints do not say CA:FALSE)";
  const CERT_EXTENSION* usages = Extension(info, szOID_ENHANCED_KEY_USAGE);
  size = 0;
  if (!usages || !CryptDecodeObject(X509_ASN_ENCODING, X509_ENHANCED_KEY_USAGE,
                                    usages->Value.pbData, usages->Value.cbData, 0, nullptr, &size))
    return "it is not for code signing (it names no extended key usage)";
  LocalMemory memory(LocalAlloc(LPTR, size));
  if (!memory ||
      !CryptDecodeObject(X509_ASN_ENCODING, X509_ENHANCED_KEY_USAGE, usages->Value.pbData,
                         usages->Value.cbData, 0, memory.get(), &size))
    return "its extended key usage cannot be read";
  if (!HasUsage(*static_cast<const CERT_ENHKEY_USAGE*>(memory.get()), szOID_PKIX_KP_CODE_SIGNING))
    return "it is not for code signing (its extended key usage lacks code signing)";
  return nullptr;
}

// Reads `wwandev.cer` from the tool's own folder, never the current directory, and takes it only
// as a certificate the build makes. kNone when there is no such file; kFailed, said on the error
// stream, when it cannot be read or is refused.
Read ReadKitCertificate(KitCertificate& kit, Console& console) {
  char path[kTextCapacity] = {};
  if (!InfBesideProgram(kCertificateName, path)) {
    console.Error(
        "The folder of GprsKit.exe cannot be used: its path is too long or cannot be read; "
        "nothing was changed.");
    return Read::kFailed;
  }
  File file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return Read::kNone;
    SayFailure(console, Words({path, " cannot be read, and nothing was changed"}).Text(),
               GetLastError());
    return Read::kFailed;
  }
  // One byte past the bound tells a file that is too large, without reading the rest.
  DWORD read = 0;
  kit.size = 0;
  do {
    if (!ReadFile(file.get(), kit.bytes + kit.size, sizeof kit.bytes - kit.size, &read, nullptr)) {
      SayFailure(console, Words({path, " cannot be read, and nothing was changed"}).Text(),
                 GetLastError());
      return Read::kFailed;
    }
    kit.size += read;
  } while (read > 0 && kit.size < sizeof kit.bytes);
  if (kit.size > kMostBytes) {
    SayRefused(console, "it is larger than 16 KB, which no certificate of the kit is");
    return Read::kFailed;
  }
  CertContext context(CertCreateCertificateContext(kEncoding, kit.bytes, kit.size));
  if (!context) {
    SayFailure(console,
               Words({kCertificateName,
                      " beside GprsKit.exe is refused, as it is not a certificate in DER, and "
                      "nothing was changed"})
                   .Text(),
               GetLastError());
    return Read::kFailed;
  }
  if (const char* why = WhyNotTheBuilds(*context.get()->pCertInfo)) {
    SayRefused(console, why);
    return Read::kFailed;
  }
  DWORD size = sizeof kit.sha1;
  if (!CertGetCertificateContextProperty(context.get(), CERT_SHA1_HASH_PROP_ID, kit.sha1, &size) ||
      size != sizeof kit.sha1) {
    SayFailure(console,
               "The certificate's SHA-1 thumbprint cannot be computed, and nothing was changed",
               GetLastError());
    return Read::kFailed;
  }
  constexpr char kDigits[] = "0123456789ABCDEF";
  char* digit = kit.thumbprint;
  for (const BYTE byte : kit.sha1) {
    *digit++ = kDigits[byte >> 4];
    *digit++ = kDigits[byte & 0xF];
  }
  return Read::kTaken;
}

// The machine's system store `name`, or a null one with the platform's code.
CertStore OpenMachineStore(const char* name) {
  return CertStore(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, name));
}

// The kit's certificate in `store`: found by its thumbprint, and taken only when its bytes are
// the file's. A null one leaves CRYPT_E_NOT_FOUND when the store does not hold it, another code
// when the search failed.
CertContext FindKitCertificate(HCERTSTORE store, KitCertificate& kit) {
  CRYPT_HASH_BLOB hash = {kSha1Size, kit.sha1};
  PCCERT_CONTEXT found = nullptr;
  // Each search frees the context it goes on from.
  while ((found = CertFindCertificateInStore(store, kEncoding, 0, CERT_FIND_SHA1_HASH, &hash,
                                             found)) != nullptr) {
    if (found->cbCertEncoded == kit.size &&
        std::memcmp(found->pbCertEncoded, kit.bytes, kit.size) == 0)
      return CertContext(found);
  }
  return CertContext();
}

bool NotFound(DWORD code) {
  return code == static_cast<DWORD>(CRYPT_E_NOT_FOUND);
}

// Takes the kit's certificate out of `store`; true when it is not there afterwards.
bool TakeOut(HCERTSTORE store, KitCertificate& kit, DWORD& code, bool& wasThere) {
  wasThere = false;
  CertContext found = FindKitCertificate(store, kit);
  if (!found) {
    code = GetLastError();
    return NotFound(code);
  }
  wasThere = true;
  // The delete frees the context, whatever comes of it. Windows writes a system store's change
  // through at once; Wine 8 only when the store is released, which its collection of the
  // machine's store never is while GprsKit runs, so the change is committed here, which the
  // platform's page says a store that writes through ignores.
  if (CertDeleteCertificateFromStore(found.Release()) &&
      CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr))
    return true;
  code = GetLastError();
  return false;
}

// "Root", "Root and TrustedPublisher", or "" for none.
void StoresSaid(const bool (&which)[kStoreCount], char (&text)[kTextCapacity]) {
  const char* first = nullptr;
  const char* second = nullptr;
  for (int i = 0; i < kStoreCount; ++i)
    if (which[i]) (first ? second : first) = kStores[i];
  OneLine(Words({first ? first : "", second ? " and " : "", second ? second : ""}).Text(), "",
          text);
}

constexpr char kNoCertificate[] =
    "The kit carries no certificate of its own (no wwandev.cer beside GprsKit.exe): ";

}  // namespace

int TrustVerb(Console& console) {
  KitCertificate kit;  // 16 KB on the stack, which holds a megabyte
  switch (ReadKitCertificate(kit, console)) {
    case Read::kNone:
      console.Line(Words({kNoCertificate,
                          "this PC's policy must trust the signer of the kit's driver package."})
                       .Text());
      return kExitDone;
    case Read::kFailed:
      return kExitFailed;
    case Read::kTaken:
      break;
  }
  CertStore stores[kStoreCount];
  bool added[kStoreCount] = {};
  for (int i = 0; i < kStoreCount; ++i) {
    const char* failure = nullptr;
    DWORD code = 0;
    stores[i] = OpenMachineStore(kStores[i]);
    if (!stores[i]) {
      code = GetLastError();
      failure = "could not be opened";
    } else if (!FindKitCertificate(stores[i].get(), kit)) {
      code = GetLastError();
      if (!NotFound(code)) {
        failure = "could not be searched";
      } else if (!CertAddEncodedCertificateToStore(stores[i].get(), kEncoding, kit.bytes, kit.size,
                                                   CERT_STORE_ADD_USE_EXISTING, nullptr)) {
        code = GetLastError();
        failure = "did not take the kit's certificate";
      } else {
        added[i] = true;
      }
    }
    if (!failure) continue;
    // No half trust: what this run added comes out again.
    bool taken[kStoreCount] = {};
    bool left[kStoreCount] = {};
    DWORD leftCode = 0;
    for (int j = 0; j < i; ++j) {
      bool wasThere = false;
      if (added[j]) (TakeOut(stores[j].get(), kit, leftCode, wasThere) ? taken : left)[j] = true;
    }
    char takenStores[kTextCapacity];
    char leftStores[kTextCapacity];
    StoresSaid(taken, takenStores);
    StoresSaid(left, leftStores);
    const Words what({"The machine's ", kStores[i], " store ", failure});
    if (leftStores[0]) {
      char reason[kTextCapacity];
      SystemReason(code, reason);
      SayFailure(console,
                 Words({what.Text(), ": ", reason, " The kit's certificate stays in ", leftStores,
                        ", as taking it out again failed"})
                     .Text(),
                 leftCode);
    } else if (takenStores[0]) {
      SayFailure(console,
                 Words({what.Text(), "; the kit's certificate was taken out of ", takenStores,
                        " again, and nothing was changed"})
                     .Text(),
                 code);
    } else {
      SayFailure(console, Words({what.Text(), ", and nothing was changed"}).Text(), code);
    }
    return kExitFailed;
  }
  char addedStores[kTextCapacity];
  StoresSaid(added, addedStores);
  console.Line(Words({"The kit's certificate (SHA-1 ", kit.thumbprint,
                      ") is in the machine's Root and TrustedPublisher stores",
                      added[0] && added[1] ? "; it was added to both."
                      : addedStores[0]     ? "; it was added to "
                                           : "; it was there already, and nothing was changed.",
                      added[0] != added[1] ? addedStores : "", added[0] != added[1] ? "." : ""})
                   .Text());
  return kExitDone;
}

int UntrustVerb(Console& console) {
  KitCertificate kit;  // 16 KB on the stack, which holds a megabyte
  switch (ReadKitCertificate(kit, console)) {
    case Read::kNone:
      console.Line(Words({kNoCertificate, "nothing to take out of the machine's stores."}).Text());
      return kExitDone;
    case Read::kFailed:
      return kExitFailed;
    case Read::kTaken:
      break;
  }
  // The root first: it is the wider trust. The first failure ends the run, so that one line says
  // it; a second run takes out what stayed.
  bool removed[kStoreCount] = {};
  for (int i = 0; i < kStoreCount; ++i) {
    CertStore store = OpenMachineStore(kStores[i]);
    DWORD code = 0;
    bool wasThere = false;
    const char* failure = nullptr;
    if (!store) {
      code = GetLastError();
      failure = " store could not be opened";
    } else if (!TakeOut(store.get(), kit, code, wasThere)) {
      failure =
          wasThere ? " store did not let the kit's certificate go" : " store could not be searched";
    }
    if (failure) {
      char removedStores[kTextCapacity];
      StoresSaid(removed, removedStores);
      SayFailure(console,
                 Words({"The machine's ", kStores[i], failure,
                        removedStores[0] ? "; the kit's certificate was taken out of " : "",
                        removedStores, removedStores[0] ? " only" : ", and nothing was changed"})
                     .Text(),
                 code);
      return kExitFailed;
    }
    removed[i] = wasThere;
  }
  char removedStores[kTextCapacity];
  StoresSaid(removed, removedStores);
  console.Line(
      Words({"The kit's certificate (SHA-1 ", kit.thumbprint,
             ") is in neither of the machine's Root and TrustedPublisher stores",
             removed[0] && removed[1] ? "; it was taken out of both."
             : removedStores[0]       ? "; it was taken out of "
                                      : "; it was in neither, and nothing was changed.",
             removed[0] != removed[1] ? removedStores : "", removed[0] != removed[1] ? "." : ""})
          .Text());
  return kExitDone;
}
