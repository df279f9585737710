// The host objects that a script's literals stand for, made the way the
// host makes them: colours, images, strings, numbers and nil.
#pragma once

#include <optional>
#include <string>

#include "sim/runtime/objc.h"
#include "tools/corvane-sim/literals.h"

namespace corvane::cli {

// An icon literal as the host's image (nil for `none`), or an error message
// for an icon file that cannot be read.
std::optional<std::string> make_icon(const IconSpec& icon, id* out);

// A literal value as a host object: rgba(...) and white(...) colours, a
// pattern colour, image(ICON), a "string", YES/NO and numbers as NSNumbers,
// nil as nil. A name is no literal (resolve it with script_names.h): it gives
// an error, as does an image file that cannot be read.
std::optional<std::string> object_for_literal(const Value& value, id* out);

}  // namespace corvane::cli
