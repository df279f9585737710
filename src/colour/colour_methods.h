// The colour engine's added methods. Each host class gets implementations of
// its own, differing as their owners need.
#pragma once

#include "platform/platform.h"

namespace corvane {

enum class ColourOwner { Banner, Widget, PlatterController };

struct ColourMethods {
  IMP adaptive_color;            // adaptiveColorForImage:          @@:@
  IMP adaptive_alternate_color;  // adaptiveAlternateColorForImage: @@:@ (none for the platter)
  IMP lighter_color;             // lighterColorForColor:           @@:@
  IMP darker_color;              // darkerColorForColor:            @@:@
};

ColourMethods colour_methods(ColourOwner owner);

}  // namespace corvane
