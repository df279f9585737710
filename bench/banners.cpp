// Banner theming costs, with the library loaded into a home-screen process:
// one layout pass of a banner (the host's layout, the hook, the re-theme with
// two pixel-average samplings of a 40 x 40 icon inside a 0.5 s animation),
// and one re-theme signal reaching 1 to 1000 registered banners.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sim/foundation/notification_center.h"
#include "sim/process/process.h"
#include "sim/springboard/NCNotificationShortLookView.h"
#include "sim/uikit/UIImage.h"
#include "sim/uikit/UIView.h"
#include "src/core/names.h"

namespace {

// A home-screen process in a temporary root with the library loaded (default
// settings: banners tinted).
class LoadedProcess {
 public:
  LoadedProcess() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) abort();
    root_ = tmpl;
    sim::ProcessOptions o;
    o.root = root_;
    process_ = std::make_unique<sim::Process>(o);
    process_->load_library();
  }
  ~LoadedProcess() {
    process_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

 private:
  std::string root_;
  std::unique_ptr<sim::Process> process_;
};

id make_laid_out_banner() {
  id icon = sim::make_solid_image(255, 59, 48, 255, {40, 40}, 1);
  id banner = sim::make_banner(icon, {{0, 0}, {359, 76}}, true);
  sim::send<void>(banner, sim::sel("layoutSubviews"));
  return banner;
}

// The records that animations leave on the coloured views grow with every
// re-theme until someone reads them; each iteration reads them, as a dump
// would, so that memory stays flat.
void drop_animation_records(id banner) {
  for (const sim::Strong& sub : sim::as<sim::UIViewObj>(banner)->subviews) sim::take_animations(sub);
}

void BM_BannerLayoutPass(benchmark::State& state) {
  LoadedProcess p;
  sim::AutoreleasePool keep;
  id banner = make_laid_out_banner();
  for (auto _ : state) {
    sim::AutoreleasePool turn;  // one run-loop turn per pass
    sim::send<void>(banner, sim::sel("layoutSubviews"));
    drop_animation_records(banner);
  }
}
BENCHMARK(BM_BannerLayoutPass)->Unit(benchmark::kMicrosecond);

void BM_RethemePost(benchmark::State& state) {
  LoadedProcess p;
  sim::AutoreleasePool keep;
  std::vector<id> banners;
  for (int64_t i = 0; i < state.range(0); ++i) banners.push_back(make_laid_out_banner());
  for (auto _ : state) {
    sim::AutoreleasePool turn;
    sim::post_local_notification(corvane::names::kRethemeSignal, nullptr);
    for (id b : banners) drop_animation_records(b);
  }
  state.SetComplexityN(state.range(0));
  state.counters["per_banner_us"] = benchmark::Counter(
      double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RethemePost)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
