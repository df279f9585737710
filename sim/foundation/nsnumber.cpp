// NSNumber : NSValue : NSObject (booleans, integers, reals) and NSValue
// (bytes of a typed value).
#include <cmath>
#include <cstring>
#include <limits>

#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

NSNumberObj* num(id self) { return as<NSNumberObj>(self); }

double as_double(const NSNumberObj* n) {
  return n->kind == NSNumberObj::Real ? n->d : static_cast<double>(n->i);
}

id with_bool(id, SEL, BOOL v) { return make_bool(v); }
id with_int(id, SEL, int v) { return make_int(v); }
id with_integer(id, SEL, NSInteger v) { return make_int(v); }
id with_double(id, SEL, double v) { return make_double(v); }
id with_float(id, SEL, float v) { return make_double(v); }

BOOL bool_value(id self, SEL) {
  const NSNumberObj* n = num(self);
  return n->kind == NSNumberObj::Real ? n->d != 0.0 : n->i != 0;
}
float float_value(id self, SEL) { return nearest_float(as_double(num(self))); }
double double_value(id self, SEL) { return as_double(num(self)); }
NSInteger integer_value(id self, SEL) {
  const NSNumberObj* n = num(self);
  if (n->kind != NSNumberObj::Real) return n->i;
  // Out-of-range reals saturate rather than invoke undefined conversion.
  if (!std::isfinite(n->d)) return 0;
  if (n->d >= 9.2233720368547758e18) return INT64_MAX;
  if (n->d <= -9.2233720368547758e18) return INT64_MIN;
  return static_cast<NSInteger>(n->d);
}
int int_value(id self, SEL s) { return static_cast<int>(integer_value(self, s)); }

Class install_number() {
  Class c = define_class<NSNumberObj>("NSNumber", ensure_class("NSValue"));
  def_class(c, "numberWithBool:", with_bool);
  def_class(c, "numberWithInt:", with_int);
  def_class(c, "numberWithInteger:", with_integer);
  def_class(c, "numberWithDouble:", with_double);
  def_class(c, "numberWithFloat:", with_float);
  def(c, "boolValue", bool_value);
  def(c, "floatValue", float_value);
  def(c, "doubleValue", double_value);
  def(c, "integerValue", integer_value);
  def(c, "intValue", int_value);
  return c;
}

id value_with_bytes(id, SEL, const void* bytes, const char* type) {
  id o = alloc_instance(ensure_class("NSValue"));
  auto* v = as<NSValueObj>(o);
  v->type = type ? type : "";
  size_t n = size_of_encoding(v->type);
  if (n == 0)
    fatal(std::string("+[NSValue valueWithBytes:objCType:] with unsupported type \"") + v->type + "\"");
  v->bytes.assign(static_cast<const unsigned char*>(bytes), static_cast<const unsigned char*>(bytes) + n);
  return objc_autorelease(o);
}

void get_value(id self, SEL, void* out) {
  const auto* v = as<NSValueObj>(self);
  if (out) std::memcpy(out, v->bytes.data(), v->bytes.size());
}

const char* objc_type(id self, SEL) { return as<NSValueObj>(self)->type.c_str(); }

Class install_value() {
  Class c = define_class<NSValueObj>("NSValue", ensure_class("NSObject"));
  def_class(c, "valueWithBytes:objCType:", value_with_bytes);
  def(c, "getValue:", get_value);
  def(c, "objCType", objc_type);
  return c;
}

SIM_HOST_CLASS("NSNumber", Layer::Foundation, install_number);
SIM_HOST_CLASS("NSValue", Layer::Foundation, install_value);

id make_number(NSNumberObj::Kind kind, int64_t i, double d) {
  id o = alloc_instance(ensure_class("NSNumber"));
  auto* n = as<NSNumberObj>(o);
  n->kind = kind;
  n->i = i;
  n->d = d;
  const auto* bytes = kind == NSNumberObj::Real ? reinterpret_cast<const unsigned char*>(&n->d)
                                                : reinterpret_cast<const unsigned char*>(&n->i);
  if (kind == NSNumberObj::Bool) {
    n->type = "c";
    n->bytes.assign(bytes, bytes + 1);
  } else {
    n->type = kind == NSNumberObj::Real ? "d" : "q";
    n->bytes.assign(bytes, bytes + 8);
  }
  return objc_autorelease(o);
}

}  // namespace

id make_bool(bool v) { return make_number(NSNumberObj::Bool, v ? 1 : 0, 0); }
id make_int(int64_t v) { return make_number(NSNumberObj::Int, v, 0); }
id make_double(double v) { return make_number(NSNumberObj::Real, 0, v); }

bool is_number(id o) { return o && is_kind_of(o, ensure_class("NSNumber")); }

size_t size_of_encoding(std::string_view t) {
  if (t == "{CGRect={CGPoint=dd}{CGSize=dd}}") return 32;
  if (t == "{CGSize=dd}" || t == "{CGPoint=dd}") return 16;
  if (t.size() != 1) return t.size() > 1 && t[0] == '^' ? sizeof(void*) : 0;
  switch (t[0]) {
    case 'B':
    case 'c':
    case 'C': return 1;
    case 's':
    case 'S': return 2;
    case 'i':
    case 'I':
    case 'f': return 4;
    case 'q':
    case 'Q':
    case 'l':
    case 'L':
    case 'd':
    case '@':
    case '#':
    case ':':
    case '*': return 8;
    default: return 0;
  }
}

float nearest_float(double d) {
  const double max = std::numeric_limits<float>::max();
  constexpr double kRoundsToInfinity = 0x1.ffffffp127;  // FLT_MAX plus half its last step
  if (std::isnan(d) || std::fabs(d) <= max) return static_cast<float>(d);
  if (std::fabs(d) < kRoundsToInfinity) return static_cast<float>(d > 0 ? max : -max);
  return d > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
}

}  // namespace sim
