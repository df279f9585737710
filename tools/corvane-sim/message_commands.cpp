// The commands that send a message named in the script: `send` to any
// object or class, `arbiter` to the shared style arbiter as the host would.
#include "sim/runtime/object.h"
#include "tools/corvane-sim/arguments.h"
#include "tools/corvane-sim/command_handlers.h"
#include "tools/corvane-sim/dump.h"
#include "tools/corvane-sim/invoke.h"
#include "tools/corvane-sim/script_names.h"

namespace corvane::cli {
namespace {

// `{"result": ...}` for a method's result, by its type; no key for void.
Json result_json(const Session& s, const SendResult& result) {
  Json j = Json::object();
  switch (result.kind) {
    case 'v': break;
    case '@': j.set("result", dump_object(s, result.object)); break;
    case 'B': j.set("result", result.boolean); break;
    case 'q': j.set("result", static_cast<int64_t>(result.integer)); break;
    case 'd': j.set("result", result.real); break;
    case 'R':
      j.set("result", Json::array({result.rect.origin.x, result.rect.origin.y, result.rect.size.width,
                                   result.rect.size.height}));
      break;
    case 'S': j.set("result", Json::array({result.size.width, result.size.height})); break;
  }
  return j;
}

// Sends `selector` to `target` (named `target_text` in errors) with the
// words from `first` on read by the method's types; prints the result when
// `print`. A message to nil does nothing and yields nil.
CommandError send_message(CommandContext& context, id target, const std::string& target_text,
                          const std::string& selector, const Words& w, size_t first, bool print) {
  SEL sel = sim::sel(selector.c_str());
  if (!target) {
    if (print) context.emit(Json::object().set("result", Json()));
    return kNoError;
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
    if (CommandError e = read_argument(context.session, tokens[i + 1], w[first + i], &args[i]))
      return "argument " + std::to_string(i + 1) + " of " + selector + ": " + *e;
  }
  std::string error;
  auto result = invoke(target, sel, types, args, &error);
  if (!result) return error;
  if (!print) return kNoError;
  context.session.invalidate_names();
  context.emit(result_json(context.session, *result));
  return kNoError;
}

}  // namespace

CommandError run_arbiter(CommandContext& context, const Words& w) {
  if (w.size() < 2) return std::string("usage: arbiter SELECTOR ARGS...");
  id arbiter = context.session.lookup("arbiter");
  if (!arbiter) return std::string("this process has no style arbiter");
  return send_message(context, arbiter, "arbiter", w[1].text, w, 2, false);
}

CommandError run_send(CommandContext& context, const Words& w) {
  if (w.size() < 3) return std::string("usage: send TARGET SELECTOR [ARGS...]");
  id target = nullptr;
  if (auto e = resolve_object_or_class(context.session, w[1].text, "object or class", &target)) return e;
  return send_message(context, target, w[1].text, w[2].text, w, 3, true);
}

}  // namespace corvane::cli
