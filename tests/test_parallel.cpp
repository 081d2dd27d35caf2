// Work shared among the threads: every piece runs exactly once, also when a
// piece shares out work of its own, and the calling thread waits for all;
// small work stays on the calling thread, and threads the system refuses
// leave the work to those it gave.
#include "converter/parallel.h"

#include <sched.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "converter/writers/tiles.h"
#include "platform/connections.h"
#include "platform/cpus.h"
#include "test_support.h"

namespace {

using conv::parallel::Kind;
using conv::parallel::Work;
namespace for_tests = conv::parallel::for_tests;

constexpr std::size_t kSmall = 1024, kLarge = std::size_t{1} << 30;

// Every test leaves the threads, and the system's giving of them, as a run
// has them.
class Parallel : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::for_tests::refuse_threads_after(SIZE_MAX);
    for_tests::use_threads(0);
  }
};

TEST_F(Parallel, EveryIndexOnceAndNestedWorkToo) {
  for (const std::size_t threads : {1, 2, 8}) {
    for_tests::use_threads(threads);
    EXPECT_EQ(conv::parallel::width(), threads);
    for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{10000}}) {
      std::vector<std::atomic<int>> runs(n * 3);
      conv::parallel::for_each(n, {Kind::numbers, kLarge}, [&](std::size_t i) {
        ++runs[3 * i];
        conv::parallel::for_each(2, {Kind::numbers, kLarge}, [&](std::size_t k) { ++runs[3 * i + 1 + k]; });
      });
      for (std::size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i].load(), 1) << threads << " " << n << " " << i;
    }
  }
}

// The threads that run the items of work of 64 items: each item waits (10 s
// at most) until `expected` threads have come, and then lasts a millisecond,
// so that every thread that can take part does.
std::size_t threads_taking_part(Work work, std::size_t expected) {
  std::mutex m;
  std::set<std::thread::id> seen;
  std::vector<std::atomic<int>> runs(64);
  conv::parallel::for_each(runs.size(), work, [&](std::size_t i) {
    ++runs[i];
    {
      const std::lock_guard<std::mutex> lock(m);
      seen.insert(std::this_thread::get_id());
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      {
        const std::lock_guard<std::mutex> lock(m);
        if (seen.size() >= expected) break;
      }
      if (std::chrono::steady_clock::now() > until) break;
      std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  for (const auto& r : runs) EXPECT_EQ(r.load(), 1);
  return seen.size();
}

// Small work of any kind stays on the calling thread whatever the threads;
// large work is shared by all of them.
TEST_F(Parallel, SmallWorkStaysOnTheCallingThreadLargeWorkGoesToAll) {
  const struct {
    std::size_t threads;
    Work work;
    std::size_t taking_part;
  } cases[] = {
      {8, {Kind::line_ends, kSmall}, 1}, {8, {Kind::numbers, kSmall}, 1}, {8, {Kind::values, kSmall}, 1},
      {1, {Kind::numbers, kLarge}, 1},   {2, {Kind::values, kLarge}, 2},  {8, {Kind::line_ends, kLarge}, 8},
      {8, {Kind::numbers, kLarge}, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.threads) + " threads, kind " + std::to_string(static_cast<int>(c.work.kind)) +
                 ", " + std::to_string(c.work.bytes) + " bytes");
    for_tests::use_threads(c.threads);
    EXPECT_EQ(conv::parallel::shared(c.work), c.taking_part > 1);
    EXPECT_EQ(conv::parallel::threads(c.work), c.taking_part);
    EXPECT_EQ(threads_taking_part(c.work, c.taking_part), c.taking_part);
  }
}

// When the system refuses threads, work is shared by those it gave; with
// none, the calling thread does it all.  The tile ring, which counts on four
// other threads formatting when eight are asked for, still writes every
// tile in order.
TEST_F(Parallel, ThreadsTheSystemRefuses) {
  const struct {
    std::size_t given;  // thread starts the system allows
    std::size_t taking_part;
  } cases[] = {{0, 1}, {1, 2}, {3, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.given) + " threads given");
    platform::for_tests::refuse_threads_after(c.given);
    for_tests::use_threads(8);
    EXPECT_EQ(threads_taking_part({Kind::numbers, kLarge}, c.taking_part), c.taking_part);

    testing_support::ScratchDir dir;
    namespace rt = platform::rt;
    ASSERT_EQ(rt::open(42, "tiles.txt", {rt::Form::Formatted, rt::Action::Write, rt::Disposition::Replace}), 0);
    conv::tiles::write_tiles(42, 300, 7, 4, [](char* tile, std::size_t t) {
      return static_cast<std::size_t>(std::snprintf(tile, 7, "%05zu\n", t));
    });
    ASSERT_EQ(rt::close(42), 0);
    std::string want;
    for (std::size_t t = 0; t < 300; ++t)
      want += std::string(5 - std::to_string(t).size(), '0') + std::to_string(t) + "\n";
    EXPECT_EQ(testing_support::read_file("tiles.txt"), want);
  }
}

// Two threads handing a turn back and forth, now and then after a pause long
// enough for the other to fall asleep: no raise may be missed by a waiter.
TEST_F(Parallel, SignalWakesAwakeAndSleepingWaiters) {
  conv::parallel::Signal to_a, to_b;
  std::atomic<int> turn{0};
  constexpr int kRounds = 400;
  std::thread b([&] {
    for (int i = 0; i < kRounds; ++i) {
      to_b.wait([&] { return turn.load() == 2 * i + 1; });
      if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      turn.store(2 * i + 2);
      to_a.raise();
    }
  });
  for (int i = 0; i < kRounds; ++i) {
    if (i % 50 == 25) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    turn.store(2 * i + 1);
    to_b.raise();
    to_a.wait([&] { return turn.load() == 2 * i + 2; });
  }
  b.join();
  EXPECT_EQ(turn.load(), 2 * kRounds);
}

// A thread started off a processor never runs there, from its first
// instruction on, and still may run on every other processor of the process.
TEST_F(Parallel, ThreadsStartOffTheGivenProcessor) {
  cpu_set_t mine;
  ASSERT_EQ(::sched_getaffinity(0, sizeof mine, &mine), 0);
  if (CPU_COUNT(&mine) < 2) GTEST_SKIP() << "one processor";
  int off = 0;
  while (!CPU_ISSET(off, &mine)) ++off;
  std::atomic<bool> done{false};
  cpu_set_t seen;
  CPU_ZERO(&seen);
  ASSERT_TRUE(platform::start_thread(
      [&] {
        ::sched_getaffinity(0, sizeof seen, &seen);
        done.store(true);
      },
      off));
  while (!done.load()) std::this_thread::yield();
  EXPECT_FALSE(CPU_ISSET(off, &seen));
  CPU_CLR(off, &mine);
  EXPECT_TRUE(CPU_EQUAL(&seen, &mine));
}

// A thread keeps to its processor while it says so, and then gets its
// processors back.
TEST_F(Parallel, StayPutKeepsAThreadToItsProcessorForAWhile) {
  cpu_set_t before, inside, after;
  ASSERT_EQ(::sched_getaffinity(0, sizeof before, &before), 0);
  if (CPU_COUNT(&before) < 2) GTEST_SKIP() << "one processor";
  {
    const platform::StayPut here;
    ASSERT_EQ(::sched_getaffinity(0, sizeof inside, &inside), 0);
    EXPECT_EQ(CPU_COUNT(&inside), 1);
    EXPECT_TRUE(CPU_ISSET(platform::current_cpu(), &inside));
  }
  ASSERT_EQ(::sched_getaffinity(0, sizeof after, &after), 0);
  EXPECT_TRUE(CPU_EQUAL(&after, &before));
}

// What the C library found out at start-up agrees with asking the processor.
TEST_F(Parallel, VectorUnitsAsTheProcessorTells) {
#if defined(__x86_64__)
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt");
#else
  const bool avx2 = false;
#endif
  EXPECT_EQ(platform::has_avx2(), avx2);
  // Unless a test asks for the plain code.
  platform::for_tests::use_plain_code(true);
  EXPECT_FALSE(platform::has_avx2());
  platform::for_tests::use_plain_code(false);
  EXPECT_EQ(platform::has_avx2(), avx2);
}

}  // namespace
