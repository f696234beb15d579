// Dialog units: what the kit's templates are written in. The robot turns the pixels it sees back
// into them with the dialog's base units, computed from the dialog's font the way the dialog
// manager computes them.
#pragma once

#include <ostream>

#include <windows.h>

#include "dialog_template.h"

namespace robot {

struct BaseUnits {
  int x = 0;  // average character width, in pixels: four dialog units across
  int y = 0;  // character height, in pixels: eight dialog units down
};

struct DluRect {
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  bool operator==(const DluRect& other) const {
    return x == other.x && y == other.y && cx == other.cx && cy == other.cy;
  }
  bool operator!=(const DluRect& other) const { return !(*this == other); }
};

std::ostream& operator<<(std::ostream& out, const DluRect& rect);

// Zero units when the font cannot be made here.
BaseUnits BaseUnitsFor(const DialogFont& font);

// A rectangle in pixels (relative to the dialog's client area) in dialog units: each edge and size
// is the value the dialog manager would have scaled to exactly these pixels.
DluRect ToDialogUnits(const RECT& pixels, BaseUnits base);

}  // namespace robot
