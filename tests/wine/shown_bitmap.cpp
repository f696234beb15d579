#include "shown_bitmap.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "handles.h"
#include "robot.h"
#include "unique_handle.h"

namespace {

// The bitmap's pixels as the screen's format makes them: 24 bits, rows top to bottom.
std::optional<robot::Image> PixelsOf(HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, the order robot::Image keeps
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const size_t row = static_cast<size_t>(width) * 3;
  const size_t stride = (row + 3) & ~static_cast<size_t>(3);
  std::vector<unsigned char> bits(stride * height);
  robot::WindowDc screen(nullptr);
  if (GetDIBits(screen.get(), bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS) != height) {
    return std::nullopt;
  }
  robot::Image image;
  image.width = width;
  image.height = height;
  image.bgr.resize(row * height);
  for (int y = 0; y < height; ++y) std::memcpy(&image.bgr[row * y], &bits[stride * y], row);
  return image;
}

}  // namespace

void ExpectShowsBitmap(HWND picture, const std::string& program, int bitmapId, int width,
                       int height, WORD bitCount) {
  const std::optional<LRESULT> held = robot::Send(picture, STM_GETIMAGE, IMAGE_BITMAP);
  ASSERT_TRUE(held.has_value()) << "the picture does not answer";
  EXPECT_NE(*held, 0) << "the picture holds no bitmap";

  Module module(LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(module) << program << " cannot be read, error " << GetLastError();
  const LPCSTR name = MAKEINTRESOURCEA(bitmapId);
  HRSRC resource = FindResourceA(module.get(), name, RT_BITMAP);
  ASSERT_NE(resource, nullptr) << "no bitmap " << bitmapId << " in " << program;
  HGLOBAL loaded = LoadResource(module.get(), resource);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  ASSERT_NE(data, nullptr);
  ASSERT_GE(SizeofResource(module.get(), resource), sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER header = {};
  std::memcpy(&header, data, sizeof header);
  EXPECT_EQ(header.biWidth, width);
  EXPECT_EQ(std::abs(header.biHeight), height);
  EXPECT_EQ(header.biBitCount, bitCount);

  // Loaded the way the picture control loads it, so both become the same screen-format bitmap.
  robot::GdiObject bitmap(LoadImageA(module.get(), name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  ASSERT_TRUE(bitmap) << "bitmap " << bitmapId << " cannot be loaded";
  BITMAP size = {};
  ASSERT_EQ(GetObjectA(bitmap.get(), sizeof size, &size), static_cast<int>(sizeof size));
  const std::optional<robot::Image> expected =
      PixelsOf(static_cast<HBITMAP>(bitmap.get()), size.bmWidth, size.bmHeight);
  ASSERT_TRUE(expected.has_value());

  // The handle the picture holds is the program's: GDI objects do not cross processes, so its
  // size and bits are read where they end up, on the screen. A picture without SS_REALSIZECONTROL
  // or SS_CENTERIMAGE takes the bitmap's size and draws it from its top left corner.
  const std::optional<robot::Image> shown = robot::CaptureWindow(picture);
  ASSERT_TRUE(shown.has_value()) << "no picture of the control";
  EXPECT_EQ(shown->width, size.bmWidth);
  EXPECT_EQ(shown->height, size.bmHeight);
  EXPECT_TRUE(*shown == *expected) << "the picture does not show bitmap " << bitmapId;
}
