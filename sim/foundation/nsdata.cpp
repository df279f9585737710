// NSData and NSDate, as property lists hold them.
#include "sim/foundation/foundation.h"
#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

NSUInteger length(id self, SEL) { return as<NSDataObj>(self)->bytes.size(); }
double since_reference(id self, SEL) { return as<NSDateObj>(self)->since_2001; }

Class install_data() {
  Class c = define_class<NSDataObj>("NSData", ensure_class("NSObject"));
  def(c, "length", length);
  return c;
}

Class install_date() {
  Class c = define_class<NSDateObj>("NSDate", ensure_class("NSObject"));
  def(c, "timeIntervalSinceReferenceDate", since_reference);
  return c;
}

SIM_HOST_CLASS("NSData", Layer::Foundation, install_data);
SIM_HOST_CLASS("NSDate", Layer::Foundation, install_date);

}  // namespace

id make_data(const std::vector<uint8_t>& bytes) {
  id o = alloc_instance(ensure_class("NSData"));
  as<NSDataObj>(o)->bytes = bytes;
  return objc_autorelease(o);
}

id make_date(double since_2001) {
  id o = alloc_instance(ensure_class("NSDate"));
  as<NSDateObj>(o)->since_2001 = since_2001;
  return objc_autorelease(o);
}

}  // namespace sim
