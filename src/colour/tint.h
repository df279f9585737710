// Light and dark tints derived from an icon tint: every colour component
// moved by an offset (capped at 1 going up, floored at 0 going down) and a
// fixed alpha in place of the colour's own.
#pragma once

#include "platform/platform.h"

namespace corvane::colour {

// (min(r + offset, 1), min(g + offset, 1), min(b + offset, 1), alpha), or nil
// when the colour cannot give RGB components (a pattern colour, nil).
id lighter_colour(id colour, double offset, double alpha);

// (max(r - offset, 0), max(g - offset, 0), max(b - offset, 0), alpha), or nil
// as above.
id darker_colour(id colour, double offset, double alpha);

}  // namespace corvane::colour
