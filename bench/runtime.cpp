// The simulated runtime's hot path and the library's load-time entry.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "sim/foundation/foundation.h"
#include "sim/process/process.h"
#include "sim/runtime/host_classes.h"
#include "src/core/names.h"

namespace {

struct Root {
  std::string path;
  Root() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    path = tmpl;
  }
  ~Root() { std::filesystem::remove_all(path); }
};

sim::ProcessOptions options(const Root& root) {
  sim::ProcessOptions o;
  o.root = root.path;
  return o;
}

long answer(id, SEL) { return 42; }

struct Base {
  virtual ~Base() = default;
  virtual long answer() const = 0;
};
// Out of line, and more than one implementation, as a real virtual call
// is: otherwise the compiler guesses the implementation and inlines it.
struct Impl : Base {
  __attribute__((noinline)) long answer() const override { return 42; }
};
struct Other : Base {
  __attribute__((noinline)) long answer() const override { return 7; }
};

void BM_CachedTypedSend(benchmark::State& state) {
  Root root;
  sim::Process p(options(root));
  Class c = sim::define_class<objc_object>("BenchObject", sim::ensure_class("NSObject"));
  sim::def(c, "answer", answer);
  sim::AutoreleasePool pool;
  id obj = objc_autorelease(sim::alloc_instance(c));
  SEL s = sim::sel("answer");
  benchmark::DoNotOptimize(obj);
  for (auto _ : state) {
    benchmark::DoNotOptimize(obj);
    benchmark::DoNotOptimize(sim::send<long>(obj, s));
  }
}
BENCHMARK(BM_CachedTypedSend);

void BM_VirtualCall(benchmark::State& state) {
  std::unique_ptr<Base> b;
  if (state.max_iterations > 0) b = std::make_unique<Impl>();
  else b = std::make_unique<Other>();
  Base* p = b.get();
  for (auto _ : state) {
    benchmark::DoNotOptimize(p);
    benchmark::DoNotOptimize(p->answer());
  }
}
BENCHMARK(BM_VirtualCall);

// The load: dlopen of the library and its load-time entry (restart
// observer, settings file read, version gate, the whole hook table).
void BM_LoadWithSettingsFile(benchmark::State& state) {
  Root root;
  std::string settings = root.path + corvane::names::kSettingsPath;
  std::filesystem::create_directories(std::filesystem::path(settings).parent_path());
  {
    sim::Process p(options(root));
    sim::AutoreleasePool pool;
    id d = sim::make_dictionary();
    sim::dictionary_set(d, sim::make_string("darkColorTint"), sim::make_bool(true));
    sim::dictionary_set(d, sim::make_string("darkModeOffset"), sim::make_double(0.4));
    sim::dictionary_set(d, sim::make_string("forceLightDock"), sim::make_bool(true));
    sim::write_plist_object(d, corvane::names::kSettingsPath, true);
  }
  for (auto _ : state) {
    state.PauseTiming();
    {
      sim::Process p(options(root));
      state.ResumeTiming();
      p.load_library();
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadWithSettingsFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
