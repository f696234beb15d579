#include <set>
#include <string>
#include <vector>

#include "entrymaker_machine.h"
#include "platform.h"
#include "sim_test.h"
#include "verbs.h"

namespace {

constexpr char kInf[] =
    "[Version]\nClass=Modem\nClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n";
constexpr char kUsageLine[] = "Usage: GprsKit <verb> [argument]";

struct RecordingConsole : Console {
  std::vector<std::string> lines, errors;
  void Line(const char* text) override { lines.emplace_back(text); }
  void Error(const char* text) override { errors.emplace_back(text); }
};

class GprsKitTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    winsim::SetModulePath("D:\\Tools\\GprsKit.exe");
    winsim::AddFile("D:\\Tools\\wwandev.inf", kInf);
    winsim::AddComPort("COM1");
    winsim::AddComPort("COM4");
    winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(kAppData));
  }
  int Run(std::vector<const char*> args) {
    console = RecordingConsole();
    return RunGprsKit(static_cast<int>(args.size()), args.data(), console);
  }
  std::vector<const winsim::Device*> Modems() {
    std::vector<const winsim::Device*> modems;
    for (const winsim::Device* device : winsim::Devices())
      if (device->classGuid == winsim::kModemClass) modems.push_back(device);
    return modems;
  }
  RecordingConsole console;
};

TEST_F(GprsKitTest, AWrongCommandLineGetsTheUsageOnTheErrorStream) {
  const std::vector<std::vector<const char*>> wrong = {{},
                                                       {"frobnicate"},
                                                       {"install"},
                                                       {"install", "COM4", "COM1"},
                                                       {"apn"},
                                                       {"entry", "x"},
                                                       {"entry", "/allusers", "x"},
                                                       {"status", "x"},
                                                       {"remove", "x"},
                                                       {"/?", "x"},
                                                       {"/h"}};
  for (const auto& args : wrong) {
    EXPECT_EQ(Run(args), kExitUsage) << (args.empty() ? "(none)" : args[0]);
    EXPECT_TRUE(console.lines.empty());
    ASSERT_GE(console.errors.size(), 4u);
    EXPECT_EQ(console.errors[3], kUsageLine);
  }
  EXPECT_EQ(console.errors[0], "\"/h\" is not a verb of GprsKit.");
  Run({"install"});
  EXPECT_EQ(console.errors[0], "\"install\" takes one argument.");
  EXPECT_TRUE(Modems().empty());
  for (const char* asked : {"/?", "-?", "help", "HELP"}) {
    EXPECT_EQ(Run({asked}), kExitDone) << asked;
    EXPECT_TRUE(console.errors.empty());
    EXPECT_EQ(console.lines.at(2), kUsageLine);
  }
}

TEST_F(GprsKitTest, InstallsFromTheToolsOwnFolderOnAPresentPortOnly) {
  for (const char* absent : {"COM9", "COM", "COM44", "COM4,COM1"}) {
    EXPECT_EQ(Run({"install", absent}), kExitFailed) << absent;
    EXPECT_EQ(console.errors,
              std::vector<std::string>{std::string(absent) +
                                       " is not a present COM port (present: COM1, COM4); "
                                       "nothing was changed."});
  }
  EXPECT_TRUE(winsim::CallsTo("SetupDiCreateDeviceInfoA").empty());
  EXPECT_TRUE(Modems().empty());

  // The current directory holds an INF of its own, which is never used.
  winsim::AddFile("C:\\Kit\\wwandev.inf", kInf);
  EXPECT_EQ(Run({"install", "com4"}), kExitDone);
  EXPECT_EQ(console.lines, std::vector<std::string>{"The GPRS modem is installed on COM4."});
  ASSERT_EQ(Modems().size(), 1u);
  EXPECT_EQ(Modems()[0]->driverKey->at("AttachedTo"), winsim::Sz("COM4"));
  EXPECT_EQ(winsim::CallsTo("SetupDiGetINFClassA").at(0).Text("infName"), "D:\\Tools\\wwandev.inf");

  winsim::Newdev().rebootRequired = true;
  EXPECT_EQ(Run({"install", "COM1"}), kExitRestart);
  EXPECT_EQ(console.lines.at(0),
            "The GPRS modem is installed on COM1; Windows must be restarted before it is used.");
}

TEST_F(GprsKitTest, AnInstallThatFailsSaysWhyOnTheErrorStream) {
  winsim::FailCall("SetupDiCreateDeviceInfoA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"install", "COM4"}), kExitFailed);
  ASSERT_EQ(console.errors.size(), 1u);
  EXPECT_EQ(console.errors[0], "CreateDeviceInfo FAILURE: Access is denied.");
  EXPECT_TRUE(console.lines.empty());

  // A path to the tool that fills the whole buffer was cut, and is no folder to take an INF from.
  winsim::SetModulePath("D:\\" + std::string(300, 't') + "\\GprsKit.exe");
  EXPECT_EQ(Run({"install", "COM4"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("The folder of GprsKit.exe cannot be used", 0), 0u);
  EXPECT_TRUE(Modems().empty());
}

TEST_F(GprsKitTest, ApnWritesTheInitStringOrSaysWhyNot) {
  EXPECT_EQ(Run({"apn", "internet"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0),
            "No GPRS modem (hardware ID WWAN_GENERIC) is present: install it first with "
            "\"GprsKit install COMn\".");
  ASSERT_EQ(Run({"install", "COM4"}), kExitDone);
  EXPECT_EQ(Run({"apn", std::string(236, 'a').c_str()}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("The APN is too long", 0), 0u);
  EXPECT_EQ(Modems()[0]->driverKey->count("UserInit"), 0u);
  EXPECT_EQ(Run({"apn", std::string(235, 'a').c_str()}), kExitDone);
  EXPECT_EQ(Run({"apn", "internet"}), kExitDone);
  EXPECT_EQ(console.lines,
            std::vector<std::string>{
                "The modem's init string is now E1;+CGDCONT=\"internet\";+CGQREQ=1"});
  EXPECT_EQ(Modems()[0]->driverKey->at("UserInit"),
            winsim::Sz("E1;+CGDCONT=\"internet\";+CGQREQ=1"));
  winsim::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"apn", "other"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("RegSetValueEx", 0), 0u) << console.errors.at(0);
}

TEST_F(GprsKitTest, EntryIsMadeAsEntryMakerMakesItWithoutAMessageBox) {
  winsim::AddFile(kPhonebook, "");
  EXPECT_EQ(Run({"entry"}), kExitDone);
  EXPECT_EQ(console.lines, std::vector<std::string>{std::string("The dial-up entry \"GPRS "
                                                                "Connection\" is made in ") +
                                                    kPhonebook + "."});
  const auto ras = winsim::CallsTo("RasSetEntryPropertiesA");
  ASSERT_EQ(ras.size(), 1u);
  EXPECT_EQ(ras[0].Text("entryName"), "GPRS Connection");
  EXPECT_NE(winsim::FileContents(kPhonebook)->find("\r\nConnectBPS=115200\r\n"), std::string::npos);

  // The system's phonebook, for every user: below the all-users application data the shell
  // gives, whatever the user's own says.
  constexpr char kSystemPhonebook[] =
      "C:\\ProgramData\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";
  winsim::AddFile(kSystemPhonebook, "");
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(std::string(260, 'a')));
  EXPECT_EQ(Run({"entry", "/AllUsers"}), kExitDone);
  EXPECT_EQ(winsim::CallsTo("RasSetEntryPropertiesA").back().Text("phonebook"), kSystemPhonebook);
  EXPECT_NE(winsim::FileContents(kSystemPhonebook)->find("\r\nConnectBPS=115200\r\n"),
            std::string::npos);

  EXPECT_EQ(Run({"entry"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("The user's phonebook cannot be found", 0), 0u);
  winsim::SetCommonAppData(std::nullopt);
  EXPECT_EQ(Run({"entry", "/allusers"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("The system's phonebook cannot be found", 0), 0u);
  EXPECT_TRUE(winsim::CallsTo("MessageBoxA").empty());
}

// Every modem of the kit goes, and then the package the system copied for them, once; a name in
// the driver key that is no such copy never reaches the call that deletes packages.
TEST_F(GprsKitTest, RemoveTakesTheModemsAndTheirPackageAway) {
  EXPECT_EQ(Run({"remove"}), kExitDone);
  EXPECT_EQ(console.lines.at(0),
            "No GPRS modem (hardware ID WWAN_GENERIC) is present: nothing to remove.");

  const auto modem = [](const char* package) {
    winsim::DeviceSpec wanted;
    wanted.classGuid = winsim::kModemClass;
    wanted.className = "Modem";
    wanted.hardwareIds = winsim::MultiSz({"WWAN_GENERIC"});
    wanted.driverKey = winsim::Values{{"InfPath", winsim::Sz(package)}};
    return winsim::AddDevice(wanted);
  };
  winsim::DriverPackages() = {"oem3.inf", "oem7.inf"};
  modem("oem3.inf");
  modem("OEM3.INF");
  const winsim::DeviceId evil = modem("..\\oem7.inf");
  EXPECT_EQ(Run({"remove"}), kExitDone);
  EXPECT_EQ(console.lines.at(0), "Removed 3 GPRS modems and the driver package oem3.inf.");
  EXPECT_EQ(winsim::DriverPackages(), std::set<std::string>{"oem7.inf"});
  EXPECT_EQ(winsim::CallsTo("SetupUninstallOEMInfA").size(), 1u);
  EXPECT_EQ(winsim::FindDevice(evil), nullptr);

  // A package another device uses stays, for that device.
  winsim::DeviceSpec other;
  other.hardwareIds = winsim::MultiSz({"OTHER_MODEM"});
  other.driverKey = winsim::Values{{"InfPath", winsim::Sz("oem7.inf")}};
  const winsim::DeviceId otherId = winsim::AddDevice(other);
  modem("oem7.inf");
  EXPECT_EQ(Run({"remove"}), kExitDone);
  EXPECT_EQ(console.lines.at(0),
            "Removed 1 GPRS modem; the driver package oem7.inf stays, as another device uses it.");
  EXPECT_NE(winsim::FindDevice(otherId), nullptr);

  // Windows 2000 has no way to remove a package: it stays, and the line says so.
  winsim::Newdev().uninstallsPackages = false;
  winsim::Newdev().removalNeedsRestart = true;
  modem("oem7.inf");
  EXPECT_EQ(Run({"remove"}), kExitRestart);
  EXPECT_EQ(console.lines.at(0),
            "Removed 1 GPRS modem; the driver package oem7.inf stays, as this Windows cannot "
            "remove it; Windows must be restarted to finish.");

  // Stopped midway: what went stays gone, the rest and its package stay, and it is no success.
  winsim::Newdev().uninstallsPackages = true;
  winsim::Newdev().removalNeedsRestart = false;
  modem("oem7.inf");
  modem("oem7.inf");
  winsim::FailCall("SetupDiCallClassInstaller", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"remove"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0), "A GPRS modem could not be removed: Access is denied.");
  EXPECT_EQ(Modems().size(), 1u);
  EXPECT_EQ(winsim::DriverPackages(), std::set<std::string>{"oem7.inf"});
}

TEST_F(GprsKitTest, StatusShowsEachModemAndTheEntry) {
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(console.lines, (std::vector<std::string>{
                               "No GPRS modem (hardware ID WWAN_GENERIC) is present.",
                               std::string("Dial-up entry \"GPRS Connection\": none; there is no "
                                           "phonebook ") +
                                   kPhonebook}));
  winsim::Newdev().driverValues["InfPath"] = winsim::Sz("oem3.inf");
  ASSERT_EQ(Run({"install", "COM4"}), kExitDone);
  ASSERT_EQ(Run({"apn", "internet"}), kExitDone);
  winsim::AddFile(kPhonebook, "[GPRS Connection]\r\nConnectBPS=115200\r\nProtocol=1\r\n");
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(console.lines,
            (std::vector<std::string>{"Modem " + Modems()[0]->instanceId, "  port:           COM4",
                                      "  name:           GPRS Modem",
                                      "  init string:    E1;+CGDCONT=\"internet\";+CGQREQ=1",
                                      "  driver package: oem3.inf",
                                      std::string("Dial-up entry \"GPRS Connection\": in ") +
                                          kPhonebook + ", without the kit's settings: Protocol"}));
  ASSERT_EQ(Run({"entry"}), kExitDone);
  Run({"status"});
  EXPECT_EQ(console.lines.back(), std::string("Dial-up entry \"GPRS Connection\": in ") +
                                      kPhonebook + ", with the kit's settings");

  winsim::FailCall("SetupDiEnumDeviceInfo", 2, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Run({"status"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("The present devices could not all be looked at: ", 0), 0u);
}

}  // namespace
