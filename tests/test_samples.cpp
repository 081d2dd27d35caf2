// Result files written by the WBNM model itself convert without error, and
// a few values of them, read off the input by hand, come out where they belong.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "transcript_support.h"

namespace {

using namespace transcript;

std::string sample(const std::string& name) {
  return (std::filesystem::path(FLOWTAB_SOURCE_DIR) / "tests" / "samples" / "wbnm" / (name + ".out")).string();
}

// The line of `text` that starts with `start`.
std::string line_starting(const std::string& text, const std::string& start) {
  const std::size_t p = text.find("\n" + start);
  if (p == std::string::npos) return "<none>";
  return text.substr(p + 1, text.find('\n', p + 1) - p - 1);
}

TEST(WbnmSamples, EveryModelFileConverts) {
  ScratchDir dir;
  for (const std::string name : {"Natural2012_Meta", "Design_Durations87_Meta", "DES16_Sample_Catch_360min_Meta"}) {
    const RunResult r = flowtab({"-b", sample(name)});
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_FALSE(holds(r.output, "ERROR"));
    // The version line of these files carries no "-" after the version.
    EXPECT_TRUE(holds(r.output, opened_input(sample(name)) +
                                    "WARNING - Could not read WBNM version: WBNM Version :2017_001\n"
                                    "   TS1 Total Hydrographs Output File: " +
                                    name + "_tot.ts1\n"));
    for (const std::string out : {"_tot.ts1", "_loc.ts1", "_peak_Q.out.csv"})
      EXPECT_TRUE(std::filesystem::exists(name + out)) << name + out;
    if (name == "Natural2012_Meta") {
      EXPECT_TRUE(holds(r.output, axis("        0.00", "     1380.00", "   20.0000", "    70")));
    }
  }
  // The recorded storm.
  const std::string tot = read_file("Natural2012_Meta_tot.ts1");
  EXPECT_EQ(line_starting(tot, "         5"), "         5,        70");
  // Names run to the end of the header line, tag included.
  EXPECT_EQ(line_starting(tot, "Time (min)").substr(0, 60),
            "Time (min)  ,SUB1        ::1-Historic-Historic-Historic(REC,");
  // 60 minutes: the total is the ninth field, the local one the sixth plus the seventh.
  EXPECT_EQ(line_starting(tot, "       60.00"),
            "       60.00,       9.899,       6.554,      13.216,      16.382,      12.833");
  EXPECT_EQ(line_starting(read_file("Natural2012_Meta_loc.ts1"), "       60.00"),
            "       60.00,       9.899,       6.554,      12.559,      16.382,      10.895");
  // Only the outlet's hydrograph reaches the last row.
  EXPECT_EQ(line_starting(tot, "     1380.00"),
            "     1380.00,            ,            ,            ,            ,       3.621");
  EXPECT_EQ(read_file("Natural2012_Meta_peak_Q.out.csv"),
            "\"ID\",\"Q Peak\"\n\"SUB1\",          23.739\n\"SUB2\",          14.739\n\"SUB3\",          45.410\n"
            "\"SUB4\",          36.983\n\"SUB5\",          72.580\n");
}

std::string fixed(const char* format, float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, static_cast<double>(v));
  return buf;
}

// With -mw the model's own design-storm files (of unknown version, one storm
// in their storm block) split into one output pair per simulation, named by
// the event ID of the simulation line, with one peak column per simulation.
TEST(WbnmSamples, DesignStormFilesSplitBySimulation) {
  std::vector<std::string> spectrum;
  for (const char* d : {"5",   "10",  "15",  "20",  "25",   "30",   "45",   "60",   "90",   "120", "180",
                        "270", "360", "540", "720", "1080", "1440", "1800", "2160", "2880", "4320"})
    spectrum.push_back(std::string("1-100-") + d + "-1");
  std::vector<std::string> patterns;
  for (int k = 1; k <= 10; ++k) patterns.push_back("1-1.00-360-" + std::to_string(k) + "PTP");
  const struct {
    std::string file;
    std::vector<std::string> events;
    std::string first_peak_row;
  } cases[] = {
      {"Design_Durations87_Meta", spectrum, "\"SUB1\",          14.143,          23.924,"},
      {"DES16_Sample_Catch_360min_Meta", patterns, "\"Sub01\",           4.834,"},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    const RunResult r = flowtab({"-mw", "-b", sample(c.file)});
    EXPECT_EQ(r.status, 0) << c.file;
    EXPECT_FALSE(holds(r.output, "ERROR"));
    EXPECT_TRUE(holds(r.output, "Multiple Duration Switch Enabled WBNM out file version: -1\nCounting events... \n"));
    EXPECT_TRUE(holds(r.output, "\nA total of " + std::to_string(c.events.size()) + " storms"));
    std::string heading = "Time (min)  ";
    for (const std::string& e : c.events) {
      heading += "," + e;
      EXPECT_TRUE(std::filesystem::exists(c.file + "_" + e + "min_loc.ts1")) << e;
      // Five subareas each time.
      EXPECT_EQ(line_starting(read_file(c.file + "_" + e + "min_tot.ts1"), "         5,").substr(0, 11), "         5,")
          << e;
    }
    const std::string peaks = read_file(c.file + "_peak_Q.out.csv");
    EXPECT_EQ(peaks.substr(0, peaks.find('\n')), heading);
    EXPECT_EQ(peaks.find(c.first_peak_row), peaks.find('\n') + 1) << peaks;
    EXPECT_EQ(std::count(peaks.begin(), peaks.end(), '\n'), 6);
  }

  // The 60-minute simulation, value by value against the input's hydrograph
  // blocks (time, local flows 6 + 7, total flow 9).
  std::map<std::string, std::string> tot, loc;  // rows by their time field
  for (auto [file, rows] : {std::pair{"Design_Durations87_Meta_1-100-60-1min_tot.ts1", &tot},
                            std::pair{"Design_Durations87_Meta_1-100-60-1min_loc.ts1", &loc}}) {
    std::istringstream text(read_file(file));
    for (std::string l; std::getline(text, l);) (*rows)[l.substr(0, 12)] = l;
  }
  EXPECT_EQ(tot["Time (min)  "], "Time (min)  ,SUB1,SUB2,SUB3,SUB4,SUB5");
  std::istringstream in(read_file(sample("Design_Durations87_Meta")));
  std::string l;
  while (std::getline(in, l) &&
         !(l.starts_with("#####START_SIMULATION") && l.find("::1-100-60-1(") != std::string::npos)) {
  }
  int block = -1, values = 0;
  while (std::getline(in, l) && !l.starts_with("#####START_SIMULATION")) {
    if (l.starts_with("#####START_HYDROGRAPHS_")) {
      ++block;
      std::getline(in, l);  // heading
      continue;
    }
    std::istringstream f(l);
    float n[9];
    for (float& x : n) f >> x;
    if (block < 0 || !f) continue;  // not a data line (marker, blank or peak summary text)
    const std::string key = fixed("%12.2f", n[0]);
    ASSERT_TRUE(tot.count(key)) << key;
    const auto field = [&](const std::string& row) {
      return row.substr(13 + 13 * static_cast<std::size_t>(block), 12);
    };
    EXPECT_EQ(field(tot[key]), fixed("%12.3f", n[8])) << l;
    EXPECT_EQ(field(loc[key]), fixed("%12.3f", n[5] + n[6])) << l;
    ++values;
  }
  EXPECT_EQ(block, 4);
  EXPECT_GT(values, 200);
}

}  // namespace
