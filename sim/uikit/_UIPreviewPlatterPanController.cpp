// _UIPreviewPlatterPanController: its initialiser keeps the three views; its
// layout pass (viewDidLayoutSubviews) places the platter and the menu in the
// container and gives the menu the colours of the current style. It does not
// lay out the platter view itself; that is the platter view's own
// layoutSubviews, which the host runs separately.
#include "sim/uikit/_UIPreviewPlatterPanController.h"

#include <algorithm>
#include <vector>

#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/UIVisualEffectView.h"
#include "sim/uikit/_UIContextMenuActionsGroupView.h"
#include "sim/uikit/_UIContextMenuActionsView.h"
#include "sim/uikit/_UIContextMenuBackgroundView.h"
#include "sim/uikit/_UIContextMenuCell.h"
#include "sim/uikit/_UIContextMenuListView.h"
#include "sim/uikit/_UIContextMenuView.h"
#include "sim/uikit/_UIPlatterTransformView.h"
#include "sim/uikit/_UIPortalView.h"
#include "sim/uikit/_UIPreviewPlatterView.h"
#include "sim/uikit/_UIVisualEffectBackdropView.h"
#include "sim/uikit/_UIVisualEffectSubview.h"
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
constexpr CGRect kTitlePlaceholder{{16, 16}, {140, 12}};

PlatterControllerObj* controller(id self) { return as<PlatterControllerObj>(self); }

// The menu's parts, found in the host's own instance variables.
struct Menu {
  id group = nullptr;       // _currentActionGroupView / _currentCollectionView
  id background = nullptr;  // the group's _backgroundView
  id blur = nullptr;        // the background's effect view, or the background itself
  std::vector<id> layers;   // the blur's backdrop and overlays (from iOS 14)
  std::vector<id> rows;     // the group's cells, above the background
};

Menu menu_of(id actions) {
  Menu m;
  if (is_kind_of(actions, "_UIContextMenuView"))
    m.group = as<ContextMenuViewObj>(actions)->current_collection_view;
  else if (is_kind_of(actions, "_UIContextMenuActionsView"))
    m.group = as<ContextMenuActionsViewObj>(actions)->current_action_group_view;
  if (is_kind_of(m.group, "_UIContextMenuListView"))
    m.background = as<ContextMenuListViewObj>(m.group)->background_view;
  else if (is_kind_of(m.group, "_UIContextMenuActionsGroupView"))
    m.background = as<ContextMenuActionsGroupViewObj>(m.group)->background_view;
  m.blur = is_kind_of(m.background, "_UIContextMenuBackgroundView")
               ? as<ContextMenuBackgroundViewObj>(m.background)->visual_effect_view.get()
               : m.background;
  if (m.blur)
    for (const Strong& v : as<UIViewObj>(m.blur)->subviews)
      if (is_kind_of(v, "_UIVisualEffectBackdropView") || is_kind_of(v, "_UIVisualEffectSubview"))
        m.layers.push_back(v);
  if (m.group)
    for (const Strong& v : as<UIViewObj>(m.group)->subviews)
      if (is_kind_of(v, "_UIContextMenuCell")) m.rows.push_back(v);
  return m;
}

void set_frame(id view, CGRect frame) { send<void>(view, sel("setFrame:"), frame); }
CGRect bounds_of(id view) { return send<CGRect>(view, sel("bounds")); }

// The platter keeps its size; the menu hangs below it, one row per action.
void place_platter_and_menu(id self) {
  id platter = controller(self)->platter_view;
  id actions = controller(self)->actions_view;
  CGRect platter_frame = send<CGRect>(platter, sel("frame"));
  platter_frame.origin = kPlatterOrigin;
  set_frame(platter, platter_frame);

  Menu m = menu_of(actions);
  double menu_y = platter_frame.origin.y + platter_frame.size.height + kMenuGap;
  set_frame(actions, CGRect{{kPlatterOrigin.x, menu_y},
                            {kMenuWidth, kRowHeight * static_cast<double>(m.rows.size())}});
  set_frame(m.group, bounds_of(actions));
  set_frame(m.background, bounds_of(m.group));
  if (m.blur != m.background) set_frame(m.blur, bounds_of(m.background));
  for (id layer : m.layers) set_frame(layer, bounds_of(m.blur));
  for (size_t i = 0; i < m.rows.size(); ++i) {
    set_frame(m.rows[i], CGRect{{0, kRowHeight * static_cast<double>(i)}, {kMenuWidth, kRowHeight}});
    set_frame(as<ContextMenuCellObj>(m.rows[i])->title_view, kTitlePlaceholder);
  }
}

// The blur's tint and the text colour resolve for the style the menu draws in.
void resolve_menu_colours(id self) {
  id actions = controller(self)->actions_view;
  bool dark = effective_style(actions) == 2;
  Menu m = menu_of(actions);
  // The effect's tint: on its overlays from iOS 14, else on the blur view.
  id veil = dark ? make_white(0.16, 0.8) : make_white(0.97, 0.8);
  bool overlaid = false;
  for (id layer : m.layers)
    if (is_kind_of(layer, "_UIVisualEffectSubview")) {
      send<void>(layer, sel("setBackgroundColor:"), veil);
      overlaid = true;
    }
  if (!overlaid) send<void>(m.blur, sel("setBackgroundColor:"), veil);
  id text = dark ? make_white(1, 0.85) : make_white(0, 0.85);
  for (id row : m.rows)
    send<void>(as<ContextMenuCellObj>(row)->title_view.get(), sel("setBackgroundColor:"), text);
}

id init_with_views(id self, SEL, id container, id platter, id actions) {
  controller(self)->container_view = container;
  controller(self)->platter_view = platter;
  controller(self)->actions_view = actions;
  return self;
}

void view_did_layout_subviews(id self, SEL) {
  place_platter_and_menu(self);
  resolve_menu_colours(self);
}

Class install() {
  Class c = define_class<PlatterControllerObj>("_UIPreviewPlatterPanController", ensure_class("NSObject"));
  def(c, "initWithContainerView:platterView:actionsView:", init_with_views);
  def(c, "viewDidLayoutSubviews", view_did_layout_subviews);
  add_ivar(c, "_containerView", offsetof(PlatterControllerObj, container_view));
  add_ivar(c, "_platterView", offsetof(PlatterControllerObj, platter_view));
  add_ivar(c, "_actionsView", offsetof(PlatterControllerObj, actions_view));
  return c;
}

SIM_HOST_CLASS("_UIPreviewPlatterPanController", Layer::UIKit, install);

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

}  // namespace

id make_platter_controller(id icon, int items, bool effect) {
  id c = nullptr;  // owned (+1) from alloc and init
  {
    AutoreleasePool pool;  // the views' own references end here
    bool ios14 = sim_os_at_least(14, 0, 0);

    id source = make_source_view(icon, ios14);
    CGRect platter_frame{kPlatterOrigin, send<CGRect>(source, sel("frame")).size};
    id collapsed = make_platter_transform_view(source, ios14 ? make_portal_view(source) : nullptr);
    id platter = make_preview_platter_view(platter_frame, collapsed);
    fit_platter_contents(platter);

    id blur = effect ? make_visual_effect_view() : make_view("UIView", CGRect{});
    if (ios14) {
      // The blur's own layers: the backdrop, then the overlay that tints it.
      add_subview(blur, make_visual_effect_backdrop_view());
      add_subview(blur, make_visual_effect_subview());
    }
    id background = effect ? make_context_menu_background_view(blur) : blur;
    id group =
        ios14 ? make_context_menu_list_view(background) : make_context_menu_actions_group_view(background);
    // The rows are the group's cells, in front of its background.
    for (int i = 0; i < std::max(items, 0); ++i) add_subview(group, make_context_menu_cell());
    id actions = ios14 ? make_context_menu_view(group) : make_context_menu_actions_view(group);

    id container = make_view("UIView", kScreen);
    add_subview(container, platter);
    add_subview(container, actions);

    c = send<id>(reinterpret_cast<id>(ensure_class("_UIPreviewPlatterPanController")), sel("alloc"));
    c = send<id>(c, sel("initWithContainerView:platterView:actionsView:"), container, platter, actions);
    if (c) {
      // Framed and coloured as the host shows it, before any layout pass.
      place_platter_and_menu(c);
      resolve_menu_colours(c);
    }
  }
  return c ? objc_autorelease(c) : nullptr;
}

}  // namespace sim
