// Splits a scenario script into lines of words.
//
// One command a line. Words are separated by spaces or tabs; `#` outside
// quotes starts a comment that runs to the end of the line. A part of a word
// may be quoted with "..." (inside, \" and \\ stand for themselves and \n, \t
// for a newline and a tab); a quote may not run past the end of its line.
// Lines that hold no word are dropped, but every line keeps its 1-based
// number in the source so that errors can point at it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

struct Word {
  std::string text;     // the word with quotes removed and escapes resolved
  std::string raw;      // the word as written in the source
  bool quoted = false;  // the whole word is quoted: a string literal, never a name
};

struct Line {
  int number = 0;  // 1-based line number in the source
  std::vector<Word> words;
};

struct ScriptError {
  int line = 0;
  std::string message;
};

struct LexResult {
  std::vector<Line> lines;           // only lines that hold at least one word
  std::optional<ScriptError> error;  // set on the first malformed line; `lines` then stops before it
};

LexResult lex_script(std::string_view source);

// Reads one word of raw source as the lexer would have (used to re-read the
// part of a word after `KEY=`). Spaces and `#` count only inside quotes.
// On an unterminated quote or a bad escape, returns false and sets `error`.
bool lex_word(std::string_view raw, Word& out, std::string& error);

}  // namespace corvane::cli
