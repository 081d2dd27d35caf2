#include "library/openfile.h"

#include <string>

#include "library/console_dialogue.h"
#include "library/exits.h"
#include "library/ffmt.h"
#include "library/paths.h"
#include "library/settings.h"
#include "library/text_basics.h"
#include "library/unit_manager.h"
#include "library/unit_slots.h"
#include "platform/connections.h"
#include "platform/console.h"
#include "platform/filesys.h"
#include "platform/msgbox.h"
#include "platform/process.h"

namespace lib {
namespace console = platform::console;
namespace rt = platform::rt;

namespace {

constexpr char kNUL = '\0';
constexpr std::size_t kBoxText = 256;
constexpr std::size_t kAnswerLength = 1000;

enum class CodeClass { Input, Output, IO, Never, Unknown };

struct CodeRow {
  std::string_view code;
  CodeClass cls;
  rt::OpenOptions options;
};

using rt::Action;
using rt::ByteOrder;
using rt::Disposition;
using rt::Form;

const CodeRow kCodes[] = {
    {"I ", CodeClass::Input, {Form::Formatted, Action::Read, Disposition::Old}},
    {"UI", CodeClass::Input, {Form::Framed, Action::Read, Disposition::Old}},
    {"BI", CodeClass::Input, {Form::Stream, Action::Read, Disposition::Old}},
    {"BE", CodeClass::Input, {Form::Stream, Action::Read, Disposition::Old, ByteOrder::Big}},
    {"DI", CodeClass::Input, {Form::Direct, Action::Read, Disposition::Old, ByteOrder::Native, 4}},
    {"DE", CodeClass::Input, {Form::Direct, Action::Read, Disposition::Old, ByteOrder::Big, 4}},
    {"SI", CodeClass::Input, {Form::Stream, Action::Read, Disposition::Old}},
    {"O ", CodeClass::Output, {Form::Formatted, Action::Write, Disposition::Replace}},
    {"F ", CodeClass::Output, {Form::Formatted, Action::Write, Disposition::Replace}},
    {"UO", CodeClass::Output, {Form::Framed, Action::Write, Disposition::Replace}},
    {"BO", CodeClass::Output, {Form::Stream, Action::Write, Disposition::Replace}},
    {"BN", CodeClass::Output, {Form::Stream, Action::Write, Disposition::Replace, ByteOrder::Big}},
    {"A ", CodeClass::Output, {Form::Formatted, Action::Write, Disposition::Append}},
    {"AB", CodeClass::Output, {Form::Stream, Action::Write, Disposition::Append}},
    {"S ", CodeClass::Output, {Form::Formatted, Action::ReadWrite, Disposition::Unknown}},
    {"SB", CodeClass::Output, {Form::Stream, Action::ReadWrite, Disposition::Unknown}},
    {"SE", CodeClass::Output, {Form::Stream, Action::ReadWrite, Disposition::Unknown, ByteOrder::Big}},
    {"SO", CodeClass::Output, {Form::Stream, Action::Write, Disposition::Replace}},
    {"LL", CodeClass::Output, {Form::Stream, Action::Write, Disposition::Replace, ByteOrder::Little}},
    {"DX", CodeClass::Output, {Form::Direct, Action::ReadWrite, Disposition::Old, ByteOrder::Native, 4}},
    {"LO", CodeClass::Never, {}},
    {"IO", CodeClass::IO, {Form::Formatted, Action::ReadWrite, Disposition::Unknown}},
};

const CodeRow* find_code(std::string_view ftype) {
  const std::string code = padded(ftype, 2);
  for (const CodeRow& row : kCodes)
    if (row.code == code) return &row;
  return nullptr;
}

std::string box_caption() {
  std::string c(settings().APPNAME.trimmed());
  c += ' ';
  c += settings().SIMNAME.trimmed();
  c += kNUL;
  return c;
}

int box(std::string text, std::uint32_t style) {
  text += kNUL;
  if (text.size() > kBoxText) text.resize(kBoxText);
  return platform::message_box(text, box_caption(), style);
}

// A box answered with Cancel ends the process at once, without output.
[[noreturn]] void cancelled() { platform::end_process(1); }

// The manager's record of a unit is cleared when the unit is closed under it.
void clear_manager_flag(std::int32_t unit) {
  UnitTables& t = unit_tables();
  for (FixedSlot& f : t.fixed)
    if (f.unit == unit) f.open = false;
  for (PoolSlot& p : t.pool)
    if (p.unit == unit) p.open = false;
}

class Opener {
 public:
  Opener(std::int32_t& unit, FText& name, std::string_view ftype, std::string_view descr, std::int32_t logunit)
      : unit_(unit), name_(name), code_(padded(ftype, 2)), descr_(descr), logunit_(logunit) {
    row_ = find_code(code_);
    input_ = is_input_code(code_);
  }

  void run() {
    bool prompt = name_.blank();
    for (;;) {
      if (prompt) {
        ask_for_name();
        prompt = false;
      }
      switch (attempt()) {
        case Next::Done:
          return;
        case Next::Prompt:
          prompt = true;
          break;
        case Next::Again:
          break;
      }
    }
  }

 private:
  enum class Next { Done, Prompt, Again };

  void put(std::string_view text) { put_to_console_and_log(text, logunit_); }
  void line(std::string_view text) { line_to_console_and_log(text, logunit_); }
  void empty_line() { empty_line_to_console_and_log(logunit_); }

  std::string trimmed_name() const { return std::string(name_.trimmed()); }

  // One attempt: clean the name, report it, and decide how to open the file
  // (or that the user must be asked for another name).
  Next attempt() {
    CLEANPATH(name_);
    const LibSettings& s = settings();
    const char drive = input_ ? s.INPUTDRIVE : s.OUTPUTDRIVE;
    if (drive != ' ' && name_[1] == ':') name_[0] = drive;
    empty_line();
    put("Trying to open file " + trimmed_name() + "...");
    const rt::FileInquiry q = rt::inquire(name_.trimmed());
    if (q.unit != 0) {
      if (input_) return open_input();
      if (code_[0] == 'A' || code_[0] == 'S') return open_output();
      if (!close_open_file(q.unit)) return Next::Prompt;
      return open_output();
    }
    if (input_) {
      if (q.exists) return open_input();
      empty_line();
      line("CHECK 0008 - \"" + trimmed_name() + "\" cannot be found");
      if (settings().BOXMODE) {
        const std::string text =
            box_lines({std::string(s.APPNAME.trimmed()) + " FILE and/or path", trimmed_name(), "does not exist."});
        if (box(text, 0x10035) != 4) cancelled();
        return Next::Again;
      }
      return Next::Prompt;
    }
    return open_output();
  }

  // The file is already connected on another unit of this process: ask
  // whether to close it there first.
  bool close_open_file(std::int32_t other) {
    bool yes;
    if (settings().BOXMODE) {
      const std::string text = box_lines(
          {std::string(settings().APPNAME.trimmed()) + " file ", trimmed_name(), "is already open.  Close it?"});
      yes = box(text, 0x10024) == 6;
      if (!yes) EXITS(1);
    } else {
      console::empty_line();
      console::put(trimmed_name() + " is already open, close it? ");
      const std::string answer = read_answer();
      yes = !answer.empty() && (answer[0] == 'Y' || answer[0] == 'y');
      if (!yes) return false;
    }
    if (rt::close(other) > 0) {
      console::line("  Unable to close file.");
      platform::end_process(1);
    }
    clear_manager_flag(other);
    return true;
  }

  // Asks on the console for another name; an empty answer tries the same
  // name again.
  void ask_for_name() {
    const std::size_t n = lensl_length(descr_);
    if (n > 0) {
      console::put("What is the ");
      console::put(descr_.substr(0, n));
      console::put(" file name? ");
    } else {
      console::empty_line();
      console::put("Check file exists and press enter or enter another file name: ");
    }
    const std::string answer(cut(read_answer(), kAnswerLength));
    if (is_blank(answer)) {
      console::empty_line();
      console::line("No file name entered.  Trying file again...");
      return;
    }
    name_.assign(trim_both(answer));
  }

  // Connects an existing input and reports its unit.
  Next open_input() {
    const int st = rt::open(unit_, name_.trimmed(), row_->options);
    if (st > 0) rt::runtime_failure("open", unit_, st, name_.trimmed());
    line("OK.");
    std::string text = "Opened File Unit:";
    ffmt::put_I(text, 4, unit_);
    line(text);
    if (settings().COPYINPUTS) copy_input();
    return Next::Done;
  }

  // Creates or opens an output according to its type code.
  Next open_output() {
    if (!row_ || row_->cls == CodeClass::Unknown) {
      std::string text = "  Unrecognised file type ";
      text += code_;
      text += " file ";
      ffmt::put_A(text, 80, name_.view());
      line(text);
      return Next::Done;
    }
    if (row_->cls == CodeClass::IO) {
      const int st = rt::open(unit_, name_.trimmed(), row_->options);
      if (st > 0) rt::runtime_failure("open", unit_, st, name_.trimmed());
      return Next::Done;
    }
    if (settings().COPYINPUTS) move_output_into_copy_tree();
    if (row_->cls == CodeClass::Never) {
      line("Should not be here [entex - lo]. Please contact " + std::string(kSupportEmail));
      EXITS(1);
    }
    rt::OpenOptions options = row_->options;
    if (options.form == Form::Formatted && settings().OUTBLOCKSIZE >= 1 && (code_ == "O " || code_ == "F "))
      options.buffer_size = static_cast<std::size_t>(settings().OUTBLOCKSIZE);
    for (;;) {
      const int st = rt::open(unit_, name_.trimmed(), options);
      if (st <= 0) {
        std::string text = "OK.  File Unit:";
        ffmt::put_I(text, 4, unit_);
        line(text);
        return Next::Done;
      }
      const bool exists = rt::inquire(name_.trimmed()).exists;
      if (code_ == "A " && exists) {
        line("FAILED.  No File Unit allocated.");
        unit_ = 0;
        return Next::Done;
      }
      line("Can't Open");
      if (settings().BOXMODE) {
        retry_output_by_box(exists);
        continue;
      }
      console::empty_line();
      console::free_line("Can't open: " + trimmed_name());
      console::empty_line();
      console::free_line("Another application or user maybe using it,");
      console::free_line("   or the file's folder does not exist.");
      console::free_line("If so, close the file or create file path.");
      console::empty_line();
      console::line("Press Enter to Continue");
      (void)read_answer();
    }
  }

  void retry_output_by_box(bool exists) {
    if (exists) {
      const std::string text = box_lines({trimmed_name(), "", "Above file is locked by another application.", "",
                                          "Close the file in the other application and press Retry."});
      if (box(text, 0x10035) != 4) cancelled();
      return;
    }
    const std::string folder(trim_right(FILEFOLDERPATH(name_.view())));
    if (settings().AUTOMKDIR) {
      make_folder_by_box(folder);
      return;
    }
    for (;;) {
      const std::string text =
          box_lines({folder, "", "Above folder does not exist!  Create?", "",
                     "Either create the folder yourself and press No,", "or press Yes to have the folder created for you."});
      const int answer = box(text, 0x10033);
      if (answer == 7) return;
      if (answer != 6) cancelled();
      if (box(box_lines({"Create folder below?", "", folder, ""}), 0x10024) == 6) {
        make_folder_by_box(folder);
        return;
      }
    }
  }

  void make_folder_by_box(const std::string& folder) {
    while (platform::make_folder(folder) > 0) {
      const std::string text =
          box_lines({"Could not create folder:", "", folder, "", "Check permissions and/or sufficient disk space."});
      if (box(text, 0x10035) != 4) cancelled();
    }
  }

  // ---- copy-of-input-files mode ----

  // The copy tree's mirror of a folder: COPYROOT and the folder rewritten
  // below it ("C:" as "C Drive", a leading double separator as "URL\").
  std::string mirror_of(std::string_view folder) {
    FText rewritten(1000, folder);
    RELATIVEPATH(rewritten);
    std::string work(settings().COPYROOT.trimmed());
    work += rewritten.trimmed();
    return work;
  }

  void make_mirror(const std::string& folder) {
    if (platform::make_folder(folder) > 0) {
      line("ERROR 0005 - Could not make the folder below while making a copy of the input files.");
      line("             Check permissions and/or sufficient disk space.");
      line("\"" + folder + "\"");
      EXITS(1);
    }
  }

  void copy_failed(std::string_view source, std::string_view target) {
    line("ERROR 0006 - Could not copy the file below while making a copy of the input files.");
    line("             Check permissions and/or sufficient disk space.");
    line("\"" + std::string(source) + "\" \"" + std::string(target) + "\"");
    EXITS(1);
  }

  void move_output_into_copy_tree() {
    const std::string folder = mirror_of(FILEFOLDERPATH(name_.view()));
    make_mirror(folder);
    std::string file(trim_right(FILENAME(name_.view())));
    file += trim_right(FILEEXT(name_.view()));
    name_.assign(ADDFOLDER(folder, file));
    settings().LASTCOPYPATH.assign(name_.view());
  }

  void copy_input() {
    const std::string path = trimmed_name();
    std::string source_folder(trim_right(FILEFOLDERPATH(path)));
    std::string folder = mirror_of(source_folder);
    make_mirror(folder);
    if (settings().COPYONEFILE) {
      if (platform::copy_file_to(path, folder) > 0) copy_failed(path, folder);
    } else {
      if (ASAME(FILEEXT(path), ".xf")) {
        (void)platform::copy_file_to(path, folder);
        name_.assign(FILENAME(path));
        source_folder += "..\\";
        folder = mirror_of(source_folder);
        make_mirror(folder);
      }
      const std::string base(trim_right(FILENAME(name_.view())));
      if (platform::copy_matching(source_folder, base, folder) > 0)
        copy_failed(source_folder + base + ".*", folder);
    }
    settings().LASTCOPYPATH.assign(ADDFOLDER(folder, trim_right(FILENAMEEXT(path))));
  }

  std::int32_t& unit_;
  FText& name_;
  std::string code_;
  std::string_view descr_;
  std::int32_t logunit_;
  const CodeRow* row_ = nullptr;
  bool input_ = false;
};

}  // namespace

bool is_input_code(std::string_view ftype) {
  const CodeRow* row = find_code(ftype);
  return row && row->cls == CodeClass::Input;
}

void OPENFILE(std::int32_t& IUNIT, FText& FNAME, std::int32_t, std::string_view FTYPE, std::string_view DESCR,
              std::int32_t, std::int32_t LOGUNIT) {
  Opener(IUNIT, FNAME, FTYPE, DESCR, LOGUNIT).run();
}

}  // namespace lib
