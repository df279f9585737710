// NCNotificationShortLookView: a notification banner.
//
// initWithFrame: makes the material backdrop and the header; make_banner
// (the host's banner factory) gives the header its icon and adds the custom
// content view when the notification has one. Every part is made in its
// place. layoutSubviews runs UIView's layout, then frames the backdrop to the
// bounds, the header across the top (kPlatterHeaderHeight points) and the
// custom content below it, each with setFrame: by message.
#include "sim/springboard/NCNotificationShortLookView.h"

#include <algorithm>

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/springboard/MTMaterialView.h"
#include "sim/springboard/MTPlatterHeaderContentView.h"

namespace sim {
namespace {

Class g_class = nullptr;  // this process's class, set when it is installed
RuntimeStopHook g_reset([] { g_class = nullptr; });

NCNotificationShortLookViewObj* banner(id self) { return as<NCNotificationShortLookViewObj>(self); }

struct PartFrames {
  CGRect background, header, content;
};

PartFrames part_frames(CGSize size) {
  double header = std::min(kPlatterHeaderHeight, std::max(size.height, 0.0));
  return {CGRect{{0, 0}, size}, CGRect{{0, 0}, {size.width, header}},
          CGRect{{0, header}, {size.width, std::max(size.height - header, 0.0)}}};
}

id init_with_frame(id self, SEL cmd, CGRect frame) {
  self = send_super<id>(g_class, self, cmd, frame);
  if (!self) return self;
  PartFrames f = part_frames(frame.size);
  banner(self)->background_view = make_material_view(f.background, kMaterialRecipePlatter);
  banner(self)->header_content_view = make_header_content_view(nullptr, f.header);
  add_subview(self, banner(self)->background_view);
  add_subview(self, banner(self)->header_content_view);
  return self;
}

id custom_content_view(id self, SEL) { return banner(self)->custom_content_view; }

void layout_subviews(id self, SEL cmd) {
  send_super<void>(g_class, self, cmd);
  PartFrames f = part_frames(send<CGRect>(self, sel("frame")).size);
  send<void>(banner(self)->background_view, sel("setFrame:"), f.background);
  send<void>(banner(self)->header_content_view, sel("setFrame:"), f.header);
  send<void>(banner(self)->custom_content_view, sel("setFrame:"), f.content);
}

Class install() {
  Class c =
      define_class<NCNotificationShortLookViewObj>("NCNotificationShortLookView", ensure_class("UIView"));
  g_class = c;
  def(c, "initWithFrame:", init_with_frame);
  def(c, "customContentView", custom_content_view);
  def(c, "layoutSubviews", layout_subviews);
  add_ivar(c, "_backgroundView", offsetof(NCNotificationShortLookViewObj, background_view));
  add_ivar(c, "_headerContentView", offsetof(NCNotificationShortLookViewObj, header_content_view));
  add_ivar(c, "_customContentView", offsetof(NCNotificationShortLookViewObj, custom_content_view));
  return c;
}

SIM_HOST_CLASS("NCNotificationShortLookView", Layer::SpringBoard, install);

}  // namespace

id make_banner(id icon, CGRect frame, bool with_content) {
  id b = make_view("NCNotificationShortLookView", frame);
  set_header_icon(banner(b)->header_content_view, icon);
  if (with_content) {
    banner(b)->custom_content_view = make_view("UIView", part_frames(frame.size).content);
    add_subview(b, banner(b)->custom_content_view);
  }
  return b;
}

}  // namespace sim
