#include <string>

#include "apn_init.h"
#include "platform.h"
#include "sim_test.h"

namespace {

constexpr char kFormat[] = "E1;+CGDCONT=\"%s\";+CGQREQ=1";

std::string Build(const std::string& apn) {
  char initString[kTextCapacity];
  return BuildApnInitString(kFormat, apn.c_str(), initString) ? initString : "(refused)";
}

TEST(InitWriterStringTest, TheApnGoesInCharacterForCharacter) {
  EXPECT_EQ(Build(""), "E1;+CGDCONT=\"\";+CGQREQ=1");
  EXPECT_EQ(Build(" "), "E1;+CGDCONT=\" \";+CGQREQ=1");
  EXPECT_EQ(Build("internet"), "E1;+CGDCONT=\"internet\";+CGQREQ=1");
  // Quotes, separators and per cent signs are the user's text, never conversions.
  EXPECT_EQ(Build("a\"b;c%d%s"), "E1;+CGDCONT=\"a\"b;c%d%s\";+CGQREQ=1");
  for (size_t length : {20u, 21u, 235u}) {
    const std::string apn(length, 'a');
    EXPECT_EQ(Build(apn), "E1;+CGDCONT=\"" + apn + "\";+CGQREQ=1") << length;
  }
  EXPECT_EQ(Build(std::string(235, 'a')).size(), 259u);
}

TEST(InitWriterStringTest, AnApnThatWouldNotFitIsRefusedNotCut) {
  char initString[kTextCapacity];
  EXPECT_FALSE(BuildApnInitString(kFormat, std::string(236, 'a').c_str(), initString));
  EXPECT_STREQ(initString, "");
  EXPECT_FALSE(BuildApnInitString(kFormat, std::string(1000, 'a').c_str(), initString));
}

class InitWriterWriteTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    winsim::SetStrings({{1, "WWAN_GENERIC"}, {2, kFormat}, {3, "failure text"}});
  }
  winsim::DeviceId AddModem() {
    winsim::DeviceSpec modem;
    modem.classGuid = winsim::kModemClass;
    modem.hardwareIds = winsim::MultiSz({"WWAN_GENERIC"});
    modem.driverKey = winsim::Values{{"AttachedTo", winsim::Sz("COM4")}};
    return winsim::AddDevice(modem);
  }
  const winsim::Values& DriverKey(winsim::DeviceId id) {
    return *winsim::FindDevice(id)->driverKey;
  }
};

TEST_F(InitWriterWriteTest, WritesUserInitWithOneLibraryCall) {
  const auto modem = AddModem();
  EXPECT_TRUE(WriteApnInitString("internet"));
  EXPECT_EQ(DriverKey(modem).at("UserInit"), winsim::Sz("E1;+CGDCONT=\"internet\";+CGQREQ=1"));
  EXPECT_EQ(winsim::CallsTo("SetupDiGetClassDevsA").size(), 1u);
  for (const auto& call : winsim::CallsTo("LoadStringA")) EXPECT_EQ(call.Number("bufferMax"), 260u);

  // A stale failure code from before the call does not count against it, even where the
  // successful calls leave the code alone, as Wine's do.
  winsim::LeaveLastErrorAfterSuccess(true);
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_TRUE(WriteApnInitString(""));
  EXPECT_EQ(DriverKey(modem).at("UserInit"), winsim::Sz("E1;+CGDCONT=\"\";+CGQREQ=1"));
}

TEST_F(InitWriterWriteTest, FailsWithoutTheModemOrWhenTheValueWasNotWritten) {
  EXPECT_FALSE(WriteApnInitString("internet"));  // no modem

  const auto modem = AddModem();
  winsim::SetDriverKeyReadOnly(modem, true);  // a user without administrator rights
  EXPECT_FALSE(WriteApnInitString("internet"));
  winsim::SetDriverKeyReadOnly(modem, false);
  winsim::FailCall("RegSetValueExA", 1, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(WriteApnInitString("internet"));
  EXPECT_EQ(DriverKey(modem).count("UserInit"), 0u);
}

TEST_F(InitWriterWriteTest, ATooLongApnNeverReachesTheLibrary) {
  const auto modem = AddModem();
  EXPECT_FALSE(WriteApnInitString(std::string(236, 'a').c_str()));
  EXPECT_TRUE(winsim::CallsTo("SetupDiGetClassDevsA").empty());
  EXPECT_EQ(DriverKey(modem).count("UserInit"), 0u);
}

}  // namespace
