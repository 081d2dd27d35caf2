#include "converter/readers/reader.h"

#include "converter/failure.h"
#include "converter/readers/darno.h"
#include "converter/readers/rafts.h"
#include "converter/readers/rorb.h"
#include "converter/readers/rows.h"
#include "converter/readers/urbs.h"
#include "converter/readers/wbnm.h"
#include "converter/readers/xp.h"
#include "platform/connections.h"

namespace conv {
namespace rt = platform::rt;

std::vector<std::string> InputReader::count_events() {
  fail("Multiple event reads are currently supported for RAFTS and WBNM ouputs only.");
}

void InputReader::check_single() {
  const int unit = rt::lowest_free_unit();
  rt::OpenOptions read_only;
  read_only.form = rt::Form::Stream;
  const int st = rt::open(unit, file_.path, read_only);
  if (st > 0) rt::runtime_failure("open", unit, st, file_.path);
  rt::close(unit);
}

std::unique_ptr<InputReader> make_reader(InputFile& file) {
  switch (file.run.input) {
    case InputKind::Wbnm:
      return std::make_unique<wbnm::WbnmReader>(file);
    case InputKind::Rafts:
      return std::make_unique<rafts::RaftsReader>(file);
    case InputKind::Rorb:
      return std::make_unique<rorb::RorbReader>(file);
    case InputKind::Urbs:
      return std::make_unique<urbs::UrbsReader>(file);
    case InputKind::Darno:
      return std::make_unique<darno::DarnoReader>(file);
    case InputKind::Rows:
      return std::make_unique<rows::RowsReader>(file);
    case InputKind::Xp:
      return std::make_unique<xpfile::XpReader>(file);
  }
  return nullptr;
}

}  // namespace conv
