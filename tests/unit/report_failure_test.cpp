#include <string>

#include "platform.h"
#include "report_failure.h"
#include "sim_test.h"

namespace {

class ReportFailureTest : public SimTest {};

TEST_F(ReportFailureTest, SystemTextKeepsItsLineBreakBeforeTheFormatsOwn) {
  SetLastError(ERROR_ACCESS_DENIED);
  ReportFailure("GetINFClass");
  EXPECT_STREQ(g_szError, "GetINFClass FAILURE: Access is denied.\r\n\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
}

TEST_F(ReportFailureTest, CodeWithoutSystemTextIsShownInHex) {
  SetLastError(ERROR_KEY_DOES_NOT_EXIST);
  ReportFailure("Can not open DriverKey: ");
  EXPECT_STREQ(g_szError, "Can not open DriverKey:  FAILURE: (0xe0000204)\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_KEY_DOES_NOT_EXIST});

  winsim::SetMessageText(ERROR_INVALID_DATA, std::nullopt);
  SetLastError(ERROR_INVALID_DATA);
  ReportFailure("Register Device 1\n");
  EXPECT_STREQ(g_szError, "Register Device 1\n FAILURE: (0x0000000d)\n");

  // A failure that left no code is no success.
  SetLastError(ERROR_SUCCESS);
  ReportFailure("EnumDeviceInfo");
  EXPECT_STREQ(g_szError, "EnumDeviceInfo FAILURE: (0x00000000)\n");
}

TEST_F(ReportFailureTest, EachReportReplacesThePreviousOne) {
  SetLastError(ERROR_NO_MORE_ITEMS);
  ReportFailure("A much longer prefix than the one that follows it");
  SetLastError(ERROR_INVALID_PARAMETER);
  ReportFailure("EnumDeviceInfo");
  EXPECT_STREQ(g_szError, "EnumDeviceInfo FAILURE: The parameter is incorrect.\r\n\n");
}

TEST_F(ReportFailureTest, KeepsTheCodeEvenWhenTheSystemTextCannotBeHad) {
  winsim::FailCall("FormatMessageA", 1, ERROR_NOT_ENOUGH_MEMORY);
  SetLastError(ERROR_FILE_NOT_FOUND);
  ReportFailure(".inf not found.");
  EXPECT_STREQ(g_szError, ".inf not found. FAILURE: (0x00000002)\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

TEST_F(ReportFailureTest, AVeryLongTextIsCutToTheBuffer) {
  winsim::SetMessageText(ERROR_INVALID_HANDLE, std::string(400, 'x') + "\r\n");
  SetLastError(ERROR_INVALID_HANDLE);
  ReportFailure("GetDeviceRegistryProperty");
  const std::string text = g_szError;
  EXPECT_EQ(text.size(), size_t{kTextCapacity - 1});
  EXPECT_EQ(text.rfind("GetDeviceRegistryProperty FAILURE: xxx", 0), 0u);

  // A prefix that alone fills the buffer is cut too.
  SetLastError(ERROR_ACCESS_DENIED);
  ReportFailure(std::string(600, 'p').c_str());
  EXPECT_EQ(std::string(g_szError), std::string(kTextCapacity - 1, 'p'));
}

TEST_F(ReportFailureTest, AsksForTheSystemTextInTheNeutralLanguageAndFreesIt) {
  SetLastError(ERROR_ACCESS_DENIED);
  ReportFailure("GetINFClass");
  const auto calls = winsim::CallsTo("FormatMessageA");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Number("flags"), 0x1100u);
  EXPECT_TRUE(calls[0].IsNull("source"));
  EXPECT_EQ(calls[0].Number("messageId"), 0x5u);
  EXPECT_EQ(calls[0].Number("languageId"), 0x400u);
  EXPECT_EQ(calls[0].Number("size"), 0u);
  EXPECT_TRUE(calls[0].IsNull("arguments"));
  EXPECT_EQ(winsim::CallsTo("LocalFree").size(), 1u);
}

}  // namespace
