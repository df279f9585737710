// The home screen hands UIKit its icon views as the source of a preview
// raised from an icon (sim/uikit/icon_preview_source.h).
#include "sim/uikit/icon_preview_source.h"

#include "sim/springboard/SBIconImageView.h"
#include "sim/springboard/SBIconView.h"

namespace sim {
namespace {

// Only a process with the home screen's classes has icon views; elsewhere
// the preview shows plain content.
id icon_source_view(id image, bool ios14) {
  if (!class_named("SBIconView")) return nullptr;
  return ios14 ? make_icon_image_view(image) : make_icon_view(image);
}

const IconPreviewSourceRegistration kRegistration(icon_source_view);

}  // namespace
}  // namespace sim
