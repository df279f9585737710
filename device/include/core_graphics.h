// CoreGraphics as the library uses it on a device: geometry, device colour
// spaces, bitmap contexts and image drawing. Declared from the framework's
// public reference; CGFloat is double on arm64.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef double CGFloat;
struct CGPoint {
  CGFloat x;
  CGFloat y;
};
struct CGSize {
  CGFloat width;
  CGFloat height;
};
struct CGRect {
  CGPoint origin;
  CGSize size;
};

static inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
  CGRect r = {{x, y}, {w, h}};
  return r;
}
static inline CGSize CGSizeMake(CGFloat w, CGFloat h) {
  CGSize s = {w, h};
  return s;
}

typedef struct CGImage* CGImageRef;
typedef struct CGColorSpace* CGColorSpaceRef;
typedef struct CGContext* CGContextRef;

typedef uint32_t CGImageAlphaInfo;
typedef uint32_t CGBitmapInfo;
enum : uint32_t {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
  kCGImageAlphaOnly = 7,
  kCGBitmapByteOrderDefault = 0,
  kCGBitmapByteOrder32Little = 0x2000,
  kCGBitmapByteOrder32Big = 0x4000,
};

extern "C" {
CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
void CGColorSpaceRelease(CGColorSpaceRef space);
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image);
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo);
void CGContextRelease(CGContextRef context);
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);
}
