#include "platform/dirsearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "platform/folder_entries.h"

namespace platform {
namespace {

SearchStatus status_of(int error) {
  if (error == ENOENT || error == ENOTDIR) return SearchStatus::NoSuchFile;
  if (error == ENOMEM) return SearchStatus::OutOfMemory;
  return SearchStatus::Other;
}

// One name, without listing the folder.
SearchStatus test_name(std::string_view folder, std::string_view name, std::vector<Match>& out) {
  if (name.find('\0') != std::string_view::npos) return SearchStatus::NoSuchFile;
  const std::string full = std::string(folder) + std::string(name);
  struct stat st;
  if (::stat(full.c_str(), &st) != 0) return status_of(errno);
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
    const int listed = for_each_entry(folder.empty() ? std::string(".") : std::string(folder),
                                      [&](std::string_view name, bool regular) {
                                        if (regular && wildcard_match(name_pattern, name)) names.emplace_back(name);
                                      });
    if (listed) return status_of(listed);
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
