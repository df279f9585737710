// The scripts' `render FILE.png [scale=N]`: the bound top-level objects on a
// phone-sized canvas grown to take in every frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "preview/preview_test_util.h"
#include "support/sim_fixture.h"
#include "tools/corvane-sim/interpreter.h"
#include "tools/corvane-sim/session.h"

using namespace corvane_test;
using namespace corvane::cli;

namespace {

struct Result {
  int status;
  std::string err;
};

Result run(const std::string& script) {
  Session session(std::nullopt);
  std::ostringstream out, err;
  Interpreter interpreter(session, out, err);
  return {interpreter.run_script("test.cvs", script), err.str()};
}

TEST(RenderCommand, CanvasIsThePhoneScreenGrownToTheFrames) {
  TempDir dir;
  struct Row {
    const char* what;
    std::string objects;
    std::string scale;
    int width, height;
  };
  const Row rows[] = {
      {"phone screen", "new v view frame=10,10,50,50\n", "scale=1", 375, 812},
      {"scaled", "new v view frame=10,10,50,50\n", "scale=2", 750, 1624},
      {"grown right and down", "new v view frame=300,800,200,100\n", "scale=1", 500, 900},
      {"grown left and up", "new v view frame=-25,-40,10,10\n", "scale=1", 400, 852},
      {"far away views are cut off", "new v view frame=5000,0,10,10\n", "scale=1", 2048, 812},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const std::string path = dir.path() + "/screen.png";
    Result res = run(r.objects + "render " + path + " " + r.scale + "\n");
    ASSERT_EQ(res.status, 0) << res.err;
    sim::render::Surface png = read_png(path);
    EXPECT_EQ(png.width(), r.width);
    EXPECT_EQ(png.height(), r.height);
  }
}

// Bound views draw in the order they were made, wherever their frames put
// them; views inside others and platter controllers' views are drawn too.
TEST(RenderCommand, DrawsBoundObjectsWhereTheyStand) {
  TempDir dir;
  const std::string path = dir.path() + "/screen.png";
  const std::string script =
      "new back view frame=0,0,100,100\n"
      "send back setBackgroundColor: rgba(1,0,0,1)\n"
      "new front view frame=50,50,100,100\n"
      "send front setBackgroundColor: rgba(0,0,1,1)\n"
      "new inner view frame=10,10,20,20\n"
      "send inner setBackgroundColor: rgba(0,1,0,1)\n"
      "send back addSubview: inner\n"
      "new m platter\n"
      "layout m\n"
      "render " +
      path + " scale=1\n";
  Result res = run(script);
  ASSERT_EQ(res.status, 0) << res.err;
  sim::render::Surface png = read_png(path);
  EXPECT_TRUE(near_pixel(png.pixel(40, 40), {255, 0, 0, 255}, 0));
  EXPECT_TRUE(near_pixel(png.pixel(15, 15), {0, 255, 0, 255}, 0));  // inner, inside back
  EXPECT_TRUE(near_pixel(png.pixel(75, 75), {0, 0, 255, 255}, 0));  // front, made later, on top
  // The platter's icon at (24, 160) is drawn, not the plain backdrop.
  EXPECT_FALSE(near_pixel(png.pixel(44, 180), png.pixel(200, 180), 10));
}

TEST(RenderCommand, BadRequestsAreScriptErrors) {
  TempDir dir;
  struct Row {
    const char* what;
    std::string line;
    std::string message;
  };
  const Row rows[] = {
      {"missing folder", "render " + dir.path() + "/no/such/x.png", "no/such/x.png"},
      {"zero scale", "render " + dir.path() + "/x.png scale=0", "scale"},
      {"too many pixels", "new v view frame=0,0,2000,2000\nrender " + dir.path() + "/x.png scale=8",
       "smaller scale"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Result res = run(r.line + "\n");
    EXPECT_EQ(res.status, 2);
    EXPECT_NE(res.err.find(r.message), std::string::npos) << res.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/x.png"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  }
}

}  // namespace
