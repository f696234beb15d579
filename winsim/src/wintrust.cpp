// The catalog functions and the trust provider of wintrust.dll, over catalog files in the text form
// winsim/control/wintrust.h describes. Only catalogs are simulated: the subjects a kit never asks
// about are refused as parameters the provider does not take.
#include <cstring>

#include "files.h"
#include "sha1.h"
#include "wintrust.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

// A wide path as the simulated code page wrote it; false for a code unit no byte gives.
bool Narrow(LPCWSTR wide, std::string& text) {
  text.clear();
  for (; wide && *wide; ++wide) {
    if (*wide > 0xFF) return false;
    text.push_back(static_cast<char>(*wide));
  }
  return wide != nullptr;
}

std::string Logged(LPCWSTR wide) {
  std::string text;
  return Narrow(wide, text) ? text : std::string("(not a text of the code page)");
}

bool HexDigit(char c, BYTE& value) {
  if (c >= '0' && c <= '9')
    value = static_cast<BYTE>(c - '0');
  else if (c >= 'A' && c <= 'F')
    value = static_cast<BYTE>(c - 'A' + 10);
  else
    return false;
  return true;
}

// The members of the catalog at `path`; the file's own code when it cannot be read, and
// CRYPT_E_ASN1_BADTAG when it is no catalog.
DWORD ReadCatalog(LPCWSTR path, std::vector<std::unique_ptr<CatalogMember>>& members) {
  std::string name, contents;
  if (!Narrow(path, name) || name.empty()) return ERROR_INVALID_PARAMETER;
  const std::string host = HostPath(name);
  if (SharingRefuses(host, GENERIC_READ, FILE_SHARE_READ)) return ERROR_SHARING_VIOLATION;
  if (!ReadHostFile(host, contents)) return ERROR_FILE_NOT_FOUND;
  constexpr std::string_view kHeader = "[catalog]\n";
  if (contents.compare(0, kHeader.size(), kHeader) != 0) return CRYPT_E_ASN1_BADTAG;
  size_t at = kHeader.size();
  while (at < contents.size()) {
    const size_t end = contents.find('\n', at);
    if (end == std::string::npos) return CRYPT_E_ASN1_BADTAG;
    auto member = std::make_unique<CatalogMember>();
    const std::string_view line(contents.data() + at, end - at);
    const std::string_view tag = line.substr(0, line.find(' '));
    const std::string_view digest = tag.size() < line.size() ? line.substr(tag.size() + 1) : tag;
    if (tag.empty() || digest.empty() || digest.size() % 2 != 0 || digest.size() > 128)
      return CRYPT_E_ASN1_BADTAG;
    for (size_t i = 0; i < digest.size(); i += 2) {
      BYTE high = 0;
      BYTE low = 0;
      if (!HexDigit(digest[i], high) || !HexDigit(digest[i + 1], low)) return CRYPT_E_ASN1_BADTAG;
      member->digest.push_back(static_cast<BYTE>(high << 4 | low));
    }
    member->tag.assign(tag.begin(), tag.end());
    members.push_back(std::move(member));
    at = end + 1;
  }
  for (auto& member : members) {
    member->indirect.Digest = {static_cast<DWORD>(member->digest.size()), member->digest.data()};
    member->member.cbStruct = sizeof member->member;
    member->member.pwszReferenceTag = member->tag.data();
    member->member.pIndirectData = &member->indirect;
  }
  return ERROR_SUCCESS;
}

bool SameTag(LPCWSTR a, const std::u16string& b) {
  size_t i = 0;
  for (; a && a[i] && i < b.size(); ++i) {
    const auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return a && a[i] == 0 && i == b.size();
}

// WinVerifyTrust leaves its verdict as the last-error code too.
LONG Verdict(DWORD code) {
  LastError() = code;
  return static_cast<LONG>(code);
}

}  // namespace

HANDLE WINAPI CryptCATOpen(LPWSTR fileName, DWORD openFlags, HCRYPTPROV provider,
                           DWORD publicVersion, DWORD encodingType) {
  ApiCall call("CryptCATOpen", {{"fileName", Text(Logged(fileName).c_str())},
                                {"openFlags", Hex(openFlags)},
                                {"provider", Hex(provider)},
                                {"publicVersion", Hex(publicVersion)},
                                {"encodingType", Hex(encodingType)}});
  if (call.fault()) return Fail(call.fault(), INVALID_HANDLE_VALUE);
  // Opening an existing catalog is all that is simulated; making one is not.
  if (openFlags != 0 && openFlags != CRYPTCAT_OPEN_EXISTING)
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  OpenCatalog catalog;
  const DWORD code = ReadCatalog(fileName, catalog.members);
  if (code != ERROR_SUCCESS) return Fail(code, INVALID_HANDLE_VALUE);
  const uintptr_t token = NewHandle();
  TheWintrust().catalogs[token] = std::move(catalog);
  return reinterpret_cast<HANDLE>(token);
}

// Past the last member it gives none, and leaves the last-error code as it was.
CRYPTCATMEMBER* WINAPI CryptCATEnumerateMember(HANDLE catalog, CRYPTCATMEMBER* previous) {
  ApiCall call("CryptCATEnumerateMember",
               {{"catalog", Handle(catalog)}, {"previous", Handle(previous)}});
  if (call.fault()) return Fail(call.fault(), static_cast<CRYPTCATMEMBER*>(nullptr));
  const auto found = TheWintrust().catalogs.find(Token(catalog));
  if (found == TheWintrust().catalogs.end())
    return Fail(ERROR_INVALID_PARAMETER, static_cast<CRYPTCATMEMBER*>(nullptr));
  auto& members = found->second.members;
  size_t next = 0;
  if (previous) {
    while (next < members.size() && &members[next]->member != previous) ++next;
    if (next == members.size())
      return Fail(ERROR_INVALID_PARAMETER, static_cast<CRYPTCATMEMBER*>(nullptr));
    ++next;
  }
  return next < members.size() ? &members[next]->member : nullptr;
}

BOOL WINAPI CryptCATClose(HANDLE catalog) {
  ApiCall call("CryptCATClose", {{"catalog", Handle(catalog)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (TheWintrust().catalogs.erase(Token(catalog)) == 0)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return TRUE;
}

// A flat file's hash: the SHA-1 of all its bytes.
BOOL WINAPI CryptCATAdminCalcHashFromFileHandle(HANDLE file, DWORD* hashSize, BYTE* hash,
                                                DWORD flags) {
  ApiCall call("CryptCATAdminCalcHashFromFileHandle", {{"file", Handle(file)},
                                                       {"hashSize", Given(hashSize != nullptr)},
                                                       {"hash", Given(hash != nullptr)},
                                                       {"flags", Hex(flags)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  const auto open = TheFiles().files.find(Token(file));
  if (open == TheFiles().files.end() || !hashSize || flags != 0)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  constexpr DWORD kSha1Size = 20;
  if (!hash) {
    *hashSize = kSha1Size;
    return TRUE;
  }
  if (*hashSize < kSha1Size) {
    *hashSize = kSha1Size;
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  }
  if (!(open->second.access & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  std::string contents;
  if (!ReadHostFile(open->second.hostPath, contents)) return Fail(ERROR_READ_FAULT, FALSE);
  const auto digest = Sha1(contents);
  std::memcpy(hash, digest.data(), kSha1Size);
  *hashSize = kSha1Size + call.extra();
  return TRUE;
}

LONG WINAPI WinVerifyTrust(HWND window, GUID* action, LPVOID data) {
  const auto* trust = static_cast<const WINTRUST_DATA*>(data);
  const WINTRUST_CATALOG_INFO* info =
      trust && trust->dwUnionChoice == WTD_CHOICE_CATALOG ? trust->pCatalog : nullptr;
  ApiCall call(
      "WinVerifyTrust",
      {{"window", Handle(window)},
       {"action", Guid(action)},
       {"uiChoice", Dec(trust ? trust->dwUIChoice : 0)},
       {"revocationChecks", Hex(trust ? trust->fdwRevocationChecks : 0)},
       {"unionChoice", Dec(trust ? trust->dwUnionChoice : 0)},
       {"stateAction", Hex(trust ? trust->dwStateAction : 0)},
       {"catalogFile", info ? Text(Logged(info->pcwszCatalogFilePath).c_str()) : Absent()},
       {"memberTag", info ? Text(Logged(info->pcwszMemberTag).c_str()) : Absent()},
       {"memberFile", info ? Text(Logged(info->pcwszMemberFilePath).c_str()) : Absent()},
       {"hashSize", Dec(info && info->pbCalculatedFileHash ? info->cbCalculatedFileHash : 0)}});
  if (call.fault()) return Verdict(call.fault());
  const GUID authenticode = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  if (!action || *action != authenticode) return Verdict(TRUST_E_PROVIDER_UNKNOWN);
  if (!info || info->cbStruct < sizeof *info || !info->pcwszMemberTag)
    return Verdict(ERROR_INVALID_PARAMETER);
  std::vector<std::unique_ptr<CatalogMember>> members;
  const DWORD read = ReadCatalog(info->pcwszCatalogFilePath, members);
  if (read == static_cast<DWORD>(CRYPT_E_ASN1_BADTAG)) return Verdict(TRUST_E_SUBJECT_FORM_UNKNOWN);
  if (read != ERROR_SUCCESS) return Verdict(read);
  const CatalogMember* member = nullptr;
  for (const auto& listed : members)
    if (SameTag(info->pcwszMemberTag, listed->tag)) member = listed.get();
  if (!member) return Verdict(TRUST_E_NOSIGNATURE);
  // The hash the caller worked out, or that of the member's file as it is now.
  std::vector<BYTE> hash;
  if (info->pbCalculatedFileHash) {
    hash.assign(info->pbCalculatedFileHash,
                info->pbCalculatedFileHash + info->cbCalculatedFileHash);
  } else {
    std::string name, contents;
    if (!Narrow(info->pcwszMemberFilePath, name) || !ReadHostFile(HostPath(name), contents))
      return Verdict(ERROR_FILE_NOT_FOUND);
    const auto digest = Sha1(contents);
    hash.assign(digest.begin(), digest.end());
  }
  if (hash != member->digest) return Verdict(TRUST_E_BAD_DIGEST);
  return Verdict(static_cast<DWORD>(TheWintrust().provider.signerVerdict));
}

FARPROC winsim::detail::WintrustExport(const char* name) {
  const struct {
    const char* name;
    void (*function)();
  } exports[] = {
      {"CryptCATOpen", reinterpret_cast<void (*)()>(&CryptCATOpen)},
      {"CryptCATEnumerateMember", reinterpret_cast<void (*)()>(&CryptCATEnumerateMember)},
      {"CryptCATClose", reinterpret_cast<void (*)()>(&CryptCATClose)},
      {"CryptCATAdminCalcHashFromFileHandle",
       reinterpret_cast<void (*)()>(&CryptCATAdminCalcHashFromFileHandle)},
      {"WinVerifyTrust", reinterpret_cast<void (*)()>(&WinVerifyTrust)},
  };
  if (!name || TheWintrust().provider.missing.count(name)) return nullptr;
  for (const auto& entry : exports)
    if (std::strcmp(entry.name, name) == 0) return reinterpret_cast<FARPROC>(entry.function);
  return nullptr;
}
