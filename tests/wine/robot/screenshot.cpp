#include "screenshot.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "handles.h"

namespace robot {
namespace {

// Rows of a 24-bit DIB are padded to whole DWORDs.
size_t Stride(int width) {
  return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

BITMAPINFOHEADER HeaderFor(int width, int height) {
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // positive: bottom-up, the form every reader takes
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(Stride(width) * height);
  return header;
}

std::optional<Image> CaptureOnce(const RECT& rect) {
  Image image;
  image.width = rect.right - rect.left;
  image.height = rect.bottom - rect.top;
  if (image.empty()) return std::nullopt;

  WindowDc screen(nullptr);
  MemoryDc memory(CreateCompatibleDC(screen.get()));
  if (screen.get() == nullptr || !memory) return std::nullopt;
  BITMAPINFO info = {};
  info.bmiHeader = HeaderFor(image.width, image.height);
  void* bits = nullptr;
  GdiObject bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return std::nullopt;
  {
    Selection selected(memory.get(), bitmap.get());
    if (!selected.valid() || !BitBlt(memory.get(), 0, 0, image.width, image.height, screen.get(),
                                     rect.left, rect.top, SRCCOPY)) {
      return std::nullopt;
    }
    GdiFlush();
  }
  const size_t stride = Stride(image.width);
  const size_t row = static_cast<size_t>(image.width) * 3;
  image.bgr.resize(row * image.height);
  const unsigned char* source = static_cast<const unsigned char*>(bits);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(&image.bgr[row * y], source + stride * (image.height - 1 - y), row);
  }
  return image;
}

}  // namespace

COLORREF Image::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  const unsigned char* p = &bgr[(static_cast<size_t>(y) * width + x) * 3];
  return RGB(p[2], p[1], p[0]);
}

std::optional<Image> CaptureWindow(HWND window, DWORD timeoutMs) {
  std::optional<Image> last;
  PollUntil(
      [&] {
        RECT rect = {};
        if (!GetWindowRect(window, &rect)) return true;  // gone: nothing more to wait for
        std::optional<Image> shot = CaptureOnce(rect);
        const bool settled = shot && last && *shot == *last;
        last = std::move(shot);
        return settled;
      },
      timeoutMs);
  return last;
}

bool WriteBitmapFile(const Image& image, const std::string& path) {
  if (image.empty() || image.bgr.size() != static_cast<size_t>(image.width) * image.height * 3) {
    return false;
  }
  const BITMAPINFOHEADER header = HeaderFor(image.width, image.height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  const size_t row = static_cast<size_t>(image.width) * 3;
  const std::vector<char> padding(Stride(image.width) - row, '\0');
  for (int y = image.height - 1; y >= 0; --y) {
    out.write(reinterpret_cast<const char*>(&image.bgr[row * y]),
              static_cast<std::streamsize>(row));
    out.write(padding.data(), static_cast<std::streamsize>(padding.size()));
  }
  return static_cast<bool>(out.flush());
}

std::optional<Image> ReadBitmapFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER header = {};
  if (bytes.size() < sizeof file + sizeof header) return std::nullopt;
  std::memcpy(&file, bytes.data(), sizeof file);
  std::memcpy(&header, bytes.data() + sizeof file, sizeof header);
  // Only what WriteBitmapFile writes: uncompressed, 24 bits, bottom-up.
  if (file.bfType != 0x4D42 || header.biBitCount != 24 || header.biCompression != BI_RGB ||
      header.biWidth <= 0 || header.biHeight <= 0) {
    return std::nullopt;
  }
  Image image;
  image.width = header.biWidth;
  image.height = header.biHeight;
  const size_t stride = Stride(image.width);
  const size_t row = static_cast<size_t>(image.width) * 3;
  if (file.bfOffBits > bytes.size() || bytes.size() - file.bfOffBits < stride * image.height) {
    return std::nullopt;
  }
  image.bgr.resize(row * image.height);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(&image.bgr[row * y],
                bytes.data() + file.bfOffBits + stride * (image.height - 1 - y), row);
  }
  return image;
}

bool SavePicture(HWND window, const std::string& folder, const std::string& name) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::optional<Image> image = CaptureWindow(window);
  return image && WriteBitmapFile(*image, folder + "\\" + name + ".bmp");
}

}  // namespace robot
