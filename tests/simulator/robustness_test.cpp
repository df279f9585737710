// corvane-sim run against hostile scripts and files: arguments of the wrong
// kind, files that never end or are not files, and the simulated process
// crashing. None of these may abort the simulator, and each is reported
// with the script line that caused it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "simulator/run_util.h"

using corvane_test::TempDir;
using corvane_test::write_bytes;
using run_test::lines;
using run_test::run_script;

namespace {

struct Case {
  std::string script;
  std::string message;  // part of standard error
};

void expect_status(int status, const Case& c) {
  SCOPED_TRACE(c.script);
  const auto result = run_script(c.script);
  EXPECT_EQ(result.status, status) << result.err;
  EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
}

// A sparse file of `bytes` bytes: large on paper, cheap on disk.
std::string sparse_file(const TempDir& dir, const std::string& name, off_t bytes) {
  const std::string path = dir.path() + "/" + name;
  write_bytes(path, "");
  EXPECT_EQ(::truncate(path.c_str(), bytes), 0);
  return path;
}

TEST(SimulatorRobustness, ArgumentsMustMatchTheMethodsTypes) {
  const Case cases[] = {
      {"new b banner\nsend b setBackgroundColor: 5\ndump b\n",
       "<stdin>:2: argument 1 of setBackgroundColor:: an object is expected, not 5"},
      {"new b banner\nsend b setBackgroundColor: -0.5\n", "an object is expected, not -0.5"},
      {"new b banner\nsend b setBackgroundColor: YES\n", "an object is expected, not YES"},
      {"new v view\nsend v setHidden: 1\n", "<stdin>:2: argument 1 of setHidden:"},
      {"new v view\nsend v setHidden: \"YES\"\n", "YES or NO is expected, not \"YES\""},
      {"new v view\nsend v setAlpha: v\n", "argument 1 of setAlpha:"},
      {"new v view\nsend v setAlpha: \"0.5\"\n", "a number is expected, not \"0.5\""},
      {"new v view\nsend v setOverrideUserInterfaceStyle: 1.5\n",
       "argument 1 of setOverrideUserInterfaceStyle:"},
      {"new v view\nsend v setFrame: \"0,0,1,1\"\n", "a rectangle x,y,w,h is expected"},
      {"new v view\nsend v respondsToSelector: 5\n", "a selector name is expected, not 5"},
      {"new v view\nsend v respondsToSelector: \"frame\"\n", "a selector name is expected, not \"frame\""},
      {"new v view\nsend v respondsToSelector: rgba(1,0,0,1)\n", "a selector name is expected"},
  };
  for (const Case& c : cases) expect_status(2, c);
}

TEST(SimulatorRobustness, ArgumentsOfTheRightKindsArePassed) {
  const auto result = run_script(
      "let none = nil\n"
      "new v view\n"
      "send v setBackgroundColor: rgba(1,0,0,1)\n"
      "expect v.backgroundColor rgba(1,0,0,1)\n"
      "send v setBackgroundColor: none\n"
      "expect v.backgroundColor nil\n"
      "send v setHidden: YES\n"
      "send v respondsToSelector: setHidden:\n"
      "send v respondsToSelector: flyAway\n"
      "send v setOverrideUserInterfaceStyle: 2\n"
      "expect v.overrideUserInterfaceStyle 2\n");
  ASSERT_EQ(result.status, 0) << result.err;
  const auto docs = lines(result.out);
  ASSERT_EQ(docs.size(), 6u) << result.out;
  EXPECT_EQ(docs[3].dump(), R"({"result":true})");
  EXPECT_EQ(docs[4].dump(), R"({"result":false})");
}

// What the host raises ends the simulated process: status 3, the line, the
// reason; nothing after it runs, and what came before stays on the output.
TEST(SimulatorRobustness, TheHostRaisingIsReportedAsACrash) {
  const Case cases[] = {
      {"new v view\nsend v valueForKey: \"nope\"\ndump v\n",
       "<stdin>:2: the simulated process crashed: [<UIView> valueForKey:]: this class is not key value "
       "coding-compliant for the key nope"},
      {"new b banner\nlet n = 5\nsend b setBackgroundColor: n\ndump b\n",
       "<stdin>:3: the simulated process crashed: -[NSNumber CGColor]: unrecognized selector"},
      // The library sending to a view what only an image answers.
      {"load\nnew v view\nnew b banner\nsend b adaptiveColorForImage: v\n",
       "<stdin>:4: the simulated process crashed: -[UIView size]: unrecognized selector sent to instance"},
      {"load\nnew w widget\nlayout w\nsend w adaptiveAlternateColorForImage: w\n",
       "<stdin>:4: the simulated process crashed: -[WGWidgetPlatterView CGImage]: unrecognized selector"},
      // A view asks a new subview where it stands; what is not a view does not answer.
      {"new v view\nlet i = image(solid:1,2,3,255@4x4)\nsend v addSubview: i\n",
       "<stdin>:3: the simulated process crashed: -[UIImage superview]: unrecognized selector"},
      {"new v view\nsend v insertSubview:atIndex: UIView 0\n",
       "<stdin>:2: the simulated process crashed: +[UIView superview]: unrecognized selector sent to class"},
  };
  for (const Case& c : cases) expect_status(3, c);

  const auto result = run_script("new v view\ndump v.frame\nsend v valueForKey: \"nope\"\ndump v.frame\n");
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.out, "[0,0,359,76]\n");
}

TEST(SimulatorRobustness, OnlyRegularFilesOfABoundedSizeAreRead) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir.path() + "/fifo").c_str(), 0644), 0);
  const std::string big_settings = sparse_file(dir, "big.plist", (8 << 20) + 1);
  const std::string big_icon = sparse_file(dir, "big.png", (64 << 20) + 1);
  const Case cases[] = {
      {"settings-file /dev/zero\n", "<stdin>:1: /dev/zero is not a regular file"},
      {"load\nsettings-file " + dir.path() + "/fifo\n",
       "<stdin>:2: " + dir.path() + "/fifo is not a regular file"},
      {"settings-file " + dir.path() + "\n", "is a directory"},
      {"settings-file " + big_settings + "\n", big_settings + " is larger than 8 MiB"},
      {"new b banner icon=png:/dev/zero\n",
       "<stdin>:1: cannot read icon /dev/zero: /dev/zero is not a regular file"},
      {"let i = image(png:/dev/urandom)\n", "<stdin>:1: cannot read icon /dev/urandom"},
      {"new b banner icon=png:" + big_icon + "\n", "is larger than 64 MiB"},
  };
  const auto start = std::chrono::steady_clock::now();
  for (const Case& c : cases) expect_status(2, c);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  for (const char* script : {"/dev/zero", "/dev/null"}) {
    const auto r = run_test::run_sim(std::string("run ") + script, "");
    EXPECT_EQ(r.status, 2) << script;
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  }
  const auto piped = run_test::run_sim("run - ", "");
  EXPECT_EQ(piped.status, 0) << piped.err;
}

}  // namespace
