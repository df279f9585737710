// The guest heap's allocation on a fragmented heap: many small holes left
// between live blocks, then requests none of them can hold. Each request
// should cost a logarithm of the number of holes, not a walk over them.
#include "sim/emulation/guest_heap.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void BM_AllocatePastManyHoles(benchmark::State& state) {
  const auto holes = static_cast<size_t>(state.range(0));
  std::vector<unsigned char> region(holes * 32 + (size_t{64} << 20));
  sim::emulation::GuestHeap heap(reinterpret_cast<uintptr_t>(region.data()), region.size());
  std::vector<uintptr_t> blocks;
  for (size_t i = 0; i < 2 * holes; ++i) blocks.push_back(heap.allocate(1, 16));
  for (size_t i = 0; i < blocks.size(); i += 2) heap.release(blocks[i]);
  for (auto _ : state) {
    const uintptr_t big = heap.allocate(1, 48);
    benchmark::DoNotOptimize(big);
    heap.release(big);
  }
}
BENCHMARK(BM_AllocatePastManyHoles)->Arg(1000)->Arg(100000)->Arg(400000);

}  // namespace

BENCHMARK_MAIN();
