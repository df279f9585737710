// Notification banners: the layout hook's once-only parts, the light and
// dark branches, the animation and corners, the master switches, and the
// re-theme signal.
#include "banners/theme_test_util.h"
#include "sim/springboard/NCNotificationShortLookView.h"

using namespace corvane_test;
using sim::plist::Dictionary;

namespace {

id tint_view(id banner) { return msg_id(banner, "headerTintView"); }
id content(id banner) { return msg_id(banner, "customContentView"); }
size_t animations_of(id view) { return sim::take_animations(view).size(); }

TEST(BannerLayout, RegistersAndMakesTheTintViewOnceBehindTheContent) {
  ThemedProcess t({});
  id banner = sim::make_banner(red_icon(), {{0, 0}, {359, 76}}, true);
  for (int i = 0; i < 5; ++i) msg_void(banner, "layoutSubviews");
  id tint = tint_view(banner);
  ASSERT_TRUE(tint);
  EXPECT_TRUE(sim::send<BOOL>(banner, sim::sel("hasChangeListener")));
  EXPECT_EQ(observer_registrations(banner), 1);
  // Back to front: the material, the tint view, the header, the content.
  auto& subs = sim::as<sim::UIViewObj>(banner)->subviews;
  ASSERT_EQ(subs.size(), 4u);
  EXPECT_EQ(subs[0].get(), part(banner, "_backgroundView"));
  EXPECT_EQ(subs[1].get(), tint);
  EXPECT_EQ(subs[2].get(), part(banner, "_headerContentView"));
  EXPECT_EQ(subs[3].get(), content(banner));
  EXPECT_EQ(background(part(banner, "_backgroundView")), std::nullopt);  // never recoloured
  // One post re-themes the banner once, however often it was laid out.
  animations_of(tint);
  sim::post_local_notification(kRethemeSignal, nullptr);
  EXPECT_EQ(animations_of(tint), 1u);
}

TEST(BannerLayout, TintViewIsThirtyPointsHighAtTheOriginAcrossTheBannerAtEveryPass) {
  ThemedProcess t({});
  id banner = sim::make_banner(red_icon(), {{12, 40}, {359, 76}}, true);
  for (CGRect frame : {CGRect{{12, 40}, {359, 76}}, CGRect{{0, 0}, {200, 120}}, CGRect{{5, 5}, {0, 10}}}) {
    sim::send<void>(banner, sim::sel("setFrame:"), frame);
    msg_void(banner, "layoutSubviews");
    CGRect f = sim::send<CGRect>(tint_view(banner), sim::sel("frame"));
    EXPECT_EQ(f.origin.x, 0);
    EXPECT_EQ(f.origin.y, 0);
    EXPECT_EQ(f.size.width, frame.size.width);
    EXPECT_EQ(f.size.height, 30);
  }
}

struct BranchCase {
  const char* name;
  NSInteger style;
  Dictionary settings;
  Want want;
};

TEST(BannerTheme, EveryBranchColoursTheTintViewAndTheContentAlike) {
  const BranchCase cases[] = {
      {"light, tint", 1, {}, {Want::Lighter}},
      {"light, no tint", 1, {{"lightColorTint", false}}, {Want::Nil}},
      {"dark, nothing on", 2, {}, {Want::Nil}},
      {"unspecified is dark, nothing on", 0, {}, {Want::Nil}},
      {"unspecified is dark, tint", 0, {{"darkColorTint", true}}, {Want::Darker}},
      {"dark, tint", 2, {{"darkColorTint", true}}, {Want::Darker}},
      {"dark, offset", 2, {{"useDarkOffset", true}, {"darkModeOffset", 0.3}}, grey(0, 0.3)},
      {"dark, offset 0.75", 2, {{"useDarkOffset", true}, {"darkModeOffset", 0.75}}, grey(0, 0.75)},
      {"dark tint over offset", 2, {{"darkColorTint", true}, {"useDarkOffset", true}}, {Want::Darker}},
      {"forced light while dark", 2, {{"forceLightNotifications", true}}, {Want::Lighter}},
      {"forced light, no light tint",
       2,
       {{"forceLightNotifications", true}, {"lightColorTint", false}, {"darkColorTint", true}},
       {Want::Nil}},
  };
  for (const BranchCase& c : cases) {
    SCOPED_TRACE(c.name);
    ThemedProcess t(c.settings, c.style);
    id icon = red_icon();
    id banner = sim::make_banner(icon, {{0, 0}, {359, 76}}, true);
    msg_void(banner, "layoutSubviews");
    Colour want = expected(banner, icon, c.want);
    expect_colour(background(tint_view(banner)), want, "header tint view");
    expect_colour(background(content(banner)), want, "custom content view");
    bool forced = c.settings.contains("forceLightNotifications");
    EXPECT_EQ(sim::effective_style(banner), forced ? 1 : c.style);
  }
}

TEST(BannerTheme, AnimatesTheColoursOverHalfASecondThenRoundsTheCorners) {
  ThemedProcess t({});
  id banner = sim::make_banner(red_icon(), {{0, 0}, {359, 76}}, true);
  msg_void(banner, "layoutSubviews");
  for (id v : {tint_view(banner), content(banner)}) {
    auto records = sim::take_animations(v);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].duration, 0.5);
    EXPECT_EQ(records[0].properties, std::vector<std::string>{"backgroundColor"});
  }
  EXPECT_EQ(corner_radius(banner), 13);
  EXPECT_TRUE(clips(banner));
}

TEST(BannerTheme, LightWithoutTintClearsWhatTheDarkStyleLeft) {
  ThemedProcess t({{"lightColorTint", false}, {"darkColorTint", true}}, 2);
  id icon = red_icon();
  id banner = sim::make_banner(icon, {{0, 0}, {359, 76}}, true);
  msg_void(banner, "layoutSubviews");
  expect_colour(background(content(banner)), expected(banner, icon, {Want::Darker}), "dark");
  sim::change_system_style(1);  // the arbiter's hooks post the re-theme signal
  EXPECT_EQ(background(tint_view(banner)), std::nullopt);
  EXPECT_EQ(background(content(banner)), std::nullopt);
}

TEST(BannerTheme, WithoutCustomContentOnlyTheTintViewIsColoured) {
  ThemedProcess t({});
  id icon = red_icon();
  id banner = sim::make_banner(icon, {{0, 0}, {359, 76}}, false);
  msg_void(banner, "layoutSubviews");
  EXPECT_EQ(content(banner), nullptr);
  expect_colour(background(tint_view(banner)), expected(banner, icon, {Want::Lighter}), "tint view");
}

// A header without icons (icon=none) must not stop the host: the missing
// icon is themed as a nil image.
TEST(BannerTheme, EmptyIconListIsThemedAsANilImage) {
  for (NSInteger style : {1, 2}) {
    ThemedProcess t({{"darkColorTint", true}}, style);
    id banner = sim::make_banner(nullptr, {{0, 0}, {359, 76}}, true);
    msg_void(banner, "layoutSubviews");
    sim::post_local_notification(kRethemeSignal, nullptr);
    Want want{style == 1 ? Want::Lighter : Want::Darker};
    expect_colour(background(content(banner)), expected(banner, nullptr, want), "content");
  }
}

TEST(BannerSwitches, NotificationsOffLeavesOnlyTheForcedStyle) {
  for (bool force : {false, true}) {
    SCOPED_TRACE(force ? "forced light" : "not forced");
    ThemedProcess t({{"notifications", false}, {"forceLightNotifications", force}}, 2);
    id banner = sim::make_banner(red_icon(), {{0, 0}, {359, 76}}, true);
    msg_void(banner, "layoutSubviews");
    EXPECT_EQ(sim::send<NSInteger>(banner, sim::sel("overrideUserInterfaceStyle")), force ? 1 : 0);
    EXPECT_EQ(tint_view(banner), nullptr);
    EXPECT_FALSE(sim::send<BOOL>(banner, sim::sel("hasChangeListener")));
    EXPECT_EQ(observer_registrations(banner), 0);
    EXPECT_EQ(corner_radius(banner), 0);
    sim::post_local_notification(kRethemeSignal, nullptr);
    EXPECT_EQ(animations_of(content(banner)), 0u);
    EXPECT_EQ(sim::as<sim::UIViewObj>(banner)->subviews.size(), 3u);
  }
}

// Literal colours from the colour engine (default settings: offsets and
// strengths 0.3) for the default red icon (255, 59, 48). These hold only
// with the real colour engine in place.
TEST(BannerEngineColours, DefaultRedIconGivesTheLiteralTints) {
  struct {
    NSInteger style;
    Dictionary settings;
    std::array<double, 4> want;
  } cases[] = {
      {1, {}, {1.0, 59 / 255.0 + 0.3, 48 / 255.0 + 0.3, 0.3}},
      {2, {{"darkColorTint", true}}, {0.7, 0.0, 0.0, 0.3}},
  };
  for (auto& c : cases) {
    ThemedProcess t(c.settings, c.style);
    id banner = sim::make_banner(red_icon(), {{0, 0}, {359, 76}}, true);
    msg_void(banner, "layoutSubviews");
    expect_colour(background(tint_view(banner)), c.want, "tint view");
  }
}

}  // namespace
