#include "sim/preferences/preference_loader.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "sim/foundation/NSBundle.h"
#include "sim/foundation/foundation.h"
#include "sim/preferences/PSSpecifier.h"
#include "sim/system/system.h"

namespace sim {
namespace {

constexpr const char* kEntries = "/Library/PreferenceLoader/Preferences";

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The entry's bundle folder (a device path), or "" when none exists.
std::string bundle_folder(id entry, const std::string& name) {
  std::vector<std::string> candidates;
  if (id explicit_path = dictionary_get(entry, "bundlePath"); is_string(explicit_path))
    candidates.push_back(string_value(explicit_path));
  candidates.push_back("/Library/PreferenceBundles/" + name + ".bundle");
  candidates.push_back("/System/Library/PreferenceBundles/" + name + ".bundle");
  for (const std::string& c : candidates)
    if (bundle_at_path(c)) return c;
  return "";
}

id row_for(id entry, const std::string& title, const std::string& folder, id root_list) {
  id bundle_name = dictionary_get(entry, "bundle");
  std::string bundle_path;
  if (is_string(bundle_name)) {
    const std::string name = string_value(bundle_name);
    if (name.empty() || name.find('/') != std::string::npos) return nullptr;
    bundle_path = bundle_folder(entry, name);
    if (bundle_path.empty()) return nullptr;  // "Discarding specifier for missing isBundle bundle"
  }
  Class specifier_class = class_named("PSSpecifier");
  id cell_name = dictionary_get(entry, "cell");
  NSInteger cell = send<NSInteger>(reinterpret_cast<id>(class_named("PSTableCell")),
                                   sel("cellTypeFromString:"), cell_name);
  id label = dictionary_get(entry, "label");
  id name = is_string(label) ? label : make_string(title);
  id s = send<id>(reinterpret_cast<id>(specifier_class),
                  sel("preferenceSpecifierNamed:target:set:get:detail:cell:edit:"), name, root_list,
                  static_cast<SEL>(nullptr), static_cast<SEL>(nullptr), static_cast<Class>(nullptr), cell,
                  static_cast<Class>(nullptr));
  send<void>(s, sel("setProperties:"), entry);
  if (is_string(bundle_name) && specifier_flag(s, "isController", false)) {
    send<void>(s, sel("setProperty:forKey:"), make_string(bundle_path), make_string("lazy-bundle"));
    if (id folder_bundle = bundle_at_path(folder))
      send<void>(s, sel("setProperty:forKey:"), folder_bundle, make_string("pl_bundle"));
  }
  return s;
}

}  // namespace

std::vector<id> preference_loader_specifiers(id root_list) {
  namespace fs = std::filesystem;
  std::vector<id> rows;
  System* system = System::current();
  if (!system) return rows;
  const fs::path base = system->host_path(kEntries);
  std::error_code ec;
  if (!fs::is_directory(base, ec)) return rows;
  std::vector<fs::path> files;
  for (fs::recursive_directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && it->path().extension() == ".plist") files.push_back(it->path());
    if (files.size() >= kMaxPreferenceEntries) break;
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    const std::string relative = fs::relative(file, base, ec).generic_string();
    const std::string device = std::string(kEntries) + "/" + relative;
    id plist = dictionary_from_file(device);
    id entry = dictionary_get(plist, "entry");
    if (!entry || !is_kind_of(entry, "NSDictionary")) continue;
    const std::string folder = fs::path(device).parent_path().generic_string();
    if (id row = row_for(entry, file.stem().string(), folder, root_list)) rows.push_back(row);
  }
  std::stable_sort(rows.begin(), rows.end(), [](id a, id b) {
    return lower(string_value(send<id>(a, sel("name")))) < lower(string_value(send<id>(b, sel("name"))));
  });
  return rows;
}

}  // namespace sim
