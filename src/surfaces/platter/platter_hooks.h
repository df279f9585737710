// Force-touch preview platters: the controller's initialiser and layout
// hooks, configureTintEffect, and the platter view's layout hook.
#pragma once

#include "platform/platform.h"

namespace corvane::platter {

struct PlatterHooks {
  IMP init_with_views;        // initWithContainerView:platterView:actionsView:
  IMP view_did_layout;        // viewDidLayoutSubviews
  IMP configure_tint_effect;  // added, v@:
  IMP platter_view_layout;    // _UIPreviewPlatterView layoutSubviews
  IMP* saved_init_with_views;
  IMP* saved_view_did_layout;
  IMP* saved_platter_view_layout;
};

PlatterHooks platter_hooks();

}  // namespace corvane::platter
