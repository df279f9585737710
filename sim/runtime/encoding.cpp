#include "sim/runtime/encoding.h"

#include <cctype>

namespace sim {

std::string normalize_encoding(std::string_view types) {
  std::string out;
  out.reserve(types.size());
  int depth = 0;         // nesting of struct encodings
  bool in_name = false;  // between '{' and '=': a struct's name, kept verbatim
  for (size_t i = 0; i < types.size(); ++i) {
    char c = types[i];
    if (in_name) {
      out.push_back(c);
      if (c == '=') in_name = false;
      continue;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) continue;  // frame offsets
    bool after_pointer = !out.empty() && out.back() == '^';
    // Qualifiers (const, in, inout, out, bycopy, byref, oneway) prefix a
    // top-level type.
    if (depth == 0 && !after_pointer &&
        (c == 'r' || c == 'n' || c == 'N' || c == 'o' || c == 'O' || c == 'R' || c == 'V'))
      continue;
    if (c == '#') c = '@';
    if (c == '@' && i + 1 < types.size() && types[i + 1] == '?') ++i;  // a block is an object
    if (c == '{') {
      ++depth;
      in_name = true;
    } else if (c == '}') {
      --depth;
    }
    out.push_back(c);
  }
  return out;
}

bool encodings_agree(const std::string& method_normalized, const char* caller) {
  return method_normalized == normalize_encoding(caller);
}

}  // namespace sim
