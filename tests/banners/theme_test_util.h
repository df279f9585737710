// Shared by the banner and widget tests: a themed process, icons, colours as
// the host holds them, and a recorder of sends through the runtime.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/foundation/notification_center.h"
#include "sim/system/event_log.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/style.h"
#include "support/sim_fixture.h"

namespace corvane_test {

inline constexpr const char* kRethemeSignal = "com.tallowbirch.corvane13.update";

// A home-screen process with these settings, the library loaded, and the
// system style changed to `style` (it starts light) through the host's path.
struct ThemedProcess {
  explicit ThemedProcess(const sim::plist::Dictionary& settings, NSInteger style = 1,
                         sim::OSVersion ios = {13, 7, 0})
      : p(ProcessSpec{ios}) {
    p.write_settings(settings);
    p.load();
    if (style != 1) sim::change_system_style(style);
  }
  SimProcess p;
  sim::AutoreleasePool pool;
};

inline id red_icon() { return sim::make_solid_image(255, 59, 48, 255, {40, 40}, 1); }
inline id msg_id(id o, const char* s) { return sim::send<id>(o, sim::sel(s)); }
inline void msg_void(id o, const char* s) { sim::send<void>(o, sim::sel(s)); }
inline id part(id o, const char* ivar) {
  return sim::send<id>(o, sim::sel("valueForKey:"), sim::make_string(ivar));
}
inline double corner_radius(id v) { return sim::send<double>(msg_id(v, "layer"), sim::sel("cornerRadius")); }
inline bool clips(id v) { return sim::send<BOOL>(v, sim::sel("clipsToBounds")); }

using Colour = std::optional<std::array<double, 4>>;
inline Colour background(id view) { return sim::colour_components(msg_id(view, "backgroundColor")); }

// What a view's background should be: nothing, the owner's own lighter or
// darker tint of its first header icon, or a fixed white level.
struct Want {
  enum Kind { Nil, Lighter, Darker, Grey } kind;
  double white = 0, alpha = 0;
};
inline Want grey(double w, double a) { return {Want::Grey, w, a}; }

// The colour `want` stands for on `owner`, whose first header icon is `icon`,
// formed by the owner's own colour methods.
inline Colour expected(id owner, id icon, Want want) {
  if (want.kind == Want::Nil) return std::nullopt;
  if (want.kind == Want::Grey) return std::array{want.white, want.white, want.white, want.alpha};
  id base = sim::send<id>(owner, sim::sel("adaptiveColorForImage:"), icon);
  const char* derive = want.kind == Want::Lighter ? "lighterColorForColor:" : "darkerColorForColor:";
  return sim::colour_components(sim::send<id>(owner, sim::sel(derive), base));
}

inline void expect_colour(const Colour& got, const Colour& want, const char* what) {
  SCOPED_TRACE(what);
  ASSERT_EQ(got.has_value(), want.has_value());
  if (!got) return;
  for (int i = 0; i < 4; ++i) EXPECT_NEAR((*got)[i], (*want)[i], 1e-6) << "component " << i;
}

// Registrations of `obj` with the local centre, as the host's event log has them.
inline int observer_registrations(id obj) {
  int n = 0;
  for (const sim::Event& e : sim::events())
    n += e.kind == "observer" && e.object.serial == obj->serial && e.name == kRethemeSignal;
  return n;
}

// Records every send of the hooked selectors (receiver and selector), then
// runs what was there before. Hooks go through the runtime's own facility.
struct Recorder {
  static inline std::vector<std::pair<id, std::string>> calls;
  template <int N>
  static inline IMP saved = nullptr;
  template <int N>
  static void hook(id self, SEL cmd) {
    calls.emplace_back(self, sel_getName(cmd));
    reinterpret_cast<void (*)(id, SEL)>(saved<N>)(self, cmd);
  }
  template <int N>
  static void install(const char* cls, const char* selector) {
    MSHookMessageEx(sim::class_named(cls), sim::sel(selector), reinterpret_cast<IMP>(&hook<N>), &saved<N>);
  }
  static int count(id obj, const std::string& selector) {
    int n = 0;
    for (auto& [o, s] : calls) n += o == obj && s == selector;
    return n;
  }
};

}  // namespace corvane_test
