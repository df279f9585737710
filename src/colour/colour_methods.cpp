#include "colour/colour_methods.h"

namespace corvane {
namespace {

// Placeholders until the engine lands: opaque black and nil.
id black(id, SEL, id) {
  return msg<id>(cls("UIColor"), CV_SEL("colorWithRed:green:blue:alpha:"), 0.0, 0.0, 0.0, 1.0);
}
id none(id, SEL, id) { return nullptr; }

}  // namespace

ColourMethods colour_methods(ColourOwner owner) {
  IMP alt = owner == ColourOwner::PlatterController ? nullptr : reinterpret_cast<IMP>(&black);
  return {reinterpret_cast<IMP>(&black), alt, reinterpret_cast<IMP>(&none),
          reinterpret_cast<IMP>(&none)};
}

}  // namespace corvane
