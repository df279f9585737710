#include "tools/corvane-sim/command_help.h"

#include <string_view>

namespace corvane::cli {
namespace {

constexpr size_t kHelpWidth = 79;

struct SectionHelp {
  Section section;
  std::string_view title;
  std::string_view note;  // lines after the section's commands; may be empty
};

constexpr SectionHelp kSections[] = {
    {Section::BeforeLoad, "Before the library loads:",
     "  (settings, settings-file, settings-remove and applist also work after\n"
     "  load; they then change only the files, as an outside settings pane would)\n"},
    {Section::Objects, "Objects:",
     "  ICON is solid:R,G,B,A@WxH[*S] (premultiplied bytes 0-255, points, scale),\n"
     "  png:PATH (an ordinary PNG or the optimised PNG of iOS app bundles),\n"
     "  app:PATH (the icon of an .app folder or .ipa archive, found as the home\n"
     "  screen finds it) or none; default solid:255,59,48,255@40x40.\n"},
    {Section::Events, "Events:", ""},
    {Section::Output, "Output:", ""},
};

// `line` after `prefix`, wrapped at spaces before kHelpWidth; continuation
// lines start at `column` plus two.
std::string wrapped(std::string prefix, std::string_view line, size_t column) {
  std::string out;
  std::string current = std::move(prefix);
  bool first_word = true;
  while (!line.empty()) {
    const size_t space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    if (first_word) {
      current += word;
      first_word = false;
    } else if (current.size() + 1 + word.size() > kHelpWidth) {
      out += current + "\n";
      current = std::string(column + 2, ' ') + std::string(word);
    } else {
      current += " ";
      current += word;
    }
  }
  return out + current + "\n";
}

}  // namespace

std::string help_row_text(const HelpRow& row) {
  std::string head = std::string(row.indent, ' ') + std::string(row.usage);
  if (row.description.empty()) return head + "\n";
  std::string out;
  if (head.size() + 1 > row.column) {  // no room for a space before the column
    out = head + "\n";
    head.clear();
  }
  std::string_view rest = row.description;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    head.resize(row.column, ' ');  // the usage, or nothing, up to the column
    out += wrapped(std::move(head), rest.substr(0, end), row.column);
    head.clear();
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return out;
}

std::string script_commands_help() {
  std::string out;
  for (const SectionHelp& section : kSections) {
    out += std::string(section.title) + "\n";
    for (const Command& command : script_commands())
      if (command.section == section.section)
        for (const HelpRow& row : command.help) out += help_row_text(row);
    out += std::string(section.note) + "\n";
  }
  return out;
}

}  // namespace corvane::cli
