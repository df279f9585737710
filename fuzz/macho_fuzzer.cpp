// The Mach-O loader with arbitrary bytes: read, mapped into guest memory and
// bound to the host's imports, without running any of the library's code.
// Whatever the bytes, the load either succeeds or refuses them with a
// reason; it never faults, aborts or costs more than the file's size.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/emulation/emulated_library.h"
#include "sim/runtime/crash.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::CrashScope scope;
  std::string error;
  try {
    auto lib = sim::emulation::EmulatedLibrary::load_bytes(
        std::string(reinterpret_cast<const char*>(data), size), "input", error, false);
    if (!lib && error.empty()) {
      std::fprintf(stderr, "a refused load without a reason\n");
      std::abort();
    }
  } catch (const sim::ProcessCrashed&) {
    // Binding may end the simulated process (an import the host cannot
    // serve): a refusal, not a fault.
  }
  return 0;
}
