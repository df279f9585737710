// The commands that set up the process and its files: ios, process,
// settings, settings-file, settings-remove, applist and load.
#include <filesystem>
#include <ostream>

#include "sim/foundation/plist_file.h"
#include "sim/io/whole_file.h"
#include "sim/springboard/SparkAppList.h"
#include "src/core/names.h"
#include "tools/corvane-sim/command_handlers.h"
#include "tools/corvane-sim/literals.h"
#include "tools/corvane-sim/settings_check.h"

namespace corvane::cli {
namespace {

using corvane::names::kSettingsPath;

// Rebuilds the process with new options; the error names the command
// ("ios must come before load").
CommandError reconfigure(CommandContext& context, const Words& words, const sim::ProcessOptions& options) {
  if (auto e = context.session.reconfigure(options)) return words[0].text + " " + *e;
  return kNoError;
}

sim::plist::Value setting_value(const SettingValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return sim::plist::Value(*b);
  if (auto* i = std::get_if<int64_t>(&v)) return sim::plist::Value(*i);
  if (auto* d = std::get_if<double>(&v)) return sim::plist::Value(*d);
  return sim::plist::Value(std::get<std::string>(v));
}

// Writes the settings file (atomically, making its folder).
CommandError write_settings_file(CommandContext& context, const std::string& bytes) {
  const std::string path = context.session.process().host_path(kSettingsPath);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string error;
  if (!sim::plist::write_atomically(path, bytes, &error)) return "cannot write the settings file: " + error;
  return kNoError;
}

}  // namespace

CommandError run_ios(CommandContext& context, const Words& w) {
  if (w.size() != 2) return std::string("usage: ios VERSION");
  auto v = parse_ios_version(w[1].text);
  if (!v) return v.error;
  sim::ProcessOptions o = context.session.options();
  o.ios = {v->major, v->minor, v->patch};
  return reconfigure(context, w, o);
}

CommandError run_process(CommandContext& context, const Words& w) {
  sim::ProcessOptions o = context.session.options();
  if (w.size() == 2 && w[1].text == "springboard") {
    o.kind = sim::ProcessKind::SpringBoard;
    o.bundle_id = "com.apple.springboard";
  } else if ((w.size() == 3 || w.size() == 4) && w[1].text == "app") {
    o.kind = sim::ProcessKind::App;
    o.bundle_id = w[2].text;
    o.sandboxed = false;
    if (w.size() == 4) {
      auto opt = parse_option(w[3]);
      if (!opt || opt->key != "sandboxed")
        return std::string("usage: process app BUNDLE_ID [sandboxed=YES|NO]");
      auto yes = parse_yes_no(opt->value.text);
      if (!yes) return yes.error;
      o.sandboxed = *yes;
    }
  } else if (w.size() == 2 && w[1].text == "settings") {
    o.kind = sim::ProcessKind::Settings;
    o.bundle_id = "com.apple.Preferences";
  } else if (w.size() == 3 && w[1].text == "daemon") {
    o.kind = sim::ProcessKind::Daemon;
    o.bundle_id = w[2].text;
  } else {
    return std::string(
        "usage: process springboard | process app BUNDLE_ID [sandboxed=YES|NO] | process daemon NAME | "
        "process "
        "settings");
  }
  return reconfigure(context, w, o);
}

CommandError run_settings(CommandContext& context, const Words& w) {
  if (w.size() < 2) return std::string("usage: settings KEY=VALUE ...");
  const std::string path = context.session.process().host_path(kSettingsPath);
  sim::plist::Dictionary dict;
  if (std::filesystem::exists(path)) {
    auto existing = sim::plist::read_file(path, nullptr);
    if (existing && existing->is_dictionary()) dict = existing->dictionary();
    else
      context.err << context.location << ": note: the settings file was not a dictionary; it is replaced\n";
  }
  for (size_t i = 1; i < w.size(); ++i) {
    auto setting = parse_setting(w[i]);
    if (!setting) return setting.error;
    dict.set(setting->key, setting_value(setting->value));
  }
  return write_settings_file(context, sim::plist::to_xml(sim::plist::Value(dict)));
}

CommandError run_settings_file(CommandContext& context, const Words& w) {
  if (w.size() != 2) return std::string("usage: settings-file PATH");
  std::string bytes, error;
  if (!sim::io::read_whole_file(w[1].text, sim::plist::kMaxFileBytes, &bytes, &error)) return error;
  if (auto e = write_settings_file(context, bytes)) return e;
  warn_settings_mistakes(context.err, context.location, w[1].text, bytes);
  return kNoError;
}

CommandError run_settings_remove(CommandContext& context, const Words& w) {
  if (w.size() != 1) return std::string("usage: settings-remove");
  std::error_code ec;
  std::filesystem::remove(context.session.process().host_path(kSettingsPath), ec);
  return kNoError;
}

CommandError run_applist(CommandContext&, const Words& w) {
  std::vector<std::string> ids;
  for (size_t i = 1; i < w.size(); ++i) ids.push_back(w[i].text);
  sim::write_app_list(ids);
  return kNoError;
}

CommandError run_load(CommandContext& context, const Words& w) {
  if (w.size() != 1) return std::string("usage: load");
  if (context.session.process().library_loaded()) return std::string("the library is already loaded");
  context.session.process().load_library();
  return kNoError;
}

}  // namespace corvane::cli
