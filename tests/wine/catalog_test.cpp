// The kit's catalog as Wine's wintrust.dll reads it: the one member is the kit's INF by the hash
// Windows works out for it, a changed copy of the INF is no longer that member, and the build's
// own signer is trusted by no store of a fresh prefix.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "beside_program.h"
#include "trust_api.h"
#include "unique_handle.h"

namespace {

std::wstring Wide(const std::string& text) {
  wchar_t wide[MAX_PATH] = {};
  EXPECT_GT(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH), 0) << text;
  return wide;
}

// The hash as the catalog tags its member: upper-case hexadecimal.
std::wstring HashTag(const std::string& path) {
  File file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(file) << path << ": error " << GetLastError();
  BYTE hash[64] = {};
  DWORD size = sizeof hash;
  EXPECT_TRUE(CryptCATAdminCalcHashFromFileHandle(file.get(), &size, hash, 0));
  EXPECT_EQ(size, 20u);  // SHA-1
  std::wstring tag;
  for (DWORD i = 0; i < size && i < sizeof hash; ++i) {
    tag += L"0123456789ABCDEF"[hash[i] >> 4];
    tag += L"0123456789ABCDEF"[hash[i] & 0xF];
  }
  return tag;
}

std::vector<std::wstring> MemberTags(const std::string& catalogPath) {
  std::wstring path = Wide(catalogPath);
  HANDLE catalog = CryptCATOpen(path.data(), 0, 0, 0, 0);
  EXPECT_NE(catalog, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  std::vector<std::wstring> tags;
  if (catalog == INVALID_HANDLE_VALUE) return tags;
  for (CRYPTCATMEMBER* member = CryptCATEnumerateMember(catalog, nullptr); member;
       member = CryptCATEnumerateMember(catalog, member))
    tags.push_back(member->pwszReferenceTag ? member->pwszReferenceTag : L"(no tag)");
  EXPECT_TRUE(CryptCATClose(catalog));
  return tags;
}

const std::string kCatalog = KitFolder() + "\\wwandev.cat";
const std::string kInf = KitFolder() + "\\wwandev.inf";

TEST(KitCatalog, ListsTheKitsInfByItsHashAndNoChangedCopy) {
  const std::wstring tag = HashTag(kInf);
  EXPECT_EQ(MemberTags(kCatalog), std::vector<std::wstring>{tag});

  // The INF with one byte changed, as an edit after the build would leave it.
  const std::string changed = BesideProgram("changed-wwandev.inf");
  ASSERT_TRUE(CopyFileA(kInf.c_str(), changed.c_str(), FALSE));
  {
    File file(CreateFileA(changed.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), "#", 1, &written, nullptr) && written == 1);
  }
  const std::wstring changedTag = HashTag(changed);
  EXPECT_EQ(changedTag.size(), tag.size());
  EXPECT_NE(changedTag, tag);
  DeleteFileA(changed.c_str());
}

// Wine checks the catalog's signature and its chain, not the member (its provider says so), so the
// verdict here is the signer's: a certificate made for the build, in no store of the prefix.
TEST(KitCatalog, WinVerifyTrustFindsTheBuildsSignerUntrusted) {
  std::wstring catalogPath = Wide(kCatalog), infPath = Wide(kInf), tag = HashTag(kInf);
  WINTRUST_CATALOG_INFO member = {};
  member.cbStruct = sizeof member;
  member.pcwszCatalogFilePath = catalogPath.c_str();
  member.pcwszMemberTag = tag.c_str();
  member.pcwszMemberFilePath = infPath.c_str();
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_CATALOG;
  data.pCatalog = &member;
  GUID authenticode = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  EXPECT_EQ(WinVerifyTrust(reinterpret_cast<HWND>(INVALID_HANDLE_VALUE), &authenticode, &data),
            CERT_E_UNTRUSTEDROOT);
}

}  // namespace
