// UIStatusBar_Modern: the status bar of devices with a sensor housing. Not a
// subclass of UIStatusBar: it answers the same messages with methods of its
// own, so a hook on one class never reaches the other.
#include "sim/uikit/UIStatusBar_Modern.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_status_bar_class("UIStatusBar_Modern"); }

SIM_HOST_CLASS("UIStatusBar_Modern", Layer::UIKit, install);

}  // namespace
}  // namespace sim
