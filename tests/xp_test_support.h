// Shared by the tests of the XP interface reader: the program's
// floating-point mode, a scratch folder, a captured console, little-endian
// words, the detected file type, and one call of the reader with every
// result collected.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fpu.h"
#include "test_support.h"
#include "xp_file_writer.h"
#include "xpinterface/binary_input.h"
#include "xpinterface/detection.h"
#include "xpinterface/xpreadswmmintfile.h"

namespace xptest {

// The program runs with denormals flushed and read as zero, which decides
// the plausibility of tiny header values: the reader is tested in that mode.
// The mode there was comes back with the object.
class ProgramFpMode {
 public:
  ProgramFpMode() { platform::set_flush_denormals(); }

 private:
  testing_support::KeptFpMode kept_;  // made before the constructor's body sets the mode
};

// A 32-bit word in little-endian byte order.
inline std::string le(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

struct Result {
  std::int32_t nsteps = -99, nlocs = -99;
  bool found = false;
  std::vector<std::string> names;
  std::vector<float> times;
  std::vector<std::vector<float>> flows;
  std::string console;
};

struct Call {
  bool all_locs = true;
  std::int32_t max_steps = 10000, max_locs = 10000;
  bool count_only = false;
  std::string wanted;  // one location: the ID looked for
};

class XpTest : public ::testing::Test {
 protected:
  std::string put(const std::string& name, const std::string& bytes) {
    const std::string p = (dir_.path() / name).string();
    testing_support::write_file(p, bytes);
    return p;
  }
  std::string put(const std::string& name, const xpgen::File& f) { return put(name, xpgen::write(f).bytes); }

  // The file type the format detection finds in `bytes`.
  int detect(const std::string& bytes) {
    xp::BinaryInput in;
    if (!in.open(put("detect.int", bytes))) return -99;
    xp::HeaderFields fields;
    return xp::XPDETECTFORMAT(in, fields);
  }

  // One call; the vectors of `r` are passed as they are given.
  Result read(const std::string& path, const Call& call = {}, Result r = {}) {
    if (!call.all_locs) r.names = {call.wanted};
    console_.clear();
    xp::XPREADSWMMINTFILE(path, call.all_locs, r.names, r.times, r.flows, call.max_steps, call.max_locs, r.nsteps,
                          r.nlocs, r.found, call.count_only);
    r.console = console_.text();
    return r;
  }

  testing_support::TempFolder dir_;
  testing_support::Console console_;
  ProgramFpMode fp_;
};

}  // namespace xptest
