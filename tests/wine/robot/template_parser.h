// Reading a dialog template resource, in both of its layouts (DIALOG and DIALOGEX), far enough to
// tell which dialog it makes and which font it asks for.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "dialog_template.h"

namespace robot {

struct ParsedTemplate {
  std::optional<DialogFont> font;
  std::vector<int> controlIds;  // in template order, which is the controls' z-order
};

// Nothing when the bytes are not a whole template.
std::optional<ParsedTemplate> ParseDialogTemplate(const unsigned char* data, size_t size);

}  // namespace robot
