// The part of wintrust.dll the kit calls, declared for the host with Windows' names, widths and
// layouts (those the Windows build compiles with for Windows 2000 and XP x64, without the members
// Windows 8 added), and the wide texts its functions take. The kit reaches these functions only
// through LoadLibraryA and GetProcAddress, as their pages ask.
#pragma once

#include "winsim/win32.h"

// Wide texts: UTF-16 code units, as on Windows.
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
#define CP_ACP 0
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                               LPWSTR wide, int wideCount);

typedef ULONG_PTR HCRYPTPROV;
// The blobs and the algorithm identifier come from wincrypt.h, through win32.h.
typedef CRYPTOAPI_BLOB CRYPT_ATTR_BLOB;
struct CRYPT_ATTRIBUTE_TYPE_AND_VALUE {
  LPSTR pszObjId;
  CRYPT_OBJID_BLOB Value;
};
struct SIP_INDIRECT_DATA {
  CRYPT_ATTRIBUTE_TYPE_AND_VALUE Data;
  CRYPT_ALGORITHM_IDENTIFIER DigestAlgorithm;
  CRYPT_HASH_BLOB Digest;
};
struct CRYPTCATMEMBER {
  DWORD cbStruct;
  LPWSTR pwszReferenceTag;
  LPWSTR pwszFileName;
  GUID gSubjectType;
  DWORD fdwMemberFlags;
  SIP_INDIRECT_DATA* pIndirectData;
  DWORD dwCertVersion;
  DWORD dwReserved;
  HANDLE hReserved;
  CRYPT_ATTR_BLOB sEncodedIndirectData;
  CRYPT_ATTR_BLOB sEncodedMemberInfo;
};
static_assert(sizeof(CRYPTCATMEMBER) == (sizeof(void*) == 8 ? 104 : 64),
              "CRYPTCATMEMBER has Windows' size for this pointer width");
#define CRYPTCAT_OPEN_EXISTING 0x00000004

struct WINTRUST_CATALOG_INFO {
  DWORD cbStruct;
  DWORD dwCatalogVersion;
  LPCWSTR pcwszCatalogFilePath;
  LPCWSTR pcwszMemberTag;
  LPCWSTR pcwszMemberFilePath;
  HANDLE hMemberFile;
  BYTE* pbCalculatedFileHash;
  DWORD cbCalculatedFileHash;
  const void* pcCatalogContext;
};
struct WINTRUST_DATA {
  DWORD cbStruct;
  LPVOID pPolicyCallbackData;
  LPVOID pSIPClientData;
  DWORD dwUIChoice;
  DWORD fdwRevocationChecks;
  DWORD dwUnionChoice;
  union {
    void* pFile;  // the other subjects are not simulated
    WINTRUST_CATALOG_INFO* pCatalog;
  };
  DWORD dwStateAction;
  HANDLE hWVTStateData;
  WCHAR* pwszURLReference;
  DWORD dwProvFlags;
  DWORD dwUIContext;
};
static_assert(sizeof(WINTRUST_CATALOG_INFO) == (sizeof(void*) == 8 ? 64 : 36),
              "WINTRUST_CATALOG_INFO has the size of Windows XP's layout");
static_assert(sizeof(WINTRUST_DATA) == (sizeof(void*) == 8 ? 80 : 48),
              "WINTRUST_DATA has the size of Windows XP's layout");
#define WTD_UI_ALL 1
#define WTD_UI_NONE 2
#define WTD_REVOKE_NONE 0x00000000
#define WTD_REVOKE_WHOLECHAIN 0x00000001
#define WTD_CHOICE_CATALOG 2
#define WTD_STATEACTION_IGNORE 0x00000000
// Authenticode's own check of a file or a catalog member, from softpub.h.
#define WINTRUST_ACTION_GENERIC_VERIFY_V2           \
  {                                                 \
    0xaac56b, 0xcd44, 0x11d0, {                     \
      0x8c, 0xc2, 0x0, 0xc0, 0x4f, 0xc2, 0x95, 0xee \
    }                                               \
  }

// WinVerifyTrust's verdicts, and the codes of reading a catalog.
#define TRUST_E_SUBJECT_FORM_UNKNOWN ((LONG)0x800B0003L)
#define TRUST_E_PROVIDER_UNKNOWN ((LONG)0x800B0001L)
#define TRUST_E_SUBJECT_NOT_TRUSTED ((LONG)0x800B0004L)
#define TRUST_E_NOSIGNATURE ((LONG)0x800B0100L)
#define CERT_E_EXPIRED ((LONG)0x800B0101L)
#define CERT_E_UNTRUSTEDROOT ((LONG)0x800B0109L)
#define CERT_E_CHAINING ((LONG)0x800B010AL)
#define CERT_E_REVOKED ((LONG)0x800B010CL)
#define CERT_E_WRONG_USAGE ((LONG)0x800B0110L)
#define TRUST_E_EXPLICIT_DISTRUST ((LONG)0x800B0111L)
#define TRUST_E_BAD_DIGEST ((LONG)0x80096010L)
#define CRYPT_E_SECURITY_SETTINGS ((LONG)0x80092026L)

HANDLE WINAPI CryptCATOpen(LPWSTR fileName, DWORD openFlags, HCRYPTPROV provider,
                           DWORD publicVersion, DWORD encodingType);
CRYPTCATMEMBER* WINAPI CryptCATEnumerateMember(HANDLE catalog, CRYPTCATMEMBER* previous);
BOOL WINAPI CryptCATClose(HANDLE catalog);
BOOL WINAPI CryptCATAdminCalcHashFromFileHandle(HANDLE file, DWORD* hashSize, BYTE* hash,
                                                DWORD flags);
LONG WINAPI WinVerifyTrust(HWND window, GUID* action, LPVOID data);
