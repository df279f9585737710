// The phone's library (an arm64 Mach-O dylib) loaded into the simulated
// process under emulation, in place of the native module.
//
// The dylib's segments, its stack and its heap live in one region of host
// memory that Unicorn maps at the same addresses, so pointers mean the same
// on both sides. Every imported symbol is bound to a stub in that region:
// the stub traps to the host, which calls the simulated host's function of
// that name (objc_msgSend by the method's type encoding, through libffi).
// Every function the library hands to the host (a method implementation, a
// hook, a notification callback, a block) becomes a libffi closure that runs
// the guest code to its return. Calls nest freely: guest -> host -> guest.
// A guest fault, a runaway loop or a host raise inside guest code ends the
// simulated process as a crash, naming the guest function.
//
// The guest is not trusted. Unicorn maps only the guest's own ranges, with
// the access each allows (GuestMemory), so guest code cannot reach host
// memory. At the boundary every raw value the guest hands the host is
// checked against what it claims to be before the host uses it: an object
// or class must be one the host handed out and that is still alive, a
// selector one the host interned, a string or buffer must lie wholly in
// guest memory, a place the host writes must be writable guest memory, code
// must lie in the library's executable segments. Anything else is a
// simulated crash naming the import and the value. Host time is bounded per
// call into the library as guest instructions are.
#pragma once

#include <chrono>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/emulation/arm64_abi.h"
#include "sim/emulation/guest_heap.h"
#include "sim/emulation/guest_memory.h"
#include "sim/emulation/macho.h"
#include "sim/emulation/ownership.h"
#include "sim/emulation/pointer_auth.h"

struct uc_struct;

namespace sim::emulation {

class EmulatedLibrary {
 public:
  // Loads and binds the dylib, then runs its initialisers. On failure
  // returns nullptr with `error` set (an import the host lacks is named).
  // `arch` picks the slice of a fat file: "arm64", "arm64e", or "" for the
  // arm64e slice when there is one (a thin file is taken as it is).
  // With `count_instructions`, every guest instruction the library runs is
  // counted (instructions(); the loader's and the boundary's own helpers
  // are not), from its initialisers on.
  static std::unique_ptr<EmulatedLibrary> load(const std::string& path, std::string& error,
                                               const std::string& arch = "", bool count_instructions = false);
  // The same from the file's bytes (`name` prefixes errors). Without
  // `run_initialisers` no guest code runs: the library is only mapped and
  // bound, as the loader's fuzzing needs.
  static std::unique_ptr<EmulatedLibrary> load_bytes(std::string bytes, const std::string& name,
                                                     std::string& error, bool run_initialisers = true,
                                                     const std::string& arch = "",
                                                     bool count_instructions = false);
  uint64_t instructions() const { return instructions_; }
  ~EmulatedLibrary();
  EmulatedLibrary(const EmulatedLibrary&) = delete;
  EmulatedLibrary& operator=(const EmulatedLibrary&) = delete;

  // A host-callable entry point for one of the library's exported C
  // functions, or nullptr.
  void* symbol(const char* name);
  // A host-callable entry point for any exported function of the library,
  // given its type encoding; nullptr if the library has no such function.
  void* function(const char* name, const std::string& types);

  // How long the host may work for one call into the library, guest code
  // and host calls together; past it the process crashes. The default is
  // far beyond anything the library does, so only a guest that keeps the
  // host busy in a loop meets it.
  static constexpr std::chrono::milliseconds kDefaultHostTimeBudget{30'000};
  void set_host_time_budget(std::chrono::milliseconds budget) { host_time_budget_ = budget; }

  // --- used by the bridge -------------------------------------------------
  using StubHandler = void (*)(EmulatedLibrary&, void* context);
  // A guest address that, when the guest calls it, runs `handler`.
  uint64_t add_stub(StubHandler handler, void* context);
  // A guest address that calls the host function `fn` of type `types`, named
  // `name` in crash reports. `checks` says what each argument must be (one
  // letter each, see admit()); without it each argument's type says. A
  // function that releases its argument number `releases`, or returns a
  // reference the caller owns, keeps the library's ownership count.
  uint64_t guest_callable(void* fn, const std::string& types, const char* checks, const std::string& name,
                          int releases = -1, bool owned_result = false);
  Ownership& ownership() { return ownership_; }
  // Gives up the library's reference to `object` (nil and immortal objects
  // need none); an over-release crashes.
  void release_owned(uint64_t object, const std::string& name);
  // A host function that runs guest code at `address` with type `types`.
  void* host_callable(uint64_t address, const std::string& types);
  Signature& signature(const std::string& types);

  // Calls a host function with the guest's current arguments as `sig` lays
  // them out, after checking each as `checks` (or its type) demands, and
  // leaves its result where the guest expects it.
  void call_host(void* fn, Signature& sig, const char* checks, const std::string& name);
  // The checks of one argument value (see the letters in the .cpp); `all`
  // holds every argument, for the checks that depend on another.
  void admit(char check, size_t i, uint64_t* value, void* const* all, const std::string& name,
             size_t pointee = 8);
  // Argument `i`, or with kResult the result, is not what `name` takes.
  static constexpr size_t kResult = ~size_t{0};
  [[noreturn]] void refuse(const std::string& name, size_t i, uint64_t value, const char* what);
  const GuestMemory& memory() const { return memory_; }
  bool is_guest_code(uint64_t address) const;
  // Runs guest code at `address` with native arguments and result.
  void call_guest(uint64_t address, Signature& sig, void** args, void* result);

  // arm64e: pointer authentication is enforced (pointer_auth.h). A code
  // pointer the library hands the host is authenticated (a failure is the
  // process crashing), and one the host hands back is signed IA/0. Both
  // pass the value through unchanged on arm64.
  bool pointer_auth() const { return pac_ != nullptr; }
  uint64_t code_from_guest(uint64_t value, uint64_t discriminator, const std::string& what);
  uint64_t code_for_guest(uint64_t address);
  uint64_t return_address() const { return return_address_; }
  // The crash report of a branch to `target` that failed authentication.
  std::string failed_branch(uint64_t target);

  uint64_t reg_x(int n);
  void set_reg_x(int n, uint64_t v);
  void clear_result_registers();
  GuestHeap& heap() { return *heap_; }
  [[noreturn]] void crash(const std::string& reason);
  std::string where(uint64_t address) const;

 private:
  EmulatedLibrary() = default;
  bool map_and_bind(const std::string& bytes, std::string& error);
  bool import_value(const MachBind& bind, uint64_t& value, std::string& error);
  // arm64e: the threaded fixups, slid, bound and signed (arm64e_loading.cpp).
  bool apply_threaded_fixups(std::string& error);
  void run_initialisers();
  void host_argument(Signature& sig, size_t i, void* out, uint64_t sp, const std::string& name);
  bool map_guest(uint64_t begin, uint64_t end, uint8_t access, std::string& error);
  // One value between bytes and its place in the guest (registers, or the
  // stack at sp), as the calling convention puts it.
  void load_value(const AbiType& t, const AbiSlot& s, uint64_t sp, uint8_t* raw);
  void store_value(const AbiType& t, const AbiSlot& s, uint64_t sp, const uint8_t* raw);
  void* host_block(uint64_t guest_block, size_t i, const std::string& name);

  MachImage image_;
  uc_struct* uc_ = nullptr;
  void* region_ = nullptr;
  size_t region_size_ = 0;
  uint64_t slide_ = 0;
  uint64_t stub_base_ = 0, stub_capacity_ = 0, return_address_ = 0;
  uint64_t stack_top_ = 0;
  GuestMemory memory_;
  Ownership ownership_;
  std::chrono::milliseconds host_time_budget_ = kDefaultHostTimeBudget;
  std::chrono::steady_clock::time_point entry_started_;
  uint64_t stack_block_class_ = 0, stack_guard_ = 0;
  std::unique_ptr<GuestHeap> heap_;
  std::unique_ptr<PointerAuth> pac_;
  struct Stub {
    StubHandler handler;
    void* context;
  };
  std::vector<Stub> stubs_;
  std::map<std::string, std::unique_ptr<Signature>> signatures_;
  std::map<std::pair<void*, std::string>, uint64_t> guest_callables_;
  std::map<std::pair<uint64_t, std::string>, void*> host_callables_;
  struct Closure;
  std::vector<std::unique_ptr<Closure>> closures_;
  struct HostCall;
  std::vector<std::unique_ptr<HostCall>> host_calls_;
  int depth_ = 0;
  bool count_instructions_ = false;
  uint64_t instructions_ = 0;
  std::exception_ptr pending_;  // a host raise inside a stub, rethrown outside the emulator
  std::string fault_;

  friend void on_interrupt(uc_struct*, uint32_t, void*);
  friend void on_block(uc_struct*, uint64_t, uint32_t, void*);
  friend bool on_invalid_memory(uc_struct*, int, uint64_t, int, int64_t, void*);
};

// Binds the imports of the library: defined in imports.cpp.
bool bind_import(EmulatedLibrary& lib, const MachBind& bind, uint64_t& value, std::string& error);

}  // namespace sim::emulation
