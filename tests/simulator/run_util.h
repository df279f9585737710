// Running corvane-sim as a child process from the simulator's tests.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/sim_fixture.h"
#include "tools/corvane-sim/json.h"

namespace run_test {

struct Result {
  int status;  // the exit status, or -1 when the program did not exit (a signal)
  std::string out;
  std::string err;
};

// Runs `corvane-sim ARGS` with `input` on standard input.
inline Result run_sim(const std::string& args, const std::string& input) {
  corvane_test::TempDir dir;
  corvane_test::write_bytes(dir.path() + "/input", input);
  std::string cmd =
      std::string(CORVANE_SIM_PATH) + " " + args + " < " + dir.path() + "/input 2> " + dir.path() + "/err";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, corvane_test::read_bytes(dir.path() + "/err")};
}

// Runs a script given on standard input.
inline Result run_script(const std::string& script, const std::string& extra_args = "") {
  return run_sim("run - " + extra_args, script);
}

// The JSON documents of JSON Lines output.
inline std::vector<corvane::cli::Json> lines(const std::string& out) {
  std::vector<corvane::cli::Json> docs;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    auto parsed = corvane::cli::parse_json(out.substr(start, end - start));
    EXPECT_TRUE(parsed.value) << out.substr(start, end - start);
    if (parsed.value) docs.push_back(*parsed.value);
    start = end == std::string::npos ? out.size() : end + 1;
  }
  return docs;
}

}  // namespace run_test
