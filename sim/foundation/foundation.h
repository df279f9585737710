// Foundation's value classes as the simulated host keeps them, and helpers
// for the host's own C++ code to make and read them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/runtime/runtime.h"

namespace sim {

struct NSStringObj : objc_object {
  std::string utf8;
};

struct NSValueObj : objc_object {
  std::string type;
  std::vector<unsigned char> bytes;
};

// NSNumber is an NSValue: a number also holds its value as typed bytes
// ("c" for a boolean, "q" for an integer, "d" for a real), which NSValue's
// objCType and getValue: answer.
struct NSNumberObj : NSValueObj {
  enum Kind { Bool, Int, Real } kind = Int;
  int64_t i = 0;
  double d = 0;
};

struct NSArrayObj : objc_object {
  std::vector<Strong> items;
};

struct NSDictionaryObj : objc_object {
  std::vector<std::pair<Strong, Strong>> entries;  // insertion order
};

struct NSDataObj : objc_object {
  std::vector<uint8_t> bytes;
};

struct NSDateObj : objc_object {
  double since_2001 = 0;
};

// A double rounded to the nearest float, as floatValue converts: beyond
// float's range that is FLT_MAX or, from half a step past it, an infinity.
// (A C++ cast of such a double is undefined.)
float nearest_float(double d);

// What NSString's boolValue and doubleValue answer for a string's UTF-8
// text (floatValue is nearest_float of the latter).
bool string_bool_value(const std::string& utf8);
double string_double_value(const std::string& utf8);

// New autoreleased objects.
id make_string(std::string_view utf8);
id make_bool(bool v);
id make_int(int64_t v);
id make_double(double v);
id make_array(const std::vector<id>& items, bool mutable_array = false);
id make_dictionary(bool mutable_dictionary = true);
id make_data(const std::vector<uint8_t>& bytes);
id make_date(double since_2001);

// An immortal string, one per text in the process (the platform's constant
// strings).
id constant_string(std::string_view utf8);

bool is_string(id o);
bool is_number(id o);
std::string string_value(id o);  // the text of a string; "" for anything else

// Equality as isEqual: answers it for the value classes: same object, or
// strings with the same text, or numbers with the same value.
bool objects_equal(id a, id b);

// Dictionary access for host code.
id dictionary_get(id dict, std::string_view key);
void dictionary_set(id dict, id key, id value);  // nil value removes

// Bytes of a value of an Objective-C type code, for NSValue ("B" 1, "i" 4,
// "d" 8, "{CGRect=...}" 32, ...); 0 when unknown.
size_t size_of_encoding(std::string_view type);

}  // namespace sim

extern "C" {
Class NSClassFromString(id name);
id NSStringFromClass(Class cls);
}

namespace sim {
// Property-list files (device paths are mapped below the process's root).
// A dictionary read from the file, or nil when it is absent, unreadable or
// not a dictionary; and an atomic or plain XML write of any plist object.
id dictionary_from_file(const std::string& device_path);
bool write_plist_object(id object, const std::string& device_path, bool atomically);
}  // namespace sim
