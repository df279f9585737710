// +[PSTableCell cellTypeFromString:] maps the PSCellType names of
// PSTableCell.h to their values. For a name it does not know the
// framework's answer is not documented; the host answers -1, which no row
// kind has, and the page shows such a row as "unknown".
#include "sim/preferences/PSTableCell.h"

#include <string_view>

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/uikit/UITableViewCell.h"

namespace sim {
namespace {

constexpr std::string_view kNames[] = {
    "PSGroupCell",          "PSLinkCell",    "PSLinkListCell",     "PSListItemCell",
    "PSTitleValueCell",     "PSSliderCell",  "PSSwitchCell",       "PSStaticTextCell",
    "PSEditTextCell",       "PSSegmentCell", "PSGiantIconCell",    "PSGiantCell",
    "PSSecureEditTextCell", "PSButtonCell",  "PSEditTextViewCell", "PSSpinnerCell",
};

NSInteger cell_type_from_string(id, SEL, id name) {
  const std::string text = string_value(name);
  for (size_t i = 0; i < std::size(kNames); ++i)
    if (kNames[i] == text) return static_cast<NSInteger>(i);
  return -1;
}

Class install() {
  Class c = define_class<UIViewObj>("PSTableCell", ensure_class("UITableViewCell"));
  def_class(c, "cellTypeFromString:", cell_type_from_string);
  return c;
}

SIM_HOST_CLASS("PSTableCell", Layer::Preferences, install);

}  // namespace
}  // namespace sim
