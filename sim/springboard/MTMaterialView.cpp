#include "sim/springboard/MTMaterialView.h"

#include "sim/runtime/host_classes.h"
#include "sim/uikit/UIColor.h"

namespace sim {
namespace {

MTMaterialViewObj* material(id self) { return as<MTMaterialViewObj>(self); }

NSInteger recipe(id self, SEL) { return material(self)->recipe; }
void set_recipe(id self, SEL, NSInteger r) { material(self)->recipe = r; }
id material_tint_colour_m(id self, SEL) { return material_tint_colour(self); }

Class install() {
  Class c = define_class<MTMaterialViewObj>("MTMaterialView", ensure_class("UIView"));
  def(c, "recipe", recipe);
  def(c, "setRecipe:", set_recipe);
  def(c, "materialTintColor", material_tint_colour_m);
  return c;
}

SIM_HOST_CLASS("MTMaterialView", Layer::SpringBoard, install);

}  // namespace

id make_material_view(CGRect frame, NSInteger r) {
  id v = make_view("MTMaterialView", frame);
  send<void>(v, sel("setRecipe:"), r);
  return v;
}

// Light: a milky white veil; dark: a smoky grey one. The header recipe is a
// touch more opaque than the platter body, so the strip reads as a band.
id material_tint_colour(id v) {
  bool header = material(v)->recipe == kMaterialRecipePlatterHeader;
  if (effective_style(v) == 1) return make_white(0.97, header ? 0.82 : 0.72);
  return make_white(0.12, header ? 0.80 : 0.70);
}

}  // namespace sim
