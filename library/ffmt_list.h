// Free-form (list-directed) reading: every reader of the program takes its
// free-form numbers and texts out of records through it, so that all of them
// follow the same rules.
//
// Values are separated by blanks or TABs, or by a comma with optional blanks
// around it; a slash ends the read and leaves the remaining items unchanged;
// an empty field between commas (or a comma at the start) is a null value
// that leaves its item unchanged; "r*c" stands for r copies of c and "r*" for
// r null values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "library/ffmt_numbers.h"

namespace ffmt {

// Reads the items of one free-form read, one call per item, in order.  A
// caller stops at the first status that is not kOk, as a read statement does.
//
// Internal reads (a text): when the text is used up before an item has a
// value, the status is kEnd.  External reads (records of a file): a
// `next_record` function supplies the following record instead; blank records
// are skipped; kEnd when it has none.
class ListReader {
 public:
  using NextRecord = std::function<bool(std::string_view& record)>;

  explicit ListReader(std::string_view text);
  ListReader(std::string_view record, NextRecord next_record);

  int read(std::int32_t& v);
  int read(std::int64_t& v);
  int read(float& v);
  int read(double& v);
  // n real items into v[0..n), as n calls of read(float&) in a row: the same
  // values, the status of the first item that is not kOk (the items after it
  // unchanged), and the reader left as those calls leave it.  Plain decimals
  // between blanks are read many at a time (ffmt_batch.cpp).
  int read(float* v, std::size_t n);
  // A character item: quoted with ' or " (a doubled quote stands for one),
  // or unquoted up to a blank, comma, slash or the end of the record.
  int read(std::string& v);
  // Reads a real item and discards it (the value must still be a valid real).
  int skip_real();

  // True once a slash has ended the read.
  bool ended_by_slash() const { return slash_; }
  // True when the last item read got a value (false after a null value or
  // a slash, which leave the item unchanged).
  bool value_read() const { return value_read_; }

 private:
  struct Token;
  int next_token(Token& t);
  int take(Token& t);
  template <class T>
  bool fast_real(T* v);
  bool fast_int(std::int32_t& v);
  const char* fast_value_start() const;
  void end_fast_value(const char* p);
  template <class T>
  int read_token(T& v);
  std::size_t plain_reals(float* v, std::size_t n);
  int scan_quoted(std::size_t start, Token& t);
  void skip_separator();
  bool next_record();

  std::string_view rec_;
  std::size_t pos_ = 0;
  NextRecord next_;
  bool slash_ = false;
  bool value_read_ = false;
  // The last value ended with its record: a comma that opens the next record
  // still belongs to that value's separator and is no null value.
  bool sep_open_ = false;
  int repeat_left_ = 0;            // copies still to hand out from an r*c value
  std::string_view repeat_value_;  // c of r*c (empty for r*)
  bool repeat_quoted_ = false;     // c is a quoted character constant
  std::string spill_;              // the decoded text of the last quoted constant
};

// Reads the items in order and stops at the first status that is not kOk.
template <class... Items>
int list_read(std::string_view text, Items&... items) {
  ListReader r(text);
  int st = kOk;
  ((st == kOk ? (st = r.read(items)) : st), ...);
  return st;
}

}  // namespace ffmt
