#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "entrymaker_machine.h"
#include "input_rules.h"
#include "kit_version.h"
#include "log_option.h"
#include "operator_table.h"
#include "platform.h"
#include "sim_test.h"
#include "verbs.h"

namespace {

constexpr char kInf[] =
    "[Version]\nClass=Modem\nClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n";
constexpr char kUsageLine[] = "Usage: GprsKit <verb> [argument]";
constexpr char kNoCatalog[] = "Driver package catalog: none; there is no D:\\Tools\\wwandev.cat";

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
                                                       {"check", "COM4", "x"},
                                                       {"apn", "internet", "standard"},
                                                       {"apn", "internet", "/standard", "x"},
                                                       {"version", "x"},
                                                       {"trust", "x"},
                                                       {"untrust", "/allusers"},
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
  EXPECT_EQ(Run({"Version"}), kExitDone);
  EXPECT_EQ(console.lines, std::vector<std::string>{"GPRS Modem Kit " KIT_VERSION_TEXT});
}

// "/log:FILE" anywhere on the command line, in any case, the last one counting: the verbs never
// see it, and each run adds its exit code, its command and its last words to the file. A log
// that cannot be written is said aside, and changes neither of them.
TEST_F(GprsKitTest, EachRunAddsItsLineToTheLogItsOptionNames) {
  struct AsideConsole : RecordingConsole {
    std::vector<std::string> asides;
    void Aside(const char* text) override { asides.emplace_back(text); }
  };
  AsideConsole seen;
  const auto run = [&seen](std::vector<std::string> words) {
    std::vector<char*> argv;
    argv.reserve(words.size());
    for (std::string& word : words) argv.push_back(word.data());
    seen = AsideConsole();
    return RunGprsKitWithLog(static_cast<int>(argv.size()), argv.data(), seen);
  };
  winsim::AddFolder("C:\\logs");
  constexpr char kLog[] = "C:\\logs\\kit.log";
  EXPECT_EQ(run({"/log:C:\\logs\\other.log", "apn", "/LOG:C:\\logs\\kit.log", "internet"}),
            kExitFailed);
  EXPECT_EQ(seen.errors, std::vector<std::string>{"No GPRS modem (hardware ID WWAN_GENERIC) is "
                                                  "present: install it first with \"GprsKit "
                                                  "install COMn\"."});
  // The usage that follows a wrong command line is no outcome of its own.
  EXPECT_EQ(run({"frobnicate", "/log:C:\\logs\\kit.log"}), kExitUsage);
  EXPECT_FALSE(seen.asides.empty());
  // The last words are the last line alone, however long the lines before it were.
  winsim::SetUserValue("Volatile Environment", "APPDATA",
                       winsim::Sz("C:\\" + std::string(150, 'a')));
  EXPECT_EQ(run({"status", "/log:C:\\logs\\kit.log"}), kExitDone);
  EXPECT_EQ(winsim::FileContents(kLog),
            "1 apn internet: No GPRS modem (hardware ID WWAN_GENERIC) is present: install it "
            "first with \"GprsKit install COMn\".\r\n"
            "2 frobnicate: \"frobnicate\" is not a verb of GprsKit.\r\n"
            "0 status: " +
                seen.lines.back() + "\r\n");
  EXPECT_FALSE(winsim::FileExists("C:\\logs\\other.log"));

  for (const char* log : {"/log:", "/log:C:\\missing\\kit.log"}) {
    EXPECT_EQ(run({"version", log}), kExitDone) << log;
    EXPECT_EQ(seen.lines, std::vector<std::string>{"GPRS Modem Kit " KIT_VERSION_TEXT});
    EXPECT_EQ(seen.asides, std::vector<std::string>{
                               std::string("The log \"") + (log + 5) + "\" could not be written: " +
                               (log[5] ? "The system cannot find the path specified."
                                       : "The filename, directory name, or volume label syntax is "
                                         "incorrect.")});
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
  // A package Windows refuses for its signature: the cause and the fix follow the library's text.
  winsim::FailCall("UpdateDriverForPlugAndPlayDevicesA", 1, 0x800B0109);  // CERT_E_UNTRUSTEDROOT
  EXPECT_EQ(Run({"install", "COM4"}), kExitFailed);
  ASSERT_EQ(console.errors.size(), 2u);
  EXPECT_EQ(console.errors[1], KIT_PACKAGE_NOT_TRUSTED);

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
  // A search that could not look is no proof that there is no modem.
  winsim::FailCall("SetupDiGetClassDevsA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"apn", "internet"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0), "GetClassDevs(All Present Devices) FAILURE: Access is denied.");
  // Nor is a walk that fails leaving the code a call before it left, the code of a list's end
  // among them, as Wine's successful calls leave it.
  winsim::LeaveLastErrorAfterSuccess(true);
  for (const std::vector<const char*>& command :
       std::vector<std::vector<const char*>>{{"apn", "internet"}, {"remove"}, {"check"}}) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    winsim::FailCallLeavingCode("SetupDiEnumDeviceInfo", 1);
    EXPECT_EQ(Run(command), kExitFailed) << command[0];
    EXPECT_EQ(console.errors.at(0), command.size() == 2
                                        ? "The modem's init string could not be written."
                                        : "The present devices could not all be looked at: no "
                                          "reason was given (error code 0)");
  }
  winsim::LeaveLastErrorAfterSuccess(false);
  ASSERT_EQ(Run({"install", "COM4"}), kExitDone);
  // An APN as TS 23.003 writes it, at most 100 characters, or the empty one; anything else,
  // from a script, could end the init string's quotes and add a command of its own.
  for (const char* refused :
       {"internet\";+CFUN=0;\"", "web.op/x", "int\xe9rnet", "a b", "a\\b", "a`b", "a\tb"}) {
    EXPECT_EQ(Run({"apn", refused}), kExitUsage) << refused;
    EXPECT_EQ(console.errors.at(0),
              "The APN is refused: the APN may hold only letters, digits, '-', '.' and '_'; "
              "nothing was changed.");
  }
  EXPECT_EQ(Run({"apn", std::string(101, 'a').c_str()}), kExitUsage);
  EXPECT_EQ(console.errors.at(0).rfind("The APN is refused: the APN may hold at most 100", 0), 0u);
  // The port a script hands the installer package, by the same care: a name as Windows gives one.
  EXPECT_TRUE(IsPortName("COM10"));
  for (const char* refused : {"", "COM4;", "\\\\.\\COM4", "COM 4", "COM4\"\""})
    EXPECT_FALSE(IsPortName(refused)) << refused;
  EXPECT_EQ(Modems()[0]->driverKey->count("UserInit"), 0u);
  EXPECT_EQ(Run({"apn", ""}), kExitDone);
  EXPECT_EQ(Run({"apn", ("Az09-._" + std::string(93, 'a')).c_str()}), kExitDone);
  EXPECT_EQ(Run({"apn", "internet"}), kExitDone);
  EXPECT_EQ(console.lines,
            std::vector<std::string>{
                "The modem's init string is now E1;+CGDCONT=\"internet\";+CGQREQ=1"});
  EXPECT_EQ(Modems()[0]->driverKey->at("UserInit"),
            winsim::Sz("E1;+CGDCONT=\"internet\";+CGQREQ=1"));
  // TS 27.007's form, by the same rule for the APN, and the option only after it.
  EXPECT_EQ(Run({"apn", "a\";+CFUN=0;\"", "/standard"}), kExitUsage);
  EXPECT_EQ(Run({"apn", "/standard", "internet"}), kExitUsage);
  EXPECT_EQ(console.errors.at(0), "\"apn\" takes no option but /standard.");
  EXPECT_EQ(Modems()[0]->driverKey->at("UserInit"),
            winsim::Sz("E1;+CGDCONT=\"internet\";+CGQREQ=1"));
  EXPECT_EQ(Run({"apn", "internet", "/Standard"}), kExitDone);
  EXPECT_EQ(Modems()[0]->driverKey->at("UserInit"),
            winsim::Sz("E1;+CGDCONT=1,\"IP\",\"internet\";+CGQREQ=1"));
  EXPECT_EQ(console.lines.at(0),
            "The modem's init string is now E1;+CGDCONT=1,\"IP\",\"internet\";+CGQREQ=1");
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
  // A stopped run's backup beside a phonebook that cannot be looked at may be its only copy: it
  // stays, and the run says why it changed nothing.
  const std::string backup = std::string(kPhonebook, sizeof kPhonebook - 4) + "old";
  winsim::AddFile(backup, "[Only copy]\r\n");
  winsim::FailCall("GetFileAttributesA", 4, ERROR_SHARING_VIOLATION);
  EXPECT_EQ(Run({"entry"}), kExitFailed);
  EXPECT_EQ(console.errors,
            std::vector<std::string>{
                std::string("A stopped run left the phonebook's backup beside ") + kPhonebook +
                ", and whether the phonebook itself is there cannot be told (error 32): the "
                "backup, which may be its only copy, is kept under the name ending in \".old\"; "
                "nothing was changed."});
  EXPECT_EQ(winsim::FileContents(backup), "[Only copy]\r\n");
  EXPECT_EQ(Run({"entry"}), kExitDone);
  EXPECT_FALSE(winsim::FileExists(backup));
  // A folder another run holds, or a name beside the phonebook whose owner cannot be read, is
  // said with the system's reason.
  const std::string refused = std::string(
                                  "The phonebook's folder is in use by another run, or "
                                  "holds a name the kit may not replace, beside ") +
                              kPhonebook + "; nothing was changed. ";
  winsim::HoldFileOpen(std::string(kPhonebook, sizeof kPhonebook - 4) + "lck");
  EXPECT_EQ(Run({"entry"}), kExitFailed);
  EXPECT_EQ(console.errors, std::vector<std::string>{refused + "The process cannot access the "
                                                               "file because it is being used "
                                                               "by another process."});
  winsim::Reset();
  SetUp();
  winsim::AddFile(backup, "[Only copy]\r\n");
  winsim::FailCall("GetSecurityInfo", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"entry"}), kExitFailed);
  EXPECT_EQ(console.errors, std::vector<std::string>{refused + "Access is denied."});
  winsim::AddFile(kPhonebook, "");

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
  // An entry that was made is done, even when its path cannot be read once more to be said.
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(kAppData));
  winsim::FailCall("RegOpenKeyExA", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"entry"}), kExitDone);
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
  // Only "oem", digits and ".inf" name a package the system copied: names that merely look like
  // one stay, whatever they name.
  const std::set<std::string> lookAlikes = {"oem.inf", "oem3a.inf", "xoem3.inf", "oem3.infx"};
  winsim::DriverPackages() = lookAlikes;
  winsim::DriverPackages().insert({"oem3.inf", "oem7.inf"});
  modem("oem3.inf");
  modem("OEM3.INF");
  const winsim::DeviceId evil = modem("..\\oem7.inf");
  for (const std::string& name : lookAlikes) modem(name.c_str());
  EXPECT_EQ(Run({"remove"}), kExitDone);
  EXPECT_EQ(console.lines.at(0), "Removed 7 GPRS modems and the driver package oem3.inf.");
  winsim::DriverPackages().erase("oem7.inf");
  EXPECT_EQ(winsim::DriverPackages(), lookAlikes);
  winsim::DriverPackages() = {"oem7.inf"};
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

  // A package the system refuses to remove, for another reason than a device that uses it.
  modem("oem7.inf");
  winsim::FailCall("SetupUninstallOEMInfA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"remove"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0),
            "The driver package oem7.inf could not be removed: Access is denied.");

  // Windows 2000 has no way to remove a package: it stays, and the line says so. Either flag of
  // the install parameters asks for the restart.
  winsim::Newdev().uninstallsPackages = false;
  for (const auto& [flag, package] : {std::pair(DWORD{DI_NEEDREBOOT}, "oem7.inf"),
                                      std::pair(DWORD{DI_NEEDRESTART}, "OEM7.INF")}) {
    winsim::Newdev().removalFlags = flag;
    modem(package);
    EXPECT_EQ(Run({"remove"}), kExitRestart);
    EXPECT_EQ(console.lines.at(0),
              std::string("Removed 1 GPRS modem; the driver package ") + package +
                  " stays, as this Windows cannot remove it; Windows must be restarted to finish.");
  }

  // Stopped midway: what went stays gone, the rest and its package stay, and it is no success.
  winsim::Newdev().uninstallsPackages = true;
  winsim::Newdev().removalFlags = 0;
  modem("oem7.inf");
  modem("oem7.inf");
  winsim::FailCall("SetupDiCallClassInstaller", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"remove"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0), "A GPRS modem could not be removed: Access is denied.");
  EXPECT_EQ(Modems().size(), 1u);
  EXPECT_EQ(winsim::DriverPackages(), std::set<std::string>{"oem7.inf"});
}

TEST_F(GprsKitTest, StatusShowsEachModemAndTheEntry) {
  constexpr char kSystemPhonebook[] =
      "C:\\ProgramData\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";
  const std::string userEntry = "Dial-up entry \"GPRS Connection\": ";
  const std::string systemEntry = "Dial-up entry \"GPRS Connection\" for every user: ";
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(console.lines, (std::vector<std::string>{
                               "No GPRS modem (hardware ID WWAN_GENERIC) is present.", kNoCatalog,
                               userEntry + "none; there is no phonebook " + kPhonebook,
                               systemEntry + "none; there is no phonebook " + kSystemPhonebook}));
  winsim::Newdev().driverValues["InfPath"] = winsim::Sz("oem3.inf");
  ASSERT_EQ(Run({"install", "COM4"}), kExitDone);
  ASSERT_EQ(Run({"apn", "internet"}), kExitDone);
  winsim::AddFile(kPhonebook, "[GPRS Connection]\r\nConnectBPS=115200\r\nProtocol=1\r\n");
  winsim::AddFile(kSystemPhonebook, "[Office]\r\nEncoding=1\r\n");
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(
      console.lines,
      (std::vector<std::string>{
          "Modem " + Modems()[0]->instanceId, "  port:           COM4",
          "  name:           GPRS Modem", "  init string:    E1;+CGDCONT=\"internet\";+CGQREQ=1",
          "  driver package: oem3.inf", kNoCatalog,
          userEntry + "in " + kPhonebook + ", without the kit's settings: Protocol",
          systemEntry + "not in " + kSystemPhonebook}));
  // The system's phonebook, looked at last, that cannot be read fails the status all the same.
  winsim::ClearCallLog();
  Run({"status"});
  const auto opens = winsim::CallsTo("CreateFileA");
  ASSERT_EQ(opens.back().Text("fileName"), kSystemPhonebook);
  winsim::FailCall("CreateFileA", static_cast<int>(opens.size()), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"status"}), kExitFailed);
  EXPECT_EQ(console.errors, (std::vector<std::string>{std::string("The phonebook ") +
                                                      kSystemPhonebook + " cannot be read."}));
  // An entry none of whose lines the kit sets is no entry with the kit's settings.
  winsim::AddFile(kPhonebook, "[GPRS Connection]\r\nEncoding=1\r\n");
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(console.lines.at(6),
            userEntry + "in " + kPhonebook + ", without the kit's settings: none of them is there");
  // A second link may hold more keys than the first, whose lines all stand as the kit sets them.
  const std::string device = "MEDIA=serial\r\nConnectBPS=115200\r\nDEVICE=modem\r\n";
  winsim::AddFile(kPhonebook,
                  "[GPRS Connection]\r\n" + device + device + "HwFlowControl=1\r\nProtocol=0\r\n");
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(console.lines.at(6),
            userEntry + "in " + kPhonebook + ", without the kit's settings: HwFlowControl");
  ASSERT_EQ(Run({"entry"}), kExitDone);
  ASSERT_EQ(Run({"entry", "/allusers"}), kExitDone);
  Run({"status"});
  EXPECT_EQ(console.lines.at(6), userEntry + "in " + kPhonebook + ", with the kit's settings");
  // The dial-up service may hold the phonebook open for writing, sharing it as it writes.
  winsim::HoldFileOpen(kPhonebook, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(console.lines.at(6), userEntry + "in " + kPhonebook + ", with the kit's settings");
  EXPECT_EQ(console.lines.at(7),
            systemEntry + "in " + kSystemPhonebook + ", with the kit's settings");
  winsim::SetCommonAppData(std::nullopt);
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(console.lines.at(7), systemEntry +
                                     "none; the system's phonebook has no place (no usable "
                                     "all-users application data folder)");

  // Values at their bounds, as a user without rights reads them: a text that fills all 260
  // bytes without its NUL, a text to expand, and a number.
  const winsim::DeviceId modem = Modems()[0]->id;
  const std::string full(260, 'F');
  winsim::Values& key = *const_cast<winsim::Device*>(winsim::FindDevice(modem))->driverKey;
  key["FriendlyName"] = winsim::Value{REG_SZ, {full.begin(), full.end()}};
  key["InfPath"] = winsim::Value{REG_EXPAND_SZ, winsim::Sz("oem4.inf").bytes};
  key["UserInit"] = winsim::Value{REG_DWORD, {1, 0, 0, 0}};
  winsim::SetDriverKeyReadOnly(modem, true);
  EXPECT_EQ(Run({"status"}), kExitDone);
  EXPECT_EQ(console.lines.at(2), "  name:           (longer than 259 characters)");
  EXPECT_EQ(console.lines.at(3), "  init string:    (not a text)");
  EXPECT_EQ(console.lines.at(4), "  driver package: oem4.inf");

  winsim::FailCall("SetupDiEnumDeviceInfo", 2, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Run({"status"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("The present devices could not all be looked at: ", 0), 0u);
  // So does a device whose hardware IDs cannot be read: the kit's modem may be the one.
  winsim::FailCall("SetupDiGetDeviceRegistryPropertyA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"status"}), kExitFailed);
  EXPECT_EQ(console.errors,
            std::vector<std::string>{
                "The present devices could not all be looked at: Access is denied."});
  // A failure that left no code still says that it is one.
  winsim::FailCallWithoutCode("SetupDiGetClassDevsA", 1);
  EXPECT_EQ(Run({"status"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0),
            "The present devices could not all be looked at: no reason was "
            "given (error code 0)");
}

// The driver package's catalog beside the tool, in the lines between the modems and the entry:
// whether it lists the INF as it is now and whether this PC trusts its signer. Neither changes the
// exit code of a status that could look.
TEST_F(GprsKitTest, StatusSaysWhetherTheCatalogListsTheInfAndIsTrusted) {
  constexpr char kInfHash[] = "CC8469632B80093FE6C58E2028F71195CD9AD3E9";  // sha1sum of kInf
  const auto catalogLines = [&] {
    winsim::ClearCallLog();
    EXPECT_EQ(Run({"status"}), kExitDone);
    EXPECT_TRUE(console.errors.empty());
    return std::vector<std::string>(console.lines.begin() + 1, console.lines.end() - 2);
  };
  const std::string listed = "  lists the INF:  yes, wwandev.inf as it is now";
  winsim::AddFile("D:\\Tools\\wwandev.cat", winsim::CatalogText({kInfHash, "00FF"}));
  winsim::SetMessageText(0x800B0109,
                         "A certificate chain processed, but terminated in a root certificate "
                         "which is not trusted by the trust provider.\r\n");
  EXPECT_EQ(catalogLines(),
            (std::vector<std::string>{
                "Driver package catalog: D:\\Tools\\wwandev.cat", listed,
                "  signature:      not trusted: its signer is not trusted on this PC (0x800B0109: "
                "A certificate chain processed, but terminated in a root certificate which is not "
                "trusted by the trust provider.)"}));
  // No window, no revocation lists, and the INF by its own hash, from the system's wintrust.dll.
  const winsim::Call verify = winsim::CallsTo("WinVerifyTrust").at(0);
  EXPECT_EQ(verify.Number("uiChoice"), uint64_t{WTD_UI_NONE});
  EXPECT_EQ(verify.Number("revocationChecks"), uint64_t{WTD_REVOKE_NONE});
  EXPECT_EQ(verify.Text("memberTag"), kInfHash);
  EXPECT_EQ(verify.Text("memberFile"), "D:\\Tools\\wwandev.inf");
  EXPECT_EQ(winsim::CallsTo("LoadLibraryA").at(0).Text("fileName"),
            "C:\\WINDOWS\\system32\\wintrust.dll");

  winsim::Wintrust().signerVerdict = 0;
  EXPECT_EQ(catalogLines().at(2), "  signature:      trusted on this PC");
  // The INF's member may stand anywhere among the others.
  winsim::AddFile("D:\\Tools\\wwandev.cat", winsim::CatalogText({"00FF", kInfHash, "00FE"}));
  EXPECT_EQ(catalogLines().at(1), listed);
  // A hash longer than any a catalog takes is no INF's the catalog can list.
  winsim::ReportLargerSize("CryptCATAdminCalcHashFromFileHandle", 1, 100);
  EXPECT_EQ(Run({"status"}), kExitFailed);
  EXPECT_EQ(console.errors, std::vector<std::string>{"The driver package's D:\\Tools\\wwandev.inf "
                                                     "cannot be read: The data is invalid."});
  // A folder gone from under the tool leaves it no catalog to read.
  winsim::FailCall("CreateFileA", 1, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(catalogLines().at(0), kNoCatalog);
  winsim::Wintrust().signerVerdict = CERT_E_EXPIRED;
  EXPECT_EQ(catalogLines().at(2),
            "  signature:      not trusted: its signer's certificate has expired (0x800B0101)");

  // One byte of the INF changed after the catalog was made: trust is not even asked.
  std::string changed = kInf;
  changed[1] = 'v';
  winsim::AddFile("D:\\Tools\\wwandev.inf", changed);
  EXPECT_EQ(
      catalogLines(),
      (std::vector<std::string>{
          "Driver package catalog: D:\\Tools\\wwandev.cat",
          "  lists the INF:  no, not wwandev.inf as it is now",
          "  signature:      not trusted: wwandev.inf was changed after the catalog was made"}));
  EXPECT_TRUE(winsim::CallsTo("WinVerifyTrust").empty());
  // Windows finds a member by its tag and checks the digest within: both must be the INF's hash.
  winsim::AddFile("D:\\Tools\\wwandev.inf", kInf);
  const std::string otherHash(40, '0');
  for (const std::string& member : {otherHash + " " + kInfHash, kInfHash + (" " + otherHash)}) {
    winsim::AddFile("D:\\Tools\\wwandev.cat", winsim::CatalogText({member}));
    EXPECT_EQ(catalogLines().at(1), "  lists the INF:  no, not wwandev.inf as it is now") << member;
  }

  // A Windows whose wintrust.dll lacks a catalog function still shows everything else.
  winsim::Wintrust().missing = {"CryptCATEnumerateMember"};
  EXPECT_EQ(catalogLines().at(1),
            "  lists the INF:  not known; this Windows cannot read catalogs (The specified "
            "procedure could not be found.)");
}

// A modem that answers every question of the check as TS 27.007 lays the answers out, with the
// echo, unsolicited codes and pauses a real one sends among them; its ATI gives its IMEI. The
// vendor's codes are those of widespread USB modems, as garronej/at-messages-parser's tests
// (src/test) hold them: ^BOOT, ^MODE, ^RSSI, and +CREG: 2,00,0 unsolicited. Its SIM is one of
// Rogers' (serviceproviders.xml: network-id mcc="302" mnc="720", whose first APN for the
// internet is internet.com with <username>wapuser1</username> and <password>wap</password>).
winsim::ScriptedModem AnsweringModem() {
  winsim::ScriptedModem modem;
  modem.answers = {
      {"AT", {{"\r\n^BOOT:20952548,0,0,0,72\r\n\r\nOK\r\n"}}},
      {"ATI",
       {{"\r\nSimTel GPRS-1\r\nIMEI: see label\r\n35693803564380\r\nSN "
         "1234567890123\r\n\r\nOK\r\n"}}},
      {"AT+CGMI", {{"\r\nSim"}, {"Tel\r\n", 300}, {"\r\nOK\r\n", 1500}}},
      {"AT+CGMM", {{"\r\n+CGMM: GPRS-1\r\n\r\n^MODE:5,4\r\n\r\nOK\r\n"}}},
      {"AT+CGMR", {{"\r\nRING\r\n"}, {"\r\n \t1.0.7\r\n\r\n  OK\r\n", 40}}},
      {"AT+CPIN?", {{"\r\n+CPIN: READY\r\n\r\nOK\r\n"}}},
      {"AT+CSQ", {{"\r\n+CMTI: \"SM\",3\r\n\r\n^RSSI:17\r\n\r\n+CSQ: 20,99\r\n\r\nOK\r\n"}}},
      {"AT+CREG?", {{"\r\n+CREG: 1\r\n"}, {"\r\n+CREG: 2,00,0\r\n\r\n+CREG: 0,1\r\n\r\nOK\r\n"}}},
      {"AT+CGREG?", {{"\r\n+CGREG: 0,5\r\n\r\n+CREG: 1,\"00C3\",\"1A2B\"\r\n\r\nOK\r\n"}}},
      {"AT+CIMI", {{"\r\n302720987654321\r\n\r\nOK\r\n"}}},
      {"ATE1;+CGDCONT=\"internet\";+CGQREQ=1", {{"\r\nOK\r\n"}}}};
  return modem;
}

// The 28 bytes of the line settings the INF gives the modem's driver key.
std::string InfLineSettings() {
  std::ifstream inf(KIT_INF);
  std::string bytes;
  for (std::string line; std::getline(inf, line);) {
    if (line.rfind("HKR,,DCB,1,", 0) != 0) continue;
    std::istringstream hex(line.substr(sizeof "HKR,,DCB,1," - 1));
    for (std::string byte; std::getline(hex, byte, ',');)
      bytes.push_back(static_cast<char>(std::stoi(byte, nullptr, 16)));
  }
  return bytes;
}

std::string Bytes(const DCB& state) {
  return std::string(reinterpret_cast<const char*>(&state), sizeof state);
}

TEST_F(GprsKitTest, CheckAsksTheModemOnItsPortAndPutsThePortBack) {
  ASSERT_EQ(Run({"install", "COM4"}), kExitDone);
  winsim::AddSerialPort("COM4", AnsweringModem());
  // Before its APN, the kit's modem has no init string to send.
  EXPECT_EQ(Run({"check"}), kExitDone);
  EXPECT_EQ(console.lines.back(),
            "the modem answers; no init string of the kit is installed for COM4");
  ASSERT_EQ(Run({"apn", "internet"}), kExitDone);
  winsim::AddSerialPort("COM4", AnsweringModem());
  const winsim::SerialPortSeen before = winsim::SerialPortNow("COM4");
  winsim::ClearCallLog();
  EXPECT_EQ(Run({"check"}), kExitDone);
  EXPECT_EQ(console.lines,
            (std::vector<std::string>{
                "Checking the modem on COM4.", "modem (AT): OK",
                "identity (ATI): SimTel GPRS-1; (withheld); (withheld); SN 1234567890123",
                "manufacturer (AT+CGMI): SimTel", "model (AT+CGMM): GPRS-1",
                "revision (AT+CGMR): 1.0.7", "SIM (AT+CPIN?): READY", "signal (AT+CSQ): -73 dBm",
                "network (AT+CREG?): registered, home network",
                "packet network (AT+CGREG?): registered, roaming",
                std::string("SIM's network (MCC 302, MNC 720): Rogers; APN for the internet: ") +
                    "internet.com, user name wapuser1, password wap",
                std::string("the init string's APN internet is none the table gives for the ") +
                    "SIM's network; "
                    "GprsKit apn /auto writes internet.com",
                "init string (ATE1;+CGDCONT=\"internet\";+CGQREQ=1): OK",
                "the modem accepts the init string"}));
  EXPECT_TRUE(console.errors.empty());
  const winsim::SerialPortSeen after = winsim::SerialPortNow("COM4");
  EXPECT_EQ(after.heard,
            "AT\rATI\rAT+CGMI\rAT+CGMM\rAT+CGMR\rAT+CPIN?\rAT+CSQ\rAT+CREG?\rAT+CGREG?\rAT+CIMI\r"
            "ATE1;+CGDCONT=\"internet\";+CGQREQ=1\r");
  ASSERT_EQ(after.statesSet.size(), 2u);
  EXPECT_EQ(Bytes(after.statesSet[0]), InfLineSettings());
  EXPECT_EQ(Bytes(after.state), Bytes(before.state));
  EXPECT_EQ(std::memcmp(&after.timeouts, &before.timeouts, sizeof after.timeouts), 0);
  EXPECT_FALSE(after.open);
  // It looks and asks; it writes nothing, anywhere.
  EXPECT_TRUE(winsim::CallsTo("RegSetValueExA").empty());
  for (const winsim::Call& open : winsim::CallsTo("CreateFileA"))
    EXPECT_EQ(open.Text("fileName"), "\\\\.\\COM4");

  // Information text longer than a line may hold is cut at its last byte that fits, and says so.
  std::string many, joined;
  for (int i = 10; i < 40; ++i) {
    many += "line-" + std::to_string(i) + "\r\n";
    joined += (joined.empty() ? "line-" : "; line-") + std::to_string(i);
  }
  // Answers as real modems give them, from the public test data of projects that parse them.
  const struct {
    const char* command;
    std::string answer;
    size_t line;
    std::string said;
    bool echo = true;
  } answers[] = {
      // The signal by TS 27.007's table, and an answer outside it as it came.
      {"AT+CSQ", "\r\n+CSQ: 0,0\r\n\r\nOK\r\n", 7, "signal (AT+CSQ): -113 dBm or less"},
      {"AT+CSQ", "\r\n+CSQ: 31,0\r\n\r\nOK\r\n", 7, "signal (AT+CSQ): -51 dBm or more"},
      {"AT+CSQ", "\r\n+CSQ: 99,99\r\n\r\nOK\r\n", 7, "signal (AT+CSQ): unknown"},
      {"AT+CSQ", "\r\n+CSQ: 40,0\r\n\r\nOK\r\n", 7, "signal (AT+CSQ): 40,0"},
      // V.250 takes a command's name in either case, and so does the check in an answer.
      {"AT+CSQ", "\r\n+csq: 20,99\r\n\r\nOK\r\n", 7, "signal (AT+CSQ): -73 dBm"},
      // An unsolicited code before the echo, which the modem sends itself (echo stays on).
      {"AT+CSQ", "\r\n+CREG: 5\r\nAT+CSQ\r\r\n+CSQ: 17,99\r\n\r\nOK\r\n", 7,
       "signal (AT+CSQ): -79 dBm", false},
      {"AT+CGMI", "\r\n+CREG: 5\r\nAT+CGMI\r\r\nSimTel\r\n\r\nOK\r\n", 3,
       "manufacturer (AT+CGMI): SimTel", false},
      // SIMCom's SIM800 Series AT Command Manual V1.09, its unsolicited codes: a line without
      // the command's name is none of its answer.
      {"AT+CSQ", "\r\nCall Ready\r\n\r\n+CSQ: 20,99\r\n\r\nSMS Ready\r\n\r\nOK\r\n", 7,
       "signal (AT+CSQ): -73 dBm"},
      // Every state of TS 27.007 §7.2, and one past them as it came.
      {"AT+CREG?", "\r\n+CREG: 0,6\r\n\r\nOK\r\n", 8,
       "network (AT+CREG?): registered for \"SMS only\", home network"},
      {"AT+CREG?", "\r\n+CREG: 0,11\r\n\r\nOK\r\n", 8,
       "network (AT+CREG?): attached for access to RLOS"},
      {"AT+CREG?", "\r\n+CREG: 0,12\r\n\r\nOK\r\n", 8, "network (AT+CREG?): 0,12"},
      // linux-mobile-broadband/ModemManager, src/tests/test-modem-helpers.c: Iridium's answer
      // without a blank and with leading zeros; Sierra Mercury's unsolicited code, its area bare
      // in hex, before Huawei E160G's answer with the same.
      {"AT+CREG?", "\r\n+CREG:002,001,\"18d8\",\"ffff\"\r\n\r\nOK\r\n", 8,
       "network (AT+CREG?): registered, home network"},
      {"AT+CREG?", "\r\n+CREG: 1,84CD,00D30156\r\n\r\n+CREG: 2,0,00,0\r\n\r\nOK\r\n", 8,
       "network (AT+CREG?): not registered, not searching"},
      {"AT+CGREG?", "\r\n+CGREG: 1,84CD,00D30156\r\n\r\n+CGREG: 2,1,8BE3,2BAF\r\n\r\nOK\r\n", 9,
       "packet network (AT+CGREG?): registered, home network"},
      // TS 27.007 §7.2's unsolicited "+CREG: <stat>" and "+CGREG: <stat>,<lac>,<ci>" arriving
      // before and after the read command's own answer, which alone says the state.
      {"AT+CREG?", "\r\n+CREG: 5\r\n\r\n+CREG: 0,2\r\n\r\n+CREG: 1\r\n\r\nOK\r\n", 8,
       "network (AT+CREG?): not registered, searching"},
      {"AT+CGREG?", "\r\n+CGREG: 0,3\r\n\r\n+CGREG: 1,\"84CD\",\"00D30156\"\r\n\r\nOK\r\n", 9,
       "packet network (AT+CGREG?): registration denied"},
      {"ATI", "\r\n" + many + "\r\nOK\r\n", 2, "identity (ATI): " + joined.substr(0, 256) + "..."},
      // An identity anywhere in a line, and the words that name one in any case, are withheld.
      {"ATI", "\r\nModel X\r\nserial 356938035643809, rev A\r\nimsi: on the SIM\r\n\r\nOK\r\n", 2,
       "identity (ATI): Model X; (withheld); (withheld)"},
      // faucamp/python-gsmmodem, test/fakemodems.py: Huawei K3715's ^CEND, a Wavecom's name
      // after a blank, and a Nokia N79's revision in five lines.
      {"AT+CGMI", "\r\n^CEND:1,5,29,16\r\n WAVECOM MODEM\r\n\r\nOK\r\n", 3,
       "manufacturer (AT+CGMI): WAVECOM MODEM"},
      {"AT+CGMR", "\r\nV ICPR72_08w44.1\r\n24-11-08\r\nRM-348\r\n(c) Nokia\r\n11.049\r\n\r\nOK\r\n",
       5, "revision (AT+CGMR): V ICPR72_08w44.1; 24-11-08; RM-348; (c) Nokia; 11.049"},
  };
  for (const auto& each : answers) {
    winsim::ScriptedModem modem = AnsweringModem();
    modem.echo = each.echo;
    modem.answers[each.command] = {{each.answer}};
    winsim::AddSerialPort("COM4", modem);
    EXPECT_EQ(Run({"check"}), kExitDone) << each.answer;
    EXPECT_EQ(console.lines.at(each.line), each.said);
    EXPECT_EQ(console.lines.back(), "the modem accepts the init string") << each.answer;
  }

  // The SIM decides the exit code as the init string does, whose line still shows.
  const struct {
    std::string answer;
    std::string said;
    const char* lastLine;  // null: the SIM is ready
  } sims[] = {
      // faucamp/python-gsmmodem, test/fakemodems.py: a locked SIM, and a Wavecom that sends no
      // final result code after the SIM's state.
      {"\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n", "SIM PIN",
       "the SIM asks for its PIN: no dial works until it is given, or until its request is "
       "switched off with the SIM in a phone"},
      {"\r\n+CPIN: READY\r\n", "READY; no final result code in time", nullptr},
      {"\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n", "SIM PUK",
       "the SIM asks for its PUK, as its PIN was refused too often: no dial works until it is "
       "unblocked with the PUK from the operator"},
      {"\r\n+CME ERROR: 10\r\n", "+CME ERROR: 10 (SIM not inserted)",
       "the modem has no SIM: no dial works without one"},
      {"\r\n+CME ERROR: SIM not inserted\r\n", "+CME ERROR: SIM not inserted",
       "the modem has no SIM: no dial works without one"},
      // The text in another case, and the number with four digits, as some modems' own are.
      {"\r\n+CME ERROR: sim NOT inserted\r\n", "+CME ERROR: sim NOT inserted",
       "the modem has no SIM: no dial works without one"},
      {"\r\n+CME ERROR: 0010\r\n", "+CME ERROR: 0010 (SIM not inserted)",
       "the modem has no SIM: no dial works without one"},
      // The same manual's state for a SIM that is missing.
      {"\r\n+CPIN: NOT INSERTED\r\n\r\nOK\r\n", "NOT INSERTED",
       "the modem has no SIM: no dial works without one"},
      {"\r\n+CME ERROR: 13\r\n", "+CME ERROR: 13 (SIM failure)",
       "the SIM is not ready (see its line above): no dial works until it is"},
      {"\r\n+CPIN: SIM PIN2\r\n\r\nOK\r\n", "SIM PIN2", nullptr},
  };
  for (const auto& each : sims) {
    winsim::ScriptedModem modem = AnsweringModem();
    modem.answers["AT+CPIN?"] = {{each.answer}};
    winsim::AddSerialPort("COM4", modem);
    EXPECT_EQ(Run({"check"}), each.lastLine ? kExitFailed : kExitDone) << each.answer;
    EXPECT_EQ(console.lines.at(6), "SIM (AT+CPIN?): " + each.said);
    // Only a ready SIM is asked for its network.
    EXPECT_EQ(console.lines.at(each.lastLine ? 10 : 12),
              "init string (ATE1;+CGDCONT=\"internet\";+CGQREQ=1): OK");
    EXPECT_EQ(console.errors,
              each.lastLine ? std::vector<std::string>{each.lastLine} : std::vector<std::string>{});
  }

  // A modem in V.250's numeric mode (V0): its result codes as digits, each ended by a CR.
  winsim::ScriptedModem numeric;
  numeric.answers = {{"AT", {{"0\r"}}},
                     {"ATI", {{"SimTel GPRS-1\r\n0\r"}}},
                     {"AT+CPIN?", {{"+CPIN: READY\r\n0\r"}}},
                     {"ATE1;+CGDCONT=\"internet\";+CGQREQ=1", {{"0\r"}}}};
  numeric.otherwise = {{"4\r"}};
  winsim::AddSerialPort("COM4", numeric);
  EXPECT_EQ(Run({"check"}), kExitDone);
  EXPECT_EQ(console.lines.at(1),
            "modem (AT): 0 (OK), in numeric mode (V0); the modem driver's own init string sets V1");
  EXPECT_EQ(console.lines.at(2), "identity (ATI): SimTel GPRS-1");
  EXPECT_EQ(console.lines.at(3), "manufacturer (AT+CGMI): 4 (ERROR)");
  EXPECT_EQ(console.lines.at(10), "SIM's network (AT+CIMI): 4 (ERROR)");
  EXPECT_EQ(console.lines.at(11), "init string (ATE1;+CGDCONT=\"internet\";+CGQREQ=1): 0 (OK)");

  // A modem that refuses every command, or ends each with a code V.250 gives only a call, still
  // answers: the first AT is asked once, every line says the code, and the init string fails.
  for (const char* code : {"ERROR", "NO CARRIER"}) {
    winsim::ScriptedModem refusing;
    refusing.otherwise = {{std::string("\r\n") + code + "\r\n"}};
    winsim::AddSerialPort("COM4", refusing);
    EXPECT_EQ(Run({"check"}), kExitFailed) << code;
    EXPECT_EQ(console.lines.at(1), std::string("modem (AT): ") + code);
    EXPECT_EQ(winsim::SerialPortNow("COM4").heard.rfind("AT\rATI\r", 0), 0u) << code;
    EXPECT_EQ(console.lines.at(6), std::string("SIM (AT+CPIN?): ") + code);
    EXPECT_EQ(
        console.lines.back(),
        std::string("standard form (ATE1;+CGDCONT=1,\"IP\",\"internet\";+CGQREQ=1): ") + code);
    EXPECT_EQ(console.errors,
              (std::vector<std::string>{
                  std::string("the modem refuses the init string: "
                              "ATE1;+CGDCONT=\"internet\";+CGQREQ=1 answered ") +
                      code,
                  "the SIM is not ready (see its line above): no dial works until it is"}));
  }

  // Named, a port is checked before any install; no init string is sent where no modem of the
  // kit is attached.
  winsim::AddSerialPort("COM12", AnsweringModem());
  EXPECT_EQ(Run({"check", "com12"}), kExitDone);
  EXPECT_EQ(console.lines.back(),
            "the modem answers; no init string of the kit is installed for com12");
  EXPECT_EQ(winsim::SerialPortNow("COM12").heard.find("CGDCONT"), std::string::npos);
}

// The SIM's network as the check names it and `apn /auto` writes it. Each IMSI's head is a code of
// serviceproviders.xml (mobile-broadband-provider-info 20230416-1), its tail made up: shared by
// T-Mobile(Telekom) and Congstar (mcc="262" mnc="01"), by Telstra's resellers with Aldi Mobile AU,
// whose one APN is for MMS (mcc="505" mnc="01"), Simplus' two- and three-digit codes (mcc="208"
// mnc="26" and mnc="260"), codes of known countries no one uses, and a country unknown.
TEST_F(GprsKitTest, CheckAndApnAutoNameTheSimsOperator) {
  ASSERT_EQ(Run({"install", "COM4"}), kExitDone);
  ASSERT_EQ(Run({"apn", "internet"}), kExitDone);
  const std::string unknown = std::string(
                                  "no operator of the kit's table uses it "
                                  "(mobile-broadband-provider-info ") +
                              operator_table::kDatabaseVersion + ")";
  const struct {
    std::string answer;
    std::vector<std::string> said;  // from the network's line on
    const char* written;            // the APN `apn /auto` writes, or null
  } sims[] = {
      {"\r\n262019876543210\r\n\r\nOK\r\n",
       {"SIM's network (MCC 262, MNC 01): 2 operators share it:",
        "  T-Mobile(Telekom); APN for the internet: internet.t-d1.de, password t-d1",
        "  Congstar; APN for the internet: internet.t-mobile, user name t-mobile, password tm",
        "the init string's APN internet is none the table gives for the SIM's network"},
       nullptr},
      {"\r\n505019876543210\r\n\r\nOK\r\n",
       {"  Aldi Mobile AU; no APN for the internet, only for MMS"},
       nullptr},
      // Some modems name the answer as they name others.
      {"\r\n+CIMI: 208260987654321\r\n\r\nOK\r\n",
       {"SIM's network (MCC 208, MNC 26 or 260): Simplus; APN for the internet: fnetnrj",
        "the init string's APN internet is none the table gives for the SIM's network; GprsKit "
        "apn /auto writes fnetnrj"},
       "fnetnrj"},
      // AT&T's APNs serve "mms-internet-hipri"; velcom's first is for WAP (mcc="257" mnc="01").
      {"\r\n310150987654321\r\n\r\nOK\r\n",
       {"SIM's network (MCC 310, MNC 150): AT&T; APN for the internet: NXTGENPHONE"},
       "NXTGENPHONE"},
      {"\r\n257019876543210\r\n\r\nOK\r\n",
       {"SIM's network (MCC 257, MNC 01): velcom; APN for the internet: web.velcom.by, user "
        "name web, password web"},
       "web.velcom.by"},
      // Argentina's codes have two digits or three; Movistar's (mcc="722" mnc="010") has three,
      // and no code of two digits is its head.
      {"\r\n722010987654321\r\n\r\nOK\r\n",
       {"SIM's network (MCC 722, MNC 010): Movistar; APN for the internet: "
        "internet.gprs.unifon.com.ar, user name wap, password wap"},
       "internet.gprs.unifon.com.ar"},
      // Canada's codes have three digits.
      {"\r\n302999876543210\r\n\r\nOK\r\n",
       {"SIM's network (MCC 302, MNC 999): " + unknown},
       nullptr},
      {"\r\n262999876543210\r\n\r\nOK\r\n",
       {"SIM's network (MCC 262, MNC 99): " + unknown},
       nullptr},
      {"\r\n001019876543210\r\n\r\nOK\r\n",
       {"SIM's network (MCC 001, MNC 01 or 019, which the table cannot tell): " + unknown},
       nullptr},
      {"\r\n+CME ERROR: 10\r\n",
       {"SIM's network (AT+CIMI): +CME ERROR: 10 (SIM not inserted)"},
       nullptr},
  };
  for (const auto& each : sims) {
    winsim::ScriptedModem modem = AnsweringModem();
    modem.answers["AT+CIMI"] = {{each.answer}};
    winsim::AddSerialPort("COM4", modem);
    // The network is news, not a verdict: the SIM's readiness stays +CPIN?'s.
    EXPECT_EQ(Run({"check"}), kExitDone) << each.answer;
    for (const std::string& line : each.said)
      EXPECT_NE(std::find(console.lines.begin(), console.lines.end(), line), console.lines.end())
          << line;
    winsim::AddSerialPort("COM4", modem);
    EXPECT_EQ(Run({"apn", "/auto"}), each.written ? kExitDone : kExitFailed) << each.answer;
    EXPECT_EQ(winsim::SerialPortNow("COM4").heard, "AT\rAT+CPIN?\rAT+CIMI\r");
    EXPECT_EQ(console.errors.size(), each.written ? 0u : 1u) << each.answer;
    EXPECT_EQ(Modems()[0]->driverKey->at("UserInit"),
              winsim::Sz(std::string("E1;+CGDCONT=\"") +
                         (each.written ? each.written : "internet") + "\";+CGQREQ=1"));
    ASSERT_EQ(Run({"apn", "internet"}), kExitDone);
  }
  // One operator's APN, in the form asked for, from the port named; no IMSI is ever said.
  winsim::AddSerialPort("COM7", AnsweringModem());
  EXPECT_EQ(Run({"apn", "/AUTO", "com7", "/standard"}), kExitDone);
  EXPECT_EQ(console.lines.back(),
            "The modem's init string is now E1;+CGDCONT=1,\"IP\",\"internet.com\";+CGQREQ=1");
  EXPECT_EQ(::testing::PrintToString(console.lines).find("98765"), std::string::npos);
  // No answer, or no SIM to ask, writes nothing, in the check's words.
  winsim::ScriptedModem locked = AnsweringModem(), silent;
  locked.answers["AT+CPIN?"] = {{"\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"}};
  silent.silent = true;
  for (const auto& [modem, error] :
       {std::pair(locked,
                  "the SIM asks for its PIN: no dial works until it is given, or until "
                  "its request is switched off with the SIM in a phone"),
        std::pair(silent, "no modem answers on COM4")}) {
    winsim::AddSerialPort("COM4", modem);
    EXPECT_EQ(Run({"apn", "/auto"}), kExitFailed);
    EXPECT_EQ(console.errors, std::vector<std::string>{error});
  }
  EXPECT_EQ(Run({"apn", "/auto", "/standard", "COM4"}), kExitUsage);
  EXPECT_EQ(Modems()[0]->driverKey->at("UserInit"),
            winsim::Sz("E1;+CGDCONT=1,\"IP\",\"internet.com\";+CGQREQ=1"));
  // TS 23.003 compares APNs in any case, and so does the check with the table's; an APN the
  // table gives for MMS alone (Telstra's telstra.mms, mcc="505" mnc="01") is none for the internet.
  for (const auto& [imsi, apn, said] : {std::tuple("302720987654321", "INTERNET.COM", " is one"),
                                        std::tuple("505019876543210", "telstra.mms", " is none")}) {
    ASSERT_EQ(Run({"apn", apn}), kExitDone);
    winsim::ScriptedModem modem = AnsweringModem();
    modem.answers["AT+CIMI"] = {{std::string("\r\n") + imsi + "\r\n\r\nOK\r\n"}};
    winsim::AddSerialPort("COM4", modem);
    Run({"check"});
    EXPECT_NE(std::find(console.lines.begin(), console.lines.end(),
                        std::string("the init string's APN ") + apn + said +
                            " the table gives for the SIM's network"),
              console.lines.end())
        << apn;
  }
}

// The table the build made against the database it came from, read here another way: the XML as
// text, its comments dropped, each provider with a network code counted with its codes and the
// APNs the kit can write.
TEST(OperatorTable, HoldsEveryGsmOperatorOfTheDatabase) {
  std::ifstream file(KIT_OPERATOR_XML);
  ASSERT_TRUE(file) << KIT_OPERATOR_XML;
  std::string xml((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  for (size_t at = xml.find("<!--"); at != std::string::npos; at = xml.find("<!--", at))
    xml.erase(at, xml.find("-->", at) + 3 - at);
  unsigned operators = 0, networks = 0, apns = 0;
  for (size_t at = 0; (at = xml.find("<provider", at)) != std::string::npos; ++at) {
    const std::string provider = xml.substr(at, xml.find("</provider>", at) - at);
    const size_t gsm = provider.find("<gsm>");
    if (gsm == std::string::npos) continue;
    std::set<std::string> codes;
    for (size_t id = gsm; (id = provider.find("<network-id ", id)) != std::string::npos; ++id)
      codes.insert(provider.substr(id, provider.find('>', id) - id));
    if (codes.empty()) continue;
    ++operators;
    networks += static_cast<unsigned>(codes.size());
    for (size_t apn = gsm; (apn = provider.find("<apn value=\"", apn)) != std::string::npos;) {
      apn += sizeof "<apn value=\"" - 1;
      std::string value = provider.substr(apn, provider.find('"', apn) - apn);
      while (!value.empty() && value.back() == ' ') value.pop_back();
      apns += IsPlainApn(value) ? 1 : 0;
    }
  }
  EXPECT_EQ(operator_table::kOperatorCount, operators);
  EXPECT_EQ(operator_table::kNetworkCount, networks);
  EXPECT_EQ(operator_table::kApnCount, apns);
  EXPECT_GT(operators, 600u);  // 20230416-1 has 636
}

TEST_F(GprsKitTest, CheckEndsWithinItsBoundsWhateverTheModemSends) {
  ASSERT_EQ(Run({"install", "COM4"}), kExitDone);
  ASSERT_EQ(Run({"apn", "internet"}), kExitDone);
  const std::string init = "ATE1;+CGDCONT=\"internet\";+CGQREQ=1";
  const std::string standard = "ATE1;+CGDCONT=1,\"IP\",\"internet\";+CGQREQ=1";
  const struct {
    const char* what;
    std::vector<winsim::ModemPart> toInit;  // the answer to the init string
    const char* lastLine;
    bool refused = false;  // with a final result code: TS 27.007's form is asked too
  } cases[] = {
      {"a strict modem", {{"\r\nERROR\r\n"}}, "answered ERROR", true},
      {"a code",
       {{"\r\n+CME ERROR: 4\r\n"}},
       "answered +CME ERROR: 4 (operation not supported)",
       true},
      {"a verbose code",
       {{"\r\n+CME ERROR: operation not allowed\r\n"}},
       "answered +CME ERROR: operation not allowed",
       true},
      // faucamp/python-gsmmodem, test/fakemodems.py: Huawei E1752's own refusal.
      {"a vendor's code", {{"\r\nCOMMAND NOT SUPPORT\r\n"}}, "answered COMMAND NOT SUPPORT", true},
      {"no final code", {{"\r\n" + init + "\r\n"}}, "answered no final result code in time"},
      {"a final code too late", {{"\r\nOK\r\n", 5200}}, "answered no final result code in time"},
      {"a line too long",
       {{std::string(256, 'x')}},
       "answered an answer line of 256 bytes or more"},
      {"a control byte",
       {{"\r\nOK\x1b\r\n"}},
       "answered bytes that are not text (does the port's speed match the modem's?)"},
      {"bytes not text",
       {{"\r\nO\xffK\r\n"}},
       "answered bytes that are not text (does the port's speed match the modem's?)"},
      {"a flood", {{std::string(5000, '\n')}}, "answered 4096 bytes without a final result code"},
  };
  for (const auto& each : cases) {
    winsim::ScriptedModem modem = AnsweringModem();
    modem.answers[init] = each.toInit;
    winsim::AddSerialPort("COM4", modem);
    const DWORD start = winsim::TickCount();
    EXPECT_EQ(Run({"check"}), kExitFailed) << each.what;
    EXPECT_LE(winsim::TickCount() - start, 30000u) << each.what;
    EXPECT_EQ(console.errors, std::vector<std::string>{"the modem refuses the init string: " +
                                                       init + " " + each.lastLine})
        << each.what;
    EXPECT_EQ(console.lines.size(), each.refused ? 14u : 13u) << each.what;
    EXPECT_EQ(console.lines.back(),
              each.refused ? "standard form (" + standard + "): ERROR" : console.lines.at(12));
  }
  // A modem that follows TS 27.007 to the letter takes its form: the last line names the fix,
  // and once it is written the check finds it taken.
  winsim::ScriptedModem strict = AnsweringModem();
  strict.answers[init] = {{"\r\nERROR\r\n"}};
  strict.answers[standard] = {{"\r\nOK\r\n"}};
  winsim::AddSerialPort("COM4", strict);
  EXPECT_EQ(Run({"check"}), kExitFailed);
  EXPECT_EQ(console.errors, std::vector<std::string>{
                                "the modem refuses the init string: " + init +
                                " answered ERROR; it takes TS 27.007's form, which this writes: "
                                "GprsKit apn internet /standard"});
  // An init string the kit's template did not make names no APN to offer the form with.
  winsim::Values& key =
      *const_cast<winsim::Device*>(winsim::FindDevice(Modems()[0]->id))->driverKey;
  // Nor does the template around an APN the tool would never write.
  const std::string longest = "E1;+CGDCONT=\"" + std::string(101, 'a') + "\";+CGQREQ=1";
  for (const char* other :
       {"E1;+CGDCONT=\"internet\";+CGQREQ=3", "E1;+CGDCONT=\"a b\";+CGQREQ=1", longest.c_str()}) {
    key["UserInit"] = winsim::Sz(other);
    winsim::AddSerialPort("COM4", strict);
    EXPECT_EQ(Run({"check"}), kExitFailed) << other;
    EXPECT_NE(console.lines.back().rfind("init string (", 0), std::string::npos) << other;
  }
  // The empty APN stands between quotes in the fix.
  key["UserInit"] = winsim::Sz("E1;+CGDCONT=\"\";+CGQREQ=1");
  strict.answers["ATE1;+CGDCONT=1,\"IP\",\"\";+CGQREQ=1"] = {{"\r\nOK\r\n"}};
  winsim::AddSerialPort("COM4", strict);
  EXPECT_EQ(Run({"check"}), kExitFailed);
  EXPECT_EQ(console.errors.back().substr(console.errors.back().rfind(':')),
            ": GprsKit apn \"\" /standard");
  ASSERT_EQ(Run({"apn", "internet", "/standard"}), kExitDone);
  winsim::AddSerialPort("COM4", strict);
  EXPECT_EQ(Run({"check"}), kExitDone);
  EXPECT_EQ(console.lines.back(), "the modem accepts the init string");
  EXPECT_EQ(winsim::SerialPortNow("COM4").heard.find(init), std::string::npos);
  ASSERT_EQ(Run({"apn", "internet"}), kExitDone);

  // A line too long that is still coming at line speed when it is cut: its rest and its final
  // code are drained, and the next answer is the next command's own.
  winsim::ScriptedModem longLine = AnsweringModem();
  // 115200 bit/s carry about 58 bytes in 5 ms.
  longLine.answers["AT+CGMM"] = {{"\r\n" + std::string(200, 'm')}};
  for (int part = 0; part < 4; ++part)
    longLine.answers["AT+CGMM"].push_back({std::string(58, 'm'), 5});
  longLine.answers["AT+CGMM"].push_back({"\r\n\r\nOK\r\n", 5});
  winsim::AddSerialPort("COM4", longLine);
  EXPECT_EQ(Run({"check"}), kExitDone);
  EXPECT_EQ(console.lines.at(4), "model (AT+CGMM): an answer line of 256 bytes or more");
  EXPECT_EQ(console.lines.at(5), "revision (AT+CGMR): 1.0.7");

  // Lenient at last: the same command is taken, after a pause within the answer's time and a
  // line as long as a line may be. A line that repeats the command is no echo once another came.
  winsim::ScriptedModem lenient = AnsweringModem();
  lenient.answers[init] = {{"\r\n" + std::string(255, 'y') + "\r\nOK\r\n", 4800}};
  lenient.answers["AT+CGMM"] = {{"\r\nGPRS-1\r\nAT+CGMM\r\n\r\nOK\r\n"}};
  winsim::AddSerialPort("COM4", lenient);
  EXPECT_EQ(Run({"check"}), kExitDone);
  EXPECT_EQ(console.lines.at(4), "model (AT+CGMM): GPRS-1; AT+CGMM");

  // Silence, and a modem that never stops, end within the first answers' bounds.
  winsim::ScriptedModem silent, endless;
  silent.silent = true;
  endless.endless = "RING\r\n";
  for (const auto& modem : {silent, endless}) {
    winsim::AddSerialPort("COM4", modem);
    const DWORD start = winsim::TickCount();
    EXPECT_EQ(Run({"check"}), kExitFailed);
    EXPECT_LE(winsim::TickCount() - start, 3 * 2000u + 100);
    EXPECT_EQ(console.errors, std::vector<std::string>{"no modem answers on COM4"});
    EXPECT_EQ(console.lines.size(), 4u);
  }
  EXPECT_EQ(console.lines[1], "modem (AT): 4096 bytes without a final result code");

  // Slow answers: the whole check stops at its own bound, before the init string.
  winsim::ScriptedModem slow = AnsweringModem();
  for (auto& [command, parts] : slow.answers) parts.insert(parts.begin(), {"", 4900});
  winsim::AddSerialPort("COM4", slow);
  const DWORD start = winsim::TickCount();
  EXPECT_EQ(Run({"check"}), kExitFailed);
  EXPECT_LE(winsim::TickCount() - start, 30000u + 200);
  EXPECT_EQ(console.errors.at(0).rfind("The check took its 30 seconds before ", 0), 0u);
  EXPECT_FALSE(winsim::SerialPortNow("COM4").open);
}

TEST_F(GprsKitTest, CheckSaysWhyAPortCannotBeChecked) {
  EXPECT_EQ(Run({"check"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0),
            "No modem of the kit is installed; name the port to check: GprsKit check COMn");
  for (const char* wrong : {"LPT1", "COM0", "COM257", "COM4x", "COM"}) {
    EXPECT_EQ(Run({"check", wrong}), kExitUsage) << wrong;
    EXPECT_EQ(console.errors.at(0),
              std::string("\"") + wrong + "\" is not the name of a COM port, such as COM5.");
  }
  for (const char* absent : {"COM7", "com256"}) {
    EXPECT_EQ(Run({"check", absent}), kExitFailed);
    EXPECT_EQ(console.errors.at(0), std::string("There is no port ") + absent + " on this PC.");
  }

  winsim::AddSerialPort("COM4", AnsweringModem());
  winsim::HoldSerialPort("COM4");
  EXPECT_EQ(Run({"check", "COM4"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0), "COM4 is in use by another program");
  // Wine's word for a port another process of the host holds.
  winsim::FailCall("CreateFileA", 1, ERROR_LOCK_VIOLATION);
  EXPECT_EQ(Run({"check", "COM4"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0), "COM4 is in use by another program");

  // A port that fails on the way is put back all the same, and so said when it cannot be.
  winsim::AddSerialPort("COM4", AnsweringModem());
  const std::string former = Bytes(winsim::SerialPortNow("COM4").state);
  winsim::FailCall("ReadFile", 3, ERROR_READ_FAULT);
  EXPECT_EQ(Run({"check", "COM4"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("The port failed: ", 0), 0u);
  EXPECT_EQ(Bytes(winsim::SerialPortNow("COM4").state), former);
  // A command the port takes only in part is not taken; the next try is, after the byte that
  // went first, so the modem refuses that line.
  winsim::MoveFewerBytes("WriteFile", 1, 1);
  EXPECT_EQ(Run({"check", "COM4"}), kExitDone);
  EXPECT_EQ(console.lines.at(1),
            "modem (AT): the port did not take the command (does the modem's flow control hold "
            "it back?)");
  EXPECT_EQ(console.lines.at(2), "modem (AT): ERROR");
  for (const char* restore : {"SetCommState", "SetCommTimeouts"}) {
    winsim::FailCall(restore, 2, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Run({"check", "COM4"}), kExitFailed) << restore;
    EXPECT_EQ(console.errors.at(0),
              "The former settings of COM4 could not be put back: Access is denied.");
  }
  // Both failing in one run: both are tried, and the first one's reason is told.
  winsim::FailCall("SetCommState", 2, ERROR_ACCESS_DENIED);
  winsim::FailCall("SetCommTimeouts", 2, ERROR_INVALID_PARAMETER);
  winsim::ClearCallLog();
  EXPECT_EQ(Run({"check", "COM4"}), kExitFailed);
  EXPECT_EQ(console.errors,
            std::vector<std::string>{
                "The former settings of COM4 could not be put back: Access is denied."});
  EXPECT_EQ(winsim::CallsTo("SetCommTimeouts").size(), 2u);
  winsim::FailCall("PurgeComm", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"check", "COM4"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0), "The port failed: Access is denied.");
  winsim::FailCall("GetCommState", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"check", "COM4"}), kExitFailed);
  EXPECT_EQ(console.errors.at(0).rfind("COM4 cannot be opened and set up: ", 0), 0u);
  EXPECT_FALSE(winsim::SerialPortNow("COM4").open);
}

// The DER certificates of tests/unit/certificates, made once with OpenSSL (make.sh there says
// how): the kind the build makes, and the kinds the kit must never put into the Root store.
std::string TestCertificate(const char* name) {
  std::ifstream file(std::string(KIT_TEST_CERTIFICATES "/") + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  EXPECT_GT(bytes.str().size(), 100u) << name;
  return bytes.str();
}

constexpr char kKitCer[] = "D:\\Tools\\wwandev.cer";
constexpr char kNoCertificateYet[] =
    "The kit carries no certificate of its own (no wwandev.cer beside GprsKit.exe): ";

using Certificates = std::vector<std::string>;

class GprsKitTrustTest : public GprsKitTest {
 protected:
  void SetUp() override {
    GprsKitTest::SetUp();
    kit = TestCertificate("kit.der");
    other = TestCertificate("other.der");
  }
  std::string Stored(const std::string& der) {
    return "The kit's certificate (SHA-1 " + winsim::Thumbprint(der) + ")";
  }
  std::string kit, other;
};

TEST_F(GprsKitTrustTest, TrustPutsTheKitsOwnCertificateIntoBothMachineStoresOnce) {
  winsim::AddFile(kKitCer, kit);
  // The current directory holds another certificate, which is never taken.
  winsim::AddFile("C:\\Kit\\wwandev.cer", other);
  EXPECT_EQ(Run({"trust"}), kExitDone);
  EXPECT_TRUE(console.errors.empty());
  EXPECT_EQ(console.lines,
            std::vector<std::string>{
                Stored(kit) + " is in the machine's Root and TrustedPublisher stores; it was "
                              "added to both."});
  EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{kit});
  EXPECT_EQ(winsim::MachineCertificates("TrustedPublisher"), Certificates{kit});
  const auto opens = winsim::CallsTo("CertOpenStore");
  ASSERT_EQ(opens.size(), 2u);
  for (const auto& open : opens) {
    EXPECT_EQ(open.Number("storeProvider"), 9u);  // CERT_STORE_PROV_SYSTEM_A
    EXPECT_EQ(open.Number("flags"), uint64_t{CERT_SYSTEM_STORE_LOCAL_MACHINE});
  }
  EXPECT_EQ(opens[0].Text("para"), "Root");
  EXPECT_EQ(opens[1].Text("para"), "TrustedPublisher");
  EXPECT_EQ(winsim::CallsTo("CreateFileA").at(0).Text("fileName"), kKitCer);

  // A second run adds nothing.
  winsim::ClearCallLog();
  EXPECT_EQ(Run({"TRUST"}), kExitDone);
  EXPECT_EQ(console.lines.at(0), Stored(kit) +
                                     " is in the machine's Root and TrustedPublisher stores; it "
                                     "was there already, and nothing was changed.");
  EXPECT_TRUE(winsim::CallsTo("CertAddEncodedCertificateToStore").empty());
  EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{kit});
  EXPECT_EQ(winsim::MachineCertificates("TrustedPublisher"), Certificates{kit});

  // Where an administrator had put it into one store already, it goes into the other alone.
  winsim::Reset();
  winsim::SetModulePath("D:\\Tools\\GprsKit.exe");
  winsim::AddFile(kKitCer, kit);
  winsim::AddMachineCertificate("ROOT", kit);
  EXPECT_EQ(Run({"trust"}), kExitDone);
  EXPECT_EQ(console.lines.at(0), Stored(kit) +
                                     " is in the machine's Root and TrustedPublisher stores; it "
                                     "was added to TrustedPublisher.");
  EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{kit});
}

TEST_F(GprsKitTrustTest, UntrustTakesOutThatCertificateAndNoOther) {
  winsim::AddFile(kKitCer, kit);
  winsim::AddMachineCertificate("Root", other);
  winsim::AddMachineCertificate("Root", kit);
  winsim::AddMachineCertificate("TrustedPublisher", other);
  winsim::AddMachineCertificate("TrustedPublisher", kit);
  EXPECT_EQ(Run({"untrust"}), kExitDone);
  EXPECT_TRUE(console.errors.empty());
  EXPECT_EQ(console.lines,
            std::vector<std::string>{Stored(kit) +
                                     " is in neither of the machine's Root and TrustedPublisher "
                                     "stores; it was taken out of both."});
  EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{other});
  EXPECT_EQ(winsim::MachineCertificates("TrustedPublisher"), Certificates{other});
  // Each delete is committed, which Wine needs to write it to its registry.
  const auto commits = winsim::CallsTo("CertControlStore");
  ASSERT_EQ(commits.size(), 2u);
  for (const auto& commit : commits) EXPECT_EQ(commit.Number("ctrlType"), 3u);

  // Gone already: nothing to do, and no failure.
  EXPECT_EQ(Run({"untrust"}), kExitDone);
  EXPECT_EQ(console.lines.at(0), Stored(kit) +
                                     " is in neither of the machine's Root and TrustedPublisher "
                                     "stores; it was in neither, and nothing was changed.");
  EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{other});

  // What trust put in, untrust takes out, and only from where it was.
  EXPECT_EQ(Run({"trust"}), kExitDone);
  winsim::ClearCallLog();
  winsim::FailCall("CertDeleteCertificateFromStore", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"untrust"}), kExitFailed);
  EXPECT_EQ(console.errors,
            std::vector<std::string>{"The machine's TrustedPublisher store did not let the kit's "
                                     "certificate go; the kit's certificate was taken out of Root "
                                     "only: Access is denied."});
  EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{other});
  EXPECT_EQ(winsim::MachineCertificates("TrustedPublisher"), (Certificates{other, kit}));
  EXPECT_EQ(Run({"untrust"}), kExitDone);
  EXPECT_EQ(console.lines.at(0), Stored(kit) +
                                     " is in neither of the machine's Root and TrustedPublisher "
                                     "stores; it was taken out of TrustedPublisher.");
  EXPECT_EQ(winsim::MachineCertificates("TrustedPublisher"), Certificates{other});

  EXPECT_EQ(Run({"trust"}), kExitDone);
  winsim::FailCall("CertControlStore", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"untrust"}), kExitFailed);
  EXPECT_EQ(console.errors,
            std::vector<std::string>{"The machine's Root store did not let the kit's certificate "
                                     "go, and nothing was changed: Access is denied."});
  EXPECT_EQ(Run({"untrust"}), kExitDone);

  winsim::FailCall("CertOpenStore", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"untrust"}), kExitFailed);
  EXPECT_EQ(console.errors, std::vector<std::string>{"The machine's Root store could not be "
                                                     "opened, and nothing was changed: Access is "
                                                     "denied."});
}

TEST_F(GprsKitTrustTest, NoHalfTrustWhenTheSecondStoreRefuses) {
  winsim::AddFile(kKitCer, kit);
  winsim::FailCall("CertAddEncodedCertificateToStore", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"trust"}), kExitFailed);
  EXPECT_TRUE(console.lines.empty());
  EXPECT_EQ(console.errors, std::vector<std::string>{
                                "The machine's TrustedPublisher store did not take the kit's "
                                "certificate; the kit's certificate was taken out of Root again, "
                                "and nothing was changed: Access is denied."});
  EXPECT_TRUE(winsim::MachineCertificates("Root").empty());
  EXPECT_TRUE(winsim::MachineCertificates("TrustedPublisher").empty());

  // A root an administrator had put there before stays: this run did not add it.
  winsim::AddMachineCertificate("Root", kit);
  winsim::FailCall("CertOpenStore", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"trust"}), kExitFailed);
  EXPECT_EQ(console.errors, std::vector<std::string>{"The machine's TrustedPublisher store could "
                                                     "not be opened, and nothing was changed: "
                                                     "Access is denied."});
  EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{kit});
  EXPECT_TRUE(winsim::MachineCertificates("TrustedPublisher").empty());

  // When taking it out again fails too, the line says where it stays.
  winsim::Reset();
  winsim::SetModulePath("D:\\Tools\\GprsKit.exe");
  winsim::AddFile(kKitCer, kit);
  winsim::FailCall("CertAddEncodedCertificateToStore", 2, ERROR_ACCESS_DENIED);
  winsim::FailCall("CertDeleteCertificateFromStore", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Run({"trust"}), kExitFailed);
  EXPECT_EQ(console.errors,
            std::vector<std::string>{
                "The machine's TrustedPublisher store did not take the kit's certificate: Access "
                "is denied. The kit's certificate stays in Root, as taking it out again failed: "
                "Not enough memory resources are available to process this command."});
  EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{kit});
}

TEST_F(GprsKitTrustTest, OnlyACertificateAsTheBuildMakesItIsTaken) {
  const struct {
    const char* file;
    const char* why;
  } refused[] = {
      {"ca.der", "it may certify other certificates (its basic constraints do not say CA:FALSE)"},
      {"nobc.der", "it may certify other certificates (its basic constraints do not say CA:FALSE)"},
      {"server.der", "it is not for code signing (its extended key usage lacks code signing)"},
      {"issued.der", "it is not self-signed (its subject is not its issuer)"},
      {"twin.der", "it is not self-signed (its subject is not its issuer)"},
      {"oldbc.der",
       "it may certify other certificates (its basic constraints do not say CA:FALSE)"},
  };
  for (const auto& each : refused) {
    const std::string der = TestCertificate(each.file);
    winsim::AddFile(kKitCer, der);
    winsim::AddMachineCertificate("Root", der);
    for (const char* verb : {"trust", "untrust"}) {
      winsim::ClearCallLog();
      EXPECT_EQ(Run({verb}), kExitFailed) << each.file << " " << verb;
      EXPECT_EQ(console.errors, std::vector<std::string>{std::string("wwandev.cer beside "
                                                                     "GprsKit.exe is refused: ") +
                                                         each.why + "; nothing was changed."})
          << each.file;
      EXPECT_TRUE(winsim::CallsTo("CertOpenStore").empty());
    }
    // Untrust leaves such a certificate where someone else put it.
    EXPECT_EQ(winsim::MachineCertificates("Root"), Certificates{der});
    EXPECT_TRUE(winsim::MachineCertificates("TrustedPublisher").empty());
    winsim::Reset();
    winsim::SetModulePath("D:\\Tools\\GprsKit.exe");
  }

  winsim::AddFile(kKitCer, "-----BEGIN CERTIFICATE-----\n");
  EXPECT_EQ(Run({"trust"}), kExitFailed);
  EXPECT_EQ(console.errors,
            std::vector<std::string>{"wwandev.cer beside GprsKit.exe is refused, as it is not a "
                                     "certificate in DER, and nothing was changed: ASN1 bad tag "
                                     "value met."});
  // A file far larger than any certificate of the kit is not read to its end, whether it comes
  // whole or in parts.
  winsim::AddFile(kKitCer, kit + std::string(size_t{64} * 1024, '\0'));
  for (const bool parts : {false, true}) {
    winsim::ClearCallLog();
    if (parts) winsim::MoveFewerBytes("ReadFile", 1, 16 * 1024);
    EXPECT_EQ(Run({"trust"}), kExitFailed);
    EXPECT_EQ(console.errors,
              std::vector<std::string>{
                  "wwandev.cer beside GprsKit.exe is refused: it is larger than "
                  "16 KB, which no certificate of the kit is; nothing was changed."});
    uint64_t asked = 0;
    for (const auto& read : winsim::CallsTo("ReadFile")) asked += read.Number("toRead");
    EXPECT_LE(asked, 16u * 1024 + 1 + (parts ? 1 : 0));
  }
  EXPECT_TRUE(winsim::MachineCertificates("Root").empty());
}

TEST_F(GprsKitTrustTest, AKitWithoutACertificateOfItsOwnLeavesTheStoresToThePCsPolicy) {
  // An organisation's kit ships no certificate; one in the current directory is not the kit's.
  winsim::AddFile("C:\\Kit\\wwandev.cer", kit);
  EXPECT_EQ(Run({"trust"}), kExitDone);
  EXPECT_EQ(console.lines,
            std::vector<std::string>{std::string(kNoCertificateYet) +
                                     "this PC's policy must trust the signer of the kit's driver "
                                     "package."});
  EXPECT_EQ(Run({"untrust"}), kExitDone);
  EXPECT_EQ(console.lines,
            std::vector<std::string>{std::string(kNoCertificateYet) +
                                     "nothing to take out of the machine's stores."});
  EXPECT_TRUE(winsim::CallsTo("CertOpenStore").empty());
  EXPECT_TRUE(winsim::MachineCertificates("Root").empty());

  winsim::FailCall("CreateFileA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Run({"trust"}), kExitFailed);
  EXPECT_EQ(console.errors, std::vector<std::string>{"D:\\Tools\\wwandev.cer cannot be read, and "
                                                     "nothing was changed: Access is denied."});
}

}  // namespace
