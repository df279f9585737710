// The phone's own library with bytes flipped anywhere in it, loaded and run
// under emulation through one script of the library's everyday work (its
// load-time entry, a banner's layout, a style switch, a force-touch menu, a
// widget, the status bar). Whatever the bytes, loading must refuse the file
// or the simulated process must run or crash: never the host.
//
// The mutator keeps the file's size and flips one to four bytes, so that
// nearly every input is still a dylib that loads and runs somewhere new.
// Seeded with the library as built (scripts/fuzz copies it in).
#include <cstdint>
#include <cstring>
#include <fstream>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>

#include "fuzz/fuzz_support.h"
#include "tools/corvane-sim/interpreter.h"
#include "tools/corvane-sim/lexer.h"
#include "tools/corvane-sim/session.h"

namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

const char kScript[] = R"(settings darkColorTint=YES statusBarText=YES
load
new b1 banner icon=solid:255,59,48,255@40x40 frame=0,0,359,76
layout b1
style dark
layout b1
new m platter
layout m
new w widget
layout w
style light
dump b1
)";

fuzz::TempFolder g_root;
fuzz::TempFolder g_files;

struct Harness {
  std::string library = g_files.path() + "/Corvane13.dylib";
  corvane::cli::Session session{g_root.path(), library};
  NullBuffer null;
  std::ostream out{&null};
  std::ostream err{&null};
  corvane::cli::LexResult script = corvane::cli::lex_script(kScript);
};

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size, unsigned seed) {
  (void)max_size;
  if (size == 0) return 0;
  std::minstd_rand rng(seed);
  for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n)
    data[rng() % size] ^= static_cast<uint8_t>(1 + rng() % 255);
  return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness* h = new Harness();
  std::ofstream(h->library, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  h->session.reset();
  corvane::cli::Interpreter interpreter(h->session, h->out, h->err);
  for (const corvane::cli::Line& line : h->script.lines)
    if (interpreter.run_line(line)) break;  // a refused library or a crash ends the script
  h->session.end();
  return 0;
}
