// Sending any message by its method's type encoding: what `send` and
// `arbiter` need to call a method named at run time with typed arguments.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "sim/runtime/objc.h"

namespace corvane::cli {

using Arg = std::variant<id, SEL, bool, long, unsigned long, int, double, float, CGRect, CGSize>;

struct SendResult {
  char kind = 'v';  // 'v' none, '@' object, 'B', 'q' integer, 'd' real, 'R' rect, 'S' size
  id object = nullptr;
  bool boolean = false;
  long integer = 0;
  double real = 0;
  CGRect rect{};
  CGSize size{};
};

// The type tokens of an encoding: result first, then the arguments after
// the receiver and selector ("v@:B" -> {"v", "B"}).
std::vector<std::string> split_encoding(const std::string& types);

// Calls `selector` on `target` with `args` converted as the method's types
// say. Fails (nullopt, with a message) for a combination of types the
// simulator cannot call.
std::optional<SendResult> invoke(id target, SEL selector, const std::string& types,
                                 const std::vector<Arg>& args, std::string* error);

}  // namespace corvane::cli
