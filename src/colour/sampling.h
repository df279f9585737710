// Reducing an image to one colour: pixel-average sampling over a bitmap of
// the image's point size, and one-pixel sampling through the graphics
// system's own downscaling.
#pragma once

#include "platform/platform.h"

namespace corvane::colour {

// The bitmap that pixel-average sampling draws into, for an image of
// w x h points. Every count is the truncation of its double expression.
struct SamplingBitmap {
  size_t bytes;          // w x h x 4: the zero-filled buffer
  size_t width;          // w
  size_t height;         // h
  size_t bytes_per_row;  // w x 4
  uint64_t groups;       // w x h: the 4-byte groups walked from the buffer's start
};

// Fills `out` and answers true when every count is representable; false for
// negative, NaN or infinite sizes and for sizes whose counts exceed 64 bits,
// which no bitmap can have (and whose conversion would be undefined).
bool sampling_bitmap_for(double w, double h, SamplingBitmap* out);

// Adds byte 0, 1 and 2 of each of `groups` consecutive 4-byte groups to
// sums[0], sums[1] and sums[2]; byte 3 is skipped.
void sum_colour_bytes(const uint8_t* data, uint64_t groups, uint64_t sums[3]);

// The image drawn at its point size into a zeroed premultiplied RGBA bitmap;
// the integer means of its red, green and blue bytes over every group,
// transparent ones included, as an opaque colour. Opaque black when nothing
// can be drawn (nil image, no bitmap, refused context, unusable size, failed
// allocation), and for an image of more than 4096 points a side, whose
// bitmap is treated as refused.
id pixel_average_colour(id image);

// The image scaled into one premultiplied RGBA pixel. An opaque or partly
// transparent pixel gives (m R, m G, m B, A / 255) with
// m = gain x (A / 255) / 255; a transparent one (R, G, B) / 255 with alpha 0.
id one_pixel_colour(id image, double gain);

}  // namespace corvane::colour
