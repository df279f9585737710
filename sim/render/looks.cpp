#include "sim/render/looks.h"

#include "sim/foundation/foundation.h"
#include "sim/runtime/object.h"
#include "sim/uikit/UIColor.h"
#include "sim/uikit/UIView.h"

namespace sim::render {
namespace {

struct Rule {
  const char* view_class;   // the view is of this class or a subclass; nullptr: any view
  const char* owner_class;  // its superview is of this class or a subclass; nullptr: any
  const char* role;         // the superview's instance variable holding it; nullptr: any
  Look look;
};

// MTMaterialView's recipe for a widget's header strip (the home screen's
// kMaterialRecipePlatterHeader, a floor the renderer does not include).
constexpr NSInteger kHeaderStripRecipe = 2;

constexpr Look material(Material m, double radius = 0) { return Look{m, Content::None, false, radius}; }
constexpr Look content(Content c) { return Look{Material::None, c, false, 0}; }

// First match wins, so the more particular rules come first.
constexpr Rule kRules[] = {
    // --- materials ---------------------------------------------------------------
    // The home screen's material views are tinted by their recipe for the
    // style they draw in: banners' and widgets' backdrops and widget header
    // strips.
    {"MTMaterialView", nullptr, nullptr, material(Material::Host)},
    // The same parts held by views of other classes still draw a material.
    {nullptr, "PLPlatterView", "_backgroundView", material(Material::Platter)},
    {nullptr, "WGWidgetPlatterView", "_backgroundView", material(Material::Platter)},
    {nullptr, "WGWidgetPlatterView", "_headerBackgroundView", material(Material::PlatterHeader)},
    // The dock's background view is the dock's material, a rounded platter.
    {nullptr, "SBDockView", "_backgroundView", material(Material::Dock, 30)},
    // A closed folder is an icon of material with miniature icons on it.
    {"SBFolderIconImageView", nullptr, nullptr, Look{Material::FolderIcon, Content::FolderGrid, true, 0}},
    // An open folder's backing.
    {"SBFolderBackgroundView", nullptr, nullptr, material(Material::FolderBackground)},
    // An effect view (a force-touch menu's blur): its backdrop view blurs
    // what lies behind, its overlays hold the tint as their backgroundColor.
    {"_UIVisualEffectBackdropView", nullptr, nullptr, material(Material::MenuBlur)},

    // --- content -----------------------------------------------------------------
    {"UIStatusBar", nullptr, nullptr, content(Content::StatusBar)},
    {"UIStatusBar_Modern", nullptr, nullptr, content(Content::StatusBar)},
    {"PLPlatterHeaderContentView", nullptr, nullptr, content(Content::HeaderRow)},
    {nullptr, "PLPlatterView", "_customContentView", content(Content::BannerText)},
    {nullptr, "WGWidgetPlatterView", "_contentView", content(Content::WidgetText)},
    {"UILabel", nullptr, nullptr, content(Content::Label)},
    // A force-touch menu's rows: below iOS 14 the views of the action
    // group's sequence view, from iOS 14 the list's cells.
    {nullptr, "_UIInterfaceActionRepresentationsSequenceView", nullptr, content(Content::MenuRow)},
    {"_UIContextMenuActionsListCell", nullptr, nullptr, content(Content::MenuRow)},
    // A portal shows its source view, which lies elsewhere.
    {"_UIPortalView", nullptr, nullptr, content(Content::Portal)},
    // Home-screen icons are masked to the icon shape.
    {"SBIconImageView", nullptr, nullptr, content(Content::IconImage)},
};

// The selector a view answers its image to: contentsImage (an icon's image
// view), else image; nullptr when it answers neither with an object.
SEL image_selector(id view) {
  for (const char* name : {"contentsImage", "image"}) {
    const char* types = sim_class_method_types(view->isa, sel(name));
    if (types && types[0] == '@') return sel(name);
  }
  return nullptr;
}

bool is_light(id view) { return effective_style(view) == 1; }

}  // namespace

std::string role_in(id owner, id view) {
  if (!owner || !view) return {};
  for (Class c = owner->isa; c; c = c->superclass)
    for (const Ivar& iv : c->ivars)
      if (iv.is_object() && iv.object_in(owner) == view) return iv.name;
  return {};
}

Look look_for(id view) {
  id owner = send<id>(view, sel("superview"));
  std::string role;
  bool role_known = false;
  for (const Rule& r : kRules) {
    if (r.view_class && !is_kind_of(view, r.view_class)) continue;
    if (r.owner_class && !(owner && is_kind_of(owner, r.owner_class))) continue;
    if (r.role) {
      if (!role_known) {
        role = role_in(owner, view);
        role_known = true;
      }
      if (role != r.role) continue;
    }
    return r.look;
  }
  return image_selector(view) ? content(Content::Image) : Look{};
}

std::array<double, 4> material_tint(id view, Material m) {
  const bool light = is_light(view);
  switch (m) {
    case Material::None:
    case Material::MenuBlur: return {0, 0, 0, 0};
    case Material::Host: {
      // A header strip's recipe is a touch more opaque than the platter
      // body's, so the strip reads as a band.
      bool header = class_respondsToSelector(view->isa, sel("recipe")) &&
                    send<NSInteger>(view, sel("recipe")) == kHeaderStripRecipe;
      return material_tint(view, header ? Material::PlatterHeader : Material::Platter);
    }
    case Material::Platter:
      return light ? std::array{0.97, 0.97, 0.97, 0.72} : std::array{0.12, 0.12, 0.12, 0.70};
    case Material::PlatterHeader:
      return light ? std::array{0.97, 0.97, 0.97, 0.82} : std::array{0.12, 0.12, 0.12, 0.80};
    case Material::Dock:
      return light ? std::array{0.94, 0.94, 0.95, 0.78} : std::array{0.11, 0.11, 0.12, 0.74};
    case Material::FolderIcon:
      return light ? std::array{0.93, 0.93, 0.95, 0.60} : std::array{0.16, 0.16, 0.18, 0.62};
    case Material::FolderBackground:
      return light ? std::array{0.95, 0.95, 0.96, 0.70} : std::array{0.10, 0.10, 0.11, 0.70};
  }
  return {0, 0, 0, 0};
}

double material_blur_radius(Material m) {
  switch (m) {
    case Material::None: return 0;
    case Material::Host:
    case Material::Platter:
    case Material::PlatterHeader: return 14;
    case Material::Dock: return 16;
    case Material::FolderIcon: return 8;
    case Material::FolderBackground: return 18;
    case Material::MenuBlur: return 18;
  }
  return 0;
}

std::array<double, 4> primary_text_colour(id view) {
  return is_light(view) ? std::array{0.0, 0.0, 0.0, 0.88} : std::array{1.0, 1.0, 1.0, 0.92};
}

std::array<double, 4> secondary_text_colour(id view) {
  return is_light(view) ? std::array{0.24, 0.24, 0.27, 0.62} : std::array{0.92, 0.92, 0.96, 0.60};
}

HeaderWords header_words(id header_view) {
  id owner = send<id>(header_view, sel("superview"));
  const bool widget = owner && is_kind_of(owner, "WGWidgetPlatterView");
  HeaderWords words{widget ? "UP NEXT" : "MESSAGES", widget ? "" : "now"};
  if (header_view && class_respondsToSelector(header_view->isa, sel("title"))) {
    // The host shows the application's name in capitals; only ASCII letters
    // change, so UTF-8 text stays intact.
    std::string title = string_value(send<id>(header_view, sel("title")));
    if (!title.empty()) {
      for (char& c : title)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      words.app_name = std::move(title);
    }
  }
  return words;
}

const BodyLine* body_lines(Content c, size_t* count) {
  static constexpr BodyLine kBanner[] = {
      {"Corvane13", true, false},
      {"Banners take their tint from the app's icon.", false, false},
  };
  static constexpr BodyLine kWidget[] = {
      {"Design review", true, false},
      {"10:00 - 11:00  ·  Studio 4", false, true},
      {"Lunch with Sam", true, false},
      {"12:30 - 13:30  ·  Harbour Café", false, true},
  };
  if (c == Content::BannerText) {
    *count = sizeof kBanner / sizeof kBanner[0];
    return kBanner;
  }
  if (c == Content::WidgetText) {
    *count = sizeof kWidget / sizeof kWidget[0];
    return kWidget;
  }
  *count = 0;
  return nullptr;
}

id shown_image(id view) {
  SEL selector = view ? image_selector(view) : nullptr;
  return selector ? send<id>(view, selector) : nullptr;
}

}  // namespace sim::render
