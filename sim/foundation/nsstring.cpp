// NSString: immutable UTF-8 text, with the platform's lenient conversions
// to booleans and numbers.
#include <cctype>
#include <cstdlib>
#include <map>

#include "sim/foundation/CFString.h"
#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"
#include "sim/seam_services.h"

namespace sim {

// The platform skips leading white space, then leading '+'/'-' and zeros,
// and answers YES for 'Y', 'y', 'T', 't' or a digit 1-9.
bool string_bool_value(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  while (i < s.size() && (s[i] == '+' || s[i] == '-' || s[i] == '0')) ++i;
  if (i >= s.size()) return false;
  char c = s[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

// The leading number, after white space; 0 when there is none.
double string_double_value(const std::string& s) {
  const char* p = s.c_str();
  char* end = nullptr;
  double v = std::strtod(p, &end);
  return end == p ? 0.0 : v;
}

namespace {

const std::string& text(id self) { return as<NSStringObj>(self)->utf8; }

BOOL bool_value(id self, SEL) { return string_bool_value(text(self)); }
float float_value(id self, SEL) { return nearest_float(string_double_value(text(self))); }
double double_value(id self, SEL) { return string_double_value(text(self)); }
int int_value(id self, SEL) { return static_cast<int>(std::strtol(text(self).c_str(), nullptr, 10)); }
NSInteger integer_value(id self, SEL) { return std::strtol(text(self).c_str(), nullptr, 10); }
const char* utf8(id self, SEL) { return text(self).c_str(); }
NSUInteger length(id self, SEL) { return text(self).size(); }
BOOL is_equal_to_string(id self, SEL, id other) { return objects_equal(self, other); }
NSUInteger hash(id self, SEL) { return std::hash<std::string>()(text(self)); }
id with_utf8(id, SEL, const char* s) { return make_string(s ? s : ""); }
id init_with_utf8(id self, SEL, const char* s) {
  as<NSStringObj>(self)->utf8 = s ? s : "";
  return self;
}
id description(id self, SEL) { return self; }

Class install() {
  Class c = define_class<NSStringObj>("NSString", ensure_class("NSObject"));
  def_class(c, "stringWithUTF8String:", with_utf8);
  def(c, "initWithUTF8String:", init_with_utf8);
  def(c, "UTF8String", utf8);
  def(c, "length", length);
  def(c, "boolValue", bool_value);
  def(c, "floatValue", float_value);
  def(c, "doubleValue", double_value);
  def(c, "intValue", int_value);
  def(c, "integerValue", integer_value);
  def(c, "isEqualToString:", is_equal_to_string);
  def(c, "hash", hash);
  def(c, "description", description);
  return c;
}

SIM_HOST_CLASS("NSString", Layer::Foundation, install);

}  // namespace

id make_string(std::string_view utf8) {
  id o = alloc_instance(ensure_class("NSString"));
  as<NSStringObj>(o)->utf8 = std::string(utf8);
  return objc_autorelease(o);
}

namespace {
// One immortal object per text, for the life of the process.
std::map<std::string, id, std::less<>> g_constants;
RuntimeStopHook g_reset_constants([] { g_constants.clear(); });
}  // namespace

id constant_string(std::string_view utf8) {
  if (auto it = g_constants.find(utf8); it != g_constants.end()) return it->second;
  id o = alloc_instance(ensure_class("NSString"));
  as<NSStringObj>(o)->utf8 = std::string(utf8);
  o->flags |= kImmortal;
  g_constants.emplace(std::string(utf8), o);
  return o;
}

bool is_string(id o) { return o && is_kind_of(o, ensure_class("NSString")); }

std::string string_value(id o) { return is_string(o) ? as<NSStringObj>(o)->utf8 : std::string(); }

}  // namespace sim

extern "C" id sim_constant_string(const char* utf8) { return sim::constant_string(utf8 ? utf8 : ""); }

extern "C" CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr,
                                                 CFStringEncoding encoding) {
  if (!cStr || encoding != kCFStringEncodingUTF8) return nullptr;
  id o = sim::alloc_instance(sim::ensure_class("NSString"));
  sim::as<sim::NSStringObj>(o)->utf8 = cStr;
  return o;
}
