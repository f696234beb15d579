#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "bounded_text.h"

namespace {

TEST(BoundedTextTest, AppendCutsAndAlwaysTerminates) {
  char buffer[8] = "ab";
  BoundedText text(buffer, sizeof buffer);
  EXPECT_TRUE(text.Append("cd"));
  EXPECT_FALSE(text.Append("efghij"));
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_FALSE(text.Append("z"));
  EXPECT_TRUE(text.Append(""));
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST(BoundedTextTest, AppendWholeIsAllOrNothing) {
  char buffer[8] = {};
  BoundedText text(buffer, sizeof buffer);
  EXPECT_TRUE(text.AppendWhole({"abc", ","}));
  EXPECT_FALSE(text.AppendWhole({"defg", ","}));
  EXPECT_STREQ(buffer, "abc,");
  EXPECT_TRUE(text.AppendWhole({"de", ","}));
  EXPECT_STREQ(buffer, "abc,de,");
}

TEST(BoundedTextTest, HexIsEightLowerCaseDigits) {
  char buffer[32] = {};
  BoundedText text(buffer, sizeof buffer);
  text.AppendHex8(0xE0000204);
  text.Append(" ");
  text.AppendHex8(0xd);
  EXPECT_STREQ(buffer, "e0000204 0000000d");
  text.Clear();
  EXPECT_STREQ(buffer, "");
}

TEST(BoundedTextTest, AFullUnterminatedBufferIsLeftAlone) {
  char buffer[4] = {'w', 'x', 'y', 'z'};
  BoundedText text(buffer, sizeof buffer);
  EXPECT_FALSE(text.Append("a"));
  EXPECT_FALSE(text.AppendWhole({"a"}));
  EXPECT_EQ(std::string(buffer, 4), "wxyz");
}

}  // namespace
