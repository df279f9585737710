// Per-object state the library adds to host classes: whether an object has
// registered its observers (hasChangeListener) and the view it carries
// (headerTintView). Each class has its own accessors with association keys
// of its own, so the same property on two classes never shares a key.
#pragma once

#include "platform/platform.h"

namespace corvane {

enum class PropertyOwner { StatusBar, StatusBarModern, Banner, Widget, PlatterController, Count };

// The accessor implementations of one class.
struct PropertyAccessors {
  IMP has_change_listener;      // B@:
  IMP set_has_change_listener;  // v@:B
  IMP header_tint_view;         // @@:  (banner and widget only)
  IMP set_header_tint_view;     // v@:@
};

PropertyAccessors property_accessors(PropertyOwner owner);

// Shorthands the hooks use: messages to the object, so they reach the
// accessors of its own class.
inline bool has_change_listener(id obj) { return msg<BOOL>(obj, CV_SEL("hasChangeListener")); }
inline void set_has_change_listener(id obj, bool v) {
  msg<void>(obj, CV_SEL("setHasChangeListener:"), (BOOL)v);
}
inline id header_tint_view(id obj) { return msg<id>(obj, CV_SEL("headerTintView")); }
inline void set_header_tint_view(id obj, id view) { msg<void>(obj, CV_SEL("setHeaderTintView:"), view); }

}  // namespace corvane
