// NCNotificationShortLookView : PLTitledPlatterView : PLPlatterView: a
// notification banner.
//
// make_banner (the host's banner factory) builds every part in its place:
// the backdrop through PLPlatterView's setBackgroundView:, the header and,
// when the notification has one, the custom content view. The banner's own
// layoutSubviews runs its superclass's layout (UIView's), then frames the
// backdrop to the bounds, the header across the top (kPlatterHeaderHeight
// points) and the custom content below it, each with setFrame: by message.
#include "sim/springboard/NCNotificationShortLookView.h"

#include <algorithm>

#include "sim/runtime/host_classes.h"
#include "sim/springboard/MTMaterialView.h"
#include "sim/springboard/PLPlatterHeaderContentView.h"

namespace sim {
namespace {

NCNotificationShortLookViewObj* banner(id self) { return as<NCNotificationShortLookViewObj>(self); }

struct PartFrames {
  CGRect background, header, content;
};

PartFrames part_frames(CGSize size) {
  double header = std::min(kPlatterHeaderHeight, std::max(size.height, 0.0));
  return {CGRect{{0, 0}, size}, CGRect{{0, 0}, {size.width, header}},
          CGRect{{0, header}, {size.width, std::max(size.height - header, 0.0)}}};
}

void layout_subviews(id self, SEL cmd) {
  send_super<void>(class_named("NCNotificationShortLookView"), self, cmd);
  PartFrames f = part_frames(send<CGRect>(self, sel("frame")).size);
  send<void>(banner(self)->background_view, sel("setFrame:"), f.background);
  send<void>(banner(self)->header_content_view, sel("setFrame:"), f.header);
  send<void>(banner(self)->custom_content_view, sel("setFrame:"), f.content);
}

Class install() {
  Class c = define_class<NCNotificationShortLookViewObj>("NCNotificationShortLookView",
                                                         ensure_class("PLTitledPlatterView"));
  def(c, "layoutSubviews", layout_subviews);
  return c;
}

SIM_HOST_CLASS("NCNotificationShortLookView", Layer::SpringBoard, install);

}  // namespace

id make_banner(id icon, CGRect frame, bool with_content) {
  id b = make_view("NCNotificationShortLookView", frame);
  PartFrames f = part_frames(frame.size);
  send<void>(b, sel("setBackgroundView:"), make_material_view(f.background, kMaterialRecipePlatter));
  banner(b)->header_content_view = make_header_content_view("PLPlatterHeaderContentView", icon, f.header);
  add_subview(b, banner(b)->header_content_view);
  if (with_content) {
    banner(b)->custom_content_view = make_view("UIView", f.content);
    add_subview(b, banner(b)->custom_content_view);
  }
  return b;
}

}  // namespace sim
