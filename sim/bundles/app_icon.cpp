#include "sim/bundles/app_icon.h"

#include <cstring>
#include <set>
#include <string_view>

#include "sim/foundation/plist_file.h"

namespace sim::bundles {
namespace {

using sim::plist::Value;

void add_strings(const Value* list, std::vector<std::string>* out) {
  if (!list) return;
  if (const std::string* one = list->if_string()) {
    out->push_back(*one);
    return;
  }
  if (const auto* many = list->if_array())
    for (const Value& v : *many)
      if (const std::string* s = v.if_string()) out->push_back(*s);
}

bool usable_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::string string_key(const Value& info, const char* key) {
  const Value* v = info.find(key);
  const std::string* s = v ? v->if_string() : nullptr;
  return s ? *s : std::string();
}

uint32_t big_endian(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Width x height from the image header of either PNG form, or 0 when the
// bytes do not start like a PNG.
uint64_t pixel_count(const std::vector<unsigned char>& png) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) return 0;
  size_t at = 8;
  if (png.size() >= 16 && std::memcmp(png.data() + 12, "CgBI", 4) == 0) at += 12 + big_endian(png.data() + 8);
  if (at > png.size() || png.size() - at < 16 || std::memcmp(png.data() + at + 4, "IHDR", 4) != 0) return 0;
  return uint64_t{big_endian(png.data() + at + 8)} * big_endian(png.data() + at + 12);
}

double scale_of(const std::string& file) {
  if (file.find("@3x") != std::string::npos) return 3;
  if (file.find("@2x") != std::string::npos) return 2;
  return 1;
}

}  // namespace

std::vector<std::string> icon_names(const std::string& info_plist_bytes) {
  std::vector<std::string> names;
  auto info = sim::plist::parse(info_plist_bytes);
  if (!info || !info->is_dictionary()) return names;
  if (const Value* icons = info->find("CFBundleIcons"))
    if (const Value* primary = icons->find("CFBundlePrimaryIcon"))
      add_strings(primary->find("CFBundleIconFiles"), &names);
  if (names.empty()) add_strings(info->find("CFBundleIconFiles"), &names);
  if (names.empty()) add_strings(info->find("CFBundleIconFile"), &names);
  std::vector<std::string> usable;
  for (const std::string& n : names)
    if (usable_name(n)) usable.push_back(n);
  return usable;
}

std::vector<std::string> icon_file_candidates(const std::string& name) {
  std::string base = name;
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".png") == 0) base.resize(base.size() - 4);
  std::vector<std::string> files;
  for (const char* scale : {"@3x", "@2x", ""})
    for (const char* device : {"", "~iphone"}) files.push_back(base + scale + device + ".png");
  return files;
}

std::string fitted_app_name(const std::string& name) {
  static constexpr std::string_view kEllipsis = "\u2026";
  size_t characters = 0, cut = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue;  // inside a sequence
    if (++characters == kMaxAppNameCharacters) cut = i;
    if (characters > kMaxAppNameCharacters) return name.substr(0, cut) + std::string(kEllipsis);
  }
  return name;
}

std::optional<AppIcon> find_app_icon(const std::string& path, std::string* error) {
  std::unique_ptr<BundleFiles> bundle = open_bundle(path, error);
  if (!bundle) return std::nullopt;
  return find_app_icon(*bundle, path, error);
}

std::optional<AppIcon> find_app_icon(const BundleFiles& bundle, const std::string& path, std::string* error) {
  std::vector<unsigned char> bytes;
  if (!bundle.read("Info.plist", &bytes, error)) return std::nullopt;
  auto info = sim::plist::parse(bytes.data(), bytes.size());
  if (!info || !info->is_dictionary()) {
    *error = "app " + path + ": its Info.plist is not a property-list dictionary";
    return std::nullopt;
  }

  AppIcon app;
  app.app_name = string_key(*info, "CFBundleDisplayName");
  if (app.app_name.empty()) app.app_name = string_key(*info, "CFBundleName");
  if (app.app_name.empty()) {
    app.app_name = bundle.bundle_name();
    if (app.app_name.ends_with(".app")) app.app_name.resize(app.app_name.size() - 4);
  }
  app.app_name = fitted_app_name(app.app_name);

  const std::vector<std::string> names = icon_names(std::string(bytes.begin(), bytes.end()));
  if (names.empty()) {
    *error = "app " + path +
             ": its Info.plist names no icon (no CFBundleIcons > CFBundlePrimaryIcon > "
             "CFBundleIconFiles, CFBundleIconFiles or CFBundleIconFile)";
    return std::nullopt;
  }
  // A name may be listed many times over, or with and without ".png": each
  // file is looked at once (an archive inflates it on every read).
  uint64_t best = 0;
  std::string looked_for;
  std::set<std::string> seen;
  for (const std::string& name : names) {
    for (const std::string& file : icon_file_candidates(name)) {
      if (!seen.insert(file).second) continue;
      if (looked_for.size() < 400) looked_for += (looked_for.empty() ? "" : ", ") + file;
      if (!bundle.has(file)) continue;
      std::vector<unsigned char> png;
      if (!bundle.read(file, &png, error)) return std::nullopt;
      const uint64_t pixels = pixel_count(png);
      if (app.file.empty() || pixels > best) {
        best = pixels;
        app.file = file;
        app.scale = scale_of(file);
        app.png = std::move(png);
      }
    }
  }
  if (app.file.empty()) {
    *error = "app " + path + ": none of its icon files is there (looked for " + looked_for + ")";
    return std::nullopt;
  }
  return app;
}

}  // namespace sim::bundles
