#include "converter/writers/tiles.h"

#include <atomic>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/connections.h"

namespace conv::tiles {

namespace {

// A failed write is kept by the connection and reported when the file loop
// closes the unit.
void put_text(std::int32_t unit, std::string_view text) { platform::rt::write_text(unit, text); }

}  // namespace

void write_tiles(std::int32_t unit, std::size_t ntiles, std::size_t tile_bytes, std::size_t threads,
                 const std::function<std::size_t(char*, std::size_t)>& make) {
  // Once the output has failed (a full disk), nothing more can reach it:
  // no tile is formatted for it any more (not for a later block of the same
  // file either), and the close reports the failure.
  if (platform::rt::write_status(unit) != 0) return;
  if (threads <= 1) {
    const auto tile = std::make_unique_for_overwrite<char[]>(tile_bytes);
    for (std::size_t t = 0; t < ntiles; ++t) {
      if (platform::rt::write_status(unit) != 0) return;
      put_text(unit, std::string_view(tile.get(), make(tile.get(), t)));
    }
    return;
  }
  // Tile t is formatted into slot t % slots once tile t - slots has been
  // written from it.  A tile is taken by counting `next` up from t; whoever
  // takes it formats it.
  const std::size_t slots = std::min(ntiles, threads + 2);
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
  // The helpers are all the other threads, up to `threads` of them.
  const bool lead_formats = parallel::width() - 1 < threads;
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
  parallel::run(helper, lead, threads);
}

}  // namespace conv::tiles
