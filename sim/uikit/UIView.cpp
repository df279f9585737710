#include "sim/uikit/UIView.h"

#include <algorithm>

#include "sim/foundation/foundation.h"
#include "sim/runtime/block.h"
#include "sim/runtime/host_classes.h"
#include "sim/seam_services.h"

namespace sim {
namespace {

UIViewObj* view(id self) { return as<UIViewObj>(self); }

// The animation blocks running now, innermost last.
struct RunningAnimation {
  uint64_t animation;
  double duration;
};
std::vector<RunningAnimation> g_running;
uint64_t g_next_animation = 1;
RuntimeStopHook g_reset([] { g_running.clear(); });

id init_with_frame(id self, SEL, CGRect frame) {
  view(self)->frame = frame;
  view(self)->layer = objc_autorelease(alloc_instance(ensure_class("CALayer")));
  return self;
}
// init is initWithFrame: with a zero frame, by message so that subclasses'
// initialisers run.
id init(id self, SEL) { return send<id>(self, sel("initWithFrame:"), CGRect{}); }

CGRect frame(id self, SEL) { return view(self)->frame; }
void set_frame(id self, SEL, CGRect f) {
  view(self)->frame = f;
  note_view_change(self, "frame");
}
CGRect bounds(id self, SEL) { return CGRect{{0, 0}, view(self)->frame.size}; }

id background_color(id self, SEL) { return view(self)->background_color; }
void set_background_color(id self, SEL, id colour) {
  // The layer takes the colour's CGColor at once, so anything but a colour
  // raises here, as on the platform, rather than when the view is drawn.
  if (colour && !is_kind_of(colour, "UIColor")) send<void*>(colour, sel("CGColor"));
  view(self)->background_color = colour;
  note_view_change(self, "backgroundColor");
}
BOOL is_hidden(id self, SEL) { return view(self)->hidden; }
void set_hidden(id self, SEL, BOOL h) {
  view(self)->hidden = h;
  note_view_change(self, "hidden");
}
double alpha(id self, SEL) { return view(self)->alpha; }
void set_alpha(id self, SEL, double a) {
  view(self)->alpha = a;
  note_view_change(self, "alpha");
}
id layer(id self, SEL) { return view(self)->layer; }
BOOL clips_to_bounds(id self, SEL) { return send<BOOL>(view(self)->layer, sel("masksToBounds")); }
void set_clips_to_bounds(id self, SEL, BOOL v) { send<void>(view(self)->layer, sel("setMasksToBounds:"), v); }
NSInteger override_style(id self, SEL) { return view(self)->override_style; }
void set_override_style(id self, SEL, NSInteger s) { view(self)->override_style = s; }

id superview(id self, SEL) { return view(self)->superview; }
id subviews(id self, SEL) {
  std::vector<id> items;
  for (auto& s : view(self)->subviews) items.push_back(s);
  return make_array(items);
}

// Takes child out of its superview's list. The child is asked for its
// superview through the runtime, as the platform's UIKit asks it: an object
// that is not a view does not answer, and the host raises rather than read
// memory the object does not have.
void detach(id child) {
  id parent = send<id>(child, sel("superview"));
  if (!parent) return;
  auto& list = view(parent)->subviews;
  auto it = std::find_if(list.begin(), list.end(), [&](const Strong& s) { return s.get() == child; });
  if (it != list.end()) {
    objc_retain(child);  // keep it alive while it moves
    list.erase(it);
    objc_autorelease(child);
  }
  view(child)->superview = nullptr;
}

// Whether `v` is `ancestor` or lies inside it.
bool is_within(id v, id ancestor) {
  for (id at = v; at; at = view(at)->superview)
    if (at == ancestor) return true;
  return false;
}

// Adds at the front (the end of the list); a view already elsewhere moves.
// A view cannot take itself or one of its ancestors: that would make a
// cycle, which the platform refuses too.
void add_subview_m(id self, SEL, id child) {
  if (!child || is_within(self, child)) return;
  detach(child);
  view(self)->subviews.emplace_back(child);
  view(child)->superview = self;
}
void insert_subview_at(id self, SEL, id child, NSInteger index) {
  if (!child || is_within(self, child)) return;
  detach(child);
  auto& list = view(self)->subviews;
  size_t at = std::min<size_t>(static_cast<size_t>(std::max<NSInteger>(index, 0)), list.size());
  list.insert(list.begin() + static_cast<long>(at), Strong(child));
  view(child)->superview = self;
}
void move_within(id self, id child, bool to_back) {
  auto& list = view(self)->subviews;
  auto it = std::find_if(list.begin(), list.end(), [&](const Strong& s) { return s.get() == child; });
  if (!child || it == list.end()) return;  // not a subview: nothing moves
  Strong keep = child;
  list.erase(it);
  if (to_back) list.insert(list.begin(), keep);
  else list.push_back(keep);
}
void send_to_back(id self, SEL, id child) { move_within(self, child, true); }
void bring_to_front(id self, SEL, id child) { move_within(self, child, false); }
void remove_from_superview(id self, SEL) { detach(self); }

void layout_subviews(id, SEL) {}  // a plain view lays out nothing
void layout_if_needed(id self, SEL) { send<void>(self, sel("layoutSubviews")); }

void animate(id, SEL, double duration, id block) {
  g_running.push_back({g_next_animation++, duration});
  call_block(block);
  g_running.pop_back();
}

Class install() {
  Class c = define_class<UIViewObj>("UIView", ensure_class("UIResponder"));
  def(c, "initWithFrame:", init_with_frame);
  def(c, "init", init);
  def(c, "frame", frame);
  def(c, "setFrame:", set_frame);
  def(c, "bounds", bounds);
  def(c, "backgroundColor", background_color);
  def(c, "setBackgroundColor:", set_background_color);
  def(c, "isHidden", is_hidden);
  def(c, "setHidden:", set_hidden);
  def(c, "alpha", alpha);
  def(c, "setAlpha:", set_alpha);
  def(c, "layer", layer);
  def(c, "clipsToBounds", clips_to_bounds);
  def(c, "setClipsToBounds:", set_clips_to_bounds);
  def(c, "overrideUserInterfaceStyle", override_style);
  def(c, "setOverrideUserInterfaceStyle:", set_override_style);
  def(c, "superview", superview);
  def(c, "subviews", subviews);
  def(c, "addSubview:", add_subview_m);
  def(c, "insertSubview:atIndex:", insert_subview_at);
  def(c, "sendSubviewToBack:", send_to_back);
  def(c, "bringSubviewToFront:", bring_to_front);
  def(c, "removeFromSuperview", remove_from_superview);
  def(c, "layoutSubviews", layout_subviews);
  def(c, "layoutIfNeeded", layout_if_needed);
  def_class(c, "animateWithDuration:animations:", animate, "v32@0:8d16@?24");
  add_ivar(c, "_layer", offsetof(UIViewObj, layer), "CALayer");
  return c;
}

SIM_HOST_CLASS("UIView", Layer::UIKit, install);

}  // namespace

NSInteger system_style() {
  id arbiter =
      send<id>(reinterpret_cast<id>(class_named("UIUserInterfaceStyleArbiter")), sel("sharedInstance"));
  return send<NSInteger>(arbiter, sel("currentStyle"));
}

NSInteger effective_style(id v) {
  for (id at = v; at; at = view(at)->superview)
    if (view(at)->override_style != 0) return view(at)->override_style;
  return system_style();
}

void note_view_change(id v, const char* property) {
  if (g_running.empty()) return;
  const RunningAnimation& now = g_running.back();
  auto& records = view(v)->animations;
  if (records.empty() || records.back().animation != now.animation)
    records.push_back(AnimationRecord{now.animation, now.duration, {}});
  auto& props = records.back().properties;
  if (std::find(props.begin(), props.end(), property) == props.end()) props.emplace_back(property);
}

std::vector<AnimationRecord> take_animations(id v) {
  std::vector<AnimationRecord> out;
  out.swap(view(v)->animations);
  return out;
}

id make_view(const char* class_name, CGRect frame) {
  id v = send<id>(reinterpret_cast<id>(ensure_class(class_name)), sel("alloc"));
  v = send<id>(v, sel("initWithFrame:"), frame);
  return objc_autorelease(v);
}

void add_subview(id parent, id child) { send<void>(parent, sel("addSubview:"), child); }

}  // namespace sim

extern "C" void sim_animate(double duration, void (*body)(void*), void* context) {
  sim::AutoreleasePool pool;
  id block = sim::make_block(body, context);
  sim::send<void>(reinterpret_cast<id>(sim::class_named("UIView")),
                  sim::sel("animateWithDuration:animations:"), duration, block);
}
