#include "sim/foundation/plist_check.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace sim::plist::detail {
namespace {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool valid_utf8(std::string_view t) {
  const auto* p = reinterpret_cast<const unsigned char*>(t.data());
  const auto* end = p + t.size();
  while (p < end) {
    const unsigned c = *p++;
    if (c < 0x80) continue;
    int more = 0;
    unsigned cp = 0, min = 0;
    if ((c & 0xE0) == 0xC0) {
      more = 1, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      more = 2, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      more = 3, cp = c & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (end - p < more) return false;
    for (int k = 0; k < more; ++k) {
      if ((p[k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[k] & 0x3F);
    }
    p += more;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  }
  return true;
}

// --- XML ------------------------------------------------------------------------

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool all_space(std::string_view t) {
  for (char c : t) {
    if (!is_space(c)) return false;
  }
  return true;
}

std::string_view trim(std::string_view t) {
  while (!t.empty() && is_space(t.front())) t.remove_prefix(1);
  while (!t.empty() && is_space(t.back())) t.remove_suffix(1);
  return t;
}

bool is_name_start(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || u >= 0x80;
}
bool is_name_char(char c) { return is_name_start(c) || is_digit(c) || c == '-' || c == '.'; }

int hex_digit(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One reference after '&' in text: a predefined entity or a character
// reference to a Unicode scalar value other than NUL. Sets *length to the
// reference's length, ';' included. libplist turns a reference to a
// surrogate or to NUL into bytes that are not valid UTF-8 or that cut the
// string short, so those are refused along with malformed references.
bool valid_reference(std::string_view t, std::size_t* length) {
  static constexpr std::string_view kNamed[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
  for (std::string_view n : kNamed) {
    if (t.substr(0, n.size()) == n) {
      *length = n.size();
      return true;
    }
  }
  if (t.substr(0, 2) != "&#") return false;
  std::size_t i = 2;
  const bool hex = i < t.size() && t[i] == 'x';
  if (hex) ++i;
  const std::size_t first_digit = i;
  std::uint32_t cp = 0;
  for (; i < t.size() && t[i] != ';'; ++i) {
    const int d = hex ? hex_digit(t[i]) : (is_digit(t[i]) ? t[i] - '0' : -1);
    if (d < 0) return false;
    cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
    if (cp > 0x10FFFF) return false;
  }
  if (i == first_digit || i == t.size()) return false;
  *length = i + 1;
  return cp != 0 && !(cp >= 0xD800 && cp <= 0xDFFF);
}

bool valid_references(std::string_view t) {
  for (std::size_t i = t.find('&'); i != std::string_view::npos; i = t.find('&', i)) {
    std::size_t length = 0;
    if (!valid_reference(t.substr(i), &length)) return false;
    i += length;
  }
  return true;
}

// libplist reads integers with base auto-detection, so "010" would come out
// as 8; such text is refused rather than misread.
bool valid_integer(std::string_view t) {
  t = trim(t);
  bool negative = false;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  unsigned base = 10;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  } else if (t.size() > 1 && t[0] == '0') {
    return false;
  }
  if (t.empty()) return false;
  const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : UINT64_MAX;
  std::uint64_t v = 0;
  for (char c : t) {
    const int d = base == 16 ? hex_digit(c) : (is_digit(c) ? c - '0' : -1);
    if (d < 0) return false;
    if (v > (limit - static_cast<unsigned>(d)) / base) return false;
    v = v * base + static_cast<unsigned>(d);
  }
  return true;
}

bool valid_real(std::string_view t) {
  t = trim(t);
  if (!t.empty() && t[0] == '+') t.remove_prefix(1);
  if (t.empty() || t[0] == '+') return false;
  double d = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), d);
  // Out of range still means the text is a number (it reads as an infinity,
  // zero or subnormal, as it would when written by another program).
  return r.ptr == t.data() + t.size() && (r.ec == std::errc() || r.ec == std::errc::result_out_of_range);
}

// YYYY-MM-DDTHH:MM:SSZ, the only form in which dates are written.
bool valid_date(std::string_view t) {
  t = trim(t);
  static constexpr char kPattern[] = "dddd-dd-ddTdd:dd:ddZ";
  if (t.size() != sizeof kPattern - 1) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (kPattern[i] == 'd' ? !is_digit(t[i]) : t[i] != kPattern[i]) return false;
  }
  auto field = [&](std::size_t at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
  const int month = field(5), day = field(8), hour = field(11), minute = field(14), second = field(17);
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 && minute <= 59 && second <= 60;
}

// Complete base64: whole groups of four, '=' only as the last one or two
// characters. libplist silently drops an incomplete group.
bool valid_base64(std::string_view t) {
  std::size_t count = 0, padding = 0;
  for (char c : t) {
    if (is_space(c)) continue;
    if (c == '=') {
      ++padding;
    } else {
      const bool alphabet =
          (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || is_digit(c) || c == '+' || c == '/';
      if (!alphabet || padding > 0) return false;
    }
    ++count;
  }
  return count % 4 == 0 && padding <= 2;
}

enum class Kind { Plist, Dict, Array, Key, String, Integer, Real, Date, Data, Bool };

std::optional<Kind> kind_of(std::string_view name) {
  static constexpr struct {
    std::string_view name;
    Kind kind;
  } kKinds[] = {{"plist", Kind::Plist}, {"dict", Kind::Dict},     {"array", Kind::Array},
                {"key", Kind::Key},     {"string", Kind::String}, {"integer", Kind::Integer},
                {"real", Kind::Real},   {"date", Kind::Date},     {"data", Kind::Data},
                {"true", Kind::Bool},   {"false", Kind::Bool}};
  for (const auto& k : kKinds) {
    if (k.name == name) return k.kind;
  }
  return std::nullopt;
}

class XmlChecker {
 public:
  explicit XmlChecker(std::string_view s) : s_(s) {}

  bool run() {
    // libplist's reader and its nodes work on C strings in places, so a NUL
    // would cut a string short. Other control characters, which XML does not
    // allow either, are let through: libplist writes them unescaped and
    // reads them back unchanged. Text that is not UTF-8 would reach Value
    // strings as it is, and libplist mangles such strings in binary files.
    if (s_.find('\0') != std::string_view::npos || !valid_utf8(s_)) return false;
    if (s_.substr(0, 3) == "\xEF\xBB\xBF") i_ = 3;
    while (i_ < s_.size()) {
      if (s_[i_] != '<') {
        std::size_t j = s_.find('<', i_);
        if (j == std::string_view::npos) j = s_.size();
        if (!text(s_.substr(i_, j - i_), /*cdata=*/false)) return false;
        i_ = j;
      } else if (!markup()) {
        return false;
      }
    }
    return root_closed_ && stack_.empty();
  }

 private:
  struct Frame {
    Kind kind;
    std::string_view name;
    int children = 0;
    bool expect_key = true;  // dictionaries: the next child must be a <key>
    std::string text;        // integers, reals, dates, data: their content
  };

  bool starts(std::string_view prefix) const { return s_.substr(i_, prefix.size()) == prefix; }

  // Moves past the next occurrence of terminator; false when there is none.
  bool skip_past(std::string_view terminator, std::size_t from) {
    const std::size_t end = s_.find(terminator, from);
    if (end == std::string_view::npos) return false;
    i_ = end + terminator.size();
    return true;
  }

  void skip_space() {
    while (i_ < s_.size() && is_space(s_[i_])) ++i_;
  }

  std::string_view name() {
    const std::size_t start = i_;
    if (i_ < s_.size() && is_name_start(s_[i_])) {
      ++i_;
      while (i_ < s_.size() && is_name_char(s_[i_])) ++i_;
    }
    return s_.substr(start, i_ - start);
  }

  bool markup() {
    if (starts("<?")) return stack_.empty() && skip_past("?>", i_ + 2);
    if (starts("<!--")) return skip_past("-->", i_ + 4);
    if (starts("<![CDATA[")) {
      const std::size_t begin = i_ + 9;
      if (stack_.empty() || !skip_past("]]>", begin)) return false;
      return text(s_.substr(begin, i_ - 3 - begin), /*cdata=*/true);
    }
    if (starts("<!DOCTYPE")) return doctype();
    if (starts("</")) return end_tag();
    return start_tag();
  }

  bool doctype() {
    if (root_seen_ || doctype_seen_) return false;
    doctype_seen_ = true;
    char quote = 0;
    int brackets = 0;
    for (std::size_t j = i_ + 9; j < s_.size(); ++j) {
      const char c = s_[j];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++brackets;
      } else if (c == ']') {
        --brackets;
      } else if (c == '>' && brackets <= 0) {
        i_ = j + 1;
        return true;
      }
    }
    return false;
  }

  bool end_tag() {
    i_ += 2;
    const std::string_view n = name();
    skip_space();
    if (i_ >= s_.size() || s_[i_] != '>') return false;
    ++i_;
    if (stack_.empty() || stack_.back().name != n) return false;
    return close();
  }

  bool start_tag() {
    ++i_;
    const std::string_view n = name();
    if (n.empty()) return false;
    for (;;) {
      skip_space();
      if (i_ >= s_.size()) return false;
      if (s_[i_] == '>') {
        ++i_;
        return open(n);
      }
      if (s_[i_] == '/') {
        if (!starts("/>")) return false;
        i_ += 2;
        return open(n) && close();
      }
      if (name().empty()) return false;
      skip_space();
      if (i_ >= s_.size() || s_[i_] != '=') return false;
      ++i_;
      skip_space();
      if (i_ >= s_.size() || (s_[i_] != '"' && s_[i_] != '\'')) return false;
      const std::size_t close_quote = s_.find(s_[i_], i_ + 1);
      if (close_quote == std::string_view::npos) return false;
      if (s_.substr(i_, close_quote - i_).find('<') != std::string_view::npos) return false;
      i_ = close_quote + 1;
    }
  }

  bool open(std::string_view n) {
    const std::optional<Kind> k = kind_of(n);
    if (!k || stack_.size() >= static_cast<std::size_t>(kMaxDepth)) return false;
    if (*k != Kind::Plist && *k != Kind::Key && ++values_ > kMaxObjects) return false;
    if (stack_.empty()) {
      if (root_seen_ || *k == Kind::Key) return false;
      root_seen_ = true;
    } else {
      Frame& parent = stack_.back();
      switch (parent.kind) {
        case Kind::Plist:
          if (*k == Kind::Key || *k == Kind::Plist || parent.children > 0) return false;
          break;
        case Kind::Dict:
          if (*k == Kind::Plist || parent.expect_key != (*k == Kind::Key)) return false;
          parent.expect_key = !parent.expect_key;
          break;
        case Kind::Array:
          if (*k == Kind::Key || *k == Kind::Plist) return false;
          break;
        default: return false;  // scalars hold no elements
      }
      ++parent.children;
    }
    stack_.push_back(Frame{*k, n, 0, true, {}});
    return true;
  }

  bool close() {
    const Frame f = std::move(stack_.back());
    stack_.pop_back();
    if (stack_.empty()) root_closed_ = true;
    switch (f.kind) {
      case Kind::Plist: return f.children == 1;
      case Kind::Dict: return f.expect_key;
      case Kind::Integer: return valid_integer(f.text);
      case Kind::Real: return valid_real(f.text);
      case Kind::Date: return valid_date(f.text);
      case Kind::Data: return valid_base64(f.text);
      default: return true;
    }
  }

  // Character data; references are only resolved outside CDATA sections.
  bool text(std::string_view t, bool cdata) {
    if (stack_.empty()) return all_space(t);
    Frame& f = stack_.back();
    switch (f.kind) {
      case Kind::Key:
      case Kind::String: return cdata || valid_references(t);
      case Kind::Integer:
      case Kind::Real:
      case Kind::Date:
      case Kind::Data: f.text.append(t); return true;
      default: return all_space(t);
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
  std::vector<Frame> stack_;
  bool root_seen_ = false, root_closed_ = false, doctype_seen_ = false;
  std::uint64_t values_ = 0;
};

// --- binary --------------------------------------------------------------------

std::uint64_t read_be(const unsigned char* p, unsigned size) {
  std::uint64_t v = 0;
  for (unsigned i = 0; i < size; ++i) v = (v << 8) | p[i];
  return v;
}

class BinaryChecker {
 public:
  BinaryChecker(const unsigned char* p, std::size_t n) : p_(p), n_(n) {}

  bool run() {
    static constexpr std::size_t kHeader = 8, kTrailer = 32;
    if (n_ < kHeader + 1 + 1 + kTrailer || std::memcmp(p_, "bplist00", kHeader) != 0) return false;
    const unsigned char* t = p_ + n_ - kTrailer;
    offset_size_ = t[6];
    ref_size_ = t[7];
    objects_ = read_be(t + 8, 8);
    const std::uint64_t root = read_be(t + 16, 8);
    table_ = read_be(t + 24, 8);
    if (offset_size_ < 1 || offset_size_ > 8 || ref_size_ < 1 || ref_size_ > 8) return false;
    if (table_ <= kHeader || table_ > n_ - kTrailer) return false;
    if (objects_ == 0 || objects_ > (n_ - kTrailer - table_) / offset_size_ || root >= objects_ ||
        objects_ > kMaxObjects)
      return false;
    state_.assign(objects_, State::Unseen);
    expanded_.assign(objects_, Expanded{});
    return object(root, 0);
  }

 private:
  enum class State : unsigned char { Unseen, Open, Done };

  // What an object becomes once every reference is copied out, as libplist
  // does: a file may point at one object many times over, so a few hundred
  // bytes can stand for billions of values. Counts saturate at the limits.
  struct Expanded {
    std::uint64_t values = 0;
    std::uint64_t bytes = 0;
    void add(const Expanded& e) {
      values = values + e.values > kMaxObjects ? kMaxObjects + 1 : values + e.values;
      bytes = bytes + e.bytes > kMaxExpandedBytes ? kMaxExpandedBytes + 1 : bytes + e.bytes;
    }
    bool within_limits() const { return values <= kMaxObjects && bytes <= kMaxExpandedBytes; }
  };

  std::uint64_t offset_of(std::uint64_t index) const {
    return read_be(p_ + table_ + index * offset_size_, offset_size_);
  }

  // Object sizes: the low nibble, or 0xF followed by an integer object.
  bool length(std::size_t& pos, unsigned low, std::uint64_t& len) const {
    if (low != 0xF) {
      len = low;
      return true;
    }
    if (pos >= table_ || (p_[pos] >> 4) != 0x1 || (p_[pos] & 0xF) > 3) return false;
    const unsigned size = 1u << (p_[pos] & 0xF);
    ++pos;
    if (size > table_ - pos) return false;
    len = read_be(p_ + pos, size);
    pos += size;
    return true;
  }

  // libplist keeps strings as C strings (and asserts that a key has no NUL
  // in it), so strings holding a NUL character are refused. So are bytes
  // that are not ASCII in an ASCII string and unpaired surrogates in a UTF-16
  // one, which would not make valid UTF-8.
  bool ascii(std::size_t pos, std::uint64_t count) const {
    for (std::uint64_t k = 0; k < count; ++k) {
      if (p_[pos + k] == 0 || p_[pos + k] >= 0x80) return false;
    }
    return true;
  }

  bool utf16(std::size_t pos, std::uint64_t count) const {
    for (std::uint64_t k = 0; k < count; ++k) {
      const std::uint64_t unit = read_be(p_ + pos + 2 * k, 2);
      if (unit == 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return false;
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (++k == count) return false;
        const std::uint64_t low = read_be(p_ + pos + 2 * k, 2);
        if (low < 0xDC00 || low > 0xDFFF) return false;
      }
    }
    return true;
  }

  bool refs(std::size_t pos, std::uint64_t count, int depth, bool keys_are_strings, Expanded* total) {
    for (std::uint64_t k = 0; k < count; ++k) {
      const std::uint64_t ref = read_be(p_ + pos + k * ref_size_, ref_size_);
      if (ref >= objects_ || !object(ref, depth + 1)) return false;
      total->add(expanded_[ref]);
      if (!total->within_limits()) return false;
      if (keys_are_strings) {
        const unsigned kind = p_[offset_of(ref)] >> 4;
        if (kind != 0x5 && kind != 0x6) return false;
      }
    }
    return true;
  }

  bool object(std::uint64_t index, int depth) {
    if (depth > kMaxDepth) return false;
    if (state_[index] == State::Done) return true;
    if (state_[index] == State::Open) return false;  // a reference cycle
    state_[index] = State::Open;
    const std::uint64_t off = offset_of(index);
    if (off < 8 || off >= table_) return false;
    const unsigned char marker = p_[off];
    const unsigned low = marker & 0xF;
    std::size_t pos = off + 1;
    const auto room = [&] { return table_ - pos; };
    std::uint64_t len = 0;
    bool ok = false;
    Expanded size{1, 0};
    switch (marker >> 4) {
      case 0x0:  // only false and true; null and fill are not values
        ok = marker == 0x08 || marker == 0x09;
        break;
      case 0x1:  // integer of 1, 2, 4, 8 or 16 bytes
        ok = low <= 4 && (1u << low) <= room();
        // Sixteen-byte integers hold values above INT64_MAX; anything that
        // does not fit in 64 bits cannot be represented.
        if (ok && low == 4) ok = read_be(p_ + pos, 8) == 0;
        break;
      case 0x2:  // real of 4 or 8 bytes
        ok = (low == 2 || low == 3) && (1u << low) <= room();
        break;
      case 0x3:  // date
        ok = marker == 0x33 && 8 <= room();
        break;
      case 0x4:  // data
        ok = length(pos, low, len) && len <= room();
        size.bytes = len;
        break;
      case 0x5:  // ASCII string
        ok = length(pos, low, len) && len <= room() && ascii(pos, len);
        size.bytes = len;
        break;
      case 0x6:  // UTF-16 string: up to 3 bytes of UTF-8 per unit
        ok = length(pos, low, len) && len <= room() / 2 && utf16(pos, len);
        size.bytes = 3 * len;
        break;
      case 0xA:  // array
        ok = length(pos, low, len) && len <= room() / ref_size_ && refs(pos, len, depth, false, &size);
        break;
      case 0xD:  // dictionary: all keys, then all values
        ok = length(pos, low, len) && len <= room() / ref_size_ / 2 && refs(pos, len, depth, true, &size) &&
             refs(pos + len * ref_size_, len, depth, false, &size);
        break;
      default:  // UIDs, sets and unassigned markers
        ok = false;
    }
    if (!ok || !size.within_limits()) return false;
    state_[index] = State::Done;
    expanded_[index] = size;
    return true;
  }

  const unsigned char* p_;
  std::size_t n_;
  unsigned offset_size_ = 0, ref_size_ = 0;
  std::uint64_t objects_ = 0, table_ = 0;
  std::vector<State> state_;
  std::vector<Expanded> expanded_;
};

}  // namespace

bool xml_is_well_formed(std::string_view text) { return XmlChecker(text).run(); }

bool binary_is_well_formed(std::string_view bytes) {
  return BinaryChecker(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()).run();
}

}  // namespace sim::plist::detail
