#include "sim/uikit/_UIContextMenuActionsListView.h"

#include <algorithm>
#include <vector>

#include "sim/runtime/host_classes.h"
#include "sim/system/system.h"
#include "sim/uikit/UICollectionView.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIInterfaceActionGroupView.h"
#include "sim/uikit/UILabel.h"
#include "sim/uikit/UIVisualEffectView.h"
#include "sim/uikit/_UIContextMenuActionView.h"
#include "sim/uikit/_UIContextMenuActionsListCell.h"
#include "sim/uikit/_UIElasticContextMenuBackgroundView.h"
#include "sim/uikit/_UIInterfaceActionRepresentationsSequenceView.h"

namespace sim {
namespace {

constexpr double kRowHeight = 44;
constexpr double kTitleInset = 16;
constexpr double kSymbolRoom = 44;  // at the row's end, for the action's symbol

UIContextMenuActionsListViewObj* list(id self) { return as<UIContextMenuActionsListViewObj>(self); }

void set_frame(id view, CGRect frame) { send<void>(view, sel("setFrame:"), frame); }
CGRect bounds_of(id view) { return send<CGRect>(view, sel("bounds")); }

std::vector<id> subviews_of(id view) {
  std::vector<id> out;
  if (view)
    for (const Strong& v : as<UIViewObj>(view)->subviews) out.push_back(v);
  return out;
}

// The menu's parts, found in the host's own instance variables.
struct Menu {
  id group = nullptr;       // the action group or the collection view
  id background = nullptr;  // its _backgroundView
  id sequence = nullptr;    // below iOS 14: the group's _actionSequenceView
  std::vector<id> rows;     // top to bottom
  std::vector<id> titles;   // each row's title label
};

id first_label(id view) {
  for (id v : subviews_of(view))
    if (is_kind_of(v, "UILabel")) return v;
  return nullptr;
}

Menu menu_of(id self) {
  Menu m;
  if (id group = list(self)->current_action_group_view; is_kind_of(group, "UIInterfaceActionGroupView")) {
    m.group = group;
    m.background = as<UIInterfaceActionGroupViewObj>(group)->background_view;
    m.sequence = as<UIInterfaceActionGroupViewObj>(group)->action_sequence_view;
    for (id row : subviews_of(m.sequence)) {
      m.rows.push_back(row);
      m.titles.push_back(first_label(row));
    }
  } else if (id cv = list(self)->current_collection_view; is_kind_of(cv, "UICollectionView")) {
    m.group = cv;
    m.background = as<UICollectionViewObj>(cv)->background_view;
    for (id cell : subviews_of(cv))
      if (is_kind_of(cell, "_UIContextMenuActionsListCell")) {
        m.rows.push_back(cell);
        id action = send<id>(cell, sel("actionView"));
        m.titles.push_back(send<id>(action, sel("titleLabel")));
      }
  }
  return m;
}

// Every view inside `view` fills its parent.
void fill_subtree(id view) {
  for (id child : subviews_of(view)) {
    set_frame(child, bounds_of(view));
    fill_subtree(child);
  }
}

// The effect views in `view`'s subtree, `view` included.
void collect_effect_views(id view, std::vector<id>& out) {
  if (!view) return;
  if (is_kind_of(view, "UIVisualEffectView")) out.push_back(view);
  for (id child : subviews_of(view)) collect_effect_views(child, out);
}

void layout_subviews(id self, SEL cmd) {
  send_super<void>(class_named("_UIContextMenuActionsListView"), self, cmd);
  Menu m = menu_of(self);
  set_frame(m.group, bounds_of(self));
  set_frame(m.background, bounds_of(m.group));
  fill_subtree(m.background);
  set_frame(m.sequence, bounds_of(m.group));
  const double width = bounds_of(m.group).size.width;
  for (size_t i = 0; i < m.rows.size(); ++i) {
    set_frame(m.rows[i], CGRect{{0, kRowHeight * static_cast<double>(i)}, {width, kRowHeight}});
    fill_subtree(m.rows[i]);  // from iOS 14 the action view fills its cell
    set_frame(m.titles[i], CGRect{{kTitleInset, 0}, {width - kTitleInset - kSymbolRoom, kRowHeight}});
  }

  // The blur's tint and the text colour for the style the menu draws in.
  const bool dark = effective_style(self) == 2;
  std::vector<id> effects;
  collect_effect_views(m.background, effects);
  for (id effect : effects)
    for (id overlay : visual_effect_overlays(effect))
      send<void>(overlay, sel("setBackgroundColor:"), dark ? make_white(0.16, 0.8) : make_white(0.97, 0.8));
  for (id title : m.titles)
    send<void>(title, sel("setTextColor:"), dark ? make_white(1, 0.85) : make_white(0, 0.85));
}

id current_action_group_view(id self, SEL) { return list(self)->current_action_group_view; }
id current_collection_view(id self, SEL) { return list(self)->current_collection_view; }

Class install() {
  Class c =
      define_class<UIContextMenuActionsListViewObj>("_UIContextMenuActionsListView", ensure_class("UIView"));
  def(c, "layoutSubviews", layout_subviews);
  if (sim_os_at_least(14, 0, 0)) {
    def(c, "currentCollectionView", current_collection_view);
    add_ivar(c, "_currentCollectionView", offsetof(UIContextMenuActionsListViewObj, current_collection_view),
             "UICollectionView");
  } else {
    def(c, "currentActionGroupView", current_action_group_view);
    add_ivar(c, "_currentActionGroupView",
             offsetof(UIContextMenuActionsListViewObj, current_action_group_view),
             "UIInterfaceActionGroupView");
  }
  return c;
}

SIM_HOST_CLASS("_UIContextMenuActionsListView", Layer::UIKit, install);

// The background: the host's own for the version, or a plain view holding
// the blur.
id make_background(id effect, MenuBackground kind, bool ios14) {
  if (kind == MenuBackground::Plain) {
    id plain = make_view("UIView", CGRect{});
    add_subview(plain, effect);
    return plain;
  }
  return ios14 ? make_elastic_context_menu_background_view(effect) : effect;
}

}  // namespace

std::string menu_action_title(size_t index) {
  static constexpr const char* kTitles[] = {"Edit Home Screen", "Share App", "Remove App"};
  if (index < sizeof kTitles / sizeof kTitles[0]) return kTitles[index];
  return "Action " + std::to_string(index + 1);
}

id make_context_menu_actions_list_view(int items, MenuBackground background) {
  const bool ios14 = sim_os_at_least(14, 0, 0);
  std::vector<std::string> titles;
  for (int i = 0; i < std::max(items, 0); ++i) titles.push_back(menu_action_title(static_cast<size_t>(i)));
  id back = make_background(make_visual_effect_view(), background, ios14);
  id v = make_view("_UIContextMenuActionsListView", CGRect{});
  id menu;
  if (ios14) {
    menu = make_collection_view(back);
    // The rows are the collection view's cells, in front of its background.
    for (const std::string& title : titles) add_subview(menu, make_context_menu_actions_list_cell(title));
    list(v)->current_collection_view = menu;
  } else {
    menu = make_interface_action_group_view(back, make_action_sequence_view(titles));
    list(v)->current_action_group_view = menu;
  }
  add_subview(v, menu);
  return v;
}

}  // namespace sim
