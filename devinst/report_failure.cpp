#include "report_failure.h"

#include "InfInstall.h"
#include "bounded_text.h"
#include "last_error.h"
#include "platform.h"
#include "unique_handle.h"

void ReportFailure(const char* prefix) {
  // The callers decide on the failure's code after the report, so it must survive the calls below.
  LastErrorKeeper keep;
  const DWORD code = GetLastError();

  char* systemText = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      reinterpret_cast<LPSTR>(&systemText), 0, nullptr);
  LocalMemory owner(systemText);

  // A very long system text is cut: the report stays one NUL-terminated text within the buffer.
  BoundedText text(g_szError, sizeof g_szError);
  text.Clear();
  text.Append(prefix);
  text.Append(" FAILURE: ");
  // A call that failed without leaving a code would otherwise read as the system's text for
  // success: its code is shown instead, as for a code that has no text.
  if (code != ERROR_SUCCESS && length != 0 && systemText != nullptr) {
    text.Append(std::string_view(systemText, length));
  } else {
    text.Append("(0x");
    text.AppendHex8(code);
    text.Append(")");
  }
  text.Append("\n");
}
