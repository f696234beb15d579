#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hardware_id.h"
#include "winsim/control.h"

namespace {

bool Holds(const std::vector<BYTE>& list, const char* id) {
  // A heap copy of exactly the list's bytes, so that a read past them is caught by the sanitizer.
  std::vector<char> bytes(list.begin(), list.end());
  return HardwareIdListHolds(bytes.data(), bytes.size(), id);
}

std::vector<BYTE> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

TEST(HardwareIdTest, EntriesMatchWholeInAnyCase) {
  winsim::Reset();
  EXPECT_TRUE(Holds(winsim::MultiSz({"wwan_generic"}), "WWAN_GENERIC"));
  EXPECT_TRUE(Holds(winsim::MultiSz({"USB\\VID_1", "Other", "WWAN_Generic"}), "WWAN_GENERIC"));
  EXPECT_FALSE(Holds(winsim::MultiSz({"WWAN_GENERIC2"}), "WWAN_GENERIC"));
  EXPECT_FALSE(Holds(winsim::MultiSz({"XWWAN_GENERIC"}), "WWAN_GENERIC"));
  EXPECT_FALSE(Holds(winsim::MultiSz({"WWAN_GENERI"}), "WWAN_GENERIC"));
  EXPECT_FALSE(Holds(winsim::MultiSz({"WWAN_GENERIC"}), "WWAN_GENERIC_MORE"));
  // Only a to z fold: the characters just beyond them are not letters.
  EXPECT_TRUE(Holds(winsim::MultiSz({"az_ZA"}), "AZ_za"));
  EXPECT_FALSE(Holds(winsim::MultiSz({"ID{"}), "ID["));
  EXPECT_FALSE(Holds(winsim::MultiSz({"ID`"}), "ID@"));
}

TEST(HardwareIdTest, EmptyIdsAndListsMatchNothing) {
  winsim::Reset();
  EXPECT_FALSE(Holds(winsim::MultiSz({"WWAN_GENERIC"}), ""));
  EXPECT_FALSE(Holds({}, "WWAN_GENERIC"));
  EXPECT_FALSE(Holds({0, 0}, ""));
  // The scan ends at the first empty entry.
  EXPECT_FALSE(Holds(Bytes(std::string("\0WWAN_GENERIC\0\0", 15)), "WWAN_GENERIC"));
}

TEST(HardwareIdTest, NeverReadsPastTheReportedBytes) {
  winsim::Reset();
  EXPECT_TRUE(Holds(Bytes("WWAN_GENERIC"), "WWAN_GENERIC"));  // no NULs at all
  EXPECT_TRUE(Holds(Bytes(std::string("A\0WWAN_GENERIC", 14)), "wwan_generic"));
  EXPECT_FALSE(Holds(Bytes("WWAN_GENERI"), "WWAN_GENERIC"));
  EXPECT_FALSE(Holds(Bytes(std::string("WWAN_GENERIC\0", 13)), "WWAN_GENERIC_X"));
}

TEST(HardwareIdTest, DoubleByteCharactersCompareWhole) {
  winsim::Reset();
  winsim::SetDbcsLeadBytes({{0x81, 0x9F}, {0xE0, 0xFC}});
  // 0x82 0x61 is one character whose trail byte looks like "a": it is not the same as 0x82 0x41.
  EXPECT_FALSE(Holds(winsim::MultiSz({"ID\x82\x61"}), "ID\x82\x41"));
  EXPECT_TRUE(Holds(winsim::MultiSz({"id\x82\x61"}), "ID\x82\x61"));
  // A lead byte cut off by the end of the list is no character at all.
  EXPECT_FALSE(Holds(Bytes("ID\x82"), "ID\x82"));
  winsim::Reset();
  EXPECT_TRUE(Holds(winsim::MultiSz({"ID\x82\x61"}), "ID\x82\x41"));  // single-byte code page
}

}  // namespace
