// Drawing costs of the simulated CoreGraphics: the icon-sized identity draw
// that the host repeats in every layout pass, icons reduced to their point
// size from 2x and 3x, large identity and scaled draws, and whole images
// reduced to one pixel, beside a plain read of the same bytes for reference.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

#include "sim/graphics/CoreGraphics.h"

namespace {

// An icon-like picture: opaque, with clear rounded-off corners and a band of
// partly transparent pixels along their edge.
CGImageRef make_icon(size_t size) {
  std::vector<uint8_t> rgba(size * size * 4);
  const double radius = double(size) * 0.225, half = double(size) / 2;
  for (size_t y = 0; y < size; ++y) {
    for (size_t x = 0; x < size; ++x) {
      const double dx = std::max(0.0, std::abs(double(x) + 0.5 - half) - (half - radius));
      const double dy = std::max(0.0, std::abs(double(y) + 0.5 - half) - (half - radius));
      const double outside = std::sqrt(dx * dx + dy * dy) - radius;  // > 0 beyond the corner
      const double a = std::clamp(0.5 - outside, 0.0, 1.0);
      uint8_t* p = &rgba[(y * size + x) * 4];
      p[0] = uint8_t(a * double((x * 7) % 256));
      p[1] = uint8_t(a * double((y * 3) % 256));
      p[2] = uint8_t(a * 180);
      p[3] = uint8_t(a * 255 + 0.5);
    }
  }
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGImageRef image =
      sim_CGImageCreateWithBytes(size, size, size * 4, rgb, kCGImageAlphaPremultipliedLast, rgba.data());
  CGColorSpaceRelease(rgb);
  return image;
}

// Draws an image of `from` pixels into a `to` x `to` context over and over.
void draw_into(benchmark::State& state, size_t from, size_t to, uint32_t info) {
  CGImageRef image = make_icon(from);
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGContextRef ctx = CGBitmapContextCreate(nullptr, to, to, 8, to * 4, rgb, info);
  const CGRect rect = CGRectMake(0, 0, double(to), double(to));
  for (auto _ : state) {
    CGContextDrawImage(ctx, rect, image);
    benchmark::DoNotOptimize(CGBitmapContextGetData(ctx));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from * from * 4));
  CGContextRelease(ctx);
  CGColorSpaceRelease(rgb);
  CGImageRelease(image);
}

void BM_Identity40(benchmark::State& state) { draw_into(state, 40, 40, kCGImageAlphaPremultipliedLast); }
BENCHMARK(BM_Identity40);

void BM_Identity40_BGRA(benchmark::State& state) {
  draw_into(state, 40, 40, kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
}
BENCHMARK(BM_Identity40_BGRA);

void BM_Identity1024(benchmark::State& state) {
  draw_into(state, 1024, 1024, kCGImageAlphaPremultipliedLast);
}
BENCHMARK(BM_Identity1024)->Unit(benchmark::kMicrosecond);

// The icon sampled at its point size: a 3x image reduced to 40 x 40.
void BM_Scale120To40(benchmark::State& state) { draw_into(state, 120, 40, kCGImageAlphaPremultipliedLast); }
BENCHMARK(BM_Scale120To40)->Unit(benchmark::kMicrosecond);

// The same at 2x, and both into a cleared context each time, as the library
// samples them (the draws above composite over what the previous one left).
void BM_Scale80To40(benchmark::State& state) { draw_into(state, 80, 40, kCGImageAlphaPremultipliedLast); }
BENCHMARK(BM_Scale80To40)->Unit(benchmark::kMicrosecond);

// Draws an image of `from` pixels into a cleared `to` x `to` context over and
// over.
void draw_into_cleared(benchmark::State& state, size_t from, size_t to, uint32_t info) {
  CGImageRef image = make_icon(from);
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  std::vector<uint8_t> buffer(to * to * 4);
  CGContextRef ctx = CGBitmapContextCreate(buffer.data(), to, to, 8, to * 4, rgb, info);
  const CGRect rect = CGRectMake(0, 0, double(to), double(to));
  for (auto _ : state) {
    std::memset(buffer.data(), 0, buffer.size());
    CGContextDrawImage(ctx, rect, image);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from * from * 4));
  CGContextRelease(ctx);
  CGColorSpaceRelease(rgb);
  CGImageRelease(image);
}

void BM_Scale120To40_Cleared(benchmark::State& state) {
  draw_into_cleared(state, 120, 40, kCGImageAlphaPremultipliedLast);
}
BENCHMARK(BM_Scale120To40_Cleared)->Unit(benchmark::kMicrosecond);

void BM_Scale80To40_Cleared(benchmark::State& state) {
  draw_into_cleared(state, 80, 40, kCGImageAlphaPremultipliedLast);
}
BENCHMARK(BM_Scale80To40_Cleared)->Unit(benchmark::kMicrosecond);

void BM_Scale120To1(benchmark::State& state) {
  draw_into(state, 120, 1, kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
}
BENCHMARK(BM_Scale120To1)->Unit(benchmark::kMicrosecond);

void BM_Scale1024To1(benchmark::State& state) {
  draw_into(state, 1024, 1, kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
}
BENCHMARK(BM_Scale1024To1)->Unit(benchmark::kMicrosecond);

void BM_Scale1024To1000(benchmark::State& state) {
  draw_into(state, 1024, 1000, kCGImageAlphaPremultipliedLast);
}
BENCHMARK(BM_Scale1024To1000)->Unit(benchmark::kMillisecond);

// Reference: summing the same 4 MiB as 64-bit words.
void BM_MemoryRead4MiB(benchmark::State& state) {
  std::vector<uint64_t> words(1024 * 1024 * 4 / 8);
  for (size_t i = 0; i < words.size(); ++i) words[i] = i * 0x9E3779B97F4A7C15ull;
  for (auto _ : state) {
    benchmark::DoNotOptimize(words.data());
    uint64_t sum = std::accumulate(words.begin(), words.end(), uint64_t(0));
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(words.size() * 8));
}
BENCHMARK(BM_MemoryRead4MiB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
