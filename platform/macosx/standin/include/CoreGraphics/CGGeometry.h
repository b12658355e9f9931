/* The stand-in's Core Graphics geometry: points in display coordinates. */
#ifndef CORVANE_STANDIN_CGGEOMETRY_H
#define CORVANE_STANDIN_CGGEOMETRY_H

typedef double CGFloat;

typedef struct CGPoint {
  CGFloat x;
  CGFloat y;
} CGPoint;

static inline CGPoint CGPointMake(CGFloat x, CGFloat y) {
  CGPoint p;
  p.x = x;
  p.y = y;
  return p;
}

#endif
