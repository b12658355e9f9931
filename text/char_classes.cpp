// Character classes on code points: white space, and the simple lower-case and upper-case
// mappings over the stretches the generated run tables cover (see gen_case_tables.py).
#include <algorithm>
#include <iterator>

#include "corvane/text.h"

namespace corvane {
namespace {

// Every stride-th code point from first to last maps to itself plus delta.
struct case_run {
  int first;
  int last;
  int stride;
  int delta;
};

#include "text/case_table_data.inc"

constexpr int lowest_mapped = 0x41;
constexpr int highest_mapped = 0x24E9;

template <std::size_t count>
int map_through(const case_run (&runs)[count], int c) noexcept {
  if (c < lowest_mapped || c > highest_mapped) return c;
  // The last run whose first code point is at or below c.
  const case_run *run =
      std::upper_bound(std::begin(runs), std::end(runs), c,
                       [](int code, const case_run &r) { return code < r.first; });
  if (run == std::begin(runs)) return c;
  --run;
  if (c > run->last || (c - run->first) % run->stride != 0) return c;
  return c + run->delta;
}

}  // namespace
}  // namespace corvane

extern "C" {

int char_is_space(int c) noexcept {
  switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case 0x1680:
    case 0x2028:
    case 0x202F:
    case 0x3000:
      return 1;
    default:
      return (c >= 0x2000 && c <= 0x200A) ? 1 : 0;
  }
}

int char_to_lower(int c) noexcept {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
  return corvane::map_through(corvane::lower_runs, c);
}

int char_to_upper(int c) noexcept {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
  return corvane::map_through(corvane::upper_runs, c);
}

}  // extern "C"
