// Switches over CGContextDrawImage's routes and kernels, for tests and
// benchmarks. Every route and kernel gives the same bytes; these choose
// which of them does the work, so that one seeded test can run over every
// combination and compare it with the plain reference. Each returns whether
// the choice now holds: asking for a kernel the CPU lacks answers false.
#pragma once

namespace sim::graphics {

// With `on`, every draw takes the reference route (the area-averaging
// resampler), even where the identity or whole-block route applies.
bool force_reference_route(bool on);

// Allows or forbids the SSE2 and AVX2 kernels of every route (allowed by
// default); forbidden, each route runs its plain per-pixel loops.
bool use_vector_kernels(bool enabled);

// Allows or forbids the whole-block route's AVX2 kernels alone (allowed by
// default; used only where the CPU has AVX2 and vector kernels are allowed).
bool use_wide_block_sums(bool enabled);

}  // namespace sim::graphics
