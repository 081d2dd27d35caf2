// The XP-RAFTS storm header, block lengths, the end of a file followed by
// blank lines, and the reading pass on text held in memory.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "converter/readers/rafts.h"
#include "transcript_support.h"

namespace {

using conv::rafts::StormHeader;
using namespace transcript;

// Headers as storm, subcatchments, increments and step; none when unreadable.
TEST(RaftsHeader, ReadableAndUnreadableHeaders) {
  using Fields = std::optional<std::tuple<std::int32_t, std::int32_t, std::int32_t, float>>;
  const std::pair<std::string_view, Fields> cases[] = {
      {"    1    2    3       5.0", {{1, 2, 3, 5.0f}}},
      // A whole number is a whole number of minutes, not implied decimals.
      {"    2   12   73 5", {{2, 12, 73, 5.0f}}},
      // Blanks inside the 5-column fields are ignored; the real is free-form.
      {" 1 2 1   0  1 0    2.5 and more", {{12, 10, 10, 2.5f}}},
      {"    3    1    1  0.25,", {{3, 1, 1, 0.25f}}},
      {"", {}}, {"    1    2    3", {}}, {"    1    2    3   ,5.0", {}}, {"    1    2    3   /", {}},
      {"    1    2    3   x5.0", {}}, {"    1    2  3.5       5.0", {}}, {"    1    0    3       5.0", {}},
      {"    1    2    0       5.0", {}}, {"    1   -2    3       5.0", {}}, {"          Node_A", {}},
  };
  for (const auto& [record, expected] : cases) {
    StormHeader h;
    const bool read = conv::rafts::parse_header(record, h);
    EXPECT_EQ(read ? Fields({h.storm, h.nsub, h.ninc, h.dt}) : std::nullopt, expected) << record;
  }
}

// Header, then per hydrograph a name record and NINC / 5 value records
// rounded up.
TEST(RaftsHeader, BlockLengths) {
  const std::pair<StormHeader, std::int64_t> cases[] = {
      {{1, 12, 73, 5.0f}, 193}, {{1, 2, 5, 5.0f}, 5}, {{1, 2, 6, 5.0f}, 7},
      {{1, 99999, 99999, 5.0f}, 1 + 99999LL * 20001}};
  for (const auto& [header, lines] : cases) EXPECT_EQ(conv::rafts::block_lines(header), lines) << header.ninc;
}

TEST(RaftsLines, SignificantEnd) {
  const std::pair<std::string_view, std::size_t> cases[] = {
      {"", 0},          {"\n\n", 0},     {" \t\n  ", 0},   {"a", 1}, {"a\n \t\n\n", 1}, {"a\r\n  \r\n", 1},
      {"  \nx  \n", 6}, {"ab\n\ncd", 6}, {"x\n\r\r\n", 3},  // a CR that the line end does not take is text
  };
  for (const auto& [text, end] : cases) EXPECT_EQ(conv::rafts::significant_end(text), end) << text;
}

ReaderRun read_single(const std::string& text) {
  return run_reader<conv::rafts::Reader>(
      text, false, [](conv::rafts::Reader& r, ReaderRun& run) { r.read_single(run.table, run.peaks, 7); });
}

TEST(RaftsReading, ValuesTimesAndPeaksOfEachHydrograph) {
  ReaderRun r = read_single("    1    2    7       2.5\n1234567890Node_A\n"
                            "       1.500       2.750       0.500           4         1e1\n"
                            "      -0.125   2.5E+00\n           node_a  \n\n    12.5 1\n\n \n");
  ASSERT_EQ(r.status, -1) << r.console;
  ASSERT_EQ(r.table.NTS(), 2);
  const conv::Series& a = r.table.series[0];
  EXPECT_EQ(a.name, "Node_A");  // columns 1-10 hold no name
  EXPECT_EQ(a.q, (std::vector<float>{1.5f, 2.75f, 0.5f, 4.0f, 10.0f, -0.125f, 2.5f}));
  EXPECT_EQ(std::tie(a.tstart, a.tend), std::make_tuple(2.5f, 17.5f));
  EXPECT_TRUE(a.hours.empty());  // value times are kept only when the table asks for them
  // Short and blank records read as zeros, blanks inside a field are ignored;
  // blank lines after the last hydrograph end the file.
  EXPECT_EQ(r.table.series[1].name, " node_a");
  EXPECT_EQ(r.table.series[1].q, (std::vector<float>{0, 0, 0, 0, 0, 12.51f, 0}));
  EXPECT_EQ(r.nline, 7);
  // Both names share one peak row.
  ASSERT_EQ(r.peaks.NPK(), 1);
  EXPECT_EQ(r.peaks.peak(0, 0), 12.51f);
  EXPECT_EQ(r.peaks.file(0, 0), 7);
}

TEST(RaftsReading, FieldWidthFollowsTheFirstValueRecord) {
  const struct {
    std::string record;  // the first value record of a hydrograph of 5 values
    std::string format;
    float v4, v5;
  } cases[] = {
      {std::string(56, ' ') + "1.25 ", "5g12", 0.0f, 1.25f}, {std::string(76, ' ') + "1.25", "5g16", 0.0f, 1.25f},
      {std::string(57, ' ') + "1.25", "5g16", 1.25f, 0.0f},  {std::string(80, ' ') + "8", "5g20", 0.0f, 8.0f},
      {std::string(77, ' ') + "1.25", "5g20", 1.2f, 5.0f},
  };
  for (const auto& c : cases) {
    const ReaderRun r = read_single("    1    1    5       5.0\n          N\n" + c.record + "\n");
    EXPECT_EQ(r.console, "...Reading RAFTS Hydrograph: N (" + c.format + " format)...\n...Finished Extracting Data\n");
    ASSERT_EQ(r.table.NTS(), 1);
    EXPECT_EQ(r.table.series[0].q, (std::vector<float>{0, 0, 0, c.v4, c.v5})) << c.record.size();
  }
}

TEST(RaftsReading, ReadErrorsGiveTheFirstValueRecordOrTheHeaderLine) {
  const std::string storm = "    1    2    7       5.0\n          A\n" + std::string(57, ' ') + "1.00\n       1.000\n";
  const std::pair<std::string, std::string> cases[] = {
      {storm + "          B\n       1.000\n       x.000\n", "B (5g12 format)...\n" + read_error(6)},
      {storm + "          B\n       1.000\n", "B (5g12 format)...\n" + read_error(6)},
      // A name record at the end of the file: the format of the last values.
      {storm + "          C\n", "C (5g16 format)...\n" + read_error(6)},
      {storm + "          C\n \n", "C (5g16 format)...\n" + read_error(6)},
      {"\n" + storm, read_error(1)},
      // The largest count of increments is only a count: nothing is sized by it.
      {"    1    199999       5.0\n          N\n       1.000\n", "N (5g12 format)...\n" + read_error(3)},
  };
  for (const auto& [text, tail] : cases) {
    const ReaderRun r = read_single(text);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.console, tail + kPause)) << r.console;
  }
}

TEST(RaftsCounting, StormsEndWhereTheirHeadersSay) {
  const std::string two = "    1    1    2       5.0\n          N1\n 1 2\n    2    2    6       5.0\n";
  auto src = text(two + "          N1\n 1\n 2\n          N2\n 1\n 2\n\n");
  const std::vector<conv::rafts::Storm> storms = conv::rafts::count_storms(src);
  ASSERT_EQ(storms.size(), 2u);
  EXPECT_EQ(std::tie(storms[0].end, storms[1].end, storms[1].header.ninc), std::make_tuple(3, 10, 6));
  // A storm that the file cuts short still counts; a line where a header is
  // due that is none ends the run with its line number.
  src = text(two + "          N1\n");
  EXPECT_EQ(conv::rafts::count_storms(src).size(), 2u);
  testing_support::Console con;
  src = text(two + "          N1\n 1\n 2\n          N2\n 1\n 2\n 3\n");
  EXPECT_EQ(ending_of([&] { conv::rafts::count_storms(src); }), 1);
  EXPECT_EQ(con.text(), read_error(11) + kPause);
}

}  // namespace
