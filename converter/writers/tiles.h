// The rows of a table written a tile at a time: rows of one length stand at
// a fixed stride in a buffer of a few hundred kilobytes, are formatted in
// place and go to the file in one call.  A large table's tiles are formatted
// ahead on other threads, in a ring of a few slots, while one thread writes
// them in order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "converter/parallel.h"

namespace conv::tiles {

// Rows of a table are built a tile of rows at a time, series by series, so
// that each series' values are read in order (reading across hundreds of
// series for every row would miss the cache at nearly every value).  Every
// row of a table has the same length, so the rows of a tile stand at a fixed
// stride in one buffer of about kTileBytes (one row at least), are filled in
// place and written with one call, which a tile that size makes straight to
// the file.
inline constexpr std::size_t kTileBytes = std::size_t{1} << 18;

// Tables that are formatted on several threads (parallel::Kind::rows) are
// cut in tiles of a 32nd of the table within these bounds: a small table
// then holds no more than about a fifth of itself in formatted tiles at a
// time.
inline constexpr std::size_t kSmallestParallelTile = std::size_t{1} << 16;
inline constexpr std::size_t kParallelTileDivisor = 32;

// The bytes of a tile for a table of `total` bytes.
inline std::size_t tile_bytes_for(std::size_t total, bool shared) {
  return shared ? std::clamp(total / kParallelTileDivisor, kSmallestParallelTile, kTileBytes) : kTileBytes;
}

// Writes tiles 0..ntiles-1 of at most tile_bytes to unit in order, where
// make(buffer, t) formats tile t into a buffer and returns its length; it
// stops once the output has failed.  With `threads` above 1, that many
// threads format the tiles ahead while this one writes (and formats as well
// when they are all there are).
void write_tiles(std::int32_t unit, std::size_t ntiles, std::size_t tile_bytes, std::size_t threads,
                 const std::function<std::size_t(char*, std::size_t)>& make);

// Writes records 0..nrows-1 of `length` characters each to unit (the line
// ends are added): fill(first, stride, r0, n) fills records r0..r0+n-1, the
// record r0 + r at first + r * stride.  `fill` may run on several threads at
// once, each on its own tile.
template <class Fill>
void write_tiled(std::int32_t unit, std::size_t nrows, std::size_t length, Fill fill) {
  const std::size_t stride = length + 1;
  const std::size_t threads = parallel::threads({parallel::Kind::rows, nrows * stride});
  // Tiles large enough to go to the file straight from where they were
  // formatted; smaller when shared, so that every thread holds a few in hand.
  const std::size_t tile_rows = std::min(nrows, (tile_bytes_for(nrows * stride, threads > 1) + stride - 1) / stride);
  if (tile_rows == 0) return;
  write_tiles(unit, (nrows + tile_rows - 1) / tile_rows, tile_rows * stride, threads, [&](char* tile, std::size_t t) {
    const std::size_t r0 = t * tile_rows;
    const std::size_t n = std::min(tile_rows, nrows - r0);
    fill(tile, stride, r0, n);
    for (std::size_t r = 0; r < n; ++r) tile[r * stride + length] = '\n';
    return n * stride;
  });
}

}  // namespace conv::tiles
