// Helpers for the routines exported under their plain names to Fortran
// hosts: every argument by reference, the lengths of character arguments
// appended after all other arguments, a character result returned in a
// buffer (pointer and length) passed first, logicals as 32-bit -1/0.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "library/ftext.h"

#define FLOWTAB_EXPORT extern "C" __attribute__((visibility("default")))

namespace lib::abi {

using flogical = std::int32_t;

inline flogical to_flogical(bool b) { return b ? -1 : 0; }
// An argument counts as true when its lowest bit is 1.
inline bool from_flogical(flogical v) { return (v & 1) != 0; }

inline std::string_view text(const char* p, std::size_t n) { return std::string_view(p, n); }

// Stores a text result in the caller's buffer, cut or padded with blanks.
inline void store(char* dst, std::size_t cap, std::string_view s) {
  const std::size_t n = std::min(cap, s.size());
  std::memmove(dst, s.data(), n);
  std::memset(dst + n, ' ', cap - n);
}

// Runs an in-place routine on the caller's text through a copy of it.
template <class F>
auto in_place(char* p, std::size_t n, F&& f) {
  FText t(n, std::string_view(p, n));
  auto r = f(t);
  std::memcpy(p, t.data(), n);
  return r;
}

}  // namespace lib::abi
