// SparkAppList: per-application lists kept in a preference file per identifier.
#pragma once

#include <string>
#include <vector>

namespace sim {

// The `applist` command: the list "Enabled Apps" of the library's
// identifier holds exactly these bundle identifiers.
void write_app_list(const std::vector<std::string>& bundle_ids);

}  // namespace sim
