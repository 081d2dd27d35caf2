// Unit-numbered file connections.
//
// Files are read and written through integer unit numbers, as the library's
// file-unit manager hands them out.  A connection is opened with a form:
//
//   Formatted  text records: the bytes up to "\n", one "\r" before it dropped.
//              An input file is mapped when it is opened and its records
//              are served from the mapping; an output is buffered.
//   Stream     bytes without structure, read and written at a byte position.
//   Framed     records, each between two 4-byte little-endian byte counts.
//   Direct     fixed-length records addressed by number (1 and up).
//
// Status values: 0 success, kEnd (-1, platform/text_source.h) end of file, a
// positive number for an error (an errno value, or one of the codes below).
// Reading or writing a unit that is not connected is never silently turned
// into a new file: it is a fatal run-time report (runtime_failure).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_id.h"
#include "platform/text_source.h"

namespace platform::rt {

// Positive status codes of our own (above the errno range).
constexpr int kNotConnected = 5001;   // the unit is not connected
constexpr int kWrongForm = 5002;      // operation does not fit the connection's form or action
constexpr int kBadRecord = 5003;      // corrupt framing, or a record of the wrong length
constexpr int kUnitInUse = 5004;      // open on a unit that is already connected

enum class Form { Formatted, Stream, Framed, Direct };
enum class Action { Read, Write, ReadWrite };
enum class Disposition {
  Old,      // the file must exist; opened at its start
  Replace,  // created, or emptied when it exists
  Append,   // created when missing; writes go to its end
  Unknown,  // opened at its start when it exists, created when missing
};
enum class ByteOrder { Native, Big, Little };

struct OpenOptions {
  Form form = Form::Formatted;
  Action action = Action::Read;
  Disposition disposition = Disposition::Old;
  ByteOrder order = ByteOrder::Native;  // applied by the typed binary reads and writes
  std::size_t record_length = 0;        // Direct: bytes per record
  std::size_t buffer_size = 0;          // outputs: 0 = default buffering
};

// Connects the file to the unit.  0 or a positive error status.
int open(int unit, std::string_view path, const OpenOptions& options);
// Disconnects the unit (the file is kept).  Buffered output is written first;
// a write that failed at any time since the open is reported here.  Closing a
// unit that is not connected does nothing and returns 0.
int close(int unit);
// Closes every connection (end of the process).
void close_all();

bool is_connected(int unit);
// The unit's path as given to open; empty when not connected.
std::string connected_path(int unit);

struct FileInquiry {
  bool exists = false;  // anything of that name exists (a folder too)
  int unit = 0;         // unit the file is connected to (same device and inode), 0 if none
};
FileInquiry inquire(std::string_view path);

// The identity of the file connected to the unit; nullopt when not connected.
std::optional<FileId> connected_file(int unit);

// ---- inputs changed while they are read ----

// The state of the file as it was opened, for a connection that only reads a
// regular file; nullopt for any other unit.
std::optional<FileState> opened_state(int unit);
// True when the file that such a connection reads no longer stands as it was
// opened (another size or modification time): what was read of it may be
// neither the file as opened nor as it is now.
bool changed_since_open(int unit);
// The name, as opened, of the first connection whose file changed since its
// open; empty when none did.
std::string changed_input();

// Lowest unit number from 1 up that is not connected; never 5 or 6.
int lowest_free_unit();

// ---- formatted connections ----

// Reads the next record.  The view stays valid until the unit is closed.
int read_record(int unit, std::string_view& record);
// Steps back one record.  After a read that met the end of the file, one step
// back only cancels that end condition (the next read meets the end again);
// a second one steps back over the last record.  At the start: nothing.
int backspace(int unit);
// Positions before the first record.
int rewind(int unit);
// Writes text and ends the record.
int write_record(int unit, std::string_view text);
// Writes text without ending the record.
int write_text(int unit, std::string_view text);
// The first write failure of the unit since it was opened (0 when none): the
// writes that follow a failure are lost, and the close reports it.
int write_status(int unit);

// The text source of a formatted input connection, to walk it line by line
// (platform/text_source.h).
TextSource* text_source(int unit);

// ---- stream, framed and direct connections ----

// Stream: reads exactly n bytes at the current position.  kEnd when fewer
// than n bytes remain (the position is then at the end of the file).
int read_bytes(int unit, void* buffer, std::size_t n);
int write_bytes(int unit, const void* buffer, std::size_t n);
// Stream: byte position from the start (0-based).
int seek(int unit, std::uint64_t position);
std::uint64_t tell(int unit);
// Stream: the file's length in bytes as the connection knows it (its own
// writes included); 0 for a file that is not a regular file.
std::uint64_t length(int unit);

// Framed: the next record's data bytes.  kEnd at the end of the file;
// kBadRecord when the framing is corrupt.
int read_framed(int unit, std::vector<unsigned char>& record);
int write_framed(int unit, const void* data, std::size_t n);

// Direct: record number from 1.
int read_direct(int unit, std::int64_t record, void* buffer);
int write_direct(int unit, std::int64_t record, const void* buffer);

// Typed values through the connection's byte order (stream connections).
int read_i32(int unit, std::int32_t& v);
int read_f32(int unit, float& v);
int read_f64(int unit, double& v);
int write_i32(int unit, std::int32_t v);
int write_f32(int unit, float v);
int write_f64(int unit, double v);

// ---- failures for which no status is asked ----

// Prints a one-line run-time report on the console and ends the process with
// status 1.  `operation` names what failed ("open", "read", "close", ...).
[[noreturn]] void runtime_failure(std::string_view operation, int unit, int status, std::string_view path = {});

// The text of a status value ("end of file", strerror, ...).
std::string status_text(int status);

// For tests only: no option of the program reaches these.
namespace for_tests {

// The units connected now, in increasing order: the connections a test
// opened are those that were not connected before it.
std::vector<int> connected_units();

}  // namespace for_tests

}  // namespace platform::rt
