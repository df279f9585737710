#include "surfaces/theme_fill.h"

#include "core/private_parts.h"

namespace corvane {
namespace {

// A banner's header is PLTitledPlatterView's, a widget's WGWidgetPlatterView's.
id header_content_view(id owner) {
  if (id header = private_part(owner, "PLTitledPlatterView", CV_STR("_headerContentView"))) return header;
  return private_part(owner, "WGWidgetPlatterView", CV_STR("_headerContentView"));
}

}  // namespace

id first_header_icon(id owner) {
  id header = header_content_view(owner);
  id icons = msg<id>(header, CV_SEL("icons"));
  if (msg<NSUInteger>(icons, CV_SEL("count")) == 0) return nullptr;
  return msg<id>(icons, CV_SEL("objectAtIndex:"), NSUInteger{0});
}

namespace {

id icon_tint(id owner, SEL derivation) {
  id icon_colour = msg<id>(owner, CV_SEL("adaptiveColorForImage:"), first_header_icon(owner));
  return msg<id>(owner, derivation, icon_colour);
}

id colour_for(id owner, Fill fill) {
  switch (fill.kind) {
    case FillKind::Clear: return nullptr;
    case FillKind::Lighter: return icon_tint(owner, CV_SEL("lighterColorForColor:"));
    case FillKind::Darker: return icon_tint(owner, CV_SEL("darkerColorForColor:"));
    case FillKind::White:
      return msg<id>(cls("UIColor"), CV_SEL("colorWithWhite:alpha:"), fill.white, fill.alpha);
  }
  return nullptr;
}

}  // namespace

void apply_fill(id owner, id view, Fill fill) {
  if (!view) return;  // a missing view: nothing to colour, no colour to form
  msg<void>(view, CV_SEL("setBackgroundColor:"), colour_for(owner, fill));
}

}  // namespace corvane
