#include "tools/corvane-sim/literals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::cli {
namespace {

// One word as the lexer reads it from script text.
Word word(std::string_view source) {
  Word w;
  std::string error;
  EXPECT_TRUE(lex_word(source, w, error)) << source << ": " << error;
  return w;
}

void expect_error(const std::string& error, std::string_view fragment, std::string_view input) {
  EXPECT_NE(error.find(fragment), std::string::npos) << input << " gave: " << error;
}

IconSpec solid(uint8_t r, uint8_t g, uint8_t b, uint8_t a, double w, double h, double s = 1) {
  IconSpec i;
  i.rgba = {r, g, b, a};
  i.width = w;
  i.height = h;
  i.scale = s;
  return i;
}

TEST(Icon, ReadsEveryForm) {
  IconSpec png;
  png.kind = IconSpec::Kind::Png;
  png.path = "/tmp/a b.png";
  IconSpec none;
  none.kind = IconSpec::Kind::None;
  IconSpec app;
  app.kind = IconSpec::Kind::App;
  app.path = "My Apps/Notes.ipa";
  const struct {
    const char* text;
    IconSpec icon;
  } cases[] = {
      {"solid:255,59,48,255@40x40", solid(255, 59, 48, 255, 40, 40)},
      {"solid:0,0,0,0@0x0", solid(0, 0, 0, 0, 0, 0)},
      {"solid:10,20,30,40@10.5x7.25*2", solid(10, 20, 30, 40, 10.5, 7.25, 2)},
      {"solid:1,2,3,4@60x60*3", solid(1, 2, 3, 4, 60, 60, 3)},
      {"solid:1,2,3,4@1e1x2*0.5", solid(1, 2, 3, 4, 10, 2, 0.5)},
      {"png:/tmp/a b.png", png},
      {"app:My Apps/Notes.ipa", app},
      {"none", none},
  };
  for (const auto& c : cases) {
    auto r = parse_icon(c.text);
    ASSERT_TRUE(r) << c.text << ": " << r.error;
    EXPECT_EQ(*r, c.icon) << c.text;
  }
  EXPECT_EQ(default_icon(), solid(255, 59, 48, 255, 40, 40));
}

TEST(Icon, NamesTheBadPart) {
  const struct {
    const char* text;
    const char* fragment;
  } cases[] = {
      {"solid:256,0,0,255@40x40", "colour byte '256'"},
      {"solid:-1,0,0,255@40x40", "colour byte '-1'"},
      {"solid:1.5,0,0,255@40x40", "colour byte '1.5'"},
      {"solid:0,0,,255@40x40", "colour byte ''"},
      {"solid:0,0,0@40x40", "expected 4 colour bytes"},
      {"solid:0,0,0,0,0@40x40", "expected 4 colour bytes"},
      {"solid:0,0,0,255", "missing '@WxH'"},
      {"solid:0,0,0,255@40", "size '40' is not WxH"},
      {"solid:0,0,0,255@40x40x40", "is not WxH"},
      {"solid:0,0,0,255@-1x40", "width '-1'"},
      {"solid:0,0,0,255@40xabc", "height 'abc'"},
      {"solid:0,0,0,255@40x1e999", "height '1e999'"},
      {"solid:0,0,0,255@40x40*0", "scale '0'"},
      {"solid:0,0,0,255@40x40*-2", "scale '-2'"},
      {"solid:0,0,0,255@40x40*", "scale ''"},
      {"png:", "needs a file path"},
      {"app:", "needs the path of an .app folder or .ipa archive"},
      {"jpeg:x.jpg", "unknown icon 'jpeg:x.jpg'"},
      {"", "unknown icon"},
  };
  for (const auto& c : cases) {
    auto r = parse_icon(c.text);
    ASSERT_FALSE(r) << c.text;
    expect_error(r.error, c.fragment, c.text);
  }
}

TEST(Numbers, AcceptsDecimalFormsOnly) {
  EXPECT_EQ(*parse_integer("-3"), -3);
  EXPECT_EQ(*parse_integer("+7"), 7);
  EXPECT_EQ(*parse_integer("9223372036854775807"), INT64_MAX);
  EXPECT_FALSE(parse_integer("9223372036854775808"));
  EXPECT_EQ(*parse_number("-0.5"), -0.5);
  EXPECT_EQ(*parse_number(".5"), 0.5);
  EXPECT_EQ(*parse_number("5."), 5.0);
  EXPECT_EQ(*parse_number("1e-7"), 1e-7);
  EXPECT_EQ(*parse_number("2E+3"), 2000.0);
  for (const char* bad :
       {"", "-", "+", ".", "e5", "1e", "1e+", "inf", "nan", "0x10", "1,5", " 1", "1 ", "--1", "1e400"})
    EXPECT_FALSE(parse_number(bad)) << bad;
  EXPECT_TRUE(looks_integral("-12"));
  EXPECT_FALSE(looks_integral("12.0"));
  EXPECT_FALSE(looks_integral("1e3"));
}

TEST(Geometry, FramesAndSizes) {
  EXPECT_EQ(*parse_frame("0,0,359,76"), (Frame{0, 0, 359, 76}));
  EXPECT_EQ(*parse_frame("-1.5,2e1,0.25,-4"), (Frame{-1.5, 20, 0.25, -4}));
  EXPECT_EQ(*parse_size("40,40.5"), (Size{40, 40.5}));
  for (const char* bad : {"0,0,359", "0,0,359,76,1", "0,0,x,76", "", "0,,1,1"})
    EXPECT_FALSE(parse_frame(bad)) << bad;
  for (const char* bad : {"40", "40x40", "1,2,3", "a,b"}) EXPECT_FALSE(parse_size(bad)) << bad;
  expect_error(parse_frame("0,0,x,76").error, "'x' is not a number", "frame");
}

TEST(Value, ReadsEveryLiteral) {
  const struct {
    const char* source;
    Value value;
  } cases[] = {
      {"rgba(1,0.5,0,1)", RgbaValue{1, 0.5, 0, 1}},
      {"rgba(-0.2,1.7,3e-1,.5)", RgbaValue{-0.2, 1.7, 0.3, 0.5}},
      {"white(0.2,0.9)", WhiteValue{0.2, 0.9}},
      {"pattern", PatternValue{}},
      {"image(solid:1,2,3,4@20x10*2)", ImageValue{solid(1, 2, 3, 4, 20, 10, 2)}},
      {"nil", NilValue{}},
      {"YES", true},
      {"NO", false},
      {"42", int64_t{42}},
      {"-3", int64_t{-3}},
      {"0.5", 0.5},
      {"-1e-3", -1e-3},
      {"2.0", 2.0},
      {R"("test")", StringValue{"test"}},
      {R"("")", StringValue{""}},
      {R"("YES")", StringValue{"YES"}},
      {R"("nil")", StringValue{"nil"}},
      {"test", NameValue{"test"}},
      {"b1.backgroundView", NameValue{"b1.backgroundView"}},
      {"_logChangeEventWithNewMode:oldMode:", NameValue{"_logChangeEventWithNewMode:oldMode:"}},
      {"UIColor", NameValue{"UIColor"}},
      {"rgba", NameValue{"rgba"}},
  };
  for (const auto& c : cases) {
    auto r = parse_value(word(c.source));
    ASSERT_TRUE(r) << c.source << ": " << r.error;
    EXPECT_EQ(*r, c.value) << c.source;
    EXPECT_EQ(r->index(), c.value.index()) << c.source;
  }
}

TEST(Value, RejectsMalformedLiterals) {
  const struct {
    const char* source;
    const char* fragment;
  } cases[] = {
      {"rgba(1,0,0)", "takes 4 numbers, got 3"},
      {"rgba(1,0,0,1", "missing ')'"},
      {"rgba(1,0,x,1)", "'x' is not a number"},
      {"white(1)", "takes 2 numbers"},
      {"image(solid:1,2,3@1x1)", "expected 4 colour bytes"},
      {"image(gif:a)", "unknown icon"},
      {"12abc", "'12abc' is not a number"},
      {"99999999999999999999", "out of range"},
      {"-x", "unrecognised value '-x'"},
      {"a\"b c\"", "unrecognised value 'a\"b c\"'"},
      {"@foo", "unrecognised value"},
  };
  for (const auto& c : cases) {
    auto r = parse_value(word(c.source));
    ASSERT_FALSE(r) << c.source;
    expect_error(r.error, c.fragment, c.source);
  }
}

TEST(Expected, ConvertsValuesToTheJsonTheyMatch) {
  const struct {
    const char* source;
    const char* json;
  } cases[] = {
      {"nil", "null"},
      {"null", "null"},
      {"YES", "true"},
      {"false", "false"},
      {"13", "13"},
      {"0.3", "0.3"},
      {"rgba(1,0.5,0,1)", "[1,0.5,0,1]"},
      {"white(0.2,0.5)", "[0.2,0.2,0.2,0.5]"},
      {"image(solid:0,0,0,0@40x30*2)", R"({"size":[40,30],"scale":2})"},
      {"[0,0,359,76]", "[0,0,359,76]"},
      {R"({"a":[1,true]})", R"({"a":[1,true]})"},
      {R"(["a b",1])", R"(["a b",1])"},
      {R"("13")", R"("13")"},
      {"NCNotificationShortLookView", R"("NCNotificationShortLookView")"},
      {"file-write", R"("file-write")"},
      {"/var/mobile/x.plist", R"("/var/mobile/x.plist")"},
  };
  for (const auto& c : cases) {
    auto r = parse_expected(word(c.source));
    ASSERT_TRUE(r) << c.source << ": " << r.error;
    EXPECT_EQ(r->dump(), c.json) << c.source;
  }
  for (const char* bad : {"[1,", "rgba(1)", "image(png:a.png)", "1x"})
    EXPECT_FALSE(parse_expected(word(bad))) << bad;
}

TEST(Setting, ReadsTypedValues) {
  const struct {
    const char* source;
    Setting setting;
  } cases[] = {
      {"enabled=YES", {"enabled", true}},
      {"enabled=NO", {"enabled", false}},
      {"widgets=true", {"widgets", true}},
      {"widgets=false", {"widgets", false}},
      {"count=1", {"count", int64_t{1}}},
      {"count=-3", {"count", int64_t{-3}}},
      {"lightColorStrength=0.5", {"lightColorStrength", 0.5}},
      {"x=1e-2", {"x", 0.01}},
      {R"(name="text")", {"name", std::string("text")}},
      {R"(name="a b=c")", {"name", std::string("a b=c")}},
      {R"(name="YES")", {"name", std::string("YES")}},
      {R"(name="")", {"name", std::string("")}},
  };
  for (const auto& c : cases) {
    auto r = parse_setting(word(c.source));
    ASSERT_TRUE(r) << c.source << ": " << r.error;
    EXPECT_EQ(*r, c.setting) << c.source;
  }
}

TEST(Setting, RejectsAnythingElse) {
  const struct {
    const char* source;
    const char* fragment;
  } cases[] = {
      {"enabled=yes", "value 'yes' is not YES, NO"},
      {"name=text", "value 'text' is not"},
      {"name=", "value '' is not"},
      {"enabled", "expected KEY=VALUE"},
      {"=YES", "empty key"},
      {"count=1x", "'1x' is not a number"},
      {"count=99999999999999999999", "out of range"},
      {R"(name="a"b)", "is not YES"},
  };
  for (const auto& c : cases) {
    auto r = parse_setting(word(c.source));
    ASSERT_FALSE(r) << c.source;
    expect_error(r.error, c.fragment, c.source);
  }
}

TEST(Option, SplitsOnTheFirstEqualsOutsideQuotes) {
  auto r = parse_option(word("icon=solid:255,0,0,255@40x40"));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r->key, "icon");
  EXPECT_EQ(r->value.text, "solid:255,0,0,255@40x40");

  r = parse_option(word("a=b=c"));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->value.text, "b=c");

  r = parse_option(word(R"("x=y"=z)"));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r->key, "x=y");
  EXPECT_EQ(r->value.text, "z");

  r = parse_option(word(R"(frontapp="com.x y")"));
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->value.quoted);
  EXPECT_EQ(r->value.text, "com.x y");

  EXPECT_FALSE(parse_option(word(R"("a=b")")));  // a quoted word is a string, not an option
  EXPECT_FALSE(parse_option(word("frame")));
  EXPECT_FALSE(parse_option(Word{"a=b", "", true}));
  EXPECT_TRUE(parse_option(Word{"a=b", "", false}));
}

TEST(FieldPath, SplitsOnDots) {
  EXPECT_EQ(*parse_field_path("b1.backgroundView.backgroundColor"),
            (std::vector<std::string>{"b1", "backgroundView", "backgroundColor"}));
  EXPECT_EQ(*parse_field_path("events.0.kind"), (std::vector<std::string>{"events", "0", "kind"}));
  EXPECT_EQ(*parse_field_path("b1"), (std::vector<std::string>{"b1"}));
  for (const char* bad : {"", ".a", "a.", "a..b"}) EXPECT_FALSE(parse_field_path(bad)) << bad;
}

TEST(IosVersionText, ReadsOneToThreeComponents) {
  const struct {
    const char* text;
    IosVersion version;
    const char* shown;
  } cases[] = {
      {"13", {13, 0, 0}, "13.0"},
      {"13.7", {13, 7, 0}, "13.7"},
      {"14.0", {14, 0, 0}, "14.0"},
      {"14.4.2", {14, 4, 2}, "14.4.2"},
  };
  for (const auto& c : cases) {
    auto r = parse_ios_version(c.text);
    ASSERT_TRUE(r) << c.text;
    EXPECT_EQ(*r, c.version);
    EXPECT_EQ(r->text(), c.shown);
  }
  for (const char* bad :
       {"", "14.", ".14", "14..1", "14.4.2.1", "v14", "14.x", "-14", "+14", "14.0 ", "99999999999"}) {
    auto r = parse_ios_version(bad);
    ASSERT_FALSE(r) << bad;
    expect_error(r.error, "invalid iOS version '" + std::string(bad) + "'", bad);
  }
  EXPECT_LT((IosVersion{13, 7, 0}), (IosVersion{14, 0, 0}));
  EXPECT_LT((IosVersion{14, 4, 1}), (IosVersion{14, 4, 2}));
  EXPECT_EQ(IosVersion{}, (IosVersion{13, 7, 0}));
}

TEST(YesNo, OnlyTheUpperCaseWords) {
  EXPECT_TRUE(*parse_yes_no("YES"));
  EXPECT_FALSE(*parse_yes_no("NO"));
  for (const char* bad : {"yes", "true", "1", ""}) EXPECT_FALSE(parse_yes_no(bad)) << bad;
}

}  // namespace
}  // namespace corvane::cli
