// The part of crypt32 the kit calls, declared as wincrypt.h declares it: the machine's system
// certificate stores, opened by name, and the certificate contexts made from DER. Only the A
// forms of the store providers; the structures in Windows' layout, of which the simulation fills
// what a certificate's encoding says (see winsim/control/cert_store.h).
#pragma once

// Brought in by win32.h, after the types it uses.

typedef ULONG_PTR HCRYPTPROV_LEGACY;
typedef void* HCERTSTORE;

struct CRYPTOAPI_BLOB {
  DWORD cbData;
  BYTE* pbData;
};
typedef CRYPTOAPI_BLOB CRYPT_INTEGER_BLOB;
typedef CRYPTOAPI_BLOB CRYPT_OBJID_BLOB;
typedef CRYPTOAPI_BLOB CERT_NAME_BLOB;
typedef CRYPTOAPI_BLOB CRYPT_HASH_BLOB;
typedef CRYPTOAPI_BLOB CRYPT_DATA_BLOB;
typedef CRYPTOAPI_BLOB* PCRYPT_HASH_BLOB;

struct CRYPT_BIT_BLOB {
  DWORD cbData;
  BYTE* pbData;
  DWORD cUnusedBits;
};

struct CRYPT_ALGORITHM_IDENTIFIER {
  LPSTR pszObjId;
  CRYPT_OBJID_BLOB Parameters;
};

struct CERT_PUBLIC_KEY_INFO {
  CRYPT_ALGORITHM_IDENTIFIER Algorithm;
  CRYPT_BIT_BLOB PublicKey;
};

struct CERT_EXTENSION {
  LPSTR pszObjId;
  BOOL fCritical;
  CRYPT_OBJID_BLOB Value;
};
typedef CERT_EXTENSION* PCERT_EXTENSION;

struct CERT_INFO {
  DWORD dwVersion;
  CRYPT_INTEGER_BLOB SerialNumber;
  CRYPT_ALGORITHM_IDENTIFIER SignatureAlgorithm;
  CERT_NAME_BLOB Issuer;
  FILETIME NotBefore;
  FILETIME NotAfter;
  CERT_NAME_BLOB Subject;
  CERT_PUBLIC_KEY_INFO SubjectPublicKeyInfo;
  CRYPT_BIT_BLOB IssuerUniqueId;
  CRYPT_BIT_BLOB SubjectUniqueId;
  DWORD cExtension;
  PCERT_EXTENSION rgExtension;
};
typedef CERT_INFO* PCERT_INFO;

struct CERT_CONTEXT {
  DWORD dwCertEncodingType;
  BYTE* pbCertEncoded;
  DWORD cbCertEncoded;
  PCERT_INFO pCertInfo;
  HCERTSTORE hCertStore;
};
typedef const CERT_CONTEXT* PCCERT_CONTEXT;

struct CERT_BASIC_CONSTRAINTS2_INFO {
  BOOL fCA;
  BOOL fPathLenConstraint;
  DWORD dwPathLenConstraint;
};

struct CERT_ENHKEY_USAGE {
  DWORD cUsageIdentifier;
  LPSTR* rgpszUsageIdentifier;
};

#define X509_ASN_ENCODING 0x00000001
#define PKCS_7_ASN_ENCODING 0x00010000

// Store providers: the A form names the system store with an ANSI string.
#define CERT_STORE_PROV_SYSTEM_A ((LPCSTR)9)
#define CERT_SYSTEM_STORE_LOCATION_MASK 0x00FF0000
#define CERT_SYSTEM_STORE_CURRENT_USER 0x00010000
#define CERT_SYSTEM_STORE_LOCAL_MACHINE 0x00020000
#define CERT_STORE_READONLY_FLAG 0x00008000
#define CERT_STORE_OPEN_EXISTING_FLAG 0x00004000

#define CERT_STORE_ADD_NEW 1
#define CERT_STORE_ADD_USE_EXISTING 2
#define CERT_STORE_ADD_REPLACE_EXISTING 3

#define CERT_STORE_CTRL_COMMIT 3

#define CERT_FIND_ANY 0
#define CERT_FIND_SHA1_HASH 0x00010000
#define CERT_FIND_EXISTING 0x000D0000

#define CERT_SHA1_HASH_PROP_ID 3

// Structure types of CryptDecodeObject, given as small numbers in place of a pointer.
#define X509_BASIC_CONSTRAINTS2 ((LPCSTR)15)
#define X509_ENHANCED_KEY_USAGE ((LPCSTR)36)

#define szOID_BASIC_CONSTRAINTS "2.5.29.10"
#define szOID_BASIC_CONSTRAINTS2 "2.5.29.19"
#define szOID_ENHANCED_KEY_USAGE "2.5.29.37"
#define szOID_PKIX_KP_CODE_SIGNING "1.3.6.1.5.5.7.3.3"

#define E_INVALIDARG ((HRESULT)0x80070057L)
#define E_ACCESSDENIED ((HRESULT)0x80070005L)
#define CRYPT_E_NOT_FOUND ((HRESULT)0x80092004L)
#define CRYPT_E_EXISTS ((HRESULT)0x80092005L)
#define CRYPT_E_ASN1_EOD ((HRESULT)0x80093102L)
#define CRYPT_E_ASN1_BADTAG ((HRESULT)0x8009310BL)

HCERTSTORE WINAPI CertOpenStore(LPCSTR storeProvider, DWORD encodingType,
                                HCRYPTPROV_LEGACY cryptProv, DWORD flags, const void* para);
BOOL WINAPI CertCloseStore(HCERTSTORE certStore, DWORD flags);
// Only CERT_STORE_CTRL_COMMIT, which a store that writes its changes through at once, as these
// do, takes as done.
BOOL WINAPI CertControlStore(HCERTSTORE certStore, DWORD flags, DWORD ctrlType,
                             const void* ctrlPara);
PCCERT_CONTEXT WINAPI CertCreateCertificateContext(DWORD certEncodingType, const BYTE* certEncoded,
                                                   DWORD certEncodedSize);
BOOL WINAPI CertFreeCertificateContext(PCCERT_CONTEXT certContext);
BOOL WINAPI CertAddEncodedCertificateToStore(HCERTSTORE certStore, DWORD certEncodingType,
                                             const BYTE* certEncoded, DWORD certEncodedSize,
                                             DWORD addDisposition, PCCERT_CONTEXT* certContext);
PCCERT_CONTEXT WINAPI CertFindCertificateInStore(HCERTSTORE certStore, DWORD certEncodingType,
                                                 DWORD findFlags, DWORD findType,
                                                 const void* findPara,
                                                 PCCERT_CONTEXT prevCertContext);
// Frees the context whatever its outcome, as the platform's does.
BOOL WINAPI CertDeleteCertificateFromStore(PCCERT_CONTEXT certContext);
BOOL WINAPI CertGetCertificateContextProperty(PCCERT_CONTEXT certContext, DWORD propId, void* data,
                                              DWORD* dataSize);
BOOL WINAPI CryptDecodeObject(DWORD certEncodingType, LPCSTR structType, const BYTE* encoded,
                              DWORD encodedSize, DWORD flags, void* structInfo,
                              DWORD* structInfoSize);
