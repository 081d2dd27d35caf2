// The XP interface reader on damaged and extreme files: each gives its
// documented counts and messages, and no count from a file's header makes it
// allocate memory that the file's own bytes do not call for.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "xp_test_support.h"

namespace {

using xptest::Call;
using xptest::le;
using xptest::Result;

const std::string kTooManySteps =
    "ERROR 0130 - Exceeded number of allowable XP interface timesteps - contact flowtab@example.org\n"
    "\nPress Enter to Continue\n";
const std::string kTooManyNodes =
    "ERROR 0131 - Exceeded number of allowable XP interface nodes - contact flowtab@example.org\n"
    "\nPress Enter to Continue\n";

// Three locations, `nsteps` steps 5 minutes apart.
xpgen::File base(int type, const char* source = "rafts", int nsteps = 6) {
  xpgen::File f;
  f.type = type;
  f.source = source;
  f.ids = {"ONE", "TWO", "THREE"};
  for (int k = 0; k < nsteps; ++k) f.steps.push_back({2000001, 300.0 * k, 300, {1.0 * k, 2.0 * k, 3.0 * k}, {}});
  return f;
}
xpgen::File huge_counts(xpgen::File f) {
  f.nloc = 100000;
  f.nconst = 1000;
  return f;
}
xpgen::File no_locations(xpgen::File f) {
  f.ids.clear();
  for (auto& s : f.steps) s.q.clear();
  return f;
}

std::uint32_t length_at(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
// The framed record at byte `at` with its last 4 data bytes taken out.
std::string shortened(std::string b, std::size_t at) {
  const std::uint32_t len = length_at(b, at);
  b.erase(at + len, 4);
  return b.replace(at, 4, le(len - 4)).replace(at + len, 4, le(len - 4));
}

struct Malformed {
  std::string name;
  std::string bytes;
  std::int32_t nsteps;
  std::int32_t nlocs;
  std::string console = "";
  Call call = {};
  std::vector<std::string> names = {};  // when given: the names returned
};

std::vector<Malformed> cases() {
  std::string noise(4000, '\0');
  std::uint32_t x = 12345;
  for (char& ch : noise) ch = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  std::vector<Malformed> c = {{"empty", "", 0, 0}, {"noise", noise, 0, 0}};
  for (int type = 1; type <= 5; ++type) {
    const auto n = [&](const char* name) { return std::string(name) + "_type" + std::to_string(type); };
    const auto w = xpgen::write(base(type, type % 2 ? "rafts" : "SWMM"));
    c.push_back({n("cut_in_record_3"), w.bytes.substr(0, 170), 0, 0});
    c.push_back({n("cut_in_step_4"), w.bytes.substr(0, w.step_offsets[3] + 13), 3, 3});
    c.push_back({n("header_only"), w.bytes.substr(0, w.steps_offset), 0, 3});
    c.push_back({n("too_many_steps"), w.bytes, -1, 3, kTooManySteps, Call{true, 5, 2, false, ""}});
    c.push_back({n("too_many_locations"), w.bytes, -1, 3, kTooManyNodes, Call{true, 6, 2, false, ""}});
    c.push_back({n("huge_counts"), xpgen::write(huge_counts(base(type, "rafts", 0))).bytes, -1, 100000, kTooManyNodes});
    c.push_back({n("huge_counts_one_location"), xpgen::write(huge_counts(base(type, "SWMM", 3))).bytes, 0, 100000, "",
                 Call{false, 10000, 10000, false, "ONE"}});
    c.push_back({n("no_location_many_steps"), xpgen::write(no_locations(base(type, "rafts", 10001))).bytes, -1, 0,
                 kTooManySteps});
    c.push_back({n("no_location_few_steps"), xpgen::write(no_locations(base(type, "SWMM", 5))).bytes, 0, 0});
    // Dates at the ends of the 32-bit range in every block: equal, so accepted.
    xpgen::File dated = base(type, "SWMM", 3000);
    for (auto& s : dated.steps) s.jday = type % 2 ? INT32_MAX : INT32_MIN;
    c.push_back({n("huge_dates"), xpgen::write(dated).bytes, 3000, 3});
    if (type == 1 || type == 3) {
      // Cut in the second ID record: the IDs read, blanks for the others.
      const std::size_t first_id = type == 1 ? 368 : 416, id_record = type == 1 ? 16 : 24;
      const std::string blank(16, ' ');
      c.push_back({n("cut_in_ids"), xpgen::write(base(type, "SWMM")).bytes.substr(0, first_id + id_record + 9), 0, 3,
                   "", Call{}, {"ONE             ", blank, blank}});
    }
    if (!xpgen::is_framed(type)) continue;
    // Damage in the third step of framed files: counting stops before it.
    const auto a = xpgen::write(base(type, "rafts")), b = xpgen::write(base(type, "SWMM"));
    const std::size_t at = a.step_offsets[2], bt = b.step_offsets[2];
    const auto r = static_cast<std::size_t>(xpgen::real_bytes(type));
    c.push_back({n("cut_in_length_word"), a.bytes.substr(0, at + 2), 2, 3});
    std::string bytes = a.bytes;
    c.push_back({n("huge_length_word"), bytes.replace(at, 4, le(0x7FFFFFF0)), 2, 3});
    bytes = b.bytes;
    c.push_back({n("negative_length_word"), bytes.replace(bt, 4, le(0xFFFFFFF0)), 2, 3});
    bytes = a.bytes;
    c.push_back({n("trailing_word_differs"), bytes.replace(at + 4 + length_at(bytes, at), 4, le(1)), 2, 3});
    c.push_back({n("short_step_record"), shortened(a.bytes, at), 2, 3});
    c.push_back({n("short_flow_record"), shortened(b.bytes, bt + (12 + 2 * r) + (8 + r)), 2, 3});  // second flow
  }
  c.push_back({"bad_first_length_word", "\xF0\xFF\xFF\x7F" + xpgen::write(base(3)).bytes.substr(4), 0, 0});
  return c;
}

class XpMalformed : public xptest::XpTest {};

TEST_F(XpMalformed, EachGivesItsCountsAndMessages) {
  for (const Malformed& m : cases()) {
    Result given;
    given.times = {-1.0f};
    given.flows = {{-1.0f}};
    if (m.call.all_locs) given.names = {"given"};
    const Result r = read(put("bad.int", m.bytes), m.call, given);
    EXPECT_EQ(std::make_tuple(r.nsteps, r.nlocs, r.console), std::make_tuple(m.nsteps, m.nlocs, m.console)) << m.name;
    if (r.nsteps < 0 || r.nlocs < 1) {
      // Capacity errors and files without locations leave the arrays alone.
      EXPECT_EQ(std::tie(r.names, r.times, r.flows), std::tie(given.names, given.times, given.flows)) << m.name;
    } else if (m.call.all_locs) {
      EXPECT_EQ(r.names.size(), 3u) << m.name;
      if (!m.names.empty()) {
        EXPECT_EQ(r.names, m.names) << m.name;
      }
      EXPECT_EQ(r.times.size(), static_cast<std::size_t>(r.nsteps)) << m.name;
    }
  }
}

#if !defined(__SANITIZE_ADDRESS__)
// Bytes of private memory the process has now (VmData of /proc/self/status).
std::size_t data_bytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  std::size_t kb = 0;
  while (status >> key) {
    if (key == "VmData:" && status >> kb) return kb * 1024;
    status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  }
  return 0;
}

TEST_F(XpMalformed, NoCountFromAHeaderDrivesAnAllocation) {
  // Every file again, in a child process that may take only 64 MiB more
  // memory than it has: a header's counts (up to 100000 locations of 1000
  // constituents) must not size anything.  An allocation that fails ends the
  // read with the out-of-memory message, and the child with status 3.
  std::vector<std::pair<std::string, Call>> files;
  for (const Malformed& m : cases()) files.push_back({put(m.name, m.bytes), m.call});
  const pid_t pid = testing_support::fork_child();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const rlimit limit{data_bytes() + (std::size_t{64} << 20), RLIM_INFINITY};
    if (::setrlimit(RLIMIT_DATA, &limit) != 0) ::_exit(2);
    for (const auto& [path, call] : files) {
      try {
        read(path, call);
      } catch (const platform::ProcessEnded&) {
        ::_exit(3);
      }
    }
    ::_exit(0);
  }
  const int status = testing_support::wait_child(pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif

TEST_F(XpMalformed, WhatCannotBeOpenedIsNotRecognised) {
  for (const std::string& path : {(dir_.path() / "missing.int").string(), dir_.path().string(),
                                  std::string("/dev/zero"), std::string("")}) {
    const Result r = read(path);
    EXPECT_EQ(std::make_tuple(r.nsteps, r.nlocs), std::make_tuple(0, 0)) << path;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "missing.int")) << "never created";
}

}  // namespace
