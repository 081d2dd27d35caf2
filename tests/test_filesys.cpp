#include "platform/filesys.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

class FileSys : public ::testing::Test {
 protected:
  std::string path(std::string_view name) const { return (dir_ / name).string(); }
  std::string make(std::string_view name, std::string_view bytes) const {
    const std::string p = path(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  static std::string contents(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::set<std::string> names_in(std::string_view folder) const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(path(folder))) names.insert(e.path().filename().string());
    return names;
  }

  testing_support::TempFolder folder_;
  const fs::path& dir_ = folder_.path();
};

TEST_F(FileSys, MakeFolder) {
  EXPECT_EQ(platform::make_folder(path("a/b/c")), 0);
  EXPECT_TRUE(fs::is_directory(path("a/b/c")));
  EXPECT_EQ(platform::make_folder(path("a/b/c")), 0) << "an existing folder is a success";
  EXPECT_EQ(platform::make_folder(path("a/d/")), 0);
  EXPECT_TRUE(fs::is_directory(path("a/d")));
  EXPECT_EQ(platform::make_folder(dir_.string() + "\\w\\x"), 0);
  EXPECT_TRUE(fs::is_directory(path("w/x")));

  make("file", "x");
  EXPECT_GT(platform::make_folder(path("file")), 0) << "a file of that name is in the way";
  EXPECT_GT(platform::make_folder(path("file/sub")), 0);
  EXPECT_GT(platform::make_folder(""), 0);
}

TEST_F(FileSys, CopyFileTo) {
  const std::string src = make("in.dat", "new contents");
  fs::create_directory(path("to"));
  make("to/in.dat", "old contents that are longer");
  EXPECT_EQ(platform::copy_file_to(src, path("to")), 0);
  EXPECT_EQ(contents(path("to/in.dat")), "new contents");
  EXPECT_EQ(platform::copy_file_to(src, dir_.string() + "\\to\\"), 0);

  EXPECT_EQ(platform::copy_file_to(path("none.dat"), path("to")), ENOENT);
  EXPECT_GT(platform::copy_file_to(src, path("missing")), 0);
  EXPECT_GT(platform::copy_file_to(path("to"), dir_.string()), 0) << "a folder is not copied";

  // A copy onto itself is refused and leaves the file whole, also through
  // another name of its folder.
  EXPECT_GT(platform::copy_file_to(src, dir_.string()), 0);
  EXPECT_GT(platform::copy_file_to(src, dir_.string() + "/./"), 0);
  EXPECT_EQ(contents(src), "new contents");
  // A folder in the way of the copy is left alone.
  fs::create_directory(path("to2"));
  fs::create_directory(path("to2/in.dat"));
  EXPECT_GT(platform::copy_file_to(src, path("to2")), 0);
  EXPECT_TRUE(fs::is_directory(path("to2/in.dat")));
}

TEST_F(FileSys, CopyKeepsPermissionsAndFollowsLinks) {
  const std::string src = make("run.sh", std::string(100000, 'x'));
  ASSERT_EQ(::chmod(src.c_str(), 0750), 0);
  fs::create_directory(path("to"));
  make("to/run.sh", "old");
  ASSERT_EQ(::chmod(path("to/run.sh").c_str(), 0600), 0);
  EXPECT_EQ(platform::copy_file_to(src, path("to")), 0);
  EXPECT_EQ(contents(path("to/run.sh")), std::string(100000, 'x'));
  EXPECT_EQ(fs::status(path("to/run.sh")).permissions(), static_cast<fs::perms>(0750));

  // A link to a file is copied as that file's contents, under the link's name.
  fs::create_directory(path("src"));
  make("src/data.txt", "data");
  fs::create_symlink("data.txt", path("src/run.lnk"));
  fs::create_symlink("nowhere", path("src/run.broken"));
  fs::create_directory(path("dst"));
  EXPECT_EQ(platform::copy_matching(path("src"), "run", path("dst")), 0);
  EXPECT_EQ(names_in("dst"), (std::set<std::string>{"run.lnk"}));
  EXPECT_FALSE(fs::is_symlink(path("dst/run.lnk")));
  EXPECT_EQ(contents(path("dst/run.lnk")), "data");
}

TEST_F(FileSys, CopyMatchingCopiesBaseNameWithAnyExtension) {
  fs::create_directory(path("src"));
  fs::create_directory(path("dst"));
  for (const char* name : {"run.out", "run.tot", "run.", "run.a.b", "run", "runx.out", "Run.out", "other.out"})
    make(std::string("src/") + name, name);
  fs::create_directory(path("src/run.dir"));

  EXPECT_EQ(platform::copy_matching(path("src"), "run", path("dst")), 0);
  EXPECT_EQ(names_in("dst"), (std::set<std::string>{"run.", "run.a.b", "run.out", "run.tot"}));
  EXPECT_EQ(contents(path("dst/run.tot")), "run.tot");

  EXPECT_EQ(platform::copy_matching(dir_.string() + "\\src\\", "other", dir_.string() + "\\dst"), 0);
  EXPECT_TRUE(fs::exists(path("dst/other.out")));

  EXPECT_EQ(platform::copy_matching(path("src"), "nothing", path("dst")), ENOENT) << "no match fails";
  EXPECT_GT(platform::copy_matching(path("nosuch"), "run", path("dst")), 0);
  EXPECT_GT(platform::copy_matching(path("src"), "run", path("nosuch")), 0);
}

TEST_F(FileSys, ModificationTime) {
  const std::string p = make("f.txt", "x");
  const struct timespec times[2] = {{1'600'000'000, 0}, {1'700'000'123, 999'999'999}};
  ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
  EXPECT_EQ(platform::mtime_seconds(p), 1'700'000'123);
  EXPECT_EQ(platform::mtime_seconds(path("none")), std::nullopt);
}

}  // namespace
