#include "platform/fpu.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <pmmintrin.h>
#include <xmmintrin.h>
#endif

namespace platform {

void set_flush_denormals() {
#if defined(__x86_64__) || defined(_M_X64)
  _MM_SET_FLUSH_ZERO_MODE(_MM_FLUSH_ZERO_ON);
  _MM_SET_DENORMALS_ZERO_MODE(_MM_DENORMALS_ZERO_ON);
#endif
}

unsigned int for_tests::fp_mode() {
#if defined(__x86_64__) || defined(_M_X64)
  return _mm_getcsr();
#else
  return 0;
#endif
}

void for_tests::set_fp_mode([[maybe_unused]] unsigned int mode) {
#if defined(__x86_64__) || defined(_M_X64)
  _mm_setcsr(mode);
#endif
}

}  // namespace platform
