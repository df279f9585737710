// Readers for the literal forms of scenario scripts: icons, values, frames,
// settings, KEY=VALUE options, dotted field paths and system versions.
//
// They only read text into plain structs; turning them into host objects is
// the caller's business. Every reader returns either a value or a one-line
// message that names the offending text, fit to print as `SCRIPT:LINE: message`.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tools/corvane-sim/json.h"
#include "tools/corvane-sim/lexer.h"

namespace corvane::cli {

// A value or the reason there is none.
template <class T>
struct Parsed {
  std::optional<T> value;
  std::string error;

  static Parsed ok(T v) { return Parsed{std::move(v), {}}; }
  static Parsed fail(std::string message) { return Parsed{std::nullopt, std::move(message)}; }
  explicit operator bool() const { return value.has_value(); }
  const T& operator*() const { return *value; }
  T& operator*() { return *value; }
  const T* operator->() const { return &*value; }
  T* operator->() { return &*value; }
};

// --- numbers -------------------------------------------------------------------

// A decimal integer with an optional sign ("1", "-3", "+7").
Parsed<int64_t> parse_integer(std::string_view text);
// A finite decimal number: integer, fraction or exponent form ("-0.5", ".5", "1e-7").
Parsed<double> parse_number(std::string_view text);
// True when `text` has the form of an integer (no fraction, no exponent).
bool looks_integral(std::string_view text);
// YES or NO.
Parsed<bool> parse_yes_no(std::string_view text);

// --- icons ---------------------------------------------------------------------

struct IconSpec {
  enum class Kind { Solid, Png, None, App };
  Kind kind = Kind::Solid;
  std::array<uint8_t, 4> rgba{255, 59, 48, 255};  // premultiplied bytes (Solid)
  double width = 40;                              // size in points (Solid)
  double height = 40;
  double scale = 1;  // pixels per point (Solid)
  std::string path;  // (Png, App)

  friend bool operator==(const IconSpec&, const IconSpec&) = default;
};

// The icon used when a script gives none: solid:255,59,48,255@40x40.
inline IconSpec default_icon() { return IconSpec{}; }

// solid:R,G,B,A@WxH, solid:R,G,B,A@WxH*S, png:PATH, app:PATH or none.
Parsed<IconSpec> parse_icon(std::string_view text);

// --- geometry ------------------------------------------------------------------

struct Frame {
  double x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Frame&, const Frame&) = default;
};
struct Size {
  double width = 0, height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// x,y,w,h (four finite numbers).
Parsed<Frame> parse_frame(std::string_view text);
// w,h (two finite numbers).
Parsed<Size> parse_size(std::string_view text);

// --- values of `let` and `send` ------------------------------------------------

struct RgbaValue {  // rgba(r,g,b,a): components as written, out-of-range kept
  double r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const RgbaValue&, const RgbaValue&) = default;
};
struct WhiteValue {  // white(w,a)
  double white = 0, alpha = 0;
  friend bool operator==(const WhiteValue&, const WhiteValue&) = default;
};
struct PatternValue {  // pattern: a colour without RGB components
  friend bool operator==(const PatternValue&, const PatternValue&) = default;
};
struct ImageValue {  // image(ICON)
  IconSpec icon;
  friend bool operator==(const ImageValue&, const ImageValue&) = default;
};
struct NilValue {  // nil
  friend bool operator==(const NilValue&, const NilValue&) = default;
};
struct StringValue {  // "quoted string"
  std::string text;
  friend bool operator==(const StringValue&, const StringValue&) = default;
};
struct NameValue {  // a bare name: a bound object, a dotted part, a class or a selector
  std::string name;
  friend bool operator==(const NameValue&, const NameValue&) = default;
};

// An integer literal is an int64_t, any other number a double, YES/NO a bool.
using Value = std::variant<RgbaValue, WhiteValue, PatternValue, ImageValue, NilValue, bool, int64_t, double,
                           StringValue, NameValue>;

// Reads one word as a value. A quoted word is always a string; bare words
// are the literal forms above, or else a name made of letters, digits, `_`,
// `.` and `:` that does not start with a digit.
Parsed<Value> parse_value(const Word& word);

// The JSON that a dumped field must equal for `expect NAME.FIELD VALUE`:
// nil/null -> null, YES/true and NO/false -> booleans, numbers, quoted
// strings, rgba(r,g,b,a) -> [r,g,b,a], white(w,a) -> [w,w,w,a],
// image(ICON) -> {"size":[w,h],"scale":s}, a word written starting with `[`
// or `{` -> that JSON text as written (quotes included, no spaces outside
// them), any other bare word -> the word as a string.
Parsed<Json> parse_expected(const Word& word);

// --- settings ------------------------------------------------------------------

using SettingValue = std::variant<bool, int64_t, double, std::string>;

struct Setting {
  std::string key;
  SettingValue value;
  friend bool operator==(const Setting&, const Setting&) = default;
};

// KEY=VALUE: YES/NO/true/false booleans, integers, reals, or a quoted string
// (KEY="some text"). Anything else is an error.
Parsed<Setting> parse_setting(const Word& word);

// --- options and paths ---------------------------------------------------------

struct Option {
  std::string key;
  Word value;  // as the lexer would read the text after the first `=`
};

// KEY=VALUE, split on the first `=` outside quotes; the key must not be empty.
Parsed<Option> parse_option(const Word& word);

// NAME.FIELD.FIELD... -> {"NAME", "FIELD", ...}; no component may be empty.
Parsed<std::vector<std::string>> parse_field_path(std::string_view text);

// --- system versions -----------------------------------------------------------

struct IosVersion {
  int major = 13, minor = 7, patch = 0;

  friend auto operator<=>(const IosVersion&, const IosVersion&) = default;
  std::string text() const;  // "13.7", "14.0", "14.4.2"
};

// 1 to 3 dot-separated decimal components: 13, 13.7, 14.0, 14.4.2.
Parsed<IosVersion> parse_ios_version(std::string_view text);

}  // namespace corvane::cli
