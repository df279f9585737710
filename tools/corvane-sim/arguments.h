// Script words as the arguments of a method, read by the method's type
// encoding: an object where `@` is expected (a name, a colour or image
// literal, a "quoted string" or nil), a selector name for `:`, YES/NO for
// `B`, integers for the integer types, numbers for `d` and `f`, x,y,w,h for a
// CGRect and w,h for a CGSize. A word of the wrong kind is a script error: a
// number never reaches a method as an object, nor a name as a number.
#pragma once

#include <optional>
#include <string>

#include "tools/corvane-sim/invoke.h"
#include "tools/corvane-sim/lexer.h"
#include "tools/corvane-sim/session.h"

namespace corvane::cli {

// Reads `word` as an argument of type `type` (one token of an encoding).
// Returns an error message, or nothing with the argument in *out.
std::optional<std::string> read_argument(const Session& s, const std::string& type, const Word& word,
                                         Arg* out);

}  // namespace corvane::cli
