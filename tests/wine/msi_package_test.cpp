// The kit's Windows Installer package under Wine's msiexec, as a deployment tool runs it: the
// files alone, the modem with its APN and the entry for every user, each step's failure rolled
// back, removal, and an upgrade from an earlier version.

#include <gtest/gtest.h>
#include <msi.h>

#include <string>
#include <vector>

#include "beside_program.h"
#include "kit_facts.h"
#include "machine_stores.h"
#include "modem_devices.h"
#include "system_phonebook.h"
#include "unique_handle.h"

namespace {

constexpr char kUpgradeCode[] = "{117FF74A-5688-4A09-AB2E-1830C64A4323}";
const char* const kFiles[] = {"GprsKit.exe",    "InfInstall.dll", "PortWizard.exe",
                              "InitWriter.exe", "EntryMaker.exe", "wwandev.inf",
                              "wwandev.cat"};
constexpr DWORD kUnknownProduct = 1605;
constexpr DWORD kInstallFailure = 1603;
// Where the set-up program registers its kit.
constexpr char kSetupEntry[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GprsModemKit";

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string KitInstalled() {
  char folder[MAX_PATH] = {};
  const char* name = sizeof(void*) == 8 ? "ProgramW6432" : "ProgramFiles";
  GetEnvironmentVariableA(name, folder, sizeof folder);
  return std::string(folder) + "\\GPRS Modem Kit";
}

// The products installed under the kit's UpgradeCode.
std::vector<std::string> KitProducts() {
  std::vector<std::string> products;
  char code[39] = {};
  for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i)
    products.emplace_back(code);
  return products;
}

std::string ProductVersion(const std::string& product) {
  char version[64] = {};
  DWORD size = sizeof version;
  MsiGetProductInfoA(product.c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &size);
  return version;
}

// The log of the latest run, as text: Wine's msiexec writes it in UTF-16 or in the code page.
std::string LastLog;

DWORD Msiexec(const std::string& arguments) {
  static int run = 0;
  const std::string log = BesideProgram(("msiexec-" + std::to_string(++run) + ".log").c_str());
  std::string commandLine = "msiexec.exe " + arguments + " /qn /l*v \"" + log + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    ADD_FAILURE() << "msiexec did not start: error " << GetLastError();
    return 0xdeadbeef;
  }
  KernelObject process(info.hProcess);
  KernelObject thread(info.hThread);
  DWORD code = 0xdeadbeef;
  EXPECT_EQ(WaitForSingleObject(process.get(), 120000), WAIT_OBJECT_0) << arguments;
  GetExitCodeProcess(process.get(), &code);
  LastLog.clear();
  File file(CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  char buffer[4096];
  DWORD read = 0;
  while (file && ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    for (DWORD i = 0; i < read; ++i)
      if (buffer[i]) LastLog += buffer[i];
  return code;
}

std::string Package(const char* name) {
  return "\"" + BesideProgram(name) + "\"";
}

// What a failed or refused install leaves: nothing of the kit.
// The build's own certificate, which the package trusts while the kit is installed.
std::string KitCertificate() {
  std::string der;
  File file(CreateFileA((KitFolder() + "\\wwandev.cer").c_str(), GENERIC_READ, FILE_SHARE_READ,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  char buffer[4096];
  DWORD read = 0;
  while (file && ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    der.append(buffer, read);
  EXPECT_FALSE(der.empty());
  return der;
}

void ExpectTrusted(bool trusted) {
  const std::string certificate = KitCertificate();
  EXPECT_EQ(MachineStoreHolds("Root", certificate), trusted);
  EXPECT_EQ(MachineStoreHolds("TrustedPublisher", certificate), trusted);
}

void ExpectNothing(const std::string& why) {
  SCOPED_TRACE(why);
  for (const char* file : kFiles) EXPECT_FALSE(Exists(KitInstalled() + "\\" + file)) << file;
  EXPECT_TRUE(KitProducts().empty());
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
  ExpectTrusted(false);
}

class MsiPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveModems(kModemHardwareId);
    pbk = SeedSystemPhonebook();
    ASSERT_FALSE(pbk.empty());
  }
  void TearDown() override {
    for (const std::string& product : KitProducts()) Msiexec("/x " + product);
    RemoveModems(kModemHardwareId);
    DeleteFileA(pbk.c_str());
  }
  std::string pbk;
};

TEST_F(MsiPackage, InstallsTheKitWithItsStepsAndRemovesItAgain) {
  // Without PORT, the files only.
  ASSERT_EQ(Msiexec("/i " + Package(KIT_PACKAGE)), 0u) << LastLog;
  for (const char* file : kFiles) EXPECT_TRUE(Exists(KitInstalled() + "\\" + file)) << file;
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
  ASSERT_EQ(KitProducts().size(), 1u);
  EXPECT_EQ(ProductVersion(KitProducts()[0]), KIT_VERSION);
  // Trusted with the files, so that the modem may be installed later from the kit's folder.
  ExpectTrusted(true);
  EXPECT_EQ(Msiexec("/x " + KitProducts()[0]), 0u) << LastLog;
  ExpectNothing("removed");

  ASSERT_EQ(Msiexec("/i " + Package(KIT_PACKAGE) + " PORT=COM4 APN=internet"), 0u) << LastLog;
  const auto modems = FindModems(kModemHardwareId);
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(modems[0].attachedTo, "COM4");
  EXPECT_EQ(modems[0].userInit, "E1;+CGDCONT=\"internet\";+CGQREQ=1");
  ExpectTrusted(true);
  // The tool's own words reach the installer's log.
  EXPECT_NE(LastLog.find("The GPRS modem is installed on COM4."), std::string::npos) << LastLog;
  EXPECT_NE(LastLog.find("The dial-up entry \"GPRS Connection\" is made in "), std::string::npos);
  const std::string product = KitProducts().at(0);
  EXPECT_EQ(Msiexec("/x " + product), 0u) << LastLog;
  ExpectNothing("removed with its modem");
  EXPECT_NE(LastLog.find("Removed 1 GPRS modem"), std::string::npos) << LastLog;
  // The users' entries stay.
  File kept(CreateFileA(pbk.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(kept);
  EXPECT_EQ(Msiexec("/x " + product), kUnknownProduct);
}

// Every refusal and failure ends with a failure code and leaves nothing: bad input, and the set-up
// program's kit registered, before anything changes; an absent port and a failing entry step by
// the rollback.
TEST_F(MsiPackage, RefusesWrongInputAndRollsBackAFailedStep) {
  const struct {
    const char* properties;
    const char* said;
  } refused[] = {
      {"PORT=", "PORT is empty"},
      {"PORT=\"COM4 /log:x\"", "PORT is refused"},
      {"APN=internet", "APN is given without PORT"},
      {"PORT=COM4 APN=\"internet\"\";+CFUN=0\"", "APN is refused"},
      {"PORT=COM9", "COM9 is not a present COM port"},
      // No modem answers on the fixture's port: the SIM's APN cannot be found, and all rolls back.
      {"PORT=COM4 APN=auto", "Asking the modem on COM4 for the SIM's network."},
  };
  for (const auto& run : refused) {
    EXPECT_NE(Msiexec("/i " + Package(KIT_PACKAGE) + " " + run.properties), 0u) << run.properties;
    EXPECT_NE(LastLog.find(run.said), std::string::npos) << run.properties << "\n" << LastLog;
    ExpectNothing(run.properties);
  }
  // While the set-up program's kit is registered the package refuses, and that entry stays.
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSetupEntry, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &created, nullptr),
            ERROR_SUCCESS);
  {
    RegKey entry(created);
    const std::string folder = KitInstalled();
    ASSERT_EQ(RegSetValueExA(entry.get(), "InstallLocation", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(folder.c_str()),
                             static_cast<DWORD>(folder.size() + 1)),
              ERROR_SUCCESS);
  }
  EXPECT_EQ(Msiexec("/i " + Package(KIT_PACKAGE) + " PORT=COM4 APN=internet"), kInstallFailure);
  EXPECT_NE(LastLog.find("KITSETUPFOUND"), std::string::npos) << LastLog;
  ExpectNothing("the set-up program's kit is registered");
  // Still there to delete.
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSetupEntry), ERROR_SUCCESS);
  // A folder beside the system's phonebook fails the entry step, the last one.
  const std::string planted = SystemPhonebookFolder() + "\\rasphone.new";
  ASSERT_TRUE(CreateDirectoryA(planted.c_str(), nullptr));
  EXPECT_NE(Msiexec("/i " + Package(KIT_PACKAGE) + " PORT=COM4 APN=internet"), 0u);
  EXPECT_NE(LastLog.find("The phonebook's folder is in use by another run"), std::string::npos)
      << LastLog;
  ExpectNothing("entry step failed");
  RemoveDirectoryA(planted.c_str());
}

// A newer version replaces an older one and takes over its modem; an older one is refused.
TEST_F(MsiPackage, AnUpgradeReplacesTheEarlierVersionWithoutASecondModem) {
  ASSERT_EQ(Msiexec("/i " + Package(KIT_EARLIER_PACKAGE) + " PORT=COM4 NOENTRY=1"), 0u) << LastLog;
  ASSERT_EQ(KitProducts().size(), 1u);
  EXPECT_EQ(ProductVersion(KitProducts()[0]), "0.9.0.0");
  EXPECT_EQ(Msiexec("/i " + Package(KIT_PACKAGE) + " PORT=COM4 APN=internet"), 0u) << LastLog;
  ASSERT_EQ(KitProducts().size(), 1u);
  EXPECT_EQ(ProductVersion(KitProducts()[0]), KIT_VERSION);
  const auto modems = FindModems(kModemHardwareId);
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(modems[0].userInit, "E1;+CGDCONT=\"internet\";+CGQREQ=1");

  // Windows Installer logs the launch condition's message; Wine's says only that it failed.
  EXPECT_NE(Msiexec("/i " + Package(KIT_EARLIER_PACKAGE)), 0u);
  EXPECT_NE(LastLog.find("KITNEWERFOUND = {"), std::string::npos) << LastLog;
  ASSERT_EQ(KitProducts().size(), 1u);
  EXPECT_EQ(ProductVersion(KitProducts()[0]), KIT_VERSION);
  EXPECT_EQ(FindModems(kModemHardwareId).size(), 1u);
}

}  // namespace
