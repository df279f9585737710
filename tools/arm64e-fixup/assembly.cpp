#include "tools/arm64e-fixup/assembly.h"

#include <cstdint>
#include <cstdio>
#include <regex>

#include "tools/arm64e-fixup/threaded.h"

namespace arm64e {

PreparedAssembly prepare_assembly(const std::string& text, const std::string& min_os) {
  static const std::regex request(R"(^(\s*\.quad\s+)(\S+)@AUTH\((ia|ib|da|db),(\d+)(,addr)?\)\s*(;.*)?$)");
  static const std::regex build_version(R"(^(\s*\.build_version\s+ios,\s*)\d+,\s*\d+(.*)$)");
  static const std::regex version(R"(^(\d+)\.(\d+)$)");
  std::smatch v;
  if (!std::regex_match(min_os, v, version)) throw Failure("a deployment target not of the form 13.0");
  PreparedAssembly out;
  size_t at = 0;
  int line_number = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    ++line_number;
    std::smatch m;
    if (line.find("@AUTH") != std::string::npos) {
      if (!std::regex_match(line, m, request))
        throw Failure("line " + std::to_string(line_number) +
                      ": a signed-pointer request in a form this step " + "cannot carry: " + line);
      static const char* keys[] = {"ia", "ib", "da", "db"};
      uint64_t key = 0;
      while (m[3] != keys[key]) ++key;
      unsigned long diversity = std::stoul(m[4]);
      if (diversity > 0xFFFF)
        throw Failure("line " + std::to_string(line_number) + ": a diversity beyond 16 bits");
      uint64_t mark = 1ull << 63 | key << 49 | uint64_t(m[5].matched) << 48 | uint64_t(diversity) << 32;
      char hex[32];
      std::snprintf(hex, sizeof hex, "0x%016llx", static_cast<unsigned long long>(mark));
      line = m[1].str() + m[2].str() + " + " + hex;
      ++out.requests;
    } else if (std::regex_match(line, m, build_version)) {
      line = m[1].str() + v[1].str() + ", " + v[2].str() + m[2].str();
    }
    out.text += line;
    if (end < text.size()) out.text += '\n';
    at = end + 1;
  }
  return out;
}

}  // namespace arm64e
