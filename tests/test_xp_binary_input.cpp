// Reading interface files item by item: stream and framed reads, and length
// words that must not be trusted.
#include "xpinterface/binary_input.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using xp::BinaryInput;
using xp::Framing;

std::string le(std::uint32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  return b;
}
std::string record(const std::string& data) { return le(static_cast<std::uint32_t>(data.size())) + data + le(static_cast<std::uint32_t>(data.size())); }

class XpBinaryInput : public ::testing::Test {
 protected:
  BinaryInput& open(const std::string& bytes) {
    const std::string p = (dir_.path() / "b.bin").string();
    testing_support::write_file(p, bytes);
    EXPECT_TRUE(in_.open(p));
    return in_;
  }
  testing_support::TempFolder dir_;
  BinaryInput in_;
};

TEST_F(XpBinaryInput, StreamItemsFollowOnAndAPartialItemIsNotTransferred) {
  BinaryInput& in = open(le(7) + le(std::bit_cast<std::uint32_t>(2.5f)) + "abc" + "xy");
  std::int32_t i = 0;
  double r = 0;
  char t[4] = "---";
  in.begin();
  in.i32(i);
  in.begin();  // a new statement goes on where the last one stopped
  in.real(r, 4);
  in.text(t, 3);
  EXPECT_EQ(in.end(), 0);
  EXPECT_EQ(i, 7);
  EXPECT_EQ(r, 2.5);
  EXPECT_EQ(std::string(t, 3), "abc");
  in.begin();
  in.i32(i);
  EXPECT_EQ(in.end(), BinaryInput::kEnd);
  EXPECT_EQ(i, 7) << "two bytes are not an integer";
  EXPECT_EQ(in.position(), in.size());
}

TEST_F(XpBinaryInput, FramedReadsTakeOneRecordEach) {
  BinaryInput& in = open(record(le(1) + le(2) + le(3)) + record("") + record(le(4)) + record(le(5) + le(6)));
  in.restart(Framing::Framed);
  std::int32_t a = 0, b = 0, c = 0;
  in.begin();
  in.i32(a);  // the rest of the record is skipped
  EXPECT_EQ(in.end(), 0);
  in.begin();  // an empty record is still a record
  EXPECT_EQ(in.end(), 0);
  in.begin();
  in.i32(b);
  in.i32(c);
  EXPECT_EQ(in.end(), BinaryInput::kShortRecord);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 4);
  EXPECT_EQ(c, 0) << "not transferred";
  in.begin();
  in.skip(4);
  in.i32(c);
  EXPECT_EQ(in.end(), 0) << "the failed read moved on to the next record";
  EXPECT_EQ(c, 6);
  in.begin();
  EXPECT_EQ(in.end(), BinaryInput::kEnd);
}

TEST_F(XpBinaryInput, LengthWordsAreNeverTrusted) {
  struct Case {
    const char* name;
    std::string bad;
    int status;
  };
  const Case cases[] = {
      {"huge", le(0x7FFFFFF0) + le(1) + le(0x7FFFFFF0), BinaryInput::kEnd},
      {"negative", le(0xFFFFFFF8) + le(1) + le(2), BinaryInput::kBadFraming},
      {"past_the_end", le(100) + le(1) + le(100), BinaryInput::kEnd},
      {"trailing_word_differs", le(4) + le(1) + le(8), BinaryInput::kBadFraming},
      {"cut_length_word", std::string("\x04\x00", 2), BinaryInput::kEnd},
  };
  for (const Case& c : cases) {
    const bool last = c.bad.size() < 4;
    BinaryInput& in = open(record(le(9)) + c.bad + (last ? "" : record(le(10))));
    in.restart(Framing::Framed);
    std::int32_t v = 0;
    in.begin();
    in.i32(v);
    EXPECT_EQ(in.end(), 0) << c.name;
    in.begin();
    in.i32(v);
    EXPECT_EQ(in.end(), c.status) << c.name;
    EXPECT_EQ(v, 9) << c.name;
    in.begin();
    EXPECT_EQ(in.end(), BinaryInput::kEnd) << c.name << ": the file stands at its end";
  }
}

TEST_F(XpBinaryInput, RealRunsCrossTheReadAheadWindow) {
  // 20000 64-bit reals after an odd offset, then 20000 32-bit reals.
  std::string bytes = "x";
  for (int i = 0; i < 20000; ++i) {
    const auto u = std::bit_cast<std::uint64_t>(i / 3.0);
    bytes += le(static_cast<std::uint32_t>(u)) + le(static_cast<std::uint32_t>(u >> 32));
  }
  for (int i = 0; i < 20000; ++i) bytes += le(std::bit_cast<std::uint32_t>(static_cast<float>(i) * 0.5f));
  BinaryInput& in = open(bytes);
  std::vector<float> wide(20000, -1), narrow(20001, -1);
  in.begin();
  in.skip(1);
  in.reals(20000, 8, [&](std::size_t i, float v) { wide[i] = v; });
  in.reals(20001, 4, [&](std::size_t i, float v) { narrow[i] = v; });
  EXPECT_EQ(in.end(), BinaryInput::kEnd) << "one value too many";
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(wide[static_cast<std::size_t>(i)], static_cast<float>(i / 3.0)) << i;
    ASSERT_EQ(narrow[static_cast<std::size_t>(i)], static_cast<float>(i) * 0.5f) << i;
  }
  EXPECT_EQ(narrow[20000], -1.0f) << "the values that fit are transferred, no more";
}

TEST_F(XpBinaryInput, MissingFilesAndFoldersDoNotOpen) {
  BinaryInput in;
  EXPECT_FALSE(in.open((dir_.path() / "none.int").string()));
  EXPECT_FALSE(in.open(dir_.path().string()));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "none.int")) << "never created";
}

}  // namespace
