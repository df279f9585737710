// The hook table, group by group in installation order.
#include "appearance/arbiter_hooks.h"
#include "colour/colour_methods.h"
#include "core/properties.h"
#include "entry/hook_installer.h"
#include "surfaces/banners/banner_hooks.h"
#include "surfaces/home/home_hooks.h"
#include "surfaces/platter/platter_hooks.h"
#include "surfaces/statusbar/statusbar_hooks.h"
#include "surfaces/widgets/widget_hooks.h"

namespace corvane {
namespace {

void add_change_listener(HookInstaller& t, PropertyOwner owner) {
  PropertyAccessors p = property_accessors(owner);
  t.add_property("hasChangeListener", "setHasChangeListener:", p.has_change_listener,
                 p.set_has_change_listener, "B");
}

void add_header_tint_view(HookInstaller& t, PropertyOwner owner) {
  PropertyAccessors p = property_accessors(owner);
  t.add_property("headerTintView", "setHeaderTintView:", p.header_tint_view, p.set_header_tint_view, "@");
}

void add_colour_methods(HookInstaller& t, ColourOwner owner) {
  ColourMethods c = colour_methods(owner);
  t.add("adaptiveColorForImage:", c.adaptive_color, "@@:@");
  if (c.adaptive_alternate_color)
    t.add("adaptiveAlternateColorForImage:", c.adaptive_alternate_color, "@@:@");
  t.add("lighterColorForColor:", c.lighter_color, "@@:@");
  t.add("darkerColorForColor:", c.darker_color, "@@:@");
}

void install_status_bar(HookInstaller& t, const char* name, statusbar::StatusBarClass which,
                        PropertyOwner owner) {
  statusbar::StatusBarHooks h = statusbar::statusbar_hooks(which);
  t.begin_class(name);
  t.hook("layoutSubviews", h.layout_subviews, h.saved_layout_subviews);
  t.add("darkModeChanged", h.dark_mode_changed, "v@:");
  t.hook("setForegroundColor:", h.set_foreground_color, h.saved_set_foreground_color);
  add_change_listener(t, owner);
}

}  // namespace

void install_hook_table() {
  HookInstaller t;

  // 1, 2: status bars
  install_status_bar(t, "UIStatusBar", statusbar::StatusBarClass::Legacy, PropertyOwner::StatusBar);
  install_status_bar(t, "UIStatusBar_Modern", statusbar::StatusBarClass::Modern,
                     PropertyOwner::StatusBarModern);

  // 3: notification banners
  banners::BannerHooks banner = banners::banner_hooks();
  t.begin_class("NCNotificationShortLookView");
  t.hook("layoutSubviews", banner.layout_subviews, banner.saved_layout_subviews);
  t.add("updateNotificationTheme", banner.update_notification_theme, "v@:");
  add_colour_methods(t, ColourOwner::Banner);
  add_change_listener(t, PropertyOwner::Banner);
  add_header_tint_view(t, PropertyOwner::Banner);

  // 4: widgets
  widgets::WidgetHooks widget = widgets::widget_hooks();
  t.begin_class("WGWidgetPlatterView");
  t.hook("layoutSubviews", widget.layout_subviews, widget.saved_layout_subviews);
  for (int i = 0; i < widgets::kTriggerCount; ++i)
    t.hook(widgets::kTriggerSelectors[i], widget.triggers[i], widget.saved_triggers[i]);
  t.add("updateWidgetTheme", widget.update_widget_theme, "v@:");
  add_colour_methods(t, ColourOwner::Widget);
  add_change_listener(t, PropertyOwner::Widget);
  add_header_tint_view(t, PropertyOwner::Widget);

  // 5: the style arbiter
  appearance::ArbiterHooks arbiter = appearance::arbiter_hooks();
  t.begin_class("UIUserInterfaceStyleArbiter");
  t.hook("_updateCurrentStyleAndNotify:forReason:", arbiter.update_current_style,
         arbiter.saved_update_current_style);
  t.hook("userInterfaceStyleModeDidChange:", arbiter.mode_did_change, arbiter.saved_mode_did_change);
  t.hook("_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:", arbiter.log_change_event,
         arbiter.saved_log_change_event);
  t.add("darkModeChanged:", arbiter.dark_mode_changed, "v@:B");

  // 6, 7: preview platters
  platter::PlatterHooks platter = platter::platter_hooks();
  t.begin_class("_UIPreviewPlatterPanController");
  t.hook("initWithContainerView:platterView:actionsView:", platter.init_with_views,
         platter.saved_init_with_views);
  t.hook("viewDidLayoutSubviews", platter.view_did_layout, platter.saved_view_did_layout);
  t.add("configureTintEffect", platter.configure_tint_effect, "v@:");
  add_colour_methods(t, ColourOwner::PlatterController);
  add_change_listener(t, PropertyOwner::PlatterController);
  t.begin_class("_UIPreviewPlatterView");
  t.hook("layoutSubviews", platter.platter_view_layout, platter.saved_platter_view_layout);

  // 8-11: the home screen
  home::HomeHooks home = home::home_hooks();
  t.begin_class("SBDockView");
  t.hook("layoutSubviews", home.dock_layout, home.saved_dock_layout);
  t.begin_class("SBFolderIconImageView");
  t.hook("layoutSubviews", home.folder_icon_layout, home.saved_folder_icon_layout);
  t.begin_class("SBFolderBackgroundView");
  t.hook("layoutSubviews", home.folder_background_layout, home.saved_folder_background_layout);
  t.begin_class("SBUIController", /*class_side=*/true);
  t.hook(home::kZoomViewSelector, home.zoom_view, home.saved_zoom_view);
}

}  // namespace corvane
