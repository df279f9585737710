// The commands that drive the Settings app as a person would: switch (the
// process ends and another kind starts on the same files), pane open, pane
// set, pane tap; and the open page as JSON for dump pane.
#include "sim/foundation/foundation.h"
#include "sim/preferences/settings_app.h"
#include "tools/corvane-sim/command_handlers.h"
#include "tools/corvane-sim/dump.h"
#include "tools/corvane-sim/literals.h"

namespace corvane::cli {
namespace {

const char* const kPaneUsage = "usage: pane open [LABEL] | pane set KEY VALUE | pane tap LABEL";
// The row PreferenceLoader shows for the project's pane.
const char* const kPaneLabel = "Corvane13";

// A switch takes YES or NO, a slider a number.
Parsed<id> control_value(const Word& word) {
  if (auto yes = parse_yes_no(word.text)) return Parsed<id>::ok(sim::make_bool(*yes));
  auto number = parse_number(word.text);
  if (!number)
    return Parsed<id>::fail("a switch takes YES or NO and a slider a number, not '" + word.text + "'");
  return Parsed<id>::ok(sim::make_double(*number));
}

}  // namespace

CommandError run_switch(CommandContext& context, const Words& w) {
  sim::ProcessOptions o = context.session.options();
  o.sandboxed = false;
  if (w.size() == 2 && w[1].text == "springboard") {
    o.kind = sim::ProcessKind::SpringBoard;
    o.bundle_id = "com.apple.springboard";
  } else if (w.size() == 2 && w[1].text == "settings") {
    o.kind = sim::ProcessKind::Settings;
    o.bundle_id = "com.apple.Preferences";
  } else if (w.size() == 3 && w[1].text == "app") {
    o.kind = sim::ProcessKind::App;
    o.bundle_id = w[2].text;
  } else {
    return std::string("usage: switch springboard | switch app BUNDLE_ID | switch settings");
  }
  context.session.switch_to(o);
  return kNoError;
}

CommandError run_pane(CommandContext& context, const Words& w) {
  if (w.size() < 2) return std::string(kPaneUsage);
  sim::settings_app::Outcome outcome;
  if (w[1].text == "open" && w.size() <= 3) {
    outcome = sim::settings_app::open_pane(w.size() == 3 ? w[2].text : kPaneLabel);
  } else if (w[1].text == "set" && w.size() == 4) {
    auto value = control_value(w[3]);
    if (!value) return value.error;
    outcome = sim::settings_app::set_value(w[2].text, *value);
  } else if (w[1].text == "tap" && w.size() == 3) {
    outcome = sim::settings_app::tap(w[2].text);
  } else {
    return std::string(kPaneUsage);
  }
  context.session.invalidate_names();
  return outcome;
}

Json pane_json(const Session& s) {
  auto page = sim::settings_app::open_page();
  if (!page) return Json();
  Json groups = Json::array();
  for (const auto& g : page->groups) {
    Json rows = Json::array();
    for (const auto& r : g.rows)
      rows.push(Json::object()
                    .set("label", r.label)
                    .set("cell", r.cell)
                    .set("key", r.key ? Json(*r.key) : Json())
                    .set("value", dump_object(s, r.value))
                    .set("enabled", r.enabled));
    groups.push(Json::object()
                    .set("label", g.label ? Json(*g.label) : Json())
                    .set("footer", g.footer ? Json(*g.footer) : Json())
                    .set("rows", std::move(rows)));
  }
  return Json::object()
      .set("title", page->title)
      .set("controller", page->controller)
      .set("groups", std::move(groups));
}

}  // namespace corvane::cli
