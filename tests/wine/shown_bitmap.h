// Whether a page's picture shows the program's own bitmap, read back from what is on the screen.
#pragma once

#include <string>

#include <windows.h>

// The picture control `picture` holds a bitmap and shows bitmap resource `bitmapId` of the
// program file `program` pixel for pixel, at that bitmap's own size; the resource itself is
// `width` by `height` pixels with `bitCount` bits a pixel.
void ExpectShowsBitmap(HWND picture, const std::string& program, int bitmapId, int width,
                       int height, WORD bitCount);
