// The process's access token.
#pragma once

#include <string_view>

namespace winsim {

inline constexpr char kAdministratorsSid[] = "S-1-5-32-544";
inline constexpr char kSystemSid[] = "S-1-5-18";

// The token's default owner, which every file the program makes gets: the user's sid (kUserSid)
// after Reset. An administrator's token on Windows XP makes Administrators the owner instead.
void SetTokenOwner(std::string_view sid);

}  // namespace winsim
