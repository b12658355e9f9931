// The stand-in's scripted platform and call log, and the scripting interface of <standin/cocoa.h>
// that needs no Objective-C.
#include "standin_state.h"

#include <standin/cocoa.h>

#include <cstdlib>
#include <cstring>

namespace standin {

std::atomic<long> live_objects{0};

platform_state &platform() {
  static platform_state *state = [] {
    auto *fresh = new platform_state;
    const char *server = std::getenv("CORVANE_STANDIN_WINDOW_SERVER");
    if (server != nullptr && std::strcmp(server, "0") == 0) fresh->window_server = false;
    const char *tap = std::getenv("CORVANE_STANDIN_TAP_KEY");
    if (tap != nullptr && *tap != 0) fresh->tap_key = static_cast<int>(std::strtol(tap, nullptr, 0));
    return fresh;
  }();
  return *state;
}

void log_call(const std::string &line) {
  platform_state &p = platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.log.push_back(line);
}

}  // namespace standin

namespace {

size_t copy_out(const std::string &text, char *buffer, size_t size) {
  if (buffer != nullptr && size > 0) {
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
  }
  return text.size();
}

}  // namespace

extern "C" {

void standin_set_window_server(int present) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.window_server = present != 0;
}

void standin_set_bundle(const char *bundle_path, const char *name) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.in_bundle = bundle_path != nullptr;
  p.bundle_path = bundle_path != nullptr ? bundle_path : "";
  p.has_bundle_name = name != nullptr;
  p.bundle_name = name != nullptr ? name : "";
}

void standin_set_process_name(const char *name) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.has_process_name = name != nullptr;
  p.process_name = name != nullptr ? name : "";
}

void standin_set_opened_file(const char *path) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.has_opened_file = path != nullptr;
  p.opened_file = path != nullptr ? path : "";
}

void standin_set_display_mode(int width, int height, int bits_per_pixel, int refresh_rate) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.mode = standin::display_mode{true, width, height, bits_per_pixel, refresh_rate};
}

void standin_remove_display_mode(void) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.mode.present = false;
}

void standin_set_local_arch(const char *name, int cpu_type, int cpu_subtype) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.has_arch = name != nullptr;
  p.arch_name = name != nullptr ? name : "";
  p.cpu_type = cpu_type;
  p.cpu_subtype = cpu_subtype;
}

void standin_post_key(int pressed, unsigned short key_code, const char *characters,
                      unsigned long modifier_flags) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.events.push_back(standin::queued_event{pressed != 0 ? 10UL : 11UL, key_code, modifier_flags,
                                           characters != nullptr ? characters : ""});
}

void standin_post_mouse(unsigned long type, double x, double y, double delta_x, double delta_y,
                        double delta_z, long button_number, unsigned long modifier_flags) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  standin::queued_event event{type, 0, modifier_flags, ""};
  event.x = x;
  event.y = y;
  event.delta_x = delta_x;
  event.delta_y = delta_y;
  event.delta_z = delta_z;
  event.button_number = button_number;
  p.events.push_back(event);
}

void standin_post_flags_changed(unsigned long modifier_flags) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.events.push_back(standin::queued_event{12UL, 0, modifier_flags, ""});
}

void standin_post_event(unsigned long type) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.events.push_back(standin::queued_event{type, 0, 0, ""});
}

int standin_pending_events(void) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  return static_cast<int>(p.events.size());
}

void standin_fail_next_alloc(const char *class_name) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.fail_alloc_class = class_name != nullptr ? class_name : "";
}

void standin_fail_foreground_step(int step) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.fail_foreground_step = step;
}

long standin_live_objects(void) { return standin::live_objects.load(); }

void standin_set_alert_hook(void (*hook)(void)) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.alert_hook = hook;
}

size_t standin_call_log(char *buffer, size_t size) {
  auto &p = standin::platform();
  std::string text;
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    for (const std::string &line : p.log) text += line + "\n";
  }
  return copy_out(text, buffer, size);
}

void standin_clear_call_log(void) {
  auto &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  p.log.clear();
}

}  // extern "C"

// LeakSanitizer asks every program for its default suppressions: what the Objective-C runtime
// keeps for the life of the process (its class and selector tables) is no leak of the program's.
// The name is the sanitizer runtime's own.
// NOLINTNEXTLINE(bugprone-reserved-identifier)
extern "C" const char *__lsan_default_suppressions();
// NOLINTNEXTLINE(bugprone-reserved-identifier)
extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions() {
  return "leak:libobjc.so\n";
}
