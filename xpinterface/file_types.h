// The five physical variants of an interface file, as data.
//
// Nothing in an interface file names its type; the same records come as a
// stream of 64-bit or 32-bit reals, as record-framed 64-bit or 32-bit reals,
// or as a stream of 32-bit reals with marker words before certain records.
// Every reading routine takes its item widths and marker counts from this one
// table instead of switching on the type number.
#pragma once

#include <array>
#include <cstdint>

#include "xpinterface/binary_input.h"

namespace xp {

struct FileType {
  int code;              // 1 to 5
  Framing framing;       // stream or record-framed
  int real_bytes;        // the file's real: 8 (types 1, 3) or 4
  int packed_id_bytes;   // one ID of the packed ID record: 16 (types 1, 3) or 10
  int step_delta_bytes;  // DELTASEC of a one-record step: 8, but 4 in type 5
  int markers_first;     // marker words before header record 1 (type 5 only)
  int markers_record;    // before records 2 to 6, the tail value and each one-record step
  int markers_ids;       // before the packed ID record
};

inline constexpr std::array<FileType, 5> kFileTypes{{
    {1, Framing::Stream, 8, 16, 8, 0, 0, 0},
    {2, Framing::Stream, 4, 10, 8, 0, 0, 0},
    {3, Framing::Framed, 8, 16, 8, 0, 0, 0},
    {4, Framing::Framed, 4, 10, 8, 0, 0, 0},
    {5, Framing::Stream, 4, 10, 4, 1, 2, 3},
}};

// The file type of a code from 1 to 5.
inline const FileType& file_type(int code) { return kFileTypes[static_cast<std::size_t>(code - 1)]; }

inline constexpr int kMarkerBytes = 4;
inline constexpr int kIdBytes = 16;          // a location ID as returned, and one ID per record
inline constexpr int kTitleBytes = 80;
inline constexpr int kSourceNameBytes = 20;

}  // namespace xp
