#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <variant>

#include "plist/plist_test_util.h"

namespace {

namespace pl = sim::plist;

std::vector<std::string> keys_of(const pl::Dictionary& d) {
  std::vector<std::string> keys;
  for (const auto& [k, v] : d) keys.push_back(k);
  return keys;
}

TEST(PlistDictionary, KeepsInsertionOrderThroughSetReplaceAndErase) {
  pl::Dictionary d;
  d.set("c", 1);
  d.set("a", 2);
  d.set("b", 3);
  d.set("a", "replaced");  // keeps its place
  EXPECT_EQ(keys_of(d), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(d.find("a")->string(), "replaced");

  EXPECT_TRUE(d.erase("c"));
  EXPECT_FALSE(d.erase("c"));
  EXPECT_EQ(keys_of(d), (std::vector<std::string>{"a", "b"}));
  // Lookups still land on the right entries after positions shifted.
  EXPECT_EQ(d.find("b")->integer(), 3);
  d.set("d", 4);
  EXPECT_EQ(d.at_index(2).first, "d");
  EXPECT_EQ(d.find("d")->integer(), 4);
  EXPECT_EQ(d.find("missing"), nullptr);
}

TEST(PlistDictionary, SubscriptAddsAnEmptyDictionaryOnce) {
  pl::Dictionary d;
  d["outer"].dictionary()["inner"] = 5;
  d["outer"].dictionary()["other"] = true;
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d.find("outer")->find("inner")->integer(), 5);
  EXPECT_TRUE(d.find("outer")->find("other")->boolean());
}

TEST(PlistDictionary, EqualityIgnoresKeyOrderButNotValues) {
  const pl::Dictionary a{{"x", 1}, {"y", 2}};
  EXPECT_EQ(a, (pl::Dictionary{{"y", 2}, {"x", 1}}));
  EXPECT_NE(a, (pl::Dictionary{{"x", 1}, {"y", 3}}));
  EXPECT_NE(a, (pl::Dictionary{{"x", 1}}));
  EXPECT_NE(a, (pl::Dictionary{{"x", 1}, {"z", 2}}));
}

TEST(PlistValue, CopiesAreIndependent) {
  pl::Value a = plist_test::sample();
  pl::Value b = a;
  b.dictionary().set("zeta", false);
  b.dictionary().find("array")->array().push_back(9);
  EXPECT_TRUE(a.find("zeta")->boolean());
  EXPECT_EQ(a.find("array")->array().size(), 4u);
  EXPECT_NE(a, b);
}

TEST(PlistValue, IntegersKeepSignednessAcrossTheInt64Boundary) {
  struct Case {
    pl::Value v;
    std::int64_t as_signed;
    bool is_unsigned;
  } cases[] = {
      {pl::Value(-1), -1, false},
      {pl::Value(std::numeric_limits<std::int64_t>::min()), std::numeric_limits<std::int64_t>::min(), false},
      {pl::Value(std::uint8_t{200}), 200, false},
      {pl::Value(std::uint64_t{INT64_MAX}), INT64_MAX, false},
      {pl::Value(std::uint64_t{1} << 63), std::numeric_limits<std::int64_t>::min(), true},
      {pl::Value(std::numeric_limits<std::uint64_t>::max()), -1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.as_signed);
    ASSERT_TRUE(c.v.is_integer());
    EXPECT_EQ(c.v.integer(), c.as_signed);
    EXPECT_EQ(c.v.is_unsigned_integer(), c.is_unsigned);
  }
  // The same 64 bits, signed and unsigned, are different numbers.
  EXPECT_NE(pl::Value(-1), pl::Value(std::numeric_limits<std::uint64_t>::max()));
  EXPECT_EQ(*pl::Value(std::numeric_limits<std::uint64_t>::max()).number(), 18446744073709551615.0);
}

TEST(PlistValue, KindsAreDistinctAndNumbersConvert) {
  EXPECT_TRUE(pl::Value().is_dictionary());
  EXPECT_TRUE(pl::Value("text").is_string());  // not a boolean
  EXPECT_NE(pl::Value(true), pl::Value(1));
  EXPECT_NE(pl::Value(1), pl::Value(1.0));
  EXPECT_NE(pl::Value(pl::Date{5}), pl::Value(5.0));
  EXPECT_EQ(pl::Value(std::nan("")), pl::Value(std::nan("")));

  EXPECT_EQ(pl::Value(true).number(), 1.0);
  EXPECT_EQ(pl::Value(-3).number(), -3.0);
  EXPECT_EQ(pl::Value(0.25).number(), 0.25);
  EXPECT_EQ(pl::Value("1").number(), std::nullopt);
  EXPECT_THROW(pl::Value(1).string(), std::bad_variant_access);
  EXPECT_EQ(pl::Value(1).if_dictionary(), nullptr);
  EXPECT_EQ(pl::Value(1).find("x"), nullptr);
}

}  // namespace
