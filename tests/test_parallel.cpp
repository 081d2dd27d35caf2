// Work shared among the threads: every piece runs exactly once, also when a
// piece shares out work of its own, and the calling thread waits for all.
#include "converter/parallel.h"

#include <sched.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/cpus.h"

namespace {

TEST(Parallel, EveryIndexOnceAndNestedWorkToo) {
  for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{10000}}) {
    std::vector<std::atomic<int>> runs(n * 3);
    conv::parallel::for_each(n, {conv::parallel::Kind::numbers, SIZE_MAX}, [&](std::size_t i) {
      ++runs[3 * i];
      conv::parallel::for_each(2, {conv::parallel::Kind::numbers, SIZE_MAX}, [&](std::size_t k) { ++runs[3 * i + 1 + k]; });
    });
    for (std::size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i].load(), 1) << n << " " << i;
  }
}

// Two threads handing a turn back and forth, now and then after a pause long
// enough for the other to fall asleep: no raise may be missed by a waiter.
TEST(Parallel, SignalWakesAwakeAndSleepingWaiters) {
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
TEST(Parallel, ThreadsStartOffTheGivenProcessor) {
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
TEST(Parallel, StayPutKeepsAThreadToItsProcessorForAWhile) {
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
TEST(Parallel, VectorUnitsAsTheProcessorTells) {
#if defined(__x86_64__)
  __builtin_cpu_init();
  EXPECT_EQ(platform::has_avx2(),
            __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt"));
#else
  EXPECT_FALSE(platform::has_avx2());
#endif
}

}  // namespace
