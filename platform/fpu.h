// Processor floating-point control.
#pragma once

namespace platform {

// Results too small for a normal number become zero, and such numbers taken
// as operands count as zero (flush-to-zero and denormals-are-zero on x86-64;
// nothing elsewhere).  Set once, first thing in the program.
void set_flush_denormals();

}  // namespace platform
