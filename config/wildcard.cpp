// Wildcard matching of file names: "?" matches any one byte, "*" any run of bytes. The match runs
// iteratively with an explicit stack of backtracking points, one per "*", in a buffer kept between
// calls.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "corvane/file.h"
#include "corvane/system.h"

namespace {

// Where to resume when the text after a "*" fails: the star's pattern continuation and the text
// position it tries next.
struct backtrack_point {
  size_t text;
  size_t pattern;
};

backtrack_point *points = nullptr;
size_t point_capacity = 0;

bool reserve_points(size_t needed) {
  if (needed <= point_capacity) return true;
  auto *grown = static_cast<backtrack_point *>(std::realloc(points, needed * sizeof *points));
  if (grown == nullptr) return false;
  points = grown;
  point_capacity = needed;
  return true;
}

}  // namespace

extern "C" {

int wildcard_match(const char *text, const char *pattern) noexcept {
  if (text == nullptr && pattern == nullptr) {
    std::free(points);
    points = nullptr;
    point_capacity = 0;
    return 0;
  }
  if (text == nullptr || pattern == nullptr) return 0;
  if (!reserve_points(std::strlen(pattern) + 1)) {
    set_error_number(ENOMEM);
    return 0;
  }
  size_t depth = 0;
  size_t t = 0;
  size_t p = 0;
  for (;;) {
    if (pattern[p] == '*') {
      while (pattern[p] == '*') ++p;
      if (pattern[p] == 0) return 1;  // a trailing star takes whatever is left
      points[depth++] = backtrack_point{t, p};
      continue;
    }
    if (text[t] == 0) {
      if (pattern[p] == 0) return 1;
    } else if (pattern[p] != 0 && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++t;
      ++p;
      continue;
    }
    // Mismatch: let the newest star take one more byte. When it has run out of text, letting an
    // older star take more could only start the newest one further right, so nothing can match.
    if (depth == 0) return 0;
    backtrack_point &top = points[depth - 1];
    if (text[top.text] == 0) return 0;
    ++top.text;
    t = top.text;
    p = top.pattern;
  }
}

}  // extern "C"
