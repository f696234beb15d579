#include "message_box.h"

#include "application.h"

int ShowMessage(HWND owner, const char* text, UINT style, const char* caption) {
  if (!caption) {
    const Application* application = Application::Current();
    caption = application ? application->Title() : "";
  }
  return MessageBoxA(owner, text, caption, style);
}
