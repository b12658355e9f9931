// The stand-in's pointer warp: remembers where the program moved the system pointer, for tests.
#include <CoreGraphics/CGRemoteOperation.h>

#include <mutex>

#include "standin/cocoa.h"
#include "standin_state.h"

namespace {

struct warp_record {
  std::mutex lock;
  double x = 0;
  double y = 0;
  int count = 0;
};

warp_record &warps() {
  static warp_record record;
  return record;
}

}  // namespace

namespace standin {

void reset_warps() {
  warp_record &w = warps();
  const std::lock_guard<std::mutex> hold(w.lock);
  w.x = w.y = 0;
  w.count = 0;
}

}  // namespace standin

extern "C" {

CGError CGWarpMouseCursorPosition(CGPoint new_cursor_position) {
  warp_record &w = warps();
  const std::lock_guard<std::mutex> hold(w.lock);
  w.x = new_cursor_position.x;
  w.y = new_cursor_position.y;
  ++w.count;
  return 0;
}

void standin_last_warp(double *x, double *y, int *count) {
  warp_record &w = warps();
  const std::lock_guard<std::mutex> hold(w.lock);
  if (x != nullptr) *x = w.x;
  if (y != nullptr) *y = w.y;
  if (count != nullptr) *count = w.count;
}

}  // extern "C"
