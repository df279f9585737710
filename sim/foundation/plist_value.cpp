#include "sim/foundation/plist_value.h"

#include <cmath>

namespace sim::plist {

bool operator==(const Date& a, const Date& b) {
  return a.seconds == b.seconds || (std::isnan(a.seconds) && std::isnan(b.seconds));
}

// --- Dictionary ---------------------------------------------------------------

Dictionary::Dictionary() = default;
Dictionary::Dictionary(const Dictionary&) = default;
Dictionary::Dictionary(Dictionary&&) noexcept = default;
Dictionary& Dictionary::operator=(const Dictionary&) = default;
Dictionary& Dictionary::operator=(Dictionary&&) noexcept = default;
Dictionary::~Dictionary() = default;

Dictionary::Dictionary(std::initializer_list<Entry> entries) {
  for (const Entry& e : entries) set(e.first, e.second);
}

bool Dictionary::contains(std::string_view key) const { return index_.find(key) != index_.end(); }

const Value* Dictionary::find(std::string_view key) const {
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : &entries_[it->second].second;
}

Value* Dictionary::find(std::string_view key) {
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : &entries_[it->second].second;
}

void Dictionary::set(std::string key, Value value) {
  if (Value* existing = find(key)) {
    *existing = std::move(value);
    return;
  }
  index_.emplace(key, entries_.size());
  entries_.emplace_back(std::move(key), std::move(value));
}

Value& Dictionary::operator[](std::string_view key) {
  if (Value* existing = find(key)) return *existing;
  index_.emplace(std::string(key), entries_.size());
  entries_.emplace_back(std::string(key), Value());
  return entries_.back().second;
}

bool Dictionary::erase(std::string_view key) {
  auto it = index_.find(key);
  if (it == index_.end()) return false;
  const std::size_t pos = it->second;
  index_.erase(it);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(pos));
  for (auto& [k, i] : index_) {
    if (i > pos) --i;
  }
  return true;
}

void Dictionary::clear() {
  entries_.clear();
  index_.clear();
}

bool operator==(const Dictionary& a, const Dictionary& b) {
  if (a.size() != b.size()) return false;
  for (const auto& [key, value] : a) {
    const Value* other = b.find(key);
    if (other == nullptr || !(*other == value)) return false;
  }
  return true;
}

// --- Value ----------------------------------------------------------------------

Value::Value() : v_(plist::Dictionary()) {}
Value::Value(const Value&) = default;
Value::Value(Value&&) noexcept = default;
Value& Value::operator=(const Value&) = default;
Value& Value::operator=(Value&&) noexcept = default;
Value::~Value() = default;

std::optional<double> Value::number() const {
  switch (type()) {
    case Type::Boolean: return boolean() ? 1.0 : 0.0;
    case Type::Integer:
      return is_unsigned_integer() ? static_cast<double>(unsigned_integer()) : static_cast<double>(integer());
    case Type::Real: return real();
    default: return std::nullopt;
  }
}

const Value* Value::find(std::string_view key) const {
  const plist::Dictionary* d = if_dictionary();
  return d ? d->find(key) : nullptr;
}

bool operator==(const Value& a, const Value& b) {
  if (a.type() != b.type()) return false;
  if (a.is_real()) {
    return a.real() == b.real() || (std::isnan(a.real()) && std::isnan(b.real()));
  }
  return a.v_ == b.v_;
}

const char* type_name(Value::Type t) {
  switch (t) {
    case Value::Type::Boolean: return "boolean";
    case Value::Type::Integer: return "integer";
    case Value::Type::Real: return "real";
    case Value::Type::String: return "string";
    case Value::Type::Data: return "data";
    case Value::Type::Date: return "date";
    case Value::Type::Array: return "array";
    case Value::Type::Dictionary: return "dict";
  }
  return "unknown";
}

}  // namespace sim::plist
