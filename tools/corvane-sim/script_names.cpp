#include "tools/corvane-sim/script_names.h"

#include "sim/runtime/runtime.h"
#include "tools/corvane-sim/literals.h"

namespace corvane::cli {
namespace {

// The object that every part of the name reaches, or nil; an error only for
// a malformed name.
std::optional<std::string> reach(const Session& s, const std::string& name, id* out) {
  *out = nullptr;
  auto path = parse_field_path(name);
  if (!path) return path.error;
  size_t used = 0;
  id object = s.resolve(*path, &used);
  if (used == path->size()) *out = object;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> resolve_object(const Session& s, const std::string& name, id* out) {
  if (auto error = reach(s, name, out)) return error;
  if (!*out) return "no object named '" + name + "'";
  return std::nullopt;
}

std::optional<std::string> resolve_object_or_class(const Session& s, const std::string& name,
                                                   std::string_view looked_for, id* out) {
  if (auto error = reach(s, name, out)) return error;
  if (*out) return std::nullopt;
  if (Class c = sim::class_named(name)) *out = reinterpret_cast<id>(c);
  else if (!s.is_bound(name)) return "no " + std::string(looked_for) + " named '" + name + "'";
  return std::nullopt;
}

}  // namespace corvane::cli
