// `render FILE.png [scale=N]` and `corvane-sim preview`.
//
// render draws every bound top-level object (a bound view without a
// superview; for a platter controller, its platter and actions views) in the
// order the objects were made, over a plain backdrop: mid-light grey in the
// light style, mid-dark grey in the dark style. The canvas is the phone
// screen (375 × 812 points at 0,0) grown to take in every drawn object's
// frame, within -1024 to 2048 points each way; what lies beyond is cut off.
#include "tools/corvane-sim/render.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <ostream>
#include <vector>

#include "sim/foundation/plist_file.h"
#include "sim/io/whole_file.h"
#include "sim/render/renderer.h"
#include "sim/render/surface.h"
#include "sim/runtime/object.h"
#include "sim/uikit/UIView.h"
#include "tools/corvane-sim/preview_scene.h"
#include "tools/corvane-sim/settings_check.h"

namespace corvane::cli {
namespace {

using sim::sel;
using sim::send;

constexpr double kCanvasMin = -1024;
constexpr double kCanvasMax = 2048;
constexpr int kMaxPixelsPerSide = 8192;

// A view to draw and where its superview's origin lies on the canvas.
struct Item {
  id view;
  CGPoint origin;
  uint64_t serial;
};

void add_item(std::vector<Item>& items, id view, uint64_t serial) {
  if (!view || !sim::is_kind_of(view, "UIView")) return;
  for (const Item& it : items)
    if (it.view == view) return;
  CGPoint origin{0, 0};
  if (id parent = send<id>(view, sel("superview"))) origin = sim::render::frame_in_root(parent).origin;
  items.push_back(Item{view, origin, serial});
}

std::vector<Item> top_level_items(const Session& session) {
  std::vector<Item> items;
  for (const auto& [name, object] : session.bindings()) {
    id o = object;
    if (!o) continue;
    if (sim::is_kind_of(o, "_UIPreviewPlatterPanController")) {
      add_item(items, private_part(o, "platterView"), o->serial);
      add_item(items, private_part(o, "actionsView"), o->serial);
    } else if (sim::is_kind_of(o, "UIView") && !send<id>(o, sel("superview"))) {
      add_item(items, o, o->serial);
    }
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const Item& a, const Item& b) { return a.serial < b.serial; });
  return items;
}

}  // namespace

bool render_screen(Session& session, const std::string& path, double scale, std::string* error) {
  if (!(scale > 0) || !std::isfinite(scale)) {
    *error = "scale must be a positive number";
    return false;
  }
  sim::AutoreleasePool pool;
  std::vector<Item> items = top_level_items(session);

  double x0 = 0, y0 = 0, x1 = kScreenWidth, y1 = kScreenHeight;
  for (const Item& it : items) {
    CGRect f = send<CGRect>(it.view, sel("frame"));
    const double fx = it.origin.x + f.origin.x, fy = it.origin.y + f.origin.y;
    if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(f.size.width) ||
        !std::isfinite(f.size.height))
      continue;
    x0 = std::min(x0, fx);
    y0 = std::min(y0, fy);
    x1 = std::max(x1, fx + std::max(f.size.width, 0.0));
    y1 = std::max(y1, fy + std::max(f.size.height, 0.0));
  }
  x0 = std::clamp(std::floor(x0), kCanvasMin, kCanvasMax);
  y0 = std::clamp(std::floor(y0), kCanvasMin, kCanvasMax);
  x1 = std::clamp(std::ceil(x1), kCanvasMin, kCanvasMax);
  y1 = std::clamp(std::ceil(y1), kCanvasMin, kCanvasMax);
  const double pw = std::ceil((x1 - x0) * scale), ph = std::ceil((y1 - y0) * scale);
  if (pw > kMaxPixelsPerSide || ph > kMaxPixelsPerSide) {
    *error = "the picture would be " + std::to_string(static_cast<long>(pw)) + "x" +
             std::to_string(static_cast<long>(ph)) + " pixels, more than " +
             std::to_string(kMaxPixelsPerSide) + " a side; use a smaller scale";
    return false;
  }

  sim::render::PendingFile file;
  if (!file.open(path, error)) return false;
  sim::render::Surface canvas(static_cast<int>(pw), static_cast<int>(ph));
  if (!canvas.ok()) {
    *error = "cannot make a picture of " + std::to_string(static_cast<long>(pw)) + "x" +
             std::to_string(static_cast<long>(ph)) + " pixels";
    return false;
  }
  cairo_t* cr = cairo_create(canvas.get());
  cairo_scale(cr, scale, scale);
  cairo_translate(cr, -x0, -y0);
  // A plain backdrop for the system's style, a step away from both the
  // light and the dark materials so that either shows against it.
  if (sim::system_style() == 2) cairo_set_source_rgb(cr, 0.30, 0.30, 0.32);
  else cairo_set_source_rgb(cr, 0.80, 0.80, 0.83);
  cairo_paint(cr);
  for (const Item& it : items) sim::render::draw_view(cr, it.view, it.origin);
  cairo_destroy(cr);
  return file.commit_png(canvas, error);
}

int run_preview(const PreviewOptions& options, std::ostream& out, std::ostream& err) {
  SceneOptions scene_options{options.settings, options.icon, options.ios,
                             options.library,  options.apps, options.arch};
  std::string error;
  if (auto e = check_scene_options(scene_options)) {
    err << "corvane-sim: " << *e << "\n";
    return 2;
  }
  // Readable: check_scene_options has read it.
  if (options.settings) warn_about_settings_file(err, *options.settings);
  // The output's folder is checked before anything is drawn.
  sim::render::PendingFile file;
  if (!file.open(options.output, &error)) {
    err << "corvane-sim: " << error << "\n";
    return 2;
  }
  std::unique_ptr<PreviewScene> scene = PreviewScene::build(scene_options, &error);
  if (!scene) {
    err << "corvane-sim: " << error << "\n";
    return 2;
  }
  PreviewPicture picture =
      compose_preview(*scene, options.settings ? *options.settings : "defaults", options.ios, options.scale);
  scene.reset();
  return commit_picture(file, picture.image, options.output, out, err);
}

void warn_about_settings_file(std::ostream& err, const std::string& path) {
  std::string bytes, read_error;
  if (sim::io::read_whole_file(path, sim::plist::kMaxFileBytes, &bytes, &read_error))
    warn_settings_mistakes(err, "corvane-sim", path, bytes);
}

int commit_picture(sim::render::PendingFile& file, const sim::render::Surface& picture,
                   const std::string& output, std::ostream& out, std::ostream& err) {
  std::string error;
  if (!file.commit_png(picture, &error)) {
    err << "corvane-sim: " << error << "\n";
    return 2;
  }
  std::error_code ec;
  std::filesystem::path where = std::filesystem::absolute(output, ec);
  out << "wrote " << (ec ? output : where.string()) << "\n";
  return 0;
}

}  // namespace corvane::cli
