#include "colour/tint.h"

namespace corvane::colour {
namespace {

struct Components {
  double r, g, b, a;
};

// The colour's components as it reports them; false when it cannot (a
// message to nil answers NO as well).
bool components_of(id colour, Components* out) {
  *out = {0, 0, 0, 0};
  return msg<BOOL>(colour, CV_SEL("getRed:green:blue:alpha:"), &out->r, &out->g, &out->b, &out->a);
}

// Written as comparisons that pick the bound when they fail, so a NaN
// component comes out as the bound rather than as NaN.
inline double capped(double v) { return v < 1.0 ? v : 1.0; }
inline double floored(double v) { return v > 0.0 ? v : 0.0; }

id make_colour(double r, double g, double b, double a) {
  return msg<id>(cls("UIColor"), CV_SEL("colorWithRed:green:blue:alpha:"), r, g, b, a);
}

}  // namespace

id lighter_colour(id colour, double offset, double alpha) {
  Components c;
  if (!components_of(colour, &c)) return nullptr;
  return make_colour(capped(c.r + offset), capped(c.g + offset), capped(c.b + offset), alpha);
}

id darker_colour(id colour, double offset, double alpha) {
  Components c;
  if (!components_of(colour, &c)) return nullptr;
  return make_colour(floored(c.r - offset), floored(c.g - offset), floored(c.b - offset), alpha);
}

}  // namespace corvane::colour
