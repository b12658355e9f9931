// The SDL2 host thread and what the Linux system driver gets from it: autodetection choosing the
// display's drivers, the desktop, the safe mode, the handlers drivers register, keys travelling
// from the display's queue to read_key, the life of the host thread, running without a display,
// and the fatal-signal path.
#include <SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "corvane/gfx.h"
#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "platform/linux/unix_host.h"
#include "platform/null/headless_gfx_driver.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_host.h"
#include "support/env_guard.h"

namespace {

using namespace corvane;
using corvane::testing::env_guard;

class SdlHostTest : public ::testing::Test {
 protected:
  void TearDown() override {
    shutdown_corvane();
    EXPECT_FALSE(sdl::video_running());
  }

  // SDL's "dummy" display: 1024 x 768 at 32 bits, shown nowhere.
  void use_dummy_display() {
    video_driver_.emplace("SDL_VIDEODRIVER", "dummy");
    render_driver_.emplace("SDL_RENDER_DRIVER", "software");
  }
  // No display at all: X11 only, and no X server named.
  void use_no_display() {
    video_driver_.emplace("SDL_VIDEODRIVER", "x11");
    x_display_.emplace("DISPLAY", nullptr);
  }

 private:
  std::optional<env_guard> video_driver_;
  std::optional<env_guard> render_driver_;
  std::optional<env_guard> x_display_;
};

TEST_F(SdlHostTest, AutodetectionTakesTheDisplaysDriversFirst) {
  use_dummy_display();
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  set_color_depth(8);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &sdl::window_driver);  // a window before the whole screen
  select_gfx_mode(TEXT_MODE, 0, 0, 0, 0);
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_EQ(keyboard_driver, &sdl::keyboard_driver);
}

// What a driver registers with the host: the host hands it every event and a frame.
std::atomic<int> user_events{0};
std::atomic<int> user_events_done{0};
std::atomic<int> user_frames{0};
std::atomic<int> user_stops{0};
void count_event(const SDL_Event &event) noexcept {
  if (event.type == SDL_USEREVENT) ++user_events;
}
void count_events_done() noexcept { ++user_events_done; }
bool count_frame() noexcept {
  ++user_frames;
  return false;
}
void count_stop() noexcept { ++user_stops; }
const sdl::host_handlers counting_user = {
    .event = count_event,
    .events_done = count_events_done,
    .frame = count_frame,
    .host_stopping = count_stop,
};

TEST_F(SdlHostTest, RegisteredHandlersHearEventsAndFramesUntilTakenBack) {
  use_dummy_display();
  ASSERT_TRUE(sdl::add_host_handlers(&counting_user));
  ASSERT_TRUE(sdl::add_host_handlers(&counting_user));  // once is enough
  ASSERT_TRUE(sdl::acquire_video());
  SDL_Event event{};
  event.type = SDL_USEREVENT;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  for (int i = 0; i < 400 && user_events == 0; ++i) SDL_Delay(5);
  sdl::wait_for_next_frame(1000);
  EXPECT_EQ(user_events.load(), 1);  // one registration, one call
  EXPECT_GT(user_events_done.load(), 0);
  EXPECT_GT(user_frames.load(), 0);
  EXPECT_EQ(user_stops.load(), 0);

  sdl::release_video();
  EXPECT_EQ(user_stops.load(), 1);
  sdl::remove_host_handlers(&counting_user);
  ASSERT_TRUE(sdl::acquire_video());
  const int frames = user_frames;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  sdl::wait_for_next_frame(1000);
  sdl::wait_for_next_frame(1000);
  sdl::release_video();
  EXPECT_EQ(user_frames.load(), frames);
  EXPECT_EQ(user_events.load(), 1);
  EXPECT_EQ(user_stops.load(), 1);
}

// Every task wakes the host early, and each wake runs a frame; however many tasks came, the host
// keeps its pace afterwards instead of sleeping off the frames they ran ahead of time.
TEST_F(SdlHostTest, ManyTasksDoNotPutTheNextFrameOff) {
  use_dummy_display();
  ASSERT_TRUE(sdl::acquire_video());
  auto nothing = [] {};
  for (int i = 0; i < 3000; ++i) ASSERT_TRUE(sdl::run_on_host(nothing));
  const uint64_t before = sdl::frames_completed();
  const auto start = std::chrono::steady_clock::now();
  while (sdl::frames_completed() < before + 3 &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
    SDL_Delay(5);
  }
  EXPECT_GE(sdl::frames_completed(), before + 3);
  sdl::release_video();
}

TEST_F(SdlHostTest, DesktopAndSafeModeComeFromTheDisplay) {
  use_dummy_display();
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  EXPECT_EQ(current_system_driver->get_desktop_depth(), 32);
  int width = 0;
  int height = 0;
  EXPECT_EQ(current_system_driver->get_desktop_size(&width, &height), 0);
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(height, 768);
  int driver = 0;
  gfx_mode_entry mode{};
  current_system_driver->get_safe_mode(&driver, &mode);
  EXPECT_EQ(driver, sdl::GFX_SDL_WINDOW);
  EXPECT_EQ(mode.width, 320);
  EXPECT_EQ(mode.height, 200);
  EXPECT_EQ(mode.bpp, 8);
  EXPECT_FALSE(sdl::video_running());  // the questions did not keep SDL up
}

TEST_F(SdlHostTest, WithoutADisplayEverythingFailsCleanly) {
  use_no_display();
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  EXPECT_EQ(current_system_driver->get_desktop_depth(), -1);
  int width = 7;
  EXPECT_EQ(current_system_driver->get_desktop_size(&width, nullptr), -1);
  EXPECT_EQ(width, 7);
  int driver = 0;
  gfx_mode_entry mode{};
  current_system_driver->get_safe_mode(&driver, &mode);
  EXPECT_EQ(driver, GFX_HEADLESS);  // the headless driver needs nothing
  EXPECT_EQ(mode.bpp, 8);

  error_text[0] = 0;
  EXPECT_EQ(sdl::keyboard_driver.init(), -1);
  EXPECT_EQ(std::string(error_text).rfind("Cannot reach a display: ", 0), 0u) << error_text;
  error_text[0] = 0;
  EXPECT_EQ(sdl::window_driver.init(320, 200, 0, 0, 8), nullptr);
  EXPECT_EQ(std::string(error_text).rfind("Cannot reach a display: ", 0), 0u) << error_text;
  EXPECT_EQ(sdl::fullscreen_driver.list_modes(), nullptr);
  EXPECT_FALSE(sdl::video_running());

  // Autodetection goes on past the display's drivers to the host's own.
  set_color_depth(8);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &headless_gfx_driver);
  select_gfx_mode(TEXT_MODE, 0, 0, 0, 0);
}

TEST_F(SdlHostTest, HostRunsWhileAnyoneHoldsIt) {
  use_dummy_display();
  ASSERT_TRUE(sdl::acquire_video());
  ASSERT_TRUE(sdl::acquire_video());
  EXPECT_TRUE(sdl::video_running());
  EXPECT_FALSE(sdl::video_is_visible());  // the dummy display shows nothing
  EXPECT_FALSE(sdl::on_host_thread());
  bool on_host = false;
  auto ask = [&] { on_host = sdl::on_host_thread(); };
  EXPECT_TRUE(sdl::run_on_host(ask));
  EXPECT_TRUE(on_host);
  sdl::release_video();
  EXPECT_TRUE(sdl::video_running());
  // A task on the host may hold the display too.
  bool held_on_host = false;
  auto hold = [&] {
    held_on_host = sdl::acquire_video();
    if (held_on_host) sdl::release_video();
  };
  EXPECT_TRUE(sdl::run_on_host(hold));
  EXPECT_TRUE(held_on_host);
  sdl::release_video();
  EXPECT_FALSE(sdl::video_running());
  EXPECT_FALSE(sdl::run_on_host(ask));  // nothing runs a task any more
  sdl::release_video();                 // one release too many is harmless
  // And it starts again.
  ASSERT_TRUE(sdl::acquire_video());
  EXPECT_TRUE(sdl::run_on_host(ask));
  sdl::release_video();
}

TEST_F(SdlHostTest, KeysTravelFromTheDisplayQueueToReadKey) {
  use_dummy_display();
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  ASSERT_EQ(install_keyboard(), 0);
  ASSERT_EQ(keyboard_driver, &sdl::keyboard_driver);
  EXPECT_STREQ(keyboard_driver->name, "SDL2 keyboard");

  SDL_Event down{};
  down.type = SDL_KEYDOWN;
  down.key.state = SDL_PRESSED;
  down.key.keysym.scancode = SDL_SCANCODE_SPACE;
  down.key.keysym.sym = SDLK_SPACE;
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  std::strcpy(text.text.text, " ");
  SDL_Event up = down;
  up.type = SDL_KEYUP;
  up.key.state = SDL_RELEASED;
  ASSERT_EQ(SDL_PushEvent(&down), 1);
  ASSERT_EQ(SDL_PushEvent(&text), 1);
  ASSERT_EQ(SDL_PushEvent(&up), 1);
  EXPECT_EQ(read_key(), (KEY_SPACE << 8) | ' ');

  // A key held at removal is let go.
  down.key.keysym.scancode = SDL_SCANCODE_LSHIFT;
  down.key.keysym.sym = SDLK_LSHIFT;
  ASSERT_EQ(SDL_PushEvent(&down), 1);
  // The host thread writes key_state; read it as the library does.
  const auto shift_held = [] {
    return std::atomic_ref<signed char>(key_state[KEY_LSHIFT]).load() != 0;
  };
  for (int i = 0; i < 400 && !shift_held(); ++i) SDL_Delay(5);
  EXPECT_TRUE(shift_held());
  remove_keyboard();
  EXPECT_EQ(key_state[KEY_LSHIFT], 0);
  EXPECT_FALSE(sdl::video_running());
}

TEST_F(SdlHostTest, MessagesNeedAVisibleDisplayForABox) {
  use_dummy_display();
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  ASSERT_EQ(install_keyboard(), 0);
  // The dummy display cannot show a box: the message goes to standard error only, at once.
  ::testing::internal::CaptureStderr();
  show_message("%s\n", "No box");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "No box\n");
}

TEST_F(SdlHostTest, SignalPathLetsGoOfTheDisplay) {
  use_dummy_display();
  ASSERT_TRUE(sdl::acquire_video());
  ASSERT_TRUE(sdl::acquire_video());
  sdl::begin_signal_shutdown();
  sdl::stop_after_signal();
  EXPECT_FALSE(sdl::video_running());
}

TEST_F(SdlHostTest, LostDisplayReleasesEveryoneWaitingForTheHost) {
  use_dummy_display();
  ASSERT_TRUE(sdl::acquire_video());
  // What the connection watch does when the X server goes: the host reports the loss from inside
  // a call that never returns.
  auto lose_display = [] {
    sdl::host_lost_display();
    for (;;) pause();
  };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(sdl::run_on_host(lose_display));  // the task never finished
  EXPECT_TRUE(sdl::display_lost());
  EXPECT_FALSE(sdl::video_running());
  bool ran = false;
  auto ask = [&] { ran = true; };
  EXPECT_FALSE(sdl::run_on_host(ask));
  EXPECT_FALSE(ran);
  sdl::wait_for_next_frame(5000);
  error_text[0] = 0;
  EXPECT_FALSE(sdl::acquire_video());  // SDL cannot be started again
  EXPECT_STREQ(error_text, "The display went away");
  sdl::release_video();  // nobody waits for the stuck thread
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

void open_window_and_raise() {
  if (startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr) != 0) std::exit(3);
  if (install_keyboard() != 0) std::exit(4);
  set_color_depth(8);
  if (sdl::window_driver.init(320, 200, 0, 0, 8) == nullptr) std::exit(5);
  raise(SIGTERM);
}

TEST_F(SdlHostTest, FatalSignalWithAWindowOpenEndsTheProcess) {
  use_dummy_display();
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(open_window_and_raise(), ::testing::KilledBySignal(SIGTERM),
              "Shutting down Corvane due to signal #15");
}

// A fatal signal arriving while the interrupted code holds the host's lifecycle lock: the signal
// path only tries the lock, so the process still ends by the signal instead of hanging.
void raise_with_the_lifecycle_lock_held() {
  if (startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr) != 0) std::exit(3);
  set_color_depth(8);
  if (sdl::window_driver.init(320, 200, 0, 0, 8) == nullptr) std::exit(5);
  sdl::host_lifecycle_lock().lock();
  raise(SIGTERM);
}

TEST_F(SdlHostTest, FatalSignalWhileTheLifecycleLockIsHeldStillEnds) {
  use_dummy_display();
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(raise_with_the_lifecycle_lock_held(), ::testing::KilledBySignal(SIGTERM),
              "Shutting down Corvane due to signal #15");
}

}  // namespace
