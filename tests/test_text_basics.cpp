#include "library/text_basics.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;
using lib::FText;

TEST(TextBasics, TrimfDropsOnlyBlanks) {
  EXPECT_EQ(lib::TRIMF("   a b  "), "a b");
  EXPECT_EQ(lib::TRIMF("     "), "");
  EXPECT_EQ(lib::TRIMF("\t a"), "\t a");
  EXPECT_EQ(lib::TRIMF("  a\0 "s), "a\0"s);
}

TEST(TextBasics, Ss256IsAlways256Characters) {
  const std::string long_text = std::string(10, ' ') + std::string(290, 'x');
  EXPECT_EQ(lib::SS256(long_text), long_text.substr(0, 256));
  const std::string r = lib::SS256("  ab   ");
  EXPECT_EQ(r, "  ab" + std::string(252, ' '));
}

TEST(TextBasics, NumberLineLeftAdjustsAndLooksAtFirstCharacter) {
  struct Case {
    std::string text, adjusted;
    bool number;
  };
  const Case cases[] = {
      {"   12.5  3 ", "12.5  3", true}, {"-4", "-4", true},    {" .5", ".5", true},   {"- x", "- x", true},
      {"-abc", "-abc", true},           {"1 x y", "1 x y", true}, {"+5", "+5", false}, {"e3", "e3", false},
      {"  E3", "E3", false},            {"x1", "x1", false},    {"      ", "", true},  {"  \t5", "\t5", false},
      {"\0"s + "1", "\0"s + "1", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lib::is_number_line(c.text), c.number) << c.text;
    FText line(c.text.size() + 2, c.text);
    EXPECT_EQ(lib::NUMBERLINE(line), c.number) << c.text;
    EXPECT_EQ(line.view(), lib::padded(c.adjusted, line.capacity())) << c.text;
  }
  FText empty(0);
  EXPECT_TRUE(lib::NUMBERLINE(empty));
}

TEST(TextBasics, PositiveIntegerNumber) {
  struct Case {
    std::string text, adjusted;
    bool integer;
  };
  const Case cases[] = {
      {"  0042", "0042", true}, {"  7   ", "7", true},     {"12 3", "12 3", false}, {"-1", "-1", false},
      {"1.0", "1.0", false},    {"+1", "+1", false},      {"    ", "", false},      {" 12\t", "12\t", false},
      {"\t12", "\t12", false},
  };
  for (const auto& c : cases) {
    FText s(c.text.size(), c.text);
    EXPECT_EQ(lib::POSITIVEINTEGERNUMBER(s), c.integer) << c.text;
    EXPECT_EQ(s.view(), lib::padded(c.adjusted, s.capacity())) << c.text;
  }
}

TEST(TextBasics, BlankDeletesTabsWithoutLeftAdjusting) {
  struct Case {
    std::string text, after;
    bool blank;
  };
  const Case cases[] = {
      {" \t \t\t ", "", true},  {"1\t2", "12", false},   {"  \ta", "  a", false},
      {"a\t \t", "a", false},    {"\t", "", true},        {"\0"s, "\0"s, false},
      {"", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lib::is_blank_or_tabs(c.text), c.blank) << c.text;
    FText s(c.text.size() + 1, c.text);
    EXPECT_EQ(lib::BLANK(s), c.blank) << c.text;
    EXPECT_EQ(s.view(), lib::padded(c.after, s.capacity())) << c.text;
  }
}

// Keyword equality, checked both ways round and through the cleaned key.
TEST(TextBasics, AsameTable) {
  const std::string x1000(1000, 'x'), x999(999, 'x');
  struct Case {
    std::string a, b;
    bool same;
  };
  const Case cases[] = {
      {"'abc'", " ABC", true},
      {"\"Read\"", "READ", true},
      {"A B", "AB", false},
      {"abc", "ABC   ", true},
      {"   ", "", true},
      {"\t", "  ", true},
      {"  \tvalue", "VALUE", true},     // the TAB goes before the blanks are dropped
      {"' value'", "VALUE", true},      // a blank after a removed leading quote is dropped
      {"a'b\"c", "ABC", true},          // quotes inside are removed too
      {"a\tb", "AB", true},
      {"ABC ", "ABC\t", true},
      {"ABC", "ABCD", false},
      {"\tA\t", " a", true},
      {"a\0"s, "a", false},             // NUL is significant
      {"\xe9t\xe9", "\xc9T\xc9", false},  // no case change above 127
      {"\xe9t", "\xe9T", true},
      {"@[", "`{", false},              // neighbours of the letter ranges are not letters
      {x1000 + "y", x1000, true},       // cleaned texts are cut at 1000 characters
      {"'''''" + x1000 + "y", x1000, true},  // quotes do not count toward the cut
      {"\t" + x999 + "y", x999, true},  // TABs and blanks do
      {"\t" + x999 + "y", x999 + "y", false},
      {std::string(10, ' ') + x999, x999.substr(0, 990), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lib::ASAME(c.a, c.b), c.same) << c.a << "|" << c.b;
    EXPECT_EQ(lib::ASAME(c.b, c.a), c.same) << c.a << "|" << c.b;
    EXPECT_EQ(lib::asame_key(c.a) == lib::asame_key(c.b), c.same) << c.a << "|" << c.b;
  }
}

TEST(TextBasics, AsameKeyIsTheCleanedText) {
  EXPECT_EQ(lib::asame_key("  \t'v a'lue\t  "), "V ALUE");
  EXPECT_EQ(lib::asame_key("\"'\""), "");
  EXPECT_EQ(lib::asame_key(std::string(1200, 'q')), std::string(1000, 'Q'));
}

TEST(TextBasics, AsameCsKeepsCase) {
  struct Case {
    std::string a, b;
    bool same;
  };
  const Case cases[] = {
      {"abc", "ABC", false}, {"'abc'", "abc", true}, {"  \tAb", "Ab", true}, {"ab", "aB", false}, {"a b ", "a b", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lib::ASAMECS(c.a, c.b), c.same) << c.a << "|" << c.b;
    EXPECT_EQ(lib::ASAMECS(c.b, c.a), c.same) << c.a << "|" << c.b;
  }
}

TEST(TextBasics, RemoveTabsAndQuotesCloseUp) {
  EXPECT_EQ(lib::REMOVETABS("\ta\tb \t"), "ab");
  EXPECT_EQ(lib::REMOVETABS(" a'\"b"), " a'\"b");
  EXPECT_EQ(lib::REMOVEQUOTES("a\"b'c"), "abc");
  EXPECT_EQ(lib::REMOVEQUOTES(" '\t' "), " \t");
  EXPECT_EQ(lib::REMOVEQUOTES("    "), "");
}

TEST(TextBasics, CaseChangesAreAsciiOnly) {
  EXPECT_EQ(lib::UPPERCASE("  ab1c  "), "  AB1C");
  EXPECT_EQ(lib::UPPERCASE("\xe4\xf6z`{@["), "\xe4\xf6Z`{@[");
  EXPECT_EQ(lib::UPPERCASE("a\0b"s), "A\0B"s);
  EXPECT_EQ(lib::LOWERCASE(" AbC "), " abc");
  EXPECT_EQ(lib::LOWERCASE("\xc4\xd6Z@[`{"), "\xc4\xd6z@[`{");
  FText short_result(2);
  short_result = lib::UPPERCASE("abc");
  EXPECT_EQ(short_result.view(), "AB");
}

}  // namespace
