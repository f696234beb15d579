// What a script may hand the kit as a port or an APN. The console tool and the installer package's
// custom actions both take these, and both pass them on to places where one character more would
// say more than the value: the modem's init string, or a command line run as the system account.
#pragma once

#include <cstddef>
#include <string_view>

// The most an APN may have, as 3GPP TS 23.003 counts it.
inline constexpr size_t kApnMost = 100;

// An APN as TS 23.003 writes it: labels of letters, digits and hyphens between dots, and the
// underscore some operators' APNs carry; at most kApnMost characters, or none.
bool IsPlainApn(std::string_view apn);

// Whether the texts are the same but for the case of their letters, as Windows compares the
// names a command line gives.
bool SameNoCase(std::string_view a, std::string_view b);

// A port's name as Windows gives one: letters and digits only, and at least one.
bool IsPortName(std::string_view port);

// "auto" in any case, as APN=auto asks for the APN of the SIM's operator: no operator of the
// kit's table has an APN of that name.
bool IsAutoApn(std::string_view apn);
