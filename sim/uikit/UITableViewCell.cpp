#include "sim/uikit/UITableViewCell.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<UIViewObj>("UITableViewCell", ensure_class("UIView")); }

SIM_HOST_CLASS("UITableViewCell", Layer::UIKit, install);

}  // namespace
}  // namespace sim
