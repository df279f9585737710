#include "sim/uikit/_UIPreviewPlatterPresentationController.h"

#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/_UIPlatterTransformView.h"
#include "sim/uikit/_UIPortalView.h"
#include "sim/uikit/_UIPreviewPlatterView.h"
#include "sim/uikit/icon_preview_source.h"

namespace sim {
namespace {

// Geometry, in the container's points.
constexpr CGRect kScreen{{0, 0}, {375, 667}};
constexpr CGPoint kPlatterOrigin{24, 160};
constexpr CGSize kContentPreviewSize{240, 160};  // a preview not raised from an icon
constexpr double kMenuGap = 12;
constexpr double kMenuWidth = 250;
constexpr double kRowHeight = 44;

PlatterPresentationObj* presentation(id self) { return as<PlatterPresentationObj>(self); }

id platter_container_view(id self, SEL) { return presentation(self)->platter_container_view; }
id platter_transition_view(id self, SEL) { return presentation(self)->platter_transition_view; }
id content_platter_view(id self, SEL) { return presentation(self)->content_platter_view; }
id actions_view(id self, SEL) { return presentation(self)->actions_view; }
id platter_pan_controller(id self, SEL) { return presentation(self)->platter_pan_controller; }
void set_platter_pan_controller(id self, SEL, id c) { presentation(self)->platter_pan_controller = c; }

Class install() {
  Class c = define_class<PlatterPresentationObj>("_UIPreviewPlatterPresentationController",
                                                 ensure_class("UIPresentationController"));
  def(c, "platterContainerView", platter_container_view);
  def(c, "platterTransitionView", platter_transition_view);
  def(c, "contentPlatterView", content_platter_view);
  def(c, "actionsView", actions_view);
  def(c, "platterPanController", platter_pan_controller);
  def(c, "setPlatterPanController:", set_platter_pan_controller);
  add_ivar(c, "_platterContainerView", offsetof(PlatterPresentationObj, platter_container_view), "UIView");
  add_ivar(c, "_platterTransitionView", offsetof(PlatterPresentationObj, platter_transition_view), "UIView");
  add_ivar(c, "_contentPlatterView", offsetof(PlatterPresentationObj, content_platter_view),
           "_UIPreviewPlatterView");
  add_ivar(c, "_actionsView", offsetof(PlatterPresentationObj, actions_view),
           "_UIContextMenuActionsListView");
  add_ivar(c, "_platterPanController", offsetof(PlatterPresentationObj, platter_pan_controller),
           "_UIPreviewPlatterPanController");
  return c;
}

SIM_HOST_CLASS("_UIPreviewPlatterPresentationController", Layer::UIKit, install);

// The view the preview shows: the icon as the home screen makes it (from
// iOS 14 its image view, which a portal shows; below, the whole icon view),
// or plain content.
id make_source_view(id icon, bool ios14) {
  if (icon)
    if (id view = make_icon_preview_source(icon, ios14)) return view;
  id content = make_view("UIView", CGRect{{0, 0}, kContentPreviewSize});
  send<void>(content, sel("setBackgroundColor:"), make_white(0.96, 1));
  return content;
}

void set_frame(id view, CGRect frame) { send<void>(view, sel("setFrame:"), frame); }

}  // namespace

id make_platter_presentation(id icon, const PlatterPresentationOptions& options) {
  id p = send<id>(
      send<id>(reinterpret_cast<id>(ensure_class("_UIPreviewPlatterPresentationController")), sel("alloc")),
      sel("init"));
  {
    AutoreleasePool pool;  // the views' own references end here
    const bool ios14 = sim_os_at_least(14, 0, 0);

    id source = make_source_view(icon, ios14);
    presentation(p)->preview_source = source;
    CGRect platter_frame{kPlatterOrigin, send<CGRect>(source, sel("frame")).size};
    id collapsed = make_platter_transform_view(source, ios14 ? make_portal_view(source) : nullptr);
    id platter = make_preview_platter_view(platter_frame, collapsed);
    fit_platter_contents(platter);
    id shown = platter;
    if (options.plain_platter_view) shown = make_view("UIView", platter_frame);

    id actions = make_context_menu_actions_list_view(options.items, options.background);
    const int rows = options.items > 0 ? options.items : 0;
    set_frame(actions,
              CGRect{{kPlatterOrigin.x, platter_frame.origin.y + platter_frame.size.height + kMenuGap},
                     {kMenuWidth, kRowHeight * rows}});
    // Framed and coloured as the host shows the menu, before it appears.
    send<void>(actions, sel("layoutSubviews"));

    id container = make_view("UIView", kScreen);
    add_subview(container, actions);
    add_subview(container, shown);

    presentation(p)->platter_container_view = container;
    presentation(p)->platter_transition_view = make_view("UIView", kScreen);
    presentation(p)->content_platter_view = platter;
    presentation(p)->actions_view = actions;

    id c = send<id>(reinterpret_cast<id>(ensure_class("_UIPreviewPlatterPanController")), sel("alloc"));
    c = send<id>(c, sel("initWithContainerView:platterView:actionsView:"), container, shown, actions);
    send<void>(p, sel("setPlatterPanController:"), c);
    objc_release(c);  // owned (+1) from alloc and init; the presentation keeps it
  }
  return objc_autorelease(p);
}

void lay_out_presented_menu(id pan_controller) {
  send<void>(send<id>(pan_controller, sel("actionsView")), sel("layoutSubviews"));
  send<void>(send<id>(pan_controller, sel("platterView")), sel("layoutSubviews"));
}

}  // namespace sim
