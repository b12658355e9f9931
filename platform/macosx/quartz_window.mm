// The window display driver 'QZWN': the screen bitmap is a block of memory whose changed rows are
// copied into a Cocoa window's QuickDraw port by the event loop, unchanged when the desktop has
// the screen's depth and converted otherwise. The screen's acquire and release, and its line
// accessors, hold the display mutex, so that a drawing call and the copy to the window never
// overlap; the line accessors also mark the rows they hand out as dirty.
#include <Carbon/Carbon.h>
#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <mutex>

#include "core/internal.h"
#include "corvane/color.h"
#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "platform/macosx/macosx_cocoa.h"
#include "platform/macosx/osx_keyboard.h"
#include "platform/macosx/quartz_display.h"
#include "platform/macosx/quartz_rows.h"

// The window of the display: it copies the screen afresh when asked to show itself whole.
@interface CorvaneWindow : NSWindow
- (void)display;
- (void)miniaturize:(id)sender;
@end

// Its delegate: the close button asks the program, and a window back from the Dock is redrawn.
@interface CorvaneWindowDelegate : NSObject
- (BOOL)windowShouldClose:(id)sender;
- (void)windowDidDeminiaturize:(NSNotification *)notification;
- (void)windowDidMove:(NSNotification *)notification;
@end

// The content view: a QuickDraw view whose cursor is the display's current cursor.
@interface CorvaneView : NSQuickDrawView
- (void)resetCursorRects;
@end

namespace corvane::macosx {
namespace {

struct window_display {
  CorvaneWindow *window = nil;
  CorvaneWindowDelegate *delegate = nil;
  CorvaneView *view = nil;
  NSTrackingRectTag tracking = 0;
  unsigned char *surface = nullptr;
  bitmap *screen = nullptr;
  // One byte per screen row: 1 when the row must be copied to the window.
  unsigned char *dirty = nullptr;
  int width = 0;
  int height = 0;
  int depth = 0;
  bool matching = false;
  // The port colours of the palette, for an 8-bit screen, at each port depth.
  uint32_t colors16[256] = {};
  uint32_t colors32[256] = {};
  RgnHandle update_region = nullptr;
  RgnHandle row_region = nullptr;
  // Window updates: a counter under update_mutex, broadcast on update_done.
  bool update_sync_made = false;
  pthread_mutex_t update_mutex{};
  pthread_cond_t update_done{};
  unsigned long updates = 0;
  std::atomic<bool> gone{true};
  char description[256] = {};
};

window_display state;

// The longest wait for a window update: many passes of the event loop at any refresh rate.
constexpr long long update_wait_limit_ns = 250000000;

// Held by a whole window update and by exit, so that exit never frees what an update uses.
std::mutex update_guard;

// Whether this thread holds the display mutex for the line accessors (until release_line).
thread_local bool line_lock_held = false;

void lock_display() noexcept {
  if (void *mutex = display_mutex.load()) mutex_lock(mutex);
}

void unlock_display() noexcept {
  if (void *mutex = display_mutex.load()) mutex_unlock(mutex);
}

void window_acquire(bitmap *bmp) noexcept {
  (void)bmp;
  lock_display();
}

void window_release(bitmap *bmp) noexcept {
  (void)bmp;
  // A line access left open inside the group ends with it.
  if (line_lock_held) {
    line_lock_held = false;
    unlock_display();
  }
  unlock_display();
}

unsigned char *window_write_line(bitmap *bmp, int row) noexcept {
  if (!line_lock_held) {
    lock_display();
    line_lock_held = true;
  }
  const int screen_row = row + bmp->y_offset;
  if (screen_row >= 0 && screen_row < state.height) state.dirty[screen_row] = 1;
  return bmp->lines[row];
}

unsigned char *window_read_line(bitmap *bmp, int row) noexcept {
  if (!line_lock_held) {
    lock_display();
    line_lock_held = true;
  }
  return bmp->lines[row];
}

void window_release_line(bitmap *bmp) noexcept {
  (void)bmp;
  if (!line_lock_held) return;
  line_lock_held = false;
  unlock_display();
}

void mark_all_dirty() noexcept {
  lock_display();
  if (state.dirty != nullptr) std::memset(state.dirty, 1, static_cast<size_t>(state.height));
  unlock_display();
}

void set_port_colors(const rgb_entry *palette, int from, int to) noexcept {
  for (int i = from; i <= to; ++i) {
    state.colors16[i] = port_color_of(palette[i], 16);
    state.colors32[i] = port_color_of(palette[i], 32);
  }
}

void signal_update() noexcept {
  if (!state.update_sync_made) return;
  pthread_mutex_lock(&state.update_mutex);
  ++state.updates;
  pthread_cond_broadcast(&state.update_done);
  pthread_mutex_unlock(&state.update_mutex);
}

// Copies the dirty rows of the screen into the port and flushes them; runs on the event loop's
// thread.
void copy_dirty_rows(CGrafPtr port) noexcept {
  QDDone(port);
  LockPortBits(port);
  PixMapHandle map = GetPortPixMap(port);
  const long row_bytes = GetPixRowBytes(map);
  auto *base = reinterpret_cast<unsigned char *>(GetPixBaseAddr(map));
  const int port_depth = (*map)->pixelSize;
  const row_converter convert = find_row_converter(state.depth, port_depth);
  const uint32_t *colors = port_depth == 16 ? state.colors16 : state.colors32;
  const int width = std::min<int>(state.width, (*map)->bounds.right - (*map)->bounds.left);
  const int height = std::min<int>(state.height, (*map)->bounds.bottom - (*map)->bounds.top);

  lock_display();
  SetEmptyRgn(state.update_region);
  if (convert != nullptr && base != nullptr) {
    int row = 0;
    while (row < height) {
      if (state.dirty[row] == 0) {
        ++row;
        continue;
      }
      // A run of dirty rows is one rectangle of the region.
      const int first = row;
      for (; row < height && state.dirty[row] != 0; ++row) {
        convert(state.screen->lines[row], base + row * row_bytes, width, colors);
        state.dirty[row] = 0;
      }
      Rect rows;
      SetRect(&rows, 0, static_cast<short>(first), static_cast<short>(width), static_cast<short>(row));
      RectRgn(state.row_region, &rows);
      UnionRgn(state.row_region, state.update_region, state.update_region);
    }
  }
  QDFlushPortBuffer(port, state.update_region);
  unlock_display();
  UnlockPortBits(port);
}

void refresh_window() {
  {
    const std::lock_guard<std::mutex> hold(update_guard);
    if (state.gone || state.window == nil) return;
    if ([state.window isVisible] && [state.view lockFocusIfCanDraw]) {
      auto port = static_cast<CGrafPtr>([state.view qdPort]);
      if (port != nullptr) copy_dirty_rows(port);
      [state.view unlockFocus];
    }
  }
  signal_update();
}

void screen_parameters_changed() {
  mark_all_dirty();
  const std::lock_guard<std::mutex> hold(update_guard);
  if (!state.gone && state.window != nil) [state.window display];
}

// Called by the program's thread, which may be holding the screen: the event mutex (which exit
// holds too) keeps the window alive, and no lock an update holds is taken.
void title_changed(const char *utf8_title) {
  lock_event_mutex();
  if (!state.gone && state.window != nil) {
    NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
    NSString *title = [NSString stringWithUTF8String:utf8_title];
    if (title != nil) [state.window setTitle:title];
    [pool release];
  }
  unlock_event_mutex();
}

// Where the window's content area lies in the display's global coordinates (from the main
// display's top-left corner, y downwards), for warping the pointer to a screen position. Cocoa
// gives the area from the main display's bottom-left corner, y upwards.
void place_pointer_area(NSWindow *window) noexcept {
  const NSRect content = [window contentRectForFrameRect:[window frame]];
  const auto screen_height = static_cast<double>(CGDisplayPixelsHigh(CGMainDisplayID()));
  pointer_area_left.store(static_cast<int>(content.origin.x));
  pointer_area_top.store(
      static_cast<int>(screen_height - (content.origin.y + content.size.height)));
}

const window_hooks hooks = {
    .refresh_window = refresh_window,
    .screen_parameters_changed = screen_parameters_changed,
    .title_changed = title_changed,
};

void window_exit(bitmap *screen) noexcept;

// Fails init: error_text gets the message and whatever was made is taken down again.
bitmap *fail_init(const char *message) noexcept {
  set_error_text(message);
  window_exit(nullptr);
  unlock_event_mutex();
  return nullptr;
}

bitmap *window_init(int width, int height, int virtual_width, int virtual_height,
                    int depth) noexcept {
  lock_event_mutex();
  if (pthread_mutex_init(&state.update_mutex, nullptr) != 0) return fail_init("Not enough memory");
  if (pthread_cond_init(&state.update_done, nullptr) != 0) {
    pthread_mutex_destroy(&state.update_mutex);
    return fail_init("Not enough memory");
  }
  state.update_sync_made = true;
  state.updates = 0;
  void *mutex = mutex_create();
  if (mutex == nullptr) return fail_init("Not enough memory");
  display_mutex.store(mutex);

  // An 8-bit screen is shown through the palette, like any other depth in emulation.
  if (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32) {
    return fail_init("Unsupported color depth");
  }
  if (!settle_mode_size(&width, &height, virtual_width, virtual_height)) {
    window_exit(nullptr);
    unlock_event_mutex();
    return nullptr;
  }
  state.width = width;
  state.height = height;
  state.depth = depth;

  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  const NSRect content = NSMakeRect(0, 0, width, height);
  state.window = [[CorvaneWindow alloc] initWithContentRect:content
                                                  styleMask:NSTitledWindowMask |
                                                            NSClosableWindowMask |
                                                            NSMiniaturizableWindowMask
                                                    backing:NSBackingStoreBuffered
                                                      defer:NO];
  state.delegate = [[CorvaneWindowDelegate alloc] init];
  if (state.window == nil || state.delegate == nil) {
    [pool release];
    return fail_init("Not enough memory");
  }
  [state.window setDelegate:state.delegate];
  [state.window setOneShot:YES];
  [state.window setAcceptsMouseMovedEvents:YES];
  [state.window setViewsNeedDisplay:NO];
  [state.window setReleasedWhenClosed:YES];
  [state.window useOptimizedDrawing:YES];
  [state.window center];
  state.view = [[CorvaneView alloc] initWithFrame:content];
  if (state.view == nil) {
    [pool release];
    return fail_init("Not enough memory");
  }
  [state.window setContentView:state.view];
  char title[1024];
  copy_window_title(title, sizeof title);
  NSString *window_title = [NSString stringWithUTF8String:title];
  if (window_title != nil) [state.window setTitle:window_title];
  [state.window makeKeyAndOrderFront:nil];

  state.dirty = static_cast<unsigned char *>(std::malloc(static_cast<size_t>(height)));
  if (state.dirty == nullptr) {
    [pool release];
    return fail_init("Not enough memory");
  }
  std::memset(state.dirty, 1, static_cast<size_t>(height));

  NSDictionary *desktop = dictionary_of(CGDisplayCurrentMode(CGMainDisplayID()));
  int desktop_depth = [[desktop objectForKey:@"BitsPerPixel"] intValue];
  set_refresh_rate_info([[desktop objectForKey:@"RefreshRate"] intValue]);
  [pool release];
  // The desktop's 16 bits are the layout of a 15-bit screen.
  if (desktop_depth == 16) desktop_depth = 15;
  state.matching = desktop_depth == depth;

  use_mac_pixel_layout();
  const int stride = width * bytes_per_pixel_of_depth(depth);
  // One spare byte lets a 32-bit read of the last 24-bit pixel stay inside the block.
  state.surface = static_cast<unsigned char *>(
      std::calloc(1, static_cast<size_t>(stride) * static_cast<size_t>(height) + 1));
  if (state.surface == nullptr) return fail_init("Not enough memory");
  state.screen = make_screen_bitmap(width, height, state.surface, &quartz_window_driver, depth, stride);
  if (state.screen == nullptr) return fail_init("Not enough memory");
  draw_vtable *vtable = state.screen->vtable;
  vtable->acquire = window_acquire;
  vtable->release = window_release;
  vtable->release_line = window_release_line;
  state.screen->write_line = window_write_line;
  state.screen->read_line = window_read_line;
  set_port_colors(current_palette, 0, PALETTE_SIZE - 1);

  quartz_window_driver.width = width;
  quartz_window_driver.height = height;
  quartz_window_driver.video_memory = stride * height;
  char ascii[128];
  std::snprintf(ascii, sizeof ascii, "Cocoa window using QuickDraw view, %d bpp %s", depth,
                state.matching ? "in matching" : "in fast emulation");
  const char *text = literal(ascii, state.description, static_cast<int>(sizeof state.description));
  if (text != state.description) {
    std::snprintf(state.description, sizeof state.description, "%s", text);
  }
  quartz_window_driver.description = state.description;

  state.update_region = NewRgn();
  state.row_region = NewRgn();
  if (state.update_region == nullptr || state.row_region == nullptr) {
    bitmap *screen = state.screen;
    state.screen = nullptr;
    destroy_bitmap(screen);
    return fail_init("Not enough memory");
  }
  state.tracking = [state.view addTrackingRect:content owner:state.view userData:nullptr assumeInside:YES];
  osx_release_all_keys(0, 0);
  clear_key_buffer();
  {
    const std::lock_guard<std::mutex> hold(update_guard);
    state.gone = false;
  }
  set_window_hooks(&hooks);
  // The tracking rectangle assumes the pointer inside: the window takes it from now on. Pointer
  // positions count from the window's bottom edge and are turned over by the screen's height.
  pointer_area_height.store(height);
  place_pointer_area(state.window);
  window_takes_pointer.store(true);
  display_state.store(DISPLAY_WINDOW);
  unlock_event_mutex();
  return state.screen;
}

void window_exit(bitmap *screen) noexcept {
  (void)screen;
  lock_event_mutex();
  window_takes_pointer.store(false);
  display_state.store(DISPLAY_NONE);
  if (installed_window_hooks() == &hooks) set_window_hooks(nullptr);
  {
    const std::lock_guard<std::mutex> hold(update_guard);
    state.gone = true;
    if (state.update_region != nullptr) DisposeRgn(state.update_region);
    if (state.row_region != nullptr) DisposeRgn(state.row_region);
    state.update_region = nullptr;
    state.row_region = nullptr;
    if (state.view != nil && state.tracking != 0) [state.view removeTrackingRect:state.tracking];
    state.tracking = 0;
    // The window releases itself, and with it the view, when it closes.
    [state.window close];
    [state.view release];
    [state.delegate release];
    state.window = nil;
    state.view = nil;
    state.delegate = nil;
    std::free(state.surface);
    std::free(state.dirty);
    state.surface = nullptr;
    state.dirty = nullptr;
    // A screen made before a later step failed is the driver's to destroy.
    state.screen = nullptr;
    if (void *mutex = display_mutex.exchange(nullptr)) mutex_destroy(mutex);
  }
  release_cursor_image();
  if (state.update_sync_made) {
    // Whoever waits for an update hears that none will come.
    signal_update();
    state.update_sync_made = false;
    pthread_cond_destroy(&state.update_done);
    pthread_mutex_destroy(&state.update_mutex);
  }
  unlock_event_mutex();
}

// Waits for the next window update. A wait never outlasts update_wait_limit_ns: an update that
// does not come (no event loop, or the caller itself holding the screen the update needs) must
// not stop the program.
void window_wait_retrace() noexcept {
  if (!state.update_sync_made) return;
  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  const long long until = deadline.tv_nsec + update_wait_limit_ns;
  deadline.tv_sec += static_cast<time_t>(until / 1000000000LL);
  deadline.tv_nsec = static_cast<long>(until % 1000000000LL);
  pthread_mutex_lock(&state.update_mutex);
  const unsigned long seen = state.updates;
  while (!state.gone && state.updates == seen) {
    if (pthread_cond_timedwait(&state.update_done, &state.update_mutex, &deadline) == ETIMEDOUT) {
      break;
    }
  }
  pthread_mutex_unlock(&state.update_mutex);
}

void window_write_palette(const rgb_entry *palette, int from, int to, int retrace) noexcept {
  if (palette == nullptr || from < 0 || to > PALETTE_SIZE - 1 || from > to) return;
  if (retrace != 0) window_wait_retrace();
  lock_display();
  set_port_colors(palette, from, to);
  if (state.dirty != nullptr) std::memset(state.dirty, 1, static_cast<size_t>(state.height));
  unlock_display();
}

}  // namespace

gfx_driver quartz_window_driver = {
    .id = GFX_QUARTZ_WINDOW,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Quartz window",
    .init = window_init,
    .exit = window_exit,
    .wait_retrace = window_wait_retrace,
    .write_palette = window_write_palette,
    .set_cursor_image = quartz_set_cursor_image,
    .show_cursor = quartz_show_cursor,
    .hide_cursor = quartz_hide_cursor,
    .move_cursor = quartz_move_cursor,
    .width = 0,
    .height = 0,
    .linear = -1,
    .bank_size = 0,
    .bank_granularity = 0,
    .video_memory = 0,
    .video_base = nullptr,
    .windowed = -1,
};

bool settle_mode_size(int *width, int *height, int virtual_width, int virtual_height) noexcept {
  if (*width == 0 && *height == 0) {
    *width = 320;
    *height = 200;
  }
  // Sides stay within a QuickDraw rectangle's coordinates.
  if (*width <= 0 || *height <= 0 || *width > SHRT_MAX || *height > SHRT_MAX ||
      virtual_width > *width || virtual_height > *height) {
    set_error_text("Resolution not supported");
    return false;
  }
  return true;
}

}  // namespace corvane::macosx

using namespace corvane::macosx;

@implementation CorvaneWindow
- (void)display {
  [super display];
  mark_all_dirty();
}
- (void)miniaturize:(id)sender {
  // The Dock's picture of the window is taken from what is on show: bring it up to date first.
  refresh_window();
  [super miniaturize:sender];
}
@end

@implementation CorvaneWindowDelegate
- (BOOL)windowShouldClose:(id)sender {
  (void)sender;
  // The program decides: it hears of the request through its close callback.
  if (void (*callback)() = close_callback.load()) callback();
  return NO;
}
- (void)windowDidDeminiaturize:(NSNotification *)notification {
  (void)notification;
  mark_all_dirty();
}
- (void)windowDidMove:(NSNotification *)notification {
  (void)notification;
  lock_event_mutex();
  if (state.window != nil) place_pointer_area(state.window);
  unlock_event_mutex();
}
@end

@implementation CorvaneView
- (void)resetCursorRects {
  [super resetCursorRects];
  lock_event_mutex();
  NSCursor *cursor = current_cursor;
  if (cursor != nil) {
    [self addCursorRect:NSMakeRect(0, 0, quartz_window_driver.width, quartz_window_driver.height)
                 cursor:cursor];
    [cursor setOnMouseEntered:YES];
  }
  unlock_event_mutex();
}
@end
