// The runner's display mode: a test that asks for a display gets a working one of its own, so the
// kit's dialogs can be shown, driven and photographed under Wine without a desktop.

#include <gtest/gtest.h>

#include "platform.h"

namespace {

TEST(Display, ShowsAWindow) {
  // Without an X display Wine's user32 has no driver, and creating any window fails.
  HWND window = CreateWindowExA(0, "STATIC", "display check", WS_POPUP | WS_VISIBLE, 10, 20, 200,
                                100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr) << "error " << GetLastError();
  UpdateWindow(window);
  EXPECT_TRUE(IsWindowVisible(window));

  RECT rect = {};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(rect.bottom - rect.top, 100);

  // The runner's virtual screen, which screenshots of the kit's pages are taken against.
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  EXPECT_TRUE(DestroyWindow(window));
}

}  // namespace
