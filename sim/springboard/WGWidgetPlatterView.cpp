// WGWidgetPlatterView : UIView: a widget on the Today view.
//
// The class is built for the running system: iOS 14 dropped the header's
// material strip, so from 14 on there is no _headerBackgroundView and the
// header sits directly on the platter material.
//
// initWithFrame: makes every part in its place. A layout pass is the
// widget's own sequence of configuration and layout steps, each sent by
// message so that whatever replaces one of them runs inside the pass, as on
// a device. The order, fixed here:
//
//   layoutSubviews
//     1. UIView's layoutSubviews
//     2. _configureBackgroundMaterialViewIfNecessary  the platter material exists, rearmost,
//                                                     with the platter recipe
//     3. _configureHeaderViewsIfNecessary             the header material and the header exist,
//                                                     directly in front of it
//     4. _updateHeaderContentViewVisualStyling        the header's text styling
//     5. _layoutHeaderViews                           header material and header across the top
//     6. _layoutContentView                           backdrop to the bounds, content below the header
#include "sim/springboard/WGWidgetPlatterView.h"

#include <algorithm>

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/springboard/MTMaterialView.h"
#include "sim/springboard/WGPlatterHeaderContentView.h"
#include "sim/system/system.h"

namespace sim {
namespace {

Class g_class = nullptr;      // this process's class, set when it is installed
bool g_header_strip = false;  // whether that class has _headerBackgroundView (below iOS 14)
RuntimeStopHook g_reset([] { g_class = nullptr; });

WGWidgetPlatterViewObj* widget(id self) { return as<WGWidgetPlatterViewObj>(self); }

CGSize size_of(id self) { return send<CGRect>(self, sel("frame")).size; }
CGRect header_frame(CGSize size) {
  return CGRect{{0, 0}, {size.width, std::min(kPlatterHeaderHeight, std::max(size.height, 0.0))}};
}
CGRect content_frame(CGSize size) {
  double top = header_frame(size).size.height;
  return CGRect{{0, top}, {size.width, std::max(size.height - top, 0.0)}};
}

// The parts that are missing, made in their places: the material rearmost,
// then the header material and the header in front of it.
void make_background_if_missing(id self) {
  if (widget(self)->background_view) return;
  widget(self)->background_view = make_material_view(CGRect{{0, 0}, size_of(self)}, kMaterialRecipePlatter);
  send<void>(self, sel("insertSubview:atIndex:"), widget(self)->background_view.get(), 0L);
}
void make_header_if_missing(id self) {
  CGRect header = header_frame(size_of(self));
  NSInteger at = widget(self)->background_view ? 1 : 0;
  if (g_header_strip) {
    if (!widget(self)->header_background_view) {
      widget(self)->header_background_view = make_material_view(header, kMaterialRecipePlatterHeader);
      send<void>(self, sel("insertSubview:atIndex:"), widget(self)->header_background_view.get(), at);
    }
    ++at;
  }
  if (!widget(self)->header_content_view) {
    widget(self)->header_content_view =
        make_header_content_view("WGPlatterHeaderContentView", nullptr, header);
    send<void>(self, sel("insertSubview:atIndex:"), widget(self)->header_content_view.get(), at);
  }
}

id init_with_frame(id self, SEL cmd, CGRect frame) {
  self = send_super<id>(g_class, self, cmd, frame);
  if (!self) return self;
  make_background_if_missing(self);
  make_header_if_missing(self);
  widget(self)->content_view = make_view("UIView", content_frame(frame.size));
  add_subview(self, widget(self)->content_view);
  return self;
}

void configure_background_material(id self, SEL) {
  make_background_if_missing(self);
  send<void>(widget(self)->background_view, sel("setRecipe:"),
             static_cast<NSInteger>(kMaterialRecipePlatter));
}
void configure_header_views(id self, SEL) {
  make_header_if_missing(self);
  send<void>(widget(self)->header_background_view, sel("setRecipe:"),
             static_cast<NSInteger>(kMaterialRecipePlatterHeader));
}
// On a device this styles the header's title and date for the material
// behind them; the simulator draws no text, so there is nothing to restyle.
void update_header_content_visual_styling(id, SEL) {}
void layout_header_views(id self, SEL) {
  CGRect header = header_frame(size_of(self));
  send<void>(widget(self)->header_background_view, sel("setFrame:"), header);
  send<void>(widget(self)->header_content_view, sel("setFrame:"), header);
}
void layout_content_view(id self, SEL) {
  CGSize size = size_of(self);
  send<void>(widget(self)->background_view, sel("setFrame:"), CGRect{{0, 0}, size});
  send<void>(widget(self)->content_view, sel("setFrame:"), content_frame(size));
}

id content_view(id self, SEL) { return widget(self)->content_view; }
// The host's own setter: the old content leaves, the new one goes in front.
void set_content_view(id self, SEL, id v) {
  id old = widget(self)->content_view;
  if (old == v) return;
  send<void>(old, sel("removeFromSuperview"));
  widget(self)->content_view = v;
  send<void>(self, sel("addSubview:"), v);
}

void layout_subviews(id self, SEL cmd) {
  send_super<void>(g_class, self, cmd);
  send<void>(self, sel("_configureBackgroundMaterialViewIfNecessary"));
  send<void>(self, sel("_configureHeaderViewsIfNecessary"));
  send<void>(self, sel("_updateHeaderContentViewVisualStyling"));
  send<void>(self, sel("_layoutHeaderViews"));
  send<void>(self, sel("_layoutContentView"));
}

Class install() {
  Class c = define_class<WGWidgetPlatterViewObj>("WGWidgetPlatterView", ensure_class("UIView"));
  g_class = c;
  g_header_strip = !sim_os_at_least(14, 0, 0);
  def(c, "initWithFrame:", init_with_frame);
  def(c, "layoutSubviews", layout_subviews);
  def(c, "_configureHeaderViewsIfNecessary", configure_header_views);
  def(c, "_configureBackgroundMaterialViewIfNecessary", configure_background_material);
  def(c, "_updateHeaderContentViewVisualStyling", update_header_content_visual_styling);
  def(c, "_layoutHeaderViews", layout_header_views);
  def(c, "_layoutContentView", layout_content_view);
  def(c, "contentView", content_view);
  def(c, "_setContentView:", set_content_view);
  add_ivar(c, "_backgroundView", offsetof(WGWidgetPlatterViewObj, background_view), "MTMaterialView");
  if (g_header_strip)
    add_ivar(c, "_headerBackgroundView", offsetof(WGWidgetPlatterViewObj, header_background_view),
             "MTMaterialView");
  add_ivar(c, "_headerContentView", offsetof(WGWidgetPlatterViewObj, header_content_view),
           "WGPlatterHeaderContentView");
  add_ivar(c, "_contentView", offsetof(WGWidgetPlatterViewObj, content_view), "UIView");
  return c;
}

SIM_HOST_CLASS("WGWidgetPlatterView", Layer::SpringBoard, install);

}  // namespace

id make_widget(id icon, CGRect frame) {
  id w = make_view("WGWidgetPlatterView", frame);
  set_header_icon(widget(w)->header_content_view, icon);
  return w;
}

}  // namespace sim
