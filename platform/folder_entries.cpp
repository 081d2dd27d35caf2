#include "platform/folder_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

namespace platform {

int for_each_entry(const std::string& folder, const std::function<void(std::string_view, bool)>& each) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return errno;
  const int fd = ::dirfd(dir.get());
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(dir.get());
    if (!e) return errno;
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    bool regular = e->d_type == DT_REG;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st;
      regular = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    each(name, regular);
  }
}

}  // namespace platform
