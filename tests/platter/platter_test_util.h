// Test support for force-touch preview platters: a process in a chosen
// version, style and settings, and the menu's parts as the library reaches
// them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "sim/foundation/foundation.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/_UIPreviewPlatterPresentationController.h"
#include "sim/uikit/style.h"
#include "support/sim_fixture.h"

namespace platter_test {

using Rgba = std::array<double, 4>;
using Colour = std::optional<Rgba>;  // nullopt: no background colour

inline constexpr sim::OSVersion kIOS13{13, 7, 0};
inline constexpr sim::OSVersion kIOS14{14, 0, 0};

inline constexpr const char* kLighter = "lighterColorForColor:";
inline constexpr const char* kDarker = "darkerColorForColor:";

inline NSInteger arbiter_style() {
  id arbiter = sim::send<id>(reinterpret_cast<id>(objc_getClass("UIUserInterfaceStyleArbiter")),
                             sim::sel("sharedInstance"));
  return sim::send<NSInteger>(arbiter, sim::sel("currentStyle"));
}

// A process of that version with the settings file written, the library
// loaded and the system style set through the host's own path.
class PlatterProcess {
 public:
  PlatterProcess(sim::OSVersion ios, const sim::plist::Dictionary& settings, NSInteger style = 1)
      : proc_(corvane_test::ProcessSpec{ios}) {
    proc_.write_settings(settings);
    proc_.load();
    set_style(style);
  }
  void set_style(NSInteger style) {
    sim::change_system_style(style);
    EXPECT_EQ(arbiter_style(), style);
  }
  corvane_test::SimProcess& process() { return proc_; }

 private:
  corvane_test::SimProcess proc_;
  sim::AutoreleasePool pool_;  // drained before the process ends
};

// The icon the platters are raised from: the default red of the scripts.
inline id red_icon() { return sim::make_solid_image(255, 59, 48, 255, CGSize{40, 40}, 1); }

// The host raises a platter: its pan controller, which the (autoreleased)
// presentation controller keeps alive until the test's pool drains. nil when
// the initialiser gave nil. `effect` false: a plain menu background.
inline id make_platter(id icon, int items, bool effect = true, bool plain_platter_view = false) {
  sim::PlatterPresentationOptions options;
  options.items = items;
  options.background = effect ? sim::MenuBackground::Standard : sim::MenuBackground::Plain;
  options.plain_platter_view = plain_platter_view;
  id presentation = sim::make_platter_presentation(icon, options);
  return sim::send<id>(presentation, sim::sel("platterPanController"));
}

inline id part(id owner, const char* key) {
  return sim::send<id>(owner, sim::sel("valueForKey:"), sim::make_string(key));
}
inline bool answers(id o, const char* selector) {
  return o && sim::send<BOOL>(o, sim::sel("respondsToSelector:"), sim::sel(selector));
}

inline id menu_group(id controller) {
  bool ios14 = sim_os_at_least(14, 0, 0);
  return part(part(controller, "_actionsView"), ios14 ? "_currentCollectionView" : "_currentActionGroupView");
}
inline id menu_background(id controller) { return part(menu_group(controller), "_backgroundView"); }

inline std::vector<id> subviews_of(id view) {
  std::vector<id> out;
  id list = sim::send<id>(view, sim::sel("subviews"));
  NSUInteger n = sim::send<NSUInteger>(list, sim::sel("count"));
  for (NSUInteger i = 0; i < n; ++i) out.push_back(sim::send<id>(list, sim::sel("objectAtIndex:"), i));
  return out;
}

// The views the list layout tints: the children of the background's effect
// view (the blur's backdrop, overlay and content view), or of the background
// itself (a plain background: the effect view it holds).
inline std::vector<id> background_children(id controller) {
  id background = menu_background(controller);
  return subviews_of(answers(background, "visualEffectView") ? part(background, "_visualEffectView")
                                                             : background);
}

// The menu rows: from iOS 14 the collection view's cells, in front of the
// background; below, the views of the group's action sequence.
inline std::vector<id> group_rows(id controller) {
  if (!sim_os_at_least(14, 0, 0)) return subviews_of(part(menu_group(controller), "_actionSequenceView"));
  std::vector<id> rows;
  for (id v : subviews_of(menu_group(controller)))
    if (sim::is_kind_of(v, "_UIContextMenuActionsListCell")) rows.push_back(v);
  return rows;
}

inline Colour colour_of(id colour) {
  auto c = sim::colour_components(colour);
  return c ? Colour(*c) : std::nullopt;
}
inline Colour background_colour(id view) {
  return colour_of(sim::send<id>(view, sim::sel("backgroundColor")));
}

// What the controller's own colour methods make of `image`: its icon tint
// passed through `derivation`.
inline Colour expected_tint(id controller, id image, const char* derivation) {
  id icon_colour = sim::send<id>(controller, sim::sel("adaptiveColorForImage:"), image);
  return colour_of(sim::send<id>(controller, sim::sel(derivation), icon_colour));
}
inline Colour grey(double white) { return Rgba{white, white, white, 0.4}; }

inline std::string describe(const Colour& c) {
  if (!c) return "none";
  return "[" + std::to_string((*c)[0]) + ", " + std::to_string((*c)[1]) + ", " + std::to_string((*c)[2]) +
         ", " + std::to_string((*c)[3]) + "]";
}

inline ::testing::AssertionResult same_colour(const Colour& got, const Colour& want,
                                              double tolerance = 1e-9) {
  bool same = got.has_value() == want.has_value();
  for (int i = 0; same && got && i < 4; ++i) same = std::abs((*got)[i] - (*want)[i]) <= tolerance;
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << describe(got) << ", want " << describe(want);
}

// What the host does when the menu appears: the actions view's layout pass,
// then the platter view's.
inline void layout(id controller) { sim::lay_out_presented_menu(controller); }
inline void layout_platter_view(id controller) {
  sim::send<void>(part(controller, "_platterView"), sim::sel("layoutSubviews"));
}

}  // namespace platter_test
