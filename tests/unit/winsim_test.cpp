// The simulator's own behaviour where the shared scenarios, which hold it to Wine, do not reach:
// its controls, and the device life cycle and driver install the library's logic depends on.
#include <string>
#include <vector>

#include "platform.h"
#include "sim_test.h"

namespace {

constexpr DWORD kSentinel = 0xdeadbeef;

class WinsimTest : public SimTest {
 protected:
  // The first element of the set of all present devices.
  HDEVINFO OpenAll(SP_DEVINFO_DATA& element, DWORD index = 0) {
    HDEVINFO set =
        SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    element.cbSize = sizeof element;
    EXPECT_TRUE(SetupDiEnumDeviceInfo(set, index, &element));
    return set;
  }
};

TEST_F(WinsimTest, FaultsHitTheChosenCallOnly) {
  winsim::FailCall("SetupDiCreateDeviceInfoList", 2, ERROR_NOT_ENOUGH_MEMORY);
  winsim::FailCall("RegCloseKey", 0, ERROR_INVALID_HANDLE);
  HDEVINFO first = SetupDiCreateDeviceInfoList(&winsim::kModemClass, nullptr);
  SetLastError(kSentinel);
  EXPECT_EQ(SetupDiCreateDeviceInfoList(&winsim::kModemClass, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_ENOUGH_MEMORY});
  HDEVINFO third = SetupDiCreateDeviceInfoList(&winsim::kModemClass, nullptr);
  EXPECT_NE(third, INVALID_HANDLE_VALUE);
  SetLastError(kSentinel);
  EXPECT_EQ(RegCloseKey(nullptr), LONG{ERROR_INVALID_HANDLE});
  EXPECT_EQ(GetLastError(), kSentinel);
  SetupDiDestroyDeviceInfoList(first);
  SetupDiDestroyDeviceInfoList(third);
  const auto creations = winsim::CallsTo("SetupDiCreateDeviceInfoList");
  ASSERT_EQ(creations.size(), 3u);
  // A misspelt argument name stops the test rather than comparing "".
  EXPECT_DEATH((void)creations[0].Arg("classGiud"), "has no argument \"classGiud\"");
  // So does reading an argument as another kind than the call gave.
  EXPECT_DEATH((void)creations[0].Number("classGuid"), "\"classGuid\" is a GUID, not a number");
}

TEST_F(WinsimTest, CallArgumentsAreReadAsTheKindTheCallGave) {
  HDEVINFO set = SetupDiCreateDeviceInfoList(&winsim::kModemClass, nullptr);
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 3, nullptr));
  SetupDiDestroyDeviceInfoList(set);
  const winsim::Call enumeration = winsim::CallsTo("SetupDiEnumDeviceInfo").at(0);
  EXPECT_EQ(enumeration.Number("index"), 3u);
  EXPECT_TRUE(enumeration.IsNull("cbSize"));
  EXPECT_DEATH((void)enumeration.Number("set"), "\"set\" is a handle, not a number");
  EXPECT_DEATH((void)enumeration.IsNull("index"), "\"index\" is a number, not a pointer");
  // A null text must not read as "".
  EXPECT_DEATH((void)enumeration.Text("cbSize"), "\"cbSize\" is absent, not a text");
}

TEST_F(WinsimTest, NewDevicesExistOnceRegisteredAndGoWhenRemoved) {
  HDEVINFO set = SetupDiCreateDeviceInfoList(&winsim::kModemClass, nullptr);
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  ASSERT_TRUE(SetupDiCreateDeviceInfoA(set, "Modem", &winsim::kModemClass, nullptr, nullptr,
                                       DICD_GENERATE_ID, &element));
  EXPECT_TRUE(winsim::Devices().empty());
  // A driver key belongs to a device node, which an unregistered element does not have yet.
  EXPECT_EQ(
      SetupDiCreateDevRegKeyA(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr),
      reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE));
  SetupDiDestroyDeviceInfoList(set);
  EXPECT_TRUE(winsim::Devices().empty());

  set = SetupDiCreateDeviceInfoList(&winsim::kModemClass, nullptr);
  ASSERT_TRUE(SetupDiCreateDeviceInfoA(set, "Modem", &winsim::kModemClass, nullptr, nullptr,
                                       DICD_GENERATE_ID, &element));
  ASSERT_TRUE(SetupDiRegisterDeviceInfo(set, &element, 0, nullptr, nullptr, nullptr));
  EXPECT_TRUE(SetupDiRegisterDeviceInfo(set, &element, 0, nullptr, nullptr, nullptr));
  HKEY key =
      SetupDiCreateDevRegKeyA(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr);
  ASSERT_NE(key, reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE));
  EXPECT_EQ(RegSetValueExA(key, "AttachedTo", 0, REG_SZ, reinterpret_cast<const BYTE*>("COM4"), 5),
            LONG{ERROR_SUCCESS});
  RegCloseKey(key);
  SetupDiDestroyDeviceInfoList(set);
  ASSERT_EQ(winsim::Devices().size(), 1u);
  const winsim::Device& made = *winsim::Devices()[0];
  EXPECT_EQ(made.instanceId, "ROOT\\MODEM\\0000");
  EXPECT_TRUE(made.present);
  EXPECT_EQ(made.driverKey->at("attachedto"), winsim::Sz("COM4"));

  SP_DEVINFO_DATA found = {};
  set = OpenAll(found);
  EXPECT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, set, &found));
  EXPECT_TRUE(winsim::Devices().empty());
  SetupDiDestroyDeviceInfoList(set);
}

TEST_F(WinsimTest, ReadOnlyDriverKeyRefusesWriteAccess) {
  winsim::DeviceSpec modem;
  modem.driverKey = winsim::Values{};
  winsim::SetDriverKeyReadOnly(winsim::AddDevice(modem), true);
  SP_DEVINFO_DATA element = {};
  HDEVINFO set = OpenAll(element);
  EXPECT_EQ(SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_ALL_ACCESS),
            reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  HKEY key = SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
  EXPECT_NE(key, reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE));
  RegCloseKey(key);
  SetupDiDestroyDeviceInfoList(set);
}

TEST_F(WinsimTest, InfClassAndDriverUpdateFollowTheFiles) {
  const char* inf = "C:\\kit\\wwandev.inf";
  winsim::AddFile(
      inf,
      "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem ; the class\r\n"
      "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\r\n[Strings]\r\nClass=Other\r\n");
  GUID guid{};
  char name[MAX_CLASS_NAME_LEN];
  ASSERT_TRUE(SetupDiGetINFClassA(inf, &guid, name, sizeof name, nullptr));
  EXPECT_STREQ(name, "Modem");
  EXPECT_TRUE(guid == winsim::kModemClass);
  EXPECT_FALSE(SetupDiGetINFClassA("C:\\kit\\none.inf", &guid, name, sizeof name, nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});

  BOOL reboot = TRUE;
  EXPECT_FALSE(
      UpdateDriverForPlugAndPlayDevicesA(nullptr, "WWAN_GENERIC", inf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_SUCH_DEVINST});

  winsim::DeviceSpec modem;
  modem.hardwareIds = winsim::MultiSz({"wwan_generic"});
  modem.driverKey = winsim::Values{{"AttachedTo", winsim::Sz("COM1")}};
  const winsim::DeviceId id = winsim::AddDevice(modem);
  winsim::Newdev().rebootRequired = true;
  EXPECT_TRUE(
      UpdateDriverForPlugAndPlayDevicesA(nullptr, "WWAN_GENERIC", inf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_EQ(reboot, TRUE);
  const winsim::Values& values = *winsim::FindDevice(id)->driverKey;
  EXPECT_EQ(values.at("FriendlyName"), winsim::Sz("GPRS Modem"));
  EXPECT_EQ(values.at("AttachedTo"), winsim::Sz("COM1"));
}

TEST_F(WinsimTest, InstanceIdsKeepLongClassNamesWhole) {
  winsim::DeviceSpec wanted;
  wanted.className = std::string(60, 'c');
  const std::string first = winsim::FindDevice(winsim::AddDevice(wanted))->instanceId;
  const std::string second = winsim::FindDevice(winsim::AddDevice(wanted))->instanceId;
  EXPECT_EQ(first.rfind("ROOT\\" + wanted.className + "\\", 0), 0u);
  EXPECT_EQ(first.size(), std::string("ROOT\\").size() + wanted.className.size() + 5);
  EXPECT_NE(first, second);
}

TEST_F(WinsimTest, NewdevCanLackTheUpdate) {
  winsim::Newdev().exportsUpdate = false;
  HMODULE module = LoadLibraryA("NEWDEV.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "UpdateDriverForPlugAndPlayDevicesA"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});
  EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace
