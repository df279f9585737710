#include "sim/uikit/UIColor.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

id make(UIColorObj::Kind kind, double r, double g, double b, double a) {
  id o = alloc_instance(ensure_class("UIColor"));
  auto* c = as<UIColorObj>(o);
  c->kind = kind;
  c->r = r;
  c->g = g;
  c->b = b;
  c->a = a;
  return objc_autorelease(o);
}

id with_rgba(id, SEL, double r, double g, double b, double a) { return make_rgba(r, g, b, a); }
id with_white(id, SEL, double w, double a) { return make_white(w, a); }
id white(id, SEL) { return make_white(1, 1); }
id black(id, SEL) { return make_white(0, 1); }
id clear(id, SEL) { return make_white(0, 0); }
id with_pattern(id, SEL, id image) { return make_pattern(image); }

// Fills the four components and answers YES, or answers NO for a colour that
// cannot be expressed in RGB (a pattern), leaving the outputs untouched.
BOOL get_rgba(id self, SEL, double* r, double* g, double* b, double* a) {
  auto comps = colour_components(self);
  if (!comps) return NO;
  if (r) *r = (*comps)[0];
  if (g) *g = (*comps)[1];
  if (b) *b = (*comps)[2];
  if (a) *a = (*comps)[3];
  return YES;
}

BOOL get_white(id self, SEL, double* w, double* a) {
  auto* c = as<UIColorObj>(self);
  if (c->kind == UIColorObj::Pattern) return NO;
  if (w) *w = c->kind == UIColorObj::White ? c->r : (c->r + c->g + c->b) / 3;
  if (a) *a = c->a;
  return YES;
}

Class install() {
  Class c = define_class<UIColorObj>("UIColor", ensure_class("NSObject"));
  def_class(c, "colorWithRed:green:blue:alpha:", with_rgba);
  def_class(c, "colorWithWhite:alpha:", with_white);
  def_class(c, "whiteColor", white);
  def_class(c, "blackColor", black);
  def_class(c, "clearColor", clear);
  def_class(c, "colorWithPatternImage:", with_pattern);
  def(c, "getRed:green:blue:alpha:", get_rgba);
  def(c, "getWhite:alpha:", get_white);
  return c;
}

SIM_HOST_CLASS("UIColor", Layer::UIKit, install);

}  // namespace

id make_rgba(double r, double g, double b, double a) { return make(UIColorObj::RGB, r, g, b, a); }
id make_white(double w, double a) { return make(UIColorObj::White, w, w, w, a); }
id make_pattern(id image) {
  id o = make(UIColorObj::Pattern, 0, 0, 0, 1);
  as<UIColorObj>(o)->pattern_image = image;
  return o;
}

std::optional<std::array<double, 4>> colour_components(id colour) {
  if (!colour || !is_kind_of(colour, "UIColor")) return std::nullopt;
  auto* c = as<UIColorObj>(colour);
  if (c->kind == UIColorObj::Pattern) return std::nullopt;
  if (c->kind == UIColorObj::White) return std::array<double, 4>{c->r, c->r, c->r, c->a};
  return std::array<double, 4>{c->r, c->g, c->b, c->a};
}

}  // namespace sim
