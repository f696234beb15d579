#include "dialog_units.h"

#include <initializer_list>

#include "handles.h"

namespace robot {
namespace {

// The dialog manager scales each value with MulDiv(units, base, divisor); this finds the units
// that give `pixels` back. Near the rounded quotient is where they are; when no whole number of
// units gives these pixels exactly, the nearest is the answer.
int ToUnits(int pixels, int base, int divisor) {
  if (base <= 0) return 0;
  const int guess = MulDiv(pixels, divisor, base);
  for (int candidate : {guess, guess - 1, guess + 1}) {
    if (MulDiv(candidate, base, divisor) == pixels) return candidate;
  }
  return guess;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const DluRect& rect) {
  return out << "{" << rect.x << ", " << rect.y << ", " << rect.cx << ", " << rect.cy << "}";
}

BaseUnits BaseUnitsFor(const DialogFont& font) {
  WindowDc screen(nullptr);
  if (screen.get() == nullptr) return {};
  const int height = -MulDiv(font.pointSize, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
  GdiObject handle(CreateFontA(height, 0, 0, 0, font.weight, font.italic, FALSE, FALSE,
                               static_cast<DWORD>(font.charset), 0, 0, PROOF_QUALITY, FF_DONTCARE,
                               font.face.c_str()));
  if (!handle) return {};
  Selection selected(screen.get(), handle.get());
  if (!selected.valid()) return {};

  TEXTMETRICA metrics = {};
  SIZE alphabet = {};
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  if (!GetTextMetricsA(screen.get(), &metrics) ||
      !GetTextExtentPoint32A(screen.get(), kLetters, sizeof kLetters - 1, &alphabet)) {
    return {};
  }
  // The average width of the 52 letters, rounded to the nearest pixel.
  return {(alphabet.cx / 26 + 1) / 2, static_cast<int>(metrics.tmHeight)};
}

DluRect ToDialogUnits(const RECT& pixels, BaseUnits base) {
  return {ToUnits(pixels.left, base.x, 4), ToUnits(pixels.top, base.y, 8),
          ToUnits(pixels.right - pixels.left, base.x, 4),
          ToUnits(pixels.bottom - pixels.top, base.y, 8)};
}

}  // namespace robot
