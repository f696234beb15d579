#include "catalog_trust.h"

#include <cstring>

#include "install_run.h"
#include "system_function.h"
#include "trust_api.h"
#include "unique_handle.h"

namespace {

using CatalogOpenFunction = HANDLE(WINAPI*)(LPWSTR, DWORD, HCRYPTPROV, DWORD, DWORD);
using MemberFunction = CRYPTCATMEMBER*(WINAPI*)(HANDLE, CRYPTCATMEMBER*);
using CatalogCloseFunction = BOOL(WINAPI*)(HANDLE);
using HashFunction = BOOL(WINAPI*)(HANDLE, DWORD*, BYTE*, DWORD);
using VerifyFunction = LONG(WINAPI*)(HWND, GUID*, LPVOID);

// wintrust.dll's catalog functions. Their pages give them no import library and say to reach them
// through GetProcAddress; a Windows that lacks one still runs every other part of the tool. The
// DLL comes from the system folder by its full path: by its bare name it would be looked for in
// the program's folder first, and the tool may run elevated from a folder a standard user wrote.
struct Wintrust {
  Module dll;
  CatalogOpenFunction open = nullptr;
  MemberFunction nextMember = nullptr;
  CatalogCloseFunction close = nullptr;
  HashFunction hash = nullptr;
  VerifyFunction verify = nullptr;

  // False, with the reason as the last-error code, when one of them cannot be had.
  bool Load() {
    char path[kTextCapacity] = {};
    const UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0) return false;
    constexpr char kName[] = "\\wintrust.dll";
    if (length + sizeof kName > sizeof path) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return false;
    }
    std::memcpy(path + length, kName, sizeof kName);
    dll.Reset(LoadLibraryA(path));
    // In turn, so that the code is that of the first one missing.
    return dll && (open = FunctionIn<CatalogOpenFunction>(dll.get(), "CryptCATOpen")) &&
           (nextMember = FunctionIn<MemberFunction>(dll.get(), "CryptCATEnumerateMember")) &&
           (close = FunctionIn<CatalogCloseFunction>(dll.get(), "CryptCATClose")) &&
           (hash = FunctionIn<HashFunction>(dll.get(), "CryptCATAdminCalcHashFromFileHandle")) &&
           (verify = FunctionIn<VerifyFunction>(dll.get(), "WinVerifyTrust"));
  }
};

// An open catalog, closed through the function that the DLL it came from gives.
class OpenCatalog {
 public:
  OpenCatalog(HANDLE handle, CatalogCloseFunction close) : handle_(handle), close_(close) {}
  ~OpenCatalog() {
    if (!valid()) return;
    LastErrorKeeper keep;
    close_(handle_);
  }
  OpenCatalog(const OpenCatalog&) = delete;
  OpenCatalog& operator=(const OpenCatalog&) = delete;

  // The page says INVALID_HANDLE_VALUE; Wine's older CryptCATOpen gave a null handle.
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
  CatalogCloseFunction close_;
};

// The most a catalog's hash takes, SHA-512's; the catalogs Windows 2000 to 11 read hash with SHA-1.
constexpr DWORD kHashMost = 64;

// A hash as a catalog tags its member: upper-case hexadecimal digits.
void HashTag(const BYTE* hash, DWORD size, WCHAR (&tag)[2 * kHashMost + 1]) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  size_t at = 0;
  for (DWORD i = 0; i < size; ++i) {
    tag[at++] = static_cast<WCHAR>(kDigits[hash[i] >> 4]);
    tag[at++] = static_cast<WCHAR>(kDigits[hash[i] & 0xF]);
  }
  tag[at] = 0;
}

bool SameTag(const WCHAR* a, const WCHAR* b) {
  const auto fold = [](WCHAR c) {
    return c >= 'a' && c <= 'z' ? static_cast<WCHAR>(c - 'a' + 'A') : c;
  };
  for (; *a && *b; ++a, ++b)
    if (fold(*a) != fold(*b)) return false;
  return *a == *b;
}

// Windows looks a member up by its tag and then checks the hash in its indirect data: both must
// be the INF's.
bool ListsHash(const CRYPTCATMEMBER& member, const WCHAR* tag, const BYTE* hash, DWORD size) {
  const SIP_INDIRECT_DATA* indirect = member.pIndirectData;
  return member.pwszReferenceTag && SameTag(member.pwszReferenceTag, tag) && indirect &&
         indirect->Digest.cbData == size && indirect->Digest.pbData &&
         std::memcmp(indirect->Digest.pbData, hash, size) == 0;
}

// Opens a file to read; on failure says whether it is missing (`missing`) or unreadable.
File OpenToRead(const char* path, CatalogVerdict& verdict, CatalogCheck missing, bool inf) {
  File file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    verdict.code = GetLastError();
    const bool absent =
        verdict.code == ERROR_FILE_NOT_FOUND || verdict.code == ERROR_PATH_NOT_FOUND;
    verdict.check = absent ? missing : CatalogCheck::kUnreadable;
    verdict.infUnreadable = inf;
  }
  return file;
}

bool Widen(const char* text, WCHAR (&wide)[kTextCapacity]) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kTextCapacity) > 0;
}

}  // namespace

void CheckCatalog(CatalogVerdict& verdict) {
  verdict = CatalogVerdict();
  if (!InfBesideProgram(kCatalogName, verdict.catalog) ||
      !InfBesideProgram(kInfName, verdict.inf)) {
    verdict.check = CatalogCheck::kNoFolder;
    return;
  }
  // Both files are looked at first, so that a missing one is said as such whatever this Windows
  // has of wintrust.dll.
  if (!OpenToRead(verdict.catalog, verdict, CatalogCheck::kNoCatalog, false)) return;
  File inf = OpenToRead(verdict.inf, verdict, CatalogCheck::kNoInf, true);
  if (!inf) return;

  Wintrust wintrust;
  if (!wintrust.Load()) {
    verdict.code = GetLastError();
    verdict.check = CatalogCheck::kNoWintrust;
    return;
  }
  BYTE hash[kHashMost] = {};
  DWORD hashSize = sizeof hash;
  const bool hashed = wintrust.hash(inf.get(), &hashSize, hash, 0) != FALSE;
  if (!hashed || hashSize == 0 || hashSize > sizeof hash) {
    // A size no hash has comes with a success, which sets no code of its own.
    verdict.code = hashed ? ERROR_INVALID_DATA : GetLastError();
    verdict.check = CatalogCheck::kUnreadable;
    verdict.infUnreadable = true;
    return;
  }
  inf.Reset();
  WCHAR tag[2 * kHashMost + 1];
  HashTag(hash, hashSize, tag);
  WCHAR catalogPath[kTextCapacity], infPath[kTextCapacity];
  if (!Widen(verdict.catalog, catalogPath) || !Widen(verdict.inf, infPath)) {
    verdict.code = GetLastError();
    verdict.check = CatalogCheck::kUnreadable;
    return;
  }

  {
    OpenCatalog catalog(wintrust.open(catalogPath, 0, 0, 0, 0), wintrust.close);
    if (!catalog.valid()) {
      verdict.code = GetLastError();
      verdict.check = CatalogCheck::kNotACatalog;
      return;
    }
    // Every member is gone through to the end, where the catalog lets go of the last one.
    bool listed = false;
    for (CRYPTCATMEMBER* member = wintrust.nextMember(catalog.get(), nullptr); member;
         member = wintrust.nextMember(catalog.get(), member))
      listed = listed || ListsHash(*member, tag, hash, hashSize);
    if (!listed) {
      verdict.check = CatalogCheck::kInfChanged;
      return;
    }
  }

  WINTRUST_CATALOG_INFO member = {};
  member.cbStruct = sizeof member;
  member.pcwszCatalogFilePath = catalogPath;
  member.pcwszMemberTag = tag;
  member.pcwszMemberFilePath = infPath;
  member.pbCalculatedFileHash = hash;
  member.cbCalculatedFileHash = hashSize;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_CATALOG;
  data.pCatalog = &member;
  data.dwStateAction = WTD_STATEACTION_IGNORE;
  GUID authenticode = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  // No window of its own: the tool runs in scripts with nobody to answer one.
  const LONG result =
      wintrust.verify(reinterpret_cast<HWND>(INVALID_HANDLE_VALUE), &authenticode, &data);
  verdict.code = static_cast<DWORD>(result);
  verdict.check = result == 0 ? CatalogCheck::kTrusted : CatalogCheck::kNotTrusted;
}

const char* DistrustCause(DWORD verdict) {
  // WinVerifyTrust's codes, as winerror.h composes them.
  const struct {
    DWORD code;
    const char* cause;
  } causes[] = {
      {0x800B0100, "it has no signature"},                            // TRUST_E_NOSIGNATURE
      {0x800B0109, "its signer is not trusted on this PC"},           // CERT_E_UNTRUSTEDROOT
      {0x800B010A, "its signer is not trusted on this PC"},           // CERT_E_CHAINING
      {0x800B0004, "its signer is not trusted on this PC"},           // TRUST_E_SUBJECT_NOT_TRUSTED
      {0x800B0111, "its signer is marked as distrusted on this PC"},  // TRUST_E_EXPLICIT_DISTRUST
      {0x800B0101, "its signer's certificate has expired"},           // CERT_E_EXPIRED
      {0x800B010C, "its signer's certificate was revoked"},           // CERT_E_REVOKED
      {0x800B0110, "its signer's certificate is not for signing code"},  // CERT_E_WRONG_USAGE
      {0x80096010, "it was changed after it was signed"},                // TRUST_E_BAD_DIGEST
      {0x80092026, "this PC's security settings forbid it"},  // CRYPT_E_SECURITY_SETTINGS
      {0x800B0001, "this Windows cannot check it"},           // TRUST_E_PROVIDER_UNKNOWN
      {0x800B0002, "this Windows cannot check it"},           // TRUST_E_ACTION_UNKNOWN
      {0x800B0003, "this Windows cannot check it"},           // TRUST_E_SUBJECT_FORM_UNKNOWN
  };
  for (const auto& entry : causes)
    if (entry.code == verdict) return entry.cause;
  return "the system refused it";
}
