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
  for (int i = 0; i < 3; ++i) controllers.push_back(make_platter(red_icon(), 2, true));
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

  // The menu appearing restyles through its platter view's post alone: the
  // pan controller has no layout pass of its own to hook.
  layout(controllers[1]);
  expect_runs(4);
  EXPECT_EQ(events_of("post").size(), 4u);
}

// With forceTouch off nothing reaches configureTintEffect: no controller
// subscribes, no platter view posts, and the hook on the controller's
// viewDidLayoutSubviews wraps nothing. The menu keeps the host's look.
TEST(PlatterSignal, ForceTouchOffLeavesTheMenuUntouched) {
  for (sim::OSVersion ios : {kIOS13, kIOS14}) {
    SCOPED_TRACE("iOS " + std::to_string(ios.major));
    PlatterProcess p(ios, Dictionary{{"forceTouch", false}, {"darkColorTint", true}});
    sim::clear_events();
    id c = make_platter(red_icon(), 2, true);
    count_configure_runs();
    std::vector<Colour> host;
    for (id child : background_children(c)) host.push_back(background_colour(child));
    for (NSInteger style : {2, 1}) {
      layout(c);
      p.set_style(style);
      layout(c);
    }
    EXPECT_FALSE(listening(c));
    EXPECT_TRUE(events_of("observer").empty());
    EXPECT_EQ(events_of("post").size(), 4u) << "the arbiter's posts only";
    EXPECT_EQ(g_runs[c], 0);
    EXPECT_FALSE(background_colour(menu_group(c)));
    EXPECT_EQ(sim::send<double>(sim::send<id>(menu_group(c), sim::sel("layer")), sim::sel("cornerRadius")),
              0.0);
    EXPECT_FALSE(sim::send<BOOL>(menu_background(c), sim::sel("isHidden")));
    std::vector<id> children = background_children(c);
    ASSERT_EQ(children.size(), host.size());
    for (size_t i = 0; i < children.size(); ++i)
      EXPECT_TRUE(same_colour(background_colour(children[i]), host[i]));
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
  EXPECT_EQ(make_platter(red_icon(), 2, true), nullptr) << "the presentation holds no controller";
  EXPECT_TRUE(events_of("observer").empty());
}

TEST(PlatterSignal, ARethemeAfterAStyleChangeSwapsTheTint) {
  PlatterProcess p(kIOS13, Dictionary{{"darkColorTint", true}});
  id icon = red_icon();
  id c = make_platter(icon, 2, true);
  layout(c);
  EXPECT_TRUE(same_colour(background_colour(menu_group(c)), expected_tint(c, icon, kLighter)));

  // Another platter's layout pass restyles this controller for the new style.
  p.set_style(2);
  id other = make_platter(nullptr, 1, true);
  layout_platter_view(other);
  EXPECT_TRUE(same_colour(background_colour(menu_group(c)), expected_tint(c, icon, kDarker)));

  p.set_style(0);
  sim::post_local_notification(kRetheme, nullptr);
  EXPECT_TRUE(same_colour(background_colour(menu_group(c)), grey(0.2)));
}

}  // namespace
