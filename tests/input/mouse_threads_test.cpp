// The mouse across threads, as it runs for real (and under ThreadSanitizer): a display thread
// reports input while the program reads the values and scares the pointer, and the polling
// handler on the timer thread draws the pointer at the same time. Afterwards the bitmap holds
// exactly its old picture.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/mouse.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/bitmap_compare.h"
#include "support/test_mouse.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

std::atomic<int> callbacks{0};
void count_callback(int) { callbacks.fetch_add(1, std::memory_order_relaxed); }

int read(int &value) { return std::atomic_ref<int>(value).load(std::memory_order_relaxed); }

TEST(MouseThreadsTest, InputTheHandlerAndTheProgramMeetWithoutHarm) {
  reset_test_system();
  reset_test_mouse();
  ASSERT_EQ(start_with_test_system(), 0);
  give_test_system_mutexes();
  the_test_system().timer_drivers = default_timer_driver_list;
  the_test_system().mouse_drivers = test_mouse_list();
  set_color_depth(16);
  ASSERT_EQ(install_mouse(), 3);
  set_mouse_range(0, 0, 119, 79);

  bitmap_ptr bmp = make_bitmap(16, 120, 80);
  std::mt19937 rng(11);
  const reference_image background = random_image(120, 80, 16, rng);
  paint(bmp.get(), background);
  callbacks = 0;
  mouse_callback = count_callback;
  show_mouse(bmp.get());

  std::atomic<bool> done{false};
  std::thread display([&] {
    std::mt19937 moves(5);
    for (int i = 0; i < 20000; ++i) {
      const int x = static_cast<int>(moves() % 120);
      const int y = static_cast<int>(moves() % 80);
      handle_mouse_input(x, y, i, static_cast<int>(moves() % 8));
      if (i % 64 == 0) std::this_thread::yield();
    }
    done = true;
  });

  int reads = 0;
  while (!done) {
    const int x = read(mouse_x);
    const int y = read(mouse_y);
    EXPECT_TRUE(x >= 0 && x < 120 && y >= 0 && y < 80) << x << ", " << y;
    EXPECT_EQ(read(mouse_b) & ~7, 0);
    if (++reads % 200 == 0) {
      scare_mouse();
      unscare_mouse();
    }
  }
  display.join();
  rest_ms(30);  // the handler draws the last position
  mouse_callback = nullptr;
  EXPECT_GT(callbacks.load(), 0);
  EXPECT_EQ(mouse_z, 19999);

  show_mouse(nullptr);
  EXPECT_TRUE(bitmap_matches(bmp.get(), background));
  shutdown_corvane();
}

}  // namespace
