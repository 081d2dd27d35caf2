#include "library/unit_manager.h"

#include <string>

#include "library/console_dialogue.h"
#include "library/exits.h"
#include "library/ffmt.h"
#include "library/openfile.h"
#include "library/paths.h"
#include "library/pauses.h"
#include "library/settings.h"
#include "library/text_basics.h"
#include "library/unit_slots.h"
#include "platform/connections.h"
#include "platform/console.h"
#include "platform/msgbox.h"
#include "platform/process.h"

namespace lib {
namespace console = platform::console;

namespace {

// The manager's own name field: the caller's text is never changed.
FText& work_name() {
  static FText name(1000);
  return name;
}

// Internal consistency stops end the process at once, without a pause.
[[noreturn]] void stop(std::string_view message) {
  console::line(message);
  platform::end_process(1);
}

void check_slot_number(std::int32_t n, std::string_view message) {
  if (n < 1 || n > kFixedSlots) stop(message);
}

std::int32_t kind_of(std::string_view name) {
  const std::string ext = FILEEXT(name);
  if (ext == ".mif") return 101;
  if (ext == ".mid") return 102;
  if (ext == ".12da") return 111;
  return 0;
}

// Whether OPENFILE left the unit connected: an unrecognised type code opens
// nothing, and such a unit must not be recorded as open.
bool opened(std::int32_t unit) { return unit != 0 && platform::rt::is_connected(unit); }

// Opens the name held in the manager's field on the first free pool unit;
// a blank name ends the run.
void open_pool_unit(std::int32_t& IUNIT, std::string_view FTYPE) {
  FText& name = work_name();
  if (name.blank()) {
    std::string text = "Empty filename specified.  Bailing out.  Please contact ";
    text += kSupportEmail;
    text += '.';
    if (settings().BOXMODE) {
      std::string caption(settings().APPNAME.trimmed());
      caption += '\0';
      platform::message_box(text + '\0', caption, 0x10010);
    } else {
      console::empty_line();
      console::line(text);
      pause_for_enter("Press Enter to Close");
    }
    platform::end_process(1);
  }
  UnitTables& t = unit_tables();
  PoolSlot* slot = nullptr;
  for (PoolSlot& p : t.pool) {
    if (!p.open) {
      slot = &p;
      break;
    }
  }
  if (!slot) stop("No free file numbers.");
  IUNIT = slot->unit;
  OPENFILE(IUNIT, name, 0, FTYPE, "  ", 0, settings().LOGUNIT);
  slot->kind = kind_of(name.view());
  slot->open = opened(IUNIT);
}

// Opens fixed slot N on the name it holds (refusing a slot that is already
// open, or an unnamed one when no prompt is allowed).
void open_fixed_slot(std::int32_t N, std::int32_t& IUNIT, std::string_view FTYPE, std::string_view DESCR,
                     std::int32_t IPROMPT) {
  FixedSlot& f = unit_tables().fixed[N - 1];
  if (f.open) stop("File already opened - OPENER");
  if (f.namelen == 0 && IPROMPT < 1) EXITS(1);
  IUNIT = f.unit;
  f.type = std::string(padded(FTYPE, 2));
  OPENFILE(IUNIT, f.name, 0, FTYPE, DESCR, 0, settings().LOGUNIT);
  f.open = opened(IUNIT);
}

}  // namespace

void OPENFREE(std::int32_t& IUNIT, std::string_view FTYPE, std::string_view FNAME, std::int32_t) {
  work_name().assign(TRIMF(FNAME));
  open_pool_unit(IUNIT, FTYPE);
}

void OPENDERIVED(std::int32_t& IUNIT, std::string_view FTYPE, std::string_view PREFIX, std::string_view SUFFIX) {
  constexpr std::size_t kDerivedLength = 38;
  std::string name;
  for (std::size_t i = 0; i < 2 && i < PREFIX.size(); ++i)
    if (PREFIX[i] != ' ') name += PREFIX[i];
  const FixedSlot& one = unit_tables().fixed[0];
  const std::size_t len = static_cast<std::size_t>(std::max<std::int32_t>(one.namelen, 0));
  const std::size_t from = one.name[1] == '_' ? 2 : 0;
  if (len > from) name += one.name.view().substr(from, len - from);
  for (std::size_t i = 0; i < 4 && i < SUFFIX.size(); ++i)
    if (SUFFIX[i] != ' ') name += SUFFIX[i];
  work_name().assign(trim_both(cut(name, kDerivedLength)));
  open_pool_unit(IUNIT, FTYPE);
}

void CLOSER(std::int32_t& IUNIT) {
  UnitTables& t = unit_tables();
  bool* flag = nullptr;
  bool found = false;
  for (FixedSlot& f : t.fixed) {
    if (f.unit == IUNIT) {
      flag = &f.open;
      found = true;
      break;
    }
  }
  if (!found) {
    for (PoolSlot& p : t.pool) {
      if (p.unit == IUNIT) {
        flag = &p.open;
        found = true;
        break;
      }
    }
  }
  if (!found || !*flag) return;
  const bool written = close_reporting_unwritten(IUNIT);
  *flag = false;
  if (!written) {
    IUNIT = 0;
    EXITS(1);
  }
  std::string text = "...Closed File Unit:";
  ffmt::put_I(text, 4, IUNIT);
  line_to_console_and_log(text);
  IUNIT = 0;
}

void CLOSEALL() {
  empty_line_to_console_and_log();
  line_to_console_and_log("Closing all file units...");
  settings().LOGUNIT = 0;
  UnitTables& t = unit_tables();
  bool written = true;
  for (FixedSlot& f : t.fixed) {
    if (f.open && !close_reporting_unwritten(f.unit)) written = false;
    f.open = false;
  }
  for (PoolSlot& p : t.pool) {
    if (p.open && !close_reporting_unwritten(p.unit)) written = false;
    p.open = false;
  }
  if (!written) EXITS(1);
}

std::int32_t UNITKIND(std::int32_t IUNIT) {
  for (const PoolSlot& p : unit_tables().pool)
    if (p.unit == IUNIT) return p.kind;
  return 0;
}

void OPENER(std::int32_t N, std::int32_t& IUNIT, std::string_view FTYPE, std::string_view DESCR,
            std::int32_t IPROMPT) {
  check_slot_number(N, "Incorrect file number - OPENER");
  open_fixed_slot(N, IUNIT, FTYPE, DESCR, IPROMPT);
}

void OPENERNAME(std::int32_t N, std::int32_t& IUNIT, std::string_view NAME, std::string_view FTYPE,
                std::string_view DESCR, std::int32_t IPROMPT) {
  check_slot_number(N, "Incorrect file number - OPENER");
  FixedSlot& f = unit_tables().fixed[N - 1];
  f.name.assign(TRIMF(NAME));
  f.namelen = static_cast<std::int32_t>(f.name.len_trim());
  open_fixed_slot(N, IUNIT, FTYPE, DESCR, IPROMPT);
}

void OPENERPREFIX(std::int32_t N, std::int32_t& IUNIT, std::string_view FTYPE, std::string_view DESCR,
                  std::int32_t IPROMPT, std::string_view PREFIX) {
  check_slot_number(N, "Incorrect file number - OPENER");
  FixedSlot& f = unit_tables().fixed[N - 1];
  if (f.namelen == 0) {
    const FixedSlot& one = unit_tables().fixed[0];
    const bool underscore = one.name[1] == '_';
    const std::string_view src = one.name.view().substr(underscore ? 2 : 0);
    // Positions 3 to 80 take slot 1's name; positions 1 and 2 the prefix.
    for (std::size_t i = 2; i < 80; ++i) f.name[i] = src[i - 2];
    const std::string pre = padded(PREFIX, 2);
    f.name[0] = pre[0];
    f.name[1] = pre[1];
    f.namelen = std::min<std::int32_t>(underscore ? one.namelen : one.namelen + 2, 80);
  }
  open_fixed_slot(N, IUNIT, FTYPE, DESCR, IPROMPT);
}

void OPENINOUT() {
  UnitTables& t = unit_tables();
  const struct {
    int slot;
    std::string_view code, descr;
  } opens[] = {{0, "I ", "input"}, {1, "F ", "output"}};
  for (const auto& o : opens) {
    FixedSlot& f = t.fixed[o.slot];
    if (f.open) stop("File already opened - OPENER");
    std::int32_t unit = f.unit;
    f.type = std::string(o.code);
    OPENFILE(unit, f.name, 0, o.code, o.descr, 0, settings().LOGUNIT);
    f.open = opened(unit);
  }
}

void CLRNAM(std::int32_t N) {
  if (N < 1 || N > kFixedSlots) return;
  FixedSlot& f = unit_tables().fixed[N - 1];
  f.namelen = 0;
  f.name.assign("");
}

bool NAMED(std::int32_t N) {
  if (N < 1 || N > kFixedSlots) stop("Invalid file number - NAMED");
  return unit_tables().fixed[N - 1].namelen > 0;
}

void GETNAM(std::int32_t N, FText& NAME) {
  if (N < 1 || N > kFixedSlots) stop("Invalid file number - GETNAM");
  NAME.assign(unit_tables().fixed[N - 1].name.view().substr(0, 80));
}

}  // namespace lib
