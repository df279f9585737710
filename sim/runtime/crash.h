// The simulated process crashing: the host raises (an unrecognized selector,
// a key that is not key-value coding compliant, a broken promise of a host
// API) and nothing catches it, so the process ends.
//
// By default fatal() prints its message and aborts, which is what unit tests
// of the host expect. A driver that runs one simulated process and must
// outlive it (the scenario interpreter, the fuzzers) opens a CrashScope: while
// one is open, fatal() throws ProcessCrashed instead, the stack unwinds to
// the driver, and the driver reports the crash and discards the process.
#pragma once

#include <stdexcept>
#include <string>

namespace sim {

class ProcessCrashed : public std::runtime_error {
 public:
  explicit ProcessCrashed(const std::string& reason) : std::runtime_error(reason) {}
};

class CrashScope {
 public:
  CrashScope();
  ~CrashScope();
  CrashScope(const CrashScope&) = delete;
  CrashScope& operator=(const CrashScope&) = delete;
};

// Whether a CrashScope is open.
bool crashes_are_caught();

// The reason of the last crash raised inside a CrashScope, kept for a
// terminate handler: a crash raised where the stack cannot unwind (inside a
// destructor, during another unwind) ends in std::terminate.
const std::string& last_crash_reason();
void note_crash_reason(const std::string& reason);

}  // namespace sim
