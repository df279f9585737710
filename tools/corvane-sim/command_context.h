// What a script command works with while it runs: the session, the output
// streams and where in the script it stands.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tools/corvane-sim/json.h"
#include "tools/corvane-sim/lexer.h"
#include "tools/corvane-sim/session.h"

namespace corvane::cli {

using Words = std::vector<Word>;

// A script error's message, or nothing when the command ran.
using CommandError = std::optional<std::string>;
inline const CommandError kNoError = std::nullopt;

struct CommandContext {
  Session& session;
  std::ostream& out;                   // JSON Lines
  std::ostream& err;                   // diagnostics
  std::string location;                // "SCRIPT:LINE" of the command
  std::vector<std::string>& failures;  // failed expects, listed when the script ends

  // Prints one JSON document as a line of output.
  void emit(const Json& j) const;
};

}  // namespace corvane::cli
