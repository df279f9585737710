// The simulated host held against what Apple's iOS 13 and 14 frameworks
// declare (public runtime-header dumps of 13.4.1, 14.2 and 14.3): every
// class the library or the host uses, its superclass, the methods and
// instance variables on the class that declares them, with their arm64
// encodings and ownership, and the classes, methods and ivars iOS does not
// have. A host class that drifts from the phone fails here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/runtime/runtime.h"
#include "support/sim_fixture.h"

using namespace sim;
using namespace corvane_test;

namespace {

// Which systems a fact holds on: both, below 14.0, or from 14.0.
enum class On { Both, iOS13, iOS14 };

bool holds_on(On on, bool ios14) { return on == On::Both || (on == On::iOS14) == ios14; }

struct Superclass {
  const char* cls;
  const char* superclass;
  On on = On::Both;
};

// clang-format off
const Superclass kSuperclasses[] = {
    {"UIResponder", "NSObject"}, {"UIView", "UIResponder"},
    {"_UIScrollsToTopInitiatorView", "UIView"}, {"UIStatusBar_Base", "_UIScrollsToTopInitiatorView"},
    {"UIStatusBar", "UIStatusBar_Base"}, {"UIStatusBar_Modern", "UIStatusBar_Base"},
    {"UIUserInterfaceStyleArbiter", "NSObject"},
    {"UIColor", "NSObject"}, {"UIImage", "NSObject"}, {"CALayer", "NSObject"},
    {"PLPlatterView", "UIView"}, {"PLTitledPlatterView", "PLPlatterView"},
    {"NCNotificationShortLookView", "PLTitledPlatterView"},
    {"PLPlatterHeaderContentView", "UIView"}, {"WGPlatterHeaderContentView", "PLPlatterHeaderContentView"},
    {"WGWidgetPlatterView", "UIView"}, {"MTMaterialView", "UIView"},
    {"SBDockView", "UIView"}, {"SBIconImageView", "UIView"}, {"SBFolderIconImageView", "SBIconImageView"},
    {"SBFolderBackgroundView", "UIView"}, {"SBUIController", "NSObject"},
    {"UIApplication", "UIResponder"}, {"UISystemShellApplication", "UIApplication"},
    {"SpringBoard", "UISystemShellApplication"}, {"FBSystemService", "NSObject"},
    {"NSValue", "NSObject"}, {"NSNumber", "NSValue"}, {"NSTimer", "NSObject"},
    {"NSNotificationCenter", "NSObject"}, {"NSProcessInfo", "NSObject"},
    {"NSDictionary", "NSObject"}, {"NSMutableDictionary", "NSDictionary"},
    {"_UIPreviewPlatterPanController", "NSObject"}, {"UIPresentationController", "NSObject"},
    {"_UIPreviewPlatterPresentationController", "UIPresentationController"},
    {"_UIPreviewPlatterView", "UIView"}, {"_UIPlatterTransformView", "UIView"}, {"_UIPortalView", "UIView"},
    {"_UIContextMenuActionsListView", "UIView"}, {"UIInterfaceActionGroupView", "UIView"},
    {"_UIElasticContextMenuBackgroundView", "UIView", On::iOS14},
    {"_UIContextMenuActionsListCell", "UICollectionViewCell", On::iOS14},
    {"UIVisualEffectView", "UIView"}, {"_UIVisualEffectSubview", "UIView"},
    {"_UIVisualEffectBackdropView", "_UIVisualEffectSubview"},
    {"_UIVisualEffectContentView", "_UIVisualEffectSubview"},
};
// clang-format on

struct MethodFact {
  const char* cls;
  const char* selector;  // "+" first for a class method
  const char* types;
  On on = On::Both;
};

constexpr const char* kRect = "{CGRect={CGPoint=dd}{CGSize=dd}}";

// Each method on the class that declares it, with its encoding.
const MethodFact kMethods[] = {
    {"_UIPreviewPlatterPanController", "initWithContainerView:platterView:actionsView:", "@40@0:8@16@24@32"},
    {"_UIPreviewPlatterView", "layoutSubviews", "v16@0:8"},
    {"_UIPlatterTransformView", "sourceView", "@16@0:8"},
    {"_UIPlatterTransformView", "portalView", "@16@0:8"},
    {"_UIPortalView", "sourceView", "@16@0:8"},
    {"UIInterfaceActionGroupView", "backgroundView", "@16@0:8"},
    {"_UIElasticContextMenuBackgroundView", "visualEffectView", "@16@0:8", On::iOS14},
    {"UIStatusBar_Base", "foregroundColor", "@16@0:8"},
    {"UIStatusBar_Base", "setForegroundColor:", "v24@0:8@16"},
    {"UIStatusBar_Base", "currentStyle", "q16@0:8"},
    {"UIStatusBar", "layoutSubviews", "v16@0:8"},
    {"UIStatusBar", "currentStyle", "q16@0:8"},
    {"UIStatusBar_Modern", "layoutSubviews", "v16@0:8"},
    {"UIStatusBar_Modern", "currentStyle", "q16@0:8"},
    {"UIUserInterfaceStyleArbiter", "+sharedInstance", "@16@0:8"},
    {"UIUserInterfaceStyleArbiter", "currentStyle", "q16@0:8"},
    {"UIUserInterfaceStyleArbiter", "_updateCurrentStyleAndNotify:forReason:", "v28@0:8B16q20"},
    {"UIUserInterfaceStyleArbiter", "userInterfaceStyleModeDidChange:", "v24@0:8@16"},
    {"UIUserInterfaceStyleArbiter",
     "_logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:", "v56@0:8q16q24q32q40q48"},
    {"UIView", "setBackgroundColor:", "v24@0:8@16"},
    {"UIView", "layer", "@16@0:8"},
    {"UIView", "setClipsToBounds:", "v20@0:8B16"},
    {"UIView", "setHidden:", "v20@0:8B16"},
    {"UIView", "addSubview:", "v24@0:8@16"},
    {"UIView", "sendSubviewToBack:", "v24@0:8@16"},
    {"UIView", "setOverrideUserInterfaceStyle:", "v24@0:8q16"},
    {"UIView", "+animateWithDuration:animations:", "v32@0:8d16@?24"},
    {"CALayer", "setCornerRadius:", "v24@0:8d16"},
    {"UIColor", "+colorWithWhite:alpha:", "@32@0:8d16d24"},
    {"UIColor", "+colorWithRed:green:blue:alpha:", "@48@0:8d16d24d32d40"},
    {"UIColor", "getRed:green:blue:alpha:", "B48@0:8^d16^d24^d32^d40"},
    {"UIImage", "CGImage", "^{CGImage=}16@0:8"},
    {"UIImage", "size", "{CGSize=dd}16@0:8"},
    {"NCNotificationShortLookView", "layoutSubviews", "v16@0:8"},
    {"PLTitledPlatterView", "_headerContentView", "@16@0:8"},
    {"PLPlatterView", "backgroundView", "@16@0:8"},
    {"PLPlatterView", "customContentView", "@16@0:8"},
    {"PLPlatterHeaderContentView", "icons", "@16@0:8"},
    {"PLPlatterHeaderContentView", "title", "@16@0:8"},
    {"WGWidgetPlatterView", "layoutSubviews", "v16@0:8"},
    {"WGWidgetPlatterView", "_configureHeaderViewsIfNecessary", "v16@0:8"},
    {"WGWidgetPlatterView", "_configureBackgroundMaterialViewIfNecessary", "v16@0:8"},
    {"WGWidgetPlatterView", "_updateHeaderContentViewVisualStyling", "v16@0:8"},
    {"WGWidgetPlatterView", "_layoutHeaderViews", "v16@0:8"},
    {"WGWidgetPlatterView", "_layoutContentView", "v16@0:8"},
    {"WGWidgetPlatterView", "contentView", "@16@0:8"},
    {"WGWidgetPlatterView", "_setContentView:", "v24@0:8@16"},
    {"MTMaterialView", "recipe", "q16@0:8"},
    {"SBDockView", "initWithDockListView:forSnapshot:", "@28@0:8@16B24"},
    {"SBDockView", "backgroundView", "@16@0:8"},
    {"SBFolderIconImageView", "layoutSubviews", "v16@0:8"},
    {"SBFolderBackgroundView", "layoutSubviews", "v16@0:8"},
    {"SBIconView", "iconImageSnapshot", "@16@0:8"},
    {"SBIconImageView", "contentsImage", "@16@0:8"},
    {"SBUIController",
     "+zoomViewForDeviceApplicationSceneHandle:displayConfiguration:interfaceOrientation:snapshot:"
     "snapshotSize:statusBarDescriptor:decodeImage:",
     "@76@0:8@16@24q32@40{CGSize=dd}48@64B72"},
    {"UIApplication", "+sharedApplication", "@16@0:8"},
    {"SpringBoard", "isLocked", "B16@0:8"},
    {"SpringBoard", "isShowingHomescreen", "B16@0:8"},
    {"SpringBoard", "_accessibilityFrontMostApplication", "@16@0:8"},
    {"SBApplication", "bundleIdentifier", "@16@0:8"},
    {"FBSystemService", "+sharedInstance", "@16@0:8"},
    {"FBSystemService", "exitAndRelaunch:", "v20@0:8B16"},
    {"NSNumber", "+numberWithBool:", "@20@0:8B16"},
    {"NSNumber", "+numberWithDouble:", "@24@0:8d16"},
    {"NSNumber", "boolValue", "B16@0:8"},
    {"NSNumber", "floatValue", "f16@0:8"},
    {"NSTimer", "+scheduledTimerWithTimeInterval:repeats:block:", "@32@0:8d16B24@?28"},
    {"NSTimer", "invalidate", "v16@0:8"},
    {"NSNotificationCenter", "+defaultCenter", "@16@0:8"},
    {"NSNotificationCenter", "addObserver:selector:name:object:", "v48@0:8@16:24@32@40"},
    {"NSNotificationCenter", "postNotificationName:object:", "v32@0:8@16@24"},
    {"NSProcessInfo", "+processInfo", "@16@0:8"},
    {"NSProcessInfo", "operatingSystemVersion", "{NSOperatingSystemVersion=qqq}16@0:8"},
    {"NSMutableDictionary", "initWithContentsOfFile:", "@24@0:8@16"},
    {"NSDictionary", "initWithDictionary:", "@24@0:8@16"},
    {"NSDictionary", "writeToFile:atomically:", "B28@0:8@16B24"},
};

// The frame rectangle's setter and SBFolderBackgroundView's initialiser
// carry the rectangle's encoding.
const MethodFact kRectMethods[] = {
    {"UIView", "setFrame:", "v48@0:8%s16"},
    {"SBFolderBackgroundView", "initWithFrame:", "@48@0:8%s16"},
};

struct IvarFact {
  const char* cls;
  const char* name;
  const char* type;  // nullptr: any
  Ownership ownership;
  On on = On::Both;
};

const IvarFact kIvars[] = {
    {"_UIPreviewPlatterPanController", "_containerView", nullptr, Ownership::Weak},
    {"_UIPreviewPlatterPanController", "_platterView", nullptr, Ownership::Weak},
    {"_UIPreviewPlatterPanController", "_actionsView", nullptr, Ownership::Weak},
    {"_UIPortalView", "_sourceView", nullptr, Ownership::Weak},
    {"_UIPlatterTransformView", "_sourceView", nullptr, Ownership::Strong},
    {"_UIPlatterTransformView", "_portalView", nullptr, Ownership::Strong},
    {"_UIPreviewPlatterView", "_collapsedTransformView", nullptr, Ownership::Strong},
    {"_UIPreviewPlatterView", "_collapsedClippingView", nullptr, Ownership::Strong},
    {"_UIPreviewPlatterPresentationController", "_contentPlatterView", nullptr, Ownership::Strong},
    {"_UIPreviewPlatterPresentationController", "_platterContainerView", nullptr, Ownership::Strong},
    {"_UIPreviewPlatterPresentationController", "_platterTransitionView", nullptr, Ownership::Strong},
    {"_UIPreviewPlatterPresentationController", "_actionsView", nullptr, Ownership::Strong},
    {"_UIPreviewPlatterPresentationController", "_platterPanController", nullptr, Ownership::Strong},
    {"_UIContextMenuActionsListView", "_currentActionGroupView", nullptr, Ownership::Strong, On::iOS13},
    {"_UIContextMenuActionsListView", "_currentCollectionView", nullptr, Ownership::Strong, On::iOS14},
    {"UIInterfaceActionGroupView", "_backgroundView", nullptr, Ownership::Strong},
    {"UIInterfaceActionGroupView", "_actionSequenceView", nullptr, Ownership::Strong},
    {"UICollectionView", "_backgroundView", nullptr, Ownership::Strong, On::iOS14},
    {"_UIElasticContextMenuBackgroundView", "_visualEffectView", nullptr, Ownership::Strong, On::iOS14},
    {"UIStatusBar_Base", "_foregroundColor", "@\"UIColor\"", Ownership::Strong},
    {"UIView", "_layer", "@\"CALayer\"", Ownership::Strong},
    {"PLTitledPlatterView", "_headerContentView", "@\"PLPlatterHeaderContentView\"", Ownership::Strong},
    {"PLPlatterView", "_backgroundView", nullptr, Ownership::Strong},
    {"PLPlatterView", "_customContentView", nullptr, Ownership::Strong},
    {"WGWidgetPlatterView", "_backgroundView", "@\"MTMaterialView\"", Ownership::Strong},
    {"WGWidgetPlatterView", "_headerBackgroundView", "@\"MTMaterialView\"", Ownership::Strong, On::iOS13},
    {"WGWidgetPlatterView", "_headerContentView", "@\"WGPlatterHeaderContentView\"", Ownership::Strong},
    {"SBDockView", "_backgroundView", nullptr, Ownership::Strong},
    {"SBIconView", "_iconImageView", "@\"SBIconImageView\"", Ownership::Strong},
};

// Classes that no iOS 13 or 14 build has.
const char* const kInventedClasses[] = {
    "MTPlatterHeaderContentView", "_UIContextMenuActionsView", "_UIContextMenuActionsGroupView",
    "_UIContextMenuView",         "_UIContextMenuListView",    "_UIContextMenuBackgroundView",
    "_UIContextMenuCell",
};

// Methods a class neither declares nor inherits, and ivars it lacks.
struct Missing {
  const char* cls;
  const char* name;
  On on = On::Both;
};
const Missing kMissingMethods[] = {
    {"_UIPreviewPlatterPanController", "viewDidLayoutSubviews"},
    {"SBIconImageView", "image"},
    {"MTMaterialView", "materialTintColor"},
};
// Declared by a superclass only, never by the class itself.
const Missing kInheritedOnly[] = {
    {"UIStatusBar", "setForegroundColor:"},
    {"UIStatusBar", "foregroundColor"},
    {"UIStatusBar_Modern", "setForegroundColor:"},
    {"UIStatusBar_Modern", "foregroundColor"},
    {"SBDockView", "initWithFrame:"},
    {"SpringBoard", "+sharedApplication"},
};
const Missing kMissingIvars[] = {
    {"UIView", "_backgroundColor"},
    {"PLPlatterHeaderContentView", "_icons"},
    {"PLPlatterHeaderContentView", "_title"},
    {"SBApplication", "_bundleIdentifier"},
    {"WGWidgetPlatterView", "_headerBackgroundView", On::iOS14},
};

const sim::Ivar* own_ivar(Class cls, const char* name) {
  for (const sim::Ivar& iv : cls->ivars)
    if (iv.name == name) return &iv;
  return nullptr;
}

// The class, or its metaclass for "+selector"; the selector without "+".
std::pair<Class, std::string> side_of(Class cls, const std::string& selector) {
  if (selector[0] == '+') return {cls->counterpart, selector.substr(1)};
  return {cls, selector};
}

class IosClasses : public ::testing::TestWithParam<sim::OSVersion> {
 protected:
  bool ios14() const { return GetParam().major >= 14; }
  Class need(const char* name) {
    Class c = class_named(name);
    EXPECT_NE(c, nullptr) << name << " is missing";
    return c;
  }
  SimProcess proc{ProcessSpec{GetParam(), ProcessKind::SpringBoard, "com.apple.springboard"}};
};

TEST_P(IosClasses, SuperclassesAreThePhones) {
  for (const Superclass& f : kSuperclasses) {
    Class c = class_named(f.cls);
    if (!holds_on(f.on, ios14())) {
      EXPECT_EQ(c, nullptr) << f.cls << " does not exist on this version";
      continue;
    }
    if (!(c = need(f.cls))) continue;
    ASSERT_NE(c->superclass, nullptr) << f.cls;
    EXPECT_EQ(c->superclass->name, f.superclass) << f.cls;
  }
}

TEST_P(IosClasses, MethodsSitOnTheirDeclaringClassWithThePhonesEncoding) {
  auto check = [&](const MethodFact& f, const std::string& types) {
    if (!holds_on(f.on, ios14())) return;
    Class c = need(f.cls);
    if (!c) return;
    auto [owner, selector] = side_of(c, f.selector);
    const Method* m = own_method(owner, sel(selector.c_str()));
    ASSERT_NE(m, nullptr) << f.cls << " " << f.selector;
    EXPECT_EQ(m->types, types) << f.cls << " " << f.selector;
  };
  for (const MethodFact& f : kMethods) check(f, f.types);
  for (const MethodFact& f : kRectMethods) {
    std::string types = f.types;
    types.replace(types.find("%s"), 2, kRect);
    check(f, types);
  }
}

TEST_P(IosClasses, IvarsSitOnTheirDeclaringClassWithTheirOwnership) {
  for (const IvarFact& f : kIvars) {
    if (!holds_on(f.on, ios14())) continue;
    Class c = need(f.cls);
    if (!c) continue;
    const sim::Ivar* iv = own_ivar(c, f.name);
    ASSERT_NE(iv, nullptr) << f.cls << " " << f.name;
    EXPECT_EQ(iv->ownership, f.ownership) << f.cls << " " << f.name;
    if (f.type) {
      EXPECT_EQ(iv->type, f.type) << f.cls << " " << f.name;
    }
  }
}

TEST_P(IosClasses, NothingThePhoneLacks) {
  for (const char* name : kInventedClasses) EXPECT_EQ(class_named(name), nullptr) << name;
  for (const Missing& f : kMissingMethods) {
    auto [owner, selector] = side_of(need(f.cls), f.name);
    EXPECT_EQ(find_method(owner, sel(selector.c_str())), nullptr) << f.cls << " " << f.name;
  }
  for (const Missing& f : kInheritedOnly) {
    auto [owner, selector] = side_of(need(f.cls), f.name);
    EXPECT_EQ(own_method(owner, sel(selector.c_str())), nullptr) << f.cls << " " << f.name;
    EXPECT_NE(find_method(owner, sel(selector.c_str())), nullptr) << f.cls << " " << f.name;
  }
  for (const Missing& f : kMissingIvars) {
    if (holds_on(f.on, ios14())) {
      EXPECT_EQ(find_ivar(need(f.cls), f.name), nullptr) << f.cls << " " << f.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, IosClasses,
                         ::testing::Values(sim::OSVersion{13, 7, 0}, sim::OSVersion{14, 4, 0}),
                         [](const auto& info) { return "iOS" + std::to_string(info.param.major); });

}  // namespace
