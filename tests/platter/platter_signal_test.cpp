// The re-theme signal between platter views and their controllers: who
// subscribes, who posts, and how often each controller restyles.
#include <map>

#include "platter_test_util.h"
#include "sim/foundation/notification_center.h"
#include "sim/runtime/object.h"
#include "sim/system/event_log.h"

using namespace platter_test;
using sim::plist::Dictionary;

namespace {

constexpr const char* kRetheme = "com.tallowbirch.corvane13.update";

// Counts configureTintEffect runs per controller by wrapping the library's
// implementation (a test-only hook; the run itself still happens).
IMP g_saved_configure = nullptr;
std::map<id, int> g_runs;
void counting_configure(id self, SEL cmd) {
  ++g_runs[self];
  reinterpret_cast<void (*)(id, SEL)>(g_saved_configure)(self, cmd);
}
void count_configure_runs() {
  g_runs.clear();
  MSHookMessageEx(objc_getClass("_UIPreviewPlatterPanController"), sim::sel("configureTintEffect"),
                  reinterpret_cast<IMP>(&counting_configure), &g_saved_configure);
}

std::vector<sim::Event> events_of(const char* kind) {
  std::vector<sim::Event> out;
  for (const sim::Event& e : sim::events())
    if (e.kind == kind && e.name == kRetheme) out.push_back(e);
  return out;
}

bool listening(id c) { return sim::send<BOOL>(c, sim::sel("hasChangeListener")); }

TEST(PlatterSignal, EveryPostRestylesEverySubscribedControllerOnce) {
  PlatterProcess p(kIOS13, Dictionary{});
  sim::clear_events();
  std::vector<id> controllers;
  for (int i = 0; i < 3; ++i) controllers.push_back(sim::make_platter_controller(red_icon(), 2, true));
  count_configure_runs();

  auto expect_runs = [&](int want) {
    for (id c : controllers) EXPECT_EQ(g_runs[c], want);
  };
  for (id c : controllers) EXPECT_TRUE(listening(c));
  EXPECT_EQ(events_of("observer").size(), 3u);

  // A platter view's layout pass posts with itself as the object.
  layout_platter_view(controllers[0]);
  ASSERT_EQ(events_of("post").size(), 1u);
  EXPECT_EQ(events_of("post")[0].object.serial, part(controllers[0], "_platterView")->serial);
  expect_runs(1);

  // A post from any other sender reaches them all the same.
  sim::post_local_notification(kRetheme, nullptr);
  expect_runs(2);

  // Initialising again does not subscribe a second time.
  id again = sim::send<id>(controllers[1], sim::sel("initWithContainerView:platterView:actionsView:"),
                           part(controllers[1], "_containerView"), part(controllers[1], "_platterView"),
                           part(controllers[1], "_actionsView"));
  EXPECT_EQ(again, controllers[1]);
  EXPECT_EQ(events_of("observer").size(), 3u);
  layout_platter_view(controllers[2]);
  expect_runs(3);

  // The controller's own layout restyles it alone and posts nothing.
  layout(controllers[1]);
  EXPECT_EQ(g_runs[controllers[1]], 4);
  EXPECT_EQ(g_runs[controllers[0]], 3);
  EXPECT_EQ(events_of("post").size(), 3u);
}

TEST(PlatterSignal, ForceTouchOffNeitherSubscribesNorPostsButStillStyles) {
  for (sim::OSVersion ios : {kIOS13, kIOS14}) {
    SCOPED_TRACE("iOS " + std::to_string(ios.major));
    PlatterProcess p(ios, Dictionary{{"forceTouch", false}});
    sim::clear_events();
    id c = sim::make_platter_controller(red_icon(), 2, true);
    count_configure_runs();
    EXPECT_FALSE(listening(c));
    layout_platter_view(c);
    EXPECT_TRUE(events_of("post").empty());
    EXPECT_TRUE(events_of("observer").empty());
    EXPECT_EQ(g_runs[c], 0);
    layout(c);
    EXPECT_EQ(g_runs[c], 1);
    EXPECT_TRUE(same_colour(background_colour(menu_group(c)),
                            ios.major >= 14 ? grey(0.8) : expected_tint(c, red_icon(), kLighter)));
  }
}

// A host initialiser that gives nil, releasing the object as an initialiser
// that fails does.
id failing_init(id self, SEL, id, id, id) {
  objc_release(self);
  return nullptr;
}

TEST(PlatterSignal, ANilInitialiserResultSubscribesNothing) {
  corvane_test::SimProcess proc;
  IMP host_init = nullptr;
  MSHookMessageEx(objc_getClass("_UIPreviewPlatterPanController"),
                  sim::sel("initWithContainerView:platterView:actionsView:"),
                  reinterpret_cast<IMP>(&failing_init), &host_init);
  proc.load();
  sim::AutoreleasePool pool;
  sim::clear_events();
  EXPECT_EQ(sim::make_platter_controller(red_icon(), 2, true), nullptr);
  EXPECT_TRUE(events_of("observer").empty());
}

TEST(PlatterSignal, ARethemeAfterAStyleChangeSwapsTheTint) {
  PlatterProcess p(kIOS13, Dictionary{{"darkColorTint", true}});
  id icon = red_icon();
  id c = sim::make_platter_controller(icon, 2, true);
  layout(c);
  EXPECT_TRUE(same_colour(background_colour(menu_group(c)), expected_tint(c, icon, kLighter)));

  // Another platter's layout pass restyles this controller for the new style.
  p.set_style(2);
  id other = sim::make_platter_controller(nullptr, 1, true);
  layout_platter_view(other);
  EXPECT_TRUE(same_colour(background_colour(menu_group(c)), expected_tint(c, icon, kDarker)));

  p.set_style(0);
  sim::post_local_notification(kRetheme, nullptr);
  EXPECT_TRUE(same_colour(background_colour(menu_group(c)), grey(0.2)));
}

}  // namespace
