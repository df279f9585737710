// Device colour spaces. Each Create returns a new object so that every
// reference is counted on its own.
#include "sim/graphics/cg_objects.h"
#include "sim/graphics/live_graphics.h"

namespace {

CGColorSpaceRef new_space(CGColorSpaceModel model) {
  auto* space = new CGColorSpace;
  space->model = model;
  sim::graphics::note_live(sim::graphics::GraphicsKind::ColorSpace, space);
  return space;
}

}  // namespace

extern "C" {

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) { return new_space(kCGColorSpaceModelRGB); }
CGColorSpaceRef CGColorSpaceCreateDeviceGray(void) { return new_space(kCGColorSpaceModelMonochrome); }
CGColorSpaceRef CGColorSpaceCreateDeviceCMYK(void) { return new_space(kCGColorSpaceModelCMYK); }

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) {
  if (space) space->refs.fetch_add(1, std::memory_order_relaxed);
  return space;
}

void CGColorSpaceRelease(CGColorSpaceRef space) {
  if (space && space->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    sim::graphics::forget_live(space);
    delete space;
  }
}

CGColorSpaceModel CGColorSpaceGetModel(CGColorSpaceRef space) {
  return space ? space->model : kCGColorSpaceModelUnknown;
}

}  // extern "C"
