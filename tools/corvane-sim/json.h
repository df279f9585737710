// A small JSON value: built by the simulator for its one-line dumps, and read
// back from text for tests and for comparing dumped fields with expectations.
//
// Objects keep their members in insertion order. Integers and doubles are
// kept apart so that large integers print exactly; they compare equal when
// they denote the same number.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace corvane::cli {

class Json {
 public:
  enum class Type { Null, Bool, Int, Double, String, Array, Object };
  using Array = std::vector<Json>;
  using Member = std::pair<std::string, Json>;
  using Object = std::vector<Member>;

  Json() = default;  // null
  Json(std::nullptr_t) {}
  Json(bool b) : v_(b) {}
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char>) Json(T n) {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(int64_t)) {
      if (n > static_cast<T>(INT64_MAX)) {
        v_ = static_cast<double>(n);
        return;
      }
    }
    v_ = static_cast<int64_t>(n);
  }
  Json(double d) : v_(d) {}
  Json(float f) : v_(static_cast<double>(f)) {}
  Json(const char* s) : v_(std::string(s)) {}
  Json(std::string s) : v_(std::move(s)) {}
  Json(std::string_view s) : v_(std::string(s)) {}

  static Json array() {
    Json j;
    j.v_ = Array{};
    return j;
  }
  static Json array(std::initializer_list<Json> items) {
    Json j;
    j.v_ = Array(items);
    return j;
  }
  static Json object() {
    Json j;
    j.v_ = Object{};
    return j;
  }

  Type type() const { return static_cast<Type>(v_.index()); }
  bool is_null() const { return type() == Type::Null; }
  bool is_bool() const { return type() == Type::Bool; }
  bool is_number() const { return type() == Type::Int || type() == Type::Double; }
  bool is_string() const { return type() == Type::String; }
  bool is_array() const { return type() == Type::Array; }
  bool is_object() const { return type() == Type::Object; }

  // Accessors; each requires the matching type (checked by std::get).
  bool as_bool() const { return std::get<bool>(v_); }
  double as_double() const;  // Int or Double
  int64_t as_int() const { return std::get<int64_t>(v_); }
  const std::string& as_string() const { return std::get<std::string>(v_); }
  const Array& items() const { return std::get<Array>(v_); }
  const Object& members() const { return std::get<Object>(v_); }

  // Appends to an array (a null value becomes an empty array first).
  Json& push(Json value);
  // Sets a member of an object (a null value becomes an empty object first);
  // an existing key keeps its place and takes the new value.
  Json& set(std::string_view key, Json value);
  // The member named `key`, or null when absent or not an object.
  const Json* find(std::string_view key) const;
  // The array element at `index`, or null when out of range or not an array.
  const Json* at(size_t index) const;
  size_t size() const;  // elements of an array, members of an object, else 0

  // Compact one-line text: no spaces, no trailing newline.
  std::string dump() const;
  void dump_to(std::string& out) const;

  // Same type and content; numbers compare by value (1 == 1.0), objects
  // compare as sets of members regardless of order.
  friend bool operator==(const Json& a, const Json& b);

 private:
  std::variant<std::monostate, bool, int64_t, double, std::string, Array, Object> v_;
};

// Like ==, but numbers match when they differ by at most `tolerance`.
bool approx_equal(const Json& a, const Json& b, double tolerance);

// What `expect` accepts: numbers equal exactly, except inside a colour (the
// whole value when `colour`, or a member whose name ends in "Color"), where
// each may differ by 1e-6; a number that JSON cannot hold matches the string
// it prints as ("inf", "-inf", "nan").
bool expect_matches(const Json& got, const Json& want, bool colour);

// The shortest text that reads back as the same double. Integral values below
// 1e17 print as plain digits ("359", "-0", "10000000000000000"); any exponent
// is written without '+' or leading zeros ("1e-7", "1.5e300"). NaN and
// infinities print as the strings "nan", "inf" and "-inf" (null means nil).
std::string format_double(double value);
void append_double(std::string& out, double value);

// Appends `s` as a quoted JSON string. Control characters become \u00XX,
// `"` and `\` are escaped, valid UTF-8 passes through and each byte that is
// not part of a valid UTF-8 sequence becomes U+FFFD.
void append_json_string(std::string& out, std::string_view s);

struct JsonParse {
  std::optional<Json> value;
  std::string error;  // set when value is empty: what went wrong and at which offset
};

// Reads one JSON document (surrounding whitespace allowed, nothing else).
JsonParse parse_json(std::string_view text);

}  // namespace corvane::cli
