// What the stand-in's frameworks share: the scripted platform (window server, bundle, display
// mode, queued events, failures) and the log of the calls tests look at.
#ifndef CORVANE_PLATFORM_MACOSX_STANDIN_STATE_H
#define CORVANE_PLATFORM_MACOSX_STANDIN_STATE_H

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct queued_event {
  unsigned long type = 0;
  unsigned short key_code = 0;
  unsigned long modifier_flags = 0;
  std::string characters;
  // Pointer events: the position in the window (origin bottom left), the movement, the wheel's
  // movement and the button number of an "other" button.
  double x = 0, y = 0, delta_x = 0, delta_y = 0, delta_z = 0;
  long button_number = 0;
};

struct display_mode {
  bool present = true;
  int width = 1024;
  int height = 768;
  int bits_per_pixel = 32;
  int refresh_rate = 60;  // below 0: the key is left out
};

struct platform_state {
  std::mutex lock;
  bool window_server = true;
  bool in_bundle = false;
  std::string bundle_path;
  bool has_bundle_name = false;
  std::string bundle_name;
  bool has_process_name = false;
  std::string process_name;
  bool has_opened_file = false;
  std::string opened_file;
  display_mode mode;
  bool has_arch = true;
  std::string arch_name = "ppc7450";
  int cpu_type = 18;
  int cpu_subtype = 11;
  std::deque<queued_event> events;
  int tap_key = -1;
  bool last_fetch_empty = false;
  std::string fail_alloc_class;
  int fail_foreground_step = 0;
  void (*alert_hook)() = nullptr;
  std::vector<std::string> log;
};

// The one platform of the process; its first use reads the environment (see <standin/cocoa.h>).
platform_state &platform();

// Appends a line to the call log.
void log_call(const std::string &line);

// Forgets where the pointer was warped to (cg_remote_operation.cpp).
void reset_warps();

// Objects allocated and not yet deallocated.
extern std::atomic<long> live_objects;

}  // namespace standin

#endif
