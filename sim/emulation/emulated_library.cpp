#include "sim/emulation/emulated_library.h"

#include <sys/mman.h>
#include <unicorn/unicorn.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "sim/emulation/fat_file.h"
#include "sim/emulation/untranslatable.h"
#include "sim/foundation/CFNotificationCenter.h"
#include "sim/graphics/live_graphics.h"
#include "sim/io/whole_file.h"
#include "sim/runtime/block.h"
#include "sim/runtime/object.h"
#include "sim/runtime/runtime.h"

namespace sim::emulation {

namespace {

constexpr size_t kStubBytes = 64 * 1024;     // 8 bytes a stub
constexpr size_t kStackBytes = 1024 * 1024;  // the guest's main-thread stack
constexpr size_t kHeapBytes = size_t{320} << 20;
// Guest instructions per entry into guest code. The library's largest entry,
// averaging a 4096 x 4096 icon's pixels, takes about 17 million; a runaway
// loop ends after a second or two instead of tens.
constexpr uint64_t kInstructionBudget = 64'000'000;
// Host -> guest -> host nesting. Each level is a nested uc_emu_start, and
// Unicorn 2.0.1 itself fails at 64 of them; the library's own deepest
// nesting (a hook that sends a message whose hook runs) is a handful.
constexpr int kMaxCallDepth = 32;
constexpr size_t kMaxDylibBytes = 64 << 20;
constexpr uint64_t kPage = 4096;  // Unicorn's arm64 page
constexpr uint32_t kSvc = 0xd4000001, kRet = 0xd65f03c0;

uint64_t round_up(uint64_t v, uint64_t a) { return (v + a - 1) / a * a; }

int unicorn_access(uint8_t access) {
  return (access & kGuestRead ? UC_PROT_READ : 0) | (access & kGuestWrite ? UC_PROT_WRITE : 0) |
         (access & kGuestExecute ? UC_PROT_EXEC : 0);
}

int x_reg(int n) {
  if (n <= 28) return UC_ARM64_REG_X0 + n;
  return n == 29 ? UC_ARM64_REG_X29 : UC_ARM64_REG_X30;
}

}  // namespace

// A guest function made callable by the host.
struct EmulatedLibrary::Closure {
  EmulatedLibrary* lib;
  uint64_t address;
  Signature* sig;
  ffi_closure* closure = nullptr;
  void* code = nullptr;
  ~Closure() {
    if (closure) ffi_closure_free(closure);
  }
};

// A host function made callable by the guest.
struct EmulatedLibrary::HostCall {
  void* fn;
  Signature* sig;
  const char* checks;
  std::string name;
  int releases;
  bool owned_result;
};

void on_interrupt(uc_struct* uc, uint32_t, void* user) {
  auto* lib = static_cast<EmulatedLibrary*>(user);
  uint64_t pc = 0;
  uc_reg_read(uc, UC_ARM64_REG_PC, &pc);
  // Only the svc that opens a stub enters the host: pc is then just past it.
  const uint64_t slot = (pc - lib->stub_base_) / 8;
  if (pc < lib->stub_base_ || (pc - lib->stub_base_) % 8 != 4 || slot >= lib->stubs_.size() ||
      !lib->stubs_[slot].handler) {
    lib->fault_ = "an unexpected trap: an svc at " + hex(pc - 4) + lib->where(pc - 4);
    // On arm64e a branch through a pointer whose authentication failed
    // traps at the address with error bits in its top.
    if (lib->pac_ && (pc >> 48) && lib->is_guest_code(PointerAuth::strip(pc)))
      lib->fault_ = lib->failed_branch(pc);
    uc_emu_stop(uc);
    return;
  }
  if (std::chrono::steady_clock::now() - lib->entry_started_ > lib->host_time_budget_) {
    lib->fault_ = "host time exceeded: one call into the library kept the host busy for more than " +
                  std::to_string(lib->host_time_budget_.count()) + " ms" + lib->where(lib->reg_x(30));
    uc_emu_stop(uc);
    return;
  }
  try {
    const EmulatedLibrary::Stub& s = lib->stubs_[slot];
    s.handler(*lib, s.context);
  } catch (...) {
    lib->pending_ = std::current_exception();
    uc_emu_stop(uc);
  }
}

// Each translated block of the library's code as it runs: its instructions
// counted (the stubs and helpers outside the image are the host's side).
void on_block(uc_struct*, uint64_t address, uint32_t size, void* user) {
  auto* lib = static_cast<EmulatedLibrary*>(user);
  if (address - lib->slide_ < lib->image_.vm_end) lib->instructions_ += size / 4;
}

bool on_invalid_memory(uc_struct* uc, int type, uint64_t address, int, int64_t, void* user) {
  auto* lib = static_cast<EmulatedLibrary*>(user);
  uint64_t pc = 0;
  uc_reg_read(uc, UC_ARM64_REG_PC, &pc);
  char text[160];
  const char* what = type == UC_MEM_FETCH_UNMAPPED || type == UC_MEM_FETCH_PROT   ? "execute"
                     : type == UC_MEM_WRITE_UNMAPPED || type == UC_MEM_WRITE_PROT ? "write"
                                                                                  : "read";
  const bool prot = type == UC_MEM_FETCH_PROT || type == UC_MEM_WRITE_PROT || type == UC_MEM_READ_PROT;
  std::snprintf(text, sizeof text, "guest fault: %s of %s address 0x%llx at 0x%llx", what,
                prot ? "protected" : "unmapped", static_cast<unsigned long long>(address),
                static_cast<unsigned long long>(pc));
  lib->fault_ = text + lib->where(pc);
  // A branch through a pointer whose authentication failed lands on the
  // address with error bits in its top: the crash that names it.
  if (lib->pac_ && type == UC_MEM_FETCH_UNMAPPED && (address >> 48) &&
      lib->is_guest_code(PointerAuth::strip(address)))
    lib->fault_ = lib->failed_branch(address);
  return false;
}

std::unique_ptr<EmulatedLibrary> EmulatedLibrary::load(const std::string& path, std::string& error,
                                                       const std::string& arch, bool count_instructions) {
  std::string bytes;
  if (!io::read_whole_file(path, kMaxDylibBytes, &bytes, &error)) return nullptr;
  return load_bytes(std::move(bytes), path, error, true, arch, count_instructions);
}

std::unique_ptr<EmulatedLibrary> EmulatedLibrary::load_bytes(std::string bytes, const std::string& name,
                                                             std::string& error, bool run_initialisers,
                                                             const std::string& arch,
                                                             bool count_instructions) {
  std::unique_ptr<EmulatedLibrary> lib;
  try {
    if (!select_slice(bytes, arch, error)) {
      error = name + ": " + error;
      return nullptr;
    }
    auto image = read_macho(std::move(bytes), error);
    if (!image) {
      error = name + ": " + error;
      return nullptr;
    }
    if (auto at = first_untranslatable(*image)) {
      uint32_t word;
      std::memcpy(&word, image->file->data() + *at, 4);
      error = name + ": the instruction " + hex(word) + " at offset " + hex(*at) +
              " would stop the arm64 emulator (it cannot translate it)";
      return nullptr;
    }
    lib.reset(new EmulatedLibrary());
    lib->image_ = std::move(*image);
    lib->count_instructions_ = count_instructions;
    if (!lib->map_and_bind(*lib->image_.file, error)) {
      error = name + ": " + error;
      return nullptr;
    }
  } catch (const std::bad_alloc&) {
    error = name + ": not enough memory to load the library";
    return nullptr;
  }
  if (run_initialisers) lib->run_initialisers();
  return lib;
}

bool EmulatedLibrary::map_and_bind(const std::string& bytes, std::string& error) {
  const uint64_t image_bytes = round_up(image_.vm_end, 64 * 1024);
  region_size_ = image_bytes + kStubBytes + kStackBytes + kHeapBytes;
  region_ = is_arm64e(image_) ? PointerAuth::reserve_region(region_size_)
                              : mmap(nullptr, region_size_, PROT_READ | PROT_WRITE,
                                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (region_ == MAP_FAILED) {
    region_ = nullptr;
    error = "cannot reserve memory for the library";
    return false;
  }
  const uint64_t base = reinterpret_cast<uint64_t>(region_);
  slide_ = base;  // a dylib's first segment starts at 0
  for (const MachSegment& seg : image_.segments)
    std::memcpy(reinterpret_cast<void*>(base + seg.vmaddr), bytes.data() + seg.fileoff, seg.filesize);
  stub_base_ = base + image_bytes;
  stub_capacity_ = kStubBytes / 8;
  stack_top_ = stub_base_ + kStubBytes + kStackBytes;
  heap_ = std::make_unique<GuestHeap>(stack_top_, kHeapBytes);

  if (uc_open(UC_ARCH_ARM64, UC_MODE_ARM, &uc_) != UC_ERR_OK) {
    error = "cannot start the arm64 emulator";
    return false;
  }
  if (is_arm64e(image_)) {
    pac_ = std::make_unique<PointerAuth>();
    if (!PointerAuth::choose_cpu(uc_, error)) return false;
  }
  // Each segment with the access its load command gives, whole pages each;
  // the stubs can be run but not written; the stack and heap read and
  // written. Nothing else of the region is mapped.
  for (size_t k = 0; k < image_.segments.size(); ++k) {
    const MachSegment& seg = image_.segments[k];
    const uint8_t access = (seg.initprot & 1 ? kGuestRead : 0) | (seg.initprot & 2 ? kGuestWrite : 0) |
                           (seg.initprot & 4 ? kGuestExecute : 0);
    if (seg.vmsize == 0 || access == 0) continue;
    if (seg.vmaddr % kPage) {
      error = "segment " + seg.name + " does not start on a page";
      return false;
    }
    if (!map_guest(base + seg.vmaddr, base + round_up(seg.vmaddr + seg.vmsize, kPage), access, error)) {
      error = "segment " + seg.name + " shares a page with another segment";
      return false;
    }
  }
  if (!map_guest(stub_base_, stub_base_ + kStubBytes, kGuestRead | kGuestExecute, error) ||
      !map_guest(stub_base_ + kStubBytes, stack_top_ + kHeapBytes, kGuestRead | kGuestWrite, error))
    return false;
  sim::track_live_objects();
  uc_hook h1, h2;
  uc_hook_add(uc_, &h1, UC_HOOK_INTR, reinterpret_cast<void*>(on_interrupt), this, 1, 0);
  uc_hook_add(uc_, &h2, UC_HOOK_MEM_INVALID, reinterpret_cast<void*>(on_invalid_memory), this, 1, 0);
  if (count_instructions_) {
    uc_hook h3;
    uc_hook_add(uc_, &h3, UC_HOOK_BLOCK, reinterpret_cast<void*>(on_block), this, 1, 0);
  }
  // Slot 0 is where guest code returns to the host: emulation stops there.
  return_address_ = add_stub(nullptr, nullptr);
  // Two words of guest memory for the data the library imports.
  stack_block_class_ = heap_->allocate(32, 8);
  stack_guard_ = heap_->allocate(1, 8);
  *reinterpret_cast<uint64_t*>(stack_guard_) = 0x2f8a6c1b5d3e9047;
  if (pac_ && !pac_->enable(*this, uc_, error)) return false;
  if (pac_ || !image_.threaded.empty()) return apply_threaded_fixups(error);

  // A damaged file may place a pointer at any byte: each is read and written
  // whole, without assuming alignment.
  for (uint64_t at : image_.rebases) {
    uint64_t v;
    std::memcpy(&v, reinterpret_cast<const void*>(base + at), 8);
    v += slide_;
    std::memcpy(reinterpret_cast<void*>(base + at), &v, 8);
  }
  // Each import is bound once, however many slots name it.
  std::map<std::pair<std::string_view, bool>, uint64_t> bound;
  for (const MachBind& b : image_.binds) {
    auto [it, fresh] = bound.try_emplace({b.symbol, b.weak_import}, 0);
    if (fresh && !import_value(b, it->second, error)) return false;
    const uint64_t value = it->second + static_cast<uint64_t>(b.addend);
    std::memcpy(reinterpret_cast<void*>(base + b.address), &value, 8);
  }
  return true;
}

bool EmulatedLibrary::import_value(const MachBind& b, uint64_t& value, std::string& error) {
  if (b.symbol == "___stack_chk_guard") value = stack_guard_;
  else if (b.symbol == "__NSConcreteStackBlock") value = stack_block_class_;
  else return bind_import(*this, b, value, error);
  return true;
}

bool EmulatedLibrary::map_guest(uint64_t begin, uint64_t end, uint8_t access, std::string& error) {
  for (const GuestMemory::Range& r : memory_.ranges())
    if (begin < r.end && r.begin < end) {
      error = "the library's memory overlaps itself";
      return false;
    }
  if (uc_mem_map_ptr(uc_, begin, end - begin, unicorn_access(access), reinterpret_cast<void*>(begin)) !=
      UC_ERR_OK) {
    error = "the emulator cannot map the library's memory";
    return false;
  }
  memory_.add(begin, end, access);
  return true;
}

bool EmulatedLibrary::is_guest_code(uint64_t address) const {
  return address % 4 == 0 && memory_.allows(address, 4, kGuestExecute) &&
         !(address >= stub_base_ && address < stub_base_ + kStubBytes);
}

void EmulatedLibrary::run_initialisers() {
  Signature& sig = signature("v");
  for (uint64_t at : image_.init_pointers) {
    uint64_t fn;
    std::memcpy(&fn, reinterpret_cast<const void*>(slide_ + at), 8);
    if (!is_guest_code(pac_ ? PointerAuth::strip(fn) : fn))
      crash("an initialiser at " + hex(fn) + " is not in the library's code");
    if (!pac_) {
      call_guest(fn, sig, nullptr, nullptr);
      continue;
    }
    // As dyld calls it on arm64e: through a branch that authenticates the
    // slot's value (IA, discriminator 0).
    void* args[] = {&fn};
    call_guest(pac_->authenticating_branch(), signature("v^v"), args, nullptr);
  }
}

EmulatedLibrary::~EmulatedLibrary() {
  closures_.clear();
  if (uc_) uc_close(uc_);
  if (region_) munmap(region_, region_size_);
}

void* EmulatedLibrary::symbol(const char* name) {
  // The library's exported C functions and their types.
  static const struct {
    const char* name;
    const char* types;
  } exports[] = {{"corvane13_settings", "^v"}, {"corvane13_dark_mode_active", "B"}};
  for (const auto& e : exports)
    if (std::strcmp(e.name, name) == 0) return function(name, e.types);
  return nullptr;
}

void* EmulatedLibrary::function(const char* name, const std::string& types) {
  for (const MachSymbol& s : image_.functions)
    if (s.name == std::string("_") + name) return host_callable(slide_ + s.address, types);
  return nullptr;
}

uint64_t EmulatedLibrary::add_stub(StubHandler handler, void* context) {
  if (stubs_.size() >= stub_capacity_) crash("too many host entry points for the library");
  const uint64_t at = stub_base_ + stubs_.size() * 8;
  reinterpret_cast<uint32_t*>(at)[0] = kSvc;
  reinterpret_cast<uint32_t*>(at)[1] = kRet;
  stubs_.push_back({handler, context});
  return at;
}

Signature& EmulatedLibrary::signature(const std::string& types) {
  auto it = signatures_.find(types);
  if (it != signatures_.end()) return *it->second;
  std::string error;
  auto sig = Signature::parse(types, error);
  if (!sig) crash("cannot pass the type \"" + types + "\" between the library and the host: " + error);
  return *signatures_.emplace(types, std::move(sig)).first->second;
}

uint64_t EmulatedLibrary::guest_callable(void* fn, const std::string& types, const char* checks,
                                         const std::string& name, int releases, bool owned_result) {
  auto key = std::make_pair(fn, types);
  if (auto it = guest_callables_.find(key); it != guest_callables_.end()) return it->second;
  auto call =
      std::make_unique<HostCall>(HostCall{fn, &signature(types), checks, name, releases, owned_result});
  const uint64_t at = add_stub(
      [](EmulatedLibrary& lib, void* c) {
        auto* hc = static_cast<HostCall*>(c);
        if (hc->releases >= 0) lib.release_owned(lib.reg_x(hc->releases), hc->name);
        lib.call_host(hc->fn, *hc->sig, hc->checks, hc->name);
        if (hc->owned_result) lib.ownership().gained(reinterpret_cast<const void*>(lib.reg_x(0)));
      },
      call.get());
  host_calls_.push_back(std::move(call));
  guest_callables_[key] = at;
  return at;
}

void* EmulatedLibrary::host_callable(uint64_t address, const std::string& types) {
  auto key = std::make_pair(address, types);
  if (auto it = host_callables_.find(key); it != host_callables_.end()) return it->second;
  auto c = std::make_unique<Closure>();
  c->lib = this;
  c->address = address;
  c->sig = &signature(types);
  c->closure = static_cast<ffi_closure*>(ffi_closure_alloc(sizeof(ffi_closure), &c->code));
  if (!c->closure) crash("out of memory for a host entry into the library");
  ffi_prep_closure_loc(
      c->closure, c->sig->cif(),
      [](ffi_cif*, void* result, void** args, void* user) {
        auto* cl = static_cast<Closure*>(user);
        cl->lib->call_guest(cl->address, *cl->sig, args, result);
      },
      c.get(), c->code);
  void* code = c->code;
  closures_.push_back(std::move(c));
  host_callables_[key] = code;
  return code;
}

uint64_t EmulatedLibrary::reg_x(int n) {
  uint64_t v = 0;
  uc_reg_read(uc_, x_reg(n), &v);
  return v;
}

void EmulatedLibrary::set_reg_x(int n, uint64_t v) { uc_reg_write(uc_, x_reg(n), &v); }

void EmulatedLibrary::clear_result_registers() {
  const uint64_t zero = 0;
  for (int i = 0; i < 8; ++i) {
    uc_reg_write(uc_, UC_ARM64_REG_X0 + i, &zero);
    uc_reg_write(uc_, UC_ARM64_REG_D0 + i, &zero);
  }
}

std::string EmulatedLibrary::where(uint64_t address) const {
  if (address < slide_ || address >= slide_ + image_.vm_end) return "";
  std::string fn = function_at(image_, address - slide_);
  char text[64];
  std::snprintf(text, sizeof text, " (library offset 0x%llx",
                static_cast<unsigned long long>(address - slide_));
  return std::string(text) + (fn.empty() ? ")" : ", in " + fn + ")");
}

void EmulatedLibrary::crash(const std::string& reason) { sim::fatal(reason); }

// --- guest -> host ----------------------------------------------------------

namespace {

// An integer, BOOL or pointer widened to a full register in place, as a
// caller must pass it and as libffi returns it: zero- or sign-extended, and a
// BOOL as exactly 0 or 1.
void widen(const AbiType& t, uint8_t* raw) {
  if (t.kind != AbiType::Int && t.kind != AbiType::Bool) return;
  uint64_t v = 0;
  std::memcpy(&v, raw, t.size);
  if (t.is_signed && t.size < 8 && (v >> (t.size * 8 - 1))) v |= ~((uint64_t{1} << (t.size * 8)) - 1);
  if (t.kind == AbiType::Bool) v = (v & 0xff) != 0;
  std::memcpy(raw, &v, 8);
}

// Where a result comes back: the d registers for floating point, x0 (and
// x1) for everything else that is not returned through memory.
AbiSlot result_slot(const AbiType& r) {
  const bool fp = r.kind == AbiType::Float || r.kind == AbiType::Double || r.kind == AbiType::DoubleStruct;
  return {fp ? AbiSlot::D : AbiSlot::X, 0, 0};
}

}  // namespace

void EmulatedLibrary::load_value(const AbiType& t, const AbiSlot& s, uint64_t sp, uint8_t* raw) {
  switch (s.where) {
    case AbiSlot::X:
      for (size_t k = 0; k * 8 < t.size; ++k) {
        const uint64_t v = reg_x(s.index + static_cast<int>(k));
        std::memcpy(raw + k * 8, &v, 8);
      }
      break;
    case AbiSlot::D:
      if (t.kind == AbiType::Float) {
        uc_reg_read(uc_, UC_ARM64_REG_S0 + s.index, raw);
      } else {
        const int n = t.kind == AbiType::DoubleStruct ? t.members : 1;
        for (int k = 0; k < n; ++k) uc_reg_read(uc_, UC_ARM64_REG_D0 + s.index + k, raw + k * 8);
      }
      break;
    case AbiSlot::Stack: std::memcpy(raw, reinterpret_cast<const void*>(sp + s.offset), t.size); break;
  }
}

void EmulatedLibrary::store_value(const AbiType& t, const AbiSlot& s, uint64_t sp, const uint8_t* raw) {
  switch (s.where) {
    case AbiSlot::X:
      for (size_t k = 0; k * 8 < std::max<size_t>(t.size, 1); ++k) {
        uint64_t v = 0;
        std::memcpy(&v, raw + k * 8, 8);
        set_reg_x(s.index + static_cast<int>(k), v);
      }
      break;
    case AbiSlot::D:
      if (t.kind == AbiType::Float) {
        uc_reg_write(uc_, UC_ARM64_REG_S0 + s.index, raw);
      } else {
        const int n = t.kind == AbiType::DoubleStruct ? t.members : 1;
        for (int k = 0; k < n; ++k) uc_reg_write(uc_, UC_ARM64_REG_D0 + s.index + k, raw + k * 8);
      }
      break;
    case AbiSlot::Stack: std::memcpy(reinterpret_cast<void*>(sp + s.offset), raw, t.size); break;
  }
}

void EmulatedLibrary::host_argument(Signature& sig, size_t i, void* out, uint64_t sp,
                                    const std::string& name) {
  const AbiType& t = sig.args()[i];
  const AbiSlot& s = sig.slots()[i];
  if (s.where == AbiSlot::Stack && !memory_.allows(sp + s.offset, t.size, kGuestRead))
    crash(name + ": argument " + std::to_string(i) + " lies on a stack at " + hex(sp) +
          ", outside the library's memory" + where(reg_x(30)));
  uint8_t raw[64] = {};
  load_value(t, s, sp, raw);
  if (t.kind == AbiType::Bool) {
    // The caller widens a BOOL to 32 bits: anything but 0 or 1 there is a
    // BOOL passed as some other type.
    uint32_t w = 0;
    std::memcpy(&w, raw, 4);
    if (s.where == AbiSlot::X && w > 1) {
      char text[96];
      std::snprintf(text, sizeof text, "a BOOL argument %zu of \"%s\" reads 0x%x, not 0 or 1", i,
                    sig.text().c_str(), w);
      crash(text);
    }
  }
  std::memcpy(out, raw, t.size);
}

void EmulatedLibrary::call_host(void* fn, Signature& sig, const char* checks, const std::string& name) {
  uint64_t sp = 0;
  uc_reg_read(uc_, UC_ARM64_REG_SP, &sp);
  const uint64_t indirect = reg_x(8);
  const size_t n = sig.args().size();
  std::vector<uint64_t> storage(n * 4 + 1);
  std::vector<void*> args(n);
  for (size_t i = 0; i < n; ++i) {
    args[i] = &storage[i * 4];
    host_argument(sig, i, args[i], sp, name);
  }
  const size_t given = checks ? std::strlen(checks) : 0;
  for (size_t i = 0; i < n; ++i) {
    const char check = checks ? (i < given ? checks[i] : '-') : sig.args()[i].check;
    admit(check, i, static_cast<uint64_t*>(args[i]), args.data(), name, checks ? 8 : sig.args()[i].pointee);
  }
  const AbiType& r = sig.result();
  if (sig.result_indirect() && !memory_.allows(indirect, r.size, kGuestRead | kGuestWrite))
    crash(name + ": the place for its result (x8 = " + hex(indirect) +
          ") is not writable memory of the library's" + where(reg_x(30)));
  alignas(16) uint8_t result[64] = {};
  ffi_call(sig.cif(), reinterpret_cast<void (*)()>(fn), result, args.data());
  if (r.kind == AbiType::Void) return;
  if (sig.result_indirect()) {
    std::memcpy(reinterpret_cast<void*>(indirect), result, r.size);
    return;
  }
  widen(r, result);
  store_value(r, result_slot(r), 0, result);
}

// --- host -> guest ----------------------------------------------------------

void EmulatedLibrary::call_guest(uint64_t address, Signature& sig, void** args, void* result) {
  if (depth_ >= kMaxCallDepth)
    crash("call depth exceeded: the library and the host called each other " + std::to_string(kMaxCallDepth) +
          " levels deep");
  uc_context* saved = nullptr;
  uint64_t sp = stack_top_;
  if (depth_ > 0) {
    uc_reg_read(uc_, UC_ARM64_REG_SP, &sp);
    // The host writes this call's arguments below the guest's stack pointer,
    // which the guest may have set to anything.
    if (sp > stack_top_ || sp < stack_top_ - kStackBytes + 64 * 1024)
      crash("the library's stack pointer " + hex(sp) + " lies outside its stack" + where(reg_x(30)));
    uc_context_alloc(uc_, &saved);
    uc_context_save(uc_, saved);
    sp -= 256;  // beyond the caller's red zone
  } else {
    entry_started_ = std::chrono::steady_clock::now();
  }
  sp = (sp - sig.stack_bytes()) & ~uint64_t{15};
  uint64_t indirect = 0;
  if (sig.result_indirect()) {
    sp = (sp - round_up(sig.result().size, 16)) & ~uint64_t{15};
    indirect = sp;
    sp -= 16;
  }
  if (sp < stack_top_ - kStackBytes + 4096) crash("the library's stack overflowed");
  for (size_t i = 0; i < sig.args().size(); ++i) {
    const AbiType& t = sig.args()[i];
    uint8_t raw[64] = {};
    std::memcpy(raw, args[i], t.size);
    widen(t, raw);
    store_value(t, sig.slots()[i], sp, raw);
  }
  if (indirect) set_reg_x(8, indirect);
  uc_reg_write(uc_, UC_ARM64_REG_SP, &sp);
  set_reg_x(30, return_address_);
  ++depth_;
  const uc_err err = uc_emu_start(uc_, address, return_address_, 0, kInstructionBudget);
  --depth_;
  uint64_t pc = 0;
  uc_reg_read(uc_, UC_ARM64_REG_PC, &pc);
  std::string fault;
  if (!fault_.empty()) fault = fault_;
  else if (err != UC_ERR_OK) fault = std::string("guest fault: ") + uc_strerror(err) + where(pc);
  else if (!pending_ && pc != return_address_)
    fault = "guest code ran past its instruction budget" + where(pc);
  // Read the result before the caller's registers come back.
  if (result && fault.empty() && !pending_ && sig.result().kind != AbiType::Void) {
    const AbiType& r = sig.result();
    if (sig.result_indirect()) {
      std::memcpy(result, reinterpret_cast<const void*>(indirect), r.size);
    } else {
      uint8_t raw[64] = {};
      load_value(r, result_slot(r), 0, raw);
      widen(r, raw);
      // A closure returns a small integer as a full ffi_arg.
      const bool whole_register = r.kind != AbiType::Float && r.kind != AbiType::Double &&
                                  r.kind != AbiType::DoubleStruct && r.kind != AbiType::IntStruct;
      std::memcpy(result, raw, whole_register ? 8 : r.size);
    }
  }
  if (saved) {
    uc_context_restore(uc_, saved);
    uc_context_free(saved);
  }
  if (!fault.empty()) {
    fault_.clear();
    crash(fault);
  }
  if (pending_) {
    std::exception_ptr e = pending_;
    pending_ = nullptr;
    std::rethrow_exception(e);
  }
  // What the guest returns reaches the host as a host value: checked as an
  // argument of the same type would be.
  const AbiType& r = sig.result();
  if (result && r.check != '-' && !sig.result_indirect()) {
    uint64_t v = 0;
    std::memcpy(&v, result, 8);
    admit(r.check == 'p' ? 'r' : r.check, kResult, &v, nullptr,
          "the library's function at " + hex(address) + where(address), r.pointee);
    std::memcpy(result, &v, 8);
  }
}

}  // namespace sim::emulation
