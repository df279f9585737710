// The commands that bind names to objects: `new` makes a host object of a
// kind, `let` binds a literal or an object already named.
#include <optional>

#include "sim/springboard/NCNotificationShortLookView.h"
#include "sim/springboard/SBDockView.h"
#include "sim/springboard/SBFolderBackgroundView.h"
#include "sim/springboard/SBFolderIconImageView.h"
#include "sim/springboard/WGWidgetPlatterView.h"
#include "sim/uikit/UIStatusBar.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/_UIPreviewPlatterPresentationController.h"
#include "tools/corvane-sim/command_handlers.h"
#include "tools/corvane-sim/literal_objects.h"
#include "tools/corvane-sim/literals.h"
#include "tools/corvane-sim/script_names.h"

namespace corvane::cli {
namespace {

// What `new` reads from its key=value options.
struct NewOptions {
  IconSpec icon = default_icon();
  Frame frame;
  bool content = true;
  std::optional<bool> effect;            // effect=YES/NO
  std::optional<bool> plain_background;  // background=elastic/plain
  bool plain_platter_view = false;       // platterView=plain
  int64_t items = 3;
  int64_t style = 0;
};

// The keys of `new`, as bits of the set that a kind takes.
enum Key : unsigned {
  kIcon = 1,
  kFrame = 2,
  kContent = 4,
  kEffect = 8,
  kItems = 16,
  kStyle = 32,
  kBackground = 64,
  kPlatterView = 128
};

struct KeyReader {
  std::string_view key;
  Key bit;
  CommandError (*read)(const std::string& text, NewOptions& options);
};

template <class T>
CommandError store(const Parsed<T>& parsed, T& into) {
  if (!parsed) return parsed.error;
  into = *parsed;
  return kNoError;
}

constexpr KeyReader kKeys[] = {
    {"icon", kIcon, [](const std::string& t, NewOptions& o) { return store(parse_icon(t), o.icon); }},
    {"frame", kFrame, [](const std::string& t, NewOptions& o) { return store(parse_frame(t), o.frame); }},
    {"content", kContent,
     [](const std::string& t, NewOptions& o) { return store(parse_yes_no(t), o.content); }},
    {"effect", kEffect,
     [](const std::string& t, NewOptions& o) -> CommandError {
       auto v = parse_yes_no(t);
       if (!v) return v.error;
       o.effect = *v;
       return kNoError;
     }},
    {"background", kBackground,
     [](const std::string& t, NewOptions& o) -> CommandError {
       if (t != "elastic" && t != "plain") return "background must be elastic or plain, not " + t;
       o.plain_background = t == "plain";
       return kNoError;
     }},
    {"platterView", kPlatterView,
     [](const std::string& t, NewOptions& o) -> CommandError {
       if (t != "preview" && t != "plain") return "platterView must be preview or plain, not " + t;
       o.plain_platter_view = t == "plain";
       return kNoError;
     }},
    {"items", kItems,
     [](const std::string& t, NewOptions& o) -> CommandError {
       auto v = parse_integer(t);
       if (!v) return v.error;
       if (*v < 0 || *v > 64) return "items must be between 0 and 64, not " + t;
       o.items = *v;
       return kNoError;
     }},
    {"style", kStyle, [](const std::string& t, NewOptions& o) { return store(parse_integer(t), o.style); }},
};

CGRect rect(const Frame& f) { return CGRect{{f.x, f.y}, {f.width, f.height}}; }

// A kind of `new`: the keys it takes and how the host makes it from the
// options and the icon's image (made only for kinds that take an icon). An
// object that another keeps alive (a platter controller's presentation)
// comes back in `keeper`, which the script then holds with the name.
struct ObjectKind {
  std::string_view name;
  bool springboard_only;  // else a UIKit class: in the springboard and in apps
  unsigned keys;
  Frame default_frame;
  id (*make)(const NewOptions& options, id icon, id* keeper);
};

// The platter's presentation controller, which owns the pan controller and
// its views; the script keeps it alive and binds the pan controller. The
// menu background: effect=NO is background=plain (it answers no
// visualEffectView), effect=YES background=elastic.
id make_platter(const NewOptions& o, id icon, id* keeper) {
  sim::PlatterPresentationOptions options;
  options.items = static_cast<int>(o.items);
  const bool plain = o.plain_background.value_or(!o.effect.value_or(true));
  options.background = plain ? sim::MenuBackground::Plain : sim::MenuBackground::Standard;
  options.plain_platter_view = o.plain_platter_view;
  *keeper = sim::make_platter_presentation(icon, options);
  return sim::send<id>(*keeper, sim::sel("platterPanController"));
}

constexpr Frame kBannerFrame{0, 0, 359, 76};
constexpr Frame kWidgetFrame{0, 0, 359, 150};

constexpr ObjectKind kKinds[] = {
    {"banner", true, kIcon | kFrame | kContent, kBannerFrame,
     [](const NewOptions& o, id icon, id*) { return sim::make_banner(icon, rect(o.frame), o.content); }},
    {"widget", true, kIcon | kFrame, kWidgetFrame,
     [](const NewOptions& o, id icon, id*) { return sim::make_widget(icon, rect(o.frame)); }},
    {"dock", true, 0, kBannerFrame, [](const NewOptions&, id, id*) { return sim::make_dock(); }},
    {"folder-icon", true, 0, kBannerFrame,
     [](const NewOptions&, id, id*) { return sim::make_folder_icon(); }},
    {"folder-background", true, 0, kBannerFrame,
     [](const NewOptions&, id, id*) { return sim::make_folder_background(); }},
    {"platter", false, kIcon | kItems | kEffect | kBackground | kPlatterView, kBannerFrame, make_platter},
    {"statusbar", false, kStyle, kBannerFrame,
     [](const NewOptions& o, id, id*) { return sim::make_status_bar(false, o.style); }},
    {"statusbar-modern", false, kStyle, kBannerFrame,
     [](const NewOptions& o, id, id*) { return sim::make_status_bar(true, o.style); }},
    {"view", false, kFrame, kBannerFrame,
     [](const NewOptions& o, id, id*) { return sim::make_view("UIView", rect(o.frame)); }},
};

const ObjectKind* find_kind(std::string_view name) {
  for (const ObjectKind& kind : kKinds)
    if (kind.name == name) return &kind;
  return nullptr;
}

// Reads one key=value option of `new` for `kind`.
CommandError read_new_option(const ObjectKind& kind, const Word& word, NewOptions& options) {
  auto opt = parse_option(word);
  if (!opt) return opt.error;
  for (const KeyReader& key : kKeys)
    if (key.key == opt->key && (kind.keys & key.bit)) return key.read(opt->value.text, options);
  return "unknown key '" + opt->key + "' for " + std::string(kind.name);
}

// A name that `new` or `let` may bind: a bare word without dots.
bool bindable(const Word& word) { return !word.quoted && word.text.find('.') == std::string::npos; }

}  // namespace

CommandError run_new(CommandContext& context, const Words& w) {
  if (w.size() < 3) return std::string("usage: new NAME KIND [key=value ...]");
  const std::string& name = w[1].text;
  const std::string& kind_name = w[2].text;
  if (!bindable(w[1])) return "bad object name '" + name + "'";
  const ObjectKind* kind = find_kind(kind_name);
  if (!kind) return "unknown kind '" + kind_name + "'";
  const sim::ProcessKind process = context.session.options().kind;
  if (kind->springboard_only && process != sim::ProcessKind::SpringBoard)
    return "a " + kind_name + " exists only in the springboard process";
  if (!kind->springboard_only && process == sim::ProcessKind::Daemon) return "a daemon has no " + kind_name;

  NewOptions options;
  options.frame = kind->default_frame;
  for (size_t i = 3; i < w.size(); ++i)
    if (CommandError e = read_new_option(*kind, w[i], options)) return e;
  if (options.effect && options.plain_background && *options.effect == *options.plain_background)
    return std::string(*options.effect ? "effect=YES needs background=elastic"
                                       : "effect=NO needs background=plain");
  id icon = nullptr;
  if (kind->keys & kIcon)
    if (auto e = make_icon(options.icon, &icon)) return e;
  id keeper = nullptr;
  id object = kind->make(options, icon, &keeper);
  if (!object) return "the host made no " + kind_name;
  context.session.bind(name, object, keeper);
  return kNoError;
}

CommandError run_let(CommandContext& context, const Words& w) {
  if (w.size() != 4 || w[2].text != "=") return std::string("usage: let NAME = VALUE");
  const std::string& name = w[1].text;
  if (!bindable(w[1])) return "bad name '" + name + "'";
  auto value = parse_value(w[3]);
  if (!value) return value.error;
  id object = nullptr;
  if (auto* n = std::get_if<NameValue>(&*value)) {
    if (auto e = resolve_object(context.session, n->name, &object)) return e;
  } else if (auto e = object_for_literal(*value, &object)) {
    return e;
  }
  // A name bound to nil stays bound: it is usable wherever an object is
  // expected, and passes nil.
  context.session.bind(name, object);
  return kNoError;
}

}  // namespace corvane::cli
