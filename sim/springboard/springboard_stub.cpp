// Placeholders for the home screen's device state, zoom view and app list.
#include "sim/springboard/SBUIController.h"
#include "sim/springboard/SparkAppList.h"
#include "sim/springboard/SpringBoard.h"

namespace sim {
void set_device_state(std::optional<bool>, std::optional<bool>, std::optional<std::string>) {}
id request_zoom_view(CGSize) { return nullptr; }
void write_app_list(const std::vector<std::string>&) {}
}  // namespace sim
