// The commands that print and check what the host can observe: dump,
// expect and render.
#include <charconv>
#include <cmath>
#include <cstdint>

#include "src/core/names.h"
#include "tools/corvane-sim/command_handlers.h"
#include "tools/corvane-sim/dump.h"
#include "tools/corvane-sim/literals.h"
#include "tools/corvane-sim/render.h"

namespace corvane::cli {
namespace {

// "a.b.c" from the first `count` parts of a path.
std::string joined(const std::vector<std::string>& parts, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && i < parts.size(); ++i) {
    if (i > 0) out += ".";
    out += parts[i];
  }
  return out;
}

// A path part as an index into an array: digits only, and an index past
// any array (SIZE_MAX) when it is anything else or too large to be one.
size_t array_index(const std::string& part) {
  size_t index = 0;
  const char* end = part.data() + part.size();
  auto [stop, error] = std::from_chars(part.data(), end, index);
  return part.empty() || error != std::errc() || stop != end ? SIZE_MAX : index;
}

// The views of the whole process that a field path may start with, unless
// the script bound the name to something else.
struct ProcessView {
  std::string_view name;
  Json (*json)(const Session& s);
};

const ProcessView kProcessViews[] = {
    {"events",
     [](const Session& s) {
       Json events = events_json(s);
       return events.find("events") ? *events.find("events") : Json();
     }},
    {"runtime", [](const Session&) { return runtime_json(); }},
    {"process", process_json},
    {"settings", settings_json},
    {"pane", pane_json},
    {"settings-file", [](const Session& s) { return file_json(s, corvane::names::kSettingsPath); }},
};

// The JSON that the head of a field path names: a view of the process, or
// the named object's dump (null for a name bound to nil). *used tells how
// many parts of the path the head took.
CommandError head_json(const Session& s, const std::vector<std::string>& path, Json* out, size_t* used) {
  const std::string& head = path[0];
  *used = 1;
  if (!s.is_bound(head))
    for (const ProcessView& view : kProcessViews)
      if (view.name == head) {
        *out = view.json(s);
        return kNoError;
      }
  id obj = s.resolve(path, used);
  if (obj) {
    *out = dump_object(s, obj);
  } else if (s.is_bound(head)) {
    *out = Json();  // a name bound to nil
    *used = 1;
  } else {
    return "no object named '" + head + "'";
  }
  return kNoError;
}

// The JSON a field path names (`b1.backgroundColor`, `events.0`, ...): the
// head's JSON, then a field of an object or an index of an array per part.
// With `absent_is_null`, a last field that the dump leaves out (`animated`,
// `role`) gives null rather than an error.
CommandError field_json(const Session& s, const std::string& text, Json* out, bool absent_is_null = false) {
  auto path = parse_field_path(text);
  if (!path || path->empty()) return path ? std::string("empty name") : path.error;
  Json head;
  size_t used = 1;
  if (CommandError e = head_json(s, *path, &head, &used)) return e;
  const Json* j = &head;  // only the value at the end of the path is copied
  for (size_t i = used; i < path->size(); ++i) {
    const std::string& field = (*path)[i];
    const Json* next = nullptr;
    if (j->is_object()) next = j->find(field);
    else if (j->is_array()) next = j->at(array_index(field));
    if (!next && absent_is_null && i + 1 == path->size() && j->is_object()) {
      *out = Json();
      return kNoError;
    }
    if (!next) return "'" + joined(*path, i) + "' has no field '" + field + "'";
    j = next;
  }
  *out = j == &head ? std::move(head) : *j;
  return kNoError;
}

}  // namespace

CommandError run_dump(CommandContext& context, const Words& w) {
  if (w.size() < 2)
    return std::string("usage: dump NAME | process | events | runtime | class NAME | file PATH");
  const Session& s = context.session;
  const std::string& what = w[1].text;
  if (what == "class" && !s.is_bound(what)) {
    if (w.size() != 3) return std::string("usage: dump class NAME");
    Class cls = sim::class_named(w[2].text);
    if (!cls) return "no class named '" + w[2].text + "' in this process";
    context.emit(class_json(cls));
    return kNoError;
  }
  if (what == "file" && !s.is_bound(what)) {
    if (w.size() != 3) return std::string("usage: dump file PATH");
    context.emit(file_json(s, w[2].text));
    return kNoError;
  }
  if (w.size() != 2) return std::string("usage: dump NAME");
  if (what == "events" && !s.is_bound(what)) {
    context.emit(events_json(s));
    return kNoError;
  }
  Json j;
  if (CommandError e = field_json(s, what, &j)) return e;
  context.emit(j);
  return kNoError;
}

CommandError run_expect(CommandContext& context, const Words& w) {
  if (w.size() != 3) return std::string("usage: expect NAME.FIELD[.FIELD...] VALUE");
  auto want = parse_expected(w[2]);
  if (!want) return want.error;
  Json got;
  if (CommandError e = field_json(context.session, w[1].text, &got, want->is_null())) return e;
  // Colours compare within 1e-6 per component, every other number exactly.
  const std::string last = w[1].text.substr(w[1].text.rfind('.') + 1);
  const bool colour = w[2].text.starts_with("rgba(") || w[2].text.starts_with("white(") ||
                      last.ends_with("Color") || last.ends_with("color");
  if (!expect_matches(got, *want, colour)) {
    std::string text = w[1].text + " " + w[2].raw;
    context.emit(Json::object().set("expect", text).set("got", got));
    context.failures.push_back(context.location + ": expect " + text + ", got " + got.dump());
  }
  return kNoError;
}

CommandError run_render(CommandContext& context, const Words& w) {
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
  if (!render_screen(context.session, w[1].text, scale, &error)) return error;
  return kNoError;
}

}  // namespace corvane::cli
