// The XP-RAFTS storm header, block lengths, the end of a file followed by
// blank lines, and the reading pass on text held in memory.
#include "converter/readers/rafts.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using conv::rafts::StormHeader;

TEST(RaftsHeader, ReadableHeaders) {
  const struct {
    std::string_view record;
    StormHeader expected;
  } cases[] = {
      {"    1    2    3       5.0", {1, 2, 3, 5.0f}},
      // A whole number is a whole number of minutes, not implied decimals.
      {"    2   12   73 5", {2, 12, 73, 5.0f}},
      // Blanks inside the 5-column fields are ignored; the real is free-form.
      {" 1 2 1   0  1 0    2.5 and more", {12, 10, 10, 2.5f}},
      {"    3    1    1  0.25,", {3, 1, 1, 0.25f}},
  };
  for (const auto& c : cases) {
    StormHeader h;
    ASSERT_TRUE(conv::rafts::parse_header(c.record, h)) << c.record;
    EXPECT_EQ(h.storm, c.expected.storm) << c.record;
    EXPECT_EQ(h.nsub, c.expected.nsub) << c.record;
    EXPECT_EQ(h.ninc, c.expected.ninc) << c.record;
    EXPECT_EQ(h.dt, c.expected.dt) << c.record;
  }
}

TEST(RaftsHeader, UnreadableHeaders) {
  for (std::string_view record : {
           "",
           "    1    2    3",           // no increment
           "    1    2    3   ,5.0",    // a null value
           "    1    2    3   /",       // a slash
           "    1    2    3   x5.0",    // not a number
           "    1    2  3.5       5.0", // not a whole number
           "    1    0    3       5.0", // no subcatchment
           "    1    2    0       5.0", // no increment
           "    1   -2    3       5.0",
           "          Node_A",
       }) {
    StormHeader h;
    EXPECT_FALSE(conv::rafts::parse_header(record, h)) << record;
  }
}

TEST(RaftsHeader, BlockLengths) {
  // Header, then per hydrograph a name record and NINC / 5 value records
  // rounded up.
  EXPECT_EQ(conv::rafts::block_lines({1, 12, 73, 5.0f}), 193);
  EXPECT_EQ(conv::rafts::block_lines({1, 1, 2, 5.0f}), 3);
  EXPECT_EQ(conv::rafts::block_lines({1, 2, 5, 5.0f}), 5);
  EXPECT_EQ(conv::rafts::block_lines({1, 2, 6, 5.0f}), 7);
  EXPECT_EQ(conv::rafts::block_lines({1, 99999, 99999, 5.0f}), 1 + 99999LL * 20001);
}

TEST(RaftsLines, SignificantEnd) {
  const std::pair<std::string_view, std::size_t> cases[] = {
      {"", 0},          {"\n\n", 0},          {" \t\n  ", 0},         {"a", 1},
      {"a\n", 1},       {"a\n \t\n\n", 1},    {"a\r\n  \r\n", 1},     {"  \nx  \n", 6},
      {"ab\n\ncd", 6},  {"x\n\r\r\n", 3},  // a CR that the line end does not take is text
  };
  for (const auto& [text, end] : cases) EXPECT_EQ(conv::rafts::significant_end(text), end) << text;
}

// Reads a single-storm text with the reading pass.
conv::SeriesTable read_single(const std::string& text, conv::PeakStore& peaks, bool keep_times) {
  platform::rt::TextSource source(std::make_shared<platform::rt::TextBuffer>(text));
  conv::SeriesTable table;
  table.keep_times = keep_times;
  peaks.start_file(1);
  conv::rafts::Reader(source).read_single(table, peaks, 7);
  return table;
}

TEST(RaftsReading, ValuesTimesAndPeaksOfEachHydrograph) {
  conv::PeakStore peaks;
  const conv::SeriesTable t = read_single(
      "    1    2    7       2.5\n"
      "1234567890Node_A\n"
      "       1.500       2.750       0.500           4         1e1\n"
      "      -0.125   2.5E+00\n"
      "           node_a  \n"
      "\n"
      "    12.5\n"
      "\n"
      "\n",
      peaks, true);
  ASSERT_EQ(t.NTS(), 2);
  EXPECT_EQ(t.series[0].name, "Node_A");  // columns 1-10 hold no name
  EXPECT_EQ(t.series[0].q, (std::vector<float>{1.5f, 2.75f, 0.5f, 4.0f, 10.0f, -0.125f, 2.5f}));
  EXPECT_EQ(t.series[0].tstart, 2.5f);
  EXPECT_EQ(t.series[0].tend, 17.5f);
  // Value j lies at j increments; its time in hours is taken from minutes.
  ASSERT_EQ(t.series[0].hours.size(), 7u);
  for (std::size_t j = 0; j < 7; ++j) EXPECT_EQ(t.series[0].hours[j], static_cast<float>(j + 1) * 2.5f / 60.0f);
  EXPECT_EQ(t.series[1].name, " node_a");
  // Short and blank records read as zeros; blank lines after the last
  // hydrograph end the file.
  EXPECT_EQ(t.series[1].q, (std::vector<float>{0, 0, 0, 0, 0, 12.5f, 0}));
  // Both names share one peak row.
  ASSERT_EQ(peaks.NPK(), 1);
  EXPECT_EQ(peaks.peak(0, 0), 12.5f);
  EXPECT_EQ(peaks.file(0, 0), 7);
}

TEST(RaftsReading, TimesAreKeptOnlyWhenAsked) {
  conv::PeakStore peaks;
  const conv::SeriesTable t = read_single("    1    1    2       5.0\n          A\n 1 2\n", peaks, false);
  ASSERT_EQ(t.NTS(), 1);
  EXPECT_EQ(t.series[0].q, (std::vector<float>{12.0f, 0.0f}));  // one 12-column field
  EXPECT_TRUE(t.series[0].hours.empty());
}

}  // namespace
