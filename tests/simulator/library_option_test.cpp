// --library: which library the simulated process loads, and how a wrong or
// broken one is reported.
#include <gtest/gtest.h>

#include <fstream>

#include "simulator/run_util.h"

using run_test::run_script;

namespace {

TEST(LibraryOption, AFileThatIsNoLibraryIsAUsageError) {
  // The package itself, as a user might pass it: an ar archive that starts
  // with debian-binary.
  const std::string deb = ::testing::TempDir() + "corvane13.deb";
  std::ofstream(deb, std::ios::binary)
      << "!<arch>\ndebian-binary   0           0     0     100644  4         `\n2.0\n";
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {"/no/such/library.dylib", "cannot use library /no/such/library.dylib: no such file"},
      {deb, "this is the package; pass the dylib inside it (Library/MobileSubstrate/DynamicLibraries/"},
      {CORVANE_SOURCE_DIR "/README.md", "neither the phone's dylib nor a native module"},
      {CORVANE_SOURCE_DIR "/device", "is a directory"},
      {std::string(CORVANE_PROBE_DYLIB) + " --arch arm64e", "a thin arm64 file has no arm64e slice"},
  };
  for (const auto& c : cases) {
    for (const std::string& command :
         {"run - --library " + c.path, "preview -o /dev/null --library " + c.path}) {
      run_test::Result r = run_test::run_sim(command, "load\n");
      EXPECT_EQ(r.status, 2) << command;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << command << ": " << r.err;
    }
  }
}

TEST(LibraryOption, AGuestFaultAtLoadIsACrashNamingLineAddressAndFunction) {
  run_test::Result r =
      run_script("# a broken library\nload\n", std::string("--library ") + CORVANE_FAULT_PROBE_DYLIB);
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(r.err.find("<stdin>:2: the simulated process crashed: guest fault: write of unmapped "
                       "address 0x10 at "),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("in __ZL26write_to_null_page_at_loadv)"), std::string::npos) << r.err;
}

TEST(LibraryOption, ALibraryWithoutTheEntryLoadsAndDoesNothing) {
  run_test::Result r =
      run_script("load\nnew b banner\nlayout b\n", std::string("--library ") + CORVANE_PROBE_DYLIB);
  EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace
