// The files of one application bundle, wherever they lie: an `.app` folder
// on disk or the `Payload/NAME.app/` part of an `.ipa` archive, read in
// place (an archive is never unpacked to disk).
//
// Bundles come from outside and are treated as hostile: only regular files
// are read, and no file larger than kMaxBundleFileBytes (its uncompressed
// size, for an archive) is read into memory.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace sim::bundles {

inline constexpr size_t kMaxBundleFileBytes = 8u << 20;

class BundleFiles {
 public:
  virtual ~BundleFiles() = default;

  // The bundle's folder name, e.g. "Notes.app".
  virtual std::string bundle_name() const = 0;
  // Whether the bundle holds a file at `relative` (e.g. "Info.plist").
  virtual bool has(const std::string& relative) const = 0;
  // The file's bytes. False, with a message naming the file and the cause,
  // when it is missing, not a regular file, too large or unreadable.
  virtual bool read(const std::string& relative, std::vector<unsigned char>* bytes,
                    std::string* error) const = 0;
};

// An `.app` folder, or an `.ipa` archive holding exactly one
// `Payload/NAME.app/`. nullptr, with a message naming `path` and what is
// wrong, for anything else.
std::unique_ptr<BundleFiles> open_bundle(const std::string& path, std::string* error);

// The two kinds, for open_bundle.
std::unique_ptr<BundleFiles> open_bundle_folder(const std::string& path, std::string* error);
std::unique_ptr<BundleFiles> open_bundle_archive(const std::string& path, std::string* error);

}  // namespace sim::bundles
