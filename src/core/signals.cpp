#include "core/signals.h"

#include "core/properties.h"

namespace corvane {

void observe_local(id observer, SEL selector, const char* name) {
  id centre = msg<id>(cls("NSNotificationCenter"), CV_SEL("defaultCenter"));
  msg<void>(centre, CV_SEL("addObserver:selector:name:object:"), observer, selector, str(name), (id) nullptr);
}

void post_local(const char* name, id object) {
  id centre = msg<id>(cls("NSNotificationCenter"), CV_SEL("defaultCenter"));
  msg<void>(centre, CV_SEL("postNotificationName:object:"), str(name), object);
}

bool subscribe_once(id observer, SEL selector, const char* name) {
  if (has_change_listener(observer)) return false;
  set_has_change_listener(observer, true);
  observe_local(observer, selector, name);
  return true;
}

}  // namespace corvane
