// The arbiter's read-modify-write of the settings file against a second
// writer (the settings pane) that keeps replacing the same file: no reader
// ever sees a partial or torn file, and no temporary file is left behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "sim/system/event_log.h"
#include "sim/uikit/UIUserInterfaceStyleArbiter.h"
#include "support/sim_fixture.h"

using namespace sim;
using namespace corvane_test;
using sim::plist::Dictionary;
using sim::plist::Value;

namespace {

bool complete_dictionary(const std::string& path) {
  auto v = plist::read_file(path, nullptr);
  return v && v->is_dictionary();
}

// Puts the process's root in memory when the machine has a memory file
// system: each atomic write flushes to disk, which on a real disk would make
// thousands of them take half a minute without testing anything more.
class RootInMemory {
 public:
  RootInMemory() {
    if (const char* t = std::getenv("TMPDIR")) old_ = t, had_ = true;
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0)
      setenv("TMPDIR", "/dev/shm", 1);
  }
  ~RootInMemory() {
    if (had_) setenv("TMPDIR", old_.c_str(), 1);
    else unsetenv("TMPDIR");
  }

 private:
  std::string old_;
  bool had_ = false;
};

TEST(SettingsRace, EveryReadSeesACompleteFileWhileAnotherWriterRuns) {
  RootInMemory in_memory;
  SimProcess p;
  const std::string path = p.settings_path();
  p.write_settings(Dictionary{{"notifications", true}});
  p.load();

  std::atomic<bool> writer_done{false};
  std::atomic<int> writer_bad_reads{0};
  std::atomic<int> writer_writes{0};
  std::thread writer([&] {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
      // Another writer's own keys, with padding so its file is not small.
      Dictionary d{{"writer", i}, {"notifications", i % 2 == 0}, {"padding", std::string(2000, 'x')}};
      if (plist::write_xml_atomically(path, Value(d), nullptr)) ++writer_writes;
      if (!complete_dictionary(path)) ++writer_bad_reads;
    }
    writer_done = true;
  });

  int calls = 0, bad_reads = 0, saw_both = 0;
  id arbiter = shared_style_arbiter();
  while (calls < 2000 || !writer_done) {
    AutoreleasePool pool;
    send<void>(arbiter, sel("darkModeChanged:"), calls % 2 == 0);
    ++calls;
    auto v = plist::read_file(path, nullptr);
    if (!v || !v->is_dictionary()) ++bad_reads;
    else if (v->find("writer") && v->find("enabled")) ++saw_both;  // our key on the other's file
    if (calls % 256 == 0) clear_events();
  }
  writer.join();

  EXPECT_EQ(bad_reads, 0);
  EXPECT_EQ(writer_bad_reads.load(), 0);
  EXPECT_GE(calls, 2000);
  EXPECT_GT(writer_writes.load(), 0);
  EXPECT_GT(saw_both, 0);  // the rewrite kept the other writer's keys

  // With the other writer gone, one more call keeps its last keys.
  auto last = plist::read_file(path, nullptr);
  ASSERT_TRUE(last && last->is_dictionary());
  send<void>(arbiter, sel("darkModeChanged:"), true);
  Dictionary want = last->dictionary();
  want.set("enabled", true);
  auto now = plist::read_file(path, nullptr);
  ASSERT_TRUE(now && now->is_dictionary());
  EXPECT_EQ(now->dictionary(), want);

  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    EXPECT_EQ(entry.path(), path) << "stray file " << entry.path();
  clear_events();
}

}  // namespace
