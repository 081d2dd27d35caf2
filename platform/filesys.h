// File-system helpers in place of the "mkdir" and "copy" shell commands and
// the file status query.  No shell is ever run: every operation goes through
// system calls and reports a real failure.
//
// Status values: 0 success, otherwise a positive errno-like number.  Names
// may be written with "\" separators; each "\" becomes "/" just before the
// system is called.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The name with every "\" turned into "/".
std::string native_path(std::string_view path);

// Creates the folder and every missing folder above it; a folder that exists
// already is a success.
int make_folder(std::string_view path);

// Copies one regular file into a folder under its own name, replacing a file
// of that name there.
int copy_file_to(std::string_view source, std::string_view target_folder);

// Copies every regular file of source_folder (empty: the current folder)
// whose name is base_name, a "." and anything, into target_folder.  Like the
// shell copy of "<base>.*", finding nothing to copy is a failure (ENOENT).
// All matches are tried; the status is that of the first failure.
int copy_matching(std::string_view source_folder, std::string_view base_name, std::string_view target_folder);

// True when the name (as given, "\" not turned) is a regular file or a link
// to one.
bool is_regular_file(std::string_view path);

// Modification time in whole seconds since 1970; nullopt when the file
// cannot be queried.
std::optional<std::int64_t> mtime_seconds(std::string_view path);

}  // namespace platform
