// The header of an interface file: the fields the reader needs and the IDs of
// its locations.
//
// The header's records 1 to 6 (titles, start date and time, source name,
// location and constituent counts, a header value) are read the same way by
// the format detection, which tries each file type in turn, and by the header
// pass.  After them come the location IDs, packed in one record or one per
// record, three records on the constituents when there are any, and a tail
// value.  Only the counts, the header value, the source name and the IDs are
// used; titles, constituent records and the tail value are passed over.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xpinterface/binary_input.h"
#include "xpinterface/file_types.h"

namespace xp {

// Values of records 1 to 6.  A read that fails leaves the values it did not
// reach as they were, so one set of fields carries over from one trial of
// the detection to the next.
struct HeaderFields {
  std::int32_t startdate = 0;
  double starttime = 0;
  std::array<char, kSourceNameBytes> sourcename = blank_source();
  std::int32_t nloc = 0;
  std::int32_t nconst = 0;
  double hdrvalue = 0;

  static constexpr std::array<char, kSourceNameBytes> blank_source() {
    std::array<char, kSourceNameBytes> a{};
    a.fill(' ');
    return a;
  }
  // The source name is exactly "rafts" (lower case, trailing blanks ignored).
  bool rafts() const;
  // Packed IDs and one-record steps: a positive header value or a "rafts" source.
  bool packed_ids() const { return hdrvalue > 0 || rafts(); }
};

// Reads records 1 to 6 as the file type lays them out; the status of the
// sixth read.
int read_first_records(BinaryInput& in, const FileType& type, HeaderFields& f);

// The location IDs, 16 characters each.  IDs that could not be read are
// blank; only the IDs up to the last one read are held, so what is kept
// grows with the bytes actually read, never with a count from the file.
class LocationIds {
 public:
  std::size_t count() const { return count_; }
  // ID i (from 0), 16 characters.
  std::string_view operator[](std::size_t i) const;
  void set_count(std::size_t n) { count_ = n; }
  // Room for ID i, blank.
  char* slot(std::size_t i);

 private:
  std::size_t count_ = 0;
  std::string held_;  // IDs 0 .. held_.size() / 16 - 1
};

struct Header {
  const FileType* type = nullptr;
  HeaderFields fields;
  LocationIds ids;
  std::uint64_t steps_offset = 0;  // where the first step block starts
};

// Reads the IDs, the constituent records and the tail value from where
// records 1 to 6 left the input.
void read_rest_of_header(BinaryInput& in, Header& h);

}  // namespace xp
