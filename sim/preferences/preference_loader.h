// PreferenceLoader's scan: the rows its entries under
// /Library/PreferenceLoader/Preferences/ add to the Settings app's root list.
#pragma once

#include <vector>

#include "sim/runtime/runtime.h"

namespace sim {

// The most entry files read; a folder holding more is read up to this.
inline constexpr size_t kMaxPreferenceEntries = 256;

// One specifier per usable entry, targeted at `root_list`, sorted by name.
// Walks the folder recursively and reads every *.plist (either encoding).
// An entry is skipped without a root "entry" dictionary, or when it names a
// bundle that none of "bundlePath", /Library/PreferenceBundles/NAME.bundle
// and /System/Library/PreferenceBundles/NAME.bundle holds. A row of an
// "isController" entry carries "lazy-bundle" (the bundle's path) and
// "pl_bundle" (the entry's folder), so the bundle loads only on a tap. The
// name defaults to the file's name without ".plist". The CoreFoundation
// version filters ("filter", "pl_filter") are not modelled: every entry
// passes.
std::vector<id> preference_loader_specifiers(id root_list);

}  // namespace sim
