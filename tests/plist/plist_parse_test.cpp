#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "plist/plist_test_util.h"
#include "sim/foundation/plist_check.h"

namespace {

namespace pl = sim::plist;
using plist_test::bplist;
using plist_test::sample;

std::string wrap(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

// Parses from a buffer of exactly n bytes, so that a read past the end is
// caught by AddressSanitizer.
std::optional<pl::Value> parse_exact(const std::string& bytes, std::size_t n) {
  std::unique_ptr<char[]> buf(new char[n == 0 ? 1 : n]);
  std::memcpy(buf.get(), bytes.data(), n);
  return pl::parse(buf.get(), n);
}

std::vector<std::string> keys_of(const pl::Value& v) {
  std::vector<std::string> keys;
  for (const auto& [k, item] : v.dictionary()) keys.push_back(k);
  return keys;
}

TEST(PlistParse, BothEncodingsRoundTripEveryKindExactly) {
  const pl::Value original = sample();
  for (const std::string& bytes : {pl::to_xml(original), pl::to_binary(original)}) {
    SCOPED_TRACE(bytes.substr(0, 8));
    const std::optional<pl::Value> back = pl::parse(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, original);
    EXPECT_EQ(keys_of(*back), keys_of(original));
    EXPECT_EQ(back->find("real_tenth")->real(), 0.1);
    EXPECT_EQ(back->find("real_huge")->real(), 1e300);
    EXPECT_TRUE(back->find("uint_max")->is_unsigned_integer());
    EXPECT_FALSE(back->find("int_negative")->is_unsigned_integer());
    EXPECT_EQ(back->find("int_negative")->integer(), -42);
  }
}

TEST(PlistParse, XmlLooksAsThePlatformWritesIt) {
  const std::string xml = pl::to_xml(pl::Dictionary{{"b", true}, {"a", 0.5}, {"s", "x<y"}});
  EXPECT_TRUE(xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \""));
  EXPECT_TRUE(
      xml.ends_with(".dtd\">\n<plist version=\"1.0\">\n<dict>\n\t<key>b</key>\n\t<true/>\n\t<key>a</key>\n"
                    "\t<real>0.5</real>\n\t<key>s</key>\n\t<string>x&lt;y</string>\n</dict>\n</plist>\n"))
      << xml;
}

// Dates are read as the XML form carries them: whole seconds (the fraction
// dropped toward zero) in the years 1000 to 9999. Others are refused.
TEST(PlistParse, DatesAreReadAsTheXmlFormCarriesThem) {
  const double year_1000 = -31588531200.0;      // 1000-01-01T00:00:00Z
  const double year_9999_end = 252423993599.0;  // 9999-12-31T23:59:59Z
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double stored;
    std::optional<double> read;
  } binary[] = {
      {0.5, 0.0},
      {-0.25, 0.0},
      {-4.75, -4.0},
      {86400.75, 86400.0},
      {4.5e9, 4.5e9},
      {-4.5e9, -4.5e9},
      {year_1000, year_1000},
      {year_9999_end, year_9999_end},
      {year_9999_end + 0.5, year_9999_end},
      {year_1000 - 1, std::nullopt},
      {year_1000 - 0.5, std::nullopt},
      {year_9999_end + 1, std::nullopt},
      {1e20, std::nullopt},
      {-1e300, std::nullopt},
      {nan, std::nullopt},
      {inf, std::nullopt},
      {-inf, std::nullopt},
  };
  for (const auto& c : binary) {
    SCOPED_TRACE(c.stored);
    const auto back = pl::parse(pl::to_binary(pl::Date{c.stored}));
    ASSERT_EQ(back.has_value(), c.read.has_value());
    if (!back) continue;
    EXPECT_EQ(back->date().seconds, *c.read);
    EXPECT_EQ(pl::parse(pl::to_xml(*back)), back);
  }
  const struct {
    const char* text;
    std::optional<double> read;
  } xml[] = {
      {"2001-01-02T00:00:00Z", 86400.0},
      {"1000-01-01T00:00:00Z", year_1000},
      {"9999-12-31T23:59:59Z", year_9999_end},
      {"2001-02-31T00:00:00Z", 5270400.0},  // 3 March, as the calendar carries over
      {"0201-01-01T00:00:00Z", std::nullopt},
      {"0999-12-31T23:59:59Z", std::nullopt},
      {"0000-01-01T00:00:00Z", std::nullopt},
      {"9999-12-31T23:59:60Z", std::nullopt},  // carries over into year 10000
  };
  for (const auto& c : xml) {
    SCOPED_TRACE(c.text);
    const auto back = pl::parse(wrap(std::string("<date>") + c.text + "</date>"));
    ASSERT_EQ(back.has_value(), c.read.has_value());
    if (!back) continue;
    EXPECT_EQ(back->date().seconds, *c.read);
    EXPECT_EQ(pl::parse(pl::to_xml(*back)), back);
  }
}

// References in strings and keys: what libplist would turn into bytes that
// are not UTF-8 (a lone surrogate) or that end the string early (NUL) are
// refused with the malformed ones; CDATA sections hold no references.
TEST(PlistParse, CharacterReferencesMustNameCharacters) {
  const std::optional<pl::Value> refused;
  const struct {
    const char* body;
    std::optional<pl::Value> read;
  } cases[] = {
      {"<string>&#x41;&#66;&amp;&lt;&gt;&quot;&apos;</string>", pl::Value("AB&<>\"'")},
      {"<string>&#x1F389;&#x10FFFF;&#xE9;</string>", pl::Value("\U0001F389\U0010FFFF\u00e9")},
      {"<string>&#1;&#x9;</string>", pl::Value("\x01\t")},
      {"<string><![CDATA[&#xD800;]]></string>", pl::Value("&#xD800;")},
      {"<dict><key>&#x6B;</key><true/></dict>", pl::Value(pl::Dictionary{{"k", true}})},
      {"<string>&#xD800;</string>", refused},
      {"<string>&#xDFFF;</string>", refused},
      {"<string>&#55296;</string>", refused},
      {"<dict><key>&#xD800;</key><true/></dict>", refused},
      {"<string>&#0;</string>", refused},
      {"<string>&#x0;</string>", refused},
      {"<string>&#x110000;</string>", refused},
      {"<string>&#99999999999999999999;</string>", refused},
      {"<string>&#;</string>", refused},
      {"<string>&#x;</string>", refused},
      {"<string>&#65</string>", refused},
      {"<string>&#x4G;</string>", refused},
      {"<string>&amp</string>", refused},
      {"<string>a & b</string>", refused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    const auto v = pl::parse(wrap(c.body));
    ASSERT_EQ(v.has_value(), c.read.has_value());
    if (!v) continue;
    EXPECT_EQ(*v, *c.read);
    EXPECT_EQ(pl::parse(pl::to_xml(*v)), v);
  }
}

// A binary file may reach one object many times; each reference counts, as
// libplist copies the object out each time. XML values are all distinct.
TEST(PlistParse, SharedReferencesCountEveryTimeTheyAreReached) {
  // Object i is [i + 1, i + 1]; the last is an empty array: 2^levels leaves.
  auto doubling = [](int levels) {
    std::vector<std::string> objects;
    for (int i = 0; i < levels; ++i)
      objects.push_back({'\xA2', static_cast<char>(i + 1), static_cast<char>(i + 1)});
    objects.push_back("\xA0");
    return bplist(objects, 0);
  };
  const auto small = pl::parse(doubling(3));
  ASSERT_TRUE(small);
  const pl::Value leaf = pl::Array{};
  const pl::Value two = pl::Array{leaf, leaf};
  const pl::Value four = pl::Array{two, two};
  EXPECT_EQ(*small, (pl::Value(pl::Array{four, four})));
  EXPECT_TRUE(pl::parse(doubling(16)));   // 131071 values
  EXPECT_FALSE(pl::parse(doubling(18)));  // 524287 values
  EXPECT_FALSE(pl::parse(doubling(24)));
  EXPECT_FALSE(pl::parse(doubling(28)));
  EXPECT_FALSE(pl::parse(doubling(60)));

  // 1 MiB of data reached 70 times: 70 MiB once copied out.
  const std::string data = std::string("\x4F\x12\x00\x10\x00\x00", 6) + std::string(1 << 20, 'x');
  std::string refs(70, '\x01');
  EXPECT_TRUE(pl::parse(bplist({"\xAF\x10\x3C" + std::string(60, '\x01'), data}, 0)));
  EXPECT_FALSE(pl::parse(bplist({"\xAF\x10\x46" + refs, data}, 0)));

  auto many_xml = [](std::size_t n) {
    std::string body = "<array>";
    for (std::size_t i = 0; i < n; ++i) body += "<true/>";
    return wrap(body + "</array>");
  };
  EXPECT_TRUE(pl::parse(many_xml(pl::detail::kMaxObjects - 1)));
  EXPECT_FALSE(pl::parse(many_xml(pl::detail::kMaxObjects)));
}

// Forms other writers use and libplist's writer does not, read straight
// from the binary objects.
TEST(PlistParse, BinaryObjectsReadAsTheirValues) {
  const struct {
    std::string object;
    pl::Value expected;
  } cases[] = {
      {std::string("\x10\xFF", 2), pl::Value(255)},
      {std::string("\x11\xFF\xFE", 3), pl::Value(65534)},
      {std::string("\x13\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFE", 9), pl::Value(-2)},
      {std::string("\x14\0\0\0\0\0\0\0\0\x80\0\0\0\0\0\0\x01", 17), pl::Value(std::uint64_t{1} << 63 | 1)},
      {std::string("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x05", 17), pl::Value(5)},
      {std::string("\x22\x3F\xC0\0\0", 5), pl::Value(1.5)},
      {std::string("\x64\0\x41\xD8\x3D\xDE\x00\0\xE9", 9), pl::Value("A\xF0\x9F\x98\x80\xC3\xA9")},
      {std::string("\x5F\x10\x03"
                   "abc",
                   6),
       pl::Value("abc")},
      {std::string("\x42\0\xFF", 3), pl::Value(pl::Data{0, 0xFF})},
  };
  for (const auto& c : cases) {
    const auto v = pl::parse(bplist({c.object}, 0));
    ASSERT_TRUE(v) << testing::PrintToString(c.object);
    EXPECT_EQ(*v, c.expected) << testing::PrintToString(c.object);
  }
  // A dictionary whose UTF-16 key and value share one object.
  const auto d = pl::parse(bplist({"\xD1\x01\x01", std::string("\x61\0\xE9", 3)}, 0));
  ASSERT_TRUE(d);
  EXPECT_EQ(*d, pl::Value(pl::Dictionary{{"\xC3\xA9", "\xC3\xA9"}}));
}

TEST(PlistParse, ManyKeysKeepTheirOrder) {
  pl::Dictionary d;
  std::mt19937 rng(42);
  for (int i = 0; i < 300; ++i) d.set("k" + std::to_string(rng()), i);
  const pl::Value v(d);
  for (const std::string& bytes : {pl::to_xml(v), pl::to_binary(v)}) {
    const auto back = pl::parse(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(keys_of(*back), keys_of(v));
  }
}

TEST(PlistParse, AcceptedXmlFormsReadAsExpected) {
  const struct {
    std::string xml;
    pl::Value expected;
  } cases[] = {
      {wrap("<string>x</string>"), "x"},
      {wrap("<array><integer>1</integer><true/></array>"), pl::Array{1, true}},
      {"<array/>", pl::Array{}},  // a bare value without <plist>
      {wrap("<integer> 7 </integer>"), 7},
      {wrap("<integer>+5</integer>"), 5},
      {wrap("<integer>0x1F</integer>"), 31},
      {wrap("<integer>-0x10</integer>"), -16},
      {wrap("<integer>0</integer>"), 0},
      {wrap("<integer>9223372036854775807</integer>"), std::numeric_limits<std::int64_t>::max()},
      {wrap("<integer>-9223372036854775808</integer>"), std::numeric_limits<std::int64_t>::min()},
      {wrap("<integer>18446744073709551615</integer>"), std::numeric_limits<std::uint64_t>::max()},
      {wrap("<real>+infinity</real>"), std::numeric_limits<double>::infinity()},
      {wrap("<real>-inf</real>"), -std::numeric_limits<double>::infinity()},
      {wrap("<real>nan</real>"), std::nan("")},
      {wrap("<real>1e-320</real>"), 1e-320},
      {wrap("<real>0.30000000000000004</real>"), 0.30000000000000004},
      {wrap("<date>2001-01-02T00:00:00Z</date>"), pl::Date{86400}},
      {wrap("<data>AAEC\n\t/w==</data>"), pl::Data{0, 1, 2, 0xff}},
      {wrap("<string>a&amp;b&lt;&#x41;&#66;</string>"), "a&b<AB"},
      {wrap("<string><![CDATA[<x>&]]></string>"), "<x>&"},
      {wrap("<string>tab\there\x01</string>"), "tab\there\x01"},
      {"\xEF\xBB\xBF" + wrap("<true/>"), true},
      {"<?xml version=\"1.0\"?>\n<!-- c --><!DOCTYPE plist PUBLIC \"a\" \"b\">"
       "<plist version=\"1.0\"><dict><!-- c --><key>k</key><!-- c --><false/></dict></plist>\n<!-- c -->\n",
       pl::Dictionary{{"k", false}}},
      {wrap("<dict><key>a</key><integer>1</integer><key>a</key><integer>2</integer></dict>"),
       pl::Dictionary{{"a", 2}}},
      {wrap("<dict><key></key><string></string></dict>"), pl::Dictionary{{"", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xml);
    const auto v = pl::parse(c.xml);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(*v, c.expected);
    EXPECT_EQ(v->is_unsigned_integer(), c.expected.is_unsigned_integer());
  }
}

TEST(PlistParse, MalformedXmlIsNotAPropertyList) {
  const std::string cases[] = {
      "",
      " \n",
      "{\"json\": true}",
      "<html><body/></html>",
      wrap(""),
      "<plist><dict><key>a</key><integer>1</integer></dict>",  // root never closed
      wrap("<dict><key>a</key><integer>1</integer>"),
      wrap("<string>a</strin>"),
      wrap("<dict><key>a</key></dict>"),  // key without value
      wrap("<dict><integer>1</integer></dict>"),
      wrap("<dict><key>a</key><key>b</key></dict>"),
      wrap("<string>a</string><string>b</string>"),
      wrap("<string>a</string>") + wrap("<string>b</string>"),
      wrap("<key>x</key>"),
      wrap("<foo/>"),
      wrap("<array>text</array>"),
      wrap("<true>yes</true>"),
      wrap("<string><b/></string>"),
      wrap("<integer>12x</integer>"),
      wrap("<integer></integer>"),
      wrap("<integer>010</integer>"),  // libplist would read octal 8
      wrap("<integer>18446744073709551616</integer>"),
      wrap("<integer>-9223372036854775809</integer>"),
      wrap("<integer>1.5</integer>"),
      wrap("<real>abc</real>"),
      wrap("<real></real>"),
      wrap("<real>1.5.2</real>"),
      wrap("<date>garbage</date>"),
      wrap("<date>2001-13-01T00:00:00Z</date>"),
      wrap("<data>AAE</data>"),  // incomplete group
      wrap("<data>AA!=</data>"),
      wrap("<string>a&bogus;b</string>"),
      wrap(std::string("<string>a\0b</string>", 20)),
      wrap("<string>\xC3\x28</string>"),  // broken UTF-8 sequence
      wrap("<string>\xC0\xAF</string>"),  // overlong form
      wrap("<key>\xED\xA0\x80</key>"),    // a surrogate
      std::string(100000, '<'),
  };
  for (const std::string& c : cases) {
    SCOPED_TRACE(c.substr(0, 120));
    EXPECT_FALSE(pl::parse(c).has_value());
  }
  EXPECT_FALSE(pl::parse(nullptr, 5).has_value());
}

TEST(PlistParse, MalformedBinaryIsNotAPropertyList) {
  const std::string t = "\x09";                        // true
  const std::string one = std::string("\x10\x01", 2);  // integer 1
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"header only", "bplist00"},
      {"header and zeros", "bplist00" + std::string(60, '\0')},
      {"array containing itself", bplist({std::string("\xA1\x00", 2)}, 0)},
      {"two arrays in a cycle", bplist({std::string("\xA1\x01", 2), std::string("\xA1\x00", 2)}, 0)},
      {"reference past the last object", bplist({std::string("\xA1\x05", 2)}, 0)},
      {"root past the last object", bplist({t}, 3)},
      {"dictionary with an integer key", bplist({"\xD1\x01\x02", one, t}, 0)},
      {"keyed-archive UID", bplist({std::string("\x80\x01", 2)}, 0)},
      {"null object", bplist({std::string("\x00", 1)}, 0)},
      {"string longer than the file", bplist({"\x5F\x10\x7F"
                                              "abc"},
                                             0)},
      {"integer wider than 64 bits",
       bplist({"\x14" + std::string(7, '\0') + "\x01" + std::string(8, '\0')}, 0)},
      {"real of 2 bytes", bplist({std::string("\x21\x00\x00", 3)}, 0)},
      // libplist would cut this key short...
      {"ASCII key holding a NUL", bplist({"\xD1\x01\x02",
                                          std::string("\x52"
                                                      "a\0",
                                                      3),
                                          t},
                                         0)},
      // ...and abort the process on this one (it asserts keys hold no NUL).
      {"UTF-16 key holding a NUL", bplist({"\xD1\x01\x02", std::string("\x62\0a\0\0", 5), t}, 0)},
      {"ASCII string above 0x7F", bplist({"\x51\xE9"}, 0)},
      {"UTF-16 lone surrogate", bplist({std::string("\x61\xD8\x3C", 3)}, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(pl::parse(c.bytes).has_value());
  }
  // The builder itself makes readable files.
  const auto ok = pl::parse(bplist({"\xA3\x01\x02\x03", one, t, "\x62\xD8\x3C\xDF\x89"}, 0));
  ASSERT_TRUE(ok);
  EXPECT_EQ(*ok, (pl::Value(pl::Array{1, true, "\U0001F389"})));
}

TEST(PlistParse, NestingIsBoundedInBothEncodings) {
  auto nested_xml = [](int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "<array>";
    for (int i = 0; i < depth; ++i) s += "</array>";
    return wrap(s);
  };
  // Object i is an array holding object i + 1; the last is empty.
  auto nested_binary = [](int depth) {
    std::vector<std::string> objects;
    for (int i = 0; i + 1 < depth; ++i) {
      objects.push_back(
          std::string{'\xA1', static_cast<char>((i + 1) >> 8), static_cast<char>((i + 1) & 0xFF)});
    }
    objects.push_back("\xA0");
    return bplist(objects, 0, 2);
  };
  EXPECT_TRUE(pl::parse(nested_xml(100)).has_value());
  EXPECT_TRUE(pl::parse(nested_binary(100)).has_value());
  EXPECT_FALSE(pl::parse(nested_xml(100000)).has_value());
  EXPECT_FALSE(pl::parse(nested_binary(60000)).has_value());
}

// A file cut short anywhere must never read as a value, except where only
// trailing white space is missing (the value is then complete and the same).
TEST(PlistParse, TruncationAtEveryLengthNeverYieldsAWrongValue) {
  const pl::Value original = sample();
  const std::string xml = pl::to_xml(original);
  const std::string binary = pl::to_binary(original);
  const std::size_t xml_end = xml.find_last_not_of(" \t\r\n") + 1;
  for (std::size_t n = 0; n <= xml.size(); ++n) {
    const auto v = parse_exact(xml, n);
    ASSERT_EQ(v.has_value(), n >= xml_end) << "XML cut at " << n;
    if (v) {
      ASSERT_EQ(*v, original) << "XML cut at " << n;
    }
  }
  for (std::size_t n = 0; n <= binary.size(); ++n) {
    const auto v = parse_exact(binary, n);
    ASSERT_EQ(v.has_value(), n == binary.size()) << "binary cut at " << n;
    if (v) {
      ASSERT_EQ(*v, original) << "binary cut at " << n;
    }
  }
}

// Random damage to valid files: whatever comes back, nothing may crash,
// hang or read outside the buffer, and whatever is read is written as XML
// and read back equal (a rewrite never makes a file unreadable).
TEST(PlistParse, DamagedFilesAndRandomBytesAreHandled) {
  const std::string valid[] = {pl::to_xml(sample()), pl::to_binary(sample())};
  std::mt19937 rng(1234);
  for (int i = 0; i < 4000; ++i) {
    std::string bytes = valid[i % 2];
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] = static_cast<char>(rng());
    const std::size_t n = rng() % 3 == 0 ? rng() % bytes.size() : bytes.size();
    const auto v = parse_exact(bytes, n);
    if (v) {
      ASSERT_EQ(pl::parse(pl::to_xml(*v)), v) << "damaged file " << i;
    }
  }
  for (int i = 0; i < 500; ++i) {
    std::string bytes(rng() % 200, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    if (i % 2 == 0 && bytes.size() >= 8) bytes.replace(0, 8, "bplist00");
    EXPECT_FALSE(parse_exact(bytes, bytes.size()).has_value());
  }
}

}  // namespace
