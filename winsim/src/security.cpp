// The process's access token and the security identifiers the program allocates. The token's
// parts are written into the caller's buffer as Windows writes them: the structure first, the SID
// it points to behind it.
#include <cstdlib>
#include <cstring>

#include "security.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

// What a SID argument is in the log: its text, or absent.
CallArg SidArg(PSID sid) {
  return Text(static_cast<const char*>(sid));
}

bool IsSid(PSID sid) {
  return sid && std::strncmp(static_cast<const char*>(sid), "S-1-", 4) == 0;
}

// The authority as a SID's text writes it: in decimal when it fits in 32 bits, else in hex.
std::string AuthorityText(const SID_IDENTIFIER_AUTHORITY& authority) {
  uint64_t value = 0;
  for (const BYTE byte : authority.Value) value = (value << 8) | byte;
  return value >> 32 ? HexText(value) : std::to_string(value);
}

}  // namespace

bool winsim::detail::CloseToken(HANDLE handle) {
  return TheSecurity().tokens.erase(Token(handle)) != 0;
}

BOOL WINAPI OpenProcessToken(HANDLE processHandle, DWORD desiredAccess, PHANDLE tokenHandle) {
  ApiCall call("OpenProcessToken",
               {{"processHandle", Handle(processHandle)}, {"desiredAccess", Hex(desiredAccess)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (processHandle != GetCurrentProcess()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!tokenHandle) return Fail(ERROR_NOACCESS, FALSE);
  const uintptr_t token = NewHandle();
  TheSecurity().tokens[token] = desiredAccess;
  *tokenHandle = reinterpret_cast<HANDLE>(token);
  return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE tokenHandle, TOKEN_INFORMATION_CLASS informationClass,
                                LPVOID information, DWORD informationLength, PDWORD returnLength) {
  ApiCall call("GetTokenInformation", {{"tokenHandle", Handle(tokenHandle)},
                                       {"informationClass", Dec(informationClass)},
                                       {"informationLength", Dec(informationLength)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  const SecurityState& m = TheSecurity();
  const auto token = m.tokens.find(Token(tokenHandle));
  if (token == m.tokens.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!(token->second & TOKEN_QUERY)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!returnLength) return Fail(ERROR_NOACCESS, FALSE);
  // Only the parts the kit asks for are simulated.
  if (informationClass != TokenUser && informationClass != TokenOwner)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const bool user = informationClass == TokenUser;
  const std::string& sid = user ? std::string(kUserSid) : m.tokenOwner;
  const size_t head = user ? sizeof(TOKEN_USER) : sizeof(TOKEN_OWNER);
  *returnLength = static_cast<DWORD>(head + sid.size() + 1);
  if (!information || informationLength < *returnLength)
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  char* text = static_cast<char*>(information) + head;
  std::memcpy(text, sid.c_str(), sid.size() + 1);
  if (user)
    *static_cast<TOKEN_USER*>(information) = TOKEN_USER{{text, 0}};
  else
    *static_cast<TOKEN_OWNER*>(information) = TOKEN_OWNER{text};
  return TRUE;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE subAuthorityCount,
                                     DWORD subAuthority0, DWORD subAuthority1, DWORD subAuthority2,
                                     DWORD subAuthority3, DWORD subAuthority4, DWORD subAuthority5,
                                     DWORD subAuthority6, DWORD subAuthority7, PSID* sid) {
  ApiCall call("AllocateAndInitializeSid",
               {{"authority", authority ? Text(AuthorityText(*authority).c_str()) : Absent()},
                {"subAuthorityCount", Dec(subAuthorityCount)},
                {"subAuthority0", Dec(subAuthority0)},
                {"subAuthority1", Dec(subAuthority1)},
                {"subAuthority2", Dec(subAuthority2)},
                {"subAuthority3", Dec(subAuthority3)},
                {"subAuthority4", Dec(subAuthority4)},
                {"subAuthority5", Dec(subAuthority5)},
                {"subAuthority6", Dec(subAuthority6)},
                {"subAuthority7", Dec(subAuthority7)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!authority || !sid) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (subAuthorityCount > 8) return Fail(ERROR_INVALID_SID, FALSE);
  const DWORD subAuthorities[] = {subAuthority0, subAuthority1, subAuthority2, subAuthority3,
                                  subAuthority4, subAuthority5, subAuthority6, subAuthority7};
  std::string text = "S-1-" + AuthorityText(*authority);
  for (BYTE i = 0; i < subAuthorityCount; ++i) text += "-" + std::to_string(subAuthorities[i]);
  void* memory = std::malloc(text.size() + 1);
  if (!memory) return Fail(ERROR_NOT_ENOUGH_MEMORY, FALSE);
  std::memcpy(memory, text.c_str(), text.size() + 1);
  TheSecurity().sids.insert(memory);
  *sid = memory;
  return TRUE;
}

PVOID WINAPI FreeSid(PSID sid) {
  ApiCall call("FreeSid", {{"sid", Handle(sid)}});
  // A failing call frees nothing: the SID stays counted as not released.
  if (call.fault()) return Fail(call.fault(), sid);
  if (TheSecurity().sids.erase(sid) == 0) return Fail(ERROR_INVALID_PARAMETER, sid);
  std::free(sid);
  return nullptr;
}

BOOL WINAPI EqualSid(PSID sid1, PSID sid2) {
  ApiCall call("EqualSid", {{"sid1", SidArg(sid1)}, {"sid2", SidArg(sid2)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!IsSid(sid1) || !IsSid(sid2)) return Fail(ERROR_INVALID_SID, FALSE);
  // Equal or not, the code is 0 afterwards, as Wine's EqualSid leaves it.
  LastError() = ERROR_SUCCESS;
  return std::strcmp(static_cast<const char*>(sid1), static_cast<const char*>(sid2)) == 0;
}
