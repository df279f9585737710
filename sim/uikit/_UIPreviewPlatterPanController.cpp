// _UIPreviewPlatterPanController: placeholder host class.
#include "sim/uikit/_UIPreviewPlatterPanController.h"

#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {

id init_with_views(id self, SEL, id, id, id) { return self; }
void view_did_layout(id, SEL) {}

Class install() {
  Class c = define_class<objc_object>("_UIPreviewPlatterPanController", ensure_class("NSObject"));
  def(c, "initWithContainerView:platterView:actionsView:", init_with_views);
  def(c, "viewDidLayoutSubviews", view_did_layout);
  return c;
}

SIM_HOST_CLASS("_UIPreviewPlatterPanController", Layer::UIKit, install);

}  // namespace

id make_platter_controller(id, int, bool) { return nullptr; }

}  // namespace sim
