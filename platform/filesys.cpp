#include "platform/filesys.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

bool has_nul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

// A positive status for an error code (any failure that carries no errno
// value counts as an I/O error).
int status_of(const std::error_code& ec) {
  if (!ec) return 0;
  return ec.category() == std::generic_category() || ec.category() == std::system_category()
             ? (ec.value() > 0 ? ec.value() : EIO)
             : EIO;
}

int copy_one(const fs::path& source, const fs::path& folder) {
  std::error_code ec;
  fs::copy_file(source, folder / source.filename(), fs::copy_options::overwrite_existing, ec);
  return status_of(ec);
}

}  // namespace

std::string native_path(std::string_view path) {
  std::string p(path);
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

int make_folder(std::string_view path) {
  if (path.empty()) return ENOENT;
  if (has_nul(path)) return EINVAL;
  const fs::path folder(native_path(path));
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (fs::is_directory(folder)) return 0;
  return ec ? status_of(ec) : ENOTDIR;
}

int copy_file_to(std::string_view source, std::string_view target_folder) {
  if (has_nul(source) || has_nul(target_folder)) return EINVAL;
  const fs::path from(native_path(source));
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) return ec ? status_of(ec) : EINVAL;
  return copy_one(from, fs::path(native_path(target_folder)));
}

int copy_matching(std::string_view source_folder, std::string_view base_name, std::string_view target_folder) {
  if (has_nul(source_folder) || has_nul(base_name) || has_nul(target_folder)) return EINVAL;
  const fs::path from(source_folder.empty() ? std::string(".") : native_path(source_folder));
  const fs::path to(native_path(target_folder));
  const std::string prefix = std::string(base_name) + ".";

  std::error_code ec;
  fs::directory_iterator it(from, ec);
  if (ec) return status_of(ec);
  int first_failure = 0;
  bool found = false;
  for (const fs::directory_iterator end; it != end;) {
    const std::string name = it->path().filename().string();
    std::error_code type_ec;
    if (name.size() >= prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        it->is_regular_file(type_ec)) {
      found = true;
      if (const int s = copy_one(it->path(), to); s && !first_failure) first_failure = s;
    }
    it.increment(ec);
    if (ec) return status_of(ec);
  }
  if (first_failure) return first_failure;
  return found ? 0 : ENOENT;
}

std::optional<std::int64_t> mtime_seconds(std::string_view path) {
  if (has_nul(path)) return std::nullopt;
  struct stat st;
  if (::stat(native_path(path).c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::int64_t>(st.st_mtime);
}

}  // namespace platform
