#include "platform/msgbox.h"

#include <iterator>
#include <optional>
#include <string>

#include "platform/console.h"

namespace platform {
namespace {

struct Button {
  char key;  // lower-case first letter of its name
  int id;
};

struct ButtonSet {
  std::string_view prompt;
  Button buttons[3];
  int count;
  int at_end;  // the answer at the end of console input
};

const ButtonSet& button_set(std::uint32_t style) {
  static const ButtonSet ok{"Press Enter for OK: ", {{'o', kIdOk}}, 1, kIdOk};
  static const ButtonSet sets[] = {
      ok,
      {"OK or Cancel (O/C)? ", {{'o', kIdOk}, {'c', kIdCancel}}, 2, kIdCancel},
      {"Abort, Retry or Ignore (A/R/I)? ", {{'a', kIdAbort}, {'r', kIdRetry}, {'i', kIdIgnore}}, 3, kIdAbort},
      {"Yes, No or Cancel (Y/N/C)? ", {{'y', kIdYes}, {'n', kIdNo}, {'c', kIdCancel}}, 3, kIdCancel},
      {"Yes or No (Y/N)? ", {{'y', kIdYes}, {'n', kIdNo}}, 2, kIdNo},
      {"Retry or Cancel (R/C)? ", {{'r', kIdRetry}, {'c', kIdCancel}}, 2, kIdCancel},
  };
  const std::uint32_t n = style & 0xF;
  return n < std::size(sets) ? sets[n] : ok;
}

std::string_view drop_final_nul(std::string_view s) {
  if (!s.empty() && s.back() == '\0') s.remove_suffix(1);
  return s;
}

// The button an answer names, 0 when none.
int chosen(const ButtonSet& set, std::string_view answer) {
  std::size_t i = 0;
  while (i < answer.size() && (answer[i] == ' ' || answer[i] == '\t')) ++i;
  if (i == answer.size()) return 0;
  unsigned char c = static_cast<unsigned char>(answer[i]);
  if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
  for (int b = 0; b < set.count; ++b) {
    if (set.buttons[b].key == c) return set.buttons[b].id;
  }
  return 0;
}

}  // namespace

int message_box(std::string_view text, std::string_view caption, std::uint32_t style) {
  const ButtonSet& set = button_set(style);
  caption = drop_final_nul(caption);
  text = drop_final_nul(text);

  std::string shown(text);
  for (char& c : shown) {
    if (c == '\r') c = '\n';
  }
  console::empty_line();
  if (!caption.empty()) console::line(caption);
  console::line(shown);

  for (;;) {
    console::put(set.prompt);
    const std::optional<std::string> answer = console::read_line();
    if (!answer) {
      console::empty_line();
      return set.at_end;
    }
    if (set.count == 1) return set.buttons[0].id;
    if (const int id = chosen(set, *answer)) return id;
  }
}

}  // namespace platform
