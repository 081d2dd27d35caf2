// The WBNM version rule.
#include "converter/readers/wbnm.h"

#include <gtest/gtest.h>

namespace {

TEST(WbnmVersion, VersionLines) {
  const std::pair<std::string_view, std::int64_t> cases[] = {
      {"WBNM Version: 2017_1b - (and any text)", 2017102},
      {"WBNM Version: 2019_v2a - x", 2019201},
      {"WBNM Version: 2019_3 Beta - x", 2019300},
      {"WBNM Version: 2016_2 - x", 2016200},
      {"WBNM Version: 2018_99h - x", 2018000 + 9900 + 8},
      // Unreadable: no "-" after the ":", no "_", no number, a letter past "h".
      {"WBNM Version :2017_001", -1},
      {"WBNM Version: 2017 - x", -1},
      {"WBNM Version: _1 - x", -1},
      {"WBNM Version: 2019_ - x", -1},
      {"WBNM Version: 2019_3z - x", -1},
  };
  for (const auto& [line, version] : cases) EXPECT_EQ(conv::wbnm::version_of_line(line), version) << line;
}

}  // namespace
