#include "tools/corvane-sim/interpreter.h"

#include <cmath>
#include <filesystem>
#include <ostream>

#include "sim/foundation/CFNotificationCenter.h"
#include "sim/foundation/foundation.h"
#include "sim/foundation/notification_center.h"
#include "sim/foundation/plist_file.h"
#include "sim/foundation/run_loop.h"
#include "sim/io/whole_file.h"
#include "sim/runtime/crash.h"
#include "sim/runtime/object.h"
#include "sim/springboard/NCNotificationShortLookView.h"
#include "sim/springboard/SBDockView.h"
#include "sim/springboard/SBFolderBackgroundView.h"
#include "sim/springboard/SBFolderIconImageView.h"
#include "sim/springboard/SBUIController.h"
#include "sim/springboard/SparkAppList.h"
#include "sim/springboard/SpringBoard.h"
#include "sim/springboard/WGWidgetPlatterView.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/UIStatusBar.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/_UIPreviewPlatterPanController.h"
#include "sim/uikit/style.h"
#include "src/core/names.h"
#include "tools/corvane-sim/arguments.h"
#include "tools/corvane-sim/dump.h"
#include "tools/corvane-sim/invoke.h"
#include "tools/corvane-sim/literals.h"
#include "tools/corvane-sim/render.h"

namespace corvane::cli {
namespace {

using Error = std::optional<std::string>;
const Error kOk = std::nullopt;

using corvane::names::kSettingsPath;

std::string join(const std::vector<std::string>& parts, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to && i < parts.size(); ++i) {
    if (i > from) out += ".";
    out += parts[i];
  }
  return out;
}

sim::plist::Value setting_value(const SettingValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return sim::plist::Value(*b);
  if (auto* i = std::get_if<int64_t>(&v)) return sim::plist::Value(*i);
  if (auto* d = std::get_if<double>(&v)) return sim::plist::Value(*d);
  return sim::plist::Value(std::get<std::string>(v));
}

std::string write_file(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string error;
  if (!sim::plist::write_atomically(path, bytes, &error)) return error;
  return {};
}

const Interpreter* g_running = nullptr;

}  // namespace

std::string running_command_location() {
  return g_running ? g_running->location() : std::string();
}

Interpreter::Interpreter(Session& session, std::ostream& out, std::ostream& err)
    : s_(session), out_(out), err_(err) {}

void Interpreter::emit(const Json& j) { out_ << j.dump() << '\n' << std::flush; }

int Interpreter::run_script(const std::string& script_name, const std::string& source) {
  script_name_ = script_name;
  const Interpreter* outer = g_running;
  g_running = this;
  struct Restore {
    const Interpreter* outer;
    ~Restore() { g_running = outer; }
  } restore{outer};
  LexResult lexed = lex_script(source);
  for (const Line& line : lexed.lines) {
    if (Error e = run_line(line)) {
      if (crashed_) {
        err_ << script_name << ":" << line.number << ": the simulated process crashed: " << *e << "\n";
        return 3;
      }
      err_ << script_name << ":" << line.number << ": " << *e << "\n";
      return 2;
    }
  }
  if (lexed.error) {
    err_ << script_name << ":" << lexed.error->line << ": " << lexed.error->message << "\n";
    return 2;
  }
  if (!failures_.empty()) {
    err_ << failures_.size() << " expectation" << (failures_.size() == 1 ? "" : "s") << " failed:\n";
    for (const auto& f : failures_) err_ << "  " << f << "\n";
    return 1;
  }
  return 0;
}

Error Interpreter::run_line(const Line& line) {
  if (crashed_) return "the simulated process has crashed";
  line_ = line.number;
  s_.invalidate_names();
  Error e;
  try {
    sim::CrashScope scope;
    sim::AutoreleasePool pool;
    e = dispatch(line.words);
  } catch (const sim::ProcessCrashed& crash) {
    crashed_ = true;
    return std::string(crash.what());
  }
  // The host asked to exit and relaunch: that happens once the command ends.
  s_.relaunch_if_requested();
  return e;
}

Error Interpreter::dispatch(const Words& w) {
  const std::string& c = w[0].text;
  if (w[0].quoted) return "a command cannot be a quoted string";
  if (c == "ios") return cmd_ios(w);
  if (c == "process") return cmd_process(w);
  if (c == "settings") return cmd_settings(w);
  if (c == "settings-file") return cmd_settings_file(w);
  if (c == "settings-remove") return cmd_settings_remove(w);
  if (c == "applist") return cmd_applist(w);
  if (c == "load") return cmd_load(w);
  if (c == "new") return cmd_new(w);
  if (c == "let") return cmd_let(w);
  if (c == "layout") return cmd_layout(w);
  if (c == "style") return cmd_style(w);
  if (c == "arbiter") return cmd_arbiter(w);
  if (c == "post") return cmd_post(w);
  if (c == "darwin-post") return cmd_darwin_post(w);
  if (c == "tick") return cmd_tick(w);
  if (c == "device") return cmd_device(w);
  if (c == "zoom") return cmd_zoom(w);
  if (c == "send") return cmd_send(w);
  if (c == "relaunch") return cmd_relaunch(w);
  if (c == "dump") return cmd_dump(w);
  if (c == "expect") return cmd_expect(w);
  if (c == "render") return cmd_render(w);
  return "unknown command '" + c + "'";
}

// --- before the library loads ------------------------------------------------

Error Interpreter::cmd_ios(const Words& w) {
  if (w.size() != 2) return std::string("usage: ios VERSION");
  auto v = parse_ios_version(w[1].text);
  if (!v) return v.error;
  sim::ProcessOptions o = s_.options();
  o.ios = {v->major, v->minor, v->patch};
  if (auto e = s_.reconfigure(o)) return "ios " + *e;
  return kOk;
}

Error Interpreter::cmd_process(const Words& w) {
  sim::ProcessOptions o = s_.options();
  if (w.size() == 2 && w[1].text == "springboard") {
    o.kind = sim::ProcessKind::SpringBoard;
    o.bundle_id = "com.apple.springboard";
  } else if (w.size() == 3 && w[1].text == "app") {
    o.kind = sim::ProcessKind::App;
    o.bundle_id = w[2].text;
  } else if (w.size() == 3 && w[1].text == "daemon") {
    o.kind = sim::ProcessKind::Daemon;
    o.bundle_id = w[2].text;
  } else {
    return std::string("usage: process springboard | process app BUNDLE_ID | process daemon NAME");
  }
  if (auto e = s_.reconfigure(o)) return "process " + *e;
  return kOk;
}

Error Interpreter::cmd_settings(const Words& w) {
  if (w.size() < 2) return std::string("usage: settings KEY=VALUE ...");
  std::string path = s_.process().host_path(kSettingsPath);
  sim::plist::Dictionary dict;
  if (std::filesystem::exists(path)) {
    auto existing = sim::plist::read_file(path, nullptr);
    if (existing && existing->is_dictionary()) dict = existing->dictionary();
    else err_ << script_name_ << ":" << line_ << ": note: the settings file was not a dictionary; it is replaced\n";
  }
  for (size_t i = 1; i < w.size(); ++i) {
    auto setting = parse_setting(w[i]);
    if (!setting) return setting.error;
    dict.set(setting->key, setting_value(setting->value));
  }
  if (std::string e = write_file(path, sim::plist::to_xml(sim::plist::Value(dict))); !e.empty())
    return "cannot write the settings file: " + e;
  return kOk;
}

Error Interpreter::cmd_settings_file(const Words& w) {
  if (w.size() != 2) return std::string("usage: settings-file PATH");
  std::string bytes, error;
  if (!sim::io::read_whole_file(w[1].text, sim::plist::kMaxFileBytes, &bytes, &error)) return error;
  if (std::string e = write_file(s_.process().host_path(kSettingsPath), bytes); !e.empty())
    return "cannot write the settings file: " + e;
  return kOk;
}

Error Interpreter::cmd_settings_remove(const Words& w) {
  if (w.size() != 1) return std::string("usage: settings-remove");
  std::error_code ec;
  std::filesystem::remove(s_.process().host_path(kSettingsPath), ec);
  return kOk;
}

Error Interpreter::cmd_applist(const Words& w) {
  std::vector<std::string> ids;
  for (size_t i = 1; i < w.size(); ++i) ids.push_back(w[i].text);
  sim::write_app_list(ids);
  return kOk;
}

Error Interpreter::cmd_load(const Words& w) {
  if (w.size() != 1) return std::string("usage: load");
  if (s_.process().library_loaded()) return std::string("the library is already loaded");
  s_.process().load_library();
  return kOk;
}

// --- objects -----------------------------------------------------------------

Error Interpreter::cmd_new(const Words& w) {
  if (w.size() < 3) return std::string("usage: new NAME KIND [key=value ...]");
  const std::string& name = w[1].text;
  const std::string& kind = w[2].text;
  if (w[1].quoted || name.find('.') != std::string::npos) return "bad object name '" + name + "'";
  bool springboard_kind = kind == "banner" || kind == "widget" || kind == "dock" ||
                          kind == "folder-icon" || kind == "folder-background";
  bool uikit_kind = kind == "platter" || kind == "statusbar" || kind == "statusbar-modern" || kind == "view";
  if (!springboard_kind && !uikit_kind) return "unknown kind '" + kind + "'";
  const sim::ProcessKind pk = s_.options().kind;
  if (springboard_kind && pk != sim::ProcessKind::SpringBoard)
    return "a " + kind + " exists only in the springboard process";
  if (uikit_kind && pk == sim::ProcessKind::Daemon) return "a daemon has no " + kind;

  IconSpec icon = default_icon();
  Frame frame{0, 0, 359, kind == "widget" ? 150.0 : 76.0};
  bool content = true, effect = true;
  int64_t items = 3, style = 0;
  for (size_t i = 3; i < w.size(); ++i) {
    auto opt = parse_option(w[i]);
    if (!opt) return opt.error;
    const std::string& key = opt->key;
    const std::string& text = opt->value.text;
    auto allowed = [&](std::initializer_list<const char*> kinds) {
      for (const char* k : kinds)
        if (kind == k) return true;
      return false;
    };
    if (key == "icon" && allowed({"banner", "widget", "platter"})) {
      auto v = parse_icon(text);
      if (!v) return v.error;
      icon = *v;
    } else if (key == "frame" && allowed({"banner", "widget", "view"})) {
      auto v = parse_frame(text);
      if (!v) return v.error;
      frame = *v;
    } else if (key == "content" && allowed({"banner"})) {
      auto v = parse_yes_no(text);
      if (!v) return v.error;
      content = *v;
    } else if (key == "effect" && allowed({"platter"})) {
      auto v = parse_yes_no(text);
      if (!v) return v.error;
      effect = *v;
    } else if (key == "items" && allowed({"platter"})) {
      auto v = parse_integer(text);
      if (!v) return v.error;
      if (*v < 0 || *v > 64) return "items must be between 0 and 64, not " + text;
      items = *v;
    } else if (key == "style" && allowed({"statusbar", "statusbar-modern"})) {
      auto v = parse_integer(text);
      if (!v) return v.error;
      style = *v;
    } else {
      return "unknown key '" + key + "' for " + kind;
    }
  }
  id image = nullptr;
  if (kind == "banner" || kind == "widget" || kind == "platter")
    if (Error e = make_icon(icon, &image)) return e;
  CGRect rect{{frame.x, frame.y}, {frame.width, frame.height}};
  id obj = nullptr;
  if (kind == "banner") obj = sim::make_banner(image, rect, content);
  else if (kind == "widget") obj = sim::make_widget(image, rect);
  else if (kind == "platter") obj = sim::make_platter_controller(image, static_cast<int>(items), effect);
  else if (kind == "statusbar") obj = sim::make_status_bar(false, style);
  else if (kind == "statusbar-modern") obj = sim::make_status_bar(true, style);
  else if (kind == "dock") obj = sim::make_dock();
  else if (kind == "folder-icon") obj = sim::make_folder_icon();
  else if (kind == "folder-background") obj = sim::make_folder_background();
  else obj = sim::make_view("UIView", rect);
  if (!obj) return "the host made no " + kind;
  s_.bind(name, obj);
  return kOk;
}

Error Interpreter::cmd_let(const Words& w) {
  if (w.size() != 4 || w[2].text != "=") return std::string("usage: let NAME = VALUE");
  const std::string& name = w[1].text;
  if (w[1].quoted || name.find('.') != std::string::npos) return "bad name '" + name + "'";
  auto v = parse_value(w[3]);
  if (!v) return v.error;
  id obj = nullptr;
  if (auto* c = std::get_if<RgbaValue>(&*v)) obj = sim::make_rgba(c->r, c->g, c->b, c->a);
  else if (auto* wh = std::get_if<WhiteValue>(&*v)) obj = sim::make_white(wh->white, wh->alpha);
  else if (std::get_if<PatternValue>(&*v)) obj = sim::make_pattern(nullptr);
  else if (auto* im = std::get_if<ImageValue>(&*v)) {
    if (Error e = make_icon(im->icon, &obj)) return e;
  } else if (std::get_if<NilValue>(&*v)) obj = nullptr;
  else if (auto* b = std::get_if<bool>(&*v)) obj = sim::make_bool(*b);
  else if (auto* i = std::get_if<int64_t>(&*v)) obj = sim::make_int(*i);
  else if (auto* d = std::get_if<double>(&*v)) obj = sim::make_double(*d);
  else if (auto* str = std::get_if<StringValue>(&*v)) obj = sim::make_string(str->text);
  else if (auto* n = std::get_if<NameValue>(&*v)) {
    auto path = parse_field_path(n->name);
    if (!path) return path.error;
    size_t used = 0;
    obj = s_.resolve(*path, &used);
    if (!obj || used != path->size()) return "no object named '" + n->name + "'";
  }
  // A name bound to nil stays bound: it is usable wherever an object is
  // expected, and passes nil.
  s_.bind(name, obj);
  return kOk;
}

// --- events ------------------------------------------------------------------

Error Interpreter::cmd_layout(const Words& w) {
  if (w.size() != 2) return std::string("usage: layout NAME");
  auto path = parse_field_path(w[1].text);
  if (!path) return path.error;
  size_t used = 0;
  id obj = s_.resolve(*path, &used);
  if (!obj || used != path->size()) return "no object named '" + w[1].text + "'";
  if (class_respondsToSelector(obj->isa, sim::sel("viewDidLayoutSubviews")))
    sim::send<void>(obj, sim::sel("viewDidLayoutSubviews"));
  else if (class_respondsToSelector(obj->isa, sim::sel("layoutSubviews")))
    sim::send<void>(obj, sim::sel("layoutSubviews"));
  else
    return "'" + w[1].text + "' is not laid out";
  return kOk;
}

Error Interpreter::cmd_style(const Words& w) {
  if (w.size() != 2) return std::string("usage: style light|dark|unspecified");
  const std::string& v = w[1].text;
  NSInteger style = v == "light" ? 1 : v == "dark" ? 2 : v == "unspecified" ? 0 : -1;
  if (style < 0) return "unknown style '" + v + "'";
  if (!sim::class_named("UIUserInterfaceStyleArbiter")) return std::string("this process has no style arbiter");
  sim::change_system_style(style);
  return kOk;
}

Error Interpreter::cmd_arbiter(const Words& w) {
  if (w.size() < 2) return std::string("usage: arbiter SELECTOR ARGS...");
  id arbiter = s_.lookup("arbiter");
  if (!arbiter) return std::string("this process has no style arbiter");
  return send_message(arbiter, "arbiter", w[1].text, w, 2, false);
}

Error Interpreter::cmd_post(const Words& w) {
  if (w.size() != 2 && w.size() != 3) return std::string("usage: post NAME [OBJECT]");
  id object = nullptr;
  if (w.size() == 3) {
    auto path = parse_field_path(w[2].text);
    if (!path) return path.error;
    size_t used = 0;
    object = s_.resolve(*path, &used);
    if (!object || used != path->size()) return "no object named '" + w[2].text + "'";
  }
  sim::post_local_notification(w[1].text, object);
  return kOk;
}

Error Interpreter::cmd_darwin_post(const Words& w) {
  if (w.size() != 2) return std::string("usage: darwin-post NAME");
  sim_darwin_post_from_outside(w[1].text.c_str());
  return kOk;
}

Error Interpreter::cmd_tick(const Words& w) {
  if (w.size() != 2) return std::string("usage: tick SECONDS");
  auto v = parse_number(w[1].text);
  if (!v) return v.error;
  if (!std::isfinite(*v) || *v < 0 || *v > 1e6) return "tick takes 0 to 1000000 seconds, not " + w[1].text;
  sim::run_loop_advance(*v);
  return kOk;
}

Error Interpreter::cmd_device(const Words& w) {
  if (w.size() < 2) return std::string("usage: device locked=YES/NO homescreen=YES/NO frontapp=BUNDLE_ID");
  if (s_.options().kind != sim::ProcessKind::SpringBoard)
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
  return kOk;
}

Error Interpreter::cmd_zoom(const Words& w) {
  if (s_.options().kind != sim::ProcessKind::SpringBoard)
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
  if (view) s_.bind("zoom", view);
  else s_.unbind("zoom");
  return kOk;
}

Error Interpreter::cmd_send(const Words& w) {
  if (w.size() < 3) return std::string("usage: send TARGET SELECTOR [ARGS...]");
  const std::string& target_text = w[1].text;
  id target = nullptr;
  auto path = parse_field_path(target_text);
  if (!path) return path.error;
  size_t used = 0;
  target = s_.resolve(*path, &used);
  if (!target || used != path->size()) {
    if (Class c = sim::class_named(target_text)) target = reinterpret_cast<id>(c);
    else if (s_.is_bound(target_text)) target = nullptr;
    else return "no object or class named '" + target_text + "'";
  }
  return send_message(target, target_text, w[2].text, w, 3, true);
}

Error Interpreter::send_message(id target, const std::string& target_text, const std::string& selector,
                                const Words& w, size_t first, bool print) {
  SEL sel = sim::sel(selector.c_str());
  if (!target) {  // a message to nil does nothing and yields nil
    if (print) emit(Json::object().set("result", Json()));
    return kOk;
  }
  if (!class_respondsToSelector(target->isa, sel))
    return "'" + target_text + "' (" + target->isa->name + ") does not respond to " + selector;
  std::string types = sim_class_method_types(target->isa, sel);
  std::vector<std::string> tokens = split_encoding(types);
  size_t want = tokens.size() - 1;
  if (w.size() - first != want)
    return selector + " takes " + std::to_string(want) + " argument" + (want == 1 ? "" : "s") + ", not " +
           std::to_string(w.size() - first);
  std::vector<Arg> args(want);
  for (size_t i = 0; i < want; ++i) {
    if (Error e = read_argument(s_, tokens[i + 1], w[first + i], &args[i]))
      return "argument " + std::to_string(i + 1) + " of " + selector + ": " + *e;
  }
  std::string error;
  auto result = invoke(target, sel, types, args, &error);
  if (!result) return error;
  if (!print) return kOk;
  s_.invalidate_names();
  Json j = Json::object();
  switch (result->kind) {
    case 'v': break;
    case '@': j.set("result", dump_object(s_, result->object)); break;
    case 'B': j.set("result", result->boolean); break;
    case 'q': j.set("result", static_cast<int64_t>(result->integer)); break;
    case 'd': j.set("result", result->real); break;
    case 'R':
      j.set("result", Json::array({result->rect.origin.x, result->rect.origin.y, result->rect.size.width,
                                   result->rect.size.height}));
      break;
    case 'S': j.set("result", Json::array({result->size.width, result->size.height})); break;
  }
  emit(j);
  return kOk;
}

Error Interpreter::cmd_relaunch(const Words& w) {
  if (w.size() != 1) return std::string("usage: relaunch");
  s_.relaunch();
  return kOk;
}

// --- output ------------------------------------------------------------------

Error Interpreter::field_json(const std::string& text, Json* out, bool absent_is_null) {
  auto path = parse_field_path(text);
  if (!path || path->empty()) return path ? std::string("empty name") : path.error;
  const std::string& head = (*path)[0];
  Json j;
  size_t used = 1;
  if (head == "events" && !s_.is_bound(head)) j = events_json(s_).find("events") ? *events_json(s_).find("events") : Json();
  else if (head == "runtime" && !s_.is_bound(head)) j = runtime_json();
  else if (head == "process" && !s_.is_bound(head)) j = process_json(s_);
  else if (head == "settings" && !s_.is_bound(head)) j = settings_json(s_);
  else if (head == "settings-file" && !s_.is_bound(head)) j = file_json(s_, kSettingsPath);
  else {
    id obj = s_.resolve(*path, &used);
    if (!obj) {
      if (s_.is_bound(head)) {
        j = Json();  // a name bound to nil
        used = 1;
      } else {
        return "no object named '" + head + "'";
      }
    } else {
      j = dump_object(s_, obj);
    }
  }
  for (size_t i = used; i < path->size(); ++i) {
    const std::string& field = (*path)[i];
    const Json* next = nullptr;
    if (j.is_object()) next = j.find(field);
    else if (j.is_array() && !field.empty() && field.find_first_not_of("0123456789") == std::string::npos)
      next = j.at(std::stoul(field));
    if (!next && absent_is_null && i + 1 == path->size() && j.is_object()) {
      *out = Json();
      return kOk;
    }
    if (!next) return "'" + join(*path, 0, i) + "' has no field '" + field + "'";
    Json copy = *next;
    j = std::move(copy);
  }
  *out = std::move(j);
  return kOk;
}

Error Interpreter::cmd_dump(const Words& w) {
  if (w.size() < 2) return std::string("usage: dump NAME | process | events | runtime | file PATH");
  const std::string& what = w[1].text;
  if (what == "file" && !s_.is_bound(what)) {
    if (w.size() != 3) return std::string("usage: dump file PATH");
    emit(file_json(s_, w[2].text));
    return kOk;
  }
  if (w.size() != 2) return std::string("usage: dump NAME");
  if (what == "events" && !s_.is_bound(what)) {
    emit(events_json(s_));
    return kOk;
  }
  Json j;
  if (Error e = field_json(what, &j)) return e;
  emit(j);
  return kOk;
}

Error Interpreter::cmd_expect(const Words& w) {
  if (w.size() != 3) return std::string("usage: expect NAME.FIELD[.FIELD...] VALUE");
  auto want = parse_expected(w[2]);
  if (!want) return want.error;
  Json got;
  if (Error e = field_json(w[1].text, &got, want->is_null())) return e;
  // Colours compare within 1e-6 per component, every other number exactly.
  const std::string last = w[1].text.substr(w[1].text.rfind('.') + 1);
  const bool colour = w[2].text.starts_with("rgba(") || w[2].text.starts_with("white(") ||
                      last.ends_with("Color") || last.ends_with("color");
  if (!expect_matches(got, *want, colour)) {
    std::string text = w[1].text + " " + w[2].raw;
    emit(Json::object().set("expect", text).set("got", got));
    failures_.push_back(script_name_ + ":" + std::to_string(line_) + ": expect " + text + ", got " + got.dump());
  }
  return kOk;
}

Error Interpreter::cmd_render(const Words& w) {
  if (w.size() < 2 || w.size() > 3) return std::string("usage: render FILE.png [scale=N]");
  double scale = 2;
  if (w.size() == 3) {
    auto opt = parse_option(w[2]);
    if (!opt || opt->key != "scale") return std::string("usage: render FILE.png [scale=N]");
    auto v = parse_number(opt->value.text);
    if (!v || !std::isfinite(*v) || *v <= 0 || *v > 8) return "scale must be a number above 0 and at most 8";
    scale = *v;
  }
  std::string error;
  if (!render_screen(s_, w[1].text, scale, &error)) return error;
  return kOk;
}

}  // namespace corvane::cli
