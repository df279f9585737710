// Shared fixtures for the property-list tests.
#pragma once

#include <dirent.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "sim/foundation/plist_file.h"

namespace plist_test {

namespace pl = sim::plist;

// A fresh folder under the temporary directory, removed with its contents.
class TempDir {
 public:
  explicit TempDir(const std::string& parent = std::filesystem::temp_directory_path().string()) {
    std::string pattern = parent + "/plist_test.XXXXXX";
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  // Names in the folder, "." and ".." excluded.
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(path_)) out.insert(e.path().filename());
    return out;
  }

 private:
  std::string path_;
};

inline void write_raw(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string read_raw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One value of every kind, nested, with keys out of alphabetical order.
// Dates are whole seconds, which both encodings carry exactly.
inline pl::Value sample() {
  pl::Dictionary inner{{"zz", true}, {"aa", pl::Array{}}, {"mm", pl::Dictionary{}}};
  pl::Dictionary root;
  root.set("zeta", true);
  root.set("alpha", false);
  root.set("int_zero", 0);
  root.set("int_negative", -42);
  root.set("int_min", std::numeric_limits<std::int64_t>::min());
  root.set("int_max", std::numeric_limits<std::int64_t>::max());
  root.set("uint_max", std::numeric_limits<std::uint64_t>::max());
  root.set("uint_2_63", std::uint64_t{1} << 63);
  root.set("real_tenth", 0.1);
  root.set("real_huge", 1e300);
  root.set("real_third", 1.0 / 3.0);
  root.set("real_subnormal", 5e-324);
  root.set("real_negative", -2.5);
  root.set("real_single_0.3", static_cast<double>(0.3f));
  root.set("string_empty", "");
  root.set("string_unicode", "h\u00e9llo w\u00f6rld \u2014 \u65e5\u672c\u8a9e \U0001F389");
  root.set("string_markup", "<a href=\"x\">&amp; 'q' ]]></a>");
  root.set("data_empty", pl::Data{});
  root.set("data_bytes", pl::Data{0, 1, 2, 0x7f, 0x80, 0xfe, 0xff});
  root.set("date", pl::Date{631152000});
  root.set("date_before_2001", pl::Date{-86400});
  root.set("array", pl::Array{1, "two", pl::Array{3.5, pl::Array{}}, inner});
  root.set("\u043a\u043b\u044e\u0447", 1);  // a Cyrillic key
  root.set("nested", inner);
  return root;
}

// Assembles a binary property list from raw objects; refs are ref_size
// bytes wide, offsets four bytes.
inline std::string bplist(const std::vector<std::string>& objects, std::uint64_t root,
                          unsigned ref_size = 1) {
  auto be = [](std::string& out, std::uint64_t v, unsigned n) {
    for (unsigned i = n; i-- > 0;) out.push_back(static_cast<char>(v >> (8 * i)));
  };
  std::string out = "bplist00";
  std::vector<std::uint64_t> offsets;
  for (const std::string& o : objects) {
    offsets.push_back(out.size());
    out += o;
  }
  const std::uint64_t table = out.size();
  for (std::uint64_t off : offsets) be(out, off, 4);
  out.append(6, '\0');
  out.push_back(4);
  out.push_back(static_cast<char>(ref_size));
  be(out, objects.size(), 8);
  be(out, root, 8);
  be(out, table, 8);
  return out;
}

}  // namespace plist_test
