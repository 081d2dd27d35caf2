// Processor floating-point control.
#pragma once

namespace platform {

// Results too small for a normal number become zero, and such numbers taken
// as operands count as zero (flush-to-zero and denormals-are-zero on x86-64;
// nothing elsewhere).  Set once, first thing in the program.
void set_flush_denormals();

// For tests only: no option of the program reaches these.
namespace for_tests {

// The floating-point control word as it stands (MXCSR on x86-64; 0
// elsewhere), and putting back one taken earlier: a test that runs the
// program in-process keeps the mode it had.
unsigned int fp_mode();
void set_fp_mode(unsigned int mode);

}  // namespace for_tests

}  // namespace platform
