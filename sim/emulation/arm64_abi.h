// Calls between the host and arm64 guest code, by type encoding: which
// register or stack slot each argument and the result take under the arm64
// calling convention as Apple's platform uses it, and the libffi description
// of the same types for the host's side.
//
// Integers and pointers go in x0-x7, float and double in s0-s7/d0-d7, a
// structure of up to four doubles (CGPoint, CGSize, CGRect) in consecutive d
// registers, then the stack, where (unlike the generic convention) each
// argument takes only its own size at its own alignment. A result up to 16
// bytes comes back in x0/x1 or the d registers; a larger one is written
// through the address the caller gives in x8.
#pragma once

#include <ffi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sim::emulation {

struct AbiType {
  enum Kind { Void, Int, Bool, Float, Double, Pointer, Object, Block, DoubleStruct, IntStruct } kind = Void;
  size_t size = 0;
  size_t align = 1;
  bool is_signed = false;
  int members = 0;  // DoubleStruct: its doubles
  ffi_type* ffi = nullptr;
  // What a value of this type must be when the guest hands it to the host:
  // 'o' nil or a live object, 'b' a block, 'c' a class, 's' a selector,
  // 'z' a C string, 'i' an image, 'p' a pointer to `pointee` bytes the host
  // may read and write, '-' any bits (numbers and structures).
  char check = '-';
  size_t pointee = 0;
};

// Where an argument lives in the guest: a register (x or the first of some d
// registers) or an offset from the stack pointer at the call.
struct AbiSlot {
  enum Where { X, D, Stack } where = X;
  int index = 0;
  size_t offset = 0;
};

// How many bytes of guest memory the host may touch through a pointer to
// the encoded type: a scalar's own size, and for anything else (void, a
// structure) the most the host reads or writes through one (the library's
// settings, an NSValue's bytes).
constexpr size_t kMaxPointeeBytes = 256;
size_t pointee_bytes(std::string_view pointee);

class Signature {
 public:
  // `types` is a method or function type encoding ("v@:d@?", "^v^vQ"); frame
  // offsets and qualifiers are skipped. Returns nullptr for a type the
  // bridge cannot pass.
  static std::unique_ptr<Signature> parse(std::string_view types, std::string& error);

  const AbiType& result() const { return result_; }
  const std::vector<AbiType>& args() const { return args_; }
  const std::vector<AbiSlot>& slots() const { return slots_; }
  size_t stack_bytes() const { return stack_bytes_; }
  bool result_indirect() const { return result_.size > 16 && result_.kind == AbiType::IntStruct; }
  ffi_cif* cif() { return &cif_; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  AbiType result_;
  std::vector<AbiType> args_;
  std::vector<AbiSlot> slots_;
  size_t stack_bytes_ = 0;
  ffi_cif cif_{};
  std::vector<ffi_type*> ffi_args_;
  std::vector<std::unique_ptr<ffi_type>> owned_;
  std::vector<std::unique_ptr<ffi_type*[]>> owned_elements_;
};

}  // namespace sim::emulation
