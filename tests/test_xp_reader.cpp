// The XP interface reader on well-formed files of all five layouts: every ID,
// time and flow that was written comes back, in both calling forms.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "xp_test_support.h"
#include "xpinterface/header.h"
#include "xpinterface/steps.h"

namespace {

using xptest::Call;
using xptest::Result;

// Three locations, six steps 30 minutes apart from 23:30 on the last day of
// 1999 across the year end: hours 23.5 to 26 after 00:00 of the first day.
const std::vector<std::string> kIds = {"INFLOW_A", "node-2", "Outlet number 9 long"};
const std::vector<float> kHours = {23.5f, 24.0f, 24.5f, 25.0f, 25.5f, 26.0f};
double flow(std::size_t i, std::size_t k) { return 10.0 * static_cast<double>(i + 1) + 0.1 * static_cast<double>(k) - 0.003; }

// Packed IDs and one-record steps (a "rafts" source or a positive header
// value), one ID and one flow per record otherwise; constituents in both.
struct Layout {
  const char* source;
  double hdrvalue;
  int nconst;
  bool packed;
};
const Layout kLayouts[] = {
    {"rafts", 0.0, 0, true}, {"rafts   ", -7.5, 2, true}, {"XP-SWMM", 1.5, 0, true},
    {"XP-SWMM", 0.0, 0, false}, {"RAFTS", -2.0, 3, false},
};

xpgen::File standard_file(int type, const Layout& layout) {
  xpgen::File f;
  f.type = type;
  f.source = layout.source;
  f.hdrvalue = layout.hdrvalue;
  f.nconst = layout.nconst;
  f.ids = kIds;
  for (std::size_t k = 0; k < kHours.size(); ++k) {
    const double seconds = 84600.0 + 1800.0 * static_cast<double>(k);
    xpgen::Step s{seconds < 86400 ? 1999365 : 2000001, seconds < 86400 ? seconds : seconds - 86400, 1800, {}, {}};
    for (std::size_t i = 0; i < kIds.size(); ++i) s.q.push_back(flow(i, k));
    s.c.assign(kIds.size() * static_cast<std::size_t>(layout.nconst), -1000.0);
    f.steps.push_back(s);
  }
  return f;
}

class XpReader : public xptest::XpTest {};

TEST_F(XpReader, EveryValueOfEveryLayoutComesBack) {
  for (const int type : {1, 2, 3, 4, 5}) {
    for (const Layout& layout : kLayouts) {
      SCOPED_TRACE(testing::Message() << "type " << type << ", source " << layout.source << ", " << layout.hdrvalue);
      xpgen::File f = standard_file(type, layout);
      EXPECT_EQ(detect(xpgen::write(f).bytes), type);
      const Result r = read(put("run.int", f));
      ASSERT_EQ(std::make_tuple(r.nsteps, r.nlocs, r.console), std::make_tuple(6, 3, ""));
      // Packed IDs of files with 32-bit reals are 10 characters long.
      const char* third = layout.packed && type != 1 && type != 3 ? "Outlet num      " : "Outlet number 9 ";
      EXPECT_EQ(r.names, (std::vector<std::string>{"INFLOW_A        ", "node-2          ", third}));
      EXPECT_EQ(r.times, kHours);
      ASSERT_EQ(r.flows.size(), 3u);
      for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t k = 0; k < 6; ++k)
          EXPECT_EQ(r.flows[i].at(k), static_cast<float>(flow(i, k))) << i << "," << k;

      // The same file in big-endian byte order is no interface file; the
      // caller's arrays stay as they were.
      f.big_endian = true;
      const Result given{0, 0, false, {"kept"}, {1.0f}, {{2.0f}}, ""};
      const Result big = read(put("big.int", f), Call{}, given);
      EXPECT_EQ(std::tie(big.nsteps, big.nlocs, big.names, big.times, big.flows),
                std::tie(given.nsteps, given.nlocs, given.names, given.times, given.flows));
    }
  }
}

// Flows of many steps, stored a run of steps at a time: every one comes
// back, also from a last run cut short; steps asked for beyond the file's
// last get time and flows 0, those before them their own.
TEST_F(XpReader, ManyStepsAndStepsBeyondTheFile) {
  constexpr std::size_t kSteps = 37;
  for (const int type : {1, 2, 3, 4, 5}) {
    xpgen::File f = standard_file(type, kLayouts[type % 2 == 0 ? 0 : 3]);
    f.steps.resize(kSteps, f.steps.back());
    for (std::size_t k = 0; k < kSteps; ++k)
      for (std::size_t i = 0; i < kIds.size(); ++i) f.steps[k].q[i] = flow(i, k);
    const std::string path = put("many.int", f);
    for (const std::size_t asked : {kSteps, kSteps + 8}) {
      xp::BinaryInput in;
      xp::Header h;
      ASSERT_TRUE(in.open(path));
      h.type = &xp::file_type(xp::XPDETECTFORMAT(in, h.fields));
      xp::read_rest_of_header(in, h);
      std::vector<std::vector<float>> flows(kIds.size(), std::vector<float>(asked, -1.0f));
      std::vector<float*> columns;
      for (auto& c : flows) columns.push_back(c.data());
      std::vector<float> times(asked, -1.0f);
      xp::store_steps(in, h, asked, times.data(), xp::FlowColumns{columns.data(), 0, kIds.size()});
      for (std::size_t k = 0; k < asked; ++k) {
        for (std::size_t i = 0; i < kIds.size(); ++i)
          ASSERT_EQ(flows[i][k], k < kSteps ? static_cast<float>(flow(i, k)) : 0.0f) << type << ": " << i << "," << k;
        EXPECT_TRUE(k < kSteps || times[k] == 0.0f) << k;
      }
    }
  }
}

TEST_F(XpReader, OneLocationIsFoundAsAKeywordAndCountOnlyCounts) {
  xpgen::File f = standard_file(2, kLayouts[3]);
  f.ids = {"Alpha", "BETA", "beta"};
  const std::string path = put("one.int", f);
  std::vector<float> second;
  for (std::size_t k = 0; k < 6; ++k) second.push_back(static_cast<float>(flow(1, k)));
  for (const std::string wanted : {"beta", "  'Beta'", "\"BETA\"   "}) {
    // The location capacity is not checked for one location.
    const Result r = read(path, Call{false, 10000, 1, false, wanted});
    EXPECT_TRUE(r.found) << wanted;
    EXPECT_EQ(std::make_tuple(r.nsteps, r.nlocs, r.times), std::make_tuple(6, 3, kHours)) << wanted;
    EXPECT_EQ(r.flows, std::vector<std::vector<float>>{second}) << "the first matching location";
    EXPECT_EQ(r.names, std::vector<std::string>{wanted}) << "names are not written for one location";
  }
  const Result missing = read(path, Call{false, 10000, 10000, false, "gamma"});
  EXPECT_FALSE(missing.found);
  EXPECT_EQ(missing.nsteps, 6);
  EXPECT_TRUE(missing.times.empty() && missing.flows.empty());

  const Result counted = read(path, Call{true, 1, 1, true, ""});
  EXPECT_EQ(std::make_tuple(counted.nsteps, counted.nlocs, counted.console), std::make_tuple(6, -99, ""))
      << "nlocs is not set";
  EXPECT_TRUE(counted.names.empty() && counted.times.empty() && counted.flows.empty());
}

TEST_F(XpReader, HostArraysLayout) {
  // Names of 20 characters, leading dimension 8 for 6 steps: only the filled
  // part changes; a logical is true by its lowest bit; FOUND is written -1.
  const std::string path = put("host.int", standard_file(5, kLayouts[2]));
  std::string names(4 * 20, '#');
  std::vector<float> times(8, -1.0f), flows(8 * 4, -1.0f);
  const std::int32_t maxsteps = 8, maxlocs = 4;
  std::int32_t nsteps = 0, nlocs = 0;
  lib::abi::flogical all = 1, found = 0, count_only = 0;
  xp::abi::XPREADSWMMINTFILE(path.data(), &all, names.data(), times.data(), flows.data(), &maxsteps, &maxlocs, &nsteps,
                             &nlocs, &found, &count_only, path.size(), 20);
  EXPECT_EQ(std::make_tuple(nsteps, nlocs, found), std::make_tuple(6, 3, 0));
  EXPECT_EQ(names, "INFLOW_A            node-2              Outlet num          " + std::string(20, '#'));
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(times[k], k < 6 ? kHours[k] : -1.0f);
    for (std::size_t i = 0; i < 4; ++i)
      EXPECT_EQ(flows[i * 8 + k], k < 6 && i < 3 ? static_cast<float>(flow(i, k)) : -1.0f) << i << "," << k;
  }
  std::string wanted = "node-2";  // one location, named in a 6-character element
  std::fill(flows.begin(), flows.end(), -1.0f);
  all = 0;
  xp::abi::XPREADSWMMINTFILE(path.data(), &all, wanted.data(), times.data(), flows.data(), &maxsteps, &maxlocs,
                             &nsteps, &nlocs, &found, &count_only, path.size(), wanted.size());
  EXPECT_EQ(found, -1);
  EXPECT_EQ(flows[5], static_cast<float>(flow(1, 5)));
  EXPECT_EQ(flows[8], -1.0f);
}

}  // namespace
