// The library's device lookup and modem install against Wine's real SetupAPI, newdev and registry,
// with the kit's own INF, in a prefix holding the fixture's COM ports.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "InfInstall.h"
#include "beside_program.h"
#include "modem_devices.h"
#include "platform.h"
#include "unique_handle.h"

namespace {

struct InfFileTraits {
  using Handle = HINF;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { SetupCloseInfFile(handle); }
};
using InfFile = UniqueHandle<InfFileTraits>;

// The section SetupAPI installs from in place of `section` on the platform it runs on, and the
// decoration that chose it.
std::pair<std::string, std::string> ActualSection(HINF inf, const char* section) {
  char actual[LINE_LEN] = {};
  char* decoration = nullptr;
  if (!SetupDiGetActualSectionToInstallExA(inf, section, nullptr, actual, sizeof actual, nullptr,
                                           &decoration, nullptr))
    return {"failed", std::to_string(GetLastError())};
  return {actual, decoration != nullptr ? decoration : ""};
}

class ModemInstall : public ::testing::Test {
 protected:
  // Each test starts and ends on a prefix without the modem.
  void SetUp() override {
    RemoveModems(kModemHardwareId);
    ASSERT_TRUE(FindModems(kModemHardwareId).empty())
        << "a modem from an earlier run is still there";
    std::memset(g_szError, 0, sizeof g_szError);
    std::memset(g_szModemDesc, 0, sizeof g_szModemDesc);
  }
  void TearDown() override {
    RemoveModems(kModemHardwareId);
    DeleteFileA(BesideProgram("newdev.dll").c_str());  // planted by one test
  }

  int Install(const char* port) {
    return MdmInstallModem(BesideProgram("wwandev.inf").c_str(), port, kModemHardwareId);
  }
};

TEST_F(ModemInstall, AMissingInfFailsBeforeAnyDeviceIsTouched) {
  EXPECT_EQ(MdmInstallModem("C:\\no such folder\\wwandev.inf", "COM4", kModemHardwareId), 2);
  EXPECT_EQ(std::string(g_szError).rfind(".inf not found. FAILURE: ", 0), 0u) << g_szError;
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
}

TEST_F(ModemInstall, WithoutTheModemTheLookupFindsNothing) {
  EXPECT_EQ(MdmFindDevAndUpdateReg(kModemHardwareId, "UserInit", "E1"), 0);
  EXPECT_STREQ(g_szError, "EnumDeviceInfo FAILURE: No more data available.\r\n\n");
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_MORE_ITEMS});
}

TEST_F(ModemInstall, AFirstInstallMakesOneBoundModem) {
  ASSERT_EQ(Install("COM4"), 0) << g_szError;
  const auto modems = FindModems(kModemHardwareId);
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(modems[0].hardwareIds, std::string("WWAN_GENERIC\0\0", 14));
  EXPECT_EQ(modems[0].instanceId.rfind("ROOT\\MODEM\\", 0), 0u) << modems[0].instanceId;
  EXPECT_EQ(modems[0].attachedTo, "COM4");
  EXPECT_EQ(modems[0].friendlyName, "GPRS Modem");
  EXPECT_STREQ(g_szModemDesc, "GPRS Modem");

  // No port, as when the port dialog listed none: the modem keeps the one it works on.
  EXPECT_EQ(Install(""), 2);
  EXPECT_EQ(std::string(g_szError).rfind("COM port FAILURE: ", 0), 0u) << g_szError;
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(FindModems(kModemHardwareId).at(0).attachedTo, "COM4");
}

// Where Windows looks first for a DLL loaded by its bare name: the program's folder, which
// whoever unpacked the kit may be able to write.
TEST_F(ModemInstall, ANewdevPlantedBesideTheProgramIsNeverLoaded) {
  const std::string planted = BesideProgram("newdev.dll");
  ASSERT_TRUE(CopyFileA(BesideProgram("planted\\newdev.dll").c_str(), planted.c_str(), FALSE))
      << GetLastError();
  SetEnvironmentVariableA("KIT_PLANTED_NEWDEV", nullptr);

  EXPECT_EQ(Install("COM4"), 0) << g_szError;
  EXPECT_EQ(GetEnvironmentVariableA("KIT_PLANTED_NEWDEV", nullptr, 0), 0u);
  EXPECT_EQ(FindModems(kModemHardwareId).at(0).friendlyName, "GPRS Modem");

  // By its bare name, the planted one is what loads: the hole this test guards is really there.
  const Module bare(LoadLibraryA("newdev.dll"));
  EXPECT_TRUE(bare);
  EXPECT_GT(GetEnvironmentVariableA("KIT_PLANTED_NEWDEV", nullptr, 0), 0u);
}

TEST_F(ModemInstall, ASecondInstallRebindsTheSameModem) {
  ASSERT_EQ(Install("COM4"), 0) << g_szError;
  const std::string instance = FindModems(kModemHardwareId).at(0).instanceId;
  const int again = Install("COM1");
  EXPECT_TRUE(again == 0 || again == 1) << again << ": " << g_szError;
  const auto modems = FindModems(kModemHardwareId);
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(modems[0].instanceId, instance);
  EXPECT_EQ(modems[0].attachedTo, "COM1");
}

TEST_F(ModemInstall, TheInitStringReachesTheRealDriverKey) {
  ASSERT_EQ(Install("COM4"), 0) << g_szError;
  const char init[] = "E1;+CGDCONT=\"internet\";+CGQREQ=1";
  SetLastError(0xdeadbeef);
  EXPECT_EQ(MdmFindDevAndUpdateReg(kModemHardwareId, "UserInit", init), 1);
  EXPECT_EQ(GetLastError(), DWORD{0});
  EXPECT_EQ(FindModems(kModemHardwareId).at(0).userInit, init);
}

// Wine takes the models section, and the install section, decorated for the processor it runs on,
// and for that platform only: SetupDiGetActualSectionToInstallEx ignores an alternate platform and
// there is no SetupDiGetActualModelsSection. Windows 2000's plain [Models] and the other platforms'
// sections are held to their rules by the INF test on the host.
TEST(KitInf, WinePicksThisPlatformsModelsAndTheNtInstallSection) {
  const InfFile inf(
      SetupOpenInfFileA(BesideProgram("wwandev.inf").c_str(), nullptr, INF_STYLE_WIN4, nullptr));
  ASSERT_TRUE(inf) << GetLastError();
#ifdef _WIN64
  EXPECT_EQ(ActualSection(inf.get(), "Models"),
            std::make_pair(std::string("Models.NTamd64"), std::string(".NTamd64")));
#else
  EXPECT_EQ(ActualSection(inf.get(), "Models"),
            std::make_pair(std::string("Models.NTx86"), std::string(".NTx86")));
#endif
  // No section carries this processor's decoration, so both processors install from .NT.
  EXPECT_EQ(ActualSection(inf.get(), "GprsModem_Install"),
            std::make_pair(std::string("GprsModem_Install.NT"), std::string(".NT")));
}

}  // namespace
