// The state the Mac OS X application host keeps for its drivers, the window driver's hooks and the
// registry of event handlers the event loop hands events to.
#include "platform/macosx/macosx_cocoa.h"

namespace corvane::macosx {

int os_type = 0;
int os_version = 0;
int os_revision = 0;
int os_multitasking = 0;
int saved_argc = 0;
char **saved_argv = nullptr;
std::atomic<void *> event_mutex{nullptr};
std::atomic<void *> display_mutex{nullptr};
char *opened_file = nullptr;
std::atomic<int> refresh_rate{DEFAULT_REFRESH_RATE};
std::atomic<int> display_state{DISPLAY_NONE};
std::atomic<bool> palette_dirty{false};
std::atomic<CGDirectPaletteRef> hardware_palette{nullptr};
std::atomic<void (*)()> close_callback{nullptr};
std::atomic<bool> modal_panel_open{false};
std::atomic<int> bootstrap_ok{-1};
std::atomic<bool> window_takes_pointer{false};
std::atomic<int> pointer_area_left{0};
std::atomic<int> pointer_area_top{0};
std::atomic<int> pointer_area_height{0};
std::atomic<bool> cursor_changed{false};
std::atomic<int> single_button_mouse{0};
NSBundle *main_bundle = nil;
NSCursor *blank_cursor = nil;
NSCursor *current_cursor = nil;

namespace {

std::atomic<const window_hooks *> window_driver_hooks{nullptr};

struct handler_slot {
  std::atomic<NSUInteger> type_mask{0};
  std::atomic<event_handler> handler{nullptr};
};
handler_slot handler_slots[EVENT_HANDLER_SLOTS];

}  // namespace

bool running_from_bundle() noexcept { return main_bundle != nil; }

void set_window_hooks(const window_hooks *hooks) noexcept { window_driver_hooks.store(hooks); }

const window_hooks *installed_window_hooks() noexcept { return window_driver_hooks.load(); }

void lock_event_mutex() noexcept { mutex_lock(event_mutex.load()); }

void unlock_event_mutex() noexcept { mutex_unlock(event_mutex.load()); }

bool add_event_handler(NSUInteger type_mask, event_handler handler) noexcept {
  if (handler == nullptr) return false;
  lock_event_mutex();
  bool added = false;
  for (handler_slot &slot : handler_slots) {
    if (slot.handler.load() != nullptr) continue;
    slot.type_mask.store(type_mask);
    slot.handler.store(handler);
    added = true;
    break;
  }
  unlock_event_mutex();
  return added;
}

void remove_event_handler(event_handler handler) noexcept {
  lock_event_mutex();
  for (handler_slot &slot : handler_slots) {
    if (slot.handler.load() == handler) {
      slot.handler.store(nullptr);
      slot.type_mask.store(0);
    }
  }
  unlock_event_mutex();
}

void dispatch_event(NSEvent *event) noexcept {
  const NSUInteger bit = NSEventMaskFromType([event type]);
  for (handler_slot &slot : handler_slots) {
    const event_handler handler = slot.handler.load();
    if (handler != nullptr && (slot.type_mask.load() & bit) != 0 && handler(event)) return;
  }
  [NSApp sendEvent:event];
}

}  // namespace corvane::macosx
