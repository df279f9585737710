#include "tools/corvane-sim/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::cli {
namespace {

// A word as "text" or, when quoted, "<text>" so that one string shows both.
std::string show(const Word& w) { return w.quoted ? "<" + w.text + ">" : w.text; }

std::vector<std::string> shown_lines(const LexResult& r) {
  std::vector<std::string> out;
  for (const Line& line : r.lines) {
    std::string s = std::to_string(line.number) + ":";
    for (const Word& w : line.words) {
      s += ' ';
      s += show(w);
    }
    out.push_back(s);
  }
  return out;
}

struct LexCase {
  const char* source;
  std::vector<std::string> lines;
};

TEST(Lexer, SplitsLinesIntoWords) {
  const LexCase cases[] = {
      {"dump b1", {"1: dump b1"}},
      {"  layout\tb1   # lay it out\n", {"1: layout b1"}},
      {"\n# only a comment\n\n   \t\nload\n", {"5: load"}},
      {"load\r\ndump b1\r\n", {"1: load", "2: dump b1"}},
      {"expect x.name \"test\"\nexpect x.name test", {"1: expect x.name <test>", "2: expect x.name test"}},
      {R"(send x foo: "a b" "say \"hi\"" "back\\slash" "tab\there")",
       {"1: send x foo: <a b> <say \"hi\"> <back\\slash> <tab\there>"}},
      {R"(let s = "")", {"1: let s = <>"}},
      {"post a#b c", {"1: post a"}},
      {R"(post "a # b" c)", {"1: post <a # b> c"}},
      {R"(settings name="hello world" n=1)", {"1: settings name=hello world n=1"}},
      {R"(x "a""b" a"b" \n)", {"1: x <ab> ab \\n"}},
      {"", {}},
      {"\n\n", {}},
  };
  for (const LexCase& c : cases) {
    LexResult r = lex_script(c.source);
    EXPECT_FALSE(r.error) << c.source;
    EXPECT_EQ(shown_lines(r), c.lines) << c.source;
  }
}

TEST(Lexer, KeepsRawTextOfWords) {
  LexResult r = lex_script(R"(settings label="a \"b\"" flag=YES)");
  ASSERT_EQ(r.lines.size(), 1u);
  const auto& w = r.lines[0].words;
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[1].raw, R"(label="a \"b\"")");
  EXPECT_EQ(w[1].text, R"(label=a "b")");
  EXPECT_FALSE(w[1].quoted);
  EXPECT_EQ(w[2].raw, "flag=YES");
}

struct LexErrorCase {
  const char* source;
  int line;
  const char* message;
  size_t lines_before;
};

TEST(Lexer, ReportsErrorsWithTheirLine) {
  const LexErrorCase cases[] = {
      {"load\n\nsend x \"abc\ndump x\n", 3, "unterminated quote", 1},
      {"\"abc\\", 1, "unterminated quote", 0},
      {"a\nb\nc \"d\\q\"", 3, "unknown escape '\\q'", 2},
      {"# \"in a comment\nx \"", 2, "unterminated quote", 0},
  };
  for (const LexErrorCase& c : cases) {
    LexResult r = lex_script(c.source);
    ASSERT_TRUE(r.error) << c.source;
    EXPECT_EQ(r.error->line, c.line) << c.source;
    EXPECT_NE(r.error->message.find(c.message), std::string::npos) << r.error->message;
    EXPECT_EQ(r.lines.size(), c.lines_before) << c.source;
  }
}

TEST(Lexer, LexWordReadsOneWordWithSpacesInsideQuotes) {
  Word w;
  std::string error;
  ASSERT_TRUE(lex_word(R"("a b # c")", w, error));
  EXPECT_TRUE(w.quoted);
  EXPECT_EQ(w.text, "a b # c");
  EXPECT_FALSE(lex_word(R"("open)", w, error));
  EXPECT_EQ(error, "unterminated quote");
}

}  // namespace
}  // namespace corvane::cli
