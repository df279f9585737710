#include "surfaces/platter/platter_theme.h"

#include "core/host_style.h"
#include "core/names.h"
#include "core/private_parts.h"
#include "core/settings.h"
#include "core/signals.h"

namespace corvane::platter {
namespace {

constexpr double kMenuCornerRadius = 14.0;
constexpr double kBackingAlpha = 0.4;
constexpr double kLightBackingWhite = 0.8;
constexpr double kDarkBackingWhite = 0.2;

// Each private key is read only from an object of the class that declares
// it (nil otherwise): the host hands the controller views the dumps cannot
// vouch for, and asking a view for a key it lacks raises.
constexpr const char* kPanController = "_UIPreviewPlatterPanController";

bool answers(id obj, SEL selector) { return msg<BOOL>(obj, CV_SEL("respondsToSelector:"), selector); }

id actions_view(id controller) { return private_part(controller, kPanController, CV_STR("_actionsView")); }

id collapsed_view(id controller) {
  id platter = private_part(controller, kPanController, CV_STR("_platterView"));
  return private_part(platter, "_UIPreviewPlatterView", CV_STR("_collapsedTransformView"));
}

// Action-group layout: the view the platter was raised from.
id source_view(id controller) { return msg<id>(collapsed_view(controller), CV_SEL("sourceView")); }

// List layout: the image of the view the platter's portal shows. A portal
// source that cannot give its contents image (the platter was not raised
// from an icon) yields nil rather than an unanswered message.
id portal_source_image(id controller) {
  id portal = private_part(collapsed_view(controller), "_UIPlatterTransformView", CV_STR("_portalView"));
  id source = private_part(portal, "_UIPortalView", CV_STR("_sourceView"));
  if (!answers(source, CV_SEL("contentsImage"))) return nullptr;
  return msg<id>(source, CV_SEL("contentsImage"));
}

// The icon tint of `image` passed through `derivation`
// (lighterColorForColor: or darkerColorForColor:), by the controller's own
// colour methods.
id derived_tint(id controller, id image, SEL derivation) {
  id icon_colour = msg<id>(controller, CV_SEL("adaptiveColorForImage:"), image);
  return msg<id>(controller, derivation, icon_colour);
}

void set_background(id view, id colour) { msg<void>(view, CV_SEL("setBackgroundColor:"), colour); }

}  // namespace

MenuLayout current_menu_layout() {
  return system_is_ios14_or_later() ? MenuLayout::List : MenuLayout::ActionGroup;
}

void subscribe_to_retheme(id controller) {
  if (!controller || !settings.forceTouch) return;
  subscribe_once(controller, CV_SEL("configureTintEffect"), names::kRethemeSignal);
}

void lay_grey_backing(id menu_group, id menu_background) {
  msg<void>(menu_background, CV_SEL("setHidden:"), (BOOL) true);
  double white = current_system_style() == kLightStyle ? kLightBackingWhite : kDarkBackingWhite;
  set_background(menu_group, msg<id>(cls("UIColor"), CV_SEL("colorWithWhite:alpha:"), white, kBackingAlpha));
}

void round_menu_corners(id menu_group) {
  msg<void>(msg<id>(menu_group, CV_SEL("layer")), CV_SEL("setCornerRadius:"), kMenuCornerRadius);
  msg<void>(menu_group, CV_SEL("setClipsToBounds:"), (BOOL) true);
}

void tint_menu_group(id controller, id menu_group) {
  SEL derivation;
  if (settings.lightColorTint && current_system_style() == kLightStyle)
    derivation = CV_SEL("lighterColorForColor:");
  else if (settings.darkColorTint && current_system_style() == kDarkStyle)
    derivation = CV_SEL("darkerColorForColor:");
  else return;
  if (!answers(source_view(controller), CV_SEL("iconImageSnapshot"))) return;
  id image = msg<id>(source_view(controller), CV_SEL("iconImageSnapshot"));
  set_background(menu_group, derived_tint(controller, image, derivation));
}

void tint_menu_background_children(id controller, id menu_background) {
  SEL derivation;
  if (settings.darkColorTint && current_system_style() == kDarkStyle)
    derivation = CV_SEL("darkerColorForColor:");
  else if (settings.lightColorTint) derivation = CV_SEL("lighterColorForColor:");
  else return;
  id image = portal_source_image(controller);
  id holder =
      answers(menu_background, CV_SEL("visualEffectView"))
          ? private_part(menu_background, "_UIElasticContextMenuBackgroundView", CV_STR("_visualEffectView"))
          : menu_background;
  id children = msg<id>(holder, CV_SEL("subviews"));
  NSUInteger count = msg<NSUInteger>(children, CV_SEL("count"));
  for (NSUInteger i = 0; i < count; ++i) {
    id child = msg<id>(children, CV_SEL("objectAtIndex:"), i);
    // Sampled again for every child; the image does not change meanwhile,
    // so every child gets the same colour.
    set_background(child, derived_tint(controller, image, derivation));
  }
}

void configure_tint_effect(id controller) {
  const bool list = current_menu_layout() == MenuLayout::List;
  constexpr const char* kActionsList = "_UIContextMenuActionsListView";
  id actions = actions_view(controller);
  id menu_group = list ? private_part(actions, kActionsList, CV_STR("_currentCollectionView"))
                       : private_part(actions, kActionsList, CV_STR("_currentActionGroupView"));
  if (!menu_group) return;  // no menu, nothing to style
  id menu_background = private_part(menu_group, list ? "UICollectionView" : "UIInterfaceActionGroupView",
                                    CV_STR("_backgroundView"));
  if (settings.blurryForceTouch) lay_grey_backing(menu_group, menu_background);
  round_menu_corners(menu_group);
  if (list) tint_menu_background_children(controller, menu_background);
  else tint_menu_group(controller, menu_group);
}

void announce_platter_layout(id platter_view) {
  if (settings.forceTouch) post_local(names::kRethemeSignal, platter_view);
}

}  // namespace corvane::platter
