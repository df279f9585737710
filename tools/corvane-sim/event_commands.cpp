// The commands by which things happen to the process from outside: layout
// passes, style changes, notifications, the clock, the device's state, a
// launch zoom and a relaunch.
#include <cmath>

#include "sim/foundation/CFNotificationCenter.h"
#include "sim/foundation/notification_center.h"
#include "sim/foundation/run_loop.h"
#include "sim/runtime/object.h"
#include "sim/springboard/SBUIController.h"
#include "sim/springboard/SpringBoard.h"
#include "sim/uikit/_UIPreviewPlatterPresentationController.h"
#include "sim/uikit/style.h"
#include "tools/corvane-sim/command_handlers.h"
#include "tools/corvane-sim/literals.h"
#include "tools/corvane-sim/script_names.h"

namespace corvane::cli {

CommandError run_layout(CommandContext& context, const Words& w) {
  if (w.size() != 2) return std::string("usage: layout NAME");
  id obj = nullptr;
  if (auto e = resolve_object(context.session, w[1].text, &obj)) return e;
  // A platter controller has no layout pass of its own: the host lays out
  // its menu and its platter as when the menu appears.
  if (sim::is_kind_of(obj, "_UIPreviewPlatterPanController")) sim::lay_out_presented_menu(obj);
  else if (class_respondsToSelector(obj->isa, sim::sel("layoutSubviews")))
    sim::send<void>(obj, sim::sel("layoutSubviews"));
  else return "'" + w[1].text + "' is not laid out";
  return kNoError;
}

CommandError run_style(CommandContext&, const Words& w) {
  if (w.size() != 2) return std::string("usage: style light|dark|unspecified");
  const std::string& v = w[1].text;
  NSInteger style = v == "light" ? 1 : v == "dark" ? 2 : v == "unspecified" ? 0 : -1;
  if (style < 0) return "unknown style '" + v + "'";
  if (!sim::class_named("UIUserInterfaceStyleArbiter"))
    return std::string("this process has no style arbiter");
  sim::change_system_style(style);
  return kNoError;
}

CommandError run_post(CommandContext& context, const Words& w) {
  if (w.size() != 2 && w.size() != 3) return std::string("usage: post NAME [OBJECT]");
  id object = nullptr;
  if (w.size() == 3)
    if (auto e = resolve_object(context.session, w[2].text, &object)) return e;
  sim::post_local_notification(w[1].text, object);
  return kNoError;
}

CommandError run_darwin_post(CommandContext&, const Words& w) {
  if (w.size() != 2) return std::string("usage: darwin-post NAME");
  sim_darwin_post_from_outside(w[1].text.c_str());
  return kNoError;
}

CommandError run_tick(CommandContext&, const Words& w) {
  if (w.size() != 2) return std::string("usage: tick SECONDS");
  auto v = parse_number(w[1].text);
  if (!v) return v.error;
  if (!std::isfinite(*v) || *v < 0 || *v > 1e6) return "tick takes 0 to 1000000 seconds, not " + w[1].text;
  sim::run_loop_advance(*v);
  return kNoError;
}

CommandError run_device(CommandContext& context, const Words& w) {
  if (w.size() < 2) return std::string("usage: device locked=YES/NO homescreen=YES/NO frontapp=BUNDLE_ID");
  if (context.session.options().kind != sim::ProcessKind::SpringBoard)
    return std::string("device state exists only in the springboard process");
  std::optional<bool> locked, home;
  std::optional<std::string> front;
  for (size_t i = 1; i < w.size(); ++i) {
    auto opt = parse_option(w[i]);
    if (!opt) return opt.error;
    if (opt->key == "locked" || opt->key == "homescreen") {
      auto v = parse_yes_no(opt->value.text);
      if (!v) return v.error;
      (opt->key == "locked" ? locked : home) = *v;
    } else if (opt->key == "frontapp") {
      front = opt->value.text;
    } else {
      return "unknown key '" + opt->key + "' for device";
    }
  }
  sim::set_device_state(locked, home, front);
  return kNoError;
}

CommandError run_zoom(CommandContext& context, const Words& w) {
  if (context.session.options().kind != sim::ProcessKind::SpringBoard)
    return std::string("zoom exists only in the springboard process");
  CGSize size{375, 812};
  for (size_t i = 1; i < w.size(); ++i) {
    auto opt = parse_option(w[i]);
    if (!opt || (opt->key != "w" && opt->key != "h")) return "usage: zoom [w=W h=H]";
    auto v = parse_number(opt->value.text);
    if (!v) return v.error;
    (opt->key == "w" ? size.width : size.height) = *v;
  }
  id view = sim::request_zoom_view(size);
  if (view) context.session.bind("zoom", view);
  else context.session.unbind("zoom");
  return kNoError;
}

CommandError run_relaunch(CommandContext& context, const Words& w) {
  if (w.size() != 1) return std::string("usage: relaunch");
  context.session.relaunch();
  return kNoError;
}

}  // namespace corvane::cli
