#include "tools/corvane-sim/arguments.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "sim/runtime/runtime.h"
#include "tools/corvane-sim/literal_objects.h"
#include "tools/corvane-sim/literals.h"
#include "tools/corvane-sim/script_names.h"

namespace corvane::cli {
namespace {

using Error = std::optional<std::string>;
const Error kOk = std::nullopt;

bool is_selector_name(const Word& word) {
  const std::string& t = word.text;
  if (word.quoted || t.empty()) return false;
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!letter(t[0])) return false;
  for (char c : t) {
    if (!letter(c) && !(c >= '0' && c <= '9') && c != ':') return false;
  }
  return true;
}

// An object argument: a name (or a class name) resolved, or a literal made
// into the host object it stands for. Numbers and YES/NO are no objects here.
Error read_object(const Session& s, const Word& word, id* out) {
  auto v = parse_value(word);
  if (!v) return v.error;
  if (auto* n = std::get_if<NameValue>(&*v)) return resolve_object_or_class(s, n->name, "object", out);
  if (std::holds_alternative<bool>(*v) || std::holds_alternative<int64_t>(*v) ||
      std::holds_alternative<double>(*v))
    return "an object is expected, not " + word.text;
  return object_for_literal(*v, out);
}

template <typename T>
Error read_integer(const std::string& text, Arg* out) {
  auto v = parse_integer(text);
  if (!v) return v.error;
  if constexpr (std::is_unsigned_v<T>) {
    if (*v < 0) return "a number of at least 0 is expected, not " + text;
  } else if (*v < std::numeric_limits<T>::min() || *v > std::numeric_limits<T>::max()) {
    return text + " is out of range for the argument's type";
  }
  *out = static_cast<T>(*v);
  return kOk;
}

// What a word must be for an argument of type t that is not an object or a
// selector, as error messages name it.
const char* expected_kind(const std::string& t) {
  if (t == "B") return "YES or NO";
  if (t == "d" || t == "f") return "a number";
  if (t.rfind("{CGRect", 0) == 0) return "a rectangle x,y,w,h";
  if (t.rfind("{CGSize", 0) == 0) return "a size w,h";
  return "an integer";
}

}  // namespace

Error read_argument(const Session& s, const std::string& t, const Word& word, Arg* out) {
  const std::string& text = word.text;
  if (t == "@") {
    id obj = nullptr;
    if (Error e = read_object(s, word, &obj)) return e;
    *out = obj;
    return kOk;
  }
  if (t == ":") {
    if (!is_selector_name(word)) return "a selector name is expected, not " + word.raw;
    *out = sim::sel(text.c_str());
    return kOk;
  }
  if (word.quoted) return std::string(expected_kind(t)) + " is expected, not " + word.raw;
  if (t == "B") {
    auto v = parse_yes_no(text);
    if (!v) return v.error;
    *out = *v;
    return kOk;
  }
  if (t == "q" || t == "l") return read_integer<long>(text, out);
  if (t == "Q" || t == "L") return read_integer<unsigned long>(text, out);
  if (t == "i" || t == "s" || t == "c") return read_integer<int>(text, out);
  if (t == "d" || t == "f") {
    auto v = parse_number(text);
    if (!v) return v.error;
    if (t == "d") {
      *out = *v;
    } else {
      if (std::fabs(*v) > std::numeric_limits<float>::max()) return text + " is out of range for a float";
      *out = static_cast<float>(*v);
    }
    return kOk;
  }
  if (t.rfind("{CGRect", 0) == 0) {
    auto v = parse_frame(text);
    if (!v) return v.error;
    *out = CGRect{{v->x, v->y}, {v->width, v->height}};
    return kOk;
  }
  if (t.rfind("{CGSize", 0) == 0) {
    auto v = parse_size(text);
    if (!v) return v.error;
    *out = CGSize{v->width, v->height};
    return kOk;
  }
  return "the simulator cannot pass an argument of type " + t;
}

}  // namespace corvane::cli
