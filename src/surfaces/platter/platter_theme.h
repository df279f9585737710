// Styling of the force-touch preview menu: which of the host's two view
// layouts applies, the grey backing, the rounded corners and the icon tint,
// and the re-theme signal that ties the platter views to their controllers.
#pragma once

#include "platform/platform.h"

namespace corvane::platter {

// The host arranges the menu in one of two ways: an action group view
// (below iOS 14) or a list view whose background children carry the tint
// (iOS 14 and later). Asked afresh at every styling run.
enum class MenuLayout { ActionGroup, List };
MenuLayout current_menu_layout();

// Subscribes a new controller to the re-theme signal, once per controller
// and only with forceTouch on. A nil controller subscribes nothing.
void subscribe_to_retheme(id controller);

// The whole styling run of one controller (configureTintEffect).
void configure_tint_effect(id controller);

// Hides the host's menu background and lays a flat translucent grey on the
// menu group view in its place: white 0.8 in the light style, 0.2 otherwise.
void lay_grey_backing(id menu_group, id menu_background);

// Rounds the menu group view's corners to 14 points and clips to them.
void round_menu_corners(id menu_group);

// Action-group layout: the lighter tint in the light style or the darker one
// in the dark style, on the menu group view itself, taken from the icon the
// platter was raised from. Nothing when it was not raised from an icon.
void tint_menu_group(id controller, id menu_group);

// List layout: the darker tint in the dark style (with darkColorTint), else
// the lighter one (with lightColorTint, in any style), on every child of the
// menu background's effect view, or of the menu background itself when it
// has no effect view.
void tint_menu_background_children(id controller, id menu_background);

// After a platter view's layout pass: posts the re-theme signal (with
// forceTouch on), so that every subscribed controller restyles.
void announce_platter_layout(id platter_view);

}  // namespace corvane::platter
