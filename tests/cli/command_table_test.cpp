// The script command table and the command list it lays out in run --help.
#include "tools/corvane-sim/command_table.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "tools/corvane-sim/command_help.h"
#include "tools/corvane-sim/help.h"

namespace corvane::cli {
namespace {

// Every command is found by its name, and each of its rows shows in run
// --help at the start of a line, a top-level row starting with the name.
TEST(CommandTable, EveryCommandIsFoundAndListedInRunHelp) {
  const std::string help = "\n" + run_help();
  std::set<std::string_view> names;
  for (const Command& command : script_commands()) {
    SCOPED_TRACE(std::string(command.name));
    EXPECT_TRUE(names.insert(command.name).second) << "listed twice";
    EXPECT_EQ(find_command(command.name), &command);
    ASSERT_NE(command.run, nullptr);
    ASSERT_FALSE(command.help.empty());
    for (const HelpRow& row : command.help) {
      if (row.indent == 2) {
        EXPECT_EQ(row.usage.substr(0, command.name.size()), command.name) << row.usage;
      }
      const std::string line_start = "\n" + std::string(row.indent, ' ') + std::string(row.usage);
      EXPECT_NE(help.find(line_start), std::string::npos) << row.usage;
    }
  }
  EXPECT_EQ(names.size(), 24u);
}

TEST(CommandTable, FindsOnlyWholeNames) {
  for (const char* name : {"", "Load", "load ", "settings-", "dumps", "new-", "-"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(find_command(name), nullptr);
  }
}

// The sections come in order, each with its title once, and no line of the
// list passes column 79.
TEST(CommandHelp, SectionsInOrderWithinSeventyNineColumns) {
  const std::string list = script_commands_help();
  size_t at = 0;
  for (const char* title : {"Before the library loads:\n", "Objects:\n", "Events:\n", "Output:\n"}) {
    size_t found = list.find(title, at);
    ASSERT_NE(found, std::string::npos) << title;
    EXPECT_EQ(list.find(title, found + 1), std::string::npos) << title;
    at = found;
  }
  EXPECT_LT(list.find("  load  "), list.find("Objects:"));
  EXPECT_GT(list.find("  render FILE.png"), list.find("Output:"));
  std::istringstream in(list);
  for (std::string line; std::getline(in, line);) EXPECT_LE(line.size(), 79u) << line;
}

TEST(CommandHelp, RowLayout) {
  const std::string pad33(33, ' ');
  struct Case {
    const char* what;
    HelpRow row;
    std::string text;
  } cases[] = {
      {"usage only", {"zoom", ""}, "  zoom\n"},
      {"description at the column", {"tick N", "advance"}, "  tick N" + std::string(25, ' ') + "advance\n"},
      {"more lines under the column",
       {"let X", "one\ntwo"},
       "  let X" + std::string(26, ' ') + "one\n" + pad33 + "two\n"},
      {"usage just fits: one space",
       {std::string_view("send TARGET SELECTOR [ARGS...]"), "x"},
       "  send TARGET SELECTOR [ARGS...] x\n"},
      {"no room for a space: description below",
       {"settings-file PATH [MORE] [MOR]", "x"},
       "  settings-file PATH [MORE] [MOR]\n" + pad33 + "x\n"},
      {"usage passes the column: description below",
       {"expect NAME.FIELD[.FIELD...] VALUE", "compare\nmore"},
       "  expect NAME.FIELD[.FIELD...] VALUE\n" + pad33 + "compare\n" + pad33 + "more\n"},
      {"own column",
       {"dump NAME|process|events|runtime", "print\nlog", 2, 37},
       "  dump NAME|process|events|runtime   print\n" + std::string(37, ' ') + "log\n"},
      {"indented row", {"banner", "icon=ICON", 4}, "    banner" + std::string(23, ' ') + "icon=ICON\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(help_row_text(c.row), c.text);
  }
}

// A description line too long for the column wraps at spaces, continuation
// lines hanging two columns in, every line within 79 columns.
TEST(CommandHelp, LongLinesWrapWithAHangingIndent) {
  std::string words = "keys:";
  for (int i = 0; i < 30; ++i) words += " key" + std::to_string(i);
  const std::string text = help_row_text({"settings K=V", words});
  std::istringstream in(text);
  std::string line, rejoined;
  int count = 0;
  while (std::getline(in, line)) {
    EXPECT_LE(line.size(), 79u) << line;
    if (count++ > 0) {
      EXPECT_EQ(line.substr(0, 35), std::string(35, ' ')) << line;
      EXPECT_NE(line[35], ' ') << line;
      rejoined += " " + line.substr(35);
    } else {
      rejoined = line.substr(33);
    }
  }
  EXPECT_GT(count, 2);
  EXPECT_EQ(rejoined, words) << "no word lost or split";
}

}  // namespace
}  // namespace corvane::cli
