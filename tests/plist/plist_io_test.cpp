#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "plist/plist_test_util.h"

namespace {

namespace pl = sim::plist;
using plist_test::read_raw;
using plist_test::TempDir;
using plist_test::write_raw;

mode_t mode_of(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(PlistReadFile, ReadsEitherEncoding) {
  TempDir dir;
  write_raw(dir / "x.plist", pl::to_xml(plist_test::sample()));
  write_raw(dir / "b.plist", pl::to_binary(plist_test::sample()));
  for (const char* name : {"x.plist", "b.plist"}) {
    std::string error = "untouched";
    const auto v = pl::read_file(dir / name, &error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ(*v, plist_test::sample());
  }
}

TEST(PlistReadFile, FailuresNameThePathAndTheCause) {
  TempDir dir;
  write_raw(dir / "empty.plist", "");
  write_raw(dir / "junk.plist", "not a plist at all");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  write_raw(dir / "huge.plist", "");
  ASSERT_EQ(::truncate((dir / "huge.plist").c_str(), pl::kMaxFileBytes + 1), 0);  // sparse
  const struct {
    std::string path;
    const char* cause;
  } cases[] = {
      {dir / "missing.plist", "No such file"},
      {dir.path(), "directory"},
      {dir / "empty.plist", "empty"},
      {dir / "junk.plist", "not a property list"},
      {dir / "fifo", "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {dir / "huge.plist", "larger than 8 MiB"},
      {dir / "junk.plist/child", "Not a directory"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(pl::read_file(c.path, &error).has_value()) << c.path;
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
    EXPECT_NE(error.find(c.cause), std::string::npos) << error;
    EXPECT_FALSE(pl::read_file(c.path, nullptr).has_value());
  }
}

TEST(PlistWriteAtomically, CreatesAndReplacesFilesKeepingTheirMode) {
  TempDir dir;
  const std::string path = dir / "settings.plist";
  std::string error;
  ASSERT_TRUE(pl::write_atomically(path, "first", &error)) << error;
  EXPECT_EQ(read_raw(path), "first");
  EXPECT_EQ(mode_of(path), 0644u);

  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  const std::string big(300000, 'z');  // several write calls' worth
  ASSERT_TRUE(pl::write_atomically(path, big, &error)) << error;
  EXPECT_EQ(read_raw(path), big);
  EXPECT_EQ(mode_of(path), 0600u);

  ASSERT_TRUE(pl::write_xml_atomically(path, plist_test::sample(), &error)) << error;
  EXPECT_EQ(pl::read_file(path, &error), plist_test::sample());
  EXPECT_EQ(dir.names(), std::set<std::string>{"settings.plist"});

  // A path without a folder goes to the current one.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_TRUE(pl::write_atomically("relative.plist", "r", &error)) << error;
  std::filesystem::current_path(cwd);
  EXPECT_EQ(read_raw(dir / "relative.plist"), "r");
}

// Each failure leaves the folder exactly as it was: the old target intact,
// no temporary file behind.
TEST(PlistWriteAtomically, FailuresLeaveEverythingAsItWas) {
  TempDir dir;
  write_raw(dir / "old.plist", "old contents\n");
  ASSERT_EQ(::mkdir((dir / "a_directory").c_str(), 0755), 0);
  write_raw(dir / "a_directory/inside", "kept");
  const auto before = dir.names();
  const struct {
    std::string path;
    const char* cause;
  } cases[] = {
      {dir / "no_such_folder/x.plist", "No such file"},
      {dir / "old.plist/x.plist", "Not a directory"},  // the folder is a file
      {dir / "a_directory", "directory"},              // rename cannot replace it
      {dir.path() + "/", "not a file name"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(pl::write_atomically(c.path, "new contents", &error)) << c.path;
    EXPECT_NE(error.find(c.cause), std::string::npos) << error;
    EXPECT_EQ(dir.names(), before) << c.path;
    EXPECT_EQ(read_raw(dir / "old.plist"), "old contents\n");
    EXPECT_EQ(read_raw(dir / "a_directory/inside"), "kept");
  }
}

// Running as root, permissions cannot make a write fail; a file-size limit
// can, partway through the data.
TEST(PlistWriteAtomically, AFailedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir / "settings.plist";
  write_raw(path, "old contents\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit limited = saved;
  limited.rlim_cur = 4096;
  const sighandler_t old_handler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string error;
  const bool ok = pl::write_atomically(path, std::string(100000, 'n'), &error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(ok);
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(read_raw(path), "old contents\n");
  EXPECT_EQ(mode_of(path), 0640u);
  EXPECT_EQ(dir.names(), std::set<std::string>{"settings.plist"});
}

// One thread keeps replacing the file while another reads it: every read
// must see one complete version.
TEST(PlistWriteAtomically, ReadersNeverSeeAPartialFile) {
  // On a memory file system fsync costs nothing, so the writer gets through
  // thousands of replacements in its time; what is checked does not depend
  // on the file system.
  std::error_code ec;
  TempDir dir(std::filesystem::is_directory("/dev/shm", ec)
                  ? "/dev/shm"
                  : std::filesystem::temp_directory_path().string());
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir / "settings.plist";
  std::vector<pl::Value> versions;
  for (int i = 0; i < 4; ++i) {
    pl::Dictionary d;
    d.set("enabled", i % 2 == 0);
    // 1 to 10 KB: bigger than a page, small enough for thousands of writes.
    for (int k = 0; k < 10 + i * 30; ++k) d.set("key" + std::to_string(k), pl::Array{k, i, "padding"});
    versions.emplace_back(std::move(d));
  }
  ASSERT_TRUE(pl::write_xml_atomically(path, versions[0], nullptr));

  std::atomic<bool> done{false};
  std::atomic<int> writes{0}, bad_writes{0};
  std::thread writer([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(2000);
    for (int i = 1; i < 20000 && std::chrono::steady_clock::now() < deadline; ++i) {
      if (!pl::write_xml_atomically(path, versions[i % versions.size()], nullptr)) ++bad_writes;
      ++writes;
    }
    done = true;
  });
  int reads = 0, bad_reads = 0;
  while (!done) {
    std::string error;
    const auto v = pl::read_file(path, &error);
    ++reads;
    if (!v || std::find(versions.begin(), versions.end(), *v) == versions.end()) ++bad_reads;
  }
  writer.join();
  EXPECT_EQ(bad_writes, 0);
  EXPECT_EQ(bad_reads, 0) << "of " << reads << " reads during " << writes << " writes";
  EXPECT_GT(writes, 10);
  EXPECT_GT(reads, 10);
  EXPECT_EQ(dir.names(), std::set<std::string>{"settings.plist"});
}

}  // namespace
