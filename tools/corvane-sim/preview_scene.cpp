#include "tools/corvane-sim/preview_scene.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/foundation/foundation.h"
#include "sim/foundation/plist_file.h"
#include "sim/graphics/CoreGraphics.h"
#include "sim/render/glyphs.h"
#include "sim/render/renderer.h"
#include "sim/springboard/NCNotificationShortLookView.h"
#include "sim/springboard/SBDockView.h"
#include "sim/springboard/SBFolderIconImageView.h"
#include "sim/springboard/SBIconView.h"
#include "sim/springboard/WGWidgetPlatterView.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/UIStatusBar.h"
#include "sim/uikit/UIView.h"
#include "sim/uikit/_UIPreviewPlatterPresentationController.h"
#include "sim/uikit/style.h"
#include "src/core/names.h"
#include "tools/corvane-sim/app_icon_image.h"
#include "tools/corvane-sim/library_option.h"
#include "tools/corvane-sim/preview_art.h"

namespace corvane::cli {
namespace {

using sim::sel;
using sim::send;

constexpr const char* kSettingsDevicePath = corvane::names::kSettingsPath;

constexpr double kIconPoints = 60;
constexpr double kIconScale = 3;
constexpr uint32_t kMaxIconSide = 4096;

// Where things stand on the 375 × 812 screen, in points.
constexpr CGRect kBannerFrame{{8, 50}, {359, 92}};
// Several banners stack below one another, each a little lower than one
// alone, and everything below them moves down to make room.
constexpr double kStackedBannerHeight = 76;
constexpr double kStackedBannerGap = 6;
constexpr CGRect kWidgetFrame{{8, 154}, {359, 150}};
constexpr double kIconRowY = 326;
constexpr double kSecondRowY = 566;
constexpr double kPageDotsY = 694;
constexpr double kIconColumns[] = {24, 111, 198, 285};
// The menu's container is placed so that the raised icon stands in the
// icon row's first column (the host puts the platter 160 points down it).
constexpr double kMenuContainerY = kIconRowY - 160;
constexpr double kDockIconY = 14;
constexpr CGPoint kBannerTintProbe{220, 4};  // in the banner, above the header's icon and text

void set_frame(id view, CGRect frame) { send<void>(view, sel("setFrame:"), frame); }

void lay_out_view(id view) {
  if (view) send<void>(view, sel("layoutSubviews"));
}

uint32_t big_endian(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The icon file's first bytes: the PNG signature and the image header with
// the picture's size, checked before the picture is decoded.
std::optional<std::string> check_icon_header(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return "cannot read icon " + path + ": no such file";
  if (std::filesystem::is_directory(path, ec)) return "cannot read icon " + path + ": it is a folder";
  if (!std::filesystem::is_regular_file(path, ec)) return "cannot read icon " + path + ": not a regular file";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read icon " + path;
  // The optimised PNGs of app bundles put a CgBI chunk (4 bytes of data)
  // before the image header.
  unsigned char head[40] = {};
  in.read(reinterpret_cast<char*>(head), sizeof head);
  const std::streamsize got = in.gcount();
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (got < 8 || !std::equal(kSignature, kSignature + 8, head)) return "icon " + path + " is not a PNG image";
  const bool optimised =
      got >= 24 && std::string(reinterpret_cast<char*>(head + 12), 4) == "CgBI" && big_endian(head + 8) == 4;
  const unsigned char* header = optimised ? head + 16 : head;
  if (got < (optimised ? 40 : 24) || std::string(reinterpret_cast<const char*>(header + 12), 4) != "IHDR")
    return "icon " + path + " is not a valid PNG image (no image header)";
  const uint32_t w = big_endian(header + 16), h = big_endian(header + 20);
  if (w == 0 || h == 0) return "icon " + path + " is not a valid PNG image (empty picture)";
  if (w > kMaxIconSide || h > kMaxIconSide)
    return "icon " + path + " is too large (" + std::to_string(w) + "x" + std::to_string(h) +
           " pixels; at most " + std::to_string(kMaxIconSide) + " a side)";
  return std::nullopt;
}

// The icon file as an application icon: stretched over a 60-point square
// whatever its size, as the home screen shows icons.
id load_icon(const std::string& path, std::string* error) {
  char message[256] = {};
  CGImageRef bitmap = sim_CGImageCreateWithPNGFile(path.c_str(), message, sizeof message);
  if (!bitmap) {
    *error = "cannot read icon " + path + ": " + message;
    return nullptr;
  }
  const double side = static_cast<double>(std::max(CGImageGetWidth(bitmap), CGImageGetHeight(bitmap)));
  id image = sim::make_image(bitmap, CGSize{kIconPoints, kIconPoints}, side / kIconPoints);
  CGImageRelease(bitmap);
  return image;
}

id builtin(BuiltinIcon icon) { return make_builtin_icon(icon, kIconPoints, kIconScale); }

CGRect banner_frame(size_t index, size_t count) {
  if (count <= 1) return kBannerFrame;
  const double y =
      kBannerFrame.origin.y + static_cast<double>(index) * (kStackedBannerHeight + kStackedBannerGap);
  return CGRect{{kBannerFrame.origin.x, y}, {kBannerFrame.size.width, kStackedBannerHeight}};
}

// Below the banners: the widget, then the icon row with the menu raised
// from it. With stacked banners they move down, and the widget gives up
// height so that the menu still ends above the dock.
struct BelowBanners {
  CGRect widget;
  double icon_row_y;
};
constexpr double kWidgetGap = kWidgetFrame.origin.y - (kBannerFrame.origin.y + kBannerFrame.size.height);
constexpr double kIconRowGap = kIconRowY - (kWidgetFrame.origin.y + kWidgetFrame.size.height);
constexpr double kMenuBottomLimit = 708;           // just above the dock
constexpr double kMenuBelowIconRow = 72 + 3 * 44;  // the platter's icon, the gap and three rows
constexpr double kMinWidgetHeight = 90;

BelowBanners below_banners(size_t count) {
  const CGRect last = banner_frame(count == 0 ? 0 : count - 1, count);
  BelowBanners b;
  b.widget = kWidgetFrame;
  b.widget.origin.y = last.origin.y + last.size.height + kWidgetGap;
  const double room = kMenuBottomLimit - kMenuBelowIconRow - kIconRowGap - b.widget.origin.y;
  b.widget.size.height = std::max(kMinWidgetHeight, std::min(kWidgetFrame.size.height, room));
  b.icon_row_y = b.widget.origin.y + b.widget.size.height + kIconRowGap;
  return b;
}

// An app's icon shown at the home screen's 60-point size, whatever its own.
id as_home_icon(id image) {
  CGImageRef bitmap = send<CGImageRef>(image, sel("CGImage"));
  const double side = static_cast<double>(std::max(CGImageGetWidth(bitmap), CGImageGetHeight(bitmap)));
  return sim::make_image(bitmap, CGSize{kIconPoints, kIconPoints}, side / kIconPoints);
}

void set_header_title(id platter, const std::string& title) {
  if (title.empty()) return;
  if (id header = private_part(platter, "headerContentView"))
    send<void>(header, sel("setTitle:"), sim::make_string(title));
}

}  // namespace

std::optional<std::string> check_settings_file(const std::string& path) {
  std::string error;
  auto value = sim::plist::read_file(path, &error);
  if (!value) return "cannot use settings file " + path + ": " + error;
  if (!value->is_dictionary())
    return "cannot use settings file " + path + ": it holds a property list that is not a dictionary";
  return std::nullopt;
}

std::optional<std::string> install_settings_file(Session& session, const std::string& path) {
  // The file's own bytes go in place, as the settings pane would leave them.
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string target = session.process().host_path(kSettingsDevicePath);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(target).parent_path(), ec);
  std::string write_error;
  if (!in || !sim::plist::write_atomically(target, bytes.str(), &write_error))
    return "cannot use settings file " + path + ": " +
           (write_error.empty() ? std::string("cannot read it") : write_error);
  return std::nullopt;
}

std::optional<std::string> check_scene_options(const SceneOptions& o) {
  if (o.ios.major < 13 || o.ios.major > 14)
    return "unsupported iOS version " + o.ios.text() + ": the preview simulates iOS 13.0 to 14.x";
  if (o.settings)
    if (auto e = check_settings_file(*o.settings)) return e;
  if (o.icon && !o.apps.empty()) return std::string("--icon and --app cannot be used together");
  if (o.apps.size() > kMaxPreviewApps)
    return "at most " + std::to_string(kMaxPreviewApps) + " apps, not " + std::to_string(o.apps.size());
  if (o.icon)
    if (auto e = check_icon_header(*o.icon)) return e;
  return check_library_option(o.library, o.arch);
}

std::unique_ptr<PreviewScene> PreviewScene::build(const SceneOptions& options, std::string* error) {
  if (auto e = check_scene_options(options)) {
    *error = *e;
    return nullptr;
  }
  std::unique_ptr<PreviewScene> scene(new PreviewScene);
  scene->session_ = std::make_unique<Session>(std::nullopt, options.library, "", options.arch);
  Session& s = *scene->session_;
  sim::ProcessOptions po = s.options();  // the home-screen process
  po.ios = {options.ios.major, options.ios.minor, options.ios.patch};
  if (auto e = s.reconfigure(po)) {
    *error = "cannot start the simulated home screen: " + *e;
    return nullptr;
  }
  if (options.settings) {
    if (auto e = install_settings_file(s, *options.settings)) {
      *error = *e;
      return nullptr;
    }
  }
  s.process().load_library();

  sim::AutoreleasePool pool;
  // The scene starts in the light style, reached through the host's own path.
  sim::change_system_style(1);
  scene->style_ = 1;
  std::vector<AppLook> apps;
  if (options.icon) {
    id custom = load_icon(*options.icon, error);
    if (!custom) return nullptr;
    apps.push_back(AppLook{custom, ""});
  }
  for (const std::string& path : options.apps) {
    AppIconImage app = load_app_icon(path, error);
    if (!app.image) return nullptr;
    apps.push_back(AppLook{as_home_icon(app.image), app.app_name});
  }
  if (apps.empty()) {
    scene->make_objects({AppLook{builtin(BuiltinIcon::Chat), ""}}, AppLook{builtin(BuiltinIcon::Agenda), ""},
                        builtin(BuiltinIcon::Garden));
  } else {
    scene->make_objects(apps, apps.front(), apps.front().icon);
  }
  scene->lay_out();
  return scene;
}

PreviewScene::~PreviewScene() {
  // The objects go before the process that made them.
  status_bar_ = widget_ = platter_presentation_ = dock_ = folder_icon_ = nullptr;
  banners_.clear();
  home_icons_.clear();
  session_.reset();
}

void PreviewScene::make_status_bar() {
  // The home screen shows light glyphs (the bar's style 1) in the dark style
  // and dark ones in the light style.
  status_bar_ = sim::make_status_bar(true, style_ == 2 ? 1 : 0);
}

void PreviewScene::make_objects(const std::vector<AppLook>& banners, const AppLook& widget, id menu_icon) {
  make_status_bar();
  for (size_t i = 0; i < banners.size(); ++i) {
    id banner = sim::make_banner(banners[i].icon, banner_frame(i, banners.size()), true);
    set_header_title(banner, banners[i].name);
    banners_.emplace_back(banner);
  }
  const BelowBanners below = below_banners(banners.size());
  const double shift = below.icon_row_y - kIconRowY;
  widget_ = sim::make_widget(widget.icon, below.widget);
  set_header_title(widget_, widget.name);

  // The icon row the menu is raised from: the raised icon is the platter's.
  const BuiltinIcon row[] = {BuiltinIcon::Weather, BuiltinIcon::Notes, BuiltinIcon::Music};
  for (size_t i = 0; i < 3; ++i) {
    id icon = sim::make_icon_view(builtin(row[i]));
    set_frame(icon, CGRect{{kIconColumns[i + 1], kIconRowY + shift}, {kIconPoints, kIconPoints}});
    home_icons_.emplace_back(icon);
  }
  // The second row gives way to stacked banners: the menu would cover it.
  const BuiltinIcon second[] = {BuiltinIcon::Clock, BuiltinIcon::Books, BuiltinIcon::Pin, BuiltinIcon::Tiles};
  for (size_t i = 0; i < (shift > 0 ? 0 : 4); ++i) {
    id icon = sim::make_icon_view(builtin(second[i]));
    set_frame(icon, CGRect{{kIconColumns[i], kSecondRowY}, {kIconPoints, kIconPoints}});
    home_icons_.emplace_back(icon);
  }
  platter_presentation_ = sim::make_platter_presentation(menu_icon, sim::PlatterPresentationOptions{});
  if (id container = private_part(platter_controller(), "containerView")) {
    CGRect f = send<CGRect>(container, sel("frame"));
    f.origin = CGPoint{0, kMenuContainerY + shift};
    set_frame(container, f);
  }

  dock_ = sim::make_dock();
  const CGRect dock = send<CGRect>(dock_, sel("frame"));
  const double gap = (dock.size.width - 4 * kIconPoints) / 5;
  const BuiltinIcon docked[] = {BuiltinIcon::Call, BuiltinIcon::Post, BuiltinIcon::Lens};
  for (size_t i = 0; i < 3; ++i) {
    id icon = sim::make_icon_view(builtin(docked[i]));
    set_frame(icon, CGRect{{gap + static_cast<double>(i) * (kIconPoints + gap), kDockIconY},
                           {kIconPoints, kIconPoints}});
    sim::add_subview(dock_, icon);
  }
  folder_icon_ = sim::make_folder_icon();
  set_frame(folder_icon_, CGRect{{gap + 3 * (kIconPoints + gap), kDockIconY}, {kIconPoints, kIconPoints}});
  sim::add_subview(dock_, folder_icon_);
}

// Every object's layout pass, by message, as the host runs them.
void PreviewScene::lay_out() {
  sim::AutoreleasePool pool;
  lay_out_view(status_bar_);
  for (id icon : home_icons_) lay_out_view(icon);
  lay_out_view(dock_);
  const std::vector<sim::Strong> docked = sim::as<sim::UIViewObj>(dock_.get())->subviews;
  for (id icon : docked) lay_out_view(icon);
  lay_out_view(widget_);
  for (id banner : banners_) lay_out_view(banner);
  // The menu as when it appears: the actions view's layout pass, then the
  // platter view's.
  if (id controller = platter_controller()) sim::lay_out_presented_menu(controller);
}

void PreviewScene::switch_style(NSInteger style) {
  sim::AutoreleasePool pool;
  sim::change_system_style(style);
  style_ = style;
  make_status_bar();
  lay_out();
}

sim::render::Surface PreviewScene::render(double scale) const {
  sim::render::Surface surface(static_cast<int>(std::lround(kScreenWidth * scale)),
                               static_cast<int>(std::lround(kScreenHeight * scale)));
  if (!surface.ok()) return surface;
  // The wallpaper is the same in both styles but for the dark style's dimming
  // (and the most costly part of the screen): drawn once per scale.
  if (!wallpaper_.ok() || wallpaper_scale_ != scale) {
    wallpaper_ = sim::render::Surface(surface.width(), surface.height());
    if (!wallpaper_.ok()) return sim::render::Surface();
    cairo_t* cr = cairo_create(wallpaper_.get());
    cairo_scale(cr, scale, scale);
    draw_undimmed_wallpaper(cr, kScreenWidth, kScreenHeight);
    cairo_destroy(cr);
    wallpaper_scale_ = scale;
  }
  cairo_t* cr = cairo_create(surface.get());
  cairo_set_source_surface(cr, wallpaper_.get(), 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_scale(cr, scale, scale);
  const bool dark = sim::system_style() == 2;
  if (dark) dim_wallpaper(cr, kScreenWidth, kScreenHeight);
  // Stacked banners move the menu down over where the page dots lie.
  if (banners_.size() <= 1) draw_page_dots(cr, kScreenWidth / 2, kPageDotsY, 3, dark);
  for (id icon : home_icons_) sim::render::draw_view(cr, icon);
  sim::render::draw_view(cr, dock_);
  sim::render::draw_view(cr, widget_);
  if (id controller = platter_controller())
    sim::render::draw_view(cr, private_part(controller, "containerView"));
  for (id banner : banners_) sim::render::draw_view(cr, banner);
  sim::render::draw_view(cr, status_bar_);
  cairo_destroy(cr);
  return surface;
}

CGPoint PreviewScene::banner_tint_probe() const {
  CGRect f = send<CGRect>(banner(), sel("frame"));
  return CGPoint{f.origin.x + kBannerTintProbe.x, f.origin.y + kBannerTintProbe.y};
}

CGRect PreviewScene::dock_frame() const { return send<CGRect>(dock_, sel("frame")); }

// --- the picture ---------------------------------------------------------------

namespace {

constexpr double kMargin = 36;
constexpr double kGap = 56;
constexpr double kCaptionHeight = 84;
// A screen drawn without a phone around it (a page taller than the phone)
// has corners of this radius and a shadow where the phone's body would be.
constexpr double kBareCornerRadius = 16;

// The settings file as the caption names it: the path as given, or, when
// that is too long, its last part.
std::string settings_caption(cairo_t* cr, const std::string& label, const sim::render::TextStyle& style,
                             double room) {
  std::string text = "settings: " + label;
  if (sim::render::text_width(cr, text, style) <= room) return text;
  std::string name = std::filesystem::path(label).filename().string();
  return "settings: \xE2\x80\xA6/" + name;
}

void paint_screen(cairo_t* cr, const sim::render::Surface& screen, const CGRect& where, double radius,
                  double scale) {
  cairo_save(cr);
  sim::render::rounded_rect_path(cr, where.origin.x, where.origin.y, where.size.width, where.size.height,
                                 radius);
  cairo_clip(cr);
  cairo_translate(cr, where.origin.x, where.origin.y);
  cairo_scale(cr, 1 / scale, 1 / scale);
  cairo_set_source_surface(cr, screen.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
}

void draw_bare_shadow(cairo_t* cr, const CGRect& r) {
  cairo_save(cr);
  for (int i = 6; i >= 1; --i) {
    sim::render::rounded_rect_path(cr, r.origin.x - i * 1.5, r.origin.y - i * 1.0 + 6, r.size.width + i * 3,
                                   r.size.height + i * 3, kBareCornerRadius + i * 1.5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.03);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

}  // namespace

PreviewGeometry side_by_side_geometry(CGSize screen, double scale) {
  const double phone_width = screen.width + 2 * kBezel, phone_height = screen.height + 2 * kBezel;
  PreviewGeometry g;
  g.width = static_cast<int>(std::lround((2 * kMargin + 2 * phone_width + kGap) * scale));
  g.height = static_cast<int>(std::lround((kMargin + phone_height + kCaptionHeight) * scale));
  for (int i = 0; i < 2; ++i) {
    const double x = kMargin + i * (phone_width + kGap) + kBezel, y = kMargin + kBezel;
    (i == 0 ? g.light_screen : g.dark_screen) =
        CGRect{{x * scale, y * scale}, {screen.width * scale, screen.height * scale}};
  }
  return g;
}

PreviewGeometry preview_geometry(double scale) {
  return side_by_side_geometry(CGSize{kScreenWidth, kScreenHeight}, scale);
}

PreviewPicture side_by_side(const sim::render::Surface& light, const sim::render::Surface& dark,
                            CGSize screen, bool phone, const std::string& settings_label,
                            const IosVersion& ios, double scale) {
  PreviewPicture picture;
  picture.geometry = side_by_side_geometry(screen, scale);
  const PreviewGeometry& g = picture.geometry;
  picture.image = sim::render::Surface(g.width, g.height);
  if (!picture.image.ok() || !light.ok() || !dark.ok()) return picture;

  cairo_t* cr = cairo_create(picture.image.get());
  cairo_scale(cr, scale, scale);
  cairo_pattern_t* backdrop = cairo_pattern_create_linear(0, 0, 0, g.height / scale);
  cairo_pattern_add_color_stop_rgb(backdrop, 0, 0.945, 0.945, 0.96);
  cairo_pattern_add_color_stop_rgb(backdrop, 1, 0.86, 0.865, 0.89);
  cairo_set_source(cr, backdrop);
  cairo_paint(cr);
  cairo_pattern_destroy(backdrop);

  struct Half {
    const sim::render::Surface* screen;
    const char* name;
    CGRect where;
  };
  const Half halves[] = {{&light, "Light", g.light_screen}, {&dark, "Dark", g.dark_screen}};
  const double phone_width = screen.width + 2 * kBezel;
  for (const Half& h : halves) {
    const CGRect where{{h.where.origin.x / scale, h.where.origin.y / scale}, screen};
    const double x = where.origin.x, y = where.origin.y;
    if (phone) draw_phone_body(cr, x, y, screen.width, screen.height);
    else draw_bare_shadow(cr, where);
    paint_screen(cr, *h.screen, where, phone ? kScreenCornerRadius : kBareCornerRadius, scale);
    if (phone) draw_phone_overlays(cr, x, y, screen.width);

    const double centre = x + screen.width / 2;
    const double below = y + screen.height + kBezel;
    sim::render::TextStyle title{22, true, {0.11, 0.11, 0.12, 1}, sim::render::Align::Centre};
    sim::render::TextStyle detail{14, false, {0.33, 0.33, 0.37, 1}, sim::render::Align::Centre};
    sim::render::draw_text(cr, h.name, centre, below + 38, title);
    std::string line = "iOS " + ios.text() + "  \xC2\xB7  ";
    line +=
        settings_caption(cr, settings_label, detail, phone_width - sim::render::text_width(cr, line, detail));
    sim::render::draw_text(cr, line, centre, below + 62, detail, phone_width);
  }
  cairo_destroy(cr);
  return picture;
}

PreviewPicture compose_preview(PreviewScene& scene, const std::string& settings_label, const IosVersion& ios,
                               double scale) {
  if (scene.style() != 1) scene.switch_style(1);
  sim::render::Surface light = scene.render(scale);
  scene.switch_style(2);
  sim::render::Surface dark = scene.render(scale);
  return side_by_side(light, dark, CGSize{kScreenWidth, kScreenHeight}, true, settings_label, ios, scale);
}

}  // namespace corvane::cli
