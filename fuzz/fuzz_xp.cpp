// Fuzzes the xp input path of the converter (see fuzz/driver.h).
#include "fuzz/driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzzing::Kind kind{"-xp", "run.int", "", false};
  fuzzing::run_kind(kind, data, size);
  return 0;
}
