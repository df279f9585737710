#include "tools/corvane-sim/dump.h"

#include <algorithm>

#include "sim/emulation/arm64_abi.h"
#include "sim/foundation/foundation.h"
#include "sim/foundation/plist_file.h"
#include "sim/render/looks.h"
#include "sim/runtime/object.h"
#include "sim/system/event_log.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/UIView.h"
#include "src/core/settings_values.h"

namespace corvane::cli {
namespace {

using sim::sel;
using sim::send;

bool responds(id o, const char* selector) { return o && class_respondsToSelector(o->isa, sel(selector)); }

Json frame_json(CGRect r) { return Json::array({r.origin.x, r.origin.y, r.size.width, r.size.height}); }

Json plist_json(const sim::plist::Value& v) {
  using T = sim::plist::Value::Type;
  switch (v.type()) {
    case T::Boolean: return Json(v.boolean());
    case T::Integer: return v.is_unsigned_integer() ? Json(v.unsigned_integer()) : Json(v.integer());
    case T::Real: return Json(v.real());
    case T::String: return Json(v.string());
    case T::Data: {
      static const char* hex = "0123456789abcdef";
      std::string out;
      for (uint8_t b : v.data()) {
        out.push_back(hex[b >> 4]);
        out.push_back(hex[b & 15]);
      }
      return Json::object().set("data", out);
    }
    case T::Date: return Json::object().set("date", v.date().seconds);
    case T::Array: {
      Json a = Json::array();
      for (const auto& item : v.array()) a.push(plist_json(item));
      return a;
    }
    case T::Dictionary: {
      Json o = Json::object();
      for (const auto& [k, item] : v.dictionary()) o.set(k, plist_json(item));
      return o;
    }
  }
  return Json();
}

}  // namespace

Json colour_json(id colour) {
  auto comps = sim::colour_components(colour);
  if (!comps) return Json();
  return Json::array({(*comps)[0], (*comps)[1], (*comps)[2], (*comps)[3]});
}

Json image_json(id image) {
  if (!image) return Json();
  CGSize size = send<CGSize>(image, sel("size"));
  return Json::object()
      .set("size", Json::array({size.width, size.height}))
      .set("scale", send<double>(image, sel("scale")));
}

Json dump_view(const Session& s, id view, id parent) {
  Json j = Json::object();
  j.set("name", s.name_of(view));
  j.set("class", view->isa->name);
  j.set("frame", frame_json(send<CGRect>(view, sel("frame"))));
  j.set("backgroundColor", colour_json(send<id>(view, sel("backgroundColor"))));
  j.set("hidden", send<BOOL>(view, sel("isHidden")));
  j.set("alpha", send<double>(view, sel("alpha")));
  j.set("overrideUserInterfaceStyle", send<NSInteger>(view, sel("overrideUserInterfaceStyle")));
  j.set("effectiveStyle", sim::effective_style(view));
  id layer = send<id>(view, sel("layer"));
  j.set("cornerRadius", send<double>(layer, sel("cornerRadius")));
  j.set("clipsToBounds", send<BOOL>(view, sel("clipsToBounds")));
  if (!parent) parent = send<id>(view, sel("superview"));
  if (std::string role = sim::render::role_in(parent, view); !role.empty()) j.set("role", role);
  auto animations = sim::take_animations(view);
  if (!animations.empty()) {
    Json a = Json::array();
    for (const auto& rec : animations) {
      Json props = Json::array();
      for (const auto& p : rec.properties) props.push(p);
      a.push(Json::object().set("duration", rec.duration).set("properties", props));
    }
    j.set("animated", a);
  }
  if (responds(view, "foregroundColor"))
    j.set("foregroundColor", colour_json(send<id>(view, sel("foregroundColor"))));
  if (responds(view, "textColor")) {
    j.set("text", sim::string_value(send<id>(view, sel("text"))));
    j.set("textColor", colour_json(send<id>(view, sel("textColor"))));
  }
  if (id image = sim::render::shown_image(view)) j.set("image", image_json(image));
  Json subs = Json::array();
  for (const auto& sub : sim::as<sim::UIViewObj>(view)->subviews) subs.push(dump_view(s, sub, view));
  j.set("subviews", subs);
  return j;
}

Json dump_object(const Session& s, id o) {
  if (!o) return Json();
  if (o->isa->meta && static_cast<Class>(o)->counterpart == o->isa)
    return class_ref_json(static_cast<Class>(o));
  if (sim::is_kind_of(o, "UIView")) return dump_view(s, o, nullptr);
  if (sim::is_kind_of(o, "UIColor")) return colour_json(o);
  if (sim::is_kind_of(o, "UIImage")) return Json::object().set("image", image_json(o));
  if (sim::is_string(o)) return Json(sim::string_value(o));
  if (sim::is_number(o)) {
    auto* n = sim::as<sim::NSNumberObj>(o);
    if (n->kind == sim::NSNumberObj::Bool) return Json(n->i != 0);
    if (n->kind == sim::NSNumberObj::Int) return Json(n->i);
    return Json(n->d);
  }
  if (sim::is_kind_of(o, "NSArray")) {
    Json a = Json::array();
    for (const auto& item : sim::as<sim::NSArrayObj>(o)->items) a.push(dump_object(s, item));
    return a;
  }
  if (sim::is_kind_of(o, "NSDictionary")) {
    Json d = Json::object();
    for (const auto& [k, v] : sim::as<sim::NSDictionaryObj>(o)->entries)
      d.set(sim::string_value(k), dump_object(s, v));
    return d;
  }
  Json j = Json::object();
  j.set("name", s.name_of(o));
  j.set("class", o->isa->name);
  if (sim::is_kind_of(o, "_UIPreviewPlatterPanController")) {
    id actions = private_part(o, "actionsView");
    id platter = private_part(o, "platterView");
    j.set("actionsView", actions ? dump_view(s, actions, o) : Json());
    j.set("platterView", platter ? dump_view(s, platter, o) : Json());
  }
  if (sim::is_kind_of(o, "UIUserInterfaceStyleArbiter"))
    j.set("currentStyle", send<NSInteger>(o, sel("currentStyle")));
  if (sim::is_kind_of(o, "SpringBoard")) {
    j.set("isLocked", send<BOOL>(o, sel("isLocked")));
    j.set("isShowingHomescreen", send<BOOL>(o, sel("isShowingHomescreen")));
    id app = send<id>(o, sel("_accessibilityFrontMostApplication"));
    id bundle = send<id>(app, sel("bundleIdentifier"));
    j.set("frontApp", bundle ? Json(sim::string_value(bundle)) : Json());
  }
  return j;
}

Json events_json(const Session& s) {
  auto ref = [&](const sim::ObjectRef& r) -> Json {
    if (!r.serial) return Json();
    // A live object reached by a name prints that name; otherwise CLASS#N.
    if (auto name = s.name_for_serial(r.serial)) return Json(*name);
    return Json(r.class_name + "#" + std::to_string(s.number_for(r.serial)));
  };
  Json list = Json::array();
  for (const sim::Event& e : sim::events()) {
    Json j = Json::object().set("kind", e.kind);
    if (e.kind == "post") {
      j.set("centre", e.centre).set("name", e.name).set("object", ref(e.object));
      if (e.cf) j.set("userInfo", ref(e.user_info));
      if (e.cf && e.centre == "distributed") j.set("deliverImmediately", e.deliver_immediately);
    } else if (e.kind == "observer" && e.cf) {
      j.set("centre", e.centre)
          .set("name", e.any_name ? Json() : Json(e.name))
          .set("suspensionBehavior", static_cast<int64_t>(e.suspension_behavior));
    } else if (e.kind == "applist-query") {
      j.set("identifier", e.identifier).set("key", e.key).set("bundle", e.bundle).set("result", e.result);
    } else if (e.kind == "file-write") {
      j.set("path", e.path).set("atomic", e.atomic);
    } else if (e.kind == "timer" && e.block) {
      j.set("interval", e.interval).set("repeats", e.repeats).set("block", true);
    } else if (e.kind == "timer") {
      j.set("target", ref(e.object))
          .set("selector", e.selector)
          .set("interval", e.interval)
          .set("repeats", e.repeats);
    } else if (e.kind == "hook-missing") {
      j.set("class", e.class_name).set("selector", e.selector);
    } else if (e.kind == "observer") {
      j.set("centre", e.centre)
          .set("name", e.name)
          .set("observer", ref(e.object))
          .set("selector", e.selector);
    }
    list.push(j);
  }
  return Json::object().set("events", list);
}

Json class_ref_json(Class cls) { return Json::object().set("classObject", std::string(class_getName(cls))); }

namespace {

Json methods_json(Class cls) {
  std::vector<const sim::Method*> methods(cls->methods.begin(), cls->methods.end());
  std::sort(methods.begin(), methods.end(), [](const sim::Method* a, const sim::Method* b) {
    return std::string_view(sel_getName(a->sel)) < std::string_view(sel_getName(b->sel));
  });
  Json list = Json::array();
  for (const sim::Method* m : methods)
    list.push(
        Json::object().set("selector", std::string(sel_getName(m->sel))).set("types", std::string(m->types)));
  return list;
}

const char* ownership_name(sim::Ownership o) {
  switch (o) {
    case sim::Ownership::Strong: return "strong";
    case sim::Ownership::Weak: return "weak";
    case sim::Ownership::Assign: return "assign";
  }
  return "assign";
}

}  // namespace

Json class_json(Class cls) {
  Json chain = Json::array();
  for (Class c = cls; c; c = c->superclass) chain.push(c->name);
  Json ivars = Json::array();
  for (const sim::Ivar& iv : cls->ivars)
    ivars.push(Json::object()
                   .set("name", iv.name)
                   .set("type", iv.type)
                   .set("ownership", ownership_name(iv.ownership)));
  return Json::object()
      .set("class", cls->name)
      .set("superclass", cls->superclass ? Json(cls->superclass->name) : Json())
      .set("chain", chain)
      .set("methods", methods_json(cls))
      .set("classMethods", methods_json(cls->counterpart))
      .set("ivars", ivars);
}

Json runtime_json() {
  Json classes = Json::object();
  for (const sim::TouchRecord& t : sim::runtime_touches()) {
    Json hooked = Json::array();
    for (const auto& h : t.hooked) hooked.push(h);
    Json added = Json::object();
    for (const auto& [sel_name, enc] : t.added) added.set(sel_name, enc);
    Json class_hooked = Json::array();
    for (const auto& h : t.class_hooked) class_hooked.push(h);
    classes.set(t.class_name,
                Json::object().set("hooked", hooked).set("added", added).set("classHooked", class_hooked));
  }
  return Json::object().set("classes", classes);
}

Json file_json(const Session& s, const std::string& device_path) {
  auto v = sim::plist::read_file(const_cast<Session&>(s).process().host_path(device_path), nullptr);
  return v ? plist_json(*v) : Json();
}

// Under emulation the pointer comes from the guest, which is checked to hold
// this many bytes of its memory behind it.
static_assert(sizeof(corvane::Settings) <= sim::emulation::kMaxPointeeBytes);

Json settings_json(const Session& s) {
  using Fn = const corvane::Settings* (*)();
  auto fn = reinterpret_cast<Fn>(const_cast<Session&>(s).process().library_symbol("corvane13_settings"));
  if (!fn) return Json();
  const corvane::Settings& v = *fn();
  Json j = Json::object();
#define CORVANE_DUMP_SETTING(name, fallback, meaning) j.set(#name, v.name);
  CORVANE_SETTINGS_KEYS(CORVANE_DUMP_SETTING, CORVANE_DUMP_SETTING)
#undef CORVANE_DUMP_SETTING
  return j;
}

Json process_json(const Session& s) {
  const sim::ProcessOptions& o = s.options();
  const char* kind = o.kind == sim::ProcessKind::SpringBoard ? "springboard"
                     : o.kind == sim::ProcessKind::App       ? "app"
                                                             : "daemon";
  std::string ios = std::to_string(o.ios.major) + "." + std::to_string(o.ios.minor) +
                    (o.ios.patch ? "." + std::to_string(o.ios.patch) : "");
  Json objects = Json::object();
  for (const auto& [name, obj] : s.bindings()) objects.set(name, dump_object(s, obj));
  bool loaded = const_cast<Session&>(s).process().library_loaded();
  Json j = Json::object()
               .set("ios", ios)
               .set("process", kind)
               .set("bundle", o.bundle_id)
               .set("libraryLoaded", loaded);
  if (loaded) {
    using Fn = bool (*)();
    auto fn =
        reinterpret_cast<Fn>(const_cast<Session&>(s).process().library_symbol("corvane13_dark_mode_active"));
    j.set("darkModeActive", fn ? Json(fn()) : Json());
    j.set("settings", settings_json(s));
  }
  if (id arbiter = s.lookup("arbiter")) j.set("systemStyle", send<NSInteger>(arbiter, sel("currentStyle")));
  j.set("objects", objects);
  return j;
}

}  // namespace corvane::cli
