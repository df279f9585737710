// The preview's scene: a phone-sized screen of the simulated home screen
// with the library loaded, built through the host as a script would build
// it, and the picture of it in the light and the dark style side by side.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/render/surface.h"
#include "tools/corvane-sim/literals.h"
#include "tools/corvane-sim/session.h"

namespace corvane::cli {

inline constexpr double kScreenWidth = 375;
inline constexpr double kScreenHeight = 812;
inline constexpr double kPreviewScale = 2;  // pixels per point of the preview picture

inline constexpr size_t kMaxPreviewApps = 4;

struct SceneOptions {
  std::optional<std::string> settings;  // a property-list file used as the settings file
  std::optional<std::string> icon;      // a PNG used as the app icon of banner, widget and menu
  IosVersion ios;
  std::string library;  // the library to load; empty: the native module
  // `.app` folders or `.ipa` archives: one banner each, stacked; the widget
  // and the menu show the first. Not together with `icon`.
  std::vector<std::string> apps;
  std::string arch;  // the slice of the phone's fat dylib: arm64, arm64e ("" arm64e)
};

// Checks the options as the preview takes them: a system version from 13.0
// up to (not including) 15, a settings file that holds a property-list
// dictionary, an icon that is a readable PNG of at most 4096 pixels a side,
// at most four apps and not both an icon and apps. The message names the
// file or value at fault. (The apps themselves are read by build.)
std::optional<std::string> check_scene_options(const SceneOptions& options);

// A settings file as the picture commands take it: readable, and holding a
// property-list dictionary. The message names the file.
std::optional<std::string> check_settings_file(const std::string& path);
// Puts the file's own bytes where the library reads its settings, in the
// session's file system. An error message naming the file, or nothing.
std::optional<std::string> install_settings_file(Session& session, const std::string& path);

class PreviewScene {
 public:
  // Boots a home-screen process in a temporary root, puts the settings file
  // in place, loads the library, makes the scene's objects with the host's
  // factories and lays them out by message, in the light style. nullptr,
  // with a message, for options check_scene_options refuses.
  static std::unique_ptr<PreviewScene> build(const SceneOptions& options, std::string* error);
  ~PreviewScene();

  // The system style changes through the host's own arbiter path (1 light,
  // 2 dark), then the host lays every object out again.
  void switch_style(NSInteger style);
  NSInteger style() const { return style_; }

  // The screen as it stands, `scale` pixels per point: the wallpaper, then
  // every object of the scene from back to front.
  sim::render::Surface render(double scale) const;

  Session& session() { return *session_; }
  id status_bar() const { return status_bar_; }
  id banner() const { return banners_.empty() ? nullptr : banners_.front().get(); }
  const std::vector<sim::Strong>& banners() const { return banners_; }
  id widget() const { return widget_; }
  // The menu's pan controller, which its presentation controller owns.
  id platter_controller() const {
    return sim::send<id>(platter_presentation_.get(), sim::sel("platterPanController"));
  }
  id dock() const { return dock_; }
  id folder_icon() const { return folder_icon_; }

  // A point of the banner's header strip, in screen points, where only the
  // header tint view and what lies behind it show: clear of the icon and
  // the header's text.
  CGPoint banner_tint_probe() const;
  // Where the dock lies on the screen, in points.
  CGRect dock_frame() const;

 private:
  PreviewScene() = default;
  struct AppLook {
    id icon = nullptr;
    std::string name;  // the header's title; "" keeps the host's placeholder
  };
  void make_objects(const std::vector<AppLook>& banners, const AppLook& widget, id menu_icon);
  void make_status_bar();
  void lay_out();

  std::unique_ptr<Session> session_;
  NSInteger style_ = 1;
  sim::Strong status_bar_, widget_, platter_presentation_, dock_, folder_icon_;
  std::vector<sim::Strong> banners_;        // top to bottom
  std::vector<sim::Strong> home_icons_;     // icon views on the home screen, in front of the wallpaper
  mutable sim::render::Surface wallpaper_;  // undimmed, at wallpaper_scale_ pixels per point
  mutable double wallpaper_scale_ = 0;
};

// Where things lie in the preview picture, in pixels.
struct PreviewGeometry {
  int width = 0, height = 0;
  CGRect light_screen{}, dark_screen{};
};
PreviewGeometry preview_geometry(double scale = kPreviewScale);
// The same for two screens of any size side by side.
PreviewGeometry side_by_side_geometry(CGSize screen, double scale);

// The picture: the light and the dark screen side by side in phones, each
// captioned with its style, the system version and the settings file used.
struct PreviewPicture {
  sim::render::Surface image;
  PreviewGeometry geometry;
};

// Renders the scene in the light style, switches the host to dark and
// renders it again, then lays both out in one picture. `settings_label`
// names the settings file ("defaults" when there is none).
PreviewPicture compose_preview(PreviewScene& scene, const std::string& settings_label, const IosVersion& ios,
                               double scale = kPreviewScale);

// The light and the dark screen (`screen` points, drawn at `scale`) laid out
// side by side and captioned as the preview's are: in phones, or (phone
// false, for a page taller than a phone) bare with rounded corners.
PreviewPicture side_by_side(const sim::render::Surface& light, const sim::render::Surface& dark,
                            CGSize screen, bool phone, const std::string& settings_label,
                            const IosVersion& ios, double scale);

}  // namespace corvane::cli
