#include "apn_forms.h"

bool ApnInInit(std::string_view format, std::string_view init, std::string_view& apn) {
  const size_t slot = format.find("%s");
  if (slot == std::string_view::npos) return false;
  const std::string_view before(format.data(), slot);
  const std::string_view after(format.data() + slot + 2, format.size() - slot - 2);
  // Compared by hand, as compare() with a position would bring in the exception run time the
  // kit's programs are built without.
  if (init.size() < before.size() + after.size() ||
      std::string_view(init.data(), before.size()) != before ||
      std::string_view(init.data() + init.size() - after.size(), after.size()) != after)
    return false;
  apn = std::string_view(init.data() + before.size(), init.size() - before.size() - after.size());
  return true;
}
