// Building a table of 5-bit colours to palette indices: a breadth-first flood over the 32x32x32
// cube that grows a region around each palette colour and lets a cell change hands when another
// entry is strictly closer.
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "corvane/color.h"
#include "corvane/system.h"
#include "gfx/color_internal.h"

namespace {

constexpr int CUBE_CELLS = 32 * 32 * 32;
constexpr int PROGRESS_STEPS = 256;
constexpr int PROGRESS_SCALE = 18000;

constexpr int cell_of(int r, int g, int b) noexcept { return (r << 10) | (g << 5) | b; }

// Distance from a cell (5-bit components, doubled to compare with 6-bit ones) to an entry.
int32_t cell_distance(const rgb_entry &entry, int cell) noexcept {
  return corvane::color_distance(entry, ((cell >> 10) & 31) * 2, ((cell >> 5) & 31) * 2,
                                 (cell & 31) * 2);
}

class flood {
 public:
  flood(unsigned char *table, const rgb_entry *pal, void (*callback)(int)) noexcept
      : table_(table), pal_(pal), callback_(callback) {}

  void run() noexcept {
    std::memset(table_, 0, CUBE_CELLS);
    std::memset(queued_, 0, sizeof queued_);
    for (int i = 1; i < PALETTE_SIZE; ++i) {
      const rgb_entry &entry = pal_[i];
      const int cell = cell_of((entry.r >> 1) & 31, (entry.g >> 1) & 31, (entry.b >> 1) & 31);
      if (table_[cell] != 0) continue;
      table_[cell] = static_cast<unsigned char>(i);
      push(cell);
    }
    while (count_ > 0) {
      const int cell = queue_[head_];
      head_ = (head_ + 1) % CUBE_CELLS;
      --count_;
      queued_[cell] = 0;
      ++taken_;
      spread(cell);
      report_progress();
    }
    if (pal_[0].r == 63 && pal_[0].g == 0 && pal_[0].b == 63) table_[cell_of(31, 0, 31)] = 0;
    while (reported_ < PROGRESS_STEPS) report(reported_);
  }

 private:
  void push(int cell) noexcept {
    if (queued_[cell] != 0) return;
    queued_[cell] = 1;
    queue_[(head_ + count_) % CUBE_CELLS] = cell;
    ++count_;
  }

  // A neighbour takes the index when it has none, or when this entry is strictly closer than
  // the one it holds.
  void offer(int neighbour, int index) noexcept {
    const int held = table_[neighbour];
    if (held == index) return;
    if (held != 0 &&
        cell_distance(pal_[index], neighbour) >= cell_distance(pal_[held], neighbour)) {
      return;
    }
    table_[neighbour] = static_cast<unsigned char>(index);
    push(neighbour);
  }

  void claim_if_empty(int cell, int index) noexcept {
    if (table_[cell] != 0) return;
    table_[cell] = static_cast<unsigned char>(index);
    push(cell);
  }

  void spread(int cell) noexcept {
    const int index = table_[cell];
    const int r = (cell >> 10) & 31;
    const int g = (cell >> 5) & 31;
    const int b = cell & 31;
    if (r > 0) offer(cell_of(r - 1, g, b), index);
    if (r < 31) offer(cell_of(r + 1, g, b), index);
    if (g > 0) offer(cell_of(r, g - 1, b), index);
    if (g < 31) offer(cell_of(r, g + 1, b), index);
    if (b > 0) offer(cell_of(r, g, b - 1), index);
    if (b < 31) offer(cell_of(r, g, b + 1), index);
    // The diagonal cells one step further along blue fill in quickly, without a distance test.
    if (b < 31 && table_[cell_of(r, g, b + 1)] == index) {
      if (r > 0) claim_if_empty(cell_of(r - 1, g, b + 1), index);
      if (r < 31) claim_if_empty(cell_of(r + 1, g, b + 1), index);
      if (g > 0) claim_if_empty(cell_of(r, g - 1, b + 1), index);
      if (g < 31) claim_if_empty(cell_of(r, g + 1, b + 1), index);
    }
  }

  void report(int step) noexcept {
    if (callback_ != nullptr) callback_(step);
    reported_ = step + 1;
  }

  void report_progress() noexcept {
    while (reported_ < PROGRESS_STEPS &&
           taken_ >= static_cast<long>(reported_ + 1) * PROGRESS_SCALE / PROGRESS_STEPS) {
      report(reported_);
    }
  }

  unsigned char *table_;
  const rgb_entry *pal_;
  void (*callback_)(int);
  unsigned char queued_[CUBE_CELLS] = {};
  int queue_[CUBE_CELLS] = {};
  int head_ = 0;
  int count_ = 0;
  long taken_ = 0;
  int reported_ = 0;
};

}  // namespace

extern "C" {

void build_rgb_index_table(unsigned char *table, const rgb_entry *pal,
                           void (*callback)(int step)) noexcept {
  if (table == nullptr || pal == nullptr) return;
  // About 160 KB of working state: on the heap rather than the stack.
  std::unique_ptr<flood> state(new (std::nothrow) flood(table, pal, callback));
  if (state == nullptr) {
    set_error_number(ENOMEM);
    return;
  }
  state->run();
}

}  // extern "C"
