// NSNotificationCenter: the process's default local centre, and
// NSNotification.
//
// Observers are held weakly: an observer that is deallocated is never called
// again, also when it goes during the delivery of the post that would have
// reached it. An object filter is held weakly too; once the object it names
// is gone the observation matches no post (it never widens to "any sender").
// A post is delivered synchronously, in registration order, to the
// observations that exist when the post begins; an observation added during
// a post waits for the next one, and one removed during a post is skipped.
#include "sim/foundation/NSNotificationCenter.h"

#include <memory>
#include <string>
#include <vector>

#include "sim/foundation/foundation.h"
#include "sim/foundation/notification_center.h"
#include "sim/runtime/encoding.h"
#include "sim/runtime/host_classes.h"
#include "sim/system/event_log.h"

namespace sim {
namespace {

struct NSNotificationObj : objc_object {
  Strong name;
  Strong object;
  Strong user_info;
};

struct Observation {
  Weak observer;
  SEL selector = nullptr;
  bool any_name = true;
  std::string name;
  bool any_object = true;
  Weak object;
  bool removed = false;
};

struct NotificationCenterObj : objc_object {
  std::vector<std::shared_ptr<Observation>> observations;
};

SharedInstance g_default_center;

NotificationCenterObj* centre(id self) { return as<NotificationCenterObj>(self); }

// Observations whose observer has gone are dropped when the list is next
// changed.
void prune(NotificationCenterObj* c) {
  auto& list = c->observations;
  std::erase_if(
      list, [](const std::shared_ptr<Observation>& o) { return o->removed || o->observer.get() == nullptr; });
}

bool matches(const Observation& o, const std::string& name, id object) {
  if (o.removed || !o.observer.get()) return false;
  if (!o.any_name && o.name != name) return false;
  if (!o.any_object && (!o.object.get() || o.object.get() != object)) return false;
  return true;
}

// --- NSNotification ---------------------------------------------------------

id notification_name(id self, SEL) { return as<NSNotificationObj>(self)->name; }
id notification_object(id self, SEL) { return as<NSNotificationObj>(self)->object; }
id notification_user_info(id self, SEL) { return as<NSNotificationObj>(self)->user_info; }
id notification_with(id, SEL, id name, id object, id user_info) {
  return make_notification(name, object, user_info);
}
id notification_with_name(id, SEL, id name, id object) { return make_notification(name, object, nullptr); }

Class install_notification() {
  Class c = define_class<NSNotificationObj>("NSNotification", ensure_class("NSObject"));
  def_class(c, "notificationWithName:object:", notification_with_name);
  def_class(c, "notificationWithName:object:userInfo:", notification_with);
  def(c, "name", notification_name);
  def(c, "object", notification_object);
  def(c, "userInfo", notification_user_info);
  return c;
}

// --- NSNotificationCenter ---------------------------------------------------

id default_center(id self, SEL) { return g_default_center.get(static_cast<Class>(self)); }

void add_observer(id self, SEL, id observer, SEL selector, id name, id object) {
  if (!observer) fatal("-[NSNotificationCenter addObserver:selector:name:object:]: observer is nil");
  if (!selector) fatal("-[NSNotificationCenter addObserver:selector:name:object:]: selector is NULL");
  NotificationCenterObj* c = centre(self);
  prune(c);
  auto o = std::make_shared<Observation>();
  o->observer = observer;
  o->selector = selector;
  o->any_name = name == nullptr;
  o->name = string_value(name);
  o->any_object = object == nullptr;
  o->object = object;
  c->observations.push_back(std::move(o));

  Event e;
  e.kind = "observer";
  e.centre = "local";
  e.name = string_value(name);
  e.object = ObjectRef::of(observer);
  e.selector = sel_getName(selector);
  record_event(std::move(e));
}

void remove_observer_named(id self, SEL, id observer, id name, id object) {
  if (!observer) return;
  std::string n = string_value(name);
  for (auto& o : centre(self)->observations) {
    if (o->observer.get() != observer) continue;
    if (name && (o->any_name || o->name != n)) continue;
    if (object && (o->any_object || o->object.get() != object)) continue;
    o->removed = true;
  }
  prune(centre(self));
}

void remove_observer(id self, SEL cmd, id observer) {
  remove_observer_named(self, cmd, observer, nullptr, nullptr);
}

void post_notification(id self, SEL, id notification) {
  if (!notification) fatal("-[NSNotificationCenter postNotification:]: notification is nil");
  id name_obj = send<id>(notification, sel("name"));
  id object = send<id>(notification, sel("object"));
  std::string name = string_value(name_obj);

  Event e;
  e.kind = "post";
  e.centre = "local";
  e.name = name;
  e.object = ObjectRef::of(object);
  record_event(std::move(e));

  // The notification and the centre stay alive whatever the observers do.
  Strong keep_notification = notification;
  Strong keep_centre = self;
  const std::vector<std::shared_ptr<Observation>> snapshot = centre(self)->observations;
  for (const auto& o : snapshot) {
    if (!matches(*o, name, object)) continue;
    Strong observer = o->observer.get();
    send_callout(observer, o->selector, notification, "a notification observer's selector");
  }
}

void post_name_object_info(id self, SEL, id name, id object, id user_info) {
  if (!name) fatal("-[NSNotificationCenter postNotificationName:object:userInfo:]: name is nil");
  AutoreleasePool pool;
  send<void>(self, sel("postNotification:"), make_notification(name, object, user_info));
}

void post_name_object(id self, SEL, id name, id object) {
  send<void>(self, sel("postNotificationName:object:userInfo:"), name, object, static_cast<id>(nullptr));
}

Class install_center() {
  Class c = define_class<NotificationCenterObj>("NSNotificationCenter", ensure_class("NSObject"));
  def_class(c, "defaultCenter", default_center);
  def(c, "addObserver:selector:name:object:", add_observer);
  def(c, "removeObserver:", remove_observer);
  def(c, "removeObserver:name:object:", remove_observer_named);
  def(c, "postNotification:", post_notification);
  def(c, "postNotificationName:object:", post_name_object);
  def(c, "postNotificationName:object:userInfo:", post_name_object_info);
  return c;
}

SIM_HOST_CLASS("NSNotification", Layer::Foundation, install_notification);
SIM_HOST_CLASS("NSNotificationCenter", Layer::Foundation, install_center);

}  // namespace

id make_notification(id name, id object, id user_info) {
  id n = alloc_instance(ensure_class("NSNotification"));
  as<NSNotificationObj>(n)->name = name;
  as<NSNotificationObj>(n)->object = object;
  as<NSNotificationObj>(n)->user_info = user_info;
  return objc_autorelease(n);
}

void send_callout(id target, SEL selector, id argument, const char* what) {
  if (!target) return;
  const char* types = sim_class_method_types(target->isa, selector);
  if (!types) {
    send<void>(target, selector);  // raises: unrecognized selector
    return;
  }
  const std::string t = normalize_encoding(types);
  if (t == "v@:") send<void>(target, selector);
  else if (t == "v@:@") send<void>(target, selector, argument);
  else if (t == "@@:") send<id>(target, selector);
  else if (t == "@@:@") send<id>(target, selector, argument);
  else
    fatal(std::string(what) + " -[" + class_name_of(target) + " " + sel_getName(selector) +
          "] has the encoding \"" + types + "\"; it must take no argument or one object");
}

void post_local_notification(const std::string& name, id object) {
  AutoreleasePool pool;
  id centre = send<id>(reinterpret_cast<id>(ensure_class("NSNotificationCenter")), sel("defaultCenter"));
  send<void>(centre, sel("postNotificationName:object:"), make_string(name), object);
}

}  // namespace sim
