// SHA-1, which the platform's catalogs of Windows 2000 to 11 hash their members with.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace winsim::detail {

std::array<uint8_t, 20> Sha1(std::string_view bytes);

}  // namespace winsim::detail
