// The XP interface reader on well-formed files of all five layouts: every ID,
// time and flow that was written comes back, in both calling forms.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "xp_test_support.h"
#include "xpinterface/binary_input.h"
#include "xpinterface/detection.h"

namespace {

using xptest::Call;
using xptest::Result;

// Three locations, six steps 30 minutes apart from 23:30 on the last day of
// 1999 across the year end: hours 23.5 to 26 after 00:00 of the first day.
const std::vector<std::string> kIds = {"INFLOW_A", "node-2", "Outlet number 9 long"};
const std::vector<float> kHours = {23.5f, 24.0f, 24.5f, 25.0f, 25.5f, 26.0f};

double flow(std::size_t i, std::size_t k) { return 10.0 * static_cast<double>(i + 1) + 0.1 * static_cast<double>(k) - 0.003; }

std::vector<xpgen::Step> standard_steps(int nconst) {
  std::vector<xpgen::Step> steps;
  for (std::size_t k = 0; k < kHours.size(); ++k) {
    const double seconds = 84600.0 + 1800.0 * static_cast<double>(k);
    xpgen::Step s;
    s.jday = seconds < 86400 ? 1999365 : 2000001;
    s.timesec = seconds < 86400 ? seconds : seconds - 86400;
    for (std::size_t i = 0; i < kIds.size(); ++i) {
      s.q.push_back(flow(i, k));
      for (int j = 0; j < nconst; ++j) s.c.push_back(-1000.0 - j);
    }
    steps.push_back(s);
  }
  return steps;
}

struct Layout {
  const char* name;
  const char* source;
  double hdrvalue;
  int nconst;
};
// Packed IDs and one-record steps (a "rafts" source or a positive header
// value), one ID and one flow per record otherwise; constituents in both.
const Layout kLayouts[] = {
    {"rafts", "rafts", 0.0, 0},
    {"rafts_with_constituents", "rafts   ", -7.5, 2},
    {"positive_header_value", "XP-SWMM", 1.5, 0},
    {"per_record", "XP-SWMM", 0.0, 0},
    {"per_record_with_constituents", "RAFTS", -2.0, 3},
};

xpgen::File standard_file(int type, const Layout& layout) {
  xpgen::File f;
  f.type = type;
  f.source = layout.source;
  f.hdrvalue = layout.hdrvalue;
  f.nconst = layout.nconst;
  f.ids = kIds;
  f.starttime = 84600;
  f.startdate = 1999365;
  f.steps = standard_steps(layout.nconst);
  return f;
}

void expect_standard_values(const xpgen::File& f, const Result& r) {
  ASSERT_EQ(r.nsteps, 6);
  ASSERT_EQ(r.nlocs, 3);
  ASSERT_EQ(r.names.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(r.names[i], xpgen::returned_id(f, kIds[i])) << i;
  EXPECT_EQ(r.times, kHours);
  ASSERT_EQ(r.flows.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(r.flows[i].size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(r.flows[i][k], static_cast<float>(flow(i, k))) << i << "," << k;
  }
  EXPECT_EQ(r.console, "");
}

class XpLayouts : public xptest::XpTest, public ::testing::WithParamInterface<std::tuple<int, Layout>> {};

TEST_P(XpLayouts, EveryValueComesBack) {
  const auto& [type, layout] = GetParam();
  const xpgen::File f = standard_file(type, layout);
  const std::string path = put("run.int", f);
  xp::BinaryInput in;
  ASSERT_TRUE(in.open(path));
  xp::HeaderFields fields;
  EXPECT_EQ(xp::XPDETECTFORMAT(in, fields), type);
  in.close();
  expect_standard_values(f, read(path));
}

TEST_P(XpLayouts, BigEndianFilesAreNotInterfaceFiles) {
  const auto& [type, layout] = GetParam();
  xpgen::File f = standard_file(type, layout);
  f.big_endian = true;
  Result given;
  given.names = {"kept"};
  given.times = {1.0f};
  given.flows = {{2.0f}};
  const Result r = read(put("big.int", f), Call{}, given);
  EXPECT_EQ(r.nsteps, 0);
  EXPECT_EQ(r.nlocs, 0);
  EXPECT_EQ(r.names, given.names);
  EXPECT_EQ(r.times, given.times);
  EXPECT_EQ(r.flows, given.flows);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, XpLayouts, ::testing::Combine(::testing::Values(1, 2, 3, 4, 5), ::testing::ValuesIn(kLayouts)),
                         [](const auto& info) {
                           return "type" + std::to_string(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
                         });

class XpReader : public xptest::XpTest {};

TEST_F(XpReader, OneLocationIsFoundAsAKeyword) {
  xpgen::File f = standard_file(2, kLayouts[3]);
  f.ids = {"Alpha", "BETA", "beta"};
  const std::string path = put("one.int", f);
  for (const std::string wanted : {"beta", "  'Beta'", "\"BETA\"   "}) {
    const Result r = read(path, Call{false, 10000, 1, false, wanted});
    EXPECT_TRUE(r.found) << wanted;
    EXPECT_EQ(r.nsteps, 6);
    EXPECT_EQ(r.nlocs, 3) << "the location capacity is not checked for one location";
    EXPECT_EQ(r.times, kHours);
    ASSERT_EQ(r.flows.size(), 1u);
    std::vector<float> second;
    for (std::size_t k = 0; k < 6; ++k) second.push_back(static_cast<float>(flow(1, k)));
    EXPECT_EQ(r.flows[0], second) << "the first matching location";
    EXPECT_EQ(r.names, std::vector<std::string>{wanted}) << "names are not written for one location";
  }
  const Result missing = read(path, Call{false, 10000, 10000, false, "gamma"});
  EXPECT_FALSE(missing.found);
  EXPECT_EQ(missing.nsteps, 6);
  EXPECT_TRUE(missing.times.empty() && missing.flows.empty());
}

TEST_F(XpReader, CountOnlyReturnsTheStepCount) {
  const std::string path = put("count.int", standard_file(4, kLayouts[0]));
  const Result r = read(path, Call{true, 1, 1, true, ""});
  EXPECT_EQ(r.nsteps, 6);
  EXPECT_EQ(r.nlocs, -99) << "not set";
  EXPECT_TRUE(r.names.empty() && r.times.empty() && r.flows.empty());
  EXPECT_EQ(r.console, "") << "no capacity check";
}

TEST_F(XpReader, TheFirstStepsDayIsTheOrigin) {
  // 3600 s on the first day gives 1 hour, 0 s on it 0 hours; day numbers
  // count on across the leap year 2000 (2000300 to 2001001 is 67 days).
  xpgen::File f = standard_file(1, kLayouts[0]);
  f.ids = {"A"};
  f.steps = {{2000001, 3600, 0, {1}, {}}, {2000001, 0, 0, {2}, {}}, {2000002, 0, 0, {3}, {}}};
  Result r = read(put("origin.int", f));
  EXPECT_EQ(r.times, (std::vector<float>{1.0f, 0.0f, 24.0f}));
  f.steps = {{2000001, 0, 0, {1}, {}},
             {2000100, 0, 0, {2}, {}},
             {2000200, 0, 0, {3}, {}},
             {2000300, 0, 0, {4}, {}},
             {2001001, 0, 0, {5}, {}}};
  r = read(put("year.int", f));
  EXPECT_EQ(r.times, (std::vector<float>{0.0f, 99 * 24.0f, 199 * 24.0f, 299 * 24.0f, 366 * 24.0f}));
}

TEST_F(XpReader, LayoutAIsGivenUpAfterAHugeDateUnlessTheHeaderValueIsPositive) {
  for (const double hdrvalue : {0.0, 2.0}) {
    xpgen::File f = standard_file(2, kLayouts[0]);
    f.hdrvalue = hdrvalue;
    f.ids = {"A", "B"};
    f.steps.clear();
    for (int k = 0; k < 4; ++k) f.steps.push_back({100000000, 600.0 * k, 0, {1.0 * k, 2.0 * k}, {}});
    const Result r = read(put("huge_date.int", f));
    ASSERT_EQ(r.nsteps, 4) << hdrvalue;
    EXPECT_EQ(r.times, (std::vector<float>{0.0f, 1.0f / 6, 2.0f / 6, 0.5f}));
    EXPECT_EQ(r.flows[1], (std::vector<float>{0, 2, 4, 6}));
  }
}

TEST_F(XpReader, TwoFilesInARowAreIndependent) {
  // An abandoned layout, then a plain file: the second reads as if alone.
  xpgen::File first = standard_file(3, kLayouts[0]);
  first.steps[0].jday = -200000000;
  const std::string a = put("a.int", first);
  const std::string b = put("b.int", standard_file(3, kLayouts[0]));
  const Result alone = read(b);
  read(a);
  const Result after = read(b);
  EXPECT_EQ(after.times, alone.times);
  EXPECT_EQ(after.flows, alone.flows);
  expect_standard_values(standard_file(3, kLayouts[0]), after);
}

TEST_F(XpReader, HostArraysLayout) {
  // Element length 20 for the names, leading dimension 8 for 6 steps: only
  // the filled part changes; FOUND is written as -1.
  const std::string path = put("host.int", standard_file(5, kLayouts[2]));
  std::string names(4 * 20, '#');
  std::vector<float> times(8, -1.0f), flows(8 * 4, -1.0f);
  const std::int32_t maxsteps = 8, maxlocs = 4;
  std::int32_t nsteps = 0, nlocs = 0;
  lib::abi::flogical all = 1, found = 0, count_only = 0;  // lowest bit set: true
  xp::abi::XPREADSWMMINTFILE(path.data(), &all, names.data(), times.data(), flows.data(), &maxsteps, &maxlocs, &nsteps,
                             &nlocs, &found, &count_only, path.size(), 20);
  ASSERT_EQ(nsteps, 6);
  EXPECT_EQ(nlocs, 3);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(names.substr(0, 20), "INFLOW_A            ");
  EXPECT_EQ(names.substr(40, 20), "Outlet num          ") << "10-character packed IDs";
  EXPECT_EQ(names.substr(60), std::string(20, '#'));
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(times[k], k < 6 ? kHours[k] : -1.0f);
    for (std::size_t i = 0; i < 4; ++i)
      EXPECT_EQ(flows[i * 8 + k], k < 6 && i < 3 ? static_cast<float>(flow(i, k)) : -1.0f) << i << "," << k;
  }

  // One location, named in a 6-character element.
  std::string wanted = "node-2";
  std::fill(flows.begin(), flows.end(), -1.0f);
  all = 0;
  xp::abi::XPREADSWMMINTFILE(path.data(), &all, wanted.data(), times.data(), flows.data(), &maxsteps, &maxlocs,
                             &nsteps, &nlocs, &found, &count_only, path.size(), wanted.size());
  EXPECT_EQ(found, -1);
  EXPECT_EQ(flows[5], static_cast<float>(flow(1, 5)));
  EXPECT_EQ(flows[8], -1.0f);
}

}  // namespace
