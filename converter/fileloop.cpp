#include "converter/fileloop.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "converter/failure.h"
#include "converter/parallel.h"
#include "converter/peaks.h"
#include "converter/series.h"
#include "library/exits.h"
#include "library/ftext.h"
#include "library/numtext.h"
#include "library/paths.h"
#include "library/settings.h"
#include "library/unit_manager.h"
#include "platform/connections.h"
#include "platform/console.h"
#include "platform/dirsearch.h"
#include "platform/file_id.h"
#include "platform/mapping_guard.h"
#include "platform/process.h"

namespace conv {
namespace console = platform::console;

namespace {

constexpr std::size_t kFileNameLength = 1000;

// Expands one pattern; search failures other than "no such file" end the run.
std::vector<platform::Match> expand(const std::string& pattern) {
  std::vector<platform::Match> matches;
  switch (platform::expand_pattern(pattern, matches)) {
    case platform::SearchStatus::Ok:
    case platform::SearchStatus::NoSuchFile:
      break;
    case platform::SearchStatus::OutOfMemory:
      console::free_line("ERROR - Out of memory.  Contact " + std::string(lib::kSupportEmail));
      lib::EXITS(1);
    case platform::SearchStatus::Other:
      console::free_line("ERROR - Invalid file or pathname specified");
      lib::EXITS(1);
  }
  return matches;
}

// Prints one output's console line and warns, once per name, when an earlier
// event of the same file already gave that name.
void announce(const NamedOutput& out, std::unordered_map<std::string, int>& seen) {
  console::line(out.label + out.name);
  if (++seen[out.name] == 2) console::line("WARNING - Output file name repeated within one input file: " + out.name);
}

// The first output name (tables in order, then the peak table) that leads to
// one of the files `input`, or nullptr when none does.
const std::string* output_on_input(const std::vector<EventOutputs>& outputs, const std::string& peak_table,
                                   const std::vector<platform::FileId>& input) {
  const auto on_input = [&input](const std::string& name) {
    if (name.empty()) return false;
    const auto id = platform::file_id(name);
    return id && std::find(input.begin(), input.end(), *id) != input.end();
  };
  for (const EventOutputs& o : outputs) {
    if (on_input(o.first.name)) return &o.first.name;
    if (on_input(o.second.name)) return &o.second.name;
  }
  return on_input(peak_table) ? &peak_table : nullptr;
}

// `name` with every run of '/' made one: a doubled '/' names the same file
// here.
std::string single_slashes(std::string_view name) {
  std::string s;
  s.reserve(name.size());
  for (const char c : name)
    if (c != '/' || s.empty() || s.back() != '/') s += c;
  return s;
}

// Why the open routine would open `name` (no trailing blanks) as another
// name: "begins with a blank", "holds a doubled backslash" or, since it keeps
// the first 1000 characters, "is longer than 1000 characters"; empty when it
// opens it as it stands.
std::string_view renamed_by_open(std::string_view name) {
  static_assert(kFileNameLength == 1000, "the message names the limit");
  const bool cut = name.size() > kFileNameLength;
  if (!cut && single_slashes(opened_name(name)) == single_slashes(name)) return {};
  if (name.starts_with(' ')) return "begins with a blank";
  if (name.find("\\\\") != std::string_view::npos) return "holds a doubled backslash";
  return cut ? "is longer than 1000 characters" : std::string_view();
}

// True when the file open on `unit` for reading is the input first looked
// at and has changed since, or stands under the input's name in place of
// it; false for another file named at the open's prompt.
bool changed_since_first_look(const InputFile& file, std::int32_t unit) {
  const auto now = platform::rt::opened_state(unit);
  if (!file.first_look || !now) return false;
  if (now->id == file.first_look->id) return *now != *file.first_look;
  return platform::file_id(file.path) == now->id;
}

}  // namespace

FileConverter::FileConverter(const RunSettings& run) : run_(run), writer_(make_writer(run.output)) {}

std::vector<EventOutputs> FileConverter::name_outputs(const InputReader& reader,
                                                      const std::vector<std::string>& events,
                                                      std::string_view match_name) const {
  const Naming naming = reader.naming();
  if (const std::string_view refusal = writer_->refusal(naming); !refusal.empty()) fail(refusal, false);
  const NameParts parts(match_name);
  const std::size_t nevents = run_.multi_event ? events.size() : 1;
  std::vector<EventOutputs> outputs;
  outputs.reserve(nevents);
  std::unordered_map<std::string, int> seen;
  for (std::size_t k = 0; k < nevents; ++k) {
    const std::string_view event = run_.multi_event ? lib::trim_right(events[k]) : std::string_view();
    // An event name becomes part of a file name: a folder separator in it
    // would name a file that can never be created.
    if (event.find_first_of("/\\") != std::string_view::npos)
      fail("ERROR - Event name cannot be used in a file name: " + std::string(event), false);
    EventOutputs& o = outputs.emplace_back(writer_->outputs(naming, parts, event));
    o.first.name = std::string(lib::cut(o.first.name, kFileNameLength));
    o.second.name = std::string(lib::cut(o.second.name, kFileNameLength));
    announce(o.first, seen);
    if (!o.second.name.empty()) announce(o.second, seen);
  }
  return outputs;
}

bool FileConverter::convertible(const platform::Match& match) {
  const auto refuse = [this](std::string_view why, std::string_view name) {
    console::empty_line();
    console::line("ERROR - File name " + std::string(why) + ", not converted: \"" + std::string(name) + "\"");
    failed_ = true;
    return false;
  };
  // On this system a name may end in blanks; the trimmed name that every
  // open uses would be another file, or none.
  if (!match.name.empty() && match.name.back() == ' ' && !lib::is_blank(match.name))
    return refuse("ends with a blank", match.name);
  const std::string M(lib::trim_right(lib::cut(match.name, kFileNameLength)));
  // Nor may it begin with one, hold a doubled backslash or be longer than
  // the open routine keeps, which drops, reduces or cuts them: the input
  // read, or the outputs formed from its name, would be other files.
  if (const std::string_view why = renamed_by_open(M); !why.empty()) return refuse(why, match.name);
  if (const std::string_view why = renamed_by_open(match.folder + M); !why.empty())
    return refuse(why, match.folder + match.name);
  if (written_.holds(match.folder + M)) {
    console::empty_line();
    console::line("WARNING - Input replaced by an output of this run, not converted: " + M);
    return false;
  }
  return true;
}

void FileConverter::convert(const platform::Match& match, std::int32_t ifile) {
  const std::string M(lib::trim_right(lib::cut(match.name, kFileNameLength)));
  // The input is opened in the pattern's folder; every name formed from it
  // uses the bare matched name, so outputs go to the current folder.
  InputFile file{run_, M, match.folder + M, ifile, INUNIT_, failed_};

  console::empty_line();
  console::line(std::string(writer_->converting_label()) + M);
  const std::unique_ptr<InputReader> reader = make_reader(file);
  if (!reader->scan()) return;

  std::vector<std::string> events;
  if (run_.multi_event) {
    console::empty_line();
    console::put("Multiple Duration Switch Enabled ");
    events = reader->count_events();
  } else {
    reader->check_single();
  }
  // The file as first opened (the scan connection of WBNM and -mr is still
  // open): what is read of it later must come from the file as it was then.
  file.first_look = platform::rt::opened_state(INUNIT_);
  if (!file.first_look) file.first_look = platform::file_state(file.path);
  const std::vector<EventOutputs> outputs = name_outputs(*reader, events, M);
  const std::string peak_table = run_.multi_event || reader->keeps_peaks() ? peak_table_name(M) : std::string();

  // An output is created (emptied) before its input is read: one that is the
  // input file itself, under another name or through a link, would destroy
  // it.  Such an input is not converted at all.
  std::vector<platform::FileId> input;
  const auto refused = [&](const std::vector<platform::FileId>& ids) {
    const std::string* same = output_on_input(outputs, peak_table, ids);
    if (!same) return false;
    console::empty_line();
    console::line("ERROR - Output file is the input file, not written: " + *same);
    failed_ = true;
    lib::CLOSER(INUNIT_);
    return true;
  };
  if (const auto id = platform::file_id(file.path)) input.push_back(*id);
  if (const auto id = platform::rt::connected_file(INUNIT_)) input.push_back(*id);
  if (run_.mr) {
    if (const auto id = platform::file_id(opened_name(run_.EVENTFILE))) input.push_back(*id);
  }
  if (refused(input)) return;
  peaks_.start_file(static_cast<std::int32_t>(outputs.size()));

  if (reader->reads_through_unit()) {
    lib::CLOSER(INUNIT_);
    lib::OPENFREE(INUNIT_, "I ", file.path);
    // The open asks for another name when the input has gone meanwhile: the
    // file named then is checked as well.
    const auto id = platform::rt::connected_file(INUNIT_);
    if (id && std::find(input.begin(), input.end(), *id) == input.end() && refused({*id})) return;
    if (changed_since_first_look(file, INUNIT_))
      platform::rt::end_changed_input(platform::rt::connected_path(INUNIT_));
    // A large text input is read and written on several threads: they start
    // now, while the reader finds its first table.
    parallel::start({parallel::Kind::input, platform::rt::text_source(INUNIT_)->contents().size()});
  }
  reader->start();
  SeriesTable table;
  table.keep_times = writer_->needs_value_times();
  for (std::size_t k = 0; k < outputs.size(); ++k) {
    const EventOutputs& out = outputs[k];
    written_.open(UNITA_, out.first.name);
    const bool pair = !out.second.name.empty();
    if (pair) written_.open(UNITB_, out.second.name);
    console::empty_line();
    console::line("Converting...");
    table.clear();
    const auto ievent = static_cast<std::int32_t>(k + 1);
    reader->read_event(ievent, table, peaks_, run_.multi_event ? ievent - 1 : 0);
    end_if_input_changed();
    const TimeAxis axis = build_time_axis(table, run_);
    writer_->write(run_, M, table, axis, UNITA_, pair ? UNITB_ : 0);
    lib::CLOSER(UNITA_);
    if (pair) lib::CLOSER(UNITB_);
  }
  // The peak table holds what was read of the input too.
  end_if_input_changed();
  lib::CLOSER(INUNIT_);
  if (run_.multi_event)
    write_event_peak_table(M, peaks_, events, run_, UNITA_, written_);
  else if (reader->keeps_peaks())
    write_peak_table(M, peaks_, UNITA_, written_);
}

void run_file_loop(const RunSettings& run) {
  std::vector<std::vector<platform::Match>> patterns;
  patterns.reserve(run.INFILES.size());
  std::size_t found = 0;
  for (const std::string& p : run.INFILES) {
    patterns.push_back(expand(p));
    found += patterns.back().size();
  }
  console::line("Found " + lib::AINTEGER8(static_cast<std::int64_t>(found)) + " input files");

  // With -mr every search for a file needs the event-names file.
  const auto check_event_file = [&run] {
    if (run.mr && !regular_file_exists(run.EVENTFILE)) fail("ERROR - File " + run.EVENTFILE + " does not exist.");
  };
  FileConverter converter(run);
  std::int32_t ifile = 0;
  // A pattern that matches nothing (a mistyped name) converts nothing, and a
  // script must be able to tell.
  bool unmatched = false;
  for (const auto& matches : patterns) {
    check_event_file();
    unmatched = unmatched || matches.empty();
    for (const platform::Match& m : matches) {
      if (&m != &matches.front()) check_event_file();
      if (converter.convertible(m)) converter.convert(m, ++ifile);
    }
  }
  console::empty_line();
  console::line("Finished.");
  const int status = unmatched || converter.failed() ? 1 : 0;
  if (!run.batch) lib::EXITS(status);
  platform::end_process(status);
}

}  // namespace conv
