// Status bars: the white or black foreground, the per-application list, and
// the once-only registration with its one-second refresh.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "sim/foundation/notification_center.h"
#include "sim/foundation/run_loop.h"
#include "sim/springboard/SparkAppList.h"
#include "sim/springboard/SpringBoard.h"
#include "sim/system/event_log.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIStatusBar.h"
#include "support/sim_fixture.h"

using namespace corvane_test;
using sim::sel;
using sim::send;

namespace {

using Colour = std::optional<std::array<double, 4>>;
const Colour kWhite = std::array<double, 4>{1, 1, 1, 1};
const Colour kBlack = std::array<double, 4>{0, 0, 0, 1};
const Colour kNothing = std::nullopt;

// Spies installed on the host's own methods before the library loads, so the
// library's saved implementations are these: they record what reaches them
// and then run the host's code.
enum Kind { Legacy = 0, Modern = 1 };
struct SavedCall {
  Kind kind;
  uint64_t receiver;  // the object's serial number
  Colour colour;      // setForegroundColor: only
};
std::vector<SavedCall> g_layouts;
std::vector<SavedCall> g_sets;
IMP g_host_layout[2];
IMP g_host_set[2];

template <int K>
void spy_layout(id self, SEL cmd) {
  g_layouts.push_back({Kind(K), self->serial, std::nullopt});
  reinterpret_cast<void (*)(id, SEL)>(g_host_layout[K])(self, cmd);
}
template <int K>
void spy_set(id self, SEL cmd, id colour) {
  g_sets.push_back({Kind(K), self->serial, sim::colour_components(colour)});
  reinterpret_cast<void (*)(id, SEL, id)>(g_host_set[K])(self, cmd, colour);
}

void install_spies() {
  g_layouts.clear();
  g_sets.clear();
  const char* names[2] = {"UIStatusBar", "UIStatusBar_Modern"};
  IMP layouts[2] = {reinterpret_cast<IMP>(&spy_layout<0>), reinterpret_cast<IMP>(&spy_layout<1>)};
  IMP sets[2] = {reinterpret_cast<IMP>(&spy_set<0>), reinterpret_cast<IMP>(&spy_set<1>)};
  for (int k = 0; k < 2; ++k) {
    Class c = sim::class_named(names[k]);
    MSHookMessageEx(c, sel("layoutSubviews"), layouts[k], &g_host_layout[k]);
    MSHookMessageEx(c, sel("setForegroundColor:"), sets[k], &g_host_set[k]);
  }
}

size_t sets_reaching(id bar) {
  size_t n = 0;
  for (auto& c : g_sets) n += c.receiver == bar->serial;
  return n;
}

constexpr const char* kApp = "com.example.app";

// The colour the host's status bar holds.
Colour foreground(id bar) { return sim::colour_components(send<id>(bar, sel("foregroundColor"))); }

class StatusBarTest : public ::testing::Test {
 protected:
  void SetUp() override { start(ProcessSpec{}); }
  void TearDown() override {
    pool_.reset();
    p_.reset();
  }

  void start(ProcessSpec spec) {
    pool_.reset();
    p_.reset();  // one simulated process at a time
    p_ = std::make_unique<SimProcess>(spec);
    install_spies();
    p_->load();
    pool_ = std::make_unique<sim::AutoreleasePool>();
  }

  // The style arbiter reports a dark or light system.
  bool set_dark(bool dark) {
    id arbiter = send<id>(reinterpret_cast<id>(sim::class_named("UIUserInterfaceStyleArbiter")),
                          sel("sharedInstance"));
    send<void>(arbiter, sel("darkModeChanged:"), static_cast<BOOL>(dark));
    return p_->dark_mode_active() == dark;
  }

  std::unique_ptr<SimProcess> p_;
  std::unique_ptr<sim::AutoreleasePool> pool_;
};

// One state of the device, and what a status bar makes of it.
struct Row {
  const char* name;
  NSInteger style;  // the bar's currentStyle
  bool locked;
  bool home;          // the home screen is showing
  const char* front;  // the front application ("": none)
  bool listed;        // the list holds com.example.app
  Colour refresh;     // what darkModeChanged sets (kNothing: nothing)
  Colour passed;      // what setForegroundColor: red hands the host
  bool list_asked;    // whether each choice asks the list
};

void arrange(const Row& r) {
  sim::write_app_list({r.listed ? kApp : "com.other.app"});
  sim::set_device_state(r.locked, r.home, std::string(r.front));
}

// darkModeChanged: sets the chosen colour through setForegroundColor: (so
// the choice is made twice) or, locked or on the home screen, nothing.
void check_refresh(const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    for (bool modern : {false, true}) {
      SCOPED_TRACE(std::string(r.name) + (modern ? " (modern)" : " (legacy)"));
      arrange(r);
      id bar = sim::make_status_bar(modern, r.style);
      size_t queries = sim::app_list_query_count();
      send<void>(bar, sel("darkModeChanged"));
      EXPECT_EQ(foreground(bar), r.refresh);
      EXPECT_EQ(sets_reaching(bar), r.refresh ? 1u : 0u);
      EXPECT_EQ(sim::app_list_query_count() - queries, r.list_asked ? 2u : 0u);
    }
  }
}

// setForegroundColor: from anyone reaches the host exactly once, with the
// chosen colour in place of the one given.
void check_set(const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    for (bool modern : {false, true}) {
      SCOPED_TRACE(std::string(r.name) + (modern ? " (modern)" : " (legacy)"));
      arrange(r);
      id bar = sim::make_status_bar(modern, r.style);
      size_t queries = sim::app_list_query_count();
      send<void>(bar, sel("setForegroundColor:"), sim::make_rgba(1, 0, 0, 1));
      ASSERT_EQ(sets_reaching(bar), 1u);
      EXPECT_EQ(g_sets.back().colour, r.passed);
      EXPECT_EQ(g_sets.back().kind, modern ? Modern : Legacy);
      EXPECT_EQ(foreground(bar), r.passed);
      EXPECT_EQ(sim::app_list_query_count() - queries, r.list_asked ? 1u : 0u);
    }
  }
}

// While the system is light the list is never asked, even for a listed app.
const std::vector<Row> kLightRows = {
    {"style 0, listed app", 0, false, false, kApp, true, kBlack, kBlack, false},
    {"style 1, listed app", 1, false, false, kApp, true, kWhite, kWhite, false},
    {"style 2", 2, false, false, kApp, true, kBlack, kBlack, false},
    {"style 3", 3, false, false, kApp, true, kBlack, kBlack, false},
    {"locked", 0, true, false, kApp, true, kNothing, kBlack, false},
    {"locked, style 1", 1, true, false, kApp, true, kNothing, kWhite, false},
    {"home screen", 0, false, true, kApp, true, kNothing, kBlack, false},
};

const std::vector<Row> kDarkRows = {
    {"listed app", 0, false, false, kApp, true, kWhite, kWhite, true},
    {"listed app, style 2", 2, false, false, kApp, true, kWhite, kWhite, true},
    {"listed app, style 3", 3, false, false, kApp, true, kWhite, kWhite, true},
    {"unlisted app", 0, false, false, kApp, false, kBlack, kBlack, true},
    {"unlisted app, style 1", 1, false, false, kApp, false, kWhite, kWhite, true},
    {"no front app", 0, false, false, "", true, kBlack, kBlack, true},
    {"locked, listed app", 0, true, false, kApp, true, kNothing, kBlack, false},
    {"home screen, listed app", 0, false, true, kApp, true, kNothing, kBlack, false},
    {"locked on the home screen", 1, true, true, kApp, true, kNothing, kWhite, false},
};

TEST_F(StatusBarTest, RefreshInTheLightSystem) { check_refresh(kLightRows); }
TEST_F(StatusBarTest, SetForegroundColorInTheLightSystem) { check_set(kLightRows); }

// Every pass runs the host's layout, then one refresh; only the first
// registers.
TEST_F(StatusBarTest, EveryLayoutPassRunsTheHostLayoutAndOneRefresh) {
  for (bool modern : {false, true}) {
    SCOPED_TRACE(modern ? "modern" : "legacy");
    id bar = sim::make_status_bar(modern, 1);
    EXPECT_FALSE(send<BOOL>(bar, sel("hasChangeListener")));
    for (size_t pass = 1; pass <= 4; ++pass) {
      send<void>(bar, sel("layoutSubviews"));
      EXPECT_TRUE(send<BOOL>(bar, sel("hasChangeListener")));
      EXPECT_EQ(sets_reaching(bar), pass);
    }
    size_t host_layouts = 0;
    for (auto& c : g_layouts) host_layouts += c.receiver == bar->serial;
    EXPECT_EQ(host_layouts, 4u);
    EXPECT_EQ(foreground(bar), kWhite);
  }
}

// Each class's hooks call the implementations saved for that class, never
// the other's.
TEST_F(StatusBarTest, EachClassCallsItsOwnSavedImplementations) {
  id legacy = sim::make_status_bar(false, 0);
  id modern = sim::make_status_bar(true, 0);
  send<void>(legacy, sel("layoutSubviews"));
  send<void>(modern, sel("layoutSubviews"));
  send<void>(modern, sel("setForegroundColor:"), sim::make_rgba(1, 0, 0, 1));
  for (auto* calls : {&g_layouts, &g_sets}) {
    ASSERT_FALSE(calls->empty());
    for (auto& c : *calls) EXPECT_EQ(c.kind, c.receiver == legacy->serial ? Legacy : Modern);
  }
  EXPECT_EQ(g_layouts.size(), 2u);
  EXPECT_EQ(g_sets.size(), 3u);  // two refreshes, one set from elsewhere
}

// The foreground colour is UIStatusBar_Base's alone: each class's hook is a
// method of its own whose saved implementation is the base's one IMP (here a
// spy put in the base's place before the library loads).
std::vector<id> g_base_receivers;
IMP g_base_set = nullptr;
void spy_base_set(id self, SEL cmd, id colour) {
  g_base_receivers.push_back(self);
  reinterpret_cast<void (*)(id, SEL, id)>(g_base_set)(self, cmd, colour);
}

TEST(StatusBarHooks, BothClassesWrapTheBaseImplementation) {
  SimProcess p;
  Class base = sim::class_named("UIStatusBar_Base");
  MSHookMessageEx(base, sel("setForegroundColor:"), reinterpret_cast<IMP>(&spy_base_set), &g_base_set);
  ASSERT_TRUE(g_base_set);
  p.load();
  sim::AutoreleasePool pool;
  sim::set_device_state(false, false, std::string(kApp));
  for (bool modern : {false, true}) {
    SCOPED_TRACE(modern ? "UIStatusBar_Modern" : "UIStatusBar");
    g_base_receivers.clear();
    id bar = sim::make_status_bar(modern, 1);
    EXPECT_NE(sim::own_method(bar->isa, sel("setForegroundColor:")), nullptr);
    EXPECT_NE(class_getMethodImplementation(bar->isa, sel("setForegroundColor:")),
              reinterpret_cast<IMP>(&spy_base_set));
    send<void>(bar, sel("setForegroundColor:"), sim::make_rgba(1, 0, 0, 1));
    EXPECT_EQ(g_base_receivers, std::vector<id>{bar});
    EXPECT_EQ(foreground(bar), kWhite);  // the library's choice for style 1 reached the base
  }
}

// --- with the style arbiter reporting a dark system ---------------------------

TEST_F(StatusBarTest, RefreshInTheDarkSystem) {
  ASSERT_TRUE(set_dark(true));
  check_refresh(kDarkRows);
}
TEST_F(StatusBarTest, SetForegroundColorInTheDarkSystem) {
  ASSERT_TRUE(set_dark(true));
  check_set(kDarkRows);
}

// In an application the home screen's classes are absent: never locked,
// never on the home screen, never listed, whatever the list holds.
TEST_F(StatusBarTest, InAnApplicationTheColourIsTheStyleColour) {
  start(ProcessSpec{{13, 7, 0}, sim::ProcessKind::App, kApp});
  ASSERT_EQ(sim::class_named("SpringBoard"), nullptr);
  sim::write_app_list({kApp});
  ASSERT_TRUE(set_dark(true));
  for (NSInteger style : {0, 1, 2}) {
    SCOPED_TRACE(style);
    id bar = sim::make_status_bar(true, style);
    send<void>(bar, sel("layoutSubviews"));
    EXPECT_EQ(foreground(bar), style == 1 ? kWhite : kBlack);
    send<void>(bar, sel("setForegroundColor:"), sim::make_rgba(1, 0, 0, 1));
    EXPECT_EQ(foreground(bar), style == 1 ? kWhite : kBlack);
  }
}

// --- with the notification centre and the run loop ---------------------------

size_t events_for(const char* kind, id object) {
  size_t n = 0;
  for (auto& e : sim::events()) n += e.kind == kind && e.object.serial == object->serial;
  return n;
}

// The first pass registers the observer and then the timer; later passes
// register nothing, so one post of the dark-mode signal refreshes once.
TEST_F(StatusBarTest, RegistersOnceObserverBeforeTimer) {
  id bar = sim::make_status_bar(false, 0);
  for (int pass = 0; pass < 3; ++pass) send<void>(bar, sel("layoutSubviews"));
  EXPECT_EQ(events_for("observer", bar), 1u);
  // The observer first, then one repeating one-second block timer (it holds
  // the bar weakly, so the host's NSTimer has no target to name).
  std::vector<std::string> order;
  for (auto& e : sim::events()) {
    if (e.kind == "observer" && e.object.serial == bar->serial) {
      EXPECT_EQ(e.name, "com.tallowbirch.corvane.darkModeChanged");
      EXPECT_EQ(e.selector, "darkModeChanged");
      order.push_back(e.kind);
    }
    if (e.kind == "timer") {
      EXPECT_TRUE(e.block);
      EXPECT_EQ(e.interval, 1.0);
      EXPECT_TRUE(e.repeats);
      order.push_back(e.kind);
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"observer", "timer"}));

  size_t before = sets_reaching(bar);
  sim::post_local_notification("com.tallowbirch.corvane.darkModeChanged", nullptr);
  EXPECT_EQ(sets_reaching(bar), before + 1);
}

// A laid-out status bar refreshes once per second of the clock.
TEST_F(StatusBarTest, TimerRefreshesOncePerSecond) {
  id bar = sim::make_status_bar(true, 0);
  send<void>(bar, sel("layoutSubviews"));
  struct Step {
    double advance;
    size_t refreshes;  // total since the layout pass
  };
  const Step steps[] = {{0.5, 0}, {0.5, 1}, {0.999, 1}, {0.001, 2}, {3.0, 5}};
  size_t first = sets_reaching(bar);
  for (const Step& s : steps) {
    sim::run_loop_advance(s.advance);
    EXPECT_EQ(sets_reaching(bar) - first, s.refreshes) << "after " << sim::run_loop_now() << " s";
  }
}

// The timer does not keep its status bar alive: once the bar is released it
// is freed and its refreshes stop, while a living bar keeps ticking.
TEST_F(StatusBarTest, FreedStatusBarIsNoLongerRefreshed) {
  id living = sim::make_status_bar(false, 0);
  send<void>(living, sel("layoutSubviews"));
  sim::Weak gone;
  uint64_t gone_serial = 0;
  {
    sim::AutoreleasePool inner;
    id bar = sim::make_status_bar(true, 0);
    send<void>(bar, sel("layoutSubviews"));
    sim::run_loop_advance(1.0);
    gone = bar;
    gone_serial = bar->serial;
  }
  EXPECT_EQ(gone.get(), nullptr);
  auto refreshes_of = [](uint64_t serial) {
    size_t n = 0;
    for (auto& c : g_sets) n += c.receiver == serial;
    return n;
  };
  size_t gone_before = refreshes_of(gone_serial);
  EXPECT_EQ(gone_before, 2u);  // its layout pass and one tick
  size_t living_before = sets_reaching(living);
  sim::run_loop_advance(3.0);
  EXPECT_EQ(refreshes_of(gone_serial), gone_before);
  EXPECT_EQ(sets_reaching(living), living_before + 3);
}

// Every question the library asks the per-application list is in the event
// log, with the answer: the front application, listed or not.
TEST_F(StatusBarTest, TheLogRecordsEachQuestionToTheList) {
  ASSERT_TRUE(set_dark(true));
  for (bool listed : {true, false}) {
    sim::write_app_list({listed ? kApp : "com.other.app"});
    sim::set_device_state(false, false, kApp);
    sim::clear_events();
    id bar = sim::make_status_bar(false, 0);
    send<void>(bar, sel("layoutSubviews"));
    size_t queries = 0;
    for (const sim::Event& e : sim::events()) {
      if (e.kind != "applist-query") continue;
      ++queries;
      EXPECT_EQ(e.identifier, sim::kAppListIdentifier);
      EXPECT_EQ(e.key, sim::kAppListKey);
      EXPECT_EQ(e.bundle, kApp);
      EXPECT_EQ(e.result, listed);
    }
    EXPECT_GT(queries, 0u) << listed;
  }
}

}  // namespace
