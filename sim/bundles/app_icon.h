// An application's name and icon file, found as the home screen finds them.
//
// The icon: the names in Info.plist (XML or binary) under CFBundleIcons ->
// CFBundlePrimaryIcon -> CFBundleIconFiles, else the top-level
// CFBundleIconFiles, else CFBundleIconFile (names may omit ".png"). For each
// name the bundle may hold NAME@3x.png, NAME@2x.png and NAME.png, each also
// with "~iphone" before ".png"; of all the files present the one with the
// most pixels is taken (on a tie, the earlier name and the higher scale).
// The name: CFBundleDisplayName, else CFBundleName, else the bundle's folder
// name without ".app".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/bundles/bundle_files.h"

namespace sim::bundles {

struct AppIcon {
  std::string app_name;
  std::string file;                // the icon's path inside the bundle, e.g. "AppIcon60x60@3x.png"
  double scale = 1;                // 3 for "@3x", 2 for "@2x", else 1
  std::vector<unsigned char> png;  // the icon file's bytes
};

// The icon names Info.plist gives, in the order the home screen tries them.
// Names with a path separator, and "." and "..", are left out.
std::vector<std::string> icon_names(const std::string& info_plist_bytes);

// The files that may hold icon `name`, best scale first.
std::vector<std::string> icon_file_candidates(const std::string& name);

// Longest app name kept, in characters: more than any place the name is
// shown can hold. A longer one is cut to this many, the last an ellipsis,
// before anything measures its text.
inline constexpr size_t kMaxAppNameCharacters = 32;

// `name` cut to kMaxAppNameCharacters characters (UTF-8 sequences kept
// whole), ending in an ellipsis when anything was cut.
std::string fitted_app_name(const std::string& name);

// The app at `path` (an `.app` folder or `.ipa` archive), its name and
// icon. nullopt, with a message naming the file and what is missing, for a
// bundle that cannot be read, has no usable Info.plist or no icon file.
// Each icon file is read once, however often Info.plist names it.
std::optional<AppIcon> find_app_icon(const std::string& path, std::string* error);
std::optional<AppIcon> find_app_icon(const BundleFiles& bundle, const std::string& path, std::string* error);

}  // namespace sim::bundles
