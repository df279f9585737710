// The hostile probe (device/test-probe/hostile.cpp) loaded under emulation:
// calls any import with chosen register values, for the boundary's tests and
// its fuzzer.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "sim/emulation/emulated_library.h"

namespace corvane_test {

// In the probe's table order.
enum class Import : int {
  MsgSend,
  GetClass,
  ObjectGetClass,
  SelRegisterName,
  ClassAddMethod,
  HookMessage,
  SetAssociated,
  GetAssociated,
  StoreWeak,
  LoadWeakRetained,
  DestroyWeak,
  Release,
  StringCreate,
  DarwinCenter,
  DistributedCenter,
  AddObserver,
  Post,
  BitmapContextCreate,
  ColorSpaceCreate,
  ColorSpaceRelease,
  DrawImage,
  ContextRelease,
  ImageGetColorSpace,
  Calloc,
  Free,
  Count
};

// x0-x8, then the stack pointer for the call (0: the probe's own), then d0-d3.
struct GuestRegisters {
  uint64_t x[9] = {};
  uint64_t sp = 0;
  double d[4] = {};
};

class HostileGuest {
 public:
  // Loads the probe; empty with `error` set when it cannot.
  static std::unique_ptr<HostileGuest> load(const char* path, std::string& error) {
    auto lib = sim::emulation::EmulatedLibrary::load(path, error);
    if (!lib) return nullptr;
    std::unique_ptr<HostileGuest> g(new HostileGuest());
    g->lib_ = std::move(lib);
    g->import_ =
        reinterpret_cast<uint64_t (*)(int, const void*)>(g->lib_->function("hostile_import", "Qi^v"));
    g->block_class_ = reinterpret_cast<uint64_t (*)()>(g->lib_->function("hostile_stack_block_class", "Q"))();
    g->code_ = reinterpret_cast<uint64_t (*)()>(g->lib_->function("hostile_code", "Q"))();
    g->forging_code_ = reinterpret_cast<uint64_t (*)()>(g->lib_->function("hostile_forging_code", "Q"))();
    g->registers_ = g->copy_in(GuestRegisters{});
    return g;
  }

  sim::emulation::EmulatedLibrary& library() { return *lib_; }
  uint64_t call(Import which, const GuestRegisters& r) {
    std::memcpy(reinterpret_cast<void*>(registers_), &r, sizeof r);
    return import_(static_cast<int>(which), reinterpret_cast<const void*>(registers_));
  }
  // Bytes placed in the guest's heap: their guest address.
  template <typename T>
  uint64_t copy_in(const T& value) {
    return copy_in(&value, sizeof value);
  }
  uint64_t copy_in(const void* bytes, size_t size) {
    const uint64_t at = lib_->heap().allocate(1, size);
    if (at) std::memcpy(reinterpret_cast<void*>(at), bytes, size);
    return at;
  }
  uint64_t stack_block_class() const { return block_class_; }
  uint64_t code() const { return code_; }                  // a method of the probe's: v@:
  uint64_t forging_code() const { return forging_code_; }  // @@:, answering 0x1234

 private:
  HostileGuest() = default;
  std::unique_ptr<sim::emulation::EmulatedLibrary> lib_;
  uint64_t (*import_)(int, const void*) = nullptr;
  uint64_t block_class_ = 0, code_ = 0, forging_code_ = 0, registers_ = 0;
};

}  // namespace corvane_test
