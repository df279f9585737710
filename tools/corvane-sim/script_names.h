// A script's names for objects: a name bound by `new`, `let` or `zoom` (or
// predefined), or NAME.part.part for private parts, as Session::resolve
// reads them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/runtime/objc.h"
#include "tools/corvane-sim/session.h"

namespace corvane::cli {

// The object a name reaches. Fails with "no object named 'NAME'" when the
// name is unbound, bound to nil or names a part that is missing, and with
// the path's own message when it is malformed.
std::optional<std::string> resolve_object(const Session& s, const std::string& name, id* out);

// As resolve_object, but a name that reaches no object may still be a class
// (giving the class object) or a name bound to nil (giving nil). `looked_for`
// is what the error says was sought: "no LOOKED_FOR named 'NAME'".
std::optional<std::string> resolve_object_or_class(const Session& s, const std::string& name,
                                                   std::string_view looked_for, id* out);

}  // namespace corvane::cli
