#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "plist/plist_test_util.h"

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
  EXPECT_TRUE(xml.ends_with(
      ".dtd\">\n<plist version=\"1.0\">\n<dict>\n\t<key>b</key>\n\t<true/>\n\t<key>a</key>\n"
      "\t<real>0.5</real>\n\t<key>s</key>\n\t<string>x&lt;y</string>\n</dict>\n</plist>\n"))
      << xml;
}

TEST(PlistParse, BinaryDatesKeepFractionsAndFarYearsXmlKeepsWholeSeconds) {
  for (double s : {0.5, -4.75, -0.25, 1e-3, 4.5e9, -4.5e9}) {
    SCOPED_TRACE(s);
    const auto back = pl::parse(pl::to_binary(pl::Date{s}));
    ASSERT_TRUE(back && back->is_date());
    EXPECT_EQ(back->date().seconds, s);
  }
  const auto xml_back = pl::parse(pl::to_xml(pl::Date{86400.75}));
  ASSERT_TRUE(xml_back && xml_back->is_date());
  EXPECT_EQ(xml_back->date().seconds, 86400.0);
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
      wrap("<string>\xC3\x28</string>"),      // broken UTF-8 sequence
      wrap("<string>\xC0\xAF</string>"),      // overlong form
      wrap("<key>\xED\xA0\x80</key>"),        // a surrogate
      std::string(100000, '<'),
  };
  for (const std::string& c : cases) {
    SCOPED_TRACE(c.substr(0, 120));
    EXPECT_FALSE(pl::parse(c).has_value());
  }
  EXPECT_FALSE(pl::parse(nullptr, 5).has_value());
}

TEST(PlistParse, MalformedBinaryIsNotAPropertyList) {
  const std::string t = "\x09";                   // true
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
      {"string longer than the file", bplist({"\x5F\x10\x7F" "abc"}, 0)},
      {"integer wider than 64 bits", bplist({"\x14" + std::string(7, '\0') + "\x01" + std::string(8, '\0')}, 0)},
      {"real of 2 bytes", bplist({std::string("\x21\x00\x00", 3)}, 0)},
      // libplist would cut this key short...
      {"ASCII key holding a NUL", bplist({"\xD1\x01\x02", std::string("\x52" "a\0", 3), t}, 0)},
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
      objects.push_back(std::string{'\xA1', static_cast<char>((i + 1) >> 8), static_cast<char>((i + 1) & 0xFF)});
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
// hang or read outside the buffer.
TEST(PlistParse, DamagedFilesAndRandomBytesAreHandled) {
  const std::string valid[] = {pl::to_xml(sample()), pl::to_binary(sample())};
  std::mt19937 rng(1234);
  for (int i = 0; i < 4000; ++i) {
    std::string bytes = valid[i % 2];
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] = static_cast<char>(rng());
    const std::size_t n = rng() % 3 == 0 ? rng() % bytes.size() : bytes.size();
    const auto v = parse_exact(bytes, n);
    if (v) (void)pl::to_xml(*v);
  }
  for (int i = 0; i < 500; ++i) {
    std::string bytes(rng() % 200, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    if (i % 2 == 0 && bytes.size() >= 8) bytes.replace(0, 8, "bplist00");
    EXPECT_FALSE(parse_exact(bytes, bytes.size()).has_value());
  }
}

}  // namespace
