#include "library/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using lib::FText;
using PathFn = std::string (*)(std::string_view);

struct Case {
  const char* name;
  PathFn fn;
  std::string path, expected;
};
#define ROW(fn, path, expected) {#fn, lib::fn, path, expected}

template <std::size_t N>
void run(const Case (&cases)[N]) {
  for (const auto& c : cases) EXPECT_EQ(c.fn(c.path), c.expected) << c.name << "('" << c.path << "')";
}

TEST(Paths, BlankPathGivesBlankResult) {
  for (PathFn fn : {lib::FILENAMEPATH, lib::FILEEXT, lib::FILENAME, lib::FILEEXTKC, lib::FILENAMEEXT,
                    lib::FILEFOLDERPATH, lib::FILENAMENO_, lib::FILE___EXT, lib::FILENAMEPATHNO_, lib::REMOVEDOTDOT})
    EXPECT_EQ(fn("      "), "");
  FText p(8);
  EXPECT_EQ(lib::CLEANPATH(p), "");
  lib::RELATIVEPATH(p);
  EXPECT_TRUE(p.blank());
}

// The names the converter forms its output names from.
TEST(Paths, StemExtensionAndName) {
  struct Row {
    std::string path, stem, ext, name;
  };
  const Row rows[] = {
      {"Q100_Meta.out  ", "Q100_Meta", ".out", "Q100_Meta"},
      {"EV01.TOT", "EV01", ".tot", "EV01"},
      {"run.new.loc", "run.new", ".loc", "run.new"},
      {"results", "results", "", "results"},
      {"file.", "file", ".", "file"},
      {".q", ".q", ".q", ""},
      {"C:\\data\\Q100.out", "C:\\data\\Q100", ".out", "Q100"},
      {"C:\\run.1\\results", "C:\\run.1\\results", "", "results"},
      {"dir.x\\name", "dir.x\\name", "", "name"},
      {"a/b.c", "a/b", ".c", "b"},
      {"dir\\.hidden", "dir\\", ".hidden", ".hidden"},  // a leading dot after a folder
      {"x\\", "x\\", "", ""},
      {"  ab.c", "  ab", ".c", "  ab"},
      {"A.\xc4X", "A", ".\xc4x", "A"},  // ASCII letters only
  };
  for (const auto& r : rows) {
    EXPECT_EQ(lib::FILENAMEPATH(r.path), r.stem) << r.path;
    EXPECT_EQ(lib::FILEEXT(r.path), r.ext) << r.path;
    EXPECT_EQ(lib::FILENAME(r.path), r.name) << r.path;
  }
  EXPECT_EQ(lib::FILEEXTKC("Q100.OUT"), ".OUT");
  EXPECT_EQ(lib::FILEEXTKC("dir.x\\name"), "");
}

TEST(Paths, FolderAndNameWithExtension) {
  const Case cases[] = {
      ROW(FILEFOLDERPATH, "C:\\data\\Q100.out", "C:\\data\\"),
      ROW(FILEFOLDERPATH, "Q100.out", ""),
      ROW(FILEFOLDERPATH, "a/b.c", "a/"),
      ROW(FILEFOLDERPATH, "a\\b/c", "a\\b/"),
      ROW(FILENAMEEXT, "C:\\data\\Q100.out   ", "Q100.out"),
      ROW(FILENAMEEXT, "a/b\\c.d", "c.d"),
      ROW(FILENAMEEXT, " name.txt", " name.txt"),
      ROW(FILENAMEEXT, "x\\", ""),
  };
  run(cases);
}

TEST(Paths, UnderscorePart) {
  const Case cases[] = {
      ROW(FILENAMENO_, "C:\\data\\Q100_tot.ts1", "Q100"),
      ROW(FILENAMENO_, "_x.ts1", ""),
      ROW(FILENAMENO_, "a_b_c.txt", "a_b"),
      ROW(FILENAMENO_, "abc.txt", "abc"),
      ROW(FILENAMENO_, "C:\\a_b\\c.txt", "c"),
      ROW(FILE___EXT, "C:\\data\\Q100_TOT.ts1", "_tot"),
      ROW(FILE___EXT, "_x.ts1", "_x"),
      ROW(FILE___EXT, "Q100.ts1", ""),
      ROW(FILE___EXT, "C:\\a_b\\c.txt", ""),
      ROW(FILE___EXT, "a_b_C.txt", "_c"),
      ROW(FILENAMEPATHNO_, "C:\\a_b\\c.ts1", "C:\\a_b\\c"),
      ROW(FILENAMEPATHNO_, "C:\\data\\Q100_tot.ts1", "C:\\data\\Q100"),
      ROW(FILENAMEPATHNO_, "_x.ts1", "_x"),
      ROW(FILENAMEPATHNO_, "a_b.c_d", "a"),
      ROW(FILENAMEPATHNO_, "a_b/c", "a_b/c"),
  };
  run(cases);
}

TEST(Paths, RemoveDotDot) {
  const Case cases[] = {
      ROW(REMOVEDOTDOT, "a\\b\\..\\c", "a\\c"),
      ROW(REMOVEDOTDOT, "b\\..\\c", "c"),
      ROW(REMOVEDOTDOT, "..\\..\\a\\..\\b", "..\\..\\b"),
      ROW(REMOVEDOTDOT, "a\\.\\b", "a\\b"),
      ROW(REMOVEDOTDOT, "C:\\x\\\\y", "C:\\x\\y"),
      ROW(REMOVEDOTDOT, "C:\\x\\\\\\y", "C:\\x\\y"),
      ROW(REMOVEDOTDOT, "\\\\srv\\share\\..\\f", "\\\\srv\\f"),
      ROW(REMOVEDOTDOT, "a\\..\\", ""),
      ROW(REMOVEDOTDOT, "\\..\\x", "\\..\\x"),
      ROW(REMOVEDOTDOT, "a\\\\b", "a\\\\b"),             // a pair at position 2 stays
      ROW(REMOVEDOTDOT, "\\\\a\\\\b", "\\\\a\\\\b"),     // and so does every pair behind it
      ROW(REMOVEDOTDOT, "  a\\b\\..\\c  ", "a\\c"),
      ROW(REMOVEDOTDOT, "a/b/../c", "a/b/../c"),         // only the backslash counts here
      ROW(REMOVEDOTDOT, "a\\b\\c\\..\\..\\d", "a\\d"),
      ROW(REMOVEDOTDOT, "a\\..\\..\\b\\..\\c", "..\\c"),
      ROW(REMOVEDOTDOT, "..\\a\\.\\b", "..\\a\\b"),
      ROW(REMOVEDOTDOT, "a\\.\\.\\b", "a\\b"),
      // Behind a ".." chain, a step that follows directly ends the pass.
      ROW(REMOVEDOTDOT, "\\\\x..\\..\\\\..\\y", "\\\\x..\\..\\\\..\\y"),
  };
  run(cases);
}

TEST(Paths, AddFolder) {
  struct AddCase {
    std::string folder, file, expected;
  };
  const AddCase cases[] = {
      {"  ", "   ", "."},
      {"  C:\\run  ", "", "C:\\run"},
      {"", "  a.txt ", "a.txt"},
      {"C:\\run", "in\\a.txt", "C:\\run\\in\\a.txt"},
      {"C:\\run\\", "..\\a.txt", "C:\\a.txt"},
      {"C:\\run", "D:\\b.txt", "D:\\b.txt"},
      {"C:\\run", "\\in\\a.txt", "C:\\run\\in\\a.txt"},  // a single leading '\' is not absolute
      {"C:\\run", "sub\\\\x", "sub\\x"},                  // a doubled one is
      {"x", "\\\\srv\\f", "\\\\srv\\f"},
      {"a/", "b", "a/b"},
      {"  a", " b", "a\\b"},
      {"C:\\run", ".\\x", "C:\\run\\x"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lib::ADDFOLDER(c.folder, c.file), c.expected) << "'" << c.folder << "' + '" << c.file << "'";
}

TEST(Paths, CleanPathRewritesItsArgument) {
  struct CleanCase {
    std::string path, expected;
  };
  const CleanCase cases[] = {
      {"  C:\\a\\\\b  ", "C:\\a\\b"},
      {"\\\\srv\\a\\\\b", "\\\\srv\\a\\\\b"},
      {"C:\\a\\\\b//c", "C:\\a\\b/c"},
      {"//srv//a", "//srv//a"},
      {"\\\\srv//x", "\\\\srv/x"},
      {"a\\\\\\\\b", "a\\b"},
  };
  for (const auto& c : cases) {
    FText p(c.path.size() + 3, c.path);
    EXPECT_EQ(lib::CLEANPATH(p), c.expected) << c.path;
    EXPECT_EQ(p.view(), lib::padded(c.expected, p.capacity())) << c.path;
  }
}

TEST(Paths, RelativePath) {
  struct RelCase {
    std::string path, expected;
  };
  const RelCase cases[] = {
      {"c:\\data\\a.txt", "C Drive\\data\\a.txt"},
      {"ab:\\x", "AB Drive\\x"},
      {"\\\\srv\\share\\a.txt", "URL\\srv\\share\\a.txt"},
      {"//srv/a", "URL\\srv/a"},
      {"x\\y", "x\\y"},
      {"  x\\y ", "x\\y"},
  };
  for (const auto& c : cases) {
    FText p(40, c.path);
    lib::RELATIVEPATH(p);
    EXPECT_EQ(p.view(), lib::padded(c.expected, 40)) << c.path;
  }
}

// Routines that pass a path through a 1000-character work text give at most
// 1000 characters; the others give the whole text.
TEST(Paths, WorkTextCuts) {
  const std::string a1200(1200, 'a'), x1000(1000, 'x');
  EXPECT_EQ(lib::FILEEXT("." + std::string(1200, 'A')), "." + std::string(999, 'a'));
  EXPECT_EQ(lib::FILEEXTKC("." + a1200).size(), 1201u);
  EXPECT_EQ(lib::FILENAMEPATH(a1200 + ".x"), a1200);
  EXPECT_EQ(lib::FILENAMENO_(a1200 + "_b.x"), std::string(1000, 'a'));
  EXPECT_EQ(lib::FILE___EXT(x1000 + "_b.x"), "");
  EXPECT_EQ(lib::FILENAMEPATHNO_(a1200 + "_b.x"), std::string(1000, 'a'));
  EXPECT_EQ(lib::REMOVEDOTDOT("  " + a1200), std::string(1000, 'a'));
  EXPECT_EQ(lib::ADDFOLDER(std::string(600, 'f'), std::string(600, 'g')),
            std::string(600, 'f') + "\\" + std::string(399, 'g'));
  FText p(1500, "  " + a1200);
  EXPECT_EQ(lib::CLEANPATH(p), std::string(1000, 'a'));
  EXPECT_EQ(p.len_trim(), 1000u);
}

}  // namespace
