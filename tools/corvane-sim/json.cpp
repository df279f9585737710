#include "tools/corvane-sim/json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace corvane::cli {

// --- values ------------------------------------------------------------------

double Json::as_double() const {
  if (type() == Type::Int) return static_cast<double>(std::get<int64_t>(v_));
  return std::get<double>(v_);
}

Json& Json::push(Json value) {
  if (is_null()) v_ = Array{};
  Array& items = std::get<Array>(v_);
  if (items.capacity() == 0) items.reserve(4);  // a frame, a colour: one allocation, not three
  items.push_back(std::move(value));
  return *this;
}

Json& Json::set(std::string_view key, Json value) {
  if (is_null()) v_ = Object{};
  Object& members = std::get<Object>(v_);
  if (members.capacity() == 0) members.reserve(16);  // a view's dump: one allocation, not five
  for (Member& m : members) {
    if (m.first == key) {
      m.second = std::move(value);
      return *this;
    }
  }
  members.emplace_back(std::string(key), std::move(value));
  return *this;
}

const Json* Json::find(std::string_view key) const {
  if (!is_object()) return nullptr;
  for (const Member& m : members())
    if (m.first == key) return &m.second;
  return nullptr;
}

const Json* Json::at(size_t index) const {
  if (!is_array() || index >= items().size()) return nullptr;
  return &items()[index];
}

size_t Json::size() const {
  if (is_array()) return items().size();
  if (is_object()) return members().size();
  return 0;
}

namespace {

bool equal_with(const Json& a, const Json& b, double tolerance) {
  if (a.is_number() && b.is_number()) {
    if (a.type() == Json::Type::Int && b.type() == Json::Type::Int) {
      int64_t x = a.as_int(), y = b.as_int();
      if (tolerance == 0) return x == y;
    }
    double x = a.as_double(), y = b.as_double();
    if (x == y) return true;
    return tolerance > 0 && std::fabs(x - y) <= tolerance;
  }
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case Json::Type::Null: return true;
    case Json::Type::Bool: return a.as_bool() == b.as_bool();
    case Json::Type::String: return a.as_string() == b.as_string();
    case Json::Type::Array: {
      if (a.size() != b.size()) return false;
      for (size_t i = 0; i < a.size(); ++i)
        if (!equal_with(a.items()[i], b.items()[i], tolerance)) return false;
      return true;
    }
    case Json::Type::Object: {
      if (a.size() != b.size()) return false;
      for (const Json::Member& m : a.members()) {
        const Json* other = b.find(m.first);
        if (!other || !equal_with(m.second, *other, tolerance)) return false;
      }
      return true;
    }
    default: return false;  // numbers were handled above
  }
}

}  // namespace

bool operator==(const Json& a, const Json& b) { return equal_with(a, b, 0); }

bool approx_equal(const Json& a, const Json& b, double tolerance) { return equal_with(a, b, tolerance); }

namespace {

bool names_colour(std::string_view key) {
  return key.ends_with("Color") || key.ends_with("color") || key.ends_with("Colour") ||
         key.ends_with("colour");
}

// The string a double that JSON cannot hold prints as; empty for others.
std::string_view non_finite_text(const Json& j) {
  if (j.type() != Json::Type::Double) return {};
  const double d = j.as_double();
  if (std::isnan(d)) return "nan";
  if (std::isinf(d)) return d > 0 ? "inf" : "-inf";
  return {};
}

}  // namespace

bool expect_matches(const Json& got, const Json& want, bool colour) {
  if (std::string_view t = non_finite_text(got); !t.empty() && want.is_string()) return want.as_string() == t;
  if (std::string_view t = non_finite_text(want); !t.empty() && got.is_string()) return got.as_string() == t;
  if (got.is_number() && want.is_number()) return equal_with(got, want, colour ? 1e-6 : 0);
  if (got.type() != want.type()) return false;
  if (got.is_array()) {
    if (got.size() != want.size()) return false;
    for (size_t i = 0; i < got.size(); ++i)
      if (!expect_matches(got.items()[i], want.items()[i], colour)) return false;
    return true;
  }
  if (got.is_object()) {
    if (got.size() != want.size()) return false;
    for (const Json::Member& m : got.members()) {
      const Json* other = want.find(m.first);
      if (!other || !expect_matches(m.second, *other, colour || names_colour(m.first))) return false;
    }
    return true;
  }
  return got == want;
}

// --- writing -----------------------------------------------------------------

void append_double(std::string& out, double value) {
  if (!std::isfinite(value)) {
    // JSON has no such numbers; null would read as nil.
    out += std::isnan(value) ? "\"nan\"" : value > 0 ? "\"inf\"" : "\"-inf\"";
    return;
  }
  char buf[64];
  std::to_chars_result r;
  if (value == std::trunc(value) && std::fabs(value) < 1e17) {
    // Integral: plain digits rather than the "1e+16" that the shortest
    // general form would pick.
    r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  } else {
    r = std::to_chars(buf, buf + sizeof buf, value);
  }
  std::string_view text(buf, static_cast<size_t>(r.ptr - buf));
  size_t e = text.find('e');
  if (e == std::string_view::npos) {
    out += text;
    return;
  }
  // Tidy the exponent: "1e-07" -> "1e-7", "1e+300" -> "1e300".
  out += text.substr(0, e + 1);
  size_t i = e + 1;
  if (text[i] == '-') out += text[i];
  if (text[i] == '+' || text[i] == '-') ++i;
  while (i + 1 < text.size() && text[i] == '0') ++i;
  out += text.substr(i);
}

std::string format_double(double value) {
  std::string out;
  append_double(out, value);
  return out;
}

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 if there is none.
size_t utf8_sequence_length(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = byte(i);
  size_t n;
  uint32_t cp = 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    unsigned char cc = byte(i + k);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cc & 0x3F);
  }
  // Reject overlong forms, surrogates and code points past U+10FFFF.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  return n;
}

void append_utf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

void append_json_string(std::string& out, std::string_view s) {
  out += '"';
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if (size_t n = utf8_sequence_length(s, i)) {
      out += s.substr(i, n);
      i += n;
    } else {
      out += "\xEF\xBF\xBD";  // U+FFFD for a stray byte
      ++i;
    }
  }
  out += '"';
}

void Json::dump_to(std::string& out) const {
  switch (type()) {
    case Type::Null: out += "null"; break;
    case Type::Bool: out += as_bool() ? "true" : "false"; break;
    case Type::Int: out += std::to_string(as_int()); break;
    case Type::Double: append_double(out, std::get<double>(v_)); break;
    case Type::String: append_json_string(out, as_string()); break;
    case Type::Array: {
      out += '[';
      bool first = true;
      for (const Json& item : items()) {
        if (!first) out += ',';
        first = false;
        item.dump_to(out);
      }
      out += ']';
      break;
    }
    case Type::Object: {
      out += '{';
      bool first = true;
      for (const Member& m : members()) {
        if (!first) out += ',';
        first = false;
        append_json_string(out, m.first);
        out += ':';
        m.second.dump_to(out);
      }
      out += '}';
      break;
    }
  }
}

std::string Json::dump() const {
  std::string out;
  dump_to(out);
  return out;
}

// --- reading -----------------------------------------------------------------

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : s_(text) {}

  JsonParse run() {
    JsonParse result;
    Json value;
    skip_space();
    if (!read_value(value, 0)) {
      result.error = std::move(error_);
      return result;
    }
    skip_space();
    if (pos_ != s_.size()) {
      fail("unexpected text after the value");
      result.error = std::move(error_);
      return result;
    }
    result.value = std::move(value);
    return result;
  }

 private:
  static constexpr int kMaxDepth = 256;

  bool fail(std::string_view what) {
    if (error_.empty()) error_ = std::string(what) + " at offset " + std::to_string(pos_);
    return false;
  }

  void skip_space() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
      ++pos_;
  }

  bool literal(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return fail("unexpected character");
    pos_ += word.size();
    return true;
  }

  bool read_value(Json& out, int depth) {
    if (depth > kMaxDepth) return fail("nesting too deep");
    if (pos_ >= s_.size()) return fail("unexpected end of input");
    char c = s_[pos_];
    switch (c) {
      case 'n': out = nullptr; return literal("null");
      case 't': out = true; return literal("true");
      case 'f': out = false; return literal("false");
      case '"': {
        std::string str;
        if (!read_string(str)) return false;
        out = std::move(str);
        return true;
      }
      case '[': return read_array(out, depth);
      case '{': return read_object(out, depth);
      default:
        if (c == '-' || (c >= '0' && c <= '9')) return read_number(out);
        return fail("unexpected character");
    }
  }

  bool read_array(Json& out, int depth) {
    ++pos_;  // [
    out = Json::array();
    skip_space();
    if (pos_ < s_.size() && s_[pos_] == ']') {
      ++pos_;
      return true;
    }
    for (;;) {
      Json item;
      skip_space();
      if (!read_value(item, depth + 1)) return false;
      out.push(std::move(item));
      skip_space();
      if (pos_ >= s_.size()) return fail("unterminated array");
      char c = s_[pos_++];
      if (c == ']') return true;
      if (c != ',') {
        --pos_;
        return fail("expected ',' or ']'");
      }
    }
  }

  bool read_object(Json& out, int depth) {
    ++pos_;  // {
    out = Json::object();
    skip_space();
    if (pos_ < s_.size() && s_[pos_] == '}') {
      ++pos_;
      return true;
    }
    for (;;) {
      skip_space();
      if (pos_ >= s_.size() || s_[pos_] != '"') return fail("expected a member name");
      std::string key;
      if (!read_string(key)) return false;
      skip_space();
      if (pos_ >= s_.size() || s_[pos_] != ':') return fail("expected ':'");
      ++pos_;
      skip_space();
      Json value;
      if (!read_value(value, depth + 1)) return false;
      out.set(key, std::move(value));
      skip_space();
      if (pos_ >= s_.size()) return fail("unterminated object");
      char c = s_[pos_++];
      if (c == '}') return true;
      if (c != ',') {
        --pos_;
        return fail("expected ',' or '}'");
      }
    }
  }

  bool read_hex4(uint32_t& out) {
    if (pos_ + 4 > s_.size()) return fail("truncated \\u escape");
    out = 0;
    for (int i = 0; i < 4; ++i) {
      char h = s_[pos_++];
      out <<= 4;
      if (h >= '0' && h <= '9') out |= static_cast<uint32_t>(h - '0');
      else if (h >= 'a' && h <= 'f') out |= static_cast<uint32_t>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') out |= static_cast<uint32_t>(h - 'A' + 10);
      else return fail("bad \\u escape");
    }
    return true;
  }

  bool read_string(std::string& out) {
    ++pos_;  // opening quote
    for (;;) {
      if (pos_ >= s_.size()) return fail("unterminated string");
      unsigned char c = static_cast<unsigned char>(s_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return fail("control character in string");
      if (c != '\\') {
        out += static_cast<char>(c);
        ++pos_;
        continue;
      }
      ++pos_;
      if (pos_ >= s_.size()) return fail("unterminated string");
      char e = s_[pos_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          uint32_t cp = 0;
          if (!read_hex4(cp)) return false;
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            uint32_t low = 0;
            if (s_.substr(pos_, 2) != "\\u") return fail("unpaired surrogate");
            pos_ += 2;
            if (!read_hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return fail("unpaired surrogate");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return fail("unpaired surrogate");
          }
          append_utf8(out, cp);
          break;
        }
        default: --pos_; return fail("bad escape");
      }
    }
  }

  bool read_number(Json& out) {
    size_t start = pos_;
    auto digits = [&] {
      size_t from = pos_;
      while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
      return pos_ - from;
    };
    if (s_[pos_] == '-') ++pos_;
    if (pos_ < s_.size() && s_[pos_] == '0') {
      ++pos_;
    } else if (digits() == 0) {
      return fail("malformed number");
    }
    bool integral = true;
    if (pos_ < s_.size() && s_[pos_] == '.') {
      ++pos_;
      integral = false;
      if (digits() == 0) return fail("malformed number");
    }
    if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
      ++pos_;
      integral = false;
      if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
      if (digits() == 0) return fail("malformed number");
    }
    const char* first = s_.data() + start;
    const char* last = s_.data() + pos_;
    if (integral) {
      int64_t n;
      auto r = std::from_chars(first, last, n);
      // "-0" stays a double so that its sign survives.
      if (r.ec == std::errc() && r.ptr == last && !(n == 0 && *first == '-')) {
        out = n;
        return true;
      }
    }
    double d;
    auto r = std::from_chars(first, last, d);
    if (r.ec != std::errc() || r.ptr != last) {
      pos_ = start;
      return fail("number out of range");
    }
    out = d;
    return true;
  }

  std::string_view s_;
  size_t pos_ = 0;
  std::string error_;
};

}  // namespace

JsonParse parse_json(std::string_view text) { return Reader(text).run(); }

}  // namespace corvane::cli
