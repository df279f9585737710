// SparkAppList: per-application lists kept in a preference file per
// identifier. The list under identifier I and key K is the array of strings
// stored under K in "/var/mobile/Library/Preferences/I.plist" (a device path,
// below the process's root). The class is in every UIKit process of a
// device with the list library installed (the default).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sim {

inline constexpr const char* kAppListIdentifier = "com.tallowbirch.corvaneprefs.settings";
inline constexpr const char* kAppListKey = "Enabled Apps";

// The device path of an identifier's preference file.
std::string app_list_path(const std::string& identifier);

// The `applist` command: the list "Enabled Apps" of the library's
// identifier holds exactly these bundle identifiers. Other keys of the file
// are kept. The file is written as XML, atomically. Needs a running process.
void write_app_list(const std::vector<std::string>& bundle_ids);

// How many times doesIdentifier:andKey:containBundleIdentifier: has been
// asked in this process.
size_t app_list_query_count();

}  // namespace sim
