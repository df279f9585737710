// WGWidgetPlatterView: placeholder host class; its own behaviour comes with its surface.
#include "sim/springboard/WGWidgetPlatterView.h"

#include "sim/process/host_classes.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {

void configureHeaderViewsIfNecessary(id, SEL) {}
void configureBackgroundMaterialViewIfNecessary(id, SEL) {}
void updateHeaderContentViewVisualStyling(id, SEL) {}
void layoutHeaderViews(id, SEL) {}
void layoutContentView(id, SEL) {}

Class install() {
  Class c = define_class<UIViewObj>("WGWidgetPlatterView", ensure_class("UIView"));
  def(c, "_configureHeaderViewsIfNecessary", configureHeaderViewsIfNecessary);
  def(c, "_configureBackgroundMaterialViewIfNecessary", configureBackgroundMaterialViewIfNecessary);
  def(c, "_updateHeaderContentViewVisualStyling", updateHeaderContentViewVisualStyling);
  def(c, "_layoutHeaderViews", layoutHeaderViews);
  def(c, "_layoutContentView", layoutContentView);
  return c;
}

SIM_HOST_CLASS("WGWidgetPlatterView", Layer::SpringBoard, install);

}  // namespace

id make_widget(id, CGRect frame) { return make_view("WGWidgetPlatterView", frame); }

}  // namespace sim
