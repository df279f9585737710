// The navigation stack is one UINavigationController per process whose root
// is a PSUIPrefsListController, made on first use. A tap on a row that
// opens a pane runs, by message, what the framework's table selection does:
// lazyLoadBundle: for a row with a lazily loaded bundle, then
// controllerForSpecifier:, then pushViewController:animated:.
#include "sim/preferences/settings_app.h"

#include <algorithm>

#include "sim/foundation/foundation.h"
#include "sim/preferences/PSSpecifier.h"
#include "sim/runtime/host_classes.h"

namespace sim::settings_app {
namespace {

SharedInstance g_navigation;

id navigation() {
  if (!class_named("PSUIPrefsListController")) return nullptr;
  return g_navigation.get([] {
    id root = send<id>(reinterpret_cast<id>(class_named("PSUIPrefsListController")), sel("alloc"));
    root = send<id>(root, sel("initForContentSize:"), CGSize{375, 667});
    id nav = send<id>(reinterpret_cast<id>(class_named("UINavigationController")), sel("alloc"));
    nav = send<id>(nav, sel("initWithRootViewController:"), root);
    send<void>(root, sel("setRootController:"), nav);
    objc_release(root);
    return nav;
  });
}

std::vector<id> specifiers_of(id controller) {
  std::vector<id> out;
  if (!controller || !is_kind_of(controller, "PSListController")) return out;
  id all = send<id>(controller, sel("specifiers"));
  if (!all || !is_kind_of(all, "NSArray")) return out;
  for (const Strong& s : as<NSArrayObj>(all)->items)
    if (is_kind_of(s, "PSSpecifier")) out.push_back(s);
  return out;
}

id top() { return send<id>(navigation(), sel("topViewController")); }

std::string name_of(id item) { return string_value(send<id>(item, sel("name"))); }

const char* kind_of(NSInteger cell) {
  switch (cell) {
    case PSSwitchCell: return "switch";
    case PSSliderCell: return "slider";
    case PSButtonCell: return "button";
    case PSLinkCell:
    case PSLinkListCell: return "link";
    case PSTitleValueCell: return "value";
    case PSStaticTextCell: return "text";
    default: return "unknown";
  }
}

Outcome not_settings() { return std::string("the process is not the Settings app (process settings)"); }

}  // namespace

Outcome open_pane(const std::string& label) {
  id nav = navigation();
  if (!nav) return not_settings();
  // Back to the root list first, as a person returns to it to pick a row.
  while (send<id>(nav, sel("popViewControllerAnimated:"), false)) {}
  id root = top();
  for (id item : specifiers_of(root)) {
    if (name_of(item) != label || send<NSInteger>(item, sel("cellType")) == PSGroupCell) continue;
    if (specifier_property(item, "lazy-bundle")) send<void>(root, sel("lazyLoadBundle:"), item);
    id controller = send<id>(root, sel("controllerForSpecifier:"), item);
    if (!controller)
      return "the row '" + label + "' opens no pane (its controller is not a PSViewController)";
    send<void>(nav, sel("pushViewController:animated:"), controller, true);
    return std::nullopt;
  }
  return "the Settings list has no row '" + label + "'";
}

Outcome set_value(const std::string& key, id value) {
  if (!navigation()) return not_settings();
  for (id item : specifiers_of(top())) {
    id k = specifier_property(item, "key");
    if (!is_string(k) || string_value(k) != key) continue;
    NSInteger cell = send<NSInteger>(item, sel("cellType"));
    if (cell != PSSwitchCell && cell != PSSliderCell)
      return "the row of '" + key + "' is no switch or slider";
    if (!specifier_flag(item, "enabled", true)) return "the row of '" + key + "' is disabled";
    const bool flag = is_number(value) && as<NSNumberObj>(value)->kind == NSNumberObj::Bool;
    if (cell == PSSwitchCell && !flag) return "the switch of '" + key + "' takes YES or NO";
    if (cell == PSSliderCell) {
      if (flag || !is_number(value)) return "the slider of '" + key + "' takes a number";
      // A slider cannot be dragged past its ends.
      double v = send<double>(value, sel("doubleValue"));
      if (id lo = specifier_property(item, "min"); is_number(lo))
        v = std::max(v, send<double>(lo, sel("doubleValue")));
      if (id hi = specifier_property(item, "max"); is_number(hi))
        v = std::min(v, send<double>(hi, sel("doubleValue")));
      value = make_double(v);
    }
    send<void>(item, sel("performSetterWithValue:"), value);
    return std::nullopt;
  }
  return "the open page has no row for '" + key + "'";
}

Outcome tap(const std::string& label) {
  if (!navigation()) return not_settings();
  for (id item : specifiers_of(top())) {
    if (name_of(item) != label || send<NSInteger>(item, sel("cellType")) != PSButtonCell) continue;
    if (!specifier_flag(item, "enabled", true)) return "the button '" + label + "' is disabled";
    SEL action = as<PSSpecifierObj>(item)->action;
    id target = as<PSSpecifierObj>(item)->target;
    if (!action || !target) return std::nullopt;  // a button without an action does nothing
    const std::string selector = sel_getName(action);
    if (!selector.empty() && selector.back() == ':') send<void>(target, action, item);
    else send<void>(target, action);
    return std::nullopt;
  }
  return "the open page has no button '" + label + "'";
}

std::optional<Page> open_page() {
  if (!navigation()) return std::nullopt;
  id controller = top();
  Page page;
  page.controller = class_name_of(controller);
  page.title = string_value(send<id>(controller, sel("title")));
  for (id item : specifiers_of(controller)) {
    NSInteger cell = send<NSInteger>(item, sel("cellType"));
    if (cell == PSGroupCell) {
      Group g;
      if (id name = send<id>(item, sel("name")); is_string(name)) g.label = string_value(name);
      if (id footer = specifier_property(item, "footerText"); is_string(footer))
        g.footer = string_value(footer);
      page.groups.push_back(std::move(g));
      continue;
    }
    if (page.groups.empty()) page.groups.emplace_back();
    Row row;
    row.label = name_of(item);
    row.cell = kind_of(cell);
    if (id k = specifier_property(item, "key"); is_string(k)) row.key = string_value(k);
    if (cell != PSButtonCell && cell != PSLinkCell) row.value = send<id>(item, sel("performGetter"));
    row.enabled = specifier_flag(item, "enabled", true);
    if (id ident = send<id>(item, sel("identifier")); is_string(ident)) row.identifier = string_value(ident);
    if (cell == PSSliderCell) {
      if (id lo = specifier_property(item, "min"); is_number(lo))
        row.min = send<double>(lo, sel("doubleValue"));
      if (id hi = specifier_property(item, "max"); is_number(hi))
        row.max = send<double>(hi, sel("doubleValue"));
      row.show_value = specifier_flag(item, "showValue", false);
    }
    page.groups.back().rows.push_back(std::move(row));
  }
  return page;
}

}  // namespace sim::settings_app
