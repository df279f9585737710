// corvane-sim pane: the settings pane as the Settings app shows it, light
// and dark side by side. The page is read from the pane itself, opened in a
// simulated Settings app; only the drawing is the tool's own.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/corvane-sim/cli_args.h"
#include "tools/corvane-sim/preview_scene.h"

namespace corvane::cli {

// One row as the table shows it, taken from the pane's specifiers.
struct PaneRow {
  std::string label;
  std::string cell;  // switch, slider, button, link, value, text, unknown (as dump pane names them)
  bool enabled = true;
  bool on = false;   // a switch's state
  double value = 0;  // a slider's value, between min and max
  double min = 0, max = 1;
  bool show_value = false;
  std::string detail;       // a value row's text
  bool opens_page = false;  // drawn with a disclosure chevron
};
struct PaneGroup {
  std::string header, footer;
  std::vector<PaneRow> rows;
};
struct PanePage {
  std::string title;
  std::vector<PaneGroup> groups;
};

// Boots a Settings app in a temporary root with `settings` (when given) as
// the settings file, loads the library, opens the project's pane from the
// root list and reads the open page. nullopt, with a message, when the
// settings file is refused or the pane does not open.
std::optional<PanePage> load_pane_page(const std::optional<std::string>& settings, const IosVersion& ios,
                                       std::string* error);

// The page in the light and the dark style side by side, captioned.
PreviewPicture compose_pane(const PanePage& page, const std::string& settings_label, const IosVersion& ios,
                            double scale);

// corvane-sim pane: the exit status (0, or 2 for bad input with a message on `err`).
int run_pane(const PaneOptions& options, std::ostream& out, std::ostream& err);

}  // namespace corvane::cli
