// The time-step blocks of an interface file: reading one block, counting the
// blocks, and storing their times and flows.
//
// A step comes in one of two layouts, chosen afresh before each block: one
// record holding date, time, step length and every flow (layout A, when the
// header value is positive, or for a "rafts" source until a block's date
// reaches 100000000 in absolute value), or a record of date, time and step
// length followed by one record per flow and per constituent value (layout
// B).  Counting and storing read the blocks with the same rule, each pass
// with its own memory of whether layout A has been given up.
//
// Counting accepts a block when its time lies within 10,000,000 seconds of
// the last accepted block; the count is the number of blocks up to the last
// accepted one.  After a block that fails this test, counting goes on with
// the next block; after a block that cannot be read it stops, so every
// counted block can be read again by the storing pass.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xpinterface/binary_input.h"
#include "xpinterface/header.h"

namespace xp {

// Where the storing pass puts flows: location first + j goes to
// columns[j][step] for j < count; other locations are passed over.
struct FlowColumns {
  float* const* columns = nullptr;
  std::size_t first = 0;
  std::size_t count = 0;
};

// Reads step blocks one after the other from where the input stands.
class StepReader {
 public:
  StepReader(BinaryInput& in, const Header& h);
  // Reads the next block; its flows go to `to` at `step` (nullptr: none are
  // kept).  The status of the read: 0 when the whole block was read.
  int read(const FlowColumns* to, std::size_t step);
  // Date and seconds of the day of the block read last; a read that did not
  // reach them leaves them as they were.
  std::int32_t jday() const { return jday_; }
  double timesec() const { return timesec_; }

 private:
  int read_one_record(const FlowColumns* to, std::size_t step);
  int read_per_location(const FlowColumns* to, std::size_t step);

  BinaryInput& in_;
  const FileType& type_;
  std::uint64_t nloc_;
  std::uint64_t nconst_;
  bool always_a_;      // a positive header value: layout A throughout
  bool rafts_;         // a "rafts" source: layout A until it is given up
  bool layout_a_off_ = false;
  std::int32_t jday_ = 0;
  double timesec_ = 0;
  double deltasec_ = 0;
};

// The number of step blocks up to the last accepted one.
std::int64_t count_steps(BinaryInput& in, const Header& h);

// Reads the first `nsteps` blocks: times[k] := hours of block k after 00:00
// of the first block's day, and the flows into `to`.  A block that cannot be
// read (the file changed since it was counted) and every later one get time
// and flows 0.
void store_steps(BinaryInput& in, const Header& h, std::size_t nsteps, float* times, const FlowColumns& to);

}  // namespace xp
