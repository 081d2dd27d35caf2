#include "platform/dirsearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

SearchStatus status_of(const std::error_code& ec) {
  if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return SearchStatus::NoSuchFile;
  if (ec == std::errc::not_enough_memory) return SearchStatus::OutOfMemory;
  return SearchStatus::Other;
}

// One name, without listing the folder.
SearchStatus test_name(std::string_view folder, std::string_view name, std::vector<Match>& out) {
  if (name.find('\0') != std::string_view::npos) return SearchStatus::NoSuchFile;
  const std::string full = std::string(folder) + std::string(name);
  struct stat st;
  if (::stat(full.c_str(), &st) != 0) return status_of(std::error_code(errno, std::generic_category()));
  if (!S_ISREG(st.st_mode)) return SearchStatus::NoSuchFile;
  out.push_back(Match{std::string(folder), std::string(name)});
  return SearchStatus::Ok;
}

}  // namespace

bool wildcard_match(std::string_view pattern, std::string_view name) {
  // Greedy scan that remembers only the last "*": when a later part fails,
  // that star takes one more character and the scan resumes after it.
  constexpr std::size_t none = std::string_view::npos;
  std::size_t p = 0, n = 0, star = none, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (star != none) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

SearchStatus expand_pattern(std::string_view pattern, std::vector<Match>& out) {
  out.clear();
  try {
    const std::size_t slash = pattern.rfind('/');
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : pattern.substr(0, slash + 1);
    const std::string_view name_pattern = slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);
    if (folder.find('\0') != std::string_view::npos) return SearchStatus::Other;
    if (name_pattern.empty()) return SearchStatus::NoSuchFile;
    if (name_pattern.find_first_of("*?") == std::string_view::npos) return test_name(folder, name_pattern, out);

    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec) return status_of(ec);
    for (const fs::directory_iterator end; it != end;) {
      std::string name = it->path().filename().string();
      std::error_code type_ec;
      if (wildcard_match(name_pattern, name) && it->is_regular_file(type_ec)) names.push_back(std::move(name));
      it.increment(ec);
      if (ec) return status_of(ec);
    }
    if (names.empty()) return SearchStatus::NoSuchFile;
    std::sort(names.begin(), names.end());
    out.reserve(names.size());
    for (std::string& name : names) out.push_back(Match{std::string(folder), std::move(name)});
    return SearchStatus::Ok;
  } catch (const std::bad_alloc&) {
    out.clear();
    return SearchStatus::OutOfMemory;
  }
}

}  // namespace platform
