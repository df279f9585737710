// Icons read from files by scripts (png:PATH, app:PATH, image(...)), end to
// end: the optimised PNG variant samples like the ordinary file, a gray PNG
// keeps its gray colour space (so pixel-average sampling gives opaque
// black, as on the phone), and an app's icon is found in folders and
// archives.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/app_fixtures.h"
#include "tools/corvane-sim/json.h"

using namespace corvane_test;
using corvane::cli::Json;

namespace {

struct Result {
  int status;
  std::vector<std::string> lines;
  std::string err;
};

Result run(const TempDir& dir, const std::string& script) {
  write_bytes(dir.path() + "/script.cvs", script);
  const std::string cmd =
      std::string(CORVANE_SIM_PATH) + " run " + dir.path() + "/script.cvs 2> " + dir.path() + "/err";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  Result r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}, read_bytes(dir.path() + "/err")};
  for (size_t at = 0; at < out.size();) {
    const size_t end = out.find('\n', at);
    r.lines.push_back(out.substr(at, end - at));
    at = end == std::string::npos ? out.size() : end + 1;
  }
  return r;
}

}  // namespace

// Each line sends the same question about a different icon; the answers
// must pair up as the comments say.
TEST(IconFiles, OptimisedAndGrayIconsSampleAsOnThePhone) {
  TempDir dir;
  const std::string d = dir.path();
  const Picture ember = project_icon("ember@3x.png");
  write_bytes(d + "/ember.png", ordinary_png(ember));
  write_bytes(d + "/ember-optimised.png", optimised_png(ember));
  Picture opaque = ember;
  for (size_t i = 3; i < opaque.rgba.size(); i += 4) opaque.rgba[i] = 255;
  write_bytes(d + "/opaque.png", ordinary_png(opaque, PNG_COLOR_TYPE_RGB));
  write_bytes(d + "/opaque-optimised.png", optimised_png(opaque, {.alpha = false}));
  const Picture grey = uniform_picture(40, 40, {128, 128, 128, 255});
  write_bytes(d + "/grey.png", ordinary_png(grey, PNG_COLOR_TYPE_GRAY));
  write_bytes(d + "/grey-alpha.png", ordinary_png(grey, PNG_COLOR_TYPE_GRAY_ALPHA));
  write_bytes(d + "/grey-as-rgb.png", ordinary_png(grey, PNG_COLOR_TYPE_RGB));
  make_app_folder(
      d, "Ember.app",
      {{"Info.plist", info_plist("Ember", {"AppIcon60x60"})}, {"AppIcon60x60@3x.png", optimised_png(ember)}});

  const std::string sample = "send b adaptiveColorForImage: image(";
  std::string script = "load\nnew b banner\n";
  const std::string png = "png:" + d + "/", app = "app:" + d + "/";
  for (const std::string& icon :
       {png + "ember.png", png + "ember-optimised.png", app + "Ember.app", png + "grey.png",
        png + "grey-alpha.png", png + "grey-as-rgb.png", std::string("solid:0,0,0,255@40x40"),
        std::string("solid:128,128,128,255@40x40")})
    script += sample + icon + ")\n";
  // Banners tinted from the gray file and from the same gray as RGB.
  script += "new g banner icon=" + png + "grey.png\nlayout g\nsend g.customContentView backgroundColor\n";
  script +=
      "new r banner icon=" + png + "grey-as-rgb.png\nlayout r\nsend r.customContentView backgroundColor\n";
  script += "new k banner icon=solid:0,0,0,255@40x40\nlayout k\nsend k.customContentView backgroundColor\n";
  script +=
      "new m banner icon=solid:128,128,128,255@40x40\nlayout m\nsend m.customContentView backgroundColor\n";
  // An optimised file without alpha (B, G, R) samples like the ordinary RGB file.
  script += sample + png + "opaque.png)\n" + sample + png + "opaque-optimised.png)\n";

  Result r = run(dir, script);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.lines.size(), 14u) << r.err;
  const auto& L = r.lines;
  EXPECT_EQ(L[1], L[0]) << "optimised file samples like the ordinary one";
  EXPECT_EQ(L[2], L[0]) << "the app's icon is that file";
  EXPECT_EQ(L[3], L[6]) << "a gray PNG samples as opaque black";
  EXPECT_EQ(L[4], L[6]) << "so does gray with alpha";
  EXPECT_EQ(L[5], L[7]) << "the same gray as RGB samples as the gray";
  EXPECT_NE(L[5], L[6]);
  EXPECT_EQ(L[8], L[10]) << "a banner with a gray PNG icon gets the tint of opaque black";
  EXPECT_EQ(L[9], L[11]) << "one with the RGB PNG of the same gray gets the gray's";
  EXPECT_NE(L[8], L[9]);
  EXPECT_EQ(L[13], L[12]);
}

TEST(IconFiles, UnreadableIconsAreScriptErrorsNamingTheFile) {
  TempDir dir;
  const std::string d = dir.path();
  write_bytes(d + "/cut.png", optimised_png(project_icon("moss.png")).substr(0, 80));
  make_app_folder(d, "NoIcon.app", {{"Info.plist", info_plist("NoIcon", {"AppIcon60x60"})}});
  make_zip(d + "/Two.ipa", {{"Payload/A.app/Info.plist", "x"}, {"Payload/B.app/Info.plist", "y"}});
  const struct {
    const char* icon;
    const char* message;
  } cases[] = {
      {"png:cut.png", "cut.png: bad PNG image: the PNG data ends early"},
      {"app:NoIcon.app", "NoIcon.app: none of its icon files is there"},
      {"app:Two.ipa", "Two.ipa holds 2 apps"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.icon);
    // png: or app:, then the file's absolute path.
    Result r = run(dir, "load\nnew b banner icon=" + std::string(c.icon, 4) + d + "/" + (c.icon + 4) + "\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("script.cvs:2: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

// Pictures whose header claims more than the file can be or may hold are
// refused from the header, before their pixel memory is taken, by every
// route that reads an icon.
TEST(IconFiles, OversizedPicturesAreRefusedFromTheirHeader) {
  TempDir dir;
  const std::string d = dir.path();
  const struct {
    const char* name;
    std::string png;
    const char* message;
  } cases[] = {
      {"Claims", crafted_png(16384, 16384, 6, std::string(100, '\0')),
       "too large (16384x16384 pixels; at most 4096 a side)"},
      {"Wide", optimised_png(uniform_picture(4097, 1, {1, 2, 3, 255})), "too large (4097x1 pixels"},
      {"Short", crafted_png(4096, 4096, 6, std::string(100, '\0')),
       "the image data ends early (100 of the 67112960 bytes"},
      {"Damaged",
       std::string("\x89PNG\r\n\x1a\n", 8) + ihdr(64, 64, 8, 6, 0) + png_chunk("IDAT", "\x78\x9c\xff\xff") +
           png_chunk("IEND", ""),
       "damaged image data: invalid block type"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write_bytes(d + "/" + c.name + ".png", c.png);
    make_app_folder(d, std::string(c.name) + ".app",
                    {{"Info.plist", info_plist(c.name, {"Icon"})}, {"Icon@2x.png", c.png}});
    for (const std::string& icon : {"png:" + d + "/" + c.name + ".png", "app:" + d + "/" + c.name + ".app"}) {
      Result r = run(dir, "load\nnew b banner icon=" + icon + "\n");
      EXPECT_EQ(r.status, 2);
      EXPECT_NE(r.err.find("bad PNG image: "), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
  }
}
