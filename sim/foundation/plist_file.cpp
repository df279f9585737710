// Conversion between Value trees and libplist nodes, and the two encodings.
#include "sim/foundation/plist_file.h"

#include <plist/plist.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "sim/foundation/plist_check.h"

namespace sim::plist {
namespace {

struct NodeDeleter {
  void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

struct MallocDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Malloced = std::unique_ptr<T, MallocDeleter>;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

void put_be(std::string& out, std::uint64_t v, unsigned size) {
  for (unsigned i = size; i-- > 0;) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint64_t get_be(const unsigned char* p, unsigned size) {
  std::uint64_t v = 0;
  for (unsigned i = 0; i < size; ++i) v = (v << 8) | p[i];
  return v;
}

// libplist's date interface passes whole seconds and microseconds as 32-bit
// integers, which loses precision, cannot hold years past 2069, and splits
// negative fractions wrongly. Its node keeps a double, though, and its binary
// reader and writer move that double unchanged, so dates cross over as a
// one-object binary property list.
Node date_node(double seconds) {
  std::string b = "bplist00";
  b.push_back('\x33');
  put_be(b, std::bit_cast<std::uint64_t>(seconds), 8);
  b.push_back('\x08');  // offset table: the date object is at offset 8
  b.append(6, '\0');
  b.push_back('\x01');  // offset size
  b.push_back('\x01');  // reference size
  put_be(b, 1, 8);      // object count
  put_be(b, 0, 8);      // root object
  put_be(b, 17, 8);     // offset table position
  plist_t node = nullptr;
  plist_from_bin(b.data(), static_cast<std::uint32_t>(b.size()), &node);
  return Node(node);
}

double date_seconds(plist_t node) {
  Node copy(plist_copy(node));
  char* raw = nullptr;
  std::uint32_t n = 0;
  plist_to_bin(copy.get(), &raw, &n);
  const std::unique_ptr<char, void (*)(char*)> bin(raw, plist_to_bin_free);
  const auto* p = reinterpret_cast<const unsigned char*>(raw);
  if (p != nullptr && n >= 8 + 9 + 1 + 32) {
    const unsigned char* trailer = p + n - 32;
    const unsigned offset_size = trailer[6];
    const std::uint64_t root = get_be(trailer + 16, 8);
    const std::uint64_t table = get_be(trailer + 24, 8);
    if (offset_size >= 1 && offset_size <= 8 && table + (root + 1) * offset_size <= n - 32) {
      const std::uint64_t off = get_be(p + table + root * offset_size, offset_size);
      if (off + 9 <= table && p[off] == 0x33) return std::bit_cast<double>(get_be(p + off + 1, 8));
    }
  }
  std::int32_t sec = 0, usec = 0;
  plist_get_date_val(node, &sec, &usec);
  return sec + usec / 1e6;
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
constexpr std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr double seconds_since_2001(std::int64_t y, unsigned m, unsigned d) {
  return static_cast<double>((days_from_civil(y, m, d) - days_from_civil(2001, 1, 1)) * 86400);
}

// The dates that the XML form writes and reads back unchanged: whole
// seconds in the years 1000 to 9999. libplist's XML writer drops the
// fraction (toward zero), prints years below 1000 without their leading
// zeros and writes an empty element for what gmtime cannot convert, so a
// date outside this range would be rewritten as something unreadable.
constexpr double kEarliestDate = seconds_since_2001(1000, 1, 1);
constexpr double kLatestDate = seconds_since_2001(10000, 1, 1) - 1;

// A date as it is read: its whole seconds, or nothing when the XML form
// cannot carry it. The fraction goes when a date is read, not when it is
// written back, so that what is read is what a rewrite keeps.
std::optional<double> readable_date(double seconds) {
  if (!(seconds >= kEarliestDate && seconds < kLatestDate + 1)) return std::nullopt;
  return std::trunc(seconds);
}

// libplist marks an integer above INT64_MAX by giving its node a 128-bit
// size, which only its parsers set. The public way to make such a node is to
// parse one; the way to recognise one is that it differs from a plain node
// holding the same 64 bits.
Node big_unsigned_node(std::uint64_t v) {
  const std::string xml = "<plist version=\"1.0\"><integer>" + std::to_string(v) + "</integer></plist>";
  plist_t node = nullptr;
  plist_from_xml(xml.c_str(), static_cast<std::uint32_t>(xml.size()), &node);
  return Node(node);
}

bool is_big_unsigned(plist_t node, std::uint64_t bits) {
  if (bits <= static_cast<std::uint64_t>(INT64_MAX)) return false;
  Node plain(plist_new_uint(bits));
  return !plist_compare_node_value(node, plain.get());
}

Node to_node(const Value& v) {
  switch (v.type()) {
    case Value::Type::Boolean: return Node(plist_new_bool(v.boolean() ? 1 : 0));
    case Value::Type::Integer:
      if (v.is_unsigned_integer()) return big_unsigned_node(v.unsigned_integer());
      return Node(plist_new_uint(v.unsigned_integer()));
    case Value::Type::Real: return Node(plist_new_real(v.real()));
    case Value::Type::String: return Node(plist_new_string(v.string().c_str()));
    case Value::Type::Data: {
      const Data& d = v.data();
      return Node(plist_new_data(d.empty() ? "" : reinterpret_cast<const char*>(d.data()), d.size()));
    }
    case Value::Type::Date: return date_node(v.date().seconds);
    case Value::Type::Array: {
      Node array(plist_new_array());
      for (const Value& item : v.array()) plist_array_append_item(array.get(), to_node(item).release());
      return array;
    }
    case Value::Type::Dictionary: {
      Node dict(plist_new_dict());
      for (const auto& [key, item] : v.dictionary()) {
        plist_dict_set_item(dict.get(), key.c_str(), to_node(item).release());
      }
      return dict;
    }
  }
  return Node(plist_new_dict());
}

std::optional<Value> from_node(plist_t node, int depth) {
  if (node == nullptr || depth > detail::kMaxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      std::uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return Value(b != 0);
    }
    case PLIST_UINT: {
      std::uint64_t bits = 0;
      plist_get_uint_val(node, &bits);
      if (is_big_unsigned(node, bits)) return Value(bits);
      return Value(static_cast<std::int64_t>(bits));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return Value(d);
    }
    case PLIST_STRING: {
      std::uint64_t len = 0;
      const char* p = plist_get_string_ptr(node, &len);
      return Value(p ? std::string(p, len) : std::string());
    }
    case PLIST_DATA: {
      std::uint64_t len = 0;
      const auto* p = reinterpret_cast<const std::uint8_t*>(plist_get_data_ptr(node, &len));
      return Value(p ? Data(p, p + len) : Data());
    }
    case PLIST_DATE: {
      const std::optional<double> seconds = readable_date(date_seconds(node));
      if (!seconds) return std::nullopt;
      return Value(Date{*seconds});
    }
    case PLIST_ARRAY: {
      Array items;
      const std::uint32_t n = plist_array_get_size(node);
      items.reserve(n);
      for (std::uint32_t i = 0; i < n; ++i) {
        std::optional<Value> item = from_node(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        items.push_back(std::move(*item));
      }
      return Value(std::move(items));
    }
    case PLIST_DICT: {
      Dictionary dict;
      plist_dict_iter raw_iter = nullptr;
      plist_dict_new_iter(node, &raw_iter);
      Malloced<void> iter(raw_iter);
      for (;;) {
        char* raw_key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter.get(), &raw_key, &item);
        Malloced<char> key(raw_key);
        if (item == nullptr) break;
        std::optional<Value> value = from_node(item, depth + 1);
        if (!value || key == nullptr) return std::nullopt;
        dict.set(key.get(), std::move(*value));
      }
      return Value(std::move(dict));
    }
    default:  // keys outside dictionaries, UIDs
      return std::nullopt;
  }
}

// Reads a binary property list that binary_is_well_formed accepted straight
// into a Value tree, giving what libplist's reader and from_node give, in
// time linear in the tree's size. libplist 2.2 reaches an array's or a
// dictionary's items (by index and by its iterators alike) by counting from
// the first one, so walking its nodes costs the square of their number: a
// settings file of 50 000 elements took seconds.
class BinaryReader {
 public:
  BinaryReader(const unsigned char* p, std::size_t n) : p_(p) {
    const unsigned char* trailer = p + n - 32;
    offset_size_ = trailer[6];
    ref_size_ = trailer[7];
    root_ = get_be(trailer + 16, 8);
    table_ = get_be(trailer + 24, 8);
  }

  std::optional<Value> run() { return object(root_, 0); }

 private:
  std::size_t offset_of(std::uint64_t index) const {
    return static_cast<std::size_t>(get_be(p_ + table_ + index * offset_size_, offset_size_));
  }

  std::uint64_t length(std::size_t& pos, unsigned low) const {
    if (low != 0xF) return low;
    const unsigned size = 1u << (p_[pos] & 0xF);
    const std::uint64_t len = get_be(p_ + pos + 1, size);
    pos += 1 + size;
    return len;
  }

  static void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }

  // The checker has made sure surrogates come in pairs.
  std::string utf16(std::size_t pos, std::uint64_t count) const {
    std::string out;
    out.reserve(count);
    for (std::uint64_t k = 0; k < count; ++k) {
      auto unit = static_cast<std::uint32_t>(get_be(p_ + pos + 2 * k, 2));
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        const auto low = static_cast<std::uint32_t>(get_be(p_ + pos + 2 * ++k, 2));
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      }
      append_utf8(out, unit);
    }
    return out;
  }

  std::optional<std::string> string(std::uint64_t index) const {
    std::size_t pos = offset_of(index);
    const unsigned char marker = p_[pos++];
    const std::uint64_t len = length(pos, marker & 0xF);
    if ((marker >> 4) == 0x5) return std::string(reinterpret_cast<const char*>(p_ + pos), len);
    if ((marker >> 4) == 0x6) return utf16(pos, len);
    return std::nullopt;
  }

  std::uint64_t ref(std::size_t pos, std::uint64_t k) const {
    return get_be(p_ + pos + k * ref_size_, ref_size_);
  }

  std::optional<Value> object(std::uint64_t index, int depth) const {
    if (depth > detail::kMaxDepth) return std::nullopt;
    std::size_t pos = offset_of(index);
    const unsigned char marker = p_[pos++];
    const unsigned low = marker & 0xF;
    switch (marker >> 4) {
      case 0x0: return Value(marker == 0x09);
      case 0x1: {
        // Sixteen-byte integers hold values above INT64_MAX in their low
        // eight bytes; the shorter ones are the value's own bits.
        if (low == 4) {
          const std::uint64_t bits = get_be(p_ + pos + 8, 8);
          if (bits > static_cast<std::uint64_t>(INT64_MAX)) return Value(bits);
          return Value(static_cast<std::int64_t>(bits));
        }
        return Value(static_cast<std::int64_t>(get_be(p_ + pos, 1u << low)));
      }
      case 0x2:
        if (low == 2)
          return Value(
              static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(get_be(p_ + pos, 4)))));
        return Value(std::bit_cast<double>(get_be(p_ + pos, 8)));
      case 0x3: {
        const std::optional<double> seconds = readable_date(std::bit_cast<double>(get_be(p_ + pos, 8)));
        if (!seconds) return std::nullopt;
        return Value(Date{*seconds});
      }
      case 0x4: {
        const std::uint64_t len = length(pos, low);
        return Value(Data(p_ + pos, p_ + pos + len));
      }
      case 0x5:
      case 0x6: return Value(*string(index));
      case 0xA: {
        const std::uint64_t count = length(pos, low);
        Array items;
        items.reserve(count);
        for (std::uint64_t k = 0; k < count; ++k) {
          std::optional<Value> item = object(ref(pos, k), depth + 1);
          if (!item) return std::nullopt;
          items.push_back(std::move(*item));
        }
        return Value(std::move(items));
      }
      case 0xD: {
        const std::uint64_t count = length(pos, low);
        Dictionary dict;
        for (std::uint64_t k = 0; k < count; ++k) {
          std::optional<std::string> key = string(ref(pos, k));
          std::optional<Value> item = object(ref(pos, count + k), depth + 1);
          if (!key || !item) return std::nullopt;
          dict.set(std::move(*key), std::move(*item));
        }
        return Value(std::move(dict));
      }
      default: return std::nullopt;
    }
  }

  const unsigned char* p_;
  unsigned offset_size_ = 0, ref_size_ = 0;
  std::uint64_t root_ = 0, table_ = 0;
};

std::string take(char* raw, std::uint32_t n, void (*release)(char*)) {
  std::string out = raw ? std::string(raw, n) : std::string();
  if (raw) release(raw);
  return out;
}

}  // namespace

std::optional<Value> parse(std::string_view in) {
  if (in.empty() || in.size() > UINT32_MAX) return std::nullopt;
  if (in.starts_with("bplist")) {
    if (!detail::binary_is_well_formed(in)) return std::nullopt;
    return BinaryReader(reinterpret_cast<const unsigned char*>(in.data()), in.size()).run();
  }
  if (!detail::xml_is_well_formed(in)) return std::nullopt;
  // libplist does not skip a byte-order mark. The copy also guarantees a
  // terminating NUL for the parts of its reader that scan C strings.
  if (in.starts_with(kByteOrderMark)) in.remove_prefix(kByteOrderMark.size());
  const std::string copy(in);
  plist_t root = nullptr;
  plist_from_xml(copy.c_str(), static_cast<std::uint32_t>(copy.size()), &root);
  Node owned(root);
  return from_node(root, 0);
}

std::optional<Value> parse(const void* bytes, std::size_t n) {
  if (bytes == nullptr) return std::nullopt;
  return parse(std::string_view(static_cast<const char*>(bytes), n));
}

std::string to_xml(const Value& value) {
  Node root = to_node(value);
  char* raw = nullptr;
  std::uint32_t n = 0;
  plist_to_xml(root.get(), &raw, &n);
  return take(raw, n, plist_to_xml_free);
}

std::string to_binary(const Value& value) {
  Node root = to_node(value);
  char* raw = nullptr;
  std::uint32_t n = 0;
  plist_to_bin(root.get(), &raw, &n);
  return take(raw, n, plist_to_bin_free);
}

}  // namespace sim::plist
