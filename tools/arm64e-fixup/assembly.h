// The compiler's arm64e assembly, made fit for an assembler that drops
// signed-pointer requests. clang writes `.quad f@AUTH(ia,0)` for each pointer
// it wants signed at load; its own assembler turns that into a plain
// relocation and loses the request (llvm-project issue 83785). Here each
// request is folded into the pointer's addend, in the top bits where the
// threaded format keeps the same fields (bit 63 auth, bits 49-50 key, bit 48
// address diversity, bits 32-47 diversity), so it survives assembly and
// linking as the stored value of an ordinary pointer, and the rewrite of the
// linked file reads it back from there.
#pragma once

#include <string>

namespace arm64e {

struct PreparedAssembly {
  std::string text;
  int requests = 0;  // signed-pointer requests carried
};

// Carries every request and sets the deployment target of `.build_version`
// to `min_os` ("13.0": clang raises it to 14.0 for arm64e). Throws Failure,
// naming the line, on a request in a form it cannot carry.
PreparedAssembly prepare_assembly(const std::string& text, const std::string& min_os);

}  // namespace arm64e
