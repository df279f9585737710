// The added per-object properties hasChangeListener and headerTintView on
// every class that carries them.
#include <gtest/gtest.h>

#include "sim/foundation/foundation.h"
#include "support/sim_fixture.h"

using namespace sim;
using namespace corvane_test;

namespace {

struct Carrier {
  const char* class_name;
  bool has_tint_view;
};

const Carrier kCarriers[] = {
    {"UIStatusBar", false},
    {"UIStatusBar_Modern", false},
    {"NCNotificationShortLookView", true},
    {"WGWidgetPlatterView", true},
    {"_UIPreviewPlatterPanController", false},
};

class PropertiesTest : public ::testing::Test {
 protected:
  void SetUp() override { p.load(); }

  // A new instance, made as host code makes one (+1: released by the caller).
  id make(const char* class_name) {
    return send<id>(send<id>(reinterpret_cast<id>(class_named(class_name)), sel("alloc")), sel("init"));
  }
  id make_view() { return make("UIView"); }
  bool listener(id o) { return send<BOOL>(o, sel("hasChangeListener")); }
  void set_listener(id o, bool v) { send<void>(o, sel("setHasChangeListener:"), v); }
  id tint_view(id o) { return send<id>(o, sel("headerTintView")); }
  void set_tint_view(id o, id v) { send<void>(o, sel("setHeaderTintView:"), v); }

  SimProcess p;
};

TEST_F(PropertiesTest, ANewInstanceStartsUnsetAndKeepsWhatIsSet) {
  for (const Carrier& c : kCarriers) {
    SCOPED_TRACE(c.class_name);
    AutoreleasePool pool;
    id o = make(c.class_name);
    EXPECT_FALSE(listener(o));
    for (bool v : {true, true, false, true, false}) {
      set_listener(o, v);
      EXPECT_EQ(listener(o), v);
    }
    EXPECT_EQ(class_respondsToSelector(o->isa, sel("headerTintView")), c.has_tint_view);
    if (c.has_tint_view) {
      EXPECT_EQ(tint_view(o), nullptr);
      id v = objc_autorelease(make_view());
      set_tint_view(o, v);
      EXPECT_EQ(tint_view(o), v);
      set_tint_view(o, nullptr);
      EXPECT_EQ(tint_view(o), nullptr);
    }
    objc_release(o);
  }
}

TEST_F(PropertiesTest, ReplacingTheTintViewReleasesTheOldOne) {
  for (const Carrier& c : kCarriers) {
    if (!c.has_tint_view) continue;
    SCOPED_TRACE(c.class_name);
    AutoreleasePool pool;
    id o = make(c.class_name);
    Weak first, second, kept;
    id v1 = make_view(), v2 = make_view(), v3 = make_view();
    first = v1;
    second = v2;
    kept = v3;
    set_tint_view(o, v1);
    objc_release(v1);  // the property holds the only reference now
    ASSERT_NE(first.get(), nullptr);
    set_tint_view(o, v2);
    objc_release(v2);
    EXPECT_EQ(first.get(), nullptr);
    EXPECT_EQ(tint_view(o), v2);

    // A view held elsewhere (here by the caller) survives its replacement.
    set_tint_view(o, v3);
    EXPECT_EQ(second.get(), nullptr);
    set_tint_view(o, nullptr);
    EXPECT_EQ(kept.get(), v3);
    objc_release(v3);
    EXPECT_EQ(kept.get(), nullptr);
    objc_release(o);
  }
}

TEST_F(PropertiesTest, EachClassKeepsItsOwnValue) {
  AutoreleasePool pool;
  std::vector<id> objs;
  for (const Carrier& c : kCarriers) objs.push_back(objc_autorelease(make(c.class_name)));
  for (size_t i = 0; i < objs.size(); ++i) {
    set_listener(objs[i], true);
    for (size_t j = 0; j < objs.size(); ++j) EXPECT_EQ(listener(objs[j]), j <= i) << i << " " << j;
  }
  // Two instances of one class do not share either.
  id other = objc_autorelease(make("UIStatusBar"));
  EXPECT_FALSE(listener(other));

  id banner = objs[2], widget = objs[3];
  id v = objc_autorelease(make_view());
  set_tint_view(banner, v);
  EXPECT_EQ(tint_view(widget), nullptr);
  id w = objc_autorelease(make_view());
  set_tint_view(widget, w);
  EXPECT_EQ(tint_view(banner), v);
  EXPECT_EQ(tint_view(widget), w);
}

TEST_F(PropertiesTest, DeallocationReleasesTheStoredValues) {
  for (const Carrier& c : kCarriers) {
    SCOPED_TRACE(c.class_name);
    const size_t before = live_object_count();
    Weak instance_watch, view_watch;
    {
      AutoreleasePool pool;
      id o = make(c.class_name);
      instance_watch = o;
      set_listener(o, true);
      set_listener(o, false);  // a second box replaces the first
      if (c.has_tint_view) {
        id v = make_view();
        view_watch = v;
        set_tint_view(o, v);
        objc_release(v);
      }
      objc_release(o);
    }
    EXPECT_EQ(instance_watch.get(), nullptr);
    EXPECT_EQ(view_watch.get(), nullptr);
    // The boxes went with the instance: nothing it stored outlives it.
    EXPECT_EQ(live_object_count(), before);
  }
}

}  // namespace
