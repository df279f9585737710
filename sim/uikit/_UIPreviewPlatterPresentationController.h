// _UIPreviewPlatterPresentationController : UIPresentationController: what
// presents a force-touch preview. It owns the content platter view
// (_contentPlatterView, a _UIPreviewPlatterView), the platter's container
// (_platterContainerView), the transition view (_platterTransitionView), the
// actions view (_actionsView, a _UIContextMenuActionsListView) and the pan
// controller (_platterPanController, retained); the first four are readonly.
//
// Where the dumps say nothing, the host's choices are:
// - The pan controller is made, by message (so that hooks on the initialiser
//   run), with the container, the content platter view and the actions view.
// - The container holds the actions view, then the platter in front of it.
//   The platter hangs at (24, 160) in the container at the size of what it
//   shows; the menu, 250 points wide with 44 points a row, 12 points below.
// - When the menu appears the host runs the actions view's layout pass,
//   then the platter view's: the container lays its subviews out back to
//   front (lay_out_presented_menu).
// - The transition view is made, screen-sized, and holds nothing.
// - On the phone the view a preview was raised from belongs to the screen it
//   was raised from (the home screen's icon), and the portal of iOS 14 only
//   refers to it weakly. No home screen stands around a script's platter, so
//   the presentation keeps that view alive itself, in a member that the
//   runtime lists as no instance variable.
// - With `plain_platter_view` it hands the pan controller a plain UIView as
//   the platter view, in the container in place of the platter; the content
//   platter view is still made and owned, but shown nowhere.
#pragma once

#include "sim/runtime/runtime.h"
#include "sim/uikit/_UIContextMenuActionsListView.h"

namespace sim {

struct PlatterPresentationObj : objc_object {
  Strong platter_container_view;   // _platterContainerView
  Strong platter_transition_view;  // _platterTransitionView
  Strong content_platter_view;     // _contentPlatterView
  Strong actions_view;             // _actionsView
  Strong platter_pan_controller;   // _platterPanController
  Strong preview_source;           // the view the preview shows (no instance variable)
};

struct PlatterPresentationOptions {
  int items = 3;  // menu rows (a negative count is none)
  MenuBackground background = MenuBackground::Standard;
  bool plain_platter_view = false;
};

// The host raises a preview platter: the views, framed and coloured for the
// current style, then the pan controller. `icon` is the image of the icon the
// platter was raised from, or nil (a preview of plain content). Returns the
// presentation controller (autoreleased); its platterPanController is nil
// when the initialiser gave nil.
id make_platter_presentation(id icon, const PlatterPresentationOptions& options);

// What the host does when the menu appears, given the pan controller: the
// layout passes of its actions view, then of its platter view (a phone's pan
// controller has no layout pass of its own). Views the controller no longer
// reaches are skipped.
void lay_out_presented_menu(id pan_controller);

}  // namespace sim
