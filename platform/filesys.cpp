#include "platform/filesys.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_id.h"
#include "platform/file_io.h"
#include "platform/folder_entries.h"

namespace platform {
namespace {

bool has_nul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

// A descriptor closed on every way out.
struct Fd {
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  // Closes now: 0 or the errno value of a failed close.
  int close() {
    const int f = fd;
    fd = -1;
    return ::close(f) == 0 ? 0 : errno;
  }
  int fd;
};

// `name` in `folder` (the current folder when empty).
std::string in_folder(const std::string& folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  return folder.back() == '/' ? folder + std::string(name) : folder + "/" + std::string(name);
}

// Copies the bytes of `from` to `to` from their starts.  0 or an errno value.
int copy_bytes(int from, int to) {
  for (;;) {
    const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, std::size_t{1} << 30, 0);
    if (n == 0) return 0;
    if (n > 0) continue;
    if (errno == EINTR) continue;
    // Not between these two files: the plain way, from where it stopped.
    if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    break;
  }
  char buf[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(from, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    if (const int s = rt::detail::write_all(to, buf, static_cast<std::size_t>(n))) return s;
  }
}

// Copies the regular file `source` into `folder` under its own name, with its
// permission bits, replacing a regular file of that name.  A target that is
// the source itself is refused before anything is written to it.  Anything
// but a regular file is refused once open (which never waits, for a pipe).
int copy_one(const std::string& source, const std::string& folder) {
  const std::size_t slash = source.rfind('/');
  const std::string target = in_folder(folder, slash == std::string::npos ? source : source.substr(slash + 1));

  const Fd in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (in.fd < 0) return errno;
  struct stat from;
  if (::fstat(in.fd, &from) != 0) return errno;
  if (!S_ISREG(from.st_mode)) return EINVAL;
  struct stat old;
  if (::stat(target.c_str(), &old) == 0) {
    if (old.st_dev == from.st_dev && old.st_ino == from.st_ino) return EEXIST;
    if (!S_ISREG(old.st_mode)) return EEXIST;
  }
  const mode_t mode = from.st_mode & 07777;
  Fd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
  if (out.fd < 0) return errno;
  if (::fchmod(out.fd, mode) != 0) return errno;
  if (const int s = copy_bytes(in.fd, out.fd)) return s;
  return out.close();
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
  const std::string folder = native_path(path);
  // Every folder on the way, from the top: one that exists already is fine.
  int failure = 0;
  for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) failure = errno;
    if (at == std::string::npos) break;
  }
  struct stat st;
  if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return 0;
  return failure ? failure : ENOTDIR;
}

int copy_file_to(std::string_view source, std::string_view target_folder) {
  if (has_nul(source) || has_nul(target_folder)) return EINVAL;
  return copy_one(native_path(source), native_path(target_folder));
}

int copy_matching(std::string_view source_folder, std::string_view base_name, std::string_view target_folder) {
  if (has_nul(source_folder) || has_nul(base_name) || has_nul(target_folder)) return EINVAL;
  const std::string from = source_folder.empty() ? std::string(".") : native_path(source_folder);
  const std::string to = native_path(target_folder);
  const std::string prefix = std::string(base_name) + ".";

  int first_failure = 0;
  bool found = false;
  const int listed = for_each_entry(from, [&](std::string_view name, bool is_regular) {
    if (!is_regular || !name.starts_with(prefix)) return;
    found = true;
    if (const int s = copy_one(in_folder(from, name), to); s && !first_failure) first_failure = s;
  });
  if (listed) return listed;
  if (first_failure) return first_failure;
  return found ? 0 : ENOENT;
}

std::optional<FileId> file_id(std::string_view path) {
  struct stat st;
  if (has_nul(path) || ::stat(std::string(path).c_str(), &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<FileState> file_state(std::string_view path) {
  struct stat st;
  if (has_nul(path) || ::stat(std::string(path).c_str(), &st) != 0) return std::nullopt;
  return rt::detail::state_of(st);
}

bool is_regular_file(std::string_view path) {
  struct stat st;
  return !has_nul(path) && ::stat(std::string(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::int64_t> mtime_seconds(std::string_view path) {
  if (has_nul(path)) return std::nullopt;
  struct stat st;
  if (::stat(native_path(path).c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::int64_t>(st.st_mtime);
}

}  // namespace platform
