// The preview's costs: the backdrop blur of a banner's material at the
// preview's scale, the PNG encoding of the default preview (beside cairo's
// own writer, which the preview used before), and the whole preview on the
// defaults from a new scene to the encoded file, as `corvane-sim preview`
// runs it but for writing to disk.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "sim/render/blur.h"
#include "sim/render/surface.h"
#include "tools/corvane-sim/preview_scene.h"

namespace {

using corvane::cli::compose_preview;
using corvane::cli::IosVersion;
using corvane::cli::PreviewScene;
using corvane::cli::SceneOptions;

bool count_bytes(void* closure, const unsigned char*, size_t length) {
  *static_cast<size_t*>(closure) += length;
  return true;
}

cairo_status_t count_cairo_bytes(void* closure, const unsigned char*, unsigned int length) {
  *static_cast<size_t*>(closure) += length;
  return CAIRO_STATUS_SUCCESS;
}

// The default preview picture, drawn once.
const sim::render::Surface& default_picture() {
  static sim::render::Surface picture = [] {
    std::string error;
    auto scene = PreviewScene::build(SceneOptions{}, &error);
    if (!scene) abort();
    return std::move(compose_preview(*scene, "defaults", IosVersion{}).image);
  }();
  return picture;
}

// The banner's backdrop at scale 2: 750 x 240 pixels (its 359 x 92 points and
// the blur's reach around them, cut at the screen's edges), a box of 14.
void BM_BoxBlurBanner(benchmark::State& state) {
  const int width = 750, height = 240;
  std::vector<uint32_t> source(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      source[static_cast<size_t>(y) * width + x] = 0xff000000u | uint32_t(x * 255 / width) << 16 |
                                                   uint32_t(y * 255 / height) << 8 | uint32_t((x ^ y) & 0xff);
  std::vector<uint32_t> pixels;
  for (auto _ : state) {
    pixels = source;
    sim::render::box_blur(pixels, width, height, width, 14);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * width * height);
}
BENCHMARK(BM_BoxBlurBanner)->Unit(benchmark::kMicrosecond);

void BM_EncodePreviewPng(benchmark::State& state) {
  const sim::render::Surface& picture = default_picture();
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    if (!sim::render::encode_png(picture, count_bytes, &bytes)) state.SkipWithError("encoding failed");
  }
  state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_EncodePreviewPng)->Unit(benchmark::kMillisecond);

// Reference: cairo's writer (zlib's default level, libpng's adaptive filters).
void BM_EncodePreviewPngCairoWriter(benchmark::State& state) {
  const sim::render::Surface& picture = default_picture();
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    cairo_surface_write_to_png_stream(picture.get(), count_cairo_bytes, &bytes);
  }
  state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_EncodePreviewPngCairoWriter)->Unit(benchmark::kMillisecond);

// A new scene (process, library, objects), both screens, the picture and its
// encoding.
void BM_WholePreview(benchmark::State& state) {
  for (auto _ : state) {
    std::string error;
    auto scene = PreviewScene::build(SceneOptions{}, &error);
    if (!scene) {
      state.SkipWithError(error.c_str());
      break;
    }
    corvane::cli::PreviewPicture picture = compose_preview(*scene, "defaults", IosVersion{});
    scene.reset();
    size_t bytes = 0;
    sim::render::encode_png(picture.image, count_bytes, &bytes);
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_WholePreview)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
