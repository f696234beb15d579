// Forced into every translation unit that sees GoogleTest in the Windows build.
//
// Debian's win32-thread mingw-w64 runtime has no std::mutex or std::condition_variable, and
// GoogleTest's Notification (used only by its own thread helpers) is built on them. GoogleTest lets
// a port supply Notification itself, so a Win32 event stands in; its Mutex and thread-local storage
// already use Win32 primitives on Windows.
#pragma once

#ifdef __cplusplus

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif  // __cplusplus
