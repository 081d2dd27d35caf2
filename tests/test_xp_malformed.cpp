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
using xptest::Result;

const std::string kTooManySteps =
    "ERROR 0130 - Exceeded number of allowable XP interface timesteps - contact flowtab@example.org\n"
    "\nPress Enter to Continue\n";
const std::string kTooManyNodes =
    "ERROR 0131 - Exceeded number of allowable XP interface nodes - contact flowtab@example.org\n"
    "\nPress Enter to Continue\n";

xpgen::File base(int type, const char* source = "rafts", int nsteps = 6) {
  xpgen::File f;
  f.type = type;
  f.source = source;
  f.ids = {"ONE", "TWO", "THREE"};
  for (int k = 0; k < nsteps; ++k) f.steps.push_back({2000001, 300.0 * k, 300, {1.0 * k, 2.0 * k, 3.0 * k}, {}});
  return f;
}

std::string le(std::uint32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  return b;
}

// Data length of the framed record at byte `at`.
std::uint32_t length_at(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

// The record at byte `at` of a framed file with `cut` fewer data bytes.
std::string shortened_record(std::string bytes, std::size_t at, std::uint32_t cut) {
  const std::uint32_t len = length_at(bytes, at);
  bytes.erase(at + 4 + len - cut, cut);
  bytes.replace(at, 4, le(len - cut));
  bytes.replace(at + 4 + len - cut, 4, le(len - cut));
  return bytes;
}

struct Malformed {
  const char* name;
  std::function<std::string()> bytes;
  std::int32_t nsteps;
  std::int32_t nlocs;
  std::string console = "";
  Call call = {};
};

std::vector<Malformed> cases() {
  std::vector<Malformed> c;
  c.push_back({"empty", [] { return std::string(); }, 0, 0});
  c.push_back({"noise",
               [] {
                 std::string s(4000, '\0');
                 std::uint32_t x = 12345;
                 for (char& ch : s) ch = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
                 return s;
               },
               0, 0});
  for (int type = 1; type <= 5; ++type) {
    const std::string t = std::to_string(type);
    c.push_back({"cut_in_record_3", [=] { return xpgen::write(base(type)).bytes.substr(0, 170); }, 0, 0});
    c.push_back({"cut_in_step_4",
                 [=] {
                   const auto w = xpgen::write(base(type, type % 2 ? "rafts" : "SWMM"));
                   return w.bytes.substr(0, w.step_offsets[3] + 13);
                 },
                 3, 3});
    c.push_back({"header_only", [=] { return xpgen::write(base(type, "SWMM", 0)).bytes; }, 0, 3});
    c.push_back({"too_many_steps", [=] { return xpgen::write(base(type)).bytes; }, -1, 3, kTooManySteps,
                 Call{true, 5, 2, false, ""}});
    c.push_back({"too_many_locations", [=] { return xpgen::write(base(type)).bytes; }, -1, 3, kTooManyNodes,
                 Call{true, 6, 2, false, ""}});
    c.push_back({"one_location_beyond_the_location_capacity", [=] { return xpgen::write(base(type)).bytes; }, 6, 3, "",
                 Call{false, 6, 2, false, "nowhere"}});
    c.push_back({"huge_counts",
                 [=] {
                   xpgen::File f = base(type, "rafts", 0);
                   f.nloc = 100000;
                   f.nconst = 1000;
                   return xpgen::write(f).bytes;
                 },
                 -1, 100000, kTooManyNodes});
    c.push_back({"huge_counts_one_location",
                 [=] {
                   xpgen::File f = base(type, "SWMM", 3);
                   f.nloc = 100000;
                   f.nconst = 1000;
                   return xpgen::write(f).bytes;
                 },
                 0, 100000, "", Call{false, 10000, 10000, false, "ONE"}});
    c.push_back({"no_location_many_steps",
                 [=] {
                   xpgen::File f = base(type, "rafts", 10001);
                   f.ids.clear();
                   for (auto& s : f.steps) s.q.clear();
                   return xpgen::write(f).bytes;
                 },
                 -1, 0, kTooManySteps});
    c.push_back({"no_location_few_steps",
                 [=] {
                   xpgen::File f = base(type, "SWMM", 5);
                   f.ids.clear();
                   for (auto& s : f.steps) s.q.clear();
                   return xpgen::write(f).bytes;
                 },
                 0, 0});
    c.push_back({"huge_dates_throughout",
                 [=] {
                   xpgen::File f = base(type, "SWMM", 3000);
                   for (auto& s : f.steps) s.jday = type % 2 ? std::numeric_limits<std::int32_t>::max()
                                                             : std::numeric_limits<std::int32_t>::min();
                   return xpgen::write(f).bytes;
                 },
                 3000, 3});
  }
  for (const int type : {3, 4}) {
    const auto step3 = [=](const char* source, std::function<std::string(std::string, std::size_t)> damage) {
      return [=] {
        const auto w = xpgen::write(base(type, source));
        return damage(w.bytes, w.step_offsets[2]);
      };
    };
    const auto word = [](std::uint32_t v) {
      return [=](std::string b, std::size_t at) { return b.replace(at, 4, le(v)); };
    };
    c.push_back({"huge_length_word", step3("rafts", word(0x7FFFFFF0)), 2, 3});
    c.push_back({"negative_length_word", step3("SWMM", word(0xFFFFFFF0)), 2, 3});
    c.push_back({"trailing_word_differs",
                 step3("rafts",
                       [](std::string b, std::size_t at) {
                         const std::uint32_t len = length_at(b, at);
                         return b.replace(at + 4 + len, 4, le(len + 4));
                       }),
                 2, 3});
    c.push_back({"short_step_record",
                 step3("rafts", [](std::string b, std::size_t at) { return shortened_record(b, at, 4); }), 2, 3});
    c.push_back({"short_flow_record",
                 step3("SWMM",
                       [=](std::string b, std::size_t at) {
                         // The second location's flow record of the third step.
                         const std::size_t head = 8 + 4 + 2 * static_cast<std::size_t>(xpgen::real_bytes(type));
                         return shortened_record(b, at + head + 8 + static_cast<std::size_t>(xpgen::real_bytes(type)), 4);
                       }),
                 2, 3});
  }
  // (A type-4 file with a damaged first length word is a type-5 header: its
  // other length words stand where type 5 has marker words.)
  c.push_back({"bad_first_length_word", [=] { return le(0x7FFFFFF0) + xpgen::write(base(3)).bytes.substr(4); }, 0, 0});
  return c;
}

class XpMalformed : public xptest::XpTest {};

TEST_F(XpMalformed, EachGivesItsCountsAndMessages) {
  for (const Malformed& m : cases()) {
    const std::string bytes = m.bytes();
    const std::string path = put("bad.int", bytes);
    Result given;
    given.times = {-1.0f};
    given.flows = {{-1.0f}};
    if (m.call.all_locs) given.names = {"given"};
    const Result r = read(path, m.call, given);
    const std::string what = std::string(m.name) + " (" + std::to_string(bytes.size()) + " bytes)";
    EXPECT_EQ(r.nsteps, m.nsteps) << what;
    EXPECT_EQ(r.nlocs, m.nlocs) << what;
    EXPECT_EQ(r.console, m.console) << what;
    if (r.nsteps < 0 || r.nlocs < 1) {
      EXPECT_EQ(r.names, given.names) << what;
      EXPECT_EQ(r.times, given.times) << what;
      EXPECT_EQ(r.flows, given.flows) << what;
    } else if (m.call.all_locs) {
      EXPECT_EQ(r.names.size(), static_cast<std::size_t>(r.nlocs)) << what;
      EXPECT_EQ(r.times.size(), static_cast<std::size_t>(r.nsteps)) << what;
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
  for (const Malformed& m : cases()) files.push_back({put(std::string(m.name) + std::to_string(files.size()), m.bytes()), m.call});
  const pid_t pid = ::fork();
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
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

TEST_F(XpMalformed, AFileCutInItsIdsGivesTheIdsReadAndNoStep) {
  for (const int type : {1, 3}) {
    const auto w = xpgen::write(base(type, "SWMM"));
    const std::size_t first_id = type == 1 ? 368 : 416;
    const std::size_t id_bytes = type == 1 ? 16 : 24;
    const Result r = read(put("cut_ids.int", w.bytes.substr(0, first_id + id_bytes + 9)));
    EXPECT_EQ(r.nsteps, 0) << type;
    EXPECT_EQ(r.nlocs, 3) << type;
    EXPECT_EQ(r.names, (std::vector<std::string>{"ONE             ", std::string(16, ' '), std::string(16, ' ')})) << type;
  }
}

TEST_F(XpMalformed, TooManyStepsForTheConvertersCapacity) {
  xpgen::File f = base(2, "rafts", 10001);
  f.ids = {"ONLY"};
  for (auto& s : f.steps) s.q = {s.timesec};
  const std::string path = put("long.int", f);
  Result r = read(path);
  EXPECT_EQ(r.nsteps, -1);
  EXPECT_EQ(r.nlocs, 1);
  EXPECT_EQ(r.console, kTooManySteps);
  r = read(path, Call{true, 10001, 1, false, ""});
  EXPECT_EQ(r.nsteps, 10001);
  EXPECT_EQ(r.flows[0][10000], 3000000.0f);
}

TEST_F(XpMalformed, AWildDateInsideTheCountIsStoredWithItsOwnTime) {
  // Block 6 is dated at the largest 32-bit value: it fails the time test but
  // blocks 7 to 10 follow on from block 5, so it is counted and stored.  Its
  // day also gives up the one-record layout for the blocks after it.
  xpgen::File f = base(1, "rafts", 10);
  f.steps[5].jday = std::numeric_limits<std::int32_t>::max();  // year 2147483, day 647
  const Result r = read(put("wild.int", f));
  ASSERT_EQ(r.nsteps, 10);
  std::int64_t days = 647 - 1;
  for (std::int64_t y = 2000; y < 2147483; ++y) days += (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 366 : 365;
  EXPECT_EQ(r.times[5], static_cast<float>(static_cast<double>(days * 86400) + 1500.0) / 3600.0f);
  EXPECT_EQ(r.times[9], 2700.0f / 3600.0f);
  EXPECT_EQ(r.flows[2][9], 27.0f);
}

TEST_F(XpMalformed, WhatCannotBeOpenedIsNotRecognised) {
  for (const std::string& path : {(dir_.path() / "missing.int").string(), dir_.path().string(), std::string("/dev/zero"),
                                 std::string("")}) {
    const Result r = read(path);
    EXPECT_EQ(r.nsteps, 0) << path;
    EXPECT_EQ(r.nlocs, 0) << path;
  }
}

}  // namespace
