#include "library/settings.h"

namespace lib {

LibSettings& settings() {
  static LibSettings s;
  return s;
}

std::array<bool, 26>& LETTERFLAGS() {
  static std::array<bool, 26> flags{};
  return flags;
}

}  // namespace lib
