// Icon sampling as the theming code pays for it: adaptiveColorForImage: and
// adaptiveAlternateColorForImage: sent to a banner of a simulated home-screen
// process with the library loaded, beside a plain read of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "sim/graphics/CoreGraphics.h"
#include "sim/process/process.h"
#include "sim/runtime/runtime.h"
#include "sim/uikit/UIImage.h"

namespace {

// One process for the whole run, in a temporary root, with a banner.
class Host {
 public:
  Host() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    root_ = tmpl;
    sim::ProcessOptions o;
    o.root = root_;
    process_ = std::make_unique<sim::Process>(o);
    process_->load_library();
    id cls = reinterpret_cast<id>(sim::class_named("NCNotificationShortLookView"));
    banner_ = sim::send<id>(sim::send<id>(cls, sim::sel("alloc")), sim::sel("init"));
  }
  ~Host() {
    objc_release(banner_);
    process_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  id banner() const { return banner_; }

 private:
  std::string root_;
  std::unique_ptr<sim::Process> process_;
  id banner_ = nullptr;
};

Host& host() {
  static Host h;
  return h;
}

// An opaque icon-like picture of side x side pixels (a gradient), as a
// retained image of `points` x `points` at the matching scale.
id make_icon(size_t side, double points) {
  std::vector<uint8_t> rgba(side * side * 4);
  for (size_t y = 0; y < side; ++y) {
    for (size_t x = 0; x < side; ++x) {
      uint8_t* p = &rgba[(y * side + x) * 4];
      p[0] = uint8_t((x * 255) / side);
      p[1] = uint8_t((y * 255) / side);
      p[2] = uint8_t(((x + y) * 127) / side);
      p[3] = 255;
    }
  }
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGImageRef bitmap =
      sim_CGImageCreateWithBytes(side, side, side * 4, rgb, kCGImageAlphaNoneSkipLast, rgba.data());
  CGColorSpaceRelease(rgb);
  id image = objc_retain(sim::make_image(bitmap, {points, points}, double(side) / points));
  CGImageRelease(bitmap);
  return image;
}

void sample_colour(benchmark::State& state, const char* selector, size_t side, double points) {
  Host& h = host();
  id image;
  {
    sim::AutoreleasePool pool;
    image = make_icon(side, points);
  }
  SEL sel = sim::sel(selector);
  for (auto _ : state) {
    sim::AutoreleasePool pool;
    benchmark::DoNotOptimize(sim::send<id>(h.banner(), sel, image));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(points * points * 4));
  objc_release(image);
}

void BM_PixelAverage_Icon40_Scale1(benchmark::State& s) {
  sample_colour(s, "adaptiveColorForImage:", 40, 40);
}
void BM_PixelAverage_Icon40_Scale3(benchmark::State& s) {
  sample_colour(s, "adaptiveColorForImage:", 120, 40);
}
void BM_PixelAverage_1024(benchmark::State& s) { sample_colour(s, "adaptiveColorForImage:", 1024, 1024); }
void BM_OnePixel_Icon40_Scale3(benchmark::State& s) {
  sample_colour(s, "adaptiveAlternateColorForImage:", 120, 40);
}
void BM_OnePixel_1024(benchmark::State& s) {
  sample_colour(s, "adaptiveAlternateColorForImage:", 1024, 1024);
}
BENCHMARK(BM_PixelAverage_Icon40_Scale1);
BENCHMARK(BM_PixelAverage_Icon40_Scale3);
BENCHMARK(BM_PixelAverage_1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OnePixel_Icon40_Scale3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OnePixel_1024)->Unit(benchmark::kMicrosecond);

// Reference: summing the same number of bytes as 64-bit words.
void plain_read(benchmark::State& state, size_t bytes) {
  std::vector<uint64_t> words(bytes / 8);
  for (size_t i = 0; i < words.size(); ++i) words[i] = i * 0x9E3779B97F4A7C15ull;
  for (auto _ : state) {
    benchmark::DoNotOptimize(words.data());
    uint64_t sum = std::accumulate(words.begin(), words.end(), uint64_t(0));
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}
void BM_PlainRead_Icon40(benchmark::State& s) { plain_read(s, 40 * 40 * 4); }
void BM_PlainRead_1024(benchmark::State& s) { plain_read(s, 1024 * 1024 * 4); }
BENCHMARK(BM_PlainRead_Icon40);
BENCHMARK(BM_PlainRead_1024)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
