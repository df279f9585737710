// configureTintEffect in both host layouts: the grey backing, the corners and
// the icon tint, as the menu's appearance (its layout passes) leaves them.
#include "platter_test_util.h"

using namespace platter_test;
using sim::plist::Dictionary;

namespace {

enum class Want { Grey, Lighter, Darker, HostColour };

// The grey backing's white for a style: 0.8 only in the light style.
double backing_white(NSInteger style) { return style == 1 ? 0.8 : 0.2; }

TEST(PlatterBacking, GreyByStyleAndCornersWhateverTheSettings) {
  for (sim::OSVersion ios : {kIOS13, kIOS14})
    for (NSInteger style : {0, 1, 2})
      for (bool blurry : {true, false}) {
        SCOPED_TRACE("iOS " + std::to_string(ios.major) + ", style " + std::to_string(style) +
                     (blurry ? ", blurry" : ", not blurry"));
        PlatterProcess p(ios, Dictionary{{"blurryForceTouch", blurry}, {"lightColorTint", false}}, style);
        id c = make_platter(red_icon(), 3, true);
        std::vector<Colour> host_colours;
        for (id child : background_children(c)) host_colours.push_back(background_colour(child));
        layout(c);
        id group = menu_group(c);
        EXPECT_EQ(sim::send<BOOL>(menu_background(c), sim::sel("isHidden")), blurry);
        EXPECT_TRUE(same_colour(background_colour(group), blurry ? grey(backing_white(style)) : Colour()));
        EXPECT_EQ(sim::send<double>(sim::send<id>(group, sim::sel("layer")), sim::sel("cornerRadius")), 14.0);
        EXPECT_TRUE(sim::send<BOOL>(group, sim::sel("clipsToBounds")));
        // No tint with both tint settings off: the blur's layers keep the
        // host's colours and the rows have none.
        std::vector<id> children = background_children(c);
        ASSERT_EQ(children.size(), host_colours.size());
        for (size_t i = 0; i < children.size(); ++i)
          EXPECT_TRUE(same_colour(background_colour(children[i]), host_colours[i]));
        ASSERT_EQ(group_rows(c).size(), 3u);
        for (id row : group_rows(c)) EXPECT_FALSE(background_colour(row));
      }
}

struct TintCase {
  NSInteger style;
  bool light, dark, blurry;
  Want want;
};

std::string describe(const TintCase& t) {
  return "style " + std::to_string(t.style) + (t.light ? " light" : "") + (t.dark ? " dark" : "") +
         (t.blurry ? " blurry" : "");
}

Dictionary tint_settings(const TintCase& t) {
  return Dictionary{{"lightColorTint", t.light}, {"darkColorTint", t.dark}, {"blurryForceTouch", t.blurry}};
}

TEST(PlatterTint, ActionGroupLayoutTintsTheGroupOnlyInTheMatchingStyle) {
  const TintCase cases[] = {
      {1, true, false, true, Want::Lighter},
      {1, true, true, true, Want::Lighter},
      {1, false, true, true, Want::Grey},
      {2, true, false, true, Want::Grey},
      {2, false, true, true, Want::Darker},
      {2, true, true, true, Want::Darker},
      {0, true, true, true, Want::Grey},
      {1, false, false, true, Want::Grey},
      // Without the grey backing the tint still replaces the host's colour.
      {1, true, false, false, Want::Lighter},
      {0, true, true, false, Want::HostColour},
  };
  for (const TintCase& t : cases) {
    SCOPED_TRACE(describe(t));
    PlatterProcess p(kIOS13, tint_settings(t), t.style);
    id icon = red_icon();
    id c = make_platter(icon, 3, true);
    layout(c);
    Colour want = t.want == Want::Lighter  ? expected_tint(c, icon, kLighter)
                  : t.want == Want::Darker ? expected_tint(c, icon, kDarker)
                  : t.want == Want::Grey   ? grey(backing_white(t.style))
                                           : Colour();
    EXPECT_TRUE(same_colour(background_colour(menu_group(c)), want));
    for (id row : group_rows(c)) EXPECT_FALSE(background_colour(row)) << "rows are never tinted";
  }
}

TEST(PlatterTint, ActionGroupLayoutLeavesAPlatterNotRaisedFromAnIconUntinted) {
  for (NSInteger style : {1, 2})
    for (bool blurry : {true, false}) {
      SCOPED_TRACE("style " + std::to_string(style) + (blurry ? " blurry" : ""));
      PlatterProcess p(kIOS13, Dictionary{{"darkColorTint", true}, {"blurryForceTouch", blurry}}, style);
      id c = make_platter(nullptr, 3, true);
      layout(c);
      EXPECT_TRUE(
          same_colour(background_colour(menu_group(c)), blurry ? grey(backing_white(style)) : Colour()));
      EXPECT_EQ(sim::send<double>(sim::send<id>(menu_group(c), sim::sel("layer")), sim::sel("cornerRadius")),
                14.0);
    }
}

TEST(PlatterTint, ListLayoutTintsEveryChildOfTheBackgroundAndKeepsTheBacking) {
  const TintCase cases[] = {
      {1, true, false, true, Want::Lighter},
      // The lighter tint has no style test: dark without darkColorTint, and unspecified.
      {2, true, false, true, Want::Lighter},
      {0, true, true, true, Want::Lighter},
      {2, true, true, true, Want::Darker},
      {2, false, true, true, Want::Darker},
      {1, false, true, true, Want::HostColour},
      {2, false, false, true, Want::HostColour},
      {2, true, false, false, Want::Lighter},
  };
  for (bool effect : {true, false})
    for (const TintCase& t : cases) {
      SCOPED_TRACE(describe(t) + (effect ? " effect view" : " plain background"));
      PlatterProcess p(kIOS14, tint_settings(t), t.style);
      id icon = red_icon();
      id c = make_platter(icon, 3, effect);
      id blur = effect ? part(menu_background(c), "_visualEffectView") : menu_background(c);
      Colour blur_before = background_colour(blur);
      std::vector<id> children = background_children(c);
      // The blur's backdrop, its overlay (which carries the host's tint) and
      // its content view; a plain background holds the effect view itself.
      const std::vector<const char*> kinds =
          effect ? std::vector<const char*>{"_UIVisualEffectBackdropView", "_UIVisualEffectSubview",
                                            "_UIVisualEffectContentView"}
                 : std::vector<const char*>{"UIVisualEffectView"};
      ASSERT_EQ(children.size(), kinds.size());
      std::vector<Colour> host;
      for (size_t i = 0; i < children.size(); ++i) {
        EXPECT_EQ(sim::class_name_of(children[i]), kinds[i]);
        host.push_back(background_colour(children[i]));
      }
      layout(c);
      for (size_t i = 0; i < children.size(); ++i) {
        Colour want = t.want == Want::Lighter  ? expected_tint(c, icon, kLighter)
                      : t.want == Want::Darker ? expected_tint(c, icon, kDarker)
                                               : host[i];
        EXPECT_TRUE(same_colour(background_colour(children[i]), want));
      }
      // The rows are the list's cells, in front of the background, untinted.
      ASSERT_EQ(group_rows(c).size(), 3u);
      EXPECT_EQ(subviews_of(menu_group(c)).front(), menu_background(c));
      for (id row : group_rows(c)) EXPECT_FALSE(background_colour(row));
      EXPECT_TRUE(
          same_colour(background_colour(menu_group(c)), t.blurry ? grey(backing_white(t.style)) : Colour()));
      EXPECT_TRUE(same_colour(background_colour(blur), blur_before)) << "the holder is not tinted";
      EXPECT_EQ(sim::send<BOOL>(menu_background(c), sim::sel("isHidden")), t.blurry);
    }
}

TEST(PlatterTint, ListLayoutNotRaisedFromAnIconTintsWithTheNilImage) {
  PlatterProcess p(kIOS14, Dictionary{}, 1);
  id c = make_platter(nullptr, 2, true);
  id source =
      part(part(part(part(c, "_platterView"), "_collapsedTransformView"), "_portalView"), "_sourceView");
  ASSERT_TRUE(source);
  EXPECT_FALSE(answers(source, "contentsImage"));
  layout(c);
  for (id child : background_children(c))
    EXPECT_TRUE(same_colour(background_colour(child), expected_tint(c, nullptr, kLighter)));
}

TEST(PlatterTint, AnEmptyMenuIsStyledWithNothingToTint) {
  for (sim::OSVersion ios : {kIOS13, kIOS14}) {
    SCOPED_TRACE("iOS " + std::to_string(ios.major));
    PlatterProcess p(ios, Dictionary{{"darkColorTint", true}}, 2);
    id c = make_platter(red_icon(), 0, true);
    layout(c);
    // No rows; from iOS 14 the blur's layers are tinted all the same.
    EXPECT_TRUE(group_rows(c).empty());
    if (ios.major >= 14) {
      EXPECT_EQ(background_children(c).size(), 3u);
      for (id child : background_children(c))
        EXPECT_TRUE(same_colour(background_colour(child), expected_tint(c, red_icon(), kDarker)));
    }
    id group = menu_group(c);
    EXPECT_TRUE(same_colour(background_colour(group),
                            ios.major >= 14 ? grey(0.2) : expected_tint(c, red_icon(), kDarker)));
    EXPECT_TRUE(sim::send<BOOL>(group, sim::sel("clipsToBounds")));
  }
}

// The host's hierarchy: what each layout offers the library to reach.
TEST(PlatterHost, SourceViewsAnswerByVersionAndIconPresence) {
  struct Case {
    sim::OSVersion ios;
    bool from_icon;
  };
  for (Case t : {Case{kIOS13, true}, Case{kIOS13, false}, Case{kIOS14, true}, Case{kIOS14, false}}) {
    SCOPED_TRACE("iOS " + std::to_string(t.ios.major) + (t.from_icon ? " icon" : " content"));
    PlatterProcess p(t.ios, Dictionary{});
    id icon = red_icon();
    id c = make_platter(t.from_icon ? icon : nullptr, 2, false);
    id collapsed = part(part(c, "_platterView"), "_collapsedTransformView");
    if (t.ios.major >= 14) {
      id source = part(part(collapsed, "_portalView"), "_sourceView");
      EXPECT_EQ(answers(source, "contentsImage"), t.from_icon);
      if (t.from_icon) {
        EXPECT_EQ(sim::send<id>(source, sim::sel("contentsImage")), icon);
      }
      EXPECT_TRUE(answers(part(part(c, "_actionsView"), "_currentCollectionView"), "layer"));
    } else {
      id source = sim::send<id>(collapsed, sim::sel("sourceView"));
      EXPECT_EQ(answers(source, "iconImageSnapshot"), t.from_icon);
      if (t.from_icon) {
        EXPECT_EQ(sim::send<id>(source, sim::sel("iconImageSnapshot")), icon);
      }
      EXPECT_TRUE(answers(part(part(c, "_actionsView"), "_currentActionGroupView"), "layer"));
    }
    EXPECT_FALSE(answers(menu_background(c), "visualEffectView")) << "effect=NO";
    CGRect actions = sim::send<CGRect>(part(c, "_actionsView"), sim::sel("frame"));
    EXPECT_EQ(actions.size.height, 2 * 44.0) << "one row of 44 points per item";
  }
}

// The pan controller and the portal refer to their views weakly: once the
// presentation that owns the views (and keeps the preview's source) is gone,
// they read back nil, by valueForKey: and by message alike.
TEST(PlatterHost, ViewsFreedElsewhereReadBackNil) {
  for (sim::OSVersion ios : {kIOS13, kIOS14}) {
    SCOPED_TRACE("iOS " + std::to_string(ios.major));
    PlatterProcess p(ios, Dictionary{});
    sim::Strong controller, portal;
    {
      sim::AutoreleasePool pool;
      controller = make_platter(red_icon(), 2, true);
      portal = part(part(part(controller, "_platterView"), "_collapsedTransformView"), "_portalView");
      EXPECT_TRUE(part(controller, "_actionsView"));
      EXPECT_EQ(ios.major >= 14, part(portal, "_sourceView") != nullptr);
    }
    for (const char* key : {"_containerView", "_platterView", "_actionsView"})
      EXPECT_FALSE(part(controller, key));
    EXPECT_FALSE(sim::send<id>(controller.get(), sim::sel("platterView")));
    if (ios.major >= 14) {
      EXPECT_FALSE(part(portal, "_sourceView"));
    }
    // configureTintEffect then finds no menu and styles nothing.
    sim::send<void>(controller.get(), sim::sel("configureTintEffect"));
  }
}

// Handed a plain UIView as its platter view, the library reads no key the
// view lacks: no source, so no icon tint (from iOS 14, the tint of no image),
// while the menu gets its backing and corners when a re-theme reaches it.
TEST(PlatterHost, APlainPlatterViewIsSurvived) {
  for (sim::OSVersion ios : {kIOS13, kIOS14}) {
    SCOPED_TRACE("iOS " + std::to_string(ios.major));
    PlatterProcess p(ios, Dictionary{{"darkColorTint", true}});
    id c = make_platter(red_icon(), 2, true, true);
    EXPECT_EQ(sim::class_name_of(part(c, "_platterView")), "UIView");
    layout(c);
    EXPECT_FALSE(background_colour(menu_group(c))) << "a plain view posts nothing";
    std::vector<id> children = background_children(c);
    std::vector<Colour> host;
    for (id child : children) host.push_back(background_colour(child));
    p.set_style(2);
    EXPECT_EQ(sim::send<double>(sim::send<id>(menu_group(c), sim::sel("layer")), sim::sel("cornerRadius")),
              14.0);
    EXPECT_TRUE(same_colour(background_colour(menu_group(c)), grey(0.2)));
    for (size_t i = 0; i < children.size(); ++i)
      EXPECT_TRUE(same_colour(background_colour(children[i]),
                              ios.major >= 14 ? expected_tint(c, nullptr, kDarker) : host[i]));
  }
}

// Figures worked out by hand for the default icon (255, 59, 48) and the
// default settings (offsets 0.3 at single precision, platter alpha 0.6).
TEST(PlatterTintValues, DefaultIconGivesTheWorkedOutTints) {
  const double offset = static_cast<double>(0.3f);
  const double g = static_cast<double>(59.0f / 255.0f), b = static_cast<double>(48.0f / 255.0f);
  {
    PlatterProcess p(kIOS13, Dictionary{}, 1);
    id c = make_platter(red_icon(), 3, true);
    layout(c);
    EXPECT_TRUE(same_colour(background_colour(menu_group(c)), Rgba{1.0, g + offset, b + offset, 0.6}));
  }
  {
    PlatterProcess p(kIOS14, Dictionary{{"darkColorTint", true}}, 2);
    id c = make_platter(red_icon(), 3, true);
    layout(c);
    for (id child : background_children(c))
      EXPECT_TRUE(same_colour(background_colour(child), Rgba{1.0 - offset, 0.0, 0.0, 0.6}));
  }
  {
    // No image: opaque black sampled, lifted by the offset.
    PlatterProcess p(kIOS14, Dictionary{}, 1);
    id c = make_platter(nullptr, 1, true);
    layout(c);
    for (id child : background_children(c))
      EXPECT_TRUE(same_colour(background_colour(child), Rgba{offset, offset, offset, 0.6}));
  }
}

}  // namespace
