// The binary record forms of a unit connection: stream (bytes at a position,
// and typed values in the connection's byte order), framed (records between
// two 4-byte little-endian counts) and direct (fixed-length records by
// number).  They share the unit table with the formatted connections
// (platform/connection_table.h) and read and write through the connection's
// FileIO without a text view of the file.
#include "platform/connections.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

#include "platform/connection_table.h"
#include "platform/file_io.h"

namespace platform::rt {

using detail::Connection;
using detail::kMaxOffset;
using detail::require;

namespace {

bool swap_needed(ByteOrder order) {
  switch (order) {
    case ByteOrder::Big:
      return std::endian::native != std::endian::big;
    case ByteOrder::Little:
      return std::endian::native != std::endian::little;
    case ByteOrder::Native:
      break;
  }
  return false;
}

template <std::size_t N>
void order_bytes(std::array<unsigned char, N>& b, ByteOrder order) {
  if (swap_needed(order)) std::reverse(b.begin(), b.end());
}

template <class T>
int read_typed(int unit, T& v) {
  std::array<unsigned char, sizeof(T)> b;
  if (int s = read_bytes(unit, b.data(), b.size())) return s;
  order_bytes(b, require(unit, "read", Form::Stream, true, false).options.order);
  v = std::bit_cast<T>(b);
  return 0;
}

template <class T>
int write_typed(int unit, T v) {
  auto b = std::bit_cast<std::array<unsigned char, sizeof(T)>>(v);
  const Connection& c = require(unit, "write", Form::Stream, false, true);
  order_bytes(b, c.options.order);
  return write_bytes(unit, b.data(), b.size());
}

std::uint32_t get_le32(const unsigned char* b) {
  return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

void put_le32(unsigned char* b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Byte offset of a direct-access record; false when the number is out of range.
bool direct_offset(const Connection& c, std::int64_t record, std::uint64_t& off) {
  const std::uint64_t len = c.options.record_length;
  if (record < 1) return false;
  const std::uint64_t index = static_cast<std::uint64_t>(record) - 1;
  if (index > (kMaxOffset - len) / len) return false;
  off = index * len;
  return true;
}

}  // namespace

int read_bytes(int unit, void* buffer, std::size_t n) {
  Connection& c = require(unit, "read", Form::Stream, true, false);
  std::size_t got = 0;
  const int s = c.io->read_at(c.pos, buffer, n, got);
  c.pos += got;
  if (s) return s;
  return got < n ? kEnd : 0;
}

int write_bytes(int unit, const void* buffer, std::size_t n) {
  Connection& c = require(unit, "write", Form::Stream, false, true);
  if (int s = c.io->write_at(c.pos, buffer, n)) return s;
  c.pos += n;
  return 0;
}

int seek(int unit, std::uint64_t position) {
  Connection& c = require(unit, "seek", Form::Stream, false, false);
  if (position > kMaxOffset) return EINVAL;
  c.pos = position;
  return 0;
}

std::uint64_t tell(int unit) { return require(unit, "tell", Form::Stream, false, false).pos; }

std::uint64_t length(int unit) { return require(unit, "length", Form::Stream, false, false).io->size(); }

int read_framed(int unit, std::vector<unsigned char>& record) {
  Connection& c = require(unit, "read", Form::Framed, true, false);
  record.clear();
  unsigned char mark[4];
  std::size_t got = 0;
  if (int s = c.io->read_at(c.pos, mark, 4, got)) return s;
  if (got == 0) return kEnd;
  if (got < 4) return kBadRecord;
  const std::uint64_t len = get_le32(mark);
  // Check the length against the file before trusting it with an allocation.
  const std::uint64_t size = c.io->size();
  if (c.pos + 4 > size || len + 4 > size - (c.pos + 4)) return kBadRecord;
  try {
    record.resize(static_cast<std::size_t>(len));
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  if (int s = c.io->read_at(c.pos + 4, record.data(), record.size(), got)) return s;
  if (got < len) return kBadRecord;
  if (int s = c.io->read_at(c.pos + 4 + len, mark, 4, got)) return s;
  if (got < 4 || get_le32(mark) != len) {
    record.clear();
    return kBadRecord;
  }
  c.pos += len + 8;
  return 0;
}

int write_framed(int unit, const void* data, std::size_t n) {
  Connection& c = require(unit, "write", Form::Framed, false, true);
  if (n > std::numeric_limits<std::uint32_t>::max()) return EFBIG;
  unsigned char mark[4];
  put_le32(mark, static_cast<std::uint32_t>(n));
  if (int s = c.io->write_at(c.pos, mark, 4)) return s;
  if (int s = c.io->write_at(c.pos + 4, data, n)) return s;
  if (int s = c.io->write_at(c.pos + 4 + n, mark, 4)) return s;
  c.pos += n + 8;
  return 0;
}

int read_direct(int unit, std::int64_t record, void* buffer) {
  Connection& c = require(unit, "read", Form::Direct, true, false);
  std::uint64_t off = 0;
  if (!direct_offset(c, record, off)) return EINVAL;
  std::size_t got = 0;
  if (int s = c.io->read_at(off, buffer, c.options.record_length, got)) return s;
  if (got == 0) return kEnd;
  return got < c.options.record_length ? kBadRecord : 0;
}

int write_direct(int unit, std::int64_t record, const void* buffer) {
  Connection& c = require(unit, "write", Form::Direct, false, true);
  std::uint64_t off = 0;
  if (!direct_offset(c, record, off)) return EINVAL;
  return c.io->write_at(off, buffer, c.options.record_length);
}

int read_i32(int unit, std::int32_t& v) { return read_typed(unit, v); }
int read_f32(int unit, float& v) { return read_typed(unit, v); }
int read_f64(int unit, double& v) { return read_typed(unit, v); }
int write_i32(int unit, std::int32_t v) { return write_typed(unit, v); }
int write_f32(int unit, float v) { return write_typed(unit, v); }
int write_f64(int unit, double v) { return write_typed(unit, v); }

}  // namespace platform::rt
