#include "core/private_parts.h"

namespace corvane {

bool is_instance_of(id object, const char* class_name) {
  Class wanted = cls(class_name);
  if (!object || !wanted) return false;
  return msg<BOOL>(object, CV_SEL("isKindOfClass:"), wanted);
}

id private_part(id owner, const char* declaring_class, id key) {
  if (!is_instance_of(owner, declaring_class)) return nullptr;
  return msg<id>(owner, CV_SEL("valueForKey:"), key);
}

}  // namespace corvane
