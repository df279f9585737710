// SparkAppList: answers whether a per-application list holds a bundle
// identifier. Every query reads the preference file afresh, so a list
// written from outside shows at the next query.
#include "sim/springboard/SparkAppList.h"

#include <filesystem>

#include "sim/foundation/foundation.h"
#include "sim/foundation/plist_file.h"
#include "sim/runtime/host_classes.h"
#include "sim/system/event_log.h"
#include "sim/system/system.h"

namespace sim {
namespace {

size_t g_queries = 0;
RuntimeStopHook g_reset([] { g_queries = 0; });

// An identifier names a file in the preferences folder, never a path that
// leads out of it.
bool usable_identifier(const std::string& identifier) {
  return !identifier.empty() && identifier != "." && identifier != ".." &&
         identifier.find('/') == std::string::npos;
}

// Answers NO for a nil identifier, key or bundle identifier, for a missing
// or unreadable file, and when the key does not hold an array.
BOOL list_contains(id identifier, id key, id bundle_id) {
  if (!is_string(identifier) || !is_string(key) || !is_string(bundle_id)) return NO;
  std::string name = string_value(identifier);
  if (!usable_identifier(name)) return NO;
  AutoreleasePool pool;
  id prefs = dictionary_from_file(app_list_path(name));
  id list = dictionary_get(prefs, string_value(key));
  if (!list || !is_kind_of(list, "NSArray")) return NO;
  for (const Strong& item : as<NSArrayObj>(list)->items)
    if (is_string(item) && objects_equal(item, bundle_id)) return YES;
  return NO;
}

BOOL does_identifier_contain(id, SEL, id identifier, id key, id bundle_id) {
  ++g_queries;
  const BOOL result = list_contains(identifier, key, bundle_id);
  Event e;
  e.kind = "applist-query";
  e.identifier = string_value(identifier);
  e.key = string_value(key);
  e.bundle = string_value(bundle_id);
  e.result = result;
  record_event(std::move(e));
  return result;
}

Class install() {
  Class c = define_class<objc_object>("SparkAppList", ensure_class("NSObject"));
  def_class(c, "doesIdentifier:andKey:containBundleIdentifier:", does_identifier_contain);
  return c;
}

SIM_HOST_CLASS("SparkAppList", Layer::ListLibrary, install);

}  // namespace

std::string app_list_path(const std::string& identifier) {
  return "/var/mobile/Library/Preferences/" + identifier + ".plist";
}

void write_app_list(const std::vector<std::string>& bundle_ids) {
  System* system = System::current();
  if (!system) fatal("applist: no simulated process is running");
  std::string path = system->host_path(app_list_path(kAppListIdentifier));
  plist::Dictionary prefs;
  if (auto old = plist::read_file(path, nullptr); old && old->is_dictionary()) prefs = old->dictionary();
  plist::Array list;
  for (const auto& b : bundle_ids) list.emplace_back(b);
  prefs.set(kAppListKey, plist::Value(std::move(list)));
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string error;
  if (!plist::write_xml_atomically(path, plist::Value(std::move(prefs)), &error)) fatal("applist: " + error);
}

size_t app_list_query_count() { return g_queries; }

}  // namespace sim
