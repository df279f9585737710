#include "sim/uikit/icon_preview_source.h"

namespace sim {
namespace {
IconPreviewSourceMaker g_make = nullptr;
}  // namespace

void register_icon_preview_source(IconPreviewSourceMaker make) { g_make = make; }

id make_icon_preview_source(id image, bool ios14) { return g_make ? g_make(image, ios14) : nullptr; }

}  // namespace sim
