// Row-block files: which lines are data, titles, values of a block, the
// limits, and whole conversions.
#include "converter/readers/rows.h"

#include <gtest/gtest.h>

#include "library/ffmt.h"
#include "transcript_support.h"

namespace {

using testing_support::ScratchDir;
using namespace transcript;

using Values = std::vector<float>;

ReaderRun read_rows(const std::string& contents) {
  const auto read = [](auto& reader, ReaderRun& r) { reader.read(r.table, r.peaks, 0, 1); };
  return run_reader<conv::rows::Reader>(contents, false, read, std::string("flows.txt"));
}

const std::string kFlows = "Flow A\n1 2 3\n4 5\n\nFlow B\n7 8\n";

TEST(RowData, DataLines) {
  const std::pair<std::string_view, bool> cases[] = {
      {"1 2 3", true},        {"  -1", true},    {".5,2", true},      {"\t1\t2", true},  {"1 2 ! note", true},
      {"1,2,,3", true},       {"", false},       {"   ", false},      {"\t \t", false},  {"Flow A", false},
      {"1st flow", false},    {"1 2 x", false},  {"! 1 2", false},    {"+1", false},     {"1/2", false},
  };
  for (const auto& [line, data] : cases) EXPECT_EQ(conv::rows::is_data_line(line), data) << line;
}

TEST(RowReader, BlocksTitlesAndValues) {
  const struct {
    std::string file;
    std::vector<std::pair<std::string, Values>> series;
  } cases[] = {
      {kFlows, {{"Flow A", {1, 2, 3, 4, 5}}, {"Flow B", {7, 8}}}},
      // The first line is data: it names its own block, leading blanks kept;
      // a last data line is read once.
      {"  1 2 3\n4", {{"  1 2 3", {1, 2, 3, 4}}}},
      // An empty field is a null value: zero.  So is the empty field before a
      // leading comma; the numbers after it stay.
      {"T\n1,2,,3\n,,5\n , 6\n", {{"T", {1, 2, 0, 3, 0, 0, 5, 0, 6}}}},
      // A word among numbers ends the block and titles the next one.
      {"A\n1 2\n3 x 4\n5 6\n", {{"A", {1, 2}}, {"3 x 4", {5, 6}}}},
      // TABs separate numbers; a title loses its TABs.
      {"Fl\tow\t\n1\t2\t3\n\t4\n", {{"Flow", {1, 2, 3, 4}}}},
      // Only the first non-empty line of a search is the title.
      {"\n\t\nfirst\nsecond\n-1.5e1 .25 ! comment\n", {{"first", {-15.0f, 0.25f}}}},
      // A title whose first 100 characters are blank: the file's name.
      {std::string(100, ' ') + "late title\n9 9\n", {{"flows", {9, 9}}}},
      {"only words\n\n", {}},
  };
  for (const auto& c : cases) {
    const ReaderRun r = read_rows(c.file);
    EXPECT_EQ(r.status, -1) << c.file;
    ASSERT_EQ(r.table.series.size(), c.series.size()) << c.file;
    for (std::size_t i = 0; i < c.series.size(); ++i) {
      const conv::Series& s = r.table.series[i];
      EXPECT_EQ(std::tie(s.name, s.q), std::tie(c.series[i].first, c.series[i].second)) << c.file;
      EXPECT_EQ(std::make_pair(s.tstart, s.tend), std::make_pair(1.0f, float(c.series[i].second.size()))) << c.file;
    }
  }
  EXPECT_EQ(read_rows(std::string(120, ' ') + "x\n1 2\n").console, "Extracting row data for \n");
}

// A title is the first 100 characters of its line that are not TABs, without
// trailing blanks.
TEST(RowReader, TitlesKeepTheirFirstHundredCharactersThatAreNotTabs) {
  const std::string hundred = std::string(60, 'a') + std::string(40, 'b');
  const std::pair<std::string, std::string> cases[] = {
      {"\tFl\tow\t", "Flow"},
      {"  lead\t and trail  \t ", "  lead and trail"},
      {hundred.substr(0, 50) + std::string(30, '\t') + hundred.substr(50) + "cut off", hundred},
      {std::string(100000, '\t') + "late title", "late title"},
      {std::string(99, ' ') + "\t\tx" + std::string(1000, 'y'), std::string(99, ' ') + "x"},
      {std::string(98, 'z') + "  \t" + "q", std::string(98, 'z')},
      {"\t\t", ""},
  };
  for (const auto& [line, title] : cases) EXPECT_EQ(conv::rows::block_title(line), title) << line.substr(0, 200);
}

TEST(RowReader, EndsOfTheRun) {
  std::string ones = "A\n", blocks;
  for (int k = 0; k < 10000; ++k) ones += "1 ";
  for (int k = 0; k < 10001; ++k) blocks += "1 2\nend\n";
  EXPECT_EQ(read_rows(ones).table.series.at(0).nvals(), 10000);
  // Data lines read again after a step back count once.
  const std::pair<std::string, std::string> cases[] = {
      {"T\n1 2\n1.2.3\n", "Extracting row data for T\n" + read_error(3)},
      {"A\n1\nB\n2\n1e99\n", "Extracting row data for B\n" + read_error(5)},
      {ones + "\n2\n",
       "Extracting row data for A\n\nERROR - Exceeded maximum number of 10000 points in a row block time-series.\n"},
      {blocks,
       "Extracting row data for end\n\nERROR - Exceeded maximum number of 10000 row block time-series allowed.\n"},
  };
  for (const auto& [file, console] : cases) {
    const ReaderRun r = read_rows(file);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.console, console + kPause)) << r.console;
  }
}

// Files of megabytes, whose lines are counted and read far ahead of the
// blocks: every block still gets exactly its own numbers, and a line that
// does not read is reported at its own line, however far into the file.
TEST(RowReader, LargeFiles) {
  constexpr int kBlocks = 60, kLines = 990, kPerLine = 10;
  const auto value = [](int b, int line, int k) { return static_cast<float>((b * 7 + line * 3 + k) % 4096) * 0.25f; };
  const auto file = [&](int bad_block, int bad_line) {
    std::string text;
    for (int b = 0; b < kBlocks; ++b) {
      text += "Flow " + std::to_string(b) + "\n";
      for (int line = 0; line < kLines; ++line) {
        if (line % 97 == 5) text += ",";  // an empty first field: zero
        for (int k = 0; k < kPerLine; ++k)
          text += b == bad_block && line == bad_line && k == 4 ? "  1.2.3" : ffmt::F(9, 2, value(b, line, k));
        text += '\n';
      }
      if (b % 2 == 0) text += "\n";  // a blank line after every even block
    }
    return text;
  };
  const ReaderRun r = read_rows(file(-1, -1));
  EXPECT_EQ(r.status, -1);
  ASSERT_EQ(r.table.series.size(), std::size_t{kBlocks});
  for (int b = 0; b < kBlocks; ++b) {
    Values want;
    for (int line = 0; line < kLines; ++line) {
      if (line % 97 == 5) want.push_back(0.0f);
      for (int k = 0; k < kPerLine; ++k) want.push_back(value(b, line, k));
    }
    EXPECT_EQ(r.table.series[b].name, "Flow " + std::to_string(b));
    EXPECT_EQ(r.table.series[b].q, want) << b;
  }
  // Block 55's title is line 55 * 991 + 28 + 1.
  const ReaderRun bad = read_rows(file(55, 640));
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(ends_with(bad.console, "Extracting row data for Flow 55\n" + read_error(55 * 991 + 28 + 1 + 641) + kPause));
}

TEST(RowConversion, WorkedExampleToTs1WithoutPeakTable) {
  ScratchDir dir;
  expect_ts1_run("-rows", "flows.txt", kFlows,
                 "Extracting row data for Flow A\nExtracting row data for Flow B\n" +
                     axis("        1.00", "        5.00", "    1.0000", "     5"),
                 ts1_file("flows.txt", "Flow A,Flow B", 5, {5, 2},
                          "        1.00,       1.000,       7.000\n"
                          "        2.00,       2.000,       8.000\n"
                          "        3.00,       3.000,            \n"
                          "        4.00,       4.000,            \n"
                          "        5.00,       5.000,            \n"));
}

}  // namespace
