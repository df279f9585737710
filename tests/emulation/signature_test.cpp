// Type encodings as the bridge reads them, including ones a broken or
// hostile library hands over: the parser's cost and depth stay bounded.
#include <gtest/gtest.h>

#include <string>

#include "sim/emulation/arm64_abi.h"

using sim::emulation::Signature;

namespace {

TEST(Signature, DeepEncodingsAreRefusedOrReadWithoutRecursion) {
  std::string deep_structs = "v@:";
  for (int i = 0; i < 100000; ++i) deep_structs += "{s=";
  deep_structs += "i" + std::string(100000, '}');
  const std::string deep_pointer = "v@:" + std::string(100000, '^') + "i";
  const std::string nested_ok = "v@:{a={b={c=dd}}}";
  const struct {
    std::string types;
    bool parses;
    const char* error;
  } cases[] = {
      {deep_structs, false, "structures nested more than 32 deep"},
      {deep_pointer, true, ""},
      {nested_ok, true, ""},
  };
  for (const auto& c : cases) {
    std::string error;
    auto sig = Signature::parse(c.types, error);
    EXPECT_EQ(sig != nullptr, c.parses) << c.types.substr(0, 20) << ": " << error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

}  // namespace
