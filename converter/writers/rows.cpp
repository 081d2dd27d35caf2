#include "converter/writers/rows.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "library/ffmt.h"
#include "platform/console.h"
#include "platform/units.h"

namespace conv::rows {

// A failed write is kept by the connection and reported when the file loop
// closes the unit.
void put_record(std::int32_t unit, std::string_view text) { platform::rt::write_record(unit, text); }
void put_text(std::int32_t unit, std::string_view text) { platform::rt::write_text(unit, text); }

void write_tiles(std::int32_t unit, std::size_t ntiles, std::size_t tile_bytes, bool shared,
                 const std::function<std::size_t(char*, std::size_t)>& make) {
  // Once the output has failed (a full disk), nothing more can reach it:
  // no tile is formatted for it any more (not for a later block of the same
  // file either), and the close reports the failure.
  if (platform::rt::write_status(unit) != 0) return;
  if (!shared) {
    const auto tile = std::make_unique_for_overwrite<char[]>(tile_bytes);
    for (std::size_t t = 0; t < ntiles; ++t) {
      if (platform::rt::write_status(unit) != 0) return;
      put_text(unit, std::string_view(tile.get(), make(tile.get(), t)));
    }
    return;
  }
  // Four threads formatting keep up with the writing thread's copies into
  // the file; more only compete with it for memory.
  constexpr std::size_t kFormattingThreads = 4;
  // Tile t is formatted into slot t % slots once tile t - slots has been
  // written from it.  A tile is taken by counting `next` up from t; whoever
  // takes it formats it.
  const std::size_t formatting = std::min(parallel::width(), kFormattingThreads);
  const std::size_t slots = std::min(ntiles, formatting + 2);
  // Left as allocated: each slot's memory is first touched by the thread
  // that formats into it, not by this one up front.
  const auto ring = std::make_unique_for_overwrite<char[]>(slots * tile_bytes);
  std::vector<std::size_t> length(slots);
  // The tile a slot holds formatted (ntiles: none yet).
  std::vector<std::atomic<std::size_t>> holds(slots);
  for (auto& h : holds) h.store(ntiles, std::memory_order_relaxed);
  std::atomic<std::size_t> next{0}, written{0};
  std::atomic<bool> stop{false};
  parallel::Signal slot_freed, tile_formatted;
  // Formats tile u, taken, into its slot and marks it ready.
  const auto format = [&](std::size_t u) {
    const std::size_t slot = u % slots;
    length[slot] = make(ring.get() + slot * tile_bytes, u);
    holds[slot].store(u, std::memory_order_release);
  };
  const auto helper = [&] {
    for (;;) {
      std::size_t t = next.load();
      const auto can_take = [&] {
        t = next.load();
        return stop.load() || t >= ntiles || t < written.load() + slots;
      };
      slot_freed.wait(can_take);
      if (stop.load() || t >= ntiles) return;
      if (!next.compare_exchange_strong(t, t + 1)) continue;  // taken by another
      format(t);
      tile_formatted.raise();
    }
  };
  const bool lead_formats = parallel::width() - 1 < kFormattingThreads;
  const auto lead = [&] {
    for (std::size_t t = 0; t < ntiles; ++t) {
      const std::size_t slot = t % slots;
      // While tile t is not ready, this thread formats tile t itself when no
      // helper has taken it, so that the writing never waits for a thread to
      // wake, or for one the system did not give.  With fewer helpers than
      // formatting threads it also formats any later tile with a free slot:
      // then the formatting, not the writing, holds the table up.
      while (holds[slot].load(std::memory_order_acquire) != t) {
        std::size_t u = next.load();
        if (u < ntiles && (u == t || lead_formats) && u < written.load() + slots &&
            next.compare_exchange_strong(u, u + 1)) {
          format(u);
        } else {
          tile_formatted.wait([&] { return holds[slot].load(std::memory_order_acquire) == t; });
        }
      }
      if (platform::rt::write_status(unit) != 0) break;
      put_text(unit, std::string_view(ring.get() + slot * tile_bytes, length[slot]));
      written.store(t + 1);
      slot_freed.raise_one();
    }
    stop.store(true);
    slot_freed.raise();
  };
  parallel::run(helper, lead, kFormattingThreads);
}

void announce_writing(std::string_view ext) {
  platform::console::empty_line();
  std::string text = "Writing to ";
  text += ext;
  text += " file...";
  platform::console::line(text);
}

void put_values(char* first, std::size_t stride, const float* v, std::size_t n) {
  ffmt::put_F_column(first, stride, kFieldWidth, 3, v, n);
}

void heading(std::string& buf, std::string_view label, const SeriesTable& table, SeriesRange range) {
  buf = label;
  for (std::size_t i = range.first; i < range.last; ++i) {
    buf += ',';
    buf += table.series[i].name;
  }
}

void write_axis_rows(TimeColumn column, const SeriesTable& table, const TimeAxis& axis, SeriesRange range,
                     std::int32_t unit_a, std::int32_t unit_b) {
  const auto nrows = static_cast<std::size_t>(std::max(axis.NMAX, 0));
  constexpr std::size_t kField = kFieldWidth;
  // The time, then per series "," and a field.
  const std::size_t length = kField + (kField + 1) * (range.last - range.first);
  const auto rows = [&](bool local) {
    return [&, local](char* first, std::size_t stride, std::size_t r0, std::size_t n) {
      for (std::size_t r = 0; r < n; ++r) {
        const float t = axis.time_of_row(static_cast<std::int32_t>(r0 + r + 1));
        if (column == TimeColumn::Minutes)
          ffmt::put_F(first + r * stride, kFieldWidth, 2, t);
        else
          ffmt::put_F(first + r * stride, kFieldWidth, 4, t / 60.0f);
      }
      const std::int64_t row0 = static_cast<std::int64_t>(r0) + 1;
      // The rows of this tile (0-based, [first, last)) that show one of
      // series i's values, and those values from the first of them on.
      struct Shown {
        std::size_t first, last;
        const float* values;
      };
      const auto shown = [&](std::size_t i) {
        const std::vector<float>& values = local ? table.series[i].qloc : table.series[i].q;
        const auto [first_shown, last_shown] = axis.rows_shown(values, i);
        const std::int64_t lo = std::max(first_shown, row0);
        const std::int64_t hi = std::min(last_shown, row0 + static_cast<std::int64_t>(n) - 1);
        if (lo > hi) return Shown{0, 0, nullptr};
        return Shown{static_cast<std::size_t>(lo - row0), static_cast<std::size_t>(hi - row0 + 1),
                     values.data() + (lo - axis.ISTART[i])};
      };
      // Rows from..to - 1 of series i's column: the comma, then the value or blanks.
      const auto column = [&](std::size_t i, const Shown& s, std::size_t from, std::size_t to) {
        char* col = first + kField + (kField + 1) * (i - range.first);
        for (std::size_t r = from; r < to; ++r) col[r * stride] = ',';
        ++col;
        const std::size_t lo = std::clamp(s.first, from, to), hi = std::clamp(s.last, lo, to);
        blank_fields(col + from * stride, stride, lo - from, kField);
        if (hi > lo) put_values(col + lo * stride, stride, s.values + (lo - s.first), hi - lo);
        blank_fields(col + hi * stride, stride, to - hi, kField);
      };
      // Asks for the values of series i..i+7 in this tile: no hardware
      // prefetcher follows that many short runs at once.
      const auto find_and_prefetch = [&](std::size_t i, Shown* s) {
        for (std::size_t j = 0; j < 8; ++j) {
          s[j] = shown(i + j);
          for (std::size_t k = s[j].first; k < s[j].last; k += 16) __builtin_prefetch(s[j].values + (k - s[j].first));
        }
      };
      std::size_t i = range.first;
      Shown s[8], next[8];
      if (i + 8 <= range.last) find_and_prefetch(i, next);
      // Eight series at a time, along the rows where all eight show values.
      for (; i + 8 <= range.last; i += 8) {
        std::copy(std::begin(next), std::end(next), std::begin(s));
        if (i + 16 <= range.last) find_and_prefetch(i + 8, next);
        std::size_t lo = 0, hi = n;
        for (std::size_t j = 0; j < 8; ++j) {
          lo = std::max(lo, s[j].first);
          hi = std::min(hi, s[j].last);
        }
        if (hi <= lo) {
          for (std::size_t j = 0; j < 8; ++j) column(i + j, s[j], 0, n);
          continue;
        }
        const float* v[8];
        for (std::size_t j = 0; j < 8; ++j) {
          column(i + j, s[j], 0, lo);
          column(i + j, s[j], hi, n);
          v[j] = s[j].values + (lo - s[j].first);
        }
        ffmt::put_F_eight_columns(first + kField + (kField + 1) * (i - range.first) + lo * stride, stride,
                                  kField + 1, ',', kField, 3, v, hi - lo);
      }
      for (; i < range.last; ++i) column(i, shown(i), 0, n);
    };
  };
  write_tiled(unit_a, nrows, length, rows(false));
  if (unit_b != 0) write_tiled(unit_b, nrows, length, rows(true));
}

}  // namespace conv::rows
