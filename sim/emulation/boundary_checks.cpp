// The emulation's boundary checks: what each raw value the guest hands the
// host must be before the host uses it (admit), the library's references
// (release_owned), and the block a guest passes for an object (host_block).
#include <cstring>

#include "sim/emulation/emulated_library.h"
#include "sim/foundation/CFNotificationCenter.h"
#include "sim/graphics/live_graphics.h"
#include "sim/runtime/block.h"
#include "sim/runtime/object.h"
#include "sim/runtime/runtime.h"

namespace sim::emulation {
namespace {

constexpr size_t kMaxGuestString = 64 * 1024;  // the longest C string the host reads from the guest

}  // namespace

void* EmulatedLibrary::host_block(uint64_t guest_block, size_t i, const std::string& name) {
  if (!guest_block) return nullptr;
  if (!memory_.contains(guest_block)) {
    if (!sim::is_live_object(reinterpret_cast<const void*>(guest_block)))
      refuse(name, i, guest_block, "not a live object");
    return reinterpret_cast<void*>(guest_block);
  }
  // In the guest's memory, only a block the library made on its stack may
  // stand for an object. Its literal and descriptor are checked to lie in
  // guest memory before anything of it is read beyond its first words.
  if (guest_block % 8 || !memory_.allows(guest_block, 32, kGuestRead))
    refuse(name, i, guest_block, "neither a live object nor a block");
  const auto* words = reinterpret_cast<const uint64_t*>(guest_block);
  if (words[0] != stack_block_class_) refuse(name, i, guest_block, "neither a live object nor a block");
  const uint32_t flags = static_cast<uint32_t>(words[1]);
  if (flags & (1u << 25)) crash("the library passed a block with copy helpers, which the bridge cannot copy");
  const uint64_t descriptor = words[3];
  if (descriptor % 8 || !memory_.allows(descriptor, 16, kGuestRead))
    refuse(name, i, guest_block, "a block whose descriptor lies outside the library's memory");
  const uint64_t size = reinterpret_cast<const uint64_t*>(descriptor)[1];
  if (size < 32 || size > 4096 || !memory_.allows(guest_block, size, kGuestRead))
    refuse(name, i, guest_block, "a block whose size its memory does not hold");
  // On arm64e the invoke is signed IA with the address of its field.
  const uint64_t invoke =
      pac_ ? code_from_guest(words[2], guest_block + 16,
                             "the invoke of a block passed as argument " + std::to_string(i) + " of " + name)
           : words[2];
  if (!is_guest_code(invoke)) refuse(name, i, guest_block, "a block whose invoke is not the library's code");
  // The block lives on the guest's stack; the host keeps its own copy in
  // the guest heap for as long as it holds the block.
  const uint64_t copy = heap_->allocate(1, size);
  if (!copy) crash("the library's heap is exhausted");
  // memmove: a literal that claims more bytes than the guest gave it may reach
  // into the heap block just taken for the copy.
  std::memmove(reinterpret_cast<void*>(copy), reinterpret_cast<const void*>(guest_block), size);
  reinterpret_cast<uint64_t*>(copy)[2] = invoke;
  struct GuestBlock {
    EmulatedLibrary* lib;
    uint64_t block;
  };
  auto* gb = new GuestBlock{this, copy};
  id block = sim::make_object_block(
      [](void* ctx, id argument) {
        auto* g = static_cast<GuestBlock*>(ctx);
        const uint64_t invoke = reinterpret_cast<const uint64_t*>(g->block)[2];
        void* self = reinterpret_cast<void*>(g->block);
        void* args[] = {&self, &argument};
        g->lib->call_guest(invoke, g->lib->signature("v^v@"), args, nullptr);
      },
      gb,
      [](void* ctx) {
        auto* g = static_cast<GuestBlock*>(ctx);
        g->lib->heap_->release(g->block);
        delete g;
      });
  return block;
}

void EmulatedLibrary::release_owned(uint64_t object, const std::string& name) {
  const void* p = reinterpret_cast<const void*>(object);
  if (!object || (sim::is_live_object(p) && (static_cast<const objc_object*>(p)->flags & sim::kImmortal)))
    return;
  if (!ownership_.give_up(p))
    crash(name + " of " + hex(object) + ", which the library does not own: an over-release" +
          where(reg_x(30)));
}

void EmulatedLibrary::refuse(const std::string& name, size_t i, uint64_t value, const char* what) {
  if (i == kResult) crash("the library returned " + hex(value) + " from " + name + ", which is " + what);
  crash("the library passed " + hex(value) + " as argument " + std::to_string(i) + " of " + name +
        ", which is " + what + where(reg_x(30)));
}

// The letters of a check, one per argument:
//   o  nil or a live object (a block the library made on its stack included)
//   b  the same, for a block argument
//   c  nil or a live class      s  nil or a selector
//   z  nil or a C string that ends in guest memory; Z the same, not nil
//   f  nil or the library's code
//   w  a weak reference's place: writable guest memory holding nil or a
//      live object
//   p  nil or writable guest memory of the pointee's size, aligned for it
//   r  nil or readable guest memory of the pointee's size (a result)
//   B  nil or writable guest memory of argument 4 x argument 2 bytes (a
//      bitmap's rows)
//   g, i, x  nil or a live colour space, image or bitmap context
//   n  nil or a notification centre
//   d  what a notification centre passes along (the object, the user
//      info): ignored by the Darwin centre (argument 0), else as o
//   -  any bits
void EmulatedLibrary::admit(char check, size_t i, uint64_t* value, void* const* all, const std::string& name,
                            size_t pointee) {
  const uint64_t v = *value;
  const void* p = reinterpret_cast<const void*>(v);
  auto arg = [&](size_t k) { return *static_cast<const uint64_t*>(all[k]); };
  switch (check) {
    case 'd':
      if (reinterpret_cast<const void*>(arg(0)) == CFNotificationCenterGetDarwinNotifyCenter()) return;
      [[fallthrough]];
    case 'o':
    case 'b': *value = reinterpret_cast<uint64_t>(host_block(v, i, name)); return;
    case 'c':
      if (v && !(sim::is_live_object(p) && class_isMetaClass(object_getClass(reinterpret_cast<id>(v)))))
        refuse(name, i, v, "not a live class");
      return;
    case 's':
      if (v && !sim::is_selector(p)) refuse(name, i, v, "not a selector");
      return;
    case 'Z':
      if (!v) refuse(name, i, v, "not a string");
      [[fallthrough]];
    case 'z':
      if (v && !memory_.string_length(v, kMaxGuestString))
        refuse(name, i, v, "not a string that ends in the library's memory");
      return;
    case 'f':
      if (v && pac_) *value = code_from_guest(v, 0, "argument " + std::to_string(i) + " of " + name);
      if (v && !is_guest_code(*value)) refuse(name, i, v, "not the library's code");
      return;
    case 'w': {
      if (v % 8 || !memory_.allows(v, 8, kGuestRead | kGuestWrite))
        refuse(name, i, v, "not a writable place in the library's memory");
      const uint64_t held = *reinterpret_cast<const uint64_t*>(v);
      if (held && !sim::is_live_object(reinterpret_cast<const void*>(held)))
        refuse(name, i, v, "a weak reference that holds no live object");
      return;
    }
    case 'r':
      if (v && !memory_.allows(v, pointee, kGuestRead))
        refuse(name, i, v, "not memory of the library's that holds what the host reads there");
      return;
    case 'p':
    case 'B': {
      if (!v) return;
      uint64_t bytes = pointee;
      if (check == 'B' && __builtin_mul_overflow(arg(4), arg(2), &bytes)) bytes = UINT64_MAX;
      const bool aligned = check == 'B' || pointee > 8 || v % pointee == 0;
      if (!aligned || !memory_.allows(v, bytes, kGuestRead | kGuestWrite))
        refuse(name, i, v, "not writable memory of the library's that holds what the host stores there");
      return;
    }
    case 'g':
    case 'i':
    case 'x': {
      using sim::graphics::GraphicsKind;
      const GraphicsKind kind = check == 'g'   ? GraphicsKind::ColorSpace
                                : check == 'i' ? GraphicsKind::Image
                                               : GraphicsKind::Context;
      if (v && !sim::graphics::is_live(kind, p))
        refuse(name, i, v,
               check == 'g'   ? "not a live colour space"
               : check == 'i' ? "not a live image"
                              : "not a live bitmap context");
      return;
    }
    case 'n':
      if (v && !sim_is_notification_center(p)) refuse(name, i, v, "not a notification centre");
      return;
    default: return;
  }
}

}  // namespace sim::emulation
