// Reading large property lists: arrays and dictionaries of many small
// values, in both encodings. The cost must grow in step with the element
// count; libplist's reader keeps no index into the nodes it builds.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "sim/foundation/plist_file.h"

namespace {

using sim::plist::Value;

std::string array_of(int count, bool binary) {
  sim::plist::Array items;
  items.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) items.emplace_back(static_cast<std::int64_t>(i));
  const Value value(std::move(items));
  return binary ? sim::plist::to_binary(value) : sim::plist::to_xml(value);
}

std::string dictionary_of(int count, bool binary) {
  sim::plist::Dictionary dict;
  for (int i = 0; i < count; ++i) dict.set("k" + std::to_string(i), Value(static_cast<std::int64_t>(i)));
  const Value value(std::move(dict));
  return binary ? sim::plist::to_binary(value) : sim::plist::to_xml(value);
}

void parse(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    auto value = sim::plist::parse(bytes);
    if (!value) state.SkipWithError("not read");
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_BinaryArray(benchmark::State& state) { parse(state, array_of(int(state.range(0)), true)); }
void BM_XmlArray(benchmark::State& state) { parse(state, array_of(int(state.range(0)), false)); }
void BM_BinaryDictionary(benchmark::State& state) { parse(state, dictionary_of(int(state.range(0)), true)); }
void BM_XmlDictionary(benchmark::State& state) { parse(state, dictionary_of(int(state.range(0)), false)); }

BENCHMARK(BM_BinaryArray)->Arg(1000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlArray)->Arg(1000)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
// A dictionary's keys count as values too: 100 000 entries is near the limit.
BENCHMARK(BM_BinaryDictionary)->Arg(1000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlDictionary)->Arg(1000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
