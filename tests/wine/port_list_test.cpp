// InfInstall.dll as a program sees it: loaded at start-up through its import library, reading the
// COM ports of the prefix the fixture built (COM1, COM4, LPT1 and one device without a name).

#include <gtest/gtest.h>

#include <cstring>

#include "InfInstall.h"

namespace {

TEST(PortList, ListsTheComPortsInEnumerationOrder) {
  EXPECT_STREQ(g_szError, "") << "the library starts with no failure recorded";

  char portList[kTextCapacity];
  std::memset(portList, 0, sizeof portList);
  const int result = MdmGetPortList(portList);

  EXPECT_EQ(result, 1);
  EXPECT_STREQ(portList, "COM1,COM4,");
  for (size_t i = std::strlen("COM1,COM4,"); i < sizeof portList; ++i) {
    ASSERT_EQ(portList[i], '\0') << "byte " << i << " was written";
  }
  EXPECT_STREQ(g_szError, "") << "a successful listing reports no failure";
}

}  // namespace
