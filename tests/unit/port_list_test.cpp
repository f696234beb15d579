#include <string>

#include "platform.h"
#include "sim_test.h"

namespace {

class PortListTest : public SimTest {};

std::string NameOfLength(size_t length, char fill) {
  std::string name = "COM";
  name.resize(length, fill);
  return name;
}

TEST_F(PortListTest, ListsPresentComPortsInEnumerationOrderOnly) {
  winsim::AddComPort("COM1");
  winsim::AddComPort("LPT1");
  winsim::AddComPort("");  // a port without "PortName"
  winsim::AddComPort("com3");
  winsim::AddComPort("COM7", /*present=*/false);
  winsim::DeviceSpec modem;
  modem.classGuid = winsim::kModemClass;
  modem.className = "Modem";
  modem.deviceKey = winsim::Values{{"PortName", winsim::Sz("COM9")}};
  winsim::AddDevice(modem);
  winsim::AddComPort("COM4");
  std::strcpy(g_szError, "earlier failure");

  char list[kTextCapacity] = {};
  EXPECT_EQ(MdmGetPortList(list), 1);
  EXPECT_STREQ(list, "COM1,COM4,");
  EXPECT_STREQ(g_szError, "earlier failure");
}

TEST_F(PortListTest, WithoutComPortsReturnsZeroAndKeepsTheText) {
  winsim::AddComPort("LPT1");
  char list[kTextCapacity] = "COMX,";
  EXPECT_EQ(MdmGetPortList(list), 0);
  EXPECT_STREQ(list, "COMX,");

  winsim::Reset();
  char empty[kTextCapacity] = {};
  EXPECT_EQ(MdmGetPortList(empty), 0);
  EXPECT_STREQ(empty, "");
}

TEST_F(PortListTest, AppendsAfterTheCallersText) {
  winsim::AddComPort("COM2");
  char list[kTextCapacity] = "COM1,";
  EXPECT_EQ(MdmGetPortList(list), 1);
  EXPECT_STREQ(list, "COM1,COM2,");
}

TEST_F(PortListTest, UnreadablePortsAreSkippedSilently) {
  winsim::AddComPort("COM1");
  winsim::AddComPort("COM2");
  winsim::AddComPort("COM3");
  winsim::DeviceSpec keyless;  // a port whose hardware key does not exist
  winsim::AddDevice(keyless);
  winsim::AddComPort("COM5");
  winsim::FailCall("SetupDiOpenDevRegKey", 1, ERROR_ACCESS_DENIED);
  winsim::FailCall("RegQueryValueExA", 2, ERROR_ACCESS_DENIED);

  char list[kTextCapacity] = {};
  EXPECT_EQ(MdmGetPortList(list), 1);
  EXPECT_STREQ(list, "COM2,COM5,");
  EXPECT_STREQ(g_szError, "");
  // The key whose value could not be read is closed all the same (checked by the fixture).
}

TEST_F(PortListTest, ClassThatCannotBeEnumeratedGivesZero) {
  winsim::AddComPort("COM1");
  winsim::FailCall("SetupDiGetClassDevsA", 1, ERROR_NOT_ENOUGH_MEMORY);
  char list[kTextCapacity] = {};
  EXPECT_EQ(MdmGetPortList(list), 0);
  EXPECT_STREQ(list, "");
  EXPECT_STREQ(g_szError, "");
}

TEST_F(PortListTest, PortNamesAreReadWithinTheirStoredBytes) {
  winsim::DeviceSpec unterminated;  // "COM5" stored without its NUL
  unterminated.deviceKey =
      winsim::Values{{"PortName", winsim::Value{REG_SZ, {'C', 'O', 'M', '5'}}}};
  winsim::AddDevice(unterminated);
  char shortList[kTextCapacity] = {};
  EXPECT_EQ(MdmGetPortList(shortList), 1);
  EXPECT_STREQ(shortList, "COM5,");

  winsim::Reset();
  // First, so that nothing taken before it leaves it no room.
  winsim::DeviceSpec tooLong;  // 256 bytes without a NUL: longer than a port name can be
  const std::string full = NameOfLength(256, 'F');
  tooLong.deviceKey =
      winsim::Values{{"PortName", winsim::Value{REG_SZ, {full.begin(), full.end()}}}};
  winsim::AddDevice(tooLong);
  const std::string longest = NameOfLength(255, 'L');
  winsim::AddComPort(longest);
  winsim::AddComPort(NameOfLength(300, 'M'));  // does not fit the 256-byte buffer at all

  char list[kTextCapacity] = {};
  EXPECT_EQ(MdmGetPortList(list), 1);
  EXPECT_EQ(std::string(list), longest + ",");
}

TEST_F(PortListTest, NeverWritesPastTheCallersBuffer) {
  // 60 names of 6 bytes each with the separator: only 43 fit in 259 characters.
  for (int n = 10; n < 70; ++n) winsim::AddComPort("COM" + std::to_string(n));
  char buffer[kTextCapacity + 40];
  std::memset(buffer, 0, kTextCapacity);
  std::memset(buffer + kTextCapacity, 0x7F, 40);

  EXPECT_EQ(MdmGetPortList(buffer), 1);
  std::string expected;
  for (int n = 10; n < 53; ++n) expected += "COM" + std::to_string(n) + ",";
  EXPECT_EQ(std::string(buffer), expected);
  for (int i = kTextCapacity; i < kTextCapacity + 40; ++i) ASSERT_EQ(buffer[i], 0x7F) << i;
}

TEST_F(PortListTest, ANameThatDoesNotFitIsLeftOutButLaterOnesStillCount) {
  winsim::AddComPort("COM1");
  winsim::AddComPort(NameOfLength(254, 'X'));  // 5 + 255 bytes would leave no room for the NUL
  winsim::AddComPort("COM2");
  char list[kTextCapacity] = {};
  EXPECT_EQ(MdmGetPortList(list), 1);
  EXPECT_STREQ(list, "COM1,COM2,");

  // A name that fits exactly: 253 characters, its separator and the NUL after "COM1,".
  winsim::Reset();
  winsim::AddComPort(NameOfLength(253, 'Y'));
  char exact[kTextCapacity] = "COM1,";
  EXPECT_EQ(MdmGetPortList(exact), 1);
  EXPECT_EQ(std::strlen(exact), size_t{kTextCapacity - 1});
}

TEST_F(PortListTest, AFullCallerTextGetsNothingMore) {
  winsim::AddComPort("COM1");
  char full[kTextCapacity];
  std::memset(full, 'A', sizeof full - 1);
  full[kTextCapacity - 1] = '\0';
  EXPECT_EQ(MdmGetPortList(full), 0);
  EXPECT_EQ(std::strlen(full), size_t{kTextCapacity - 1});

  // Without a NUL inside the 260 bytes there is no room at all, and not a byte is touched.
  char unterminated[kTextCapacity + 1];
  std::memset(unterminated, 'B', sizeof unterminated);
  EXPECT_EQ(MdmGetPortList(unterminated), 0);
  for (char c : unterminated) ASSERT_EQ(c, 'B');
}

TEST_F(PortListTest, AsksThePlatformForPresentPortsAndReadOnlyKeys) {
  winsim::AddComPort("COM1");
  char list[kTextCapacity] = {};
  MdmGetPortList(list);

  const auto sets = winsim::CallsTo("SetupDiGetClassDevsA");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].Arg("classGuid"), "{4D36E978-E325-11CE-BFC1-08002BE10318}");
  EXPECT_TRUE(sets[0].IsNull("enumerator"));
  EXPECT_TRUE(sets[0].IsNull("parent"));
  EXPECT_EQ(sets[0].Number("flags"), 0x2u);
  const auto keys = winsim::CallsTo("SetupDiOpenDevRegKey");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].Number("scope"), 0x1u);
  EXPECT_EQ(keys[0].Number("hwProfile"), 0u);
  EXPECT_EQ(keys[0].Number("keyType"), 0x1u);
  EXPECT_EQ(keys[0].Number("access"), 0x20019u);
  const auto reads = winsim::CallsTo("RegQueryValueExA");
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0].Text("valueName"), "PortName");
  EXPECT_TRUE(reads[0].IsNull("type"));
  EXPECT_EQ(reads[0].Number("dataSize"), 256u);
  EXPECT_EQ(winsim::CallsTo("SetupDiEnumDeviceInfo")[0].Number("cbSize"), sizeof(SP_DEVINFO_DATA));
}

}  // namespace
