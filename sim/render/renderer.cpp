#include "sim/render/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <optional>
#include <vector>

#include "sim/foundation/foundation.h"
#include "sim/graphics/CoreGraphics.h"
#include "sim/render/blur.h"
#include "sim/render/glyphs.h"
#include "sim/render/looks.h"
#include "sim/runtime/object.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIView.h"

namespace sim::render {
namespace {

// Beyond this many points from the origin a view cannot be on any canvas
// the renderer makes; cairo's fixed-point coordinates would overflow long
// before reaching such values.
constexpr double kFar = 100000;
constexpr int kMaxDepth = 256;

bool finite_rect(const CGRect& r) {
  return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
         std::isfinite(r.size.height);
}

bool responds(id o, const char* selector) { return o && class_respondsToSelector(o->isa, sel(selector)); }

std::vector<id> subviews_of(id view) {
  std::vector<id> out;
  id list = send<id>(view, sel("subviews"));
  if (!list || !is_kind_of(list, "NSArray")) return out;
  for (const Strong& s : as<NSArrayObj>(list)->items) out.push_back(s);
  return out;
}

// The position of `view` among its superview's subviews of the class named.
size_t index_among(id view, const char* class_name) {
  id parent = send<id>(view, sel("superview"));
  size_t index = 0;
  for (id sibling : subviews_of(parent)) {
    if (sibling == view) return index;
    if (is_kind_of(sibling, class_name)) ++index;
  }
  return index;
}

std::optional<Rgba> colour_of(id colour) {
  if (!colour || !is_kind_of(colour, "UIColor")) return std::nullopt;
  auto c = colour_components(colour);
  if (!c) return std::nullopt;
  return Rgba{(*c)[0], (*c)[1], (*c)[2], (*c)[3]};
}

class Painter {
 public:
  explicit Painter(cairo_t* cr) : cr_(cr) {}
  ~Painter() {
    for (auto& [image, surface] : images_) cairo_surface_destroy(surface);
  }
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  void draw(id view, int depth);

 private:
  struct Box {
    double w, h, radius;
  };

  cairo_surface_t* surface_for(CGImageRef image);
  void paint_image(id image, const Box& box, bool icon_mask);
  void paint_pattern(id colour, const Box& box);
  void paint_material(id view, Material material, const Box& box);
  void paint_content(id view, const Look& look, const Box& box);
  void paint_header(id view, const Box& box);
  void paint_lines(id view, Content content, const Box& box);
  void paint_label(id view, const Box& box);
  void paint_menu_row(id view, const Box& box);
  void draw_portal_source(id portal, int depth);
  void paint_status_bar(id view, const Box& box);

  void shape(const Box& b) { rounded_rect_path(cr_, 0, 0, b.w, b.h, b.radius); }

  cairo_t* cr_;
  std::map<CGImageRef, cairo_surface_t*> images_;
  std::vector<id> path_;  // the views being drawn, outermost first
};

// A cairo copy of a bitmap (premultiplied ARGB32), made once per image.
cairo_surface_t* Painter::surface_for(CGImageRef image) {
  if (auto it = images_.find(image); it != images_.end()) return it->second;
  const size_t w = CGImageGetWidth(image), h = CGImageGetHeight(image);
  cairo_surface_t* s = nullptr;
  if (w > 0 && h > 0 && w <= 32767 && h <= 32767) {
    s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(w), static_cast<int>(h));
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
      unsigned char* data = cairo_image_surface_get_data(s);
      const int stride = cairo_image_surface_get_stride(s);
      for (size_t y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        const uint8_t* p = sim_CGImageGetRow(image, y);
        for (size_t x = 0; x < w; ++x, p += 4)
          row[x] = (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
      }
      cairo_surface_mark_dirty(s);
    } else {
      cairo_surface_destroy(s);
      s = nullptr;
    }
  }
  images_[image] = s;
  return s;
}

void Painter::paint_image(id image, const Box& box, bool icon_mask) {
  if (!image || !is_kind_of(image, "UIImage") || !(box.w > 0) || !(box.h > 0)) return;
  CGImageRef bitmap = send<CGImageRef>(image, sel("CGImage"));
  if (!bitmap) return;
  cairo_surface_t* s = surface_for(bitmap);
  if (!s) return;
  const double pw = cairo_image_surface_get_width(s), ph = cairo_image_surface_get_height(s);
  cairo_save(cr_);
  if (icon_mask) rounded_rect_path(cr_, 0, 0, box.w, box.h, icon_corner_radius(std::min(box.w, box.h)));
  else cairo_rectangle(cr_, 0, 0, box.w, box.h);
  cairo_clip(cr_);
  cairo_scale(cr_, box.w / pw, box.h / ph);
  cairo_set_source_surface(cr_, s, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

// A pattern colour tiles its image at the image's point size.
void Painter::paint_pattern(id colour, const Box& box) {
  id image = as<UIColorObj>(colour)->pattern_image;
  if (!image || !is_kind_of(image, "UIImage")) return;
  CGImageRef bitmap = send<CGImageRef>(image, sel("CGImage"));
  CGSize points = send<CGSize>(image, sel("size"));
  cairo_surface_t* s = bitmap ? surface_for(bitmap) : nullptr;
  if (!s || !(points.width > 0) || !(points.height > 0)) return;
  cairo_save(cr_);
  shape(box);
  cairo_clip(cr_);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(s);
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, cairo_image_surface_get_width(s) / points.width,
                          cairo_image_surface_get_height(s) / points.height);
  cairo_pattern_set_matrix(p, &m);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
  cairo_set_source(cr_, p);
  cairo_paint(cr_);
  cairo_pattern_destroy(p);
  cairo_restore(cr_);
}

void Painter::paint_material(id view, Material material, const Box& box) {
  if (!(box.w > 0) || !(box.h > 0)) return;
  cairo_save(cr_);
  shape(box);
  cairo_clip(cr_);
  paint_blurred_backdrop(cr_, 0, 0, box.w, box.h, material_blur_radius(material));
  set_colour(cr_, material_tint(view, material));
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void Painter::paint_header(id view, const Box& box) {
  const double icon = std::min(20.0, std::max(box.h - 8, 0.0));
  const double mid = std::min(box.h, 30.0) / 2 + 2;  // centred on the tinted strip
  id icons = send<id>(view, sel("icons"));
  id first = nullptr;
  if (icons && is_kind_of(icons, "NSArray") && !as<NSArrayObj>(icons)->items.empty())
    first = as<NSArrayObj>(icons)->items[0];
  double text_x = 12;
  if (first && icon > 0) {
    cairo_save(cr_);
    cairo_translate(cr_, 10, mid - icon / 2);
    paint_image(first, Box{icon, icon, 0}, true);
    cairo_restore(cr_);
    text_x = 10 + icon + 8;
  }
  HeaderWords words = header_words(view);
  TextStyle name{12.5, false, secondary_text_colour(view), Align::Left};
  TextStyle time = name;
  time.align = Align::Right;
  double time_width = *words.time ? text_width(cr_, words.time, time) + 12 : 0;
  draw_text(cr_, words.app_name, text_x, mid + 4.5, name, box.w - text_x - time_width - 12);
  if (*words.time) draw_text(cr_, words.time, box.w - 12, mid + 4.5, time);
}

void Painter::paint_lines(id view, Content content, const Box& box) {
  size_t count = 0;
  const BodyLine* lines = body_lines(content, &count);
  const bool banner = content == Content::BannerText;
  double baseline = banner ? 17 : 24;
  for (size_t i = 0; i < count; ++i) {
    const BodyLine& line = lines[i];
    TextStyle style{line.secondary ? 13.0 : 15.0, line.bold,
                    line.secondary ? secondary_text_colour(view) : primary_text_colour(view), Align::Left};
    if (baseline > box.h - 3) break;
    draw_text(cr_, line.text, banner ? 12 : 14, baseline, style, box.w - 28);
    baseline += banner ? 20 : (line.secondary ? 26 : 19);
  }
}

// The label's text on one line, centred in its height, in its text colour.
void Painter::paint_label(id view, const Box& box) {
  auto ink = colour_of(send<id>(view, sel("textColor")));
  std::string text = string_value(send<id>(view, sel("text")));
  if (!ink || text.empty()) return;
  draw_text(cr_, text, 0, box.h / 2 + 5.5, TextStyle{16, false, *ink, Align::Left}, box.w);
}

// The first label in the view's subtree, breadth first, or nil.
id first_label(id view) {
  std::vector<id> queue{view};
  for (size_t i = 0; i < queue.size() && i < 64; ++i) {
    if (i > 0 && is_kind_of(queue[i], "UILabel")) return queue[i];
    for (id sub : subviews_of(queue[i])) queue.push_back(sub);
  }
  return nullptr;
}

// A separator above every row but the first, and the action's symbol, in the
// colour of the row's title.
void Painter::paint_menu_row(id view, const Box& box) {
  auto ink = colour_of(send<id>(first_label(view), sel("textColor")));
  if (!ink) return;
  size_t index = index_among(view, view->isa->name.c_str());
  if (index > 0) {
    Rgba line = *ink;
    line[3] *= 0.22;
    set_colour(cr_, line);
    cairo_rectangle(cr_, 0, 0, box.w, 0.5);
    cairo_fill(cr_);
  }
  draw_menu_symbol(cr_, index, box.w - 26, box.h / 2, *ink);
}

// The source lies elsewhere (it is not the portal's subview); it is drawn
// with its origin at the portal's.
void Painter::draw_portal_source(id portal, int depth) {
  id source = send<id>(portal, sel("sourceView"));
  if (!source || !is_kind_of(source, "UIView")) return;
  const CGRect f = send<CGRect>(source, sel("frame"));
  if (!finite_rect(f)) return;
  cairo_save(cr_);
  cairo_translate(cr_, -f.origin.x, -f.origin.y);
  path_.push_back(portal);
  draw(source, depth + 1);
  path_.pop_back();
  cairo_restore(cr_);
}

// Drawn in the bar's foreground colour; a bar given none draws in the colour
// of its own style (1: white glyphs, anything else: black).
void Painter::paint_status_bar(id view, const Box& box) {
  std::optional<Rgba> ink;
  if (responds(view, "foregroundColor")) ink = colour_of(send<id>(view, sel("foregroundColor")));
  if (!ink) {
    bool light_content = responds(view, "currentStyle") && send<NSInteger>(view, sel("currentStyle")) == 1;
    ink = light_content ? Rgba{1, 1, 1, 1} : Rgba{0, 0, 0, 1};
  }
  draw_status_bar_glyphs(cr_, box.w, box.h, *ink);
}

void Painter::paint_content(id view, const Look& look, const Box& box) {
  switch (look.content) {
    case Content::None: return;
    case Content::Image:
    case Content::IconImage: paint_image(shown_image(view), box, look.content == Content::IconImage); return;
    case Content::HeaderRow: paint_header(view, box); return;
    case Content::BannerText:
    case Content::WidgetText: paint_lines(view, look.content, box); return;
    case Content::Label: paint_label(view, box); return;
    case Content::MenuRow: paint_menu_row(view, box); return;
    case Content::Portal: return;  // drawn with the subviews, by draw_portal_source
    case Content::StatusBar: paint_status_bar(view, box); return;
    case Content::FolderGrid: draw_folder_grid(cr_, box.w, box.h); return;
  }
}

void Painter::draw(id view, int depth) {
  if (!view || !is_kind_of(view, "UIView") || depth > kMaxDepth) return;
  if (std::find(path_.begin(), path_.end(), view) != path_.end()) return;  // a subview cycle
  if (send<BOOL>(view, sel("isHidden"))) return;
  const double alpha = send<double>(view, sel("alpha"));
  if (!(alpha > 0)) return;
  const CGRect frame = send<CGRect>(view, sel("frame"));
  if (!finite_rect(frame) || std::fabs(frame.origin.x) > kFar || std::fabs(frame.origin.y) > kFar) return;

  const Look look = look_for(view);
  id layer = send<id>(view, sel("layer"));
  double radius = layer ? send<double>(layer, sel("cornerRadius")) : 0;
  if (!std::isfinite(radius) || radius < 0) radius = 0;
  Box box{std::clamp(frame.size.width, 0.0, kFar), std::clamp(frame.size.height, 0.0, kFar), radius};
  if (radius == 0) box.radius = look.icon_shape ? icon_corner_radius(std::min(box.w, box.h)) : look.radius;
  const bool clips = send<BOOL>(view, sel("clipsToBounds"));

  cairo_save(cr_);
  cairo_translate(cr_, frame.origin.x, frame.origin.y);
  const bool group = alpha < 1;
  if (group) cairo_push_group(cr_);

  if (look.material != Material::None) paint_material(view, look.material, box);
  id background = send<id>(view, sel("backgroundColor"));
  if (box.w > 0 && box.h > 0) {
    if (auto c = colour_of(background)) {
      set_colour(cr_, *c);
      shape(box);
      cairo_fill(cr_);
    } else if (background && is_kind_of(background, "UIColor") &&
               as<UIColorObj>(background)->kind == UIColorObj::Pattern) {
      paint_pattern(background, box);
    }
  }
  if (clips) {
    shape(box);
    cairo_clip(cr_);
  }
  paint_content(view, look, box);

  path_.push_back(view);
  for (id sub : subviews_of(view)) draw(sub, depth + 1);
  path_.pop_back();
  if (look.content == Content::Portal) draw_portal_source(view, depth);

  if (group) {
    cairo_pop_group_to_source(cr_);
    cairo_paint_with_alpha(cr_, std::min(alpha, 1.0));
  }
  cairo_restore(cr_);
}

}  // namespace

void draw_view(cairo_t* cr, id view, CGPoint origin) {
  AutoreleasePool pool;
  Painter painter(cr);
  cairo_save(cr);
  cairo_translate(cr, origin.x, origin.y);
  painter.draw(view, 0);
  cairo_restore(cr);
}

CGRect frame_in_root(id view) {
  CGRect frame = send<CGRect>(view, sel("frame"));
  int depth = 0;
  for (id at = send<id>(view, sel("superview")); at && depth < kMaxDepth;
       at = send<id>(at, sel("superview")), ++depth) {
    CGRect f = send<CGRect>(at, sel("frame"));
    frame.origin.x += f.origin.x;
    frame.origin.y += f.origin.y;
  }
  return frame;
}

}  // namespace sim::render
