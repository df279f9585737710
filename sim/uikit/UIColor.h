// UIColor: four doubles, kept as set (out-of-range values included), as RGB
// or white; or a pattern colour, which has no RGB components.
#pragma once

#include <array>
#include <optional>

#include "sim/runtime/runtime.h"

namespace sim {

struct UIColorObj : objc_object {
  enum Kind { RGB, White, Pattern } kind = RGB;
  double r = 0, g = 0, b = 0, a = 0;  // White: r holds the white level
  Strong pattern_image;
};

id make_rgba(double r, double g, double b, double a);  // autoreleased
id make_white(double w, double a);
id make_pattern(id image);

// The colour's components as a dump shows them ([w,w,w,a] for white), or
// nothing for a pattern colour, nil, or an object that is not a colour.
std::optional<std::array<double, 4>> colour_components(id colour);

}  // namespace sim
