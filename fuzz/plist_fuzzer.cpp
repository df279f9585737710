// Property-list bytes as the settings reader takes them. Whatever the reader
// accepts must be written by both writers and read back equal: a rewrite of
// the settings file must never turn it into something unreadable.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "sim/foundation/plist_file.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "plist round trip: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<sim::plist::Value> value = sim::plist::parse(data, size);
  if (!value) return 0;
  const std::optional<sim::plist::Value> from_xml = sim::plist::parse(sim::plist::to_xml(*value));
  if (!from_xml) fail("the XML form of an accepted file is refused");
  if (!(*from_xml == *value)) fail("the XML form reads back different");
  const std::optional<sim::plist::Value> from_binary = sim::plist::parse(sim::plist::to_binary(*value));
  if (!from_binary) fail("the binary form of an accepted file is refused");
  if (!(*from_binary == *value)) fail("the binary form reads back different");
  return 0;
}
