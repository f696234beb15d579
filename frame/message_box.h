#pragma once

#include "platform.h"

// A message box owned by `owner`; with no caption it takes the application's title.
int ShowMessage(HWND owner, const char* text, UINT style, const char* caption = nullptr);
