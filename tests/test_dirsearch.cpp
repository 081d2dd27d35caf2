#include "platform/dirsearch.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::SearchStatus;

TEST(WildcardMatch, Table) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*.out", "a.out", true},
      {"*.out", ".out", true},
      {"*.out", "a.out.bak", false},
      {"*.out", "a.OUT", false},
      {"Q100*", "Q100_Meta.out", true},
      {"Q100*", "q100_Meta.out", false},
      {"Q*_Meta.out", "Q100_Meta.out", true},
      {"Q*_Meta.out", "Q100_Meta.outx", false},
      {"?.out", "a.out", true},
      {"?.out", ".out", false},
      {"?.out", "ab.out", false},
      {"a?c", "abc", true},
      {"*a*b*c*", "xxaxxbxxcxx", true},
      {"*a*b*c*", "xxcxxbxxaxx", false},
      {"a*b*b", "abbab", true},
      {"a*b*b", "abba", false},
      {"**", "", true},
      {"", "", true},
      {"", "a", false},
      {"abc", "abc", true},
      {"abc", "abd", false},
      {"*?", "", false},
      {"*?", "z", true},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::wildcard_match(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(WildcardMatch, ManyStarsStayFast) {
  const std::string name(20000, 'a');
  EXPECT_FALSE(platform::wildcard_match("*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(platform::wildcard_match("*a*a*a*a*a*a*a*a*a*a*a*a*a", name));
}

class DirSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.out", "a.out", "C.out", "a.txt", "Z.out", "ab.out"}) std::ofstream(dir_ / name) << name;
    fs::create_directory(dir_ / "sub.out");
    fs::create_symlink("a.txt", dir_ / "link.out");
    fs::create_symlink("none.txt", dir_ / "broken.out");
    fs::create_directory_symlink("sub.out", dir_ / "dirlink.out");
  }

  static std::vector<std::string> names(const std::vector<platform::Match>& matches) {
    std::vector<std::string> out;
    for (const auto& m : matches) out.push_back(m.name);
    return out;
  }

  testing_support::TempFolder folder_;
  const fs::path& dir_ = folder_.path();
};

TEST_F(DirSearch, RegularFilesInByteOrder) {
  const std::string folder = dir_.string() + "/";
  std::vector<platform::Match> out;
  ASSERT_EQ(platform::expand_pattern(folder + "*.out", out), SearchStatus::Ok);
  EXPECT_EQ(names(out), (std::vector<std::string>{"C.out", "Z.out", "a.out", "ab.out", "b.out", "link.out"}));
  for (const auto& m : out) EXPECT_EQ(m.folder, folder);

  ASSERT_EQ(platform::expand_pattern(folder + "?.out", out), SearchStatus::Ok);
  EXPECT_EQ(names(out), (std::vector<std::string>{"C.out", "Z.out", "a.out", "b.out"}));

  // The folder text is kept as written.
  ASSERT_EQ(platform::expand_pattern(dir_.string() + "/./a*", out), SearchStatus::Ok);
  EXPECT_EQ(names(out), (std::vector<std::string>{"a.out", "a.txt", "ab.out"}));
  EXPECT_EQ(out[0].folder, dir_.string() + "/./");
}

TEST_F(DirSearch, NameWithoutWildcards) {
  const std::string folder = dir_.string() + "/";
  std::vector<platform::Match> out;
  ASSERT_EQ(platform::expand_pattern(folder + "a.out", out), SearchStatus::Ok);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].folder, folder);
  EXPECT_EQ(out[0].name, "a.out");
  EXPECT_EQ(platform::expand_pattern(folder + "sub.out", out), SearchStatus::NoSuchFile);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(platform::expand_pattern(folder + "A.out", out), SearchStatus::NoSuchFile);
  EXPECT_EQ(platform::expand_pattern(folder + "broken.out", out), SearchStatus::NoSuchFile);
  EXPECT_EQ(platform::expand_pattern(folder + ".", out), SearchStatus::NoSuchFile);
}

TEST_F(DirSearch, SilentAndOtherFailures) {
  const std::string folder = dir_.string() + "/";
  struct Case {
    std::string pattern;
    SearchStatus status;
  };
  const Case cases[] = {
      {folder + "*.xyz", SearchStatus::NoSuchFile},
      {folder + "nosuch/*.out", SearchStatus::NoSuchFile},
      {folder + "a.txt/*", SearchStatus::NoSuchFile},
      {folder + "nosuch/a.out", SearchStatus::NoSuchFile},
      {folder, SearchStatus::NoSuchFile},
      {"", SearchStatus::NoSuchFile},
      {folder + std::string(300, 'x') + "/*.out", SearchStatus::Other},
      {folder + std::string(300, 'x') + ".out", SearchStatus::Other},
  };
  for (const Case& c : cases) {
    std::vector<platform::Match> out{{"stale", "entry"}};
    EXPECT_EQ(platform::expand_pattern(c.pattern, out), c.status) << c.pattern;
    EXPECT_TRUE(out.empty()) << c.pattern;
  }
}

TEST_F(DirSearch, PatternWithoutFolderSearchesTheCurrentFolder) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  std::vector<platform::Match> out;
  const SearchStatus s = platform::expand_pattern("*b*", out);
  fs::current_path(before);
  ASSERT_EQ(s, SearchStatus::Ok);
  EXPECT_EQ(names(out), (std::vector<std::string>{"ab.out", "b.out"}));
  EXPECT_EQ(out[0].folder, "");
}

}  // namespace
