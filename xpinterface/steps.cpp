// Step blocks in both layouts, the counting pass and the storing pass.
#include "xpinterface/steps.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "xpinterface/julian_dates.h"

namespace xp {

StepReader::StepReader(BinaryInput& in, const Header& h)
    : in_(in),
      type_(*h.type),
      nloc_(h.fields.nloc > 0 ? static_cast<std::uint64_t>(h.fields.nloc) : 0),
      nconst_(h.fields.nconst > 0 ? static_cast<std::uint64_t>(h.fields.nconst) : 0),
      always_a_(h.fields.hdrvalue > 0),
      rafts_(h.fields.rafts()) {}

int StepReader::read(const FlowColumns* to, std::size_t step) {
  const bool layout_a = always_a_ || (rafts_ && !layout_a_off_);
  return layout_a ? read_one_record(to, step) : read_per_location(to, step);
}

int StepReader::read_one_record(const FlowColumns* to, std::size_t step) {
  const auto r = static_cast<std::uint64_t>(type_.real_bytes);
  in_.begin();
  in_.skip(static_cast<std::uint64_t>(type_.markers_record) * kMarkerBytes);
  in_.i32(jday_);
  in_.real(timesec_, type_.real_bytes);
  in_.real(deltasec_, type_.step_delta_bytes);
  if (to == nullptr) {
    in_.skip(nloc_ * r);
  } else {
    in_.skip(to->first * r);
    in_.reals(to->count, type_.real_bytes, [&](std::size_t j, float v) { to->columns[j][step] = v; });
    in_.skip((nloc_ - to->first - to->count) * r);
  }
  // Whatever the read's status, a date of 100000000 or more in absolute
  // value gives up layout A for the rest of the file.
  if (std::abs(static_cast<std::int64_t>(jday_)) > 99999999) layout_a_off_ = true;
  return in_.end();
}

int StepReader::read_per_location(const FlowColumns* to, std::size_t step) {
  const auto r = static_cast<std::uint64_t>(type_.real_bytes);
  in_.begin();
  in_.i32(jday_);
  in_.real(timesec_, type_.real_bytes);
  in_.real(deltasec_, type_.real_bytes);
  if (int s = in_.end()) return s;
  for (std::uint64_t i = 0; i < nloc_; ++i) {
    in_.begin();
    if (to != nullptr && i >= to->first && i - to->first < to->count) {
      float* column = to->columns[i - to->first];
      in_.reals(1, type_.real_bytes, [&](std::size_t, float v) { column[step] = v; });
    } else {
      in_.skip(r);
    }
    if (int s = in_.end()) return s;
    for (std::uint64_t j = 0; j < nconst_; ++j) {
      in_.begin();
      in_.skip(r);
      if (int s = in_.end()) return s;
    }
  }
  return 0;
}

std::int64_t count_steps(BinaryInput& in, const Header& h) {
  in.restart(h.type->framing, h.steps_offset);
  StepReader reader(in, h);
  std::int64_t kstep = 1;  // number of the block read next
  std::int64_t stepcount = 0;
  std::int32_t lastday = 0;
  double lastsec = 0;
  enum class Outcome { Accepted, Rejected, Unreadable };
  const auto next = [&] {
    Outcome outcome = Outcome::Unreadable;
    if (reader.read(nullptr, 0) == 0) {
      // The first block is always accepted.
      const float dt = kstep > 1 ? XPELAPSED(lastday, static_cast<float>(lastsec), reader.jday(),
                                             static_cast<float>(reader.timesec()))
                                 : 0.0f;
      if (std::fabs(dt) < 1e7f) {  // false for a dt that is not a number
        lastday = reader.jday();
        lastsec = reader.timesec();
        stepcount = kstep;
        outcome = Outcome::Accepted;
      } else {
        outcome = Outcome::Rejected;
      }
    }
    ++kstep;
    return outcome;
  };
  Outcome outcome;
  while ((outcome = next()) == Outcome::Accepted) {
  }
  // A block out of sequence may be followed by blocks that continue the
  // sequence: count on through them, up to the next block that ends it.
  if (outcome == Outcome::Rejected) {
    while (next() == Outcome::Accepted) {
    }
  }
  return stepcount;
}

void store_steps(BinaryInput& in, const Header& h, std::size_t nsteps, float* times, const FlowColumns& to) {
  in.restart(h.type->framing, h.steps_offset);
  StepReader reader(in, h);
  // A block holds a flow of every location: stored straight into the
  // columns, each would land in another column's memory, a page or more
  // apart.  The flows of kRun blocks are gathered first, column by column,
  // and go to each column in one stretch.
  constexpr std::size_t kRun = 16;
  std::vector<float> gathered(to.count * kRun);
  std::vector<float*> gathered_columns(to.count);
  for (std::size_t c = 0; c < to.count; ++c) gathered_columns[c] = gathered.data() + c * kRun;
  const FlowColumns run{gathered_columns.data(), to.first, to.count};
  const auto hand_over = [&](std::size_t first_step, std::size_t steps) {
    for (std::size_t c = 0; c < to.count; ++c)
      std::copy_n(gathered_columns[c], steps, to.columns[c] + first_step);
  };
  std::int64_t firstdays = 0;
  for (std::size_t k = 0; k < nsteps; ++k) {
    if (reader.read(&run, k % kRun) != 0) {
      hand_over(k - k % kRun, k % kRun);
      for (std::size_t j = k; j < nsteps; ++j) {
        times[j] = 0.0f;
        for (std::size_t c = 0; c < to.count; ++c) to.columns[c][j] = 0.0f;
      }
      return;
    }
    if (k % kRun == kRun - 1 || k + 1 == nsteps) hand_over(k - k % kRun, k % kRun + 1);
    const std::int64_t days = XPJULIANDAYS(reader.jday());
    if (k == 0) firstdays = days;
    const float seconds = static_cast<float>(static_cast<double>((days - firstdays) * 86400) + reader.timesec());
    times[k] = seconds / 3600.0f;
  }
}

}  // namespace xp
