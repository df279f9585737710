// Writes the pane's Root.plist from its page (prefs/page.h) and the
// library's key list (core/settings_keys.h): each key's cell (a switch for a
// boolean, a slider from 0 to 1 for a real) and default come from the key
// list. Refuses, and writes nothing, when the page misses a key, names one
// the library does not have, or names one twice.
//
// Usage: make_root_plist OUTPUT.plist
//        make_root_plist --keys    (prints the library's keys as the page
//                                   must show them: "KEY switch|slider DEFAULT"
//                                   a line, for the package check)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "core/names.h"
#include "core/settings_keys.h"
#include "prefs/library_keys.h"
#include "prefs/page.h"

namespace {

using corvane::prefs::library_keys;
using corvane::prefs::LibraryKey;

std::string escaped(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p == '&') out += "&amp;";
    else if (*p == '<') out += "&lt;";
    else if (*p == '>') out += "&gt;";
    else out += *p;
  }
  return out;
}

// The shortest decimal that reads back as the same double.
std::string real_text(double v) {
  char buffer[40];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, v);
    if (std::strtod(buffer, nullptr) == v) break;
  }
  return buffer;
}

struct Writer {
  std::ostringstream out;
  void string(const char* key, const std::string& value) {
    out << "\t\t\t<key>" << key << "</key>\n\t\t\t<string>" << value << "</string>\n";
  }
  void flag(const char* key, bool value) {
    out << "\t\t\t<key>" << key << "</key>\n\t\t\t<" << (value ? "true" : "false") << "/>\n";
  }
  void real(const char* key, double value) {
    out << "\t\t\t<key>" << key << "</key>\n\t\t\t<real>" << real_text(value) << "</real>\n";
  }
  void begin() { out << "\t\t<dict>\n"; }
  void end() { out << "\t\t</dict>\n"; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_root_plist OUTPUT.plist | --keys\n");
    return 2;
  }
  std::map<std::string, LibraryKey> keys = library_keys();
  if (std::strcmp(argv[1], "--keys") == 0) {
    for (const auto& [name, info] : keys)
      std::printf("%s %s %s\n", name.c_str(), info.flag ? "switch" : "slider",
                  info.flag ? (info.fallback != 0 ? "true" : "false") : real_text(info.fallback).c_str());
    return 0;
  }
  std::map<std::string, int> placed;
  Writer w;
  for (const auto& group : corvane::pane::kGroups) {
    w.begin();
    w.string("cell", "PSGroupCell");
    // An unnamed group has no label; a group without words has no footer.
    if (*group.header) w.string("label", escaped(group.header));
    if (*group.footer) w.string("footerText", escaped(group.footer));
    w.end();
    for (const auto& row : group.rows) {
      using corvane::pane::Special;
      if (!row.label) break;
      w.begin();
      if (row.key) {
        auto it = keys.find(row.key);
        if (it == keys.end()) {
          std::fprintf(stderr, "make_root_plist: the page names '%s', which is not a settings key\n",
                       row.key);
          return 1;
        }
        ++placed[row.key];
        w.string("cell", it->second.flag ? "PSSwitchCell" : "PSSliderCell");
        w.string("label", escaped(row.label));
        w.string("id", row.key);
        w.string("defaults", corvane::names::kSettingsDomain);
        w.string("key", row.key);
        if (it->second.flag) {
          w.flag("default", it->second.fallback != 0);
        } else {
          w.real("default", it->second.fallback);
          w.real("min", 0);
          w.real("max", 1);
          w.flag("showValue", true);
        }
      } else if (row.special == Special::Version) {
        w.string("cell", "PSTitleValueCell");
        w.string("label", escaped(row.label));
        w.string("id", "version");
        w.string("get", "versionString:");
      } else {
        w.string("cell", "PSButtonCell");
        w.string("label", escaped(row.label));
        if (row.special == Special::AppList) {
          w.string("id", corvane::pane::kAppListRowID);
          w.string("action", "openAppList:");
        } else if (row.special == Special::Apply) {
          w.string("id", "apply");
          w.string("action", "apply:");
        } else {
          w.string("id", "reset");
          w.string("action", "resetDefaults:");
          w.out << "\t\t\t<key>confirmation</key>\n\t\t\t<dict>\n"
                   "\t\t\t\t<key>title</key>\n\t\t\t\t<string>Reset to defaults</string>\n"
                   "\t\t\t\t<key>prompt</key>\n\t\t\t\t<string>Every choice made on this page is "
                   "removed.</string>\n"
                   "\t\t\t\t<key>okTitle</key>\n\t\t\t\t<string>Reset</string>\n"
                   "\t\t\t\t<key>cancelTitle</key>\n\t\t\t\t<string>Cancel</string>\n"
                   "\t\t\t\t<key>isDestructive</key>\n\t\t\t\t<true/>\n\t\t\t</dict>\n";
        }
      }
      w.end();
    }
  }
  for (const auto& [name, info] : keys) {
    if (placed[name] != 1) {
      std::fprintf(stderr, "make_root_plist: the page shows '%s' %d times; every key once\n", name.c_str(),
                   placed[name]);
      return 1;
    }
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
          "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
          "<plist version=\"1.0\">\n<dict>\n"
          "\t<key>title</key>\n\t<string>"
       << corvane::pane::kTitle << "</string>\n\t<key>items</key>\n\t<array>\n"
       << w.out.str() << "\t</array>\n</dict>\n</plist>\n";
  if (!file.flush()) {
    std::fprintf(stderr, "make_root_plist: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
