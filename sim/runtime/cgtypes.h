// Geometry types shared by the simulated runtime, CoreGraphics and UIKit.
// Freestanding: the library includes this through its platform seam.
#pragma once

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
