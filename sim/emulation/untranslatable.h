// Instructions that the arm64 emulator (Unicorn 2.0.1) cannot translate:
// rather than refusing them as undefined, its translator stops the whole
// program with an assertion. Whatever a library's executable segments hold
// may be run, so a library holding one is refused before it is mapped.
#pragma once

#include <cstdint>
#include <optional>

#include "sim/emulation/macho.h"

namespace sim::emulation {

// Whether Unicorn 2.0.1 aborts when it translates `word`: an Advanced SIMD
// "three same (FP16)" instruction whose U:a:opcode names no operation; the
// translator's last switch asserts instead of refusing it (found by the dylib
// fuzzer, 0x4ed21e00).
bool aborts_the_translator(uint32_t word);

// The file offset of the first such word in an executable segment, if any.
std::optional<uint64_t> first_untranslatable(const MachImage& image);

}  // namespace sim::emulation
