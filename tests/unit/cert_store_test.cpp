// The simulated crypt32 where GprsKit's tests do not reach: it reads a certificate as crypt32
// does, hashes it with SHA-1, and hands out and frees contexts as the platform's pages say.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform.h"
#include "sim_test.h"

namespace {

constexpr DWORD kSentinel = 0xdeadbeef;
constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::string Der(const char* name) {
  std::ifstream file(std::string(KIT_TEST_CERTIFICATES "/") + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

const BYTE* Bytes(const std::string& text) {
  return reinterpret_cast<const BYTE*>(text.data());
}

class CertStoreSim : public SimTest {};

TEST_F(CertStoreSim, ThumbprintsAreSha1) {
  // FIPS 180-4's examples.
  EXPECT_EQ(winsim::Thumbprint("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(winsim::Thumbprint(""), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
  EXPECT_EQ(winsim::Thumbprint("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
}

TEST_F(CertStoreSim, AContextHoldsWhatTheEncodingSays) {
  const std::string kit = Der("kit.der");
  PCCERT_CONTEXT context =
      CertCreateCertificateContext(kEncoding, Bytes(kit), static_cast<DWORD>(kit.size()));
  ASSERT_NE(context, nullptr);
  const CERT_INFO& info = *context->pCertInfo;
  EXPECT_EQ(info.dwVersion, 2u);  // CERT_V3
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info.Subject.pbData), info.Subject.cbData),
            std::string(reinterpret_cast<char*>(info.Issuer.pbData), info.Issuer.cbData));
  const CERT_EXTENSION* constraints = nullptr;
  for (DWORD i = 0; i < info.cExtension; ++i)
    if (std::string(info.rgExtension[i].pszObjId) == szOID_BASIC_CONSTRAINTS2)
      constraints = &info.rgExtension[i];
  ASSERT_NE(constraints, nullptr);
  EXPECT_TRUE(constraints->fCritical);
  // The size alone, then too little room, then the structure.
  DWORD size = 0;
  EXPECT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, X509_BASIC_CONSTRAINTS2,
                                constraints->Value.pbData, constraints->Value.cbData, 0, nullptr,
                                &size));
  EXPECT_EQ(size, sizeof(CERT_BASIC_CONSTRAINTS2_INFO));
  CERT_BASIC_CONSTRAINTS2_INFO basic = {TRUE, TRUE, 7};
  size = 4;
  SetLastError(kSentinel);
  EXPECT_FALSE(CryptDecodeObject(X509_ASN_ENCODING, X509_BASIC_CONSTRAINTS2,
                                 constraints->Value.pbData, constraints->Value.cbData, 0, &basic,
                                 &size));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MORE_DATA});
  EXPECT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, szOID_BASIC_CONSTRAINTS2,
                                constraints->Value.pbData, constraints->Value.cbData, 0, &basic,
                                &size));
  EXPECT_FALSE(basic.fCA);
  EXPECT_FALSE(basic.fPathLenConstraint);
  BYTE sha1[20] = {};
  size = sizeof sha1;
  EXPECT_TRUE(CertGetCertificateContextProperty(context, CERT_SHA1_HASH_PROP_ID, sha1, &size));
  std::string hex;
  for (const BYTE byte : sha1) {
    char digits[3];
    (void)std::snprintf(digits, sizeof digits, "%02X", byte);
    hex += digits;
  }
  EXPECT_EQ(hex, winsim::Thumbprint(kit));
  EXPECT_TRUE(CertFreeCertificateContext(context));

  // Any cut of the encoding is refused, never read past.
  for (size_t length = 0; length < kit.size(); ++length) {
    SetLastError(kSentinel);
    EXPECT_EQ(CertCreateCertificateContext(kEncoding, Bytes(kit), static_cast<DWORD>(length)),
              nullptr)
        << length;
    EXPECT_TRUE(GetLastError() == DWORD(CRYPT_E_ASN1_EOD) ||
                GetLastError() == DWORD(CRYPT_E_ASN1_BADTAG))
        << length;
  }
}

TEST_F(CertStoreSim, StoresMatchByHashAndFreeContextsAsThePlatformDoes) {
  const std::string kit = Der("kit.der"), other = Der("other.der");
  HCERTSTORE root =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "root");
  ASSERT_NE(root, nullptr);
  for (const std::string* der : {&other, &kit, &kit})
    EXPECT_TRUE(CertAddEncodedCertificateToStore(root, kEncoding, Bytes(*der),
                                                 static_cast<DWORD>(der->size()),
                                                 CERT_STORE_ADD_USE_EXISTING, nullptr));
  SetLastError(kSentinel);
  EXPECT_FALSE(CertAddEncodedCertificateToStore(
      root, kEncoding, Bytes(kit), static_cast<DWORD>(kit.size()), CERT_STORE_ADD_NEW, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(CRYPT_E_EXISTS));
  EXPECT_EQ(winsim::MachineCertificates("ROOT"), (std::vector<std::string>{other, kit}));
  // The current user's store of the same name is another.
  HCERTSTORE mine =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
  SetLastError(kSentinel);
  EXPECT_EQ(CertFindCertificateInStore(mine, kEncoding, 0, CERT_FIND_ANY, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), DWORD(CRYPT_E_NOT_FOUND));
  EXPECT_TRUE(CertCloseStore(mine, 0));

  // Going through every one frees each context the next search starts from.
  int seen = 0;
  PCCERT_CONTEXT found = nullptr;
  while ((found = CertFindCertificateInStore(root, kEncoding, 0, CERT_FIND_ANY, nullptr, found)))
    ++seen;
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(winsim::OpenHandles(), 1);

  // A delete frees its context even when the store refuses it.
  HCERTSTORE readOnly =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                    CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG, "Root");
  PCCERT_CONTEXT any =
      CertFindCertificateInStore(readOnly, kEncoding, 0, CERT_FIND_ANY, nullptr, nullptr);
  ASSERT_NE(any, nullptr);
  SetLastError(kSentinel);
  EXPECT_FALSE(CertDeleteCertificateFromStore(any));
  EXPECT_EQ(GetLastError(), DWORD(E_ACCESSDENIED));
  EXPECT_TRUE(CertCloseStore(readOnly, 0));
  EXPECT_EQ(winsim::OpenHandles(), 1);
  EXPECT_EQ(winsim::MachineCertificates("Root").size(), 2u);

  SetLastError(kSentinel);
  EXPECT_EQ(CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                          CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_OPEN_EXISTING_FLAG,
                          "TrustedPublisher"),
            nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_TRUE(CertCloseStore(root, 0));
}

}  // namespace
