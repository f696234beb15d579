#include <cstring>
#include <string>

#include "platform.h"
#include "sim_test.h"

namespace {

constexpr DWORD kSentinel = 0xdeadbeef;

class DeviceLookupTest : public SimTest {
 protected:
  winsim::DeviceId AddModem(std::vector<BYTE> ids, bool withDriverKey = true) {
    winsim::DeviceSpec wanted;
    wanted.classGuid = winsim::kModemClass;
    wanted.className = "Modem";
    wanted.hardwareIds = std::move(ids);
    if (withDriverKey) wanted.driverKey = winsim::Values{{"UserInit", winsim::Sz("old")}};
    return winsim::AddDevice(wanted);
  }
  std::optional<winsim::Value> DriverValue(winsim::DeviceId id, const std::string& name) {
    const winsim::Device* device = winsim::FindDevice(id);
    if (!device || !device->driverKey) return std::nullopt;
    auto found = device->driverKey->find(name);
    if (found == device->driverKey->end()) return std::nullopt;
    return found->second;
  }
  int Update(const char* value = "E1") {
    SetLastError(kSentinel);
    return MdmFindDevAndUpdateReg("WWAN_GENERIC", "UserInit", value);
  }
};

TEST_F(DeviceLookupTest, WritesTheFirstMatchingDeviceOnly) {
  winsim::AddComPort("COM1");                    // no list: passed over without a report
  AddModem(winsim::MultiSz({"WWAN_GENERIC2"}));  // not a whole match
  const auto first = AddModem(winsim::MultiSz({"USB\\X", "wwan_generic"}));
  const auto second = AddModem(winsim::MultiSz({"WWAN_GENERIC"}));
  std::strcpy(g_szError, "earlier");

  EXPECT_EQ(Update("E1;+CGDCONT=\"internet\""), 1);
  EXPECT_EQ(GetLastError(), DWORD{0});
  EXPECT_EQ(DriverValue(first, "UserInit"), winsim::Sz("E1;+CGDCONT=\"internet\""));
  EXPECT_EQ(DriverValue(second, "UserInit"), winsim::Sz("old"));
  EXPECT_STREQ(g_szError, "earlier");
}

TEST_F(DeviceLookupTest, NoMatchReportsTheEndOfTheSearch) {
  const auto other = AddModem(winsim::MultiSz({"OTHER"}));
  EXPECT_EQ(Update(), 0);
  EXPECT_STREQ(g_szError, "EnumDeviceInfo FAILURE: No more data is available.\r\n\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_MORE_ITEMS});
  EXPECT_EQ(DriverValue(other, "UserInit"), winsim::Sz("old"));
  EXPECT_EQ(MdmFindDevAndUpdateReg("", "UserInit", "x"), 0);  // an empty ID matches nothing

  winsim::FailCall("SetupDiGetClassDevsA", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Update(), 0);
  EXPECT_EQ(std::string(g_szError),
            "GetClassDevs(All Present Devices) FAILURE: Not enough memory "
            "resources are available to process this command.\r\n\n");
}

TEST_F(DeviceLookupTest, AFailedListReadEndsTheWholeSearch) {
  AddModem(winsim::MultiSz({"OTHER"}));
  const auto later = AddModem(winsim::MultiSz({"WWAN_GENERIC"}));
  // The first device's second read (with the buffer) fails for another reason than size.
  winsim::FailCall("SetupDiGetDeviceRegistryPropertyA", 2, ERROR_INVALID_HANDLE);
  EXPECT_EQ(Update(), 0);
  EXPECT_STREQ(g_szError, "EnumDeviceInfo FAILURE: The handle is invalid.\r\n\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_EQ(DriverValue(later, "UserInit"), winsim::Sz("old"));

  // An allocation that fails without a code is still said to have run out of memory.
  winsim::FailCallWithoutCode("LocalAlloc", 1);
  EXPECT_EQ(Update(), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_ENOUGH_MEMORY});
  EXPECT_EQ(std::string(g_szError).rfind("EnumDeviceInfo FAILURE: Not enough memory", 0), 0u);
  std::memset(g_szError, 0, sizeof g_szError);

  winsim::FailCall("LocalAlloc", 0, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Update(), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_ENOUGH_MEMORY});
  EXPECT_EQ(std::string(g_szError).rfind("EnumDeviceInfo FAILURE: Not enough memory", 0), 0u);
  EXPECT_EQ(DriverValue(later, "UserInit"), winsim::Sz("old"));
}

// A list read is as long as the bytes the call filled, whatever size it reports beside them.
TEST_F(DeviceLookupTest, AListIsReadWithinTheBytesItFilled) {
  const std::string id = "WWAN_GENERIC";
  const auto modem = AddModem(std::vector<BYTE>(id.begin(), id.end()));  // without its NULs
  winsim::ReportLargerSize("SetupDiGetDeviceRegistryPropertyA", 2, 100);
  EXPECT_EQ(Update(), 1);
  EXPECT_EQ(DriverValue(modem, "UserInit"), winsim::Sz("E1"));
}

TEST_F(DeviceLookupTest, AFoundDeviceCountsEvenWhenTheWriteFails) {
  const auto modem = AddModem(winsim::MultiSz({"WWAN_GENERIC"}));
  winsim::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Update("new"), 1);
  EXPECT_STREQ(g_szError, "RegSetValueEx : FAILURE: Access is denied.\r\n\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_EQ(DriverValue(modem, "UserInit"), winsim::Sz("old"));

  winsim::SetDriverKeyReadOnly(modem, true);  // a user without administrator rights
  EXPECT_EQ(Update("new"), 1);
  EXPECT_STREQ(g_szError, "Can not open DriverKey:  FAILURE: Access is denied.\r\n\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});

  winsim::FailCall("SetupDiRegisterDeviceInfo", 1, ERROR_INVALID_PARAMETER);
  winsim::SetDriverKeyReadOnly(modem, false);
  EXPECT_EQ(Update("new"), 1);
  EXPECT_STREQ(g_szError, "Register Device 1\n FAILURE: The parameter is incorrect.\r\n\n");
  EXPECT_EQ(DriverValue(modem, "UserInit"), winsim::Sz("old"));
}

TEST_F(DeviceLookupTest, ADeviceWithoutDriverKeyIsFoundButNotWritten) {
  const auto modem = AddModem(winsim::MultiSz({"WWAN_GENERIC"}), /*withDriverKey=*/false);
  EXPECT_EQ(Update(), 1);
  EXPECT_STREQ(g_szError, "Can not open DriverKey:  FAILURE: (0xe0000204)\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_KEY_DOES_NOT_EXIST});
  EXPECT_FALSE(winsim::FindDevice(modem)->driverKey.has_value());
}

TEST_F(DeviceLookupTest, AnEmptyValueIsOneNulByte) {
  const auto modem = AddModem(winsim::MultiSz({"WWAN_GENERIC"}));
  EXPECT_EQ(Update(""), 1);
  EXPECT_EQ(DriverValue(modem, "UserInit"), (winsim::Value{REG_SZ, {0}}));
}

TEST_F(DeviceLookupTest, AsksForAllPresentDevicesAndTheDriverKeyWithFullAccess) {
  AddModem(winsim::MultiSz({"WWAN_GENERIC"}));
  Update("12345");
  const auto sets = winsim::CallsTo("SetupDiGetClassDevsA");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_TRUE(sets[0].IsNull("classGuid"));
  EXPECT_EQ(sets[0].Number("flags"), 0x6u);
  const auto reads = winsim::CallsTo("SetupDiGetDeviceRegistryPropertyA");
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0].Number("property"), 1u);
  EXPECT_TRUE(reads[0].IsNull("buffer"));
  EXPECT_EQ(reads[0].Number("size"), 0u);
  EXPECT_EQ(reads[1].Number("size"), 14u);
  EXPECT_EQ(winsim::CallsTo("LocalAlloc")[0].Number("flags"), 0x40u);
  EXPECT_EQ(winsim::CallsTo("SetupDiRegisterDeviceInfo")[0].Number("flags"), 0u);
  const auto keys = winsim::CallsTo("SetupDiOpenDevRegKey");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].Number("scope"), 0x1u);
  EXPECT_EQ(keys[0].Number("keyType"), 0x2u);
  EXPECT_EQ(keys[0].Number("access"), 0xf003fu);
  const auto writes = winsim::CallsTo("RegSetValueExA");
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].Number("type"), 1u);
  EXPECT_EQ(writes[0].Number("dataSize"), 6u);
}

}  // namespace
