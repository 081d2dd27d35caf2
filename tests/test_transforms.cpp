#include "library/transforms.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(Transforms, SpacesNamesAndQuotes) {
  const struct {
    std::string result, expected;
  } cases[] = {
      {lib::REMOVESPACES(" a b  c "), "abc"},          {lib::REMOVESPACES("a\tb c"), "a\tbc"},
      {lib::CLEANATTRIBUTENAME("Max Depth (m)"), "MaxDepthm"}, {lib::CLEANATTRIBUTENAME("my_attr.2"), "my_attr2"},
      {lib::CLEANATTRIBUTENAME("(%)"), "X"},           {lib::DOUBLEQUOTE("2\" pipe  "), "2\"\" pipe"},
      {lib::DOUBLEQUOTE("  plain  "), "  plain"},
      {lib::ALPHANUMERICONLY("Z Shape-1", "_", 20), "Z_Shape_1"}, {lib::ALPHANUMERICONLY("Z Shape-1", " ", 20), "Z Shape 1"},
      {lib::ALPHANUMERICONLY("Z Shape-1", "\0"s, 20), "ZShape1"}, {lib::ALPHANUMERICONLY("--", " ", 20), "X"},
      {lib::ALPHANUMERICONLY("   ", "_", 20), "X"},      {lib::ALPHANUMERICONLY("--ab", " ", 2), "X"},  // blank once cut
      {lib::ALPHANUMERICONLY("ab-cd", "_", 3), "ab_"},   {lib::ALPHANUMERICONLY("a-b", "", 20), "a b"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, c.expected);
}

TEST(Transforms, ReplaceOnceOrEverywhere) {
  const struct {
    std::string str, old, neu;
    std::size_t cap;  // 0: REPLACE, else REPLACEALL with this capacity
    std::string result;
  } cases[] = {
      {"Flow in PIPE and pipe", "pipe", "culvert", 0, "Flow in culvert and pipe"},
      {"Flow in PIPE and pipe", "pipe", "   ", 0, "Flow in  and pipe"},
      {"Flow in PIPE and pipe", "weir", "culvert", 0, "Flow in PIPE and pipe"},
      {"Flow in PIPE and pipe", " pipe ", "culvert", 0, "Flow inculvert and pipe"},  // its leading blank too
      {"abc", "  ", "x ", 0, "xabc"},                                                 // blank OLD: NEW in front
      {"Flow in PIPE and pipe", "pipe", "culvert", 40, "Flow in culvert and culvert"},
      {"aab", "ab", "b", 10, "b"},  // a replacement forms a new occurrence with the text before it
      {"x.y.z", ".", "", 10, "xyz"},
      {"aabb", "ab", "ba", 4, "bbaa"},
      {"a.b", "  ", "x", 10, "a.b"},                               // blank OLD: unchanged
      {"pipe Pipe", "pipe", "big pipe", 30, "big pipe big pipe"},  // NEW contains OLD: one pass
      {"ab", "a", "AA", 10, "AAb"},
      {"pipe", "pipe", "culvert", 5, "culve"},  // cut at the capacity
      {"abcdef", "ab", "", 4, "cd"},            // what lay beyond the capacity stays lost
  };
  for (const auto& c : cases) {
    const std::string r = c.cap ? lib::REPLACEALL(c.str, c.old, c.neu, c.cap) : lib::REPLACE(c.str, c.old, c.neu);
    EXPECT_EQ(r, c.result) << c.str << "|" << c.old << "|" << c.neu << "|" << c.cap;
  }
}

TEST(Transforms, ReplaceAllOnALongTextIsOnePass) {
  // 200000 restarts from the beginning would take far too long here.
  const std::string text(200000, 'a');
  EXPECT_EQ(lib::REPLACEALL(text, "aa", "a", text.size()), "a");
  std::string commas;
  for (int i = 0; i < 50000; ++i) commas += "x,";
  EXPECT_EQ(lib::REPLACEALL(commas, ",", "", commas.size()), std::string(50000, 'x'));
}

}  // namespace
