#include "tools/corvane-sim/literal_objects.h"

#include "sim/foundation/foundation.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIImage.h"
#include "tools/corvane-sim/app_icon_image.h"

namespace corvane::cli {

std::optional<std::string> make_icon(const IconSpec& icon, id* out) {
  *out = nullptr;
  switch (icon.kind) {
    case IconSpec::Kind::None: return std::nullopt;
    case IconSpec::Kind::Solid:
      *out = sim::make_solid_image(icon.rgba[0], icon.rgba[1], icon.rgba[2], icon.rgba[3],
                                   CGSize{icon.width, icon.height}, icon.scale);
      return std::nullopt;
    case IconSpec::Kind::Png: {
      std::string error;
      *out = sim::make_png_image(icon.path, 1.0, &error);
      if (!*out) return "cannot read icon " + icon.path + ": " + error;
      return std::nullopt;
    }
    case IconSpec::Kind::App: {
      std::string error;
      *out = load_app_icon(icon.path, &error).image;
      if (!*out) return error;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::string> object_for_literal(const Value& value, id* out) {
  *out = nullptr;
  if (auto* c = std::get_if<RgbaValue>(&value)) *out = sim::make_rgba(c->r, c->g, c->b, c->a);
  else if (auto* w = std::get_if<WhiteValue>(&value)) *out = sim::make_white(w->white, w->alpha);
  else if (std::get_if<PatternValue>(&value)) *out = sim::make_pattern(nullptr);
  else if (auto* image = std::get_if<ImageValue>(&value)) return make_icon(image->icon, out);
  else if (auto* b = std::get_if<bool>(&value)) *out = sim::make_bool(*b);
  else if (auto* i = std::get_if<int64_t>(&value)) *out = sim::make_int(*i);
  else if (auto* d = std::get_if<double>(&value)) *out = sim::make_double(*d);
  else if (auto* s = std::get_if<StringValue>(&value)) *out = sim::make_string(s->text);
  else if (auto* n = std::get_if<NameValue>(&value)) return "'" + n->name + "' is a name, not a literal";
  return std::nullopt;  // nil
}

}  // namespace corvane::cli
