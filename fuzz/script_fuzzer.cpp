// Whole scenario scripts through the interpreter. One session lives across
// inputs: each input boots a fresh process in it and ends it before
// returning, so that an input costs a process boot, not a program start, and
// everything an input allocates is freed within it, the event log and the
// numbering of unnamed objects included (libFuzzer runs the input again and a
// full leak check after any input that leaves more blocks than it found). A
// script may do anything a user's script may, except that `render` draws
// small, into a file of the harness's own rather than a path the input names.
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "fuzz/fuzz_support.h"
#include "sim/system/event_log.h"
#include "tools/corvane-sim/interpreter.h"
#include "tools/corvane-sim/lexer.h"
#include "tools/corvane-sim/session.h"

namespace {

// Counts what is written and keeps nothing.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The folders are removed when the fuzzer exits; the session is left to the
// end of the program, as the simulated process cannot be torn down from a
// static destructor.
fuzz::TempFolder g_root;
fuzz::TempFolder g_scratch;

struct Harness {
  const fuzz::TempFolder& root = g_root;
  const fuzz::TempFolder& scratch = g_scratch;
  corvane::cli::Session session{root.path()};
  NullBuffer null;
  std::ostream out{&null};
  std::ostream err{&null};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness* h = new Harness();
  using corvane::cli::Interpreter;

  corvane::cli::LexResult lexed =
      corvane::cli::lex_script(std::string(reinterpret_cast<const char*>(data), size));
  h->session.reset();
  Interpreter interpreter(h->session, h->out, h->err);
  for (corvane::cli::Line& line : lexed.lines) {
    if (line.words.size() >= 2 && line.words[0].text == "render") {
      line.words.resize(3);
      line.words[1] = corvane::cli::Word{h->scratch.path() + "/render.png", "", false};
      line.words[2] = corvane::cli::Word{"scale=0.125", "scale=0.125", false};
    }
    if (interpreter.run_line(line)) break;  // a script error or a crash ends the script
  }
  h->session.end();
  // The event log lives until the next reset otherwise: an input that logs
  // more than the one before it would look like a leak, and libFuzzer then
  // runs the input again and scans the whole heap for leaks.
  sim::clear_events();
  return 0;
}
