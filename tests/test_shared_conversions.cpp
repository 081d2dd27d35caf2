// Whole conversions of inputs large enough for every part of the work that
// is shared among threads (tables read ahead, series grown, peaks found,
// rows formatted in the tile ring): on 2 and 8 threads, and with the AVX2
// field code as well as the plain one, the console, the exit status and
// every file are those of one thread running the plain code, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "bench/rorb_generator.h"
#include "bench/rows_generator.h"
#include "bench/urbs_generator.h"
#include "converter/parallel.h"
#include "platform/cpus.h"
#include "transcript_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::write_file;

// An input and the switches of its kind.
struct Input {
  std::string kind_flags, file, contents;
};

// Each about 2 MB: every batch read ahead from half a megabyte on is split
// into lines on several threads, and every table is at least a megabyte of
// rows and hundreds of thousands of values.
Input input(const std::string& kind) {
  // A block of 30 hydrographs, about 300 bytes a row.
  if (kind == "rorb") return {"-rorb", "run.out", bench::rorb_file(1, 30, 6000)};
  if (kind == "urbs") return {"-urbs", "run.q", bench::urbs_file(40, 4000, false)};
  if (kind == "urbs_dated") return {"-urbs -date", "run.q", bench::urbs_file(40, 4000, true)};
  // Twenty blocks of 10,000 values, ten to a line.
  return {"-rows", "run.txt", bench::rows_file(20, 10000)};
}

// Runs the program in process on `in` in the current folder with the given
// threads and field code; the outputs are removed afterwards.
transcript::Outcome convert(const Input& in, const std::string& output_flag, std::size_t threads, bool plain) {
  conv::parallel::for_tests::use_threads(threads);
  platform::for_tests::use_plain_code(plain);
  const auto args = transcript::words("./flowtab -b " + in.kind_flags + " " + output_flag + " " + in.file);
  transcript::Outcome o;
  {
    testing_support::Console con;
    o.status = transcript::flowtab_in_process(args);
    o.console = con.text();
  }
  o.files = transcript::files_and_bytes_here();
  for (const auto& [name, bytes] : o.files)
    if (name != in.file) fs::remove(name);
  return o;
}

class SharedConversion : public ::testing::TestWithParam<std::tuple<std::string, std::string>> {
 protected:
  void TearDown() override {
    conv::parallel::for_tests::use_threads(0);
    platform::for_tests::use_plain_code(false);
  }
};

TEST_P(SharedConversion, SameOnEveryThreadCountAndFieldCode) {
  const auto& [kind, output_flag] = GetParam();
  const Input in = input(kind);
  testing_support::ScratchDir dir;
  write_file(in.file, in.contents);
  const transcript::Outcome want = convert(in, output_flag, 1, true);
  ASSERT_EQ(want.status, 0) << want.console.substr(0, 2000);
  std::size_t large = 0;
  for (const auto& [name, bytes] : want.files) large += bytes.size() > (std::size_t{1} << 20) ? 1 : 0;
  ASSERT_EQ(large, 2u) << "the input and its table are over a megabyte";

  const struct {
    std::size_t threads;
    bool plain;
  } variants[] = {{1, false}, {2, true}, {2, false}, {8, true}, {8, false}};
  for (const auto& v : variants) {
    SCOPED_TRACE(std::to_string(v.threads) + " threads, " + (v.plain ? "plain" : "AVX2") + " field code");
    transcript::expect_same_outcome(convert(in, output_flag, v.threads, v.plain), want);
  }
}

INSTANTIATE_TEST_SUITE_P(ReadAheadKinds, SharedConversion,
                         ::testing::Combine(::testing::Values("rorb", "urbs", "urbs_dated", "rows"),
                                            ::testing::Values("", "-csv", "-ts2")),
                         [](const auto& info) {
                           const std::string format = std::get<1>(info.param);
                           return std::get<0>(info.param) + "_" + (format.empty() ? "ts1" : format.substr(1));
                         });

}  // namespace
