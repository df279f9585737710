#include "core/properties.h"

namespace corvane {
namespace {

// One key per property per class: the addresses of these bytes.
char g_listener_keys[static_cast<int>(PropertyOwner::Count)];
char g_tint_view_keys[static_cast<int>(PropertyOwner::Count)];

template <PropertyOwner O>
BOOL get_listener(id self, SEL) {
  id box = objc_getAssociatedObject(self, &g_listener_keys[static_cast<int>(O)]);
  if (!box) return NO;
  BOOL value = NO;
  msg<void>(box, CV_SEL("getValue:"), static_cast<void*>(&value));
  return value;
}

template <PropertyOwner O>
void set_listener(id self, SEL, BOOL value) {
  id box = msg<id>(cls("NSValue"), CV_SEL("valueWithBytes:objCType:"), static_cast<const void*>(&value), "B");
  objc_setAssociatedObject(self, &g_listener_keys[static_cast<int>(O)], box,
                           OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

template <PropertyOwner O>
id get_tint_view(id self, SEL) {
  return objc_getAssociatedObject(self, &g_tint_view_keys[static_cast<int>(O)]);
}

template <PropertyOwner O>
void set_tint_view(id self, SEL, id view) {
  objc_setAssociatedObject(self, &g_tint_view_keys[static_cast<int>(O)], view,
                           OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

template <PropertyOwner O>
PropertyAccessors accessors() {
  return {reinterpret_cast<IMP>(&get_listener<O>), reinterpret_cast<IMP>(&set_listener<O>),
          reinterpret_cast<IMP>(&get_tint_view<O>), reinterpret_cast<IMP>(&set_tint_view<O>)};
}

}  // namespace

PropertyAccessors property_accessors(PropertyOwner owner) {
  switch (owner) {
    case PropertyOwner::StatusBar: return accessors<PropertyOwner::StatusBar>();
    case PropertyOwner::StatusBarModern: return accessors<PropertyOwner::StatusBarModern>();
    case PropertyOwner::Banner: return accessors<PropertyOwner::Banner>();
    case PropertyOwner::Widget: return accessors<PropertyOwner::Widget>();
    case PropertyOwner::PlatterController: return accessors<PropertyOwner::PlatterController>();
    case PropertyOwner::Count: break;
  }
  return {};
}

}  // namespace corvane
