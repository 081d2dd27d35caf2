// Header records of an interface file in the layout of each file type.
#include "xpinterface/header.h"

#include <cstring>

namespace xp {

bool HeaderFields::rafts() const {
  std::string_view s(sourcename.data(), sourcename.size());
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s == "rafts";
}

int read_first_records(BinaryInput& in, const FileType& type, HeaderFields& f) {
  const int markers = type.markers_record * kMarkerBytes;
  // Record 1: TITLE1.
  in.begin();
  in.skip(type.markers_first * kMarkerBytes);
  in.skip(kTitleBytes);
  // Record 2: TITLE2.
  in.begin();
  in.skip(markers);
  in.skip(kTitleBytes);
  // Record 3: STARTDATE, STARTTIME.
  in.begin();
  in.skip(markers);
  in.i32(f.startdate);
  in.real(f.starttime, type.real_bytes);
  // Records 4 and 5: TITLE3, TITLE4.
  for (int r = 0; r < 2; ++r) {
    in.begin();
    in.skip(markers);
    in.skip(kTitleBytes);
  }
  // Record 6: SOURCENAME, NLOC, NCONST, HDRVALUE.
  in.begin();
  in.skip(markers);
  in.text(f.sourcename.data(), f.sourcename.size());
  in.i32(f.nloc);
  in.i32(f.nconst);
  in.real(f.hdrvalue, type.real_bytes);
  return in.end();
}

std::string_view LocationIds::operator[](std::size_t i) const {
  static constexpr char kBlank[kIdBytes + 1] = "                ";
  const std::size_t at = i * kIdBytes;
  if (at >= held_.size()) return std::string_view(kBlank, kIdBytes);
  return std::string_view(held_).substr(at, kIdBytes);
}

char* LocationIds::slot(std::size_t i) {
  const std::size_t end = (i + 1) * kIdBytes;
  if (held_.size() < end) held_.resize(end, ' ');
  return held_.data() + i * kIdBytes;
}

namespace {

// One read of n packed IDs of `width` bytes each (10-byte IDs padded to 16).
void read_packed_ids(BinaryInput& in, const FileType& type, LocationIds& ids, std::size_t n) {
  in.begin();
  in.skip(type.markers_ids * kMarkerBytes);
  const auto width = static_cast<std::size_t>(type.packed_id_bytes);
  char id[kIdBytes];
  for (std::size_t i = 0; i < n; ++i) {
    std::memset(id, ' ', sizeof id);
    in.text(id, width);
    if (in.status() != 0) return;
    std::memcpy(ids.slot(i), id, sizeof id);
  }
}

// n reads of one 16-byte ID each, without marker words in any file type.
void read_ids_per_record(BinaryInput& in, LocationIds& ids, std::size_t n) {
  char id[kIdBytes] = {};
  for (std::size_t i = 0; i < n; ++i) {
    in.begin();
    in.text(id, sizeof id);
    if (in.end() == 0) std::memcpy(ids.slot(i), id, sizeof id);
  }
}

}  // namespace

void read_rest_of_header(BinaryInput& in, Header& h) {
  const FileType& type = *h.type;
  const HeaderFields& f = h.fields;
  const std::size_t nloc = f.nloc > 0 ? static_cast<std::size_t>(f.nloc) : 0;
  h.ids.set_count(nloc);
  if (f.packed_ids())
    read_packed_ids(in, type, h.ids, nloc);
  else
    read_ids_per_record(in, h.ids, nloc);
  if (f.nconst > 0) {
    // Constituent names and units (16 characters each) and codes (32-bit
    // integers), one record each, without marker words in any file type.
    const auto nconst = static_cast<std::uint64_t>(f.nconst);
    for (const std::uint64_t bytes : {16 * nconst, 16 * nconst, 4 * nconst}) {
      in.begin();
      in.skip(bytes);
    }
  }
  // TAILVALUE.
  double tail = 0;
  in.begin();
  in.skip(type.markers_record * kMarkerBytes);
  in.real(tail, type.real_bytes);
  h.steps_offset = in.position();
}

}  // namespace xp
