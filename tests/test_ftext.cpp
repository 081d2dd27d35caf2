#include "library/ftext.h"

#include <gtest/gtest.h>

namespace {

TEST(FText, AssignCutsOrPadsToCapacity) {
  lib::FText t(5, "abc");
  EXPECT_EQ(t.view(), "abc  ");
  t = "abcdefgh";
  EXPECT_EQ(t.view(), "abcde");
  t = "";
  EXPECT_EQ(t.view(), "     ");
  EXPECT_TRUE(t.blank());
}

TEST(FText, AssignFromItsOwnViewIsSafe) {
  lib::FText t(6, "abcdef");
  t.assign(t.view().substr(2));
  EXPECT_EQ(t.view(), "cdef  ");
}

TEST(FText, OnlySpaceIsBlank) {
  struct Case {
    std::string_view text;
    std::size_t len, first;
  };
  const Case cases[] = {
      {"   a b  ", 6, 3}, {"", 0, 0}, {"    ", 0, 0}, {"\tx ", 2, 0}, {std::string_view("a\0 ", 3), 2, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lib::len_trim(c.text), c.len) << c.text;
    EXPECT_EQ(lib::first_sig(c.text), c.first) << c.text;
  }
  EXPECT_EQ(lib::trim_both("  a b  "), "a b");
}

TEST(FText, ComparisonIgnoresTrailingBlanksOnly) {
  EXPECT_TRUE(lib::eq_padded("abc", "abc   "));
  EXPECT_FALSE(lib::eq_padded(" abc", "abc"));
  EXPECT_FALSE(lib::eq_padded("abc\t", "abc"));
  EXPECT_TRUE(lib::FText(3, "ab") == lib::FText(10, "ab"));
}

}  // namespace
