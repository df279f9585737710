// CoreGraphics bitmap drawing of the simulated host: images, colour spaces,
// bitmap contexts and CGContextDrawImage, spelled as the platform spells them.
//
// Freestanding: the library includes this header through its platform seam,
// so it uses nothing beyond <stdint.h>, <stddef.h> and the shared geometry
// types.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "sim/runtime/cgtypes.h"

#ifdef __cplusplus
#define SIM_CG_ENUM(type) enum : type
extern "C" {
#else
#define SIM_CG_ENUM(type) enum
#endif

typedef struct CGImage* CGImageRef;
typedef struct CGColorSpace* CGColorSpaceRef;
typedef struct CGContext* CGContextRef;

typedef int32_t CGColorSpaceModel;
SIM_CG_ENUM(int32_t){
    kCGColorSpaceModelUnknown = -1,
    kCGColorSpaceModelMonochrome = 0,
    kCGColorSpaceModelRGB = 1,
    kCGColorSpaceModelCMYK = 2,
};

// Alpha layouts and bitmap-info bits share one enumeration so that they can
// be or-ed together without mixing enumeration types.
typedef uint32_t CGImageAlphaInfo;
typedef uint32_t CGBitmapInfo;
SIM_CG_ENUM(uint32_t){
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6,
    kCGImageAlphaOnly = 7,

    kCGBitmapAlphaInfoMask = 0x1F,
    kCGBitmapFloatInfoMask = 0xF00,
    kCGBitmapFloatComponents = 0x100,
    kCGBitmapByteOrderMask = 0x7000,
    kCGBitmapByteOrderDefault = 0,
    kCGBitmapByteOrder16Little = 0x1000,
    kCGBitmapByteOrder32Little = 0x2000,
    kCGBitmapByteOrder16Big = 0x3000,
    kCGBitmapByteOrder32Big = 0x4000,
    // The simulated host is little-endian.
    kCGBitmapByteOrder16Host = 0x1000,
    kCGBitmapByteOrder32Host = 0x2000,
};

// --- colour spaces -----------------------------------------------------------
// Each Create returns a new reference; Release accepts NULL.
CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
CGColorSpaceRef CGColorSpaceCreateDeviceGray(void);
CGColorSpaceRef CGColorSpaceCreateDeviceCMYK(void);
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);
// kCGColorSpaceModelUnknown for NULL.
CGColorSpaceModel CGColorSpaceGetModel(CGColorSpaceRef space);

// --- images ------------------------------------------------------------------
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
size_t CGImageGetBitsPerComponent(CGImageRef image);
size_t CGImageGetBitsPerPixel(CGImageRef image);
size_t CGImageGetBytesPerRow(CGImageRef image);
// Not retained for the caller (the "get" rule); NULL for a NULL image and for
// alpha-only images.
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image);
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image);
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image);

// --- bitmap contexts ---------------------------------------------------------
// Layouts accepted (8 bits per component throughout; NULL for anything else):
//   RGB, 32 bits per pixel, alpha PremultipliedLast / PremultipliedFirst /
//     NoneSkipLast / NoneSkipFirst, byte order default, 32Big or 32Little;
//   gray, 8 bits per pixel, AlphaNone, default byte order;
//   CMYK, 32 bits per pixel, AlphaNone, byte order default, 32Big or 32Little.
// bytesPerRow 0 means width x bytes per pixel. With NULL data the context
// allocates its own zero-filled buffer and frees it at its last release;
// otherwise the caller's buffer must hold bytesPerRow x height bytes and
// outlive the context.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo);
void* CGBitmapContextGetData(CGContextRef context);
size_t CGBitmapContextGetWidth(CGContextRef context);
size_t CGBitmapContextGetHeight(CGContextRef context);
size_t CGBitmapContextGetBytesPerRow(CGContextRef context);
size_t CGBitmapContextGetBitsPerComponent(CGContextRef context);
size_t CGBitmapContextGetBitsPerPixel(CGContextRef context);
CGColorSpaceRef CGBitmapContextGetColorSpace(CGContextRef context);
CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef context);
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef context);
// A new image holding a copy of the context's current pixels.
CGImageRef CGBitmapContextCreateImage(CGContextRef context);
CGContextRef CGContextRetain(CGContextRef context);
void CGContextRelease(CGContextRef context);

// Draws the image scaled to fill rect, compositing source-over onto the
// buffer's contents. Coordinates have their origin at the bottom-left of the
// context: rect y = 0 is the last row in memory. Scaling averages areas: each
// destination pixel is the coverage-weighted mean of the source pixels its
// area covers, and a pixel only partly inside rect receives that mean scaled
// by its coverage. Results round to nearest. Does nothing for a NULL context
// or image, or an empty rect.
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);

// --- simulator-only helpers ----------------------------------------------------
// An image from pixel bytes, which are copied. 8 bits per component; the bits
// per pixel follow from the colour space and alpha layout:
//   RGB: AlphaNone 24; every other alpha layout except Only 32 (byte order
//        default, 32Big or 32Little);
//   gray: AlphaNone 8; Last / First / PremultipliedLast / PremultipliedFirst
//        16 (byte order default, 16Big or 16Little);
//   CMYK: AlphaNone 32;
//   NULL space with kCGImageAlphaOnly: 8.
// bytes_per_row 0 means packed rows. NULL for any other layout, a zero size, NULL
// bytes, or a bytes_per_row too short for the width.
CGImageRef sim_CGImageCreateWithBytes(size_t width, size_t height, size_t bytes_per_row,
                                      CGColorSpaceRef space, uint32_t bitmap_info, const void* bytes);

// Decode a PNG into an 8-bit image with colours premultiplied by alpha on
// load, in the colour model the file declares:
//   gray: device gray, 8 bits per pixel, AlphaNone; with alpha (or a
//     transparent gray level) 16 bits per pixel, PremultipliedLast;
//   RGB, RGBA and palettes (expanded): device RGB, 32 bits per pixel, bytes
//     R, G, B, A, alpha PremultipliedLast when the file has transparency and
//     NoneSkipLast otherwise.
// Any bit depth is reduced or expanded to 8 bits; interlacing is undone.
// The optimised variant of iOS app bundles (a CgBI chunk before the header,
// raw deflate data, premultiplied B, G, R, A pixels) is read too: device RGB,
// PremultipliedFirst (NoneSkipFirst without alpha) in 32-bit little-endian
// order. Sides above 4096 pixels, and image data that cannot fill the
// header's size, are refused before any pixel memory is taken; all decoded
// images of the process together hold at most 256 MiB of pixels (a decode
// past that is refused with a message). On failure returns NULL and, when error is not NULL, writes a
// NUL-terminated message of at most error_size bytes.
CGImageRef sim_CGImageCreateWithPNGFile(const char* path, char* error, size_t error_size);
CGImageRef sim_CGImageCreateWithPNGData(const void* data, size_t length, char* error, size_t error_size);

// The pixel at column x, row y (row 0 at the top of the picture, as stored) as
// premultiplied R, G, B, A, whatever the image's own layout: gray expands to
// equal R, G and B, layouts without alpha read as opaque. Returns 0 (and leaves
// rgba alone) for a NULL image or a position outside it, else 1.
int sim_CGImageGetPixel(CGImageRef image, size_t x, size_t y, uint8_t rgba[4]);
// Row y's pixels in the same form, 4 × width bytes, valid while the image
// lives; NULL for a NULL image or a row outside it.
const uint8_t* sim_CGImageGetRow(CGImageRef image, size_t y);

#ifdef __cplusplus
}
#endif

#undef SIM_CG_ENUM
