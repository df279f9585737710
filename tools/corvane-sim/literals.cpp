#include "tools/corvane-sim/literals.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace corvane::cli {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_name_start(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_name_char(char c) { return is_name_start(c) || is_digit(c) || c == '.' || c == ':'; }

std::string quote(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  out += '\'';
  out += s;
  out += '\'';
  return out;
}

// Splits on every `sep`; "a,,b" gives an empty middle part.
std::vector<std::string_view> split(std::string_view text, char sep) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(sep, start);
    if (at == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

// Length of the longest prefix of `text` that has the shape of a decimal
// number: sign? (digits ('.' digits*)? | '.' digits) ([eE] sign? digits)?
size_t number_shape(std::string_view text, bool& integral) {
  size_t i = 0;
  integral = true;
  auto digits = [&] {
    size_t from = i;
    while (i < text.size() && is_digit(text[i])) ++i;
    return i - from;
  };
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  size_t whole = digits();
  size_t frac = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    integral = false;
    frac = digits();
  }
  if (whole + frac == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t mark = i;
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (digits() == 0) return mark;
    integral = false;
  }
  return i;
}

// A word that begins like a number (a digit, or a sign or point before one).
bool starts_like_number(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  if (i < text.size() && text[i] == '.') ++i;
  return i < text.size() && is_digit(text[i]);
}

// Reads "NAME(a,b,...)" arguments as exactly `count` numbers.
template <size_t N>
Parsed<std::array<double, N>> call_numbers(std::string_view text, std::string_view name) {
  std::string_view inner = text.substr(name.size() + 1, text.size() - name.size() - 2);
  auto parts = split(inner, ',');
  if (parts.size() != N)
    return Parsed<std::array<double, N>>::fail(std::string(name) + "(...) takes " + std::to_string(N) +
                                               " numbers, got " + std::to_string(parts.size()) + " in " +
                                               quote(text));
  std::array<double, N> out{};
  for (size_t i = 0; i < N; ++i) {
    auto n = parse_number(parts[i]);
    if (!n) return Parsed<std::array<double, N>>::fail(n.error + " in " + quote(text));
    out[i] = *n;
  }
  return Parsed<std::array<double, N>>::ok(out);
}

bool is_open_call(std::string_view text, std::string_view name) {
  return text.size() > name.size() && text.substr(0, name.size()) == name && text[name.size()] == '(';
}

std::string_view shown(const Word& word) { return word.raw.empty() ? std::string_view(word.text) : word.raw; }

}  // namespace

// --- numbers -------------------------------------------------------------------

bool looks_integral(std::string_view text) {
  bool integral = false;
  return !text.empty() && number_shape(text, integral) == text.size() && integral;
}

Parsed<int64_t> parse_integer(std::string_view text) {
  bool integral = false;
  if (text.empty() || number_shape(text, integral) != text.size() || !integral)
    return Parsed<int64_t>::fail(quote(text) + " is not an integer");
  std::string_view digits = text[0] == '+' ? text.substr(1) : text;
  int64_t n = 0;
  auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (r.ec != std::errc() || r.ptr != digits.data() + digits.size())
    return Parsed<int64_t>::fail("integer " + quote(text) + " is out of range");
  return Parsed<int64_t>::ok(n);
}

Parsed<double> parse_number(std::string_view text) {
  bool integral = false;
  if (text.empty() || number_shape(text, integral) != text.size())
    return Parsed<double>::fail(quote(text) + " is not a number");
  std::string_view digits = text[0] == '+' ? text.substr(1) : text;
  double d = 0;
  auto r = std::from_chars(digits.data(), digits.data() + digits.size(), d);
  if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || !std::isfinite(d))
    return Parsed<double>::fail("number " + quote(text) + " is out of range");
  return Parsed<double>::ok(d);
}

Parsed<bool> parse_yes_no(std::string_view text) {
  if (text == "YES") return Parsed<bool>::ok(true);
  if (text == "NO") return Parsed<bool>::ok(false);
  return Parsed<bool>::fail("expected YES or NO, got " + quote(text));
}

// --- icons ---------------------------------------------------------------------

Parsed<IconSpec> parse_icon(std::string_view text) {
  using P = Parsed<IconSpec>;
  const std::string where = "icon " + quote(text) + ": ";
  IconSpec icon;
  if (text == "none") {
    icon.kind = IconSpec::Kind::None;
    return P::ok(icon);
  }
  if (text.starts_with("png:")) {
    icon.kind = IconSpec::Kind::Png;
    icon.path = std::string(text.substr(4));
    if (icon.path.empty()) return P::fail(where + "png: needs a file path");
    return P::ok(icon);
  }
  if (text.starts_with("app:")) {
    icon.kind = IconSpec::Kind::App;
    icon.path = std::string(text.substr(4));
    if (icon.path.empty()) return P::fail(where + "app: needs the path of an .app folder or .ipa archive");
    return P::ok(icon);
  }
  if (!text.starts_with("solid:"))
    return P::fail("unknown icon " + quote(text) +
                   " (expected solid:R,G,B,A@WxH[*S], png:PATH, app:PATH or none)");

  std::string_view body = text.substr(6);
  size_t at = body.find('@');
  if (at == std::string_view::npos) return P::fail(where + "missing '@WxH' size");

  auto bytes = split(body.substr(0, at), ',');
  if (bytes.size() != 4)
    return P::fail(where + "expected 4 colour bytes R,G,B,A, got " + std::to_string(bytes.size()));
  for (size_t i = 0; i < 4; ++i) {
    auto n = parse_integer(bytes[i]);
    if (!n || *n < 0 || *n > 255)
      return P::fail(where + "colour byte " + quote(bytes[i]) + " is not an integer 0-255");
    icon.rgba[i] = static_cast<uint8_t>(*n);
  }

  std::string_view size = body.substr(at + 1);
  size_t star = size.find('*');
  if (star != std::string_view::npos) {
    std::string_view scale = size.substr(star + 1);
    auto s = parse_number(scale);
    if (!s || !(*s > 0)) return P::fail(where + "scale " + quote(scale) + " is not a positive number");
    icon.scale = *s;
    size = size.substr(0, star);
  }
  auto dims = split(size, 'x');
  if (dims.size() != 2) return P::fail(where + "size " + quote(size) + " is not WxH");
  double* out[2] = {&icon.width, &icon.height};
  for (size_t i = 0; i < 2; ++i) {
    auto n = parse_number(dims[i]);
    if (!n || *n < 0)
      return P::fail(where + (i == 0 ? "width " : "height ") + quote(dims[i]) +
                     " is not a non-negative number");
    *out[i] = *n;
  }
  return P::ok(icon);
}

// --- geometry ------------------------------------------------------------------

Parsed<Frame> parse_frame(std::string_view text) {
  auto parts = split(text, ',');
  if (parts.size() != 4) return Parsed<Frame>::fail("frame " + quote(text) + " is not x,y,w,h");
  double v[4];
  for (size_t i = 0; i < 4; ++i) {
    auto n = parse_number(parts[i]);
    if (!n) return Parsed<Frame>::fail("frame " + quote(text) + ": " + n.error);
    v[i] = *n;
  }
  return Parsed<Frame>::ok(Frame{v[0], v[1], v[2], v[3]});
}

Parsed<Size> parse_size(std::string_view text) {
  auto parts = split(text, ',');
  if (parts.size() != 2) return Parsed<Size>::fail("size " + quote(text) + " is not w,h");
  double v[2];
  for (size_t i = 0; i < 2; ++i) {
    auto n = parse_number(parts[i]);
    if (!n) return Parsed<Size>::fail("size " + quote(text) + ": " + n.error);
    v[i] = *n;
  }
  return Parsed<Size>::ok(Size{v[0], v[1]});
}

// --- values --------------------------------------------------------------------

Parsed<Value> parse_value(const Word& word) {
  using P = Parsed<Value>;
  if (word.quoted) return P::ok(StringValue{word.text});
  const std::string& t = word.text;
  if (t.empty()) return P::fail("empty value");
  if (t == "nil") return P::ok(NilValue{});
  if (t == "YES") return P::ok(true);
  if (t == "NO") return P::ok(false);
  if (t == "pattern") return P::ok(PatternValue{});
  if (is_open_call(t, "rgba") || is_open_call(t, "white") || is_open_call(t, "image")) {
    std::string_view name = std::string_view(t).substr(0, t.find('('));
    if (t.back() != ')') return P::fail(std::string(name) + "(...) is missing ')' in " + quote(shown(word)));
    if (name == "rgba") {
      auto c = call_numbers<4>(t, "rgba");
      if (!c) return P::fail(c.error);
      return P::ok(RgbaValue{(*c)[0], (*c)[1], (*c)[2], (*c)[3]});
    }
    if (name == "white") {
      auto c = call_numbers<2>(t, "white");
      if (!c) return P::fail(c.error);
      return P::ok(WhiteValue{(*c)[0], (*c)[1]});
    }
    auto icon = parse_icon(std::string_view(t).substr(6, t.size() - 7));
    if (!icon) return P::fail(icon.error);
    return P::ok(ImageValue{*icon});
  }
  if (starts_like_number(t)) {
    if (looks_integral(t)) {
      auto n = parse_integer(t);
      if (!n) return P::fail(n.error);
      return P::ok(*n);
    }
    auto d = parse_number(t);
    if (!d) return P::fail(d.error);
    return P::ok(*d);
  }
  bool name_ok = is_name_start(t[0]);
  for (char c : t) name_ok = name_ok && is_name_char(c);
  if (!name_ok)
    return P::fail(
        "unrecognised value " + quote(shown(word)) +
        " (expected a name, number, YES/NO, nil, \"string\", rgba(), white(), image() or pattern)");
  return P::ok(NameValue{t});
}

Parsed<Json> parse_expected(const Word& word) {
  using P = Parsed<Json>;
  if (word.quoted) return P::ok(Json(word.text));
  const std::string& t = word.text;
  if (t.empty()) return P::fail("empty value");
  if (t == "nil" || t == "null") return P::ok(Json());
  if (t == "YES" || t == "true") return P::ok(Json(true));
  if (t == "NO" || t == "false") return P::ok(Json(false));
  if (std::string_view raw = shown(word); raw[0] == '[' || raw[0] == '{') {
    // JSON keeps its own quotes, so it is read from the source text.
    auto j = parse_json(raw);
    if (!j.value) return P::fail("malformed JSON value " + quote(raw) + ": " + j.error);
    return P::ok(std::move(*j.value));
  }
  if (is_open_call(t, "rgba") || is_open_call(t, "white") || is_open_call(t, "image") ||
      starts_like_number(t)) {
    auto v = parse_value(word);
    if (!v) return P::fail(v.error);
    if (auto* c = std::get_if<RgbaValue>(&*v)) return P::ok(Json::array({c->r, c->g, c->b, c->a}));
    if (auto* w = std::get_if<WhiteValue>(&*v))
      return P::ok(Json::array({w->white, w->white, w->white, w->alpha}));
    if (auto* n = std::get_if<int64_t>(&*v)) return P::ok(Json(*n));
    if (auto* d = std::get_if<double>(&*v)) return P::ok(Json(*d));
    const IconSpec& icon = std::get<ImageValue>(*v).icon;
    if (icon.kind != IconSpec::Kind::Solid)
      return P::fail("only image(solid:...) has a known size to compare, not " + quote(t));
    Json image = Json::object();
    image.set("size", Json::array({icon.width, icon.height}));
    image.set("scale", icon.scale);
    return P::ok(std::move(image));
  }
  return P::ok(Json(t));
}

// --- settings, options, paths --------------------------------------------------

Parsed<Option> parse_option(const Word& word) {
  using P = Parsed<Option>;
  // A word built by hand may lack its source text; the plain text then
  // stands for it, unless the whole word was a quoted string.
  std::string_view raw = shown(word);
  size_t eq = std::string_view::npos;
  if (!(word.raw.empty() && word.quoted)) {
    bool in_quote = false;
    for (size_t i = 0; i < raw.size(); ++i) {
      char c = raw[i];
      if (in_quote && c == '\\') {
        ++i;
      } else if (c == '"') {
        in_quote = !in_quote;
      } else if (c == '=' && !in_quote) {
        eq = i;
        break;
      }
    }
  }
  if (eq == std::string_view::npos) return P::fail("expected KEY=VALUE, got " + quote(raw));
  Option option;
  Word key;
  std::string error;
  if (!lex_word(raw.substr(0, eq), key, error)) return P::fail(error + " in " + quote(raw));
  if (key.text.empty()) return P::fail("empty key in " + quote(raw));
  option.key = std::move(key.text);
  if (!lex_word(raw.substr(eq + 1), option.value, error)) return P::fail(error + " in " + quote(raw));
  return P::ok(std::move(option));
}

Parsed<Setting> parse_setting(const Word& word) {
  using P = Parsed<Setting>;
  auto option = parse_option(word);
  if (!option) return P::fail("settings: " + option.error);
  Setting s;
  s.key = option->key;
  const Word& v = option->value;
  if (v.quoted) {
    s.value = v.text;
    return P::ok(std::move(s));
  }
  const std::string& t = v.text;
  if (t == "YES" || t == "true") {
    s.value = true;
  } else if (t == "NO" || t == "false") {
    s.value = false;
  } else if (looks_integral(t)) {
    auto n = parse_integer(t);
    if (!n) return P::fail("setting " + quote(s.key) + ": " + n.error);
    s.value = *n;
  } else if (auto d = parse_number(t)) {
    s.value = *d;
  } else if (starts_like_number(t)) {
    return P::fail("setting " + quote(s.key) + ": " + d.error);
  } else {
    return P::fail("setting " + quote(s.key) + ": value " + quote(v.raw) +
                   " is not YES, NO, true, false, a number or a \"quoted string\"");
  }
  return P::ok(std::move(s));
}

Parsed<std::vector<std::string>> parse_field_path(std::string_view text) {
  using P = Parsed<std::vector<std::string>>;
  std::vector<std::string> out;
  for (std::string_view part : split(text, '.')) {
    if (part.empty()) return P::fail("malformed field path " + quote(text) + " (empty component)");
    out.emplace_back(part);
  }
  return P::ok(std::move(out));
}

// --- system versions -----------------------------------------------------------

std::string IosVersion::text() const {
  std::string s = std::to_string(major);
  s += '.';
  s += std::to_string(minor);
  if (patch != 0) {
    s += '.';
    s += std::to_string(patch);
  }
  return s;
}

Parsed<IosVersion> parse_ios_version(std::string_view text) {
  auto bad = [&] {
    return Parsed<IosVersion>::fail("invalid iOS version " + quote(text) +
                                    " (expected MAJOR[.MINOR[.PATCH]], e.g. 13.7 or 14.4.2)");
  };
  auto parts = split(text, '.');
  if (parts.size() > 3) return bad();
  int v[3] = {0, 0, 0};
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string_view p = parts[i];
    if (p.empty()) return bad();
    for (char c : p)
      if (!is_digit(c)) return bad();
    auto r = std::from_chars(p.data(), p.data() + p.size(), v[i]);
    if (r.ec != std::errc()) return bad();
  }
  return Parsed<IosVersion>::ok(IosVersion{v[0], v[1], v[2]});
}

}  // namespace corvane::cli
