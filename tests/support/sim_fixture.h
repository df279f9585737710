// Test support: a simulated process in a fresh temporary root, with helpers
// to write the settings file and load the library.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "sim/foundation/foundation.h"
#include "sim/foundation/plist_file.h"
#include "sim/process/process.h"
#include "src/core/settings_values.h"

namespace corvane_test {

inline constexpr const char* kSettingsDevicePath =
    "/var/mobile/Library/Preferences/com.tallowbirch.corvane13prefs.settings.plist";

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void write_bytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct ProcessSpec {
  sim::OSVersion ios{13, 7, 0};
  sim::ProcessKind kind = sim::ProcessKind::SpringBoard;
  std::string bundle_id = "com.apple.springboard";
};

// A process booted in a temporary root; the library is loaded on demand.
class SimProcess {
 public:
  explicit SimProcess(ProcessSpec spec = {}) {
    sim::ProcessOptions o;
    o.ios = spec.ios;
    o.kind = spec.kind;
    o.bundle_id = spec.bundle_id;
    o.root = root_.path();
    process_ = std::make_unique<sim::Process>(o);
  }

  sim::Process& process() { return *process_; }
  std::string host_path(const std::string& device_path) const { return process_->host_path(device_path); }
  std::string settings_path() const { return host_path(kSettingsDevicePath); }

  void write_settings(const sim::plist::Dictionary& d, bool binary = false) {
    sim::plist::Value v(d);
    write_bytes(settings_path(), binary ? sim::plist::to_binary(v) : sim::plist::to_xml(v));
  }
  void write_settings_bytes(const std::string& bytes) { write_bytes(settings_path(), bytes); }

  void load() { process_->load_library(); }

  const corvane::Settings& settings() const {
    using Fn = const corvane::Settings* (*)();
    auto fn = reinterpret_cast<Fn>(process_->library_symbol("corvane13_settings"));
    if (!fn) std::abort();
    return *fn();
  }
  bool dark_mode_active() const {
    using Fn = bool (*)();
    auto fn = reinterpret_cast<Fn>(process_->library_symbol("corvane13_dark_mode_active"));
    if (!fn) std::abort();
    return fn();
  }

 private:
  TempDir root_;
  std::unique_ptr<sim::Process> process_;
};

}  // namespace corvane_test
