// Work shared among the threads: every piece runs exactly once, also when a
// piece shares out work of its own, and the calling thread waits for all.
#include "converter/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

TEST(Parallel, EveryIndexOnceAndNestedWorkToo) {
  for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{10000}}) {
    std::vector<std::atomic<int>> runs(n * 3);
    conv::parallel::for_each(n, [&](std::size_t i) {
      ++runs[3 * i];
      conv::parallel::for_each(2, [&](std::size_t k) { ++runs[3 * i + 1 + k]; });
    });
    for (std::size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i].load(), 1) << n << " " << i;
  }
}

}  // namespace
