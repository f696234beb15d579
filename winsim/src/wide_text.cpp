// Wide texts. The simulated system's code page gives each byte the code unit of the same value,
// as Latin-1 does; no simulated text needs more.
#include "core.h"

using namespace winsim;
using namespace winsim::detail;

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount,
                               LPWSTR wide, int wideCount) {
  ApiCall call("MultiByteToWideChar",
               {{"codePage", Dec(codePage)},
                {"flags", Hex(flags)},
                {"multiByte", Given(multiByte != nullptr)},
                {"multiByteCount", Dec(static_cast<uint32_t>(multiByteCount))},
                {"wideCount", Dec(static_cast<uint32_t>(wideCount))}});
  if (call.fault()) return Fail(call.fault(), 0);
  if (codePage != CP_ACP || flags != 0 || !multiByte || multiByteCount < -1 ||
      multiByteCount == 0 || wideCount < 0 || (wideCount > 0 && !wide))
    return Fail(ERROR_INVALID_PARAMETER, 0);
  // -1: the whole text and its NUL.
  const size_t count = multiByteCount == -1 ? std::char_traits<char>::length(multiByte) + 1
                                            : static_cast<size_t>(multiByteCount);
  if (wideCount == 0) return static_cast<int>(count);
  if (count > static_cast<size_t>(wideCount)) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
  for (size_t i = 0; i < count; ++i) wide[i] = static_cast<unsigned char>(multiByte[i]);
  return static_cast<int>(count);
}
