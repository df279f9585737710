#include "sim/emulation/arm64_abi.h"

#include <cctype>
#include <string>

namespace sim::emulation {
namespace {

// Structures inside structures, as deep as an encoding may nest them: far
// more than any real method needs, and few enough that the parser's
// recursion stays small whatever the guest hands over.
constexpr int kMaxStructNesting = 32;

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}
  bool done() {
    skip_noise();
    return i_ >= s_.size();
  }
  // One type; false if it cannot be passed.
  bool type(AbiType& t, std::vector<ffi_type*>& flat, std::string& error) {
    skip_noise();
    if (i_ >= s_.size()) {
      error = "missing type";
      return false;
    }
    const char c = s_[i_++];
    auto integer = [&](size_t size, bool is_signed, ffi_type* f) {
      t.kind = AbiType::Int;
      t.size = t.align = size;
      t.is_signed = is_signed;
      t.ffi = f;
      flat.push_back(f);
      return true;
    };
    switch (c) {
      case 'v':
        t.kind = AbiType::Void;
        t.ffi = &ffi_type_void;
        return true;
      case 'c': return integer(1, true, &ffi_type_sint8);
      case 'C': return integer(1, false, &ffi_type_uint8);
      case 's': return integer(2, true, &ffi_type_sint16);
      case 'S': return integer(2, false, &ffi_type_uint16);
      case 'i': return integer(4, true, &ffi_type_sint32);
      case 'I': return integer(4, false, &ffi_type_uint32);
      case 'l':
      case 'q': return integer(8, true, &ffi_type_sint64);
      case 'L':
      case 'Q': return integer(8, false, &ffi_type_uint64);
      case 'B':
        integer(1, false, &ffi_type_uint8);
        t.kind = AbiType::Bool;
        return true;
      case 'f':
        t = {AbiType::Float, 4, 4, false, 0, &ffi_type_float};
        flat.push_back(&ffi_type_float);
        return true;
      case 'd':
        t = {AbiType::Double, 8, 8, false, 0, &ffi_type_double};
        flat.push_back(&ffi_type_double);
        return true;
      case '@':
        if (i_ < s_.size() && s_[i_] == '?') {
          ++i_;
          t = {AbiType::Block, 8, 8, false, 0, &ffi_type_pointer, 'b'};
          flat.push_back(&ffi_type_pointer);
          return true;
        }
        if (i_ < s_.size() && s_[i_] == '"') {
          ++i_;
          skip_until('"', 1);
        }
        t = {AbiType::Object, 8, 8, false, 0, &ffi_type_pointer, 'o'};
        flat.push_back(&ffi_type_pointer);
        return true;
      case '#':
      case ':':
      case '*':
        t = {AbiType::Pointer, 8, 8, false, 0, &ffi_type_pointer, c == '#' ? 'c' : c == ':' ? 's' : 'z'};
        flat.push_back(&ffi_type_pointer);
        return true;
      case '^': {
        const std::string_view pointee = s_.substr(i_);
        skip_pointee();
        t = {AbiType::Pointer, 8, 8, false, 0, &ffi_type_pointer, 'p', pointee_bytes(pointee)};
        if (pointee.starts_with("{CGImage=")) t.check = 'i';
        flat.push_back(&ffi_type_pointer);
        return true;
      }
      case '{': return structure(t, flat, error);
      default: error = std::string("unsupported type '") + c + "'"; return false;
    }
  }
  std::vector<std::unique_ptr<ffi_type>> owned;
  std::vector<std::unique_ptr<ffi_type*[]>> owned_elements;

 private:
  void skip_noise() {
    while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) ||
                              std::string_view("rnNoORV").find(s_[i_]) != std::string_view::npos))
      ++i_;
  }
  void skip_until(char close, int depth) {
    while (i_ < s_.size() && depth > 0) {
      if (s_[i_] == close) --depth;
      ++i_;
    }
  }
  // What a pointer points to, skipped in one pass: a chain of pointers
  // ("^^^i") is a loop, not a recursion.
  void skip_pointee() {
    while (i_ < s_.size() && s_[i_] == '^') ++i_;
    if (i_ >= s_.size()) return;
    const char c = s_[i_++];
    if (c == '{') skip_balanced('{', '}');
    else if (c == '@' && i_ < s_.size() && s_[i_] == '?') ++i_;
  }
  void skip_balanced(char open, char close) {
    int depth = 1;
    while (i_ < s_.size() && depth > 0) {
      if (s_[i_] == open) ++depth;
      else if (s_[i_] == close) --depth;
      ++i_;
    }
  }
  bool structure(AbiType& t, std::vector<ffi_type*>& outer_flat, std::string& error) {
    if (nesting_ >= kMaxStructNesting) {
      error = "structures nested more than " + std::to_string(kMaxStructNesting) + " deep";
      return false;
    }
    ++nesting_;
    const bool ok = structure_body(t, outer_flat, error);
    --nesting_;
    return ok;
  }
  bool structure_body(AbiType& t, std::vector<ffi_type*>& outer_flat, std::string& error) {
    while (i_ < s_.size() && s_[i_] != '=' && s_[i_] != '}') ++i_;
    if (i_ < s_.size() && s_[i_] == '=') ++i_;
    std::vector<ffi_type*> flat;
    size_t size = 0, align = 1;
    bool all_double = true;
    while (i_ < s_.size() && s_[i_] != '}') {
      AbiType m;
      if (!type(m, flat, error)) return false;
      if (m.kind == AbiType::Void) {
        error = "void member";
        return false;
      }
      all_double = all_double && (m.kind == AbiType::Double || (m.kind == AbiType::DoubleStruct));
      size = (size + m.align - 1) / m.align * m.align + m.size;
      if (m.align > align) align = m.align;
    }
    if (i_ >= s_.size()) {
      error = "unterminated structure";
      return false;
    }
    ++i_;  // '}'
    size = (size + align - 1) / align * align;
    auto ft = std::make_unique<ffi_type>();
    auto elements = std::make_unique<ffi_type*[]>(flat.size() + 1);
    for (size_t k = 0; k < flat.size(); ++k) elements[k] = flat[k];
    elements[flat.size()] = nullptr;
    ft->size = 0;
    ft->alignment = 0;
    ft->type = FFI_TYPE_STRUCT;
    ft->elements = elements.get();
    t.ffi = ft.get();
    owned.push_back(std::move(ft));
    owned_elements.push_back(std::move(elements));
    t.size = size;
    t.align = align;
    const int n = static_cast<int>(size / 8);
    if (all_double && n >= 1 && n <= 4) {
      t.kind = AbiType::DoubleStruct;
      t.members = n;
    } else {
      t.kind = AbiType::IntStruct;
    }
    outer_flat.push_back(t.ffi);
    return true;
  }

  std::string_view s_;
  size_t i_ = 0;
  int nesting_ = 0;
};

size_t align_up(size_t v, size_t a) { return (v + a - 1) / a * a; }

}  // namespace

size_t pointee_bytes(std::string_view pointee) {
  if (pointee.empty()) return kMaxPointeeBytes;
  switch (pointee[0]) {
    case 'c':
    case 'C':
    case 'B': return 1;
    case 's':
    case 'S': return 2;
    case 'i':
    case 'I':
    case 'f': return 4;
    case 'l':
    case 'L':
    case 'q':
    case 'Q':
    case 'd':
    case '@':
    case '#':
    case ':':
    case '*':
    case '^': return 8;
    default: return kMaxPointeeBytes;
  }
}

std::unique_ptr<Signature> Signature::parse(std::string_view types, std::string& error) {
  auto sig = std::unique_ptr<Signature>(new Signature());
  sig->text_ = std::string(types);
  Parser p(types);
  std::vector<ffi_type*> ignored;
  if (!p.type(sig->result_, ignored, error)) return nullptr;
  while (!p.done()) {
    AbiType a;
    if (!p.type(a, ignored, error)) return nullptr;
    if (a.kind == AbiType::Void) {
      error = "void argument";
      return nullptr;
    }
    if (a.kind == AbiType::IntStruct && a.size > 16) {
      error = "structure arguments over 16 bytes";
      return nullptr;
    }
    sig->args_.push_back(a);
  }
  if (sig->result_.kind == AbiType::IntStruct && sig->result_.size > 64) {
    error = "result too large";
    return nullptr;
  }
  int ngrn = 0, nsrn = 0;
  size_t nsaa = 0;
  for (const AbiType& a : sig->args_) {
    AbiSlot slot;
    switch (a.kind) {
      case AbiType::Float:
      case AbiType::Double:
        if (nsrn < 8) {
          slot = {AbiSlot::D, nsrn++, 0};
        } else {
          nsaa = align_up(nsaa, a.align);
          slot = {AbiSlot::Stack, 0, nsaa};
          nsaa += a.size;
        }
        break;
      case AbiType::DoubleStruct:
        if (nsrn + a.members <= 8) {
          slot = {AbiSlot::D, nsrn, 0};
          nsrn += a.members;
        } else {
          nsrn = 8;
          nsaa = align_up(nsaa, 8);
          slot = {AbiSlot::Stack, 0, nsaa};
          nsaa += a.size;
        }
        break;
      case AbiType::IntStruct: {
        const int regs = static_cast<int>((a.size + 7) / 8);
        if (ngrn + regs <= 8) {
          slot = {AbiSlot::X, ngrn, 0};
          ngrn += regs;
        } else {
          ngrn = 8;
          nsaa = align_up(nsaa, 8);
          slot = {AbiSlot::Stack, 0, nsaa};
          nsaa += align_up(a.size, 8);
        }
        break;
      }
      default:
        if (ngrn < 8) {
          slot = {AbiSlot::X, ngrn++, 0};
        } else {
          nsaa = align_up(nsaa, a.align);
          slot = {AbiSlot::Stack, 0, nsaa};
          nsaa += a.size;
        }
    }
    sig->slots_.push_back(slot);
  }
  sig->stack_bytes_ = align_up(nsaa, 16);
  for (const AbiType& a : sig->args_) sig->ffi_args_.push_back(a.ffi);
  sig->owned_ = std::move(p.owned);
  sig->owned_elements_ = std::move(p.owned_elements);
  if (ffi_prep_cif(&sig->cif_, FFI_DEFAULT_ABI, static_cast<unsigned>(sig->args_.size()), sig->result_.ffi,
                   sig->ffi_args_.data()) != FFI_OK) {
    error = "libffi refused the signature";
    return nullptr;
  }
  return sig;
}

}  // namespace sim::emulation
