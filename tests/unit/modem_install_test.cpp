#include <cstdlib>
#include <string>

#include "platform.h"
#include "sim_test.h"

namespace {

constexpr char kInf[] = "C:\\Kit\\wwandev.inf";
constexpr char kInfText[] =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\n"
    "ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\r\n";

class ModemInstallTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    winsim::AddComPort("COM1");
    winsim::AddFile(kInf, kInfText);
  }
  int Install(const char* port = "COM4") {
    SetLastError(0xdeadbeef);
    return MdmInstallModem(kInf, port, "WWAN_GENERIC");
  }
  // The modems the machine holds: every device with a hardware-ID list.
  std::vector<const winsim::Device*> Modems() {
    std::vector<const winsim::Device*> modems;
    for (const winsim::Device* device : winsim::Devices())
      if (device->properties.count(SPDRP_HARDWAREID)) modems.push_back(device);
    return modems;
  }
  std::string AttachedTo(const winsim::Device* device) {
    const winsim::Value& value = device->driverKey->at("AttachedTo");
    return std::string(value.bytes.begin(), value.bytes.end() - 1);
  }
  bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
  }
};

TEST_F(ModemInstallTest, ANewModemIsMadeBoundAndInstalled) {
  EXPECT_EQ(Install(), 0);
  // Windows' last successful call leaves 0; a platform whose successful calls leave the code
  // alone keeps the code the search ended with.
  EXPECT_EQ(GetLastError(),
            static_cast<DWORD>(std::getenv("WINSIM_STALE_LAST_ERROR") ? ERROR_NO_MORE_ITEMS
                                                                      : ERROR_SUCCESS));
  const auto modems = Modems();
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(modems[0]->instanceId, "ROOT\\MODEM\\0000");
  EXPECT_TRUE(modems[0]->classGuid == winsim::kModemClass);
  EXPECT_EQ(modems[0]->properties.at(SPDRP_HARDWAREID).bytes, winsim::MultiSz({"WWAN_GENERIC"}));
  EXPECT_EQ(AttachedTo(modems[0]), "COM4");
  EXPECT_STREQ(g_szModemDesc, "GPRS Modem");
  // The search that found no modem left its text, even though the install went well.
  EXPECT_STREQ(g_szError, "EnumDeviceInfo FAILURE: No more data is available.\r\n\n");
}

TEST_F(ModemInstallTest, ARestartIsPassedOn) {
  winsim::Newdev().rebootRequired = true;
  EXPECT_EQ(Install(), 1);
  EXPECT_STREQ(g_szModemDesc, "GPRS Modem");
  EXPECT_EQ(Install("COM1"), 1);  // and again on the existing device
}

TEST_F(ModemInstallTest, AnInstalledModemIsRebound) {
  ASSERT_EQ(Install("COM1"), 0);
  std::strcpy(g_szModemDesc, "kept");
  std::strcpy(g_szError, "kept");
  EXPECT_EQ(Install("COM3"), 0);
  const auto modems = Modems();
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(AttachedTo(modems[0]), "COM3");
  EXPECT_STREQ(g_szModemDesc, "kept");
  EXPECT_STREQ(g_szError, "kept");
  EXPECT_EQ(winsim::CallsTo("SetupDiCreateDeviceInfoA").size(), 1u);
  EXPECT_EQ(winsim::CallsTo("UpdateDriverForPlugAndPlayDevicesA").size(), 2u);
}

TEST_F(ModemInstallTest, AMissingInfFailsBeforeAnyDeviceIsLookedAt) {
  EXPECT_EQ(MdmInstallModem("C:\\Kit\\none.inf", "COM4", "WWAN_GENERIC"), 2);
  EXPECT_STREQ(g_szError,
               ".inf not found. FAILURE: The system cannot find the file specified.\r\n\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_TRUE(winsim::CallsTo("SetupDiGetClassDevsA").empty());
  EXPECT_TRUE(Modems().empty());
}

struct NewDeviceFailure {
  const char* op;
  int nth;
  DWORD code;
  const char* prefix;
  bool deviceStays;
};

void PrintTo(const NewDeviceFailure& row, std::ostream* out) {
  *out << row.op;
}

class NewDeviceFailureTest : public ModemInstallTest,
                             public ::testing::WithParamInterface<NewDeviceFailure> {};

TEST_P(NewDeviceFailureTest, FailsWithItsTextAndLeavesNoHalfDevice) {
  const NewDeviceFailure& row = GetParam();
  winsim::FailCall(row.op, row.nth, row.code);
  EXPECT_EQ(Install(), 2);
  EXPECT_TRUE(StartsWith(g_szError, std::string(row.prefix) + " FAILURE: ")) << g_szError;
  EXPECT_EQ(Modems().size(), row.deviceStays ? 1u : 0u);
  EXPECT_EQ(GetLastError(), row.code);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, NewDeviceFailureTest,
    ::testing::Values(
        NewDeviceFailure{"SetupDiGetINFClassA", 1, ERROR_INVALID_CLASS, "GetINFClass", false},
        NewDeviceFailure{"SetupDiCreateDeviceInfoList", 1, ERROR_NOT_ENOUGH_MEMORY,
                         "CreateDeviceInfoList", false},
        NewDeviceFailure{"SetupDiCreateDeviceInfoA", 1, ERROR_DEVINST_ALREADY_EXISTS,
                         "CreateDeviceInfo", false},
        NewDeviceFailure{"SetupDiSetDeviceRegistryPropertyA", 1, ERROR_INVALID_PARAMETER,
                         "SetDeviceRegistryProperty", false},
        NewDeviceFailure{"SetupDiRegisterDeviceInfo", 1, ERROR_NO_SUCH_DEVINST,
                         "Register Device 1\n", false},
        NewDeviceFailure{"SetupDiCreateDevRegKeyA", 1, ERROR_ACCESS_DENIED,
                         "SetupDi Open+Create DevRegKey failed: ", false},
        NewDeviceFailure{"RegSetValueExA", 1, ERROR_ACCESS_DENIED, "RegSetValueEx :", false},
        NewDeviceFailure{"LoadLibraryA", 1, ERROR_MOD_NOT_FOUND, "unable to load newdev.dll",
                         false},
        NewDeviceFailure{"GetProcAddress", 1, ERROR_PROC_NOT_FOUND,
                         "GetProcAddress(UpdateDriverForPlugAndPlayDevicesA)", false},
        NewDeviceFailure{"UpdateDriverForPlugAndPlayDevicesA", 1, ERROR_IN_WOW64,
                         "UpdateDriverForPlugAndPlayDevices", false},
        // The driver is installed, but its name cannot be read back.
        NewDeviceFailure{"SetupDiOpenDevRegKey", 1, ERROR_ACCESS_DENIED,
                         "Can not open DriverKey: ", true},
        NewDeviceFailure{"RegQueryValueExA", 1, ERROR_MORE_DATA, "RegSetValueEx :", true}),
    [](const ::testing::TestParamInfo<NewDeviceFailure>& info) {
      return std::string(info.param.op);
    });

TEST_F(ModemInstallTest, ARemovedDeviceIsMadeAgainNextTime) {
  winsim::FailCall("UpdateDriverForPlugAndPlayDevicesA", 1, ERROR_NO_SUCH_DEVINST);
  EXPECT_EQ(Install(), 2);
  EXPECT_STREQ(g_szError, "UpdateDriverForPlugAndPlayDevices FAILURE: (0xe000020b)\n");
  const auto removals = winsim::CallsTo("SetupDiCallClassInstaller");
  ASSERT_EQ(removals.size(), 1u);
  EXPECT_EQ(removals[0].Number("function"), 0x5u);
  EXPECT_EQ(Install(), 0);
  EXPECT_EQ(winsim::CallsTo("SetupDiCreateDeviceInfoA").size(), 2u);
  EXPECT_EQ(Modems().size(), 1u);
}

// A search that could not look at every device may have missed the modem: making one then would
// give the machine a twin of it. Once the search works again, the one modem is rebound.
TEST_F(ModemInstallTest, ASearchThatStoppedEarlyMakesNoSecondModem) {
  ASSERT_EQ(Install("COM1"), 0);
  const struct {
    const char* op;
    DWORD code;
    const char* text;
  } failures[] = {
      {"SetupDiGetClassDevsA", ERROR_NOT_ENOUGH_MEMORY,
       "GetClassDevs(All Present Devices) FAILURE: Not enough memory resources are available to "
       "process this command.\r\n\n"},
      // The COM port's device comes before the modem's, and its read fails.
      {"SetupDiGetDeviceRegistryPropertyA", ERROR_OUTOFMEMORY,
       "EnumDeviceInfo FAILURE: Not enough memory resources are available to complete this "
       "operation.\r\n\n"},
      {"SetupDiEnumDeviceInfo", ERROR_INVALID_HANDLE,
       "EnumDeviceInfo FAILURE: The handle is invalid.\r\n\n"},
  };
  for (const auto& failure : failures) {
    winsim::ClearCallLog();
    winsim::FailCall(failure.op, 1, failure.code);
    EXPECT_EQ(Install("COM3"), 2) << failure.op;
    EXPECT_STREQ(g_szError, failure.text);
    EXPECT_EQ(GetLastError(), failure.code) << failure.op;
    EXPECT_TRUE(winsim::CallsTo("SetupDiCreateDeviceInfoA").empty()) << failure.op;
    EXPECT_TRUE(winsim::CallsTo("UpdateDriverForPlugAndPlayDevicesA").empty()) << failure.op;
  }
  ASSERT_EQ(Modems().size(), 1u);
  EXPECT_EQ(AttachedTo(Modems()[0]), "COM1");

  winsim::ClearCallLog();
  EXPECT_EQ(Install("COM3"), 0);
  ASSERT_EQ(Modems().size(), 1u);
  EXPECT_EQ(AttachedTo(Modems()[0]), "COM3");
  EXPECT_EQ(winsim::CallsTo("UpdateDriverForPlugAndPlayDevicesA").size(), 1u);
}

TEST_F(ModemInstallTest, NewdevWithoutTheUpdateIsNeverCalled) {
  winsim::Newdev().exportsUpdate = false;
  EXPECT_EQ(Install(), 2);
  EXPECT_STREQ(
      g_szError,
      "GetProcAddress(UpdateDriverForPlugAndPlayDevicesA) FAILURE: The specified procedure "
      "could not be found.\r\n\n");
  EXPECT_TRUE(winsim::CallsTo("UpdateDriverForPlugAndPlayDevicesA").empty());
  EXPECT_TRUE(Modems().empty());
}

TEST_F(ModemInstallTest, AnExistingModemWhosePortWasNotStoredIsNotUpdated) {
  ASSERT_EQ(Install("COM1"), 0);
  const winsim::DeviceId modem = Modems()[0]->id;
  winsim::ClearCallLog();

  winsim::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Install("COM3"), 2);
  EXPECT_STREQ(g_szError, "RegSetValueEx : FAILURE: Access is denied.\r\n\n");
  winsim::SetDriverKeyReadOnly(modem, true);
  EXPECT_EQ(Install("COM3"), 2);
  EXPECT_STREQ(g_szError, "Can not open DriverKey:  FAILURE: Access is denied.\r\n\n");
  winsim::SetDriverKeyReadOnly(modem, false);
  winsim::FailCall("SetupDiRegisterDeviceInfo", 1, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Install("COM3"), 2);
  EXPECT_TRUE(StartsWith(g_szError, "Register Device 1\n FAILURE: "));

  EXPECT_TRUE(winsim::CallsTo("UpdateDriverForPlugAndPlayDevicesA").empty());
  EXPECT_TRUE(winsim::CallsTo("LoadLibraryA").empty());
  EXPECT_EQ(AttachedTo(winsim::FindDevice(modem)), "COM1");
  EXPECT_EQ(Modems().size(), 1u);
}

TEST_F(ModemInstallTest, AnExistingModemKeepsItsNewPortWhenTheUpdateFails) {
  ASSERT_EQ(Install("COM1"), 0);
  winsim::FailCall("LoadLibraryA", 1, ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(Install("COM3"), 2);
  EXPECT_STREQ(g_szError,
               "unable to load newdev.dll FAILURE: The specified module could not be found.\r\n\n");
  EXPECT_EQ(AttachedTo(Modems()[0]), "COM3");

  winsim::FailCall("UpdateDriverForPlugAndPlayDevicesA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Install("COM5"), 2);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_EQ(AttachedTo(Modems()[0]), "COM5");
  EXPECT_EQ(Modems().size(), 1u);  // an existing device is never removed
}

TEST_F(ModemInstallTest, NewdevIsLoadedFromASystemFolderWhosePathFits) {
  // 248 characters and "\\newdev.dll" fill the 259 a path may have.
  winsim::SetSystemDirectory("C:\\" + std::string(245, 'S'));
  EXPECT_EQ(Install(), 0);
  for (size_t length : {249, 259, 300}) {
    winsim::Reset();
    winsim::AddFile(kInf, kInfText);
    winsim::SetSystemDirectory("C:\\" + std::string(length - 3, 'S'));
    EXPECT_EQ(Install(), 2) << length;
    EXPECT_STREQ(g_szError, "unable to load newdev.dll FAILURE: The file name is too long.\r\n\n");
    EXPECT_TRUE(winsim::CallsTo("LoadLibraryA").empty());
    EXPECT_TRUE(Modems().empty());  // the new device is removed again
  }
}

TEST_F(ModemInstallTest, AnEmptyPortNameChangesNothing) {
  constexpr char kRefused[] = "COM port FAILURE: The parameter is incorrect.\r\n\n";
  EXPECT_EQ(Install(""), 2);
  EXPECT_STREQ(g_szError, kRefused);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_TRUE(Modems().empty());

  // A modem that works on its port keeps it.
  ASSERT_EQ(Install("COM1"), 0);
  winsim::ClearCallLog();
  EXPECT_EQ(Install(""), 2);
  EXPECT_EQ(Install(nullptr), 2);
  EXPECT_STREQ(g_szError, kRefused);
  ASSERT_EQ(Modems().size(), 1u);
  EXPECT_EQ(AttachedTo(Modems()[0]), "COM1");
  EXPECT_TRUE(winsim::CallsTo("SetupDiGetClassDevsA").empty());
  EXPECT_TRUE(winsim::CallsTo("RegSetValueExA").empty());
  EXPECT_TRUE(winsim::CallsTo("UpdateDriverForPlugAndPlayDevicesA").empty());
}

// The hardware ID becomes the new device's one-entry list: 259 characters fit, 260 do not.
TEST_F(ModemInstallTest, AHardwareIdOfUpTo259CharactersIsTaken) {
  const std::string longest(259, 'H'), tooLong(260, 'H');
  EXPECT_EQ(MdmInstallModem(kInf, "COM4", tooLong.c_str()), 2);
  EXPECT_TRUE(StartsWith(g_szError, "SetDeviceRegistryProperty FAILURE: The parameter"));
  EXPECT_TRUE(Modems().empty());
  EXPECT_EQ(MdmInstallModem(kInf, "COM4", longest.c_str()), 0);
  ASSERT_EQ(Modems().size(), 1u);
  EXPECT_EQ(Modems()[0]->properties.at(SPDRP_HARDWAREID).bytes, winsim::MultiSz({longest}));
}

TEST_F(ModemInstallTest, TheModemNameIsCutToItsBuffer) {
  winsim::Newdev().driverValues["FriendlyName"] = winsim::Sz(std::string(300, 'N'));
  std::strcpy(g_szModemDesc, "before");
  EXPECT_EQ(Install(), 2);  // the name does not fit: the read fails and the buffer keeps its text
  EXPECT_STREQ(g_szModemDesc, "before");

  winsim::Reset();
  winsim::AddFile(kInf, kInfText);
  const std::string name(260, 'M');  // exactly fills the buffer, but without a NUL
  winsim::Newdev().driverValues["FriendlyName"] = winsim::Value{REG_SZ, {name.begin(), name.end()}};
  EXPECT_EQ(Install(), 0);
  EXPECT_EQ(std::string(g_szModemDesc), std::string(259, 'M'));
}

TEST_F(ModemInstallTest, PassesTheInstallArgumentsTheDriverUpdateNeeds) {
  Install();
  const auto infClass = winsim::CallsTo("SetupDiGetINFClassA");
  ASSERT_EQ(infClass.size(), 1u);
  EXPECT_EQ(infClass[0].Text("infName"), kInf);
  EXPECT_EQ(infClass[0].Number("classNameSize"), 32u);
  EXPECT_TRUE(infClass[0].IsNull("requiredSize"));
  EXPECT_EQ(winsim::CallsTo("SetupDiCreateDeviceInfoList")[0].Arg("classGuid"),
            "{4D36E96D-E325-11CE-BFC1-08002BE10318}");
  const auto create = winsim::CallsTo("SetupDiCreateDeviceInfoA")[0];
  EXPECT_EQ(create.Text("deviceName"), "Modem");
  EXPECT_TRUE(create.IsNull("description"));
  EXPECT_EQ(create.Number("flags"), 0x1u);
  const auto ids = winsim::CallsTo("SetupDiSetDeviceRegistryPropertyA")[0];
  EXPECT_EQ(ids.Number("property"), 1u);
  EXPECT_EQ(ids.Number("size"), 14u);
  const auto key = winsim::CallsTo("SetupDiCreateDevRegKeyA")[0];
  EXPECT_EQ(key.Number("scope"), 0x1u);
  EXPECT_EQ(key.Number("hwProfile"), 0u);
  EXPECT_EQ(key.Number("keyType"), 0x2u);
  EXPECT_TRUE(key.IsNull("infHandle"));
  EXPECT_TRUE(key.IsNull("installSection"));
  EXPECT_EQ(winsim::CallsTo("RegSetValueExA")[0].Number("dataSize"), 5u);
  EXPECT_EQ(winsim::CallsTo("GetSystemDirectoryA")[0].Number("size"), 260u);
  // Never by its bare name, which would be looked for in the program's folder first.
  EXPECT_EQ(winsim::CallsTo("LoadLibraryA")[0].Text("fileName"),
            "C:\\WINDOWS\\system32\\newdev.dll");
  const auto update = winsim::CallsTo("UpdateDriverForPlugAndPlayDevicesA")[0];
  EXPECT_TRUE(update.IsNull("parent"));
  EXPECT_EQ(update.Text("hardwareId"), "WWAN_GENERIC");
  EXPECT_EQ(update.Text("fullInfPath"), kInf);
  EXPECT_EQ(update.Number("installFlags"), 0x1u);
  EXPECT_FALSE(update.IsNull("rebootRequired"));
  const auto read = winsim::CallsTo("RegQueryValueExA")[0];
  EXPECT_EQ(read.Text("valueName"), "FriendlyName");
  EXPECT_EQ(read.Number("type"), 1u);
  EXPECT_EQ(read.Number("dataSize"), 260u);
}

}  // namespace
