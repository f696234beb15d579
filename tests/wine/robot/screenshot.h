// Pictures of what the user sees: a window as it stands on the screen, kept as 24-bit pixels and
// written to (and read back from) .bmp files a person can open.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "timing.h"

namespace robot {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> bgr;  // rows top to bottom, three bytes a pixel, no padding

  bool empty() const { return width <= 0 || height <= 0; }
  COLORREF Pixel(int x, int y) const;
  bool operator==(const Image& other) const {
    return width == other.width && height == other.height && bgr == other.bgr;
  }
};

// The window's rectangle copied from the screen. Another process's window cannot be asked to
// draw into our DC (PrintWindow succeeds under Wine but draws nothing), so the screen is read.
// Its painting reaches the screen a little later than its messages are handled: shots are taken
// until two in a row agree, up to `timeoutMs`, and the last one is returned.
std::optional<Image> CaptureWindow(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

bool WriteBitmapFile(const Image& image, const std::string& path);

// Captures `window` into `folder`\`name`.bmp, making the folder when needed.
bool SavePicture(HWND window, const std::string& folder, const std::string& name);
std::optional<Image> ReadBitmapFile(const std::string& path);

}  // namespace robot
