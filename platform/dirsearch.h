// Directory search with wildcards: the input patterns of the command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class SearchStatus {
  Ok,
  NoSuchFile,   // the folder does not exist, or nothing matches: the silent case
  OutOfMemory,
  Other,        // any other failure (no permission, a name too long, ...)
};

struct Match {
  std::string folder;  // the pattern's text up to and including its last "/", as written; empty when none
  std::string name;    // the matched file's name, without a folder
};

// Expands a pattern: the text after its last "/" is matched against the
// names in the folder before it (the current folder when there is no "/"),
// with "*" standing for any run of characters (also none) and "?" for exactly
// one; case counts.  Only regular files match (a link counts as what it
// points to); folders never do.  The matches come in ascending byte order of
// their names.  A name pattern without wildcards is a test of that one name.
// `out` is replaced; it is empty unless the status is Ok.
SearchStatus expand_pattern(std::string_view pattern, std::vector<Match>& out);

// True when the name matches the pattern ("*" any run, "?" one character).
// Time linear in the product of the lengths at worst, never exponential.
bool wildcard_match(std::string_view pattern, std::string_view name);

}  // namespace platform
