#include "sim/system/system.h"

#include <filesystem>

namespace sim {
namespace {
System* g_system = nullptr;
}  // namespace

System* System::current() { return g_system; }
void System::set_current(System* system) { g_system = system; }

std::string host_path_of(const std::string& device_path) {
  const System* s = System::current();
  return s ? s->host_path(device_path) : device_path;
}

bool sandbox_denies(const std::string& device_path) {
  const System* s = System::current();
  if (!s || !s->sandboxed()) return false;
  std::string path = std::filesystem::path(device_path).lexically_normal().string();
  if (path.starts_with("/private/")) path.erase(0, 8);
  const std::string folder = "/var/mobile/Library/Preferences";
  return path == folder || path.starts_with(folder + "/");
}

}  // namespace sim

extern "C" BOOL sim_os_at_least(int major, int minor, int patch) {
  const sim::System* s = sim::System::current();
  if (!s) return NO;
  const sim::OSVersion v = s->ios();
  if (v.major != major) return v.major > major;
  if (v.minor != minor) return v.minor > minor;
  return v.patch >= patch;
}
