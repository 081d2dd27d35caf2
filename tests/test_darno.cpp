// DARNO fixed-field files: which records open a block, block names, counts,
// fields spread over records, the limits, and whole conversions.
#include "converter/readers/darno.h"

#include <gtest/gtest.h>

#include "library/ffmt.h"
#include "transcript_support.h"

namespace {

using testing_support::ScratchDir;
using namespace transcript;

ReaderRun read_darno(const std::string& contents, bool keep_times = false) {
  return run_reader<conv::darno::Reader>(contents, keep_times,
                                         [](auto& reader, ReaderRun& r) { reader.read(r.table, r.peaks, 0, 1); });
}

TEST(DarnoHeader, RecordCodesInAnyCaseWithoutRInTheRestOfTheCodeField) {
  const std::pair<std::string_view, bool> cases[] = {
      {"QT      12    3", true}, {"qt", true},   {"Ht", true},  {"HQ", true},      {"qh", true},
      {"RF   x    1", true},     {"QTR", false}, {"QT  r", false}, {"QT r1    3", false},
      {"QT   R    3", true},  // column 6 belongs to the name
      {"XT", false},             {" QT", false}, {"Q", false},  {"", false},      {"QT\t", true},
  };
  for (const auto& [record, header] : cases) EXPECT_EQ(conv::darno::is_header(record), header) << record;
}

// Names, or none ("") when the name starts like a number but is none.
TEST(DarnoHeader, SeriesNames) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"QT      12    3", "QT00012"},  // numeric: zero-filled to five digits
      {"qt   12       3", "QT00012"},  // the code is upper-cased
      {"QT    1 2     3", "QT00012"},  // blanks inside a numeric name are ignored
      {"QT            3", "QT00000"},  // a blank name reads as 0
      {"QT", "QT00000"},               // so does a name beyond the end of the record
      {"RF   12345678", "RF12345"},    // the name has five columns
      {"QT   -5       3", "QT-5"},       {"HT   N_1      3", "HTN_1"}, {"HT    Ab    3", "HTAb"},
      {"QT    1A     3", ""},           {"QT   -        3", ""},     {"QT   .5       3", ""},
  };
  for (const auto& [header, name] : cases) {
    std::string got;
    EXPECT_EQ(conv::darno::series_name(header, got) ? got : "", name) << header;
  }
}

TEST(DarnoReader, BlocksAndTheirFields) {
  std::string eight;  // one record of times 0.0 .. 3.5 and text beyond column 80
  for (int j = 0; j < 8; ++j) eight += ffmt::F(10, 1, 0.5f * static_cast<float>(j));
  const struct {
    std::string file;
    std::vector<std::string> names;
    std::vector<float> first_values;
    float first_tstart, first_tend;
    std::vector<float> hours = {};  // kept value times of the first series; none kept when empty
  } cases[] = {
      // Nine values take two records of times and two of values; a header on
      // the last record opens no block.
      {"QT    7    9\n" + eight + "   99.0\n       4.0\n" + eight + "\n  1 0.5   \nQT    8    1\n",
       {"QT00007"}, {0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 10.5f}, 0.0f, 240.0f},
      // Records outside blocks are skipped; a field beyond its record is blank.
      {"title\n\nQTR  no\nqt   ab       2\n       0.0       1.0\n   3 4.0\nxx\nrf   c        1\n 2\n 5\n",
       {"QTab", "RFc"}, {34.0f, 0.0f}, 0.0f, 60.0f},
      // The count field reads its blanks as zeros, but a count that stops
      // before column 15 reads the digits present.
      {"QT    1   1 \n" + eight + "\n 1 2\n" + eight + "\n 1 2\n", {"QT00001"},
       {0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 12.0f, 0.0f}, 0.0f, 0.0f},
      {"QT    1    2\n       0.0       1.0\n       5.0       6.0\n", {"QT00001"}, {5.0f, 6.0f}, 0.0f, 60.0f},
      // Kept value times are the hours as read; the start and end in minutes.
      {"QT    1    3\n       0.1      0.35  1.333333\n         1         2         3\n", {"QT00001"}, {1, 2, 3},
       0.1f * 60.0f, 1.333333f * 60.0f, {0.1f, 0.35f, 1.333333f}},
  };
  for (const auto& c : cases) {
    const ReaderRun r = read_darno(c.file, !c.hours.empty());
    EXPECT_EQ(r.status, -1) << c.file;
    ASSERT_EQ(r.table.series.size(), c.names.size()) << c.file;
    for (std::size_t i = 0; i < c.names.size(); ++i) EXPECT_EQ(r.table.series[i].name, c.names[i]);
    EXPECT_EQ(r.table.series[0].q, c.first_values) << c.file;
    EXPECT_EQ(std::tie(r.table.series[0].tstart, r.table.series[0].tend), std::tie(c.first_tstart, c.first_tend));
    EXPECT_EQ(r.table.series[0].hours, c.hours) << c.file;
  }
}

// A read error reports the last line read; the limits end the run too.
TEST(DarnoReader, FatalEnds) {
  const std::string nine = "Extracting DARNO data for QT00001 [9 values]\n";
  std::string blocks, extracted;
  for (int k = 1; k <= 10001; ++k) blocks += "RF" + ffmt::I(8, k) + "    1\n       1.0\n       2.0\n";
  for (int k = 1; k <= 10000; ++k)
    extracted += "Extracting DARNO data for RF" + ffmt::Imin(5, 5, k) + " [1 values]\n...Finished Extracting Data\n";
  const std::pair<std::string, std::string> cases[] = {
      // The header's name or count cannot be read: the header line.
      {"x\nQT    1A    3\n1\n1\n", read_error(2)},
      {"QT    1   3x\n1\n1\n", read_error(1)},
      // A count below one, after the header's console line.
      {"x\nQT    1    0\n1\n", "Extracting DARNO data for QT00001 [0 values]\n" + read_error(2)},
      {"QT    1     \n1\n", "Extracting DARNO data for QT00001 [0 values]\n" + read_error(1)},
      {"QT    1   -3\n1\n", "Extracting DARNO data for QT00001 [-3 values]\n" + read_error(1)},
      // A bad field in the second record of values: that record.
      {"QT    1    9\n1\n2\n3\n       x.0\n", nine + read_error(5)},
      // The file ends inside the lists: its last line.
      {"QT    1    9\n1\n2\n3\n", nine + read_error(4)},
      {"QT    1    9\n1\n", nine + read_error(2)},
      {"QT    1   10001\n1\n",
       "Extracting DARNO data for QT00001 [10001 values]\n\n"
       "ERROR - Exceeded maximum number of 10000 points in a DARNO FF time-series.\n"},
      {blocks, extracted + "\nERROR - Exceeded maximum number of 10000 DARNO FF time-series allowed.\n"},
  };
  for (const auto& [file, console] : cases) {
    const ReaderRun r = read_darno(file);
    EXPECT_EQ(r.status, 1) << file.substr(0, 80);
    EXPECT_EQ(r.console, console + kPause) << file.substr(0, 80);
  }
}

TEST(DarnoConversion, WorkedExampleToTs1) {
  ScratchDir dir;
  // A numeric block name and a name of letters.
  expect_ts1_run("-darno", "res.txt",
                 "DARNO results file\nQT      12    3\n       0.0       0.5       1.0\n      10.0      20.0      15.0\n"
                 "HT   N_1      3\n       0.0       0.5       1.0\n       1.5       2.5       2.0\n",
                 "Extracting DARNO data for QT00012 [3 values]\n...Finished Extracting Data\n"
                 "Extracting DARNO data for HTN_1 [3 values]\n...Finished Extracting Data\n" +
                     axis("        0.00", "       60.00", "   30.0000", "     3"),
                 ts1_file("res.txt", "QT00012,HTN_1", 3, {3, 3},
                          "        0.00,      10.000,       1.500\n"
                          "       30.00,      20.000,       2.500\n"
                          "       60.00,      15.000,       2.000\n"),
                 "res_peak_Q.txt.csv", "\"ID\",\"Q Peak\"\n\"QT00012\",          20.000\n\"HTN_1\",           2.500\n");
}

}  // namespace
