#include "sim/emulation/ownership.h"

#include <cctype>

namespace sim::emulation {

bool Ownership::give_up(const void* object) {
  auto it = held_.find(object);
  if (it == held_.end()) return false;
  if (--it->second == 0) held_.erase(it);
  return true;
}

namespace {

// The selector starts with the word `word`, followed by its end or by a
// character that is not a lower-case letter.
bool starts_with_word(std::string_view s, std::string_view word) {
  return s.starts_with(word) &&
         (s.size() == word.size() || !std::islower(static_cast<unsigned char>(s[word.size()])));
}

}  // namespace

MethodFamily method_family(std::string_view s) {
  while (s.starts_with('_')) s.remove_prefix(1);
  if (s == "retain") return MethodFamily::Retain;
  if (s == "release" || s == "autorelease") return MethodFamily::Release;
  if (s == "dealloc") return MethodFamily::Dealloc;
  if (starts_with_word(s, "init")) return MethodFamily::Init;
  for (std::string_view w : {"alloc", "new", "copy", "mutableCopy"})
    if (starts_with_word(s, w)) return MethodFamily::Owning;
  return MethodFamily::None;
}

}  // namespace sim::emulation
