// The demonstration program on the simulated Mac with a window server: it opens the 'QZWN'
// window, whose port shows exactly the greeting after an update, and a key pressed once the
// greeting is on show ends it with status 0. The signal path with a display up: the message, and
// the display given back.
#include <gtest/gtest.h>
#include <signal.h>
#include <standin/display.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/font.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "host_test_support.h"
#include "platform/macosx/macosx_cocoa.h"
#include "platform/macosx/quartz_display.h"
#include "quartz_test_support.h"

namespace {

using namespace corvane::macosx;

// Runs the demonstration program with extra environment entries; its exit status, or -1.
int run_demo(const std::vector<std::string> &environment) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    for (const std::string &entry : environment) putenv(const_cast<char *>(entry.c_str()));
    execl(CORVANE_DEMO_PATH, CORVANE_DEMO_PATH, static_cast<char *>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class QuartzDemoTest : public macosx_testing::QuartzTest {};

TEST_F(QuartzDemoTest, TheWindowShowsExactlyTheGreetingAndAKeyEndsTheProgram) {
  const std::string dump = std::string(std::getenv("CORVANE_TEST_TMP") != nullptr
                                           ? std::getenv("CORVANE_TEST_TMP")
                                           : "/tmp") +
                           "/demo_window_" + std::to_string(getpid()) + ".bin";
  std::remove(dump.c_str());
  ASSERT_EQ(run_demo({"CORVANE_STANDIN_WINDOW_DUMP=" + dump, "CORVANE_STANDIN_KEY_AFTER_INK=0"}),
            0);

  std::ifstream in(dump, std::ios::binary);
  ASSERT_TRUE(in.good());
  int width = 0;
  int height = 0;
  int depth = 0;
  long row_bytes = 0;
  in >> width >> height >> depth >> row_bytes;
  in.get();
  std::vector<unsigned char> port((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(dump.c_str());
  ASSERT_EQ(width, 320);
  ASSERT_EQ(height, 200);
  ASSERT_EQ(depth, 32);
  ASSERT_GE(static_cast<long>(port.size()), row_bytes * height);

  // The same greeting on a memory bitmap, each pixel's palette colour widened to 8 bits.
  set_color_depth(8);
  apply_palette(desktop_palette);
  bitmap *expected = create_bitmap_at_depth(8, 320, 200);
  ASSERT_NE(expected, nullptr);
  clear_to_color(expected, make_color(255, 255, 255));
  draw_text_centred(expected, default_font, "Hello, world!", 160, 100, make_color(0, 0, 0), -1);
  int mismatches = 0;
  int ink = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      const rgb_entry &c = desktop_palette[expected->lines[y][x]];
      const uint32_t want = (static_cast<uint32_t>(SCALE_6_TO_8[c.r]) << 16) |
                            (static_cast<uint32_t>(SCALE_6_TO_8[c.g]) << 8) |
                            static_cast<uint32_t>(SCALE_6_TO_8[c.b]);
      uint32_t got = 0;
      std::memcpy(&got, port.data() + y * row_bytes + x * 4, 4);
      if (got != want && ++mismatches <= 5) ADD_FAILURE() << "pixel " << x << "," << y;
      if (want == 0) ++ink;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(ink, 100);
  destroy_bitmap(expected);
}

void report_display() {
  std::fprintf(stderr, "captured %d, menu bar %d, cursor hidden %d, state %d\n",
               standin_display_captured(), standin_menu_bar_visible(), standin_cursor_hide_count(),
               display_state.load());
}

TEST_F(QuartzDemoTest, AFatalSignalWithTheDisplayUpGivesTheDisplayBack) {
  const auto child = macosx_testing::run_in_child([] {
    // Registered before the mode, so it runs after the mode is shut down.
    register_exit_func(report_display, "report_display");
    set_color_depth(8);
    if (select_gfx_mode(GFX_QUARTZ_FULLSCREEN, 640, 480, 0, 0) != 0) return 1;
    if (standin_display_captured() != 1) return 3;
    raise(SIGTERM);
    return 2;
  });
  EXPECT_FALSE(child.exited) << child.status;
  EXPECT_EQ(child.signal, SIGTERM);
  EXPECT_EQ(child.error_output,
            "captured 0, menu bar 1, cursor hidden 0, state 0\n"
            "Shutting down Corvane due to signal #15\n");
}

}  // namespace
