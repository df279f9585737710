// SBUIController: the class method that builds the launch zoom view, the
// view the home screen animates when an application opens or closes.
//
// The zoom view is a plain view framed at the origin with the snapshot's
// size; it holds one subview, filling it, that shows the snapshot (its
// background is a pattern colour of the snapshot image). Without a snapshot
// there is nothing to zoom and the method answers nil. The scene handle,
// display configuration, orientation, status bar descriptor and decode flag
// do not change the view.
#include "sim/springboard/SBUIController.h"

#include <algorithm>

#include "sim/runtime/host_classes.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/UIView.h"

namespace sim {
namespace {

constexpr double kMaxSnapshotPixels = 2048;

id zoom_view(id, SEL, id /*scene_handle*/, id /*display_configuration*/, NSInteger /*orientation*/,
             id snapshot, CGSize snapshot_size, id /*status_bar_descriptor*/, BOOL /*decode_image*/) {
  if (!snapshot) return nullptr;
  CGRect frame{{0, 0}, snapshot_size};
  id view = make_view("UIView", frame);
  id contents = make_view("UIView", frame);
  id pattern =
      send<id>(reinterpret_cast<id>(class_named("UIColor")), sel("colorWithPatternImage:"), snapshot);
  send<void>(contents, sel("setBackgroundColor:"), pattern);
  add_subview(view, contents);
  return view;
}

Class install() {
  Class c = define_class<objc_object>("SBUIController", ensure_class("NSObject"));
  def_class(c, kZoomViewSelector, zoom_view);
  return c;
}

SIM_HOST_CLASS("SBUIController", Layer::SpringBoard, install);

}  // namespace

id request_zoom_view(CGSize snapshot_size) {
  // Snapshots of very large sizes are taken at a reduced scale, so that the
  // bitmap stays within 2048 pixels a side.
  double longest = std::max(snapshot_size.width, snapshot_size.height);
  double scale = longest > kMaxSnapshotPixels ? kMaxSnapshotPixels / longest : 1.0;
  id snapshot = make_solid_image(200, 200, 200, 255, snapshot_size, scale);
  constexpr NSInteger kPortrait = 1;
  return send<id>(reinterpret_cast<id>(class_named("SBUIController")), sel(kZoomViewSelector),
                  static_cast<id>(nullptr), static_cast<id>(nullptr), kPortrait, snapshot, snapshot_size,
                  static_cast<id>(nullptr), static_cast<BOOL>(YES));
}

}  // namespace sim
