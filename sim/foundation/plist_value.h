// A property-list value tree with value semantics.
//
// A Value is one of: boolean, integer, real, string (UTF-8), data (bytes),
// date (seconds since 2001-01-01 00:00:00 UTC), array or dictionary.
// Dictionaries keep their keys in insertion order and look keys up in
// logarithmic time.
//
// Integers are 64-bit. A property list may hold an integer between
// INT64_MAX + 1 and UINT64_MAX; such a value is kept as unsigned and
// reported by is_unsigned_integer(). Every other integer is signed.
//
// Accessors of a particular type (boolean(), string(), ...) must only be
// called on a value of that type; a mismatch throws std::bad_variant_access.
// The if_*() forms return a null pointer instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace sim::plist {

class Value;

using Array = std::vector<Value>;
using Data = std::vector<std::uint8_t>;

// A point in time, as seconds since 2001-01-01 00:00:00 UTC.
struct Date {
  double seconds = 0;
  friend bool operator==(const Date& a, const Date& b);
};

// String-keyed map that remembers the order in which keys were first added.
class Dictionary {
 public:
  using Entry = std::pair<std::string, Value>;
  using const_iterator = std::vector<Entry>::const_iterator;

  Dictionary();
  Dictionary(std::initializer_list<Entry> entries);
  Dictionary(const Dictionary&);
  Dictionary(Dictionary&&) noexcept;
  Dictionary& operator=(const Dictionary&);
  Dictionary& operator=(Dictionary&&) noexcept;
  ~Dictionary();

  std::size_t size() const;
  bool empty() const;
  const_iterator begin() const;
  const_iterator end() const;
  // The i-th entry in key order; i must be below size().
  const Entry& at_index(std::size_t i) const;

  bool contains(std::string_view key) const;
  const Value* find(std::string_view key) const;
  Value* find(std::string_view key);

  // Replaces the value of an existing key in place (its position is kept),
  // or appends the key.
  void set(std::string key, Value value);
  // The value for key, appending a default Value first if it is absent.
  Value& operator[](std::string_view key);
  // Removes key; false when it was absent. Later keys keep their order.
  bool erase(std::string_view key);
  void clear();

  // Same keys with equal values; the order of keys does not matter.
  friend bool operator==(const Dictionary& a, const Dictionary& b);

 private:
  std::vector<Entry> entries_;
  std::map<std::string, std::size_t, std::less<>> index_;
};

class Value {
 public:
  enum class Type { Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

  // An empty dictionary: the usual root of a property list.
  Value();
  // Out of line: inlined into callers, GCC 12 reports std::variant's copy
  // and move as reading uninitialised memory (a false positive that
  // -Werror would turn into a build failure).
  Value(const Value&);
  Value(Value&&) noexcept;
  Value& operator=(const Value&);
  Value& operator=(Value&&) noexcept;
  ~Value();
  Value(bool b) : v_(b) {}
  template <typename I>
  requires(std::is_integral_v<I> && !std::is_same_v<I, bool> && !std::is_same_v<I, char>) Value(I i)
      : v_(make_integer(i)) {}
  Value(double d) : v_(d) {}
  Value(float f) : v_(static_cast<double>(f)) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(plist::Data d) : v_(std::move(d)) {}
  Value(plist::Date d) : v_(d) {}
  Value(plist::Array a) : v_(std::move(a)) {}
  Value(plist::Dictionary d) : v_(std::move(d)) {}

  Type type() const { return static_cast<Type>(v_.index()); }
  bool is_boolean() const { return type() == Type::Boolean; }
  bool is_integer() const { return type() == Type::Integer; }
  bool is_real() const { return type() == Type::Real; }
  bool is_string() const { return type() == Type::String; }
  bool is_data() const { return type() == Type::Data; }
  bool is_date() const { return type() == Type::Date; }
  bool is_array() const { return type() == Type::Array; }
  bool is_dictionary() const { return type() == Type::Dictionary; }

  bool boolean() const { return std::get<bool>(v_); }
  // The integer as int64_t; a value above INT64_MAX comes back as its
  // two's complement.
  std::int64_t integer() const { return static_cast<std::int64_t>(std::get<Integer>(v_).bits); }
  // The integer's 64 bits as unsigned.
  std::uint64_t unsigned_integer() const { return std::get<Integer>(v_).bits; }
  // True for an integer above INT64_MAX.
  bool is_unsigned_integer() const { return is_integer() && std::get<Integer>(v_).is_unsigned; }
  double real() const { return std::get<double>(v_); }
  const std::string& string() const { return std::get<std::string>(v_); }
  const plist::Data& data() const { return std::get<plist::Data>(v_); }
  plist::Date date() const { return std::get<plist::Date>(v_); }
  const plist::Array& array() const { return std::get<plist::Array>(v_); }
  plist::Array& array() { return std::get<plist::Array>(v_); }
  const plist::Dictionary& dictionary() const { return std::get<plist::Dictionary>(v_); }
  plist::Dictionary& dictionary() { return std::get<plist::Dictionary>(v_); }

  const std::string* if_string() const { return std::get_if<std::string>(&v_); }
  const plist::Array* if_array() const { return std::get_if<plist::Array>(&v_); }
  const plist::Dictionary* if_dictionary() const { return std::get_if<plist::Dictionary>(&v_); }
  plist::Dictionary* if_dictionary() { return std::get_if<plist::Dictionary>(&v_); }

  // A boolean, integer or real as a double (true is 1); nullopt otherwise.
  std::optional<double> number() const;

  // Dictionary lookup; null when this is not a dictionary or key is absent.
  const Value* find(std::string_view key) const;

  // Same type and value. Reals compare with ==, except that two NaNs are
  // equal, so that a tree always equals its own copy.
  friend bool operator==(const Value& a, const Value& b);

 private:
  struct Integer {
    std::uint64_t bits = 0;
    bool is_unsigned = false;
    friend bool operator==(const Integer&, const Integer&) = default;
  };

  template <typename I>
  static Integer make_integer(I i) {
    if constexpr (std::is_signed_v<I>) {
      return Integer{static_cast<std::uint64_t>(static_cast<std::int64_t>(i)), false};
    } else {
      const auto u = static_cast<std::uint64_t>(i);
      return Integer{u, u > static_cast<std::uint64_t>(INT64_MAX)};
    }
  }

  // Alternatives in the order of Type.
  std::variant<bool, Integer, double, std::string, plist::Data, plist::Date, plist::Array, plist::Dictionary>
      v_;
};

// Dictionary members that need Value to be complete.
inline std::size_t Dictionary::size() const { return entries_.size(); }
inline bool Dictionary::empty() const { return entries_.empty(); }
inline Dictionary::const_iterator Dictionary::begin() const { return entries_.begin(); }
inline Dictionary::const_iterator Dictionary::end() const { return entries_.end(); }
inline const Dictionary::Entry& Dictionary::at_index(std::size_t i) const { return entries_.at(i); }

// "boolean", "integer", ... as the XML element names spell them
// ("dict" for dictionaries).
const char* type_name(Value::Type t);

}  // namespace sim::plist
