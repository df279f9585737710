#include "tools/corvane-sim/lexer.h"

namespace corvane::cli {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Scans one word starting at `pos` of `text`; `stop_at_blank` makes spaces
// and `#` outside quotes end the word (script lines), otherwise they are part
// of it (a lone word re-read with lex_word). Leaves `pos` after the word.
bool scan_word(std::string_view text, size_t& pos, bool stop_at_blank, Word& out, std::string& error) {
  out = Word{};
  size_t start = pos;
  bool any_bare = false;
  bool any_quote = false;
  while (pos < text.size()) {
    char c = text[pos];
    if (stop_at_blank && (is_blank(c) || c == '#')) break;
    if (c != '"') {
      out.text += c;
      any_bare = true;
      ++pos;
      continue;
    }
    any_quote = true;
    ++pos;  // opening quote
    bool closed = false;
    while (pos < text.size()) {
      char q = text[pos++];
      if (q == '"') {
        closed = true;
        break;
      }
      if (q != '\\') {
        out.text += q;
        continue;
      }
      if (pos == text.size()) break;  // a backslash before the end: unterminated
      char e = text[pos++];
      switch (e) {
        case '"': out.text += '"'; break;
        case '\\': out.text += '\\'; break;
        case 'n': out.text += '\n'; break;
        case 't': out.text += '\t'; break;
        default:
          error = std::string("unknown escape '\\") + e + "' in quoted word (use \\\" \\\\ \\n or \\t)";
          return false;
      }
    }
    if (!closed) {
      error = "unterminated quote";
      return false;
    }
  }
  out.raw = std::string(text.substr(start, pos - start));
  out.quoted = any_quote && !any_bare;
  return true;
}

}  // namespace

bool lex_word(std::string_view raw, Word& out, std::string& error) {
  size_t pos = 0;
  return scan_word(raw, pos, false, out, error);
}

LexResult lex_script(std::string_view source) {
  LexResult result;
  int number = 0;
  size_t line_start = 0;
  while (line_start <= source.size()) {
    size_t end = source.find('\n', line_start);
    if (end == std::string_view::npos) end = source.size();
    std::string_view text = source.substr(line_start, end - line_start);
    ++number;

    Line line;
    line.number = number;
    size_t pos = 0;
    while (pos < text.size()) {
      if (is_blank(text[pos])) {
        ++pos;
        continue;
      }
      if (text[pos] == '#') break;
      Word word;
      std::string error;
      if (!scan_word(text, pos, true, word, error)) {
        result.error = ScriptError{number, std::move(error)};
        return result;
      }
      line.words.push_back(std::move(word));
    }
    if (!line.words.empty()) result.lines.push_back(std::move(line));
    if (end == source.size()) break;
    line_start = end + 1;
  }
  return result;
}

}  // namespace corvane::cli
