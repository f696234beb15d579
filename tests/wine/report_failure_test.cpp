// The library's failure report against the real system message table, after real SetupAPI
// failures: a code the system has text for, and a SetupAPI code it has none for.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "InfInstall.h"
#include "convention_machine.h"
#include "platform.h"
#include "report_failure.h"

namespace {

// The system's own text for `code`, as the report is meant to quote it; empty when it has none.
std::string SystemText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string copy = length != 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  return copy;
}

class ReportFailureTest : public ::testing::Test {
 protected:
  // A stale report must be replaced, not appended to.
  void SetUp() override { std::strcpy(g_szError, "stale report\n"); }
};

TEST_F(ReportFailureTest, QuotesTheSystemTextOfARealFailure) {
  const char prefix[] = "GetClassDevs(All Present Devices)";
  // Without a class and without DIGCF_ALLCLASSES the platform refuses the request.
  SetLastError(0xdeadbeef);
  const HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT);
  const DWORD failure = GetLastError();
  ASSERT_EQ(set, INVALID_HANDLE_VALUE);
  ASSERT_EQ(failure, DWORD{ERROR_INVALID_PARAMETER});

  const std::string systemText = SystemText(failure);
  ASSERT_GE(systemText.size(), 2u) << "the system has no text for " << failure;
  ASSERT_EQ(systemText.substr(systemText.size() - 2), "\r\n");

  SetLastError(failure);
  ReportFailure(prefix);
  const DWORD after = GetLastError();

  EXPECT_EQ(after, failure);
  EXPECT_EQ(std::string(g_szError), std::string(prefix) + " FAILURE: " + systemText + "\n");
}

TEST_F(ReportFailureTest, ShowsTheCodeWhenTheSystemHasNoText) {
  ASSERT_NO_FATAL_FAILURE(PrepareConventionMachine());
  // The fixture's ports have no driver key: opening one fails with a SetupAPI code.
  HDEVINFO ports = SetupDiGetClassDevsA(&kPortsClassGuid, nullptr, nullptr, DIGCF_PRESENT);
  ASSERT_NE(ports, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA element;
  element.cbSize = sizeof element;
  ASSERT_TRUE(SetupDiEnumDeviceInfo(ports, 0, &element));
  SetLastError(0xdeadbeef);
  const HKEY key = SetupDiOpenDevRegKey(ports, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
  const DWORD failure = GetLastError();
  SetupDiDestroyDeviceInfoList(ports);
  ASSERT_EQ(key, INVALID_HANDLE_VALUE);
  ASSERT_EQ(failure, DWORD{ERROR_KEY_DOES_NOT_EXIST});
  ASSERT_EQ(SystemText(failure), "") << "the system has a text for this code after all";

  // Looking the text up fails with a code of its own, which the report must not leave behind.
  SetLastError(failure);
  ReportFailure("OpenDevRegKey(Driver)");
  const DWORD after = GetLastError();

  EXPECT_EQ(after, failure);
  EXPECT_STREQ(g_szError, "OpenDevRegKey(Driver) FAILURE: (0xe0000204)\n");
}

}  // namespace
