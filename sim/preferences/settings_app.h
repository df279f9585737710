// The Settings app as a person uses it: its navigation stack with the root
// list at the bottom, a tap on a row of the root list that opens a pane, a
// change of a switch or slider, a tap on a button, and the open page as the
// table shows it. Every step is the app's own messages to the controllers
// and specifiers, so a pane's overrides run where they would on a device.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/runtime/runtime.h"

namespace sim::settings_app {

// An error message, or nothing when the step happened.
using Outcome = std::optional<std::string>;

// Taps the root list's row named `label` and pushes the controller it
// opens (PreferenceLoader's error page when its bundle did not load).
Outcome open_pane(const std::string& label);
// The switch or slider of the open page whose "key" is `key` changes to
// `value` (a boolean for a switch; a number for a slider, held within the
// slider's min and max as a dragged slider is): its specifier's setter runs.
Outcome set_value(const std::string& key, id value);
// The open page's button named `label` is tapped; a confirmation is
// accepted. Its action is sent to the specifier's target, with the
// specifier when the selector takes an argument.
Outcome tap(const std::string& label);

struct Row {
  std::string label;
  std::string cell;  // switch, slider, button, link, value, text, unknown
  std::optional<std::string> key;
  Strong value;  // what the row shows: the getter's answer; nil for none
  bool enabled = true;
  std::optional<std::string> identifier;  // the specifier's "id"
  // A slider's ends, and whether it shows its value beside it.
  double min = 0, max = 1;
  bool show_value = false;
};
struct Group {
  std::optional<std::string> label;
  std::optional<std::string> footer;
  std::vector<Row> rows;
};
struct Page {
  std::string controller;  // the class of the controller on top
  std::string title;
  std::vector<Group> groups;
};

// The page on top of the navigation stack; nullopt when the process is not
// the Settings app.
std::optional<Page> open_page();

}  // namespace sim::settings_app
