// _UIPreviewPlatterPanController as the host builds it: the controller of a
// force-touch preview, holding its container view, the platter view (the
// preview of the view it was raised from) and the actions view (the menu
// beneath it).
//
// The view hierarchy follows the running system's version:
//
// below iOS 14                          iOS 14 and later
// _UIPreviewPlatterView                 _UIPreviewPlatterView
//  _collapsedTransformView               _collapsedTransformView
//   sourceView: SBIconView                _portalView: _UIPortalView
//    _iconImageView: SBIconImageView       _sourceView: SBIconImageView
// _UIContextMenuActionsView             _UIContextMenuView
//  _currentActionGroupView               _currentCollectionView
//   _backgroundView                       _backgroundView
//    (the blur)                            (the blur)
//                                           _UIVisualEffectBackdropView
//                                           _UIVisualEffectSubview
//   _UIContextMenuCell x items            _UIContextMenuCell x items
//
// The menu background is a _UIContextMenuBackgroundView (effect = YES: it
// answers visualEffectView and its _visualEffectView, a UIVisualEffectView,
// is the blur) or a plain UIView that is the blur itself (effect = NO). In
// both layouts the rows are cells of the group view, in front of its
// background. From iOS 14 the blur holds its backdrop and an overlay that
// carries the effect's tint; below iOS 14 the blur view carries the tint
// itself.
//
// A preview not raised from an icon (icon nil, or no home-screen icon
// classes in the process) shows a plain content view instead of the icon
// views, which answers neither iconImageSnapshot nor contentsImage.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

struct PlatterControllerObj : objc_object {
  Strong container_view;  // _containerView
  Strong platter_view;    // _platterView
  Strong actions_view;    // _actionsView
};

// The host raises a preview platter: the views above, then the controller,
// allocated and initialised with initWithContainerView:platterView:
// actionsView: by message, so that hooks on the initialiser run. The views
// are framed and coloured for the current style. `icon` is the image of the
// icon the platter was raised from, or nil; `items` the number of menu rows
// (a negative count is none); `effect` whether the menu background answers
// visualEffectView. Returns the controller (autoreleased), or nil when the
// initialiser gives nil.
id make_platter_controller(id icon, int items, bool effect);

}  // namespace sim
