// UIView (a UIResponder): frames, ordered subviews, background colours,
// hidden flags and alpha, a layer with corner radius and clipping, an
// override style and the effective style, and animation blocks that record
// what they changed.
#pragma once

#include <string>
#include <vector>

#include "sim/runtime/runtime.h"

namespace sim {

// Changes made inside one animation block, for the dump's "animated" field.
struct AnimationRecord {
  uint64_t animation = 0;  // which animateWithDuration: call
  double duration = 0;
  std::vector<std::string> properties;
};

struct UIViewObj : objc_object {
  CGRect frame{};
  // Kept by the view but not as a named instance variable: on a device the
  // colour lives in the view's private state and its layer, so it is read
  // by message (backgroundColor), never by key.
  Strong background_color;
  bool hidden = false;
  double alpha = 1;
  Strong layer;  // _layer
  Weak superview;
  std::vector<Strong> subviews;  // back to front
  NSInteger override_style = 0;
  std::vector<AnimationRecord> animations;
};

// The style the view draws in: its override, else the nearest ancestor's,
// else the system's (1 light, 2 dark).
NSInteger effective_style(id view);
NSInteger system_style();

// Records a property change for the dump when made inside an animation.
void note_view_change(id view, const char* property);

// Takes (and clears) the animation records of a view.
std::vector<AnimationRecord> take_animations(id view);

// Host-side helpers: a new view (autoreleased) of a class, framed.
id make_view(const char* class_name, CGRect frame);
// Adds a subview through the runtime, as the host does.
void add_subview(id parent, id child);

}  // namespace sim
