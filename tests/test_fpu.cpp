#include "platform/fpu.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Fpu, DenormalsBecomeZero) {
#if defined(__x86_64__)
  volatile float smallest_normal = std::numeric_limits<float>::min();
  volatile float half = 0.5f;
  volatile float denormal_bits = std::numeric_limits<float>::denorm_min();
  EXPECT_NE(smallest_normal * half, 0.0f) << "without the setting the result is a denormal";

  platform::set_flush_denormals();
  volatile float product = smallest_normal * half;
  volatile float operand = denormal_bits * 2.0f;
  EXPECT_EQ(float{product}, 0.0f);
  EXPECT_EQ(float{operand}, 0.0f) << "a denormal operand counts as zero";
#else
  platform::set_flush_denormals();
  GTEST_SKIP() << "no flush-to-zero control on this processor";
#endif
}

}  // namespace
