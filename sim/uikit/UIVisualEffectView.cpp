#include "sim/uikit/UIVisualEffectView.h"

#include "sim/runtime/host_classes.h"
#include "sim/uikit/_UIVisualEffectBackdropView.h"
#include "sim/uikit/_UIVisualEffectContentView.h"
#include "sim/uikit/_UIVisualEffectSubview.h"

namespace sim {
namespace {

id content_view(id self, SEL) { return as<UIVisualEffectViewObj>(self)->content_view; }

Class install() {
  Class c = define_class<UIVisualEffectViewObj>("UIVisualEffectView", ensure_class("UIView"));
  def(c, "contentView", content_view);
  return c;
}

SIM_HOST_CLASS("UIVisualEffectView", Layer::UIKit, install);

}  // namespace

id make_visual_effect_view() {
  id v = make_view("UIVisualEffectView", CGRect{});
  add_subview(v, make_visual_effect_backdrop_view());
  add_subview(v, make_visual_effect_subview());
  id content = make_visual_effect_content_view();
  as<UIVisualEffectViewObj>(v)->content_view = content;
  add_subview(v, content);
  return v;
}

std::vector<id> visual_effect_overlays(id effect_view) {
  std::vector<id> out;
  if (!effect_view || !is_kind_of(effect_view, "UIVisualEffectView")) return out;
  Class overlay = class_named("_UIVisualEffectSubview");
  for (const Strong& v : as<UIViewObj>(effect_view)->subviews)
    if (v.get()->isa == overlay) out.push_back(v);
  return out;
}

}  // namespace sim
