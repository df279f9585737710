#include "sim/springboard/MTMaterialView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

MTMaterialViewObj* material(id self) { return as<MTMaterialViewObj>(self); }

NSInteger recipe(id self, SEL) { return material(self)->recipe; }
void set_recipe(id self, SEL, NSInteger r) { material(self)->recipe = r; }

Class install() {
  Class c = define_class<MTMaterialViewObj>("MTMaterialView", ensure_class("UIView"));
  def(c, "recipe", recipe);
  def(c, "setRecipe:", set_recipe);
  return c;
}

SIM_HOST_CLASS("MTMaterialView", Layer::SpringBoard, install);

}  // namespace

id make_material_view(CGRect frame, NSInteger r) {
  id v = make_view("MTMaterialView", frame);
  send<void>(v, sel("setRecipe:"), static_cast<NSInteger>(r));
  return v;
}

}  // namespace sim
