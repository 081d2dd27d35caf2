#include "library/keywords.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;
using lib::FText;

TEST(Keywords, FlagExistsTable) {
  struct Case {
    std::string line, flag;
    bool found;
  };
  const Case cases[] = {
      {"  hydrograph SUMMARY for run", "Hydrograph summary", true},
      {"Total", "total ", true},     // trailing blanks of the flag are ignored
      {"Total", " total", false},    // its leading blanks are searched for
      {"  x", "  X", true},
      {" x", "  x", false},
      {"anything", "   ", true},     // a blank flag is everywhere
      {"", "", true},
      {"    ", "x", false},
      {"Hyd0011", "Hyd001", true},   // a substring test, not a word test
      {"#####START_STORM#10", "#####START_STORM#1", true},
      {"xxtotal", "TOTAL", true},
      {"ab", "abc", false},
      {"ab ", "b  ", true},
      {"a\tb", "a b", false},        // TAB and quotes are ordinary characters
      {"a\tb", "A\tB", true},
      {"'x'", "x", true},
      {"x", "'x'", false},
      {"a\0b"s, "A\0B"s, true},
      {"a b", "a\0b"s, false},
      {"\xe9t\xe9", "\xc9T\xc9", false},  // bytes above 127 keep their case
      {"\xe9t\xe9", "\xe9T", true},
      {"@[", "`{", false},
      {"`{", "@[", false},
      {"aaab", "aab", true},         // a partial match does not hide a later one
  };
  for (const auto& c : cases) EXPECT_EQ(lib::FLAGEXISTS(c.line, c.flag), c.found) << c.line << "|" << c.flag;
}

TEST(Keywords, FlagExistsRetGivesTheRestOfTheLine) {
  struct Case {
    std::string line, flag;
    std::size_t rest_cap;
    bool found;
    std::string rest;
  };
  const Case cases[] = {
      {"Read GIS Z Shape == zpts.shp", "==", 20, true, " zpts.shp"},
      {"Read GIS Z Shape == zpts.shp", "== ", 20, true, " zpts.shp"},
      {"Read GIS Z Shape == zpts.shp", "==", 4, true, " zpt"},
      {"KEY=Value", "key=", 10, true, "Value"},
      {"  ab  ", "  ", 10, true, "  ab"},
      {"Read GIS Z Shape", "==", 10, false, ""},
  };
  for (const auto& c : cases) {
    FText rest(c.rest_cap, "old text");
    EXPECT_EQ(lib::FLAGEXISTSRET(c.line, c.flag, rest), c.found) << c.line << "|" << c.flag;
    EXPECT_EQ(rest.view(), lib::padded(c.rest, c.rest_cap)) << c.line << "|" << c.flag;
  }
}

TEST(Keywords, GisFamily) {
  using Fn = bool (*)(std::string_view, std::string_view);
  struct Case {
    Fn fn;
    std::string line, key;
    bool found;
  };
  const Case cases[] = {
      {lib::READGIS, "read gis  z shape == a.shp", "Z Shape", false},
      {lib::READGIS, "READ MI Z Shape == a.mif", "z shape", true},
      {lib::READGIS, "Read MID Z Shape == a.mid", "Z Shape", false},
      {lib::READROWCOL, "Read MID Z Shape == a.mid", "Z Shape", true},
      {lib::READGIS, "Read MID x", "   ", true},  // blank key: "Read MI" alone
      {lib::READGIS, "Read GIS x", "", true},
      {lib::READGIS, "ReadMI x", "", false},
      {lib::READGIS, "Read GIS Z Shape", "Z Shape   ", true},
      {lib::READGIS, "Read GIS  Z", " Z", true},
      {lib::READGIS, "Read GIS Z", " Z", false},
      {lib::WRITEGIS, "write mi z", "Z", true},
      {lib::WRITEGIS, "Write GIS z", "Z", true},
      {lib::WRITEGIS, "Read GIS z", "Z", false},
      {lib::READROWCOL, "Read RowCol z", "Z", true},
      {lib::READROWCOL, "Read GIS z", "Z", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.fn(c.line, c.key), c.found) << c.line << "|" << c.key;
}

TEST(Keywords, CheckLineSplitsAndTestsTheCommand) {
  struct Case {
    std::string line, key, sep;
    std::int32_t ncol;
    std::size_t value_cap, command_cap;
    bool result;
    std::string value, command;
  };
  const std::string gis = "Read GIS Z Shape == zpts.shp";
  const Case cases[] = {
      {gis, "read gis", "==", 0, 20, 30, true, " zpts.shp", "Read GIS Z Shape "},
      {gis, "*", "==", 0, 20, 30, true, " zpts.shp", "Read GIS Z Shape "},
      {gis, "* ", "==", 0, 20, 30, true, " zpts.shp", "Read GIS Z Shape "},
      {gis, " *", "==", 0, 20, 30, false, " zpts.shp", "Read GIS Z Shape "},
      {gis, "zpts", "==", 0, 20, 30, false, " zpts.shp", "Read GIS Z Shape "},  // key only in the value
      {gis, "gis", "==", 0, 20, 3, false, " zpts.shp", "Rea"},  // the cut command is tested
      {" == x", "*", "==", 0, 10, 10, false, " x", ""},
      {" == x", "", "==", 0, 10, 10, false, " x", ""},
      {"no separator here", "SEPARATOR", "==", 0, 10, 30, true, "", "no separator here"},
      {"no separator here", "zz", "==", 0, 10, 30, false, "", "no separator here"},
      {"abcdef", "abc", ":", 3, 10, 10, true, "def", "abc"},
      {"abcdef", "def", ":", 3, 10, 10, false, "def", "abc"},
      {"abcdefghijKLMN", "ghij", "  ", 10, 10, 10, true, "KLMN", "abcdefghij"},
      {"abcdefghijKLMN", "klm", "", 10, 10, 10, false, "KLMN", "abcdefghij"},
      {"   ", "x", "==", 2, 10, 10, false, " ", "  "},
      // SEP blank and no split column: the command is blank and only the key decides.
      {"abc", "", " ", 0, 10, 10, true, "abc", ""},
      {"abc", "*", " ", 0, 10, 10, true, "abc", ""},
      {"abc", "a", " ", 0, 10, 10, false, "abc", ""},
      // The separator is searched with its trailing blanks; VALUE starts after all of them.
      {"x ==y == z", "y", "== ", 0, 10, 10, true, "z", "x ==y "},
      {"x ==y == z", "y", "==", 0, 10, 10, false, "y == z", "x "},
  };
  for (const auto& c : cases) {
    FText value(c.value_cap, "old"), command(c.command_cap, "old");
    EXPECT_EQ(lib::CHECKLINE(c.line, c.key, c.sep, c.ncol, value, command), c.result)
        << c.line << "|" << c.key << "|" << c.sep;
    EXPECT_EQ(value.view(), lib::padded(c.value, c.value_cap)) << c.line << "|" << c.key << "|" << c.sep;
    EXPECT_EQ(command.view(), lib::padded(c.command, c.command_cap)) << c.line << "|" << c.key << "|" << c.sep;
  }
}

// The trailing blanks of LINE's capacity can hold a separator that ends in blanks.
TEST(Keywords, CheckLineSeesTheWholeCapacityOfLine) {
  FText value(10), command(10);
  EXPECT_TRUE(lib::CHECKLINE("ab=", "=", "= ", 0, value, command));
  EXPECT_EQ(command, "ab=");
  EXPECT_FALSE(lib::CHECKLINE("ab=  ", "=", "= ", 0, value, command));
  EXPECT_EQ(command, "ab");
}

TEST(Keywords, CheckLineMayWriteIntoItsOwnLine) {
  FText line(20, "key == value"), command(20);
  EXPECT_TRUE(lib::CHECKLINE(line.view(), "KEY", "==", 0, line, command));
  EXPECT_EQ(line, " value");
  EXPECT_EQ(command, "key");
}

}  // namespace
