#include "tools/corvane-sim/cli_args.h"

#include <vector>

#include "tools/corvane-sim/help.h"

namespace corvane::cli {
namespace {

CliCommand show(std::string text) {
  CliCommand c;
  c.action = CliCommand::Action::Exit;
  c.out = std::move(text);
  c.status = 0;
  return c;
}

// A usage error: the message, the synopsis and where to find more, status 2.
CliCommand usage_error(std::string_view command, const std::string& message) {
  CliCommand c;
  c.action = CliCommand::Action::Exit;
  c.status = 2;
  c.err = "corvane-sim: ";
  if (!command.empty()) c.err += std::string(command) + ": ";
  c.err += message + "\n";
  std::optional<std::string> usage = command_usage(command);
  c.err += usage ? *usage : usage_text();
  c.err += "Try 'corvane-sim ";
  if (usage) c.err += std::string(command) + " ";
  c.err += "--help' for more information.\n";
  return c;
}

bool is_help(std::string_view a) { return a == "-h" || a == "--help"; }

// Whether the output's name says another format: an extension that is not
// .png (in any case). A name without one (/dev/null) is taken as it is.
bool names_another_format(std::string_view path) {
  std::string_view name = path.substr(path.rfind('/') + 1);
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  std::string_view ext = name.substr(dot + 1);
  auto lower = [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; };
  return !(ext.size() == 3 && lower(ext[0]) == 'p' && lower(ext[1]) == 'n' && lower(ext[2]) == 'g');
}

// The versions Apple released of iOS 13 and 14.
bool is_released_ios_version(const IosVersion& v) {
  static constexpr IosVersion kReleased[] = {
      {13, 0, 0}, {13, 1, 0}, {13, 1, 1}, {13, 1, 2}, {13, 1, 3}, {13, 2, 0}, {13, 2, 2},
      {13, 2, 3}, {13, 3, 0}, {13, 3, 1}, {13, 4, 0}, {13, 4, 1}, {13, 5, 0}, {13, 5, 1},
      {13, 6, 0}, {13, 6, 1}, {13, 7, 0}, {14, 0, 0}, {14, 0, 1}, {14, 1, 0}, {14, 2, 0},
      {14, 2, 1}, {14, 3, 0}, {14, 4, 0}, {14, 4, 1}, {14, 4, 2}, {14, 5, 0}, {14, 5, 1},
      {14, 6, 0}, {14, 7, 0}, {14, 7, 1}, {14, 8, 0}, {14, 8, 1}};
  for (const IosVersion& r : kReleased)
    if (r.major == v.major && r.minor == v.minor && r.patch == v.patch) return true;
  return false;
}

// Walks the arguments of one command: options with values (`--opt VALUE`,
// `--opt=VALUE`, and for one-letter options `-oVALUE`), flags (`--opt`) and
// positionals; `--` makes every later argument positional and a lone `-` is
// a positional.
class ArgWalker {
 public:
  ArgWalker(std::string_view command, std::span<const std::string_view> args)
      : command_(command), args_(args) {}

  struct Item {
    bool positional = false;
    std::string_view name;  // the option as written, without any "=VALUE"
    std::string_view value;
  };

  // Returns false at the end or on an error (then `error` holds the result).
  bool next(Item& item, std::span<const std::string_view> valued,
            std::span<const std::string_view> flags = {}) {
    if (i_ >= args_.size()) return false;
    std::string_view a = args_[i_++];
    item = Item{};
    if (after_dashes_ || a == "-" || !a.starts_with("-")) {
      item.positional = true;
      item.value = a;
      return true;
    }
    if (a == "--") {
      after_dashes_ = true;
      return next(item, valued, flags);
    }
    std::string_view name = a;
    std::optional<std::string_view> inline_value;
    if (a.starts_with("--")) {
      if (size_t eq = a.find('='); eq != std::string_view::npos) {
        name = a.substr(0, eq);
        inline_value = a.substr(eq + 1);
      }
    } else if (a.size() > 2) {  // -oFILE
      name = a.substr(0, 2);
      inline_value = a.substr(2);
    }
    for (std::string_view f : flags)
      if (f == name) {
        if (inline_value) {
          error = usage_error(command_, "option '" + std::string(name) + "' takes no value");
          return false;
        }
        item.name = name;
        return true;
      }
    bool takes_value = false;
    for (std::string_view v : valued) takes_value = takes_value || v == name;
    if (!takes_value) {
      error = usage_error(command_, "unknown option '" + std::string(a) + "'");
      return false;
    }
    item.name = name;
    if (inline_value) {
      item.value = *inline_value;
    } else if (i_ < args_.size()) {
      item.value = args_[i_++];
    } else {
      error = usage_error(command_, "option '" + std::string(name) + "' needs a value");
      return false;
    }
    if (item.value.empty()) {
      error = usage_error(command_, "option '" + std::string(name) + "' needs a non-empty value");
      return false;
    }
    return true;
  }

  std::optional<CliCommand> error;

 private:
  std::string_view command_;
  std::span<const std::string_view> args_;
  size_t i_ = 0;
  bool after_dashes_ = false;
};

bool wants_help(std::span<const std::string_view> args) {
  for (std::string_view a : args) {
    if (a == "--") return false;
    if (is_help(a)) return true;
  }
  return false;
}

CliCommand parse_run(std::span<const std::string_view> args) {
  if (wants_help(args)) return show(run_help());
  static constexpr std::string_view kValued[] = {"--root", "--library", "--arch", "--pane"};
  static constexpr std::string_view kFlags[] = {"--count-instructions"};
  CliCommand c;
  c.action = CliCommand::Action::Run;
  bool have_script = false;
  ArgWalker walk("run", args);
  ArgWalker::Item item;
  while (walk.next(item, kValued, kFlags)) {
    if (item.positional) {
      if (have_script) return usage_error("run", "unexpected argument '" + std::string(item.value) + "'");
      if (item.value.empty()) return usage_error("run", "SCRIPT must not be empty");
      c.run.script = std::string(item.value);
      have_script = true;
    } else if (item.name == "--library") {
      if (item.value.empty()) return usage_error("run", "--library takes a file");
      c.run.library = std::string(item.value);
    } else if (item.name == "--arch") {
      if (item.value != "arm64" && item.value != "arm64e")
        return usage_error("run", "--arch takes arm64 or arm64e, not '" + std::string(item.value) + "'");
      c.run.arch = std::string(item.value);
    } else if (item.name == "--count-instructions") {
      c.run.count_instructions = true;
    } else if (item.name == "--pane") {
      if (item.value.empty()) return usage_error("run", "--pane takes a folder or a file");
      c.run.pane = std::string(item.value);
    } else {
      c.run.root = std::string(item.value);
    }
  }
  if (walk.error) return *walk.error;
  if (!have_script) return usage_error("run", "missing SCRIPT (a file, or - for standard input)");
  if (!c.run.arch.empty() && c.run.library.empty() && c.run.pane.empty())
    return usage_error("run",
                       "--arch picks a slice of the phone's library and pane: give --library or --pane");
  if (c.run.count_instructions && c.run.library.empty())
    return usage_error("run",
                       "--count-instructions counts the phone's library under emulation: give --library");
  return c;
}

// The options the picture commands share: -o, --settings, --ios and
// --scale. Returns whether `item` was one of them; a bad value sets `error`.
template <typename Options>
bool picture_option(std::string_view command, const ArgWalker::Item& item, Options& o,
                    std::optional<CliCommand>& error) {
  if (item.name == "-o" || item.name == "--output") {
    if (names_another_format(item.value))
      error = usage_error(
          command, "the output is a PNG picture: -o takes FILE.png, not '" + std::string(item.value) + "'");
    else o.output = std::string(item.value);
  } else if (item.name == "--settings") {
    o.settings = std::string(item.value);
  } else if (item.name == "--scale") {
    auto scale = parse_number(item.value);
    if (!scale || !(*scale >= 0.5 && *scale <= 4))
      error =
          usage_error(command, "--scale takes a number from 0.5 to 4, not '" + std::string(item.value) + "'");
    else o.scale = *scale;
  } else if (item.name == "--ios") {
    auto version = parse_ios_version(item.value);
    if (!version) error = usage_error(command, version.error);
    else if (!is_released_ios_version(*version))
      error = usage_error(command,
                          "--ios takes a version that iOS 13 or 14 had (13.0 to 13.7, 14.0 to "
                          "14.8.1), not '" +
                              std::string(item.value) + "'");
    else o.ios = *version;
  } else {
    return false;
  }
  return true;
}

CliCommand parse_preview(std::span<const std::string_view> args) {
  if (wants_help(args)) return show(preview_help());
  static constexpr std::string_view kValued[] = {"-o",    "--output", "--settings", "--icon", "--app",
                                                 "--ios", "--scale",  "--library",  "--arch"};
  CliCommand c;
  c.action = CliCommand::Action::Preview;
  ArgWalker walk("preview", args);
  ArgWalker::Item item;
  std::optional<CliCommand> error;
  while (walk.next(item, kValued)) {
    if (item.positional)
      return usage_error("preview", "unexpected argument '" + std::string(item.value) + "'");
    if (picture_option("preview", item, c.preview, error)) {
      if (error) return *error;
    } else if (item.name == "--icon") {
      c.preview.icon = std::string(item.value);
    } else if (item.name == "--library") {
      if (item.value.empty()) return usage_error("preview", "--library takes a file");
      c.preview.library = std::string(item.value);
    } else if (item.name == "--arch") {
      if (item.value != "arm64" && item.value != "arm64e")
        return usage_error("preview", "--arch takes arm64 or arm64e, not '" + std::string(item.value) + "'");
      c.preview.arch = std::string(item.value);
    } else {
      if (c.preview.apps.size() == 4) return usage_error("preview", "--app may be given at most 4 times");
      c.preview.apps.emplace_back(item.value);
    }
  }
  if (walk.error) return *walk.error;
  if (c.preview.icon && !c.preview.apps.empty())
    return usage_error("preview", "--icon and --app cannot be used together");
  return c;
}

CliCommand parse_pane(std::span<const std::string_view> args) {
  if (wants_help(args)) return show(pane_help());
  static constexpr std::string_view kValued[] = {"-o", "--output", "--settings", "--ios", "--scale"};
  CliCommand c;
  c.action = CliCommand::Action::Pane;
  ArgWalker walk("pane", args);
  ArgWalker::Item item;
  std::optional<CliCommand> error;
  while (walk.next(item, kValued)) {
    if (item.positional) return usage_error("pane", "unexpected argument '" + std::string(item.value) + "'");
    picture_option("pane", item, c.pane, error);
    if (error) return *error;
  }
  if (walk.error) return *walk.error;
  return c;
}

}  // namespace

CliCommand parse_cli(std::span<const std::string_view> args) {
  if (args.empty()) return usage_error("", "missing command");
  std::string_view first = args[0];
  std::span<const std::string_view> rest = args.subspan(1);
  if (is_help(first) || first == "help") {
    if (rest.empty()) return show(main_help());
    if (auto text = command_help(rest[0])) return show(*text);
    return usage_error("", "no help for unknown command '" + std::string(rest[0]) + "'");
  }
  if (first == "--version")
    // The simulator and the library it loads are built from one VERSION.
    return show("corvane-sim " CORVANE_VERSION "\nCorvane13 library " CORVANE_VERSION "\n");
  if (first == "run") return parse_run(rest);
  if (first == "preview") return parse_preview(rest);
  if (first == "pane") return parse_pane(rest);
  if (first.starts_with("-")) return usage_error("", "unknown option '" + std::string(first) + "'");
  return usage_error("", "unknown command '" + std::string(first) + "'");
}

CliCommand parse_cli(int argc, const char* const* argv) {
  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return parse_cli(std::span<const std::string_view>(args));
}

}  // namespace corvane::cli
