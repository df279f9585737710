// An `.ipa` archive: a zip file holding `Payload/NAME.app/`. The archive is
// read in place through libzip, an entry at a time, into memory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include "sim/bundles/bundle_files.h"

namespace sim::bundles {
namespace {

// More entries than any app carries; a directory claiming more is refused
// before it is walked.
constexpr zip_int64_t kMaxEntries = 500000;
constexpr std::string_view kPayload = "Payload/";

std::string zip_message(int code) {
  zip_error_t e;
  zip_error_init_with_code(&e, code);
  std::string text = zip_error_strerror(&e);
  zip_error_fini(&e);
  return text;
}

std::string zip_message(zip_t* zip) { return zip_error_strerror(zip_get_error(zip)); }

class ArchiveFiles : public BundleFiles {
 public:
  ArchiveFiles(std::string path, zip_t* zip, std::string app, std::map<std::string, zip_uint64_t> entries)
      : path_(std::move(path)), zip_(zip), app_(std::move(app)), entries_(std::move(entries)) {}
  ~ArchiveFiles() override { zip_discard(zip_); }

  std::string bundle_name() const override { return app_; }

  bool has(const std::string& relative) const override { return entries_.count(relative) != 0; }

  bool read(const std::string& relative, std::vector<unsigned char>* bytes,
            std::string* error) const override {
    const std::string entry = std::string(kPayload) + app_ + "/" + relative;
    const std::string where = path_ + ": " + entry;
    auto it = entries_.find(relative);
    if (it == entries_.end()) {
      *error = where + " is missing";
      return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip_, it->second, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
      *error = "damaged archive " + where + ": " + zip_message(zip_);
      return false;
    }
    if (st.size > kMaxBundleFileBytes) {
      *error = where + " is too large (" + std::to_string(st.size) + " bytes uncompressed; at most " +
               std::to_string(kMaxBundleFileBytes) + ")";
      return false;
    }
    zip_file_t* file = zip_fopen_index(zip_, it->second, 0);
    if (!file) {
      *error = "cannot read " + where + ": " + zip_message(zip_);
      return false;
    }
    bytes->assign(static_cast<size_t>(st.size), 0);
    size_t got = 0;
    bool ok = true;
    while (ok && got < bytes->size()) {
      const zip_int64_t n = zip_fread(file, bytes->data() + got, bytes->size() - got);
      if (n <= 0) ok = false;
      else got += static_cast<size_t>(n);
    }
    // Nothing may follow the stated size; reading past it also makes
    // libzip check the entry's CRC.
    unsigned char extra;
    if (ok && zip_fread(file, &extra, 1) != 0) ok = false;
    if (!ok) *error = "damaged archive " + where + ": " + zip_error_strerror(zip_file_get_error(file));
    zip_fclose(file);
    return ok;
  }

 private:
  std::string path_;
  zip_t* zip_;
  std::string app_;
  std::map<std::string, zip_uint64_t> entries_;  // path inside the app -> index
};

}  // namespace

std::unique_ptr<BundleFiles> open_bundle_archive(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *error =
        "cannot read app archive " + path + ": " + (fd < 0 ? std::strerror(errno) : "not a regular file");
    if (fd >= 0) ::close(fd);
    return nullptr;
  }
  int code = 0;
  zip_t* zip = zip_fdopen(fd, ZIP_RDONLY, &code);
  if (!zip) {
    ::close(fd);
    *error = "cannot read app archive " + path + ": not a zip archive or a damaged one (" +
             zip_message(code) + ")";
    return nullptr;
  }
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  if (count < 0 || count > kMaxEntries) {
    zip_discard(zip);
    *error = "cannot read app archive " + path + ": " +
             (count < 0 ? std::string("damaged directory")
                        : "more than " + std::to_string(kMaxEntries) + " entries");
    return nullptr;
  }

  // Every Payload/NAME.app/... entry, by app.
  std::map<std::string, std::map<std::string, zip_uint64_t>> apps;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* raw = zip_get_name(zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (!raw) continue;
    std::string_view name = raw;
    if (!name.starts_with(kPayload)) continue;
    name.remove_prefix(kPayload.size());
    const size_t slash = name.find('/');
    if (slash == std::string_view::npos) continue;
    const std::string_view folder = name.substr(0, slash);
    if (!folder.ends_with(".app") || folder.size() == 4) continue;
    auto& files = apps[std::string(folder)];
    const std::string_view inside = name.substr(slash + 1);
    if (!inside.empty() && !inside.ends_with('/'))
      files.emplace(std::string(inside), static_cast<zip_uint64_t>(i));
  }
  if (apps.size() != 1) {
    zip_discard(zip);
    if (apps.empty()) {
      *error = "app archive " + path + " holds no app (no Payload/NAME.app/ folder)";
    } else {
      std::string names;
      for (const auto& [folder, files] : apps) names += (names.empty() ? "" : ", ") + folder;
      *error = "app archive " + path + " holds " + std::to_string(apps.size()) + " apps (" + names +
               "); it must hold exactly one";
    }
    return nullptr;
  }
  auto& [folder, files] = *apps.begin();
  if (!files.count("Info.plist")) {
    zip_discard(zip);
    *error = "app archive " + path + ": Payload/" + folder + "/Info.plist is missing";
    return nullptr;
  }
  return std::make_unique<ArchiveFiles>(path, zip, folder, std::move(files));
}

}  // namespace sim::bundles
