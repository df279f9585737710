// The script commands run in process: their errors for misuse, how names
// and literals become objects, the order rules of the process's set-up and
// the keys each kind of `new` takes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tools/corvane-sim/interpreter.h"
#include "tools/corvane-sim/lexer.h"
#include "tools/corvane-sim/session.h"

using namespace corvane::cli;

namespace {

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result run(const std::string& script) {
  Session session(std::nullopt);
  std::ostringstream out, err;
  Interpreter interpreter(session, out, err);
  int status = interpreter.run_script("t.cvs", script);
  return {status, out.str(), err.str()};
}

struct ErrorCase {
  const char* script;
  const char* error;  // the whole of standard error
};

void expect_script_errors(const ErrorCase* begin, const ErrorCase* end) {
  for (const ErrorCase* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->script);
    Result r = run(c->script);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, c->error);
  }
}

// Many scripts in one session (the script fuzzer): after end() and reset()
// a script starts as in a fresh session, and no process boots until a
// command other than ios or process needs one, which then has their options.
TEST(ScriptCommands, AResetSessionStartsAfreshAndBootsWhenFirstNeeded) {
  Session session(std::nullopt);
  EXPECT_EQ(session.number_for(1000), 1u);
  EXPECT_EQ(session.number_for(1001), 2u);
  session.end();
  session.reset();
  EXPECT_FALSE(session.booted());
  EXPECT_EQ(session.number_for(1001), 1u);
  std::ostringstream out, err;
  Interpreter interpreter(session, out, err);
  for (const char* line : {"ios 14.0", "process app com.example", "frobnicate"}) {
    interpreter.run_line(lex_script(line).lines[0]);
    EXPECT_FALSE(session.booted()) << line;
  }
  const auto error = interpreter.run_line(lex_script("new v view").lines[0]);
  EXPECT_FALSE(error) << *error;
  ASSERT_TRUE(session.booted());
  EXPECT_EQ(session.process().options().ios.major, 14);
  EXPECT_EQ(session.process().options().kind, sim::ProcessKind::App);
}

TEST(ScriptCommands, MisuseGivesTheCommandsUsage) {
  const ErrorCase cases[] = {
      {"frobnicate\n", "t.cvs:1: unknown command 'frobnicate'\n"},
      {"\"load\"\n", "t.cvs:1: a command cannot be a quoted string\n"},
      {"ios\n", "t.cvs:1: usage: ios VERSION\n"},
      {"process app\n",
       "t.cvs:1: usage: process springboard | process app BUNDLE_ID [sandboxed=YES|NO] | process daemon "
       "NAME | process settings\n"},
      {"pane\n", "t.cvs:1: usage: pane open [LABEL] | pane set KEY VALUE | pane tap LABEL\n"},
      {"switch home\n", "t.cvs:1: usage: switch springboard | switch app BUNDLE_ID | switch settings\n"},
      {"pane open\n", "t.cvs:1: the process is not the Settings app (process settings)\n"},
      {"process settings\npane open\npane set notifications maybe\n",
       "t.cvs:3: a switch takes YES or NO and a slider a number, not 'maybe'\n"},
      {"process settings\npane open\npane tap Respring\n",
       "t.cvs:3: the open page has no button 'Respring'\n"},
      {"process settings\npane open\npane set notifications 1\n",
       "t.cvs:3: the switch of 'notifications' takes YES or NO\n"},
      {"settings\n", "t.cvs:1: usage: settings KEY=VALUE ...\n"},
      {"settings-file\n", "t.cvs:1: usage: settings-file PATH\n"},
      {"settings-remove x\n", "t.cvs:1: usage: settings-remove\n"},
      {"load x\n", "t.cvs:1: usage: load\n"},
      {"new a\n", "t.cvs:1: usage: new NAME KIND [key=value ...]\n"},
      {"let a 1\n", "t.cvs:1: usage: let NAME = VALUE\n"},
      {"layout\n", "t.cvs:1: usage: layout NAME\n"},
      {"style\n", "t.cvs:1: usage: style light|dark|unspecified\n"},
      {"arbiter\n", "t.cvs:1: usage: arbiter SELECTOR ARGS...\n"},
      {"post\n", "t.cvs:1: usage: post NAME [OBJECT]\n"},
      {"darwin-post\n", "t.cvs:1: usage: darwin-post NAME\n"},
      {"tick\n", "t.cvs:1: usage: tick SECONDS\n"},
      {"device\n", "t.cvs:1: usage: device locked=YES/NO homescreen=YES/NO frontapp=BUNDLE_ID\n"},
      {"zoom q=1\n", "t.cvs:1: usage: zoom [w=W h=H]\n"},
      {"send a\n", "t.cvs:1: usage: send TARGET SELECTOR [ARGS...]\n"},
      {"relaunch x\n", "t.cvs:1: usage: relaunch\n"},
      {"dump\n", "t.cvs:1: usage: dump NAME | process | events | runtime | class NAME | file PATH\n"},
      {"dump file\n", "t.cvs:1: usage: dump file PATH\n"},
      {"dump a b\n", "t.cvs:1: usage: dump NAME\n"},
      {"expect a\n", "t.cvs:1: usage: expect NAME.FIELD[.FIELD...] VALUE\n"},
      {"render\n", "t.cvs:1: usage: render FILE.png [scale=N]\n"},
  };
  expect_script_errors(std::begin(cases), std::end(cases));
}

TEST(ScriptCommands, NamesThatReachNoObjectAreErrors) {
  const ErrorCase cases[] = {
      {"layout nobody\n", "t.cvs:1: no object named 'nobody'\n"},
      {"layout a..b\n", "t.cvs:1: malformed field path 'a..b' (empty component)\n"},
      {"new v view\nlayout v.nothing\n", "t.cvs:2: no object named 'v.nothing'\n"},
      {"let n = nil\nlayout n\n", "t.cvs:2: no object named 'n'\n"},
      {"post note nobody\n", "t.cvs:1: no object named 'nobody'\n"},
      {"let a = nobody\n", "t.cvs:1: no object named 'nobody'\n"},
      {"let a = UIColor\n", "t.cvs:1: no object named 'UIColor'\n"},
      {"send nobody frame\n", "t.cvs:1: no object or class named 'nobody'\n"},
      {"new v view\nsend v addSubview: nobody\n",
       "t.cvs:2: argument 1 of addSubview:: no object named 'nobody'\n"},
      {"new v view\nsend v addSubview: 5\n",
       "t.cvs:2: argument 1 of addSubview:: an object is expected, not 5\n"},
      {"dump nobody\n", "t.cvs:1: no object named 'nobody'\n"},
      {"new v view\nexpect v.subviews.99999999999999999999 nil\n",
       "t.cvs:2: 'v.subviews' has no field '99999999999999999999'\n"},
  };
  expect_script_errors(std::begin(cases), std::end(cases));
}

// Arguments are read by the method's type encoding: the arbiter's log takes
// five long longs, so a quoted reason is a script error, not an object.
TEST(ScriptCommands, ArbiterArgumentsFollowTheMethodsTypes) {
  const ErrorCase cases[] = {
      {"load\narbiter _logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason: 2 1 2 1 \"test\"\n",
       "t.cvs:2: argument 5 of _logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason:: an integer is "
       "expected, not \"test\"\n"},
      {"load\narbiter userInterfaceStyleModeDidChange: 1\n",
       "t.cvs:2: argument 1 of userInterfaceStyleModeDidChange:: an object is expected, not 1\n"},
  };
  expect_script_errors(std::begin(cases), std::end(cases));
  EXPECT_EQ(
      run("load\narbiter _logChangeEventWithNewMode:oldMode:newStyle:oldStyle:reason: 2 1 2 1 7\n").status,
      0);
}

// A name reaches a bound object or a private part; as a message's target or
// argument, a class name gives the class and a name bound to nil gives nil.
TEST(ScriptCommands, NamesReachObjectsPartsClassesAndNil) {
  Result r =
      run("new b banner\n"
          "let part = b.backgroundView\n"
          "expect part.role \"_backgroundView\"\n"
          "send UIColor colorWithWhite:alpha: 0.25 1\n"
          "let n = nil\n"
          "send n frame\n"
          "new v view\n"
          "send v setBackgroundColor: n\n"
          "post note v\n"
          "dump events\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"result\":[0.25,0.25,0.25,1]}\n"
            "{\"result\":null}\n"
            "{}\n"
            "{\"events\":[{\"kind\":\"post\",\"centre\":\"local\",\"name\":\"note\",\"object\":\"v\"}]}\n");
}

// `let` binds a literal as the host object it stands for; as an argument
// the same literal makes the same object, and a number is no object there.
TEST(ScriptCommands, LiteralsBecomeHostObjects) {
  struct Case {
    const char* literal;
    const char* dumped;
  } cases[] = {
      {"rgba(0.1,0.2,0.3,0.4)", "[0.1,0.2,0.3,0.4]"},
      {"white(0.5,1)", "[0.5,0.5,0.5,1]"},
      {"pattern", "null"},
      {"image(solid:1,2,3,4@5x6*2)", "{\"image\":{\"size\":[5,6],\"scale\":2}}"},
      {"nil", "null"},
      {"YES", "true"},
      {"5", "5"},
      {"2.5", "2.5"},
      {"\"text\"", "\"text\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.literal);
    Result r = run(std::string("let a = ") + c.literal + "\ndump a\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string(c.dumped) + "\n");
  }
  Result r = run("new v view\nsend v setBackgroundColor: white(0.2,1)\ndump v.backgroundColor\n");
  EXPECT_EQ(r.out, "{}\n[0.2,0.2,0.2,1]\n") << r.err;
  r = run("let a = image(png:/nonexistent/icon.png)\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("t.cvs:1: cannot read icon /nonexistent/icon.png"), std::string::npos) << r.err;
}

// ios and process rebuild the process: only before load and before any
// object; their usage is checked first. The settings files may change after.
TEST(ScriptCommands, SetUpComesBeforeLoadAndObjects) {
  const ErrorCase cases[] = {
      {"load\nios 14.0\n", "t.cvs:2: ios must come before load\n"},
      {"load\nprocess app com.example\n", "t.cvs:2: process must come before load\n"},
      {"new v view\nios 14.0\n", "t.cvs:2: ios must come before any object is made\n"},
      {"new v view\nprocess daemon d\n", "t.cvs:2: process must come before any object is made\n"},
      {"load\nios\n", "t.cvs:2: usage: ios VERSION\n"},
      {"load\nload\n", "t.cvs:2: the library is already loaded\n"},
  };
  expect_script_errors(std::begin(cases), std::end(cases));
  Result r =
      run("ios 14.0\nprocess app com.example\nload\n"
          "settings widgets=NO\napplist com.example\nsettings-remove\n");
  EXPECT_EQ(r.status, 0) << r.err;
}

// Each kind of `new` takes its own keys and no other; springboard kinds
// exist only in the springboard, UIKit kinds not in a daemon.
TEST(ScriptCommands, NewKindsTakeTheirKeys) {
  const char* keys[] = {"icon=none", "frame=0,0,10,10", "content=NO",       "effect=NO",
                        "items=2",   "style=1",         "background=plain", "platterView=plain"};
  struct Kind {
    const char* name;
    const char* takes;  // one letter per key above: y takes it
  } kinds[] = {
      {"banner", "yyy-----"},
      {"widget", "yy------"},
      {"platter", "y--yy-yy"},
      {"statusbar", "-----y--"},
      {"statusbar-modern", "-----y--"},
      {"dock", "--------"},
      {"folder-icon", "--------"},
      {"folder-background", "--------"},
      {"view", "-y------"},
  };
  {  // one process at a time: this one ends before the scripts below run
    Session session(std::nullopt);
    std::ostringstream out, err;
    Interpreter interpreter(session, out, err);
    int n = 0;
    for (const Kind& kind : kinds) {
      for (int k = 0; k < 8; ++k) {
        const std::string line = "new o" + std::to_string(n++) + " " + kind.name + " " + keys[k];
        SCOPED_TRACE(line);
        LexResult lexed = lex_script(line);
        ASSERT_EQ(lexed.lines.size(), 1u);
        auto error = interpreter.run_line(lexed.lines[0]);
        const std::string key(keys[k], std::string_view(keys[k]).find('='));
        if (kind.takes[k] == 'y') {
          EXPECT_FALSE(error) << *error;
        } else {
          EXPECT_EQ(error.value_or(""), "unknown key '" + key + "' for " + kind.name);
        }
      }
    }
  }
  const ErrorCase cases[] = {
      {"new b thing\n", "t.cvs:1: unknown kind 'thing'\n"},
      {"new a.b view\n", "t.cvs:1: bad object name 'a.b'\n"},
      {"new p platter items=65\n", "t.cvs:1: items must be between 0 and 64, not 65\n"},
      {"new p platter background=blur\n", "t.cvs:1: background must be elastic or plain, not blur\n"},
      {"new p platter effect=NO background=elastic\n", "t.cvs:1: effect=NO needs background=plain\n"},
      {"new p platter platterView=none\n", "t.cvs:1: platterView must be preview or plain, not none\n"},
      {"process app com.example\nnew d dock\n", "t.cvs:2: a dock exists only in the springboard process\n"},
      {"process daemon d\nnew v view\n", "t.cvs:2: a daemon has no view\n"},
  };
  expect_script_errors(std::begin(cases), std::end(cases));
}

}  // namespace
