#include "sim/preferences/preferences_store.h"

#include <map>
#include <set>

#include "sim/foundation/foundation.h"

namespace sim {
namespace {

std::map<std::string, Strong>* g_domains = nullptr;
std::set<std::string>* g_changed = nullptr;

std::string domain_path(const std::string& domain) {
  return "/var/mobile/Library/Preferences/" + domain + ".plist";
}

bool usable_domain(const std::string& domain) {
  return !domain.empty() && domain != "." && domain != ".." && domain.find('/') == std::string::npos;
}

// What changed is written when the process ends, while its objects still
// live; a file that cannot be written keeps its old contents.
RuntimeStopHook g_flush([] {
  if (g_domains && g_changed)
    for (const std::string& domain : *g_changed)
      write_plist_object((*g_domains)[domain], domain_path(domain), true);
  delete g_domains;
  g_domains = nullptr;
  delete g_changed;
  g_changed = nullptr;
});

id domain_dictionary(const std::string& domain) {
  if (!g_domains) g_domains = new std::map<std::string, Strong>();
  if (auto it = g_domains->find(domain); it != g_domains->end()) return it->second;
  id stored = dictionary_from_file(domain_path(domain));
  id dict = make_dictionary(true);
  if (stored) as<NSDictionaryObj>(dict)->entries = as<NSDictionaryObj>(stored)->entries;
  (*g_domains)[domain] = dict;
  return dict;
}

}  // namespace

id preferences_value(const std::string& domain, id key) {
  if (!usable_domain(domain) || !key) return nullptr;
  return dictionary_get(domain_dictionary(domain), string_value(key));
}

void set_preferences_value(const std::string& domain, id key, id value) {
  if (!usable_domain(domain) || !key) return;
  dictionary_set(domain_dictionary(domain), key, value);
  if (!g_changed) g_changed = new std::set<std::string>();
  g_changed->insert(domain);
}

}  // namespace sim
