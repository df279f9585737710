#include "tools/corvane-sim/json.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace corvane::cli {
namespace {

TEST(JsonDouble, PrintsShortestFormWithoutExponentNoise) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.1, "0.1"},
      {0.5, "0.5"},
      {1.0 / 3.0, "0.3333333333333333"},
      {1e-7, "1e-7"},
      {0.300000011920928955078125, "0.30000001192092896"},  // 0.3f widened
      {0.1 + 0.2, "0.30000000000000004"},
      {359, "359"},
      {1, "1"},
      {-2.5, "-2.5"},
      {-0.0, "-0"},
      {1e16, "10000000000000000"},
      {1e17, "1e17"},
      {1e300, "1e300"},
      {-1.5e-300, "-1.5e-300"},
      {std::numeric_limits<double>::max(), "1.7976931348623157e308"},
      {std::numeric_limits<double>::denorm_min(), "5e-324"},
      {std::numeric_limits<double>::quiet_NaN(), "\"nan\""},
      {std::numeric_limits<double>::infinity(), "\"inf\""},
      {-std::numeric_limits<double>::infinity(), "\"-inf\""},
  };
  for (const auto& c : cases) EXPECT_EQ(format_double(c.value), c.text) << c.text;
}

// Every finite double printed by the writer reads back as the same bits.
TEST(JsonDouble, RoundTripsBitForBit) {
  std::mt19937_64 rng(13);
  std::vector<double> values = {0.1,
                                1.0 / 3.0,
                                1e-7,
                                -0.0,
                                0.0,
                                359,
                                1e23,
                                9007199254740993.0,
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::denorm_min()};
  for (int i = 0; i < 20000; ++i) {
    double d = std::bit_cast<double>(rng());
    if (std::isfinite(d)) values.push_back(d);
  }
  for (double d : values) {
    std::string text = format_double(d);
    JsonParse p = parse_json(text);
    ASSERT_TRUE(p.value) << text << ": " << p.error;
    ASSERT_TRUE(p.value->is_number()) << text;
    EXPECT_EQ(std::bit_cast<uint64_t>(p.value->as_double()), std::bit_cast<uint64_t>(d)) << text;
  }
}

TEST(JsonString, EscapesControlsQuotesAndBadUtf8) {
  const struct {
    std::string in;
    const char* out;
  } cases[] = {
      {"plain", R"("plain")"},
      {"a\"b\\c", R"("a\"b\\c")"},
      {"line\nbreak\ttab", R"("line\u000abreak\u0009tab")"},
      {std::string("nul\0x", 5), R"("nul\u0000x")"},
      {"\x1f\x7f", "\"\\u001f\x7f\""},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\""},
      {"bad\xff", "\"bad\xef\xbf\xbd\""},
      {"\xc0\xaf", "\"\xef\xbf\xbd\xef\xbf\xbd\""},                  // overlong '/'
      {"\xe2\x82", "\"\xef\xbf\xbd\xef\xbf\xbd\""},                  // truncated
      {"\xed\xa0\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\""},  // surrogate
  };
  for (const auto& c : cases) {
    std::string out;
    append_json_string(out, c.in);
    EXPECT_EQ(out, c.out);
  }
}

TEST(JsonBuilder, KeepsInsertionOrderAndReplacesInPlace) {
  Json view = Json::object();
  view.set("name", "b1").set("class", "NCNotificationShortLookView");
  view.set("frame", Json::array({0, 0, 359.5, 76}));
  view.set("backgroundColor", nullptr).set("hidden", false).set("alpha", 1.0);
  view.set("subviews", Json::array());
  view.set("name", "b2");  // keeps its place
  EXPECT_EQ(view.dump(), R"({"name":"b2","class":"NCNotificationShortLookView","frame":[0,0,359.5,76],)"
                         R"("backgroundColor":null,"hidden":false,"alpha":1,"subviews":[]})");

  Json ints = Json::array();
  ints.push(INT64_MAX).push(INT64_MIN).push(UINT64_MAX).push(-3);
  EXPECT_EQ(ints.dump(), "[9223372036854775807,-9223372036854775808,18446744073709551616,-3]");
  EXPECT_EQ(Json().dump(), "null");
}

TEST(JsonReader, ReadsBackWhatTheWriterWrites) {
  Json doc = Json::object();
  doc.set("events", Json::array({Json::object().set("kind", "post").set("object", nullptr),
                                 Json::object().set("interval", 1.0).set("repeats", true)}));
  doc.set("text", "tab\t\"q\" \xc3\xa9");
  doc.set("n", -42).set("x", 0.1);
  JsonParse p = parse_json(doc.dump());
  ASSERT_TRUE(p.value) << p.error;
  EXPECT_EQ(*p.value, doc);
  EXPECT_EQ(p.value->dump(), doc.dump());
}

TEST(JsonReader, DecodesEscapesAndWhitespace) {
  JsonParse p = parse_json(" { \"a\" : [ 1 , -0 , 2.5e1 ] ,\n\"s\":\"\\u00e9\\ud83d\\ude00\\/\\n\" } ");
  ASSERT_TRUE(p.value) << p.error;
  const Json& a = *p.value->find("a");
  EXPECT_EQ(a.at(0)->type(), Json::Type::Int);
  EXPECT_TRUE(std::signbit(a.at(1)->as_double()));
  EXPECT_EQ(a.at(2)->as_double(), 25);
  EXPECT_EQ(p.value->find("s")->as_string(), "\xc3\xa9\xf0\x9f\x98\x80/\n");
  EXPECT_EQ(p.value->find("missing"), nullptr);
  EXPECT_EQ(a.at(3), nullptr);
}

TEST(JsonReader, RejectsMalformedText) {
  const char* bad[] = {"",      "[1,]",        "{\"a\" 1}", "01",    "1.",       "-",
                       ".5",    "\"\\ud800\"", "tru",       "[1] x", "\"a\nb\"", "{\"a\":1,}",
                       "1e999", "\"\\x\"",     "[1 2]",     "{1:2}", "\"open",   "nul"};
  for (const char* text : bad) {
    JsonParse p = parse_json(text);
    EXPECT_FALSE(p.value) << text;
    EXPECT_FALSE(p.error.empty()) << text;
  }
  std::string deep(100000, '[');
  EXPECT_FALSE(parse_json(deep).value);
}

TEST(JsonCompare, NumbersByValueObjectsByMembers) {
  auto j = [](const char* text) { return *parse_json(text).value; };
  EXPECT_EQ(j("1"), j("1.0"));
  EXPECT_EQ(j(R"({"a":1,"b":[true,null]})"), j(R"({"b":[true,null],"a":1})"));
  EXPECT_NE(j("[1,2]"), j("[2,1]"));
  EXPECT_NE(j("null"), j("false"));
  EXPECT_NE(j(R"({"a":1})"), j(R"({"a":1,"b":2})"));
  EXPECT_NE(j("9007199254740993"), j("9007199254740992"));  // exact for integers

  EXPECT_TRUE(approx_equal(j("[1,0.5,0.2]"), j("[1.0000005,0.5,0.2000009]"), 1e-6));
  EXPECT_FALSE(approx_equal(j("[1,0.5,0.2]"), j("[1,0.5,0.200002]"), 1e-6));
  EXPECT_FALSE(approx_equal(j("[1]"), j("[\"1\"]"), 1e-6));
}

}  // namespace
}  // namespace corvane::cli
