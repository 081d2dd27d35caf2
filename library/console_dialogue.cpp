#include "library/console_dialogue.h"

#include "platform/connections.h"
#include "platform/console.h"
#include "platform/process.h"

namespace lib {
namespace console = platform::console;

namespace {

constexpr char kCR = '\r';
constexpr char kNUL = '\0';

}  // namespace

void WRITECHARS(std::string_view str, std::int32_t n) {
  if (n <= 0) return;
  console::put(cut(str, static_cast<std::size_t>(n)));
}

std::size_t lensl_length(std::string_view s) noexcept {
  std::size_t l = s.size();
  while (l > 0 && (s[l - 1] == ' ' || s[l - 1] == kNUL)) --l;
  return l;
}

std::int32_t LENSL(FText& str) {
  const std::size_t l = lensl_length(str.view());
  if (l > 0 && l < str.capacity()) str[l] = kNUL;
  return static_cast<std::int32_t>(l);
}

std::int32_t NULFIRSTBLANK(FText& str) {
  for (std::size_t i = 0; i < str.capacity(); ++i) {
    if (str[i] == ' ' || str[i] == kNUL) {
      str[i] = kNUL;
      return static_cast<std::int32_t>(i);
    }
  }
  return static_cast<std::int32_t>(str.capacity());
}

void SETFLAGS() {
  console::put("Set flags: ");
  const std::string answer = padded(read_answer(), 26);
  auto& flags = LETTERFLAGS();
  for (unsigned char c : answer) {
    if (c >= 'A' && c <= 'Z') flags[c - 'A'] = true;
    if (c >= 'a' && c <= 'z') flags[c - 'a'] = true;
  }
}

void WRITETRIM(FText& str) {
  const std::int32_t l = LENSL(str);
  WRITECHARS(str.view(), l);
}

void READTRIM(FText& str, std::int32_t& n) {
  str.assign(read_answer());
  n = LENSL(str);
}

bool YESNO(std::string_view prompt) {
  console::put(prompt);
  console::put("? ");
  const std::string answer = read_answer();
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void no_console_input() {
  console::empty_line();
  console::line("ERROR - No console input: cannot continue.");
  platform::end_process(1);
}

std::string read_answer() {
  auto answer = console::read_line();
  if (!answer) no_console_input();
  return std::move(*answer);
}

void put_to_console_and_log(std::string_view text, std::int32_t logunit) {
  console::put(text);
  if (logunit > 0) platform::rt::write_text(logunit, text);
}

void line_to_console_and_log(std::string_view text, std::int32_t logunit) {
  console::line(text);
  if (logunit > 0) platform::rt::write_record(logunit, text);
}

void empty_line_to_console_and_log(std::int32_t logunit) { line_to_console_and_log({}, logunit); }

std::string box_lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  bool first = true;
  for (std::string_view l : lines) {
    if (!first) text += kCR;
    first = false;
    text += l;
  }
  return text;
}

}  // namespace lib
