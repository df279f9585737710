#include "colour/colour_methods.h"

#include "colour/sampling.h"
#include "colour/tint.h"
#include "core/settings.h"

namespace corvane {
namespace {

// How one host class's copies of the colour methods differ.
struct CopyRules {
  bool answers_alternate;  // has adaptiveAlternateColorForImage: (one-pixel sampling)
  bool consults_alt_algo;  // adaptiveColorForImage: defers to it when altAlgo is on
  double one_pixel_gain;   // factor on the one-pixel multiplier
  bool fixed_tint_alpha;   // tints take kFixedTintAlpha instead of the strength settings
};

constexpr double kFixedTintAlpha = 0.6;

constexpr CopyRules rules_of(ColourOwner owner) {
  switch (owner) {
    case ColourOwner::Banner: return {true, true, 1.0, false};
    case ColourOwner::Widget: return {true, true, 2.0, false};
    case ColourOwner::PlatterController: return {false, false, 1.0, true};
  }
  return {false, false, 1.0, false};
}

template <ColourOwner O>
id adaptive_color(id self, SEL, id image) {
  if (rules_of(O).consults_alt_algo && settings.altAlgo)
    return msg<id>(self, CV_SEL("adaptiveAlternateColorForImage:"), image);
  return colour::pixel_average_colour(image);
}

template <ColourOwner O>
id adaptive_alternate_color(id, SEL, id image) {
  return colour::one_pixel_colour(image, rules_of(O).one_pixel_gain);
}

template <ColourOwner O>
id lighter_color(id, SEL, id colour) {
  const double alpha = rules_of(O).fixed_tint_alpha ? kFixedTintAlpha : settings.lightColorStrength;
  return colour::lighter_colour(colour, settings.lightColorOffset, alpha);
}

template <ColourOwner O>
id darker_color(id, SEL, id colour) {
  const double alpha = rules_of(O).fixed_tint_alpha ? kFixedTintAlpha : settings.darkColorStrength;
  return colour::darker_colour(colour, settings.darkColorOffset, alpha);
}

template <ColourOwner O>
ColourMethods methods() {
  ColourMethods m = {reinterpret_cast<IMP>(&adaptive_color<O>), nullptr,
                     reinterpret_cast<IMP>(&lighter_color<O>), reinterpret_cast<IMP>(&darker_color<O>)};
  if constexpr (rules_of(O).answers_alternate)
    m.adaptive_alternate_color = reinterpret_cast<IMP>(&adaptive_alternate_color<O>);
  return m;
}

}  // namespace

ColourMethods colour_methods(ColourOwner owner) {
  switch (owner) {
    case ColourOwner::Banner: return methods<ColourOwner::Banner>();
    case ColourOwner::Widget: return methods<ColourOwner::Widget>();
    case ColourOwner::PlatterController: return methods<ColourOwner::PlatterController>();
  }
  return {};
}

}  // namespace corvane
