// Reading interface files item by item: the read semantics of framed records
// and of partial items, runs of reals longer than the read-ahead window, and
// the open and close by file type.
#include "xpinterface/binary_input.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "platform/connections.h"
#include "xp_test_support.h"

namespace {

using xp::BinaryInput;
using xptest::le;

std::string record(const std::string& data) {
  return le(static_cast<std::uint32_t>(data.size())) + data + le(static_cast<std::uint32_t>(data.size()));
}

class XpBinaryInput : public xptest::XpTest {
 protected:
  BinaryInput& open(const std::string& bytes) {
    EXPECT_TRUE(in_.open(put("b.bin", bytes)));
    return in_;
  }
  BinaryInput in_;
};

TEST_F(XpBinaryInput, AFramedReadTakesOneRecordAndAShortOneFails) {
  BinaryInput& in = open(record(le(1) + le(2)) + record("") + record(le(4)) + record(le(5) + le(6)));
  in.restart(xp::Framing::Framed);
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
  EXPECT_EQ(std::vector<std::int32_t>({a, b, c}), std::vector<std::int32_t>({1, 4, 0})) << "c not transferred";
  in.begin();
  in.skip(4);
  in.i32(c);
  EXPECT_EQ(std::make_pair(in.end(), c), std::make_pair(0, 6)) << "the failed read moved on to the next record";
  in.begin();
  EXPECT_EQ(in.end(), BinaryInput::kEnd);
}

TEST_F(XpBinaryInput, AStreamItemIsReadWholeOrNotAtAll) {
  BinaryInput& in = open(le(7) + "xy");
  std::int32_t v = 0;
  in.begin();
  in.i32(v);
  in.i32(v);
  EXPECT_EQ(std::make_pair(in.end(), v), std::make_pair(BinaryInput::kEnd, 7));
  EXPECT_EQ(in.position(), in.size());
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
  for (std::size_t i = 0; i < 20000; ++i) {
    ASSERT_EQ(wide[i], static_cast<float>(static_cast<double>(i) / 3.0)) << i;
    ASSERT_EQ(narrow[i], static_cast<float>(i) * 0.5f) << i;
  }
  EXPECT_EQ(narrow[20000], -1.0f) << "the values that fit are transferred, no more";
}

TEST_F(XpBinaryInput, XpOpenTakesTheLowestFreeUnitAndConnectsTypesOneToFour) {
  namespace rt = platform::rt;
  BinaryInput others[4];  // on units 1 to 4: the next free unit is 7
  for (BinaryInput& o : others) ASSERT_TRUE(o.open(put("other.bin", "x")));
  for (const int type : {1, 2, 3, 4, 5, -1}) {
    xpgen::File f;
    f.type = std::abs(type);
    f.ids = {"N1", "N2", "N3"};
    const std::string path = put("t.int", f);
    // Only the first 256 characters name the file, trailing blanks dropped.
    in_.XPOPEN(type == 2 ? path + std::string(256 - path.size(), ' ') + "cut" : path, type);
    xp::HeaderFields h;
    const int status = xp::read_first_records(in_, xp::file_type(f.type), h);
    const bool opened = type >= 1 && type <= 4;  // types 5 and -1 hold the unit, unconnected
    EXPECT_EQ(std::make_tuple(in_.unit(), rt::is_connected(7), in_.is_open(), status, h.nloc),
              std::make_tuple(7, opened, opened, opened ? 0 : BinaryInput::kEnd, opened ? 3 : 0)) << type;
    in_.XPCLOSE();
    EXPECT_EQ(std::make_pair(in_.unit(), rt::is_connected(7)), std::make_pair(0, false)) << type;
  }
}

// A file cut after it was opened: the first read that needs bytes past the
// cut ends the run with the message, in either form (the counting and the
// storing pass read through both), with what the console held before it.
TEST_F(XpBinaryInput, AFileCutAfterItsOpenEndsTheRunAtTheReadPastTheCut) {
  std::string records;
  for (std::uint32_t i = 0; i < 100000; ++i) records += record(le(i));  // 12 bytes each
  const std::uint64_t cut = records.size() / 2, past = cut + 12 * 20000;
  for (const xp::Framing framing : {xp::Framing::Stream, xp::Framing::Framed}) {
    const std::string path = put("cut.bin", records);
    ASSERT_TRUE(in_.open(path));
    in_.restart(framing);
    std::int32_t v = 0;
    in_.begin();
    in_.skip(framing == xp::Framing::Stream ? 4 : 0);
    in_.i32(v);
    ASSERT_EQ(std::make_pair(in_.end(), v), std::make_pair(0, 0));
    std::filesystem::resize_file(path, cut);
    console_.clear();
    platform::console::put("before");
    in_.restart(framing, past);
    const int status = testing_support::status_of([&] {
      in_.begin();
      in_.i32(v);
    });
    EXPECT_EQ(status, 1) << static_cast<int>(framing);
    EXPECT_EQ(console_.text(), "before\nERROR - Input file changed while it was read: " + path + "\n");
    in_.close();
  }
}

}  // namespace
