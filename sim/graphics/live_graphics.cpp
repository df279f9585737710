#include "sim/graphics/live_graphics.h"

#include <unordered_map>

namespace sim::graphics {
namespace {

std::unordered_map<const void*, GraphicsKind>& live() {
  static auto* map = new std::unordered_map<const void*, GraphicsKind>();
  return *map;
}

}  // namespace

void note_live(GraphicsKind kind, const void* object) { live()[object] = kind; }

void forget_live(const void* object) { live().erase(object); }

bool is_live(GraphicsKind kind, const void* object) {
  auto it = live().find(object);
  return it != live().end() && it->second == kind;
}

}  // namespace sim::graphics
