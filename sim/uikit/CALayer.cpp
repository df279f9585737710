#include "sim/uikit/CALayer.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

CALayerObj* layer(id self) { return as<CALayerObj>(self); }

double corner_radius(id self, SEL) { return layer(self)->corner_radius; }
void set_corner_radius(id self, SEL, double r) { layer(self)->corner_radius = r; }
BOOL masks_to_bounds(id self, SEL) { return layer(self)->masks_to_bounds; }
void set_masks_to_bounds(id self, SEL, BOOL v) { layer(self)->masks_to_bounds = v; }

Class install() {
  Class c = define_class<CALayerObj>("CALayer", ensure_class("NSObject"));
  def(c, "cornerRadius", corner_radius);
  def(c, "setCornerRadius:", set_corner_radius);
  def(c, "masksToBounds", masks_to_bounds);
  def(c, "setMasksToBounds:", set_masks_to_bounds);
  return c;
}

SIM_HOST_CLASS("CALayer", Layer::UIKit, install);

}  // namespace
}  // namespace sim
