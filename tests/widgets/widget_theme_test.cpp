// Widgets: the host's layout steps and the re-themes after them, the branch
// tables, the switches, the iOS 14 gate, and the re-theme signal reaching
// banners and widgets alike.
#include "banners/theme_test_util.h"
#include "sim/springboard/NCNotificationShortLookView.h"
#include "sim/springboard/WGWidgetPlatterView.h"

using namespace corvane_test;
using sim::plist::Dictionary;

namespace {

id new_widget(id icon) { return sim::make_widget(icon, {{0, 0}, {359, 150}}); }
id bg(id w) { return part(w, "_backgroundView"); }
id header_bg(id w) { return part(w, "_headerBackgroundView"); }

TEST(WidgetLayout, HostRunsItsStepsByMessageEachFollowedByARetheme) {
  ThemedProcess t({});
  Recorder::calls.clear();
  Recorder::install<0>("WGWidgetPlatterView", "_configureBackgroundMaterialViewIfNecessary");
  Recorder::install<1>("WGWidgetPlatterView", "_configureHeaderViewsIfNecessary");
  Recorder::install<2>("WGWidgetPlatterView", "_updateHeaderContentViewVisualStyling");
  Recorder::install<3>("WGWidgetPlatterView", "_layoutHeaderViews");
  Recorder::install<4>("WGWidgetPlatterView", "_layoutContentView");
  Recorder::install<5>("WGWidgetPlatterView", "updateWidgetTheme");
  id widget = new_widget(red_icon());
  msg_void(widget, "layoutSubviews");
  std::vector<std::string> order;
  for (auto& [obj, s] : Recorder::calls) order.push_back(s);
  const std::string u = "updateWidgetTheme";
  EXPECT_EQ(order, (std::vector<std::string>{"_configureBackgroundMaterialViewIfNecessary", u,
                                             "_configureHeaderViewsIfNecessary", u,
                                             "_updateHeaderContentViewVisualStyling", u, "_layoutHeaderViews",
                                             u, "_layoutContentView", u, u}));
}

TEST(WidgetLayout, RegistersOnceAndKeepsOnePlainTintViewInTheHeader) {
  ThemedProcess t({});
  id widget = new_widget(red_icon());
  id header = part(widget, "_headerContentView");
  for (double width : {359.0, 300.0, 320.0}) {
    sim::send<void>(widget, sim::sel("setFrame:"), CGRect{{0, 0}, {width, 150}});
    msg_void(widget, "layoutSubviews");
    id tint = msg_id(widget, "headerTintView");
    ASSERT_TRUE(tint);
    EXPECT_EQ(sim::as<sim::UIViewObj>(header)->subviews.back().get(), tint);
    CGRect f = sim::send<CGRect>(tint, sim::sel("frame"));
    CGRect hf = sim::send<CGRect>(header, sim::sel("frame"));
    EXPECT_EQ(f.origin.x, 0);
    EXPECT_EQ(f.origin.y, 0);
    EXPECT_EQ(f.size.width, width);
    EXPECT_EQ(f.size.height, hf.size.height);
    EXPECT_EQ(background(tint), std::nullopt);
  }
  EXPECT_EQ(sim::as<sim::UIViewObj>(header)->subviews.size(), 1u);
  EXPECT_EQ(observer_registrations(widget), 1);
  EXPECT_EQ(corner_radius(widget), 13);
  EXPECT_TRUE(clips(widget));
  // Colours change at once: nothing the theme set was animated.
  for (id v : {bg(widget), header_bg(widget)}) EXPECT_TRUE(sim::take_animations(v).empty());
}

struct BranchCase {
  const char* name;
  NSInteger style;
  Dictionary settings;
  Want background, header;
};

TEST(WidgetTheme, LightAndDarkTables) {
  const Want nil{Want::Nil}, lighter{Want::Lighter}, darker{Want::Darker};
  const BranchCase cases[] = {
      {"light, tint", 1, {}, lighter, lighter},
      {"light tint over header", 1, {{"enableHeader", true}}, lighter, lighter},
      {"light, header only", 1, {{"lightColorTint", false}, {"enableHeader", true}}, nil, grey(0.85, 0.35)},
      {"light, nothing", 1, {{"lightColorTint", false}}, nil, nil},
      {"dark tint over everything",
       2,
       {{"darkColorTint", true}, {"useDarkOffset", true}, {"enableHeader", true}},
       darker,
       darker},
      {"dark offset with header",
       2,
       {{"useDarkOffset", true}, {"enableHeader", true}, {"darkModeOffset", 0.3}},
       grey(0, 0.3),
       grey(0, 0.5)},
      {"dark offset, header alpha unclamped",
       2,
       {{"useDarkOffset", true}, {"enableHeader", true}, {"darkModeOffset", 0.9}},
       grey(0, 0.9),
       grey(0, 1.1)},
      {"dark offset", 2, {{"useDarkOffset", true}}, grey(0, 0.3), grey(0, 0.3)},
      {"dark, header only", 2, {{"enableHeader", true}}, nil, grey(0.2, 0.35)},
      {"dark, nothing", 2, {}, nil, nil},
      {"unspecified is dark", 0, {{"enableHeader", true}}, nil, grey(0.2, 0.35)},
      {"forced light while dark",
       2,
       {{"forceLightWidget", true}, {"lightColorTint", false}, {"enableHeader", true}},
       nil,
       grey(0.85, 0.35)},
  };
  for (const BranchCase& c : cases) {
    SCOPED_TRACE(c.name);
    ThemedProcess t(c.settings, c.style);
    id icon = red_icon();
    id widget = new_widget(icon);
    msg_void(widget, "layoutSubviews");
    expect_colour(background(bg(widget)), expected(widget, icon, c.background), "background");
    expect_colour(background(header_bg(widget)), expected(widget, icon, c.header), "header background");
    EXPECT_EQ(sim::effective_style(widget), c.settings.contains("forceLightWidget") ? 1 : c.style);
  }
}

TEST(WidgetSwitches, WidgetsOffStillRethemesAtEveryHostStep) {
  ThemedProcess t(
      {{"widgets", false}, {"forceLightWidget", true}, {"lightColorTint", false}, {"enableHeader", true}}, 2);
  Recorder::calls.clear();
  Recorder::install<0>("WGWidgetPlatterView", "updateWidgetTheme");
  id widget = new_widget(red_icon());
  msg_void(widget, "layoutSubviews");
  EXPECT_EQ(Recorder::count(widget, "updateWidgetTheme"), 5);  // the five steps, not the layout hook
  EXPECT_EQ(observer_registrations(widget), 0);
  EXPECT_EQ(msg_id(widget, "headerTintView"), nullptr);
  EXPECT_EQ(corner_radius(widget), 0);
  EXPECT_EQ(sim::send<NSInteger>(widget, sim::sel("overrideUserInterfaceStyle")), 1);
  expect_colour(background(header_bg(widget)), expected(widget, nullptr, grey(0.85, 0.35)), "header");
}

// From 14.0 on the theme does nothing, whoever asks; the widget switches
// are off whatever the file says.
TEST(WidgetVersionGate, IOS14LeavesWidgetsUntouchedByEveryPath) {
  for (sim::OSVersion ios : {sim::OSVersion{14, 0, 0}, sim::OSVersion{14, 4, 2}}) {
    SCOPED_TRACE(ios.minor);
    ThemedProcess t({{"widgets", true}, {"forceLightWidget", true}, {"darkColorTint", true}}, 2, ios);
    id widget = new_widget(red_icon());
    id marker = sim::make_rgba(0.1, 0.2, 0.3, 1);
    sim::send<void>(bg(widget), sim::sel("setBackgroundColor:"), marker);
    msg_void(widget, "layoutSubviews");
    msg_void(widget, "_layoutContentView");
    msg_void(widget, "updateWidgetTheme");
    sim::post_local_notification(kRethemeSignal, nullptr);
    sim::change_system_style(1);
    expect_colour(background(bg(widget)), sim::colour_components(marker), "background");
    // iOS 14's widget has no header strip: asking for it would raise.
    EXPECT_EQ(sim::find_ivar(widget->isa, "_headerBackgroundView"), nullptr);
    EXPECT_EQ(corner_radius(widget), 0);
    EXPECT_EQ(sim::send<NSInteger>(widget, sim::sel("overrideUserInterfaceStyle")), 0);
    EXPECT_EQ(observer_registrations(widget), 0);
  }
}

TEST(WidgetTheme, EmptyIconListIsThemedAsANilImage) {
  ThemedProcess t({{"darkColorTint", true}}, 2);
  id widget = new_widget(nullptr);
  msg_void(widget, "layoutSubviews");
  expect_colour(background(bg(widget)), expected(widget, nullptr, {Want::Darker}), "background");
}

TEST(RethemeSignal, ReachesEveryRegisteredBannerAndWidgetAndNoOther) {
  ThemedProcess t({{"darkColorTint", true}});
  std::vector<id> banners, widgets;
  for (int i = 0; i < 3; ++i) {
    banners.push_back(sim::make_banner(red_icon(), {{0, 0}, {359, 76}}, true));
    widgets.push_back(new_widget(red_icon()));
    msg_void(banners.back(), "layoutSubviews");
    msg_void(widgets.back(), "layoutSubviews");
  }
  id lone_banner = sim::make_banner(red_icon(), {{0, 0}, {359, 76}}, true);
  id lone_widget = new_widget(red_icon());
  Recorder::calls.clear();
  Recorder::install<0>("NCNotificationShortLookView", "updateNotificationTheme");
  Recorder::install<1>("WGWidgetPlatterView", "updateWidgetTheme");
  sim::change_system_style(2);  // the arbiter's hooks post the signal (twice, one per hook)
  for (id b : banners) {
    EXPECT_EQ(Recorder::count(b, "updateNotificationTheme"), 2);
    expect_colour(background(msg_id(b, "customContentView")), expected(b, red_icon(), {Want::Darker}),
                  "banner");
  }
  for (id w : widgets) {
    EXPECT_EQ(Recorder::count(w, "updateWidgetTheme"), 2);
    expect_colour(background(bg(w)), expected(w, red_icon(), {Want::Darker}), "widget");
  }
  EXPECT_EQ(Recorder::count(lone_banner, "updateNotificationTheme"), 0);
  EXPECT_EQ(Recorder::count(lone_widget, "updateWidgetTheme"), 0);
  EXPECT_EQ(background(bg(lone_widget)), std::nullopt);
}

// Literal colours from the colour engine (default offsets and strengths 0.3)
// for the red icon (255, 59, 48). These hold only with the real colour
// engine in place.
TEST(WidgetEngineColours, DefaultRedIconGivesTheLiteralTints) {
  ThemedProcess t({{"darkColorTint", true}}, 2);
  id widget = new_widget(red_icon());
  msg_void(widget, "layoutSubviews");
  expect_colour(background(header_bg(widget)), std::array{0.7, 0.0, 0.0, 0.3}, "dark");
  sim::change_system_style(1);
  expect_colour(background(bg(widget)), std::array{1.0, 59 / 255.0 + 0.3, 48 / 255.0 + 0.3, 0.3}, "light");
}

}  // namespace
