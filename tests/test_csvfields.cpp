#include "library/csvfields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "library/text_basics.h"
#include "library/unit_slots.h"
#include "test_support.h"

namespace {

TEST(CsvFields, ColumnAndValue) {
  const struct {
    std::string line, name;
    std::int32_t col;
  } columns[] = {{"Time, 'Flow', Depth", "flow", 2}, {"Time,Flow", "Depth", -1}, {"   ", "x", -1}, {"a\t,b", "a", 1},
                 {"a,,b", " ", 2}, {"a,", " ", -1}, {"x,\"a,b\"", "a", 2}};  // quotes hold no comma here
  for (const auto& c : columns) EXPECT_EQ(lib::CSVCOLUMN(c.line, c.name, -1), c.col) << c.line;
  const struct {
    std::string line;
    std::int32_t col;
    bool ok;
    float value;
  } values[] = {{"1, 2.5 ,x", 2, true, 2.5f}, {"1,2", 3, false, 0.0f},      {"1,,3", 2, false, 0.0f},
                {"1,abc", 2, false, 0.0f},    {"7", 1, true, 7.0f},         {"1, 1 2 ,x", 2, true, 12.0f},
                {"1e3", 0, true, 1000.0f},    {"1.0-3", 1, true, 0.001f}};
  for (const auto& c : values) {
    float v = -1.0f;
    EXPECT_EQ(lib::CSVVALUE(c.line, c.col, v), c.ok) << c.line;
    EXPECT_FLOAT_EQ(v, c.value) << c.line;
  }
}

TEST(CsvFields, ExtractValues) {
  const struct {
    std::string line, key;
    std::int32_t col, integer;
  } integers[] = {{"Depth = 12, Width = 3", "Width", 0, 3}, {"Depth = 12, Width = 3", "depth", 0, 12},
                  {"Depth = 12, Width = 3", "Height", 0, -1}, {"depthmax = 5, depth = 2", "depth", 0, 5},
                  {"depth =  , x = 1", "depth", 0, -1},       {"a,'-25'", "b", 2, -25}};
  for (const auto& c : integers) EXPECT_EQ(lib::EXTRACTINTEGER(c.line, lib::LOWERCASE(c.line), c.key, c.col, -1), c.integer);
  EXPECT_FLOAT_EQ(lib::EXTRACTREAL("a,'2.5'", "a,'2.5'", "b", 2, 0.0f), 2.5f);
  const struct {
    std::string line, key;
    std::int32_t col;
    std::string value, rest;
  } texts[] = {{"name = 'a, b', x = 1", "name", 0, "a, b", "a, b, x = 1"}, {"1,'Q,100',3", "key", 2, "Q,100", "Q,100,3"},
               {"1,'Q,100',3", "key", 4, "", ""},  {"'it''s',x", "key", 1, "its", "its,x"},
               {"title = Flow, in m3/s", "TITLE", 0, "Flow", "Flow, in m3/s"},
               {"a,b,c", "key", 2, "b", "b,c"},    {"a,,c", "key", 2, "", ""},  {"a,b", "key", 0, "", ""}};
  for (const auto& c : texts) {
    const std::string lc = lib::LOWERCASE(c.line);
    EXPECT_EQ(lib::EXTRACTSTRING(c.line, lc, c.key, c.col), c.value) << c.line;
    EXPECT_EQ(lib::EXTRACTSTRINGREM(c.line, lc, c.key, c.col), c.rest) << c.line;
  }
}

TEST(CsvFields, QuoteAtTheVeryEndIsNotReadPast) {
  // The text fills its buffer exactly: a pair test there would read beyond it.
  const std::string text = "x,'a'";
  const auto buf = std::make_unique<char[]>(text.size());
  std::memcpy(buf.get(), text.data(), text.size());
  const std::string_view line(buf.get(), text.size());
  EXPECT_EQ(lib::EXTRACTSTRING(line, line, "key", 2), "a");
}

TEST(CsvFields, UnreadableValuesEndTheRun) {
  const struct {
    std::string line, key;
    std::int32_t col;
    bool real;
    std::string output;
  } cases[] = {
      {"Depth = 12, Width = 3", "Height", 2, false,
       " Could not convert \"Width = 3\" in column  2 to an integer value for the Height field.\n"},
      {"a = /", "a", 1000, true, " Could not convert \"/\" in column*** to a real value for the a field.\n"},
      {"a = ',5'", "a", 0, false, " Could not convert \",5\" in column  0 to an integer value for the a field.\n"},
      {"Depth 12", "depth", 0, false, "\nERROR 0203 - No \"=\" sign found after keyword \"depth\".\n"}};
  for (const auto& c : cases) {
    lib::INITUNITS(1000);
    testing_support::Console con("\n");
    const std::string lc = lib::LOWERCASE(c.line);
    EXPECT_EQ(testing_support::status_of([&] {
                if (c.real) lib::EXTRACTREAL(c.line, lc, c.key, c.col, 0.0f);
                lib::EXTRACTINTEGER(c.line, lc, c.key, c.col, 0);
              }),
              1);
    EXPECT_EQ(con.text(), c.output + "\nPress Enter to Close\n");
  }
}

TEST(CsvFields, NextWord) {
  const struct {
    std::string str, word, rest;
  } cases[] = {{"one two  three", "one", "two  three"}, {"single", "single", ""}, {"'a b' c", "a b", "c"},
               {" x", "", "x"}, {"   ", "", ""}};
  for (const auto& c : cases) {
    lib::FText s(20, c.str);
    EXPECT_EQ(lib::NEXTWORD(s), c.word) << c.str;
    EXPECT_EQ(s.trimmed(), c.rest) << c.str;
  }
}

}  // namespace
