// The pointer over the SDL2 window: a colour cursor made from the mouse's sprite at the window's
// current whole-multiple scale (made again when the scale changes), the system's arrow, busy and
// I-beam pointers, and showing or hiding whichever is current. SDL cursors are made, set and freed
// on the host thread only; the program's thread hands the sprite's picture over.
#include "platform/sdl2/sdl_cursor.h"

#include <SDL.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <utility>

#include "corvane/color.h"
#include "corvane/gfx.h"
#include "corvane/mouse.h"
#include "platform/sdl2/sdl_display_state.h"
#include "platform/sdl2/sdl_host.h"

namespace corvane::sdl {
namespace {

// The cursors made so far. Host thread only.
struct cursor_state {
  std::vector<uint32_t> image;  // the sprite's picture at scale 1
  int width = 0;
  int height = 0;
  int focus_x = 0;
  int focus_y = 0;
  int scale = 0;                 // the scale `sprite` was made at
  SDL_Cursor *sprite = nullptr;  // made from image
  SDL_Cursor *system[MOUSE_CURSOR_COUNT] = {};
  bool sprite_current = false;   // the sprite's cursor is the one set
};
cursor_state cursors;

// The window's whole-multiple scale as the renderer presents it; 1 without a window.
int window_scale() noexcept {
  display_state &d = display();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (d.objects.renderer == nullptr) return 1;
  float x = 1.0f;
  float y = 1.0f;
  SDL_RenderGetScale(d.objects.renderer, &x, &y);
  return std::max(1, static_cast<int>(std::min(x, y)));
}

SDL_Cursor *make_sprite_cursor(int scale) noexcept {
  const int width = cursors.width * scale;
  const int height = cursors.height * scale;
  SDL_Surface *surface =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  if (surface == nullptr) return nullptr;
  SDL_LockSurface(surface);
  for (int y = 0; y < height; ++y) {
    auto *row = reinterpret_cast<uint32_t *>(static_cast<unsigned char *>(surface->pixels) +
                                             static_cast<size_t>(y) * surface->pitch);
    const uint32_t *source = cursors.image.data() + static_cast<size_t>(y / scale) * cursors.width;
    for (int x = 0; x < width; ++x) row[x] = source[x / scale];
  }
  SDL_UnlockSurface(surface);
  SDL_Cursor *cursor = SDL_CreateColorCursor(surface, scaled_hot_spot(cursors.focus_x, scale),
                                             scaled_hot_spot(cursors.focus_y, scale));
  SDL_FreeSurface(surface);
  return cursor;
}

void free_sprite_cursor() noexcept {
  if (cursors.sprite != nullptr) SDL_FreeCursor(cursors.sprite);
  cursors.sprite = nullptr;
  cursors.sprite_current = false;
  cursors.scale = 0;
}

// Host thread: the sprite's cursor at the window's scale; false when it cannot be made.
bool rebuild_sprite_cursor() noexcept {
  const int scale = window_scale();
  if (cursors.sprite != nullptr && cursors.scale == scale) return true;
  const bool was_current = cursors.sprite_current;
  SDL_Cursor *made = cursors.image.empty() ? nullptr : make_sprite_cursor(scale);
  if (made == nullptr) return false;
  if (was_current) SDL_SetCursor(made);
  if (cursors.sprite != nullptr) SDL_FreeCursor(cursors.sprite);
  cursors.sprite = made;
  cursors.scale = scale;
  cursors.sprite_current = was_current;
  return true;
}

void free_every_cursor() noexcept {
  free_sprite_cursor();
  for (SDL_Cursor *&cursor : cursors.system) {
    if (cursor != nullptr) SDL_FreeCursor(cursor);
    cursor = nullptr;
  }
  cursors.image.clear();
}

// A window that changed size may present at another scale: the cursor follows.
void handle_cursor_event(const SDL_Event &event) noexcept {
  if (event.type != SDL_WINDOWEVENT || event.window.event != SDL_WINDOWEVENT_SIZE_CHANGED) return;
  if (cursors.sprite != nullptr) rebuild_sprite_cursor();
}

void cursors_at_host_stop() noexcept {
  // SDL frees what is left of its cursors with video; the pointers must not outlive that.
  free_every_cursor();
}

const host_handlers cursor_handlers = {
    .event = handle_cursor_event,
    .events_done = nullptr,
    .frame = nullptr,
    .host_stopping = cursors_at_host_stop,
};

// Runs a task on the host with the cursor handlers registered; false when the host does not run.
template <class Task>
bool on_host(Task &task) noexcept {
  if (!add_host_handlers(&cursor_handlers)) return false;
  return run_on_host(task);
}

SDL_SystemCursor system_pointer_of(int cursor, bool *known) noexcept {
  *known = true;
  switch (cursor) {
    case MOUSE_CURSOR_ARROW:
      return SDL_SYSTEM_CURSOR_ARROW;
    case MOUSE_CURSOR_BUSY:
      return SDL_SYSTEM_CURSOR_WAIT;
    case MOUSE_CURSOR_EDIT:
      return SDL_SYSTEM_CURSOR_IBEAM;
    default:
      *known = false;
      return SDL_SYSTEM_CURSOR_ARROW;
  }
}

uint32_t argb_of(int depth, int color) noexcept {
  int r;
  int g;
  int b;
  if (depth == 8) {
    const rgb_entry &entry = current_palette[color & 0xFF];
    r = SCALE_6_TO_8[entry.r & 63];
    g = SCALE_6_TO_8[entry.g & 63];
    b = SCALE_6_TO_8[entry.b & 63];
  } else {
    r = get_red_depth(depth, color);
    g = get_green_depth(depth, color);
    b = get_blue_depth(depth, color);
  }
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

}  // namespace

std::vector<uint32_t> cursor_pixels(bitmap *sprite, int scale) {
  const int depth = bitmap_color_depth(sprite);
  std::vector<uint32_t> pixels;
  if (depth == 0 || scale < 1) return pixels;
  const int width = sprite->width * scale;
  const int height = sprite->height * scale;
  pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < sprite->height; ++y) {
    for (int x = 0; x < sprite->width; ++x) {
      const int color = sprite->vtable->get_pixel(sprite, x, y);
      const uint32_t value = color == sprite->vtable->mask_color ? 0u : argb_of(depth, color);
      for (int dy = 0; dy < scale; ++dy) {
        uint32_t *row = pixels.data() + static_cast<size_t>(y * scale + dy) * width;
        std::fill_n(row + static_cast<size_t>(x) * scale, scale, value);
      }
    }
  }
  return pixels;
}

int scaled_hot_spot(int focus, int scale) noexcept { return focus * scale + scale / 2; }

int set_cursor_image(bitmap *sprite, int focus_x, int focus_y) {
  if (sprite == nullptr || bitmap_color_depth(sprite) == 0 || sprite->width <= 0 ||
      sprite->height <= 0) {
    return -1;
  }
  std::vector<uint32_t> image;
  try {
    image = cursor_pixels(sprite, 1);
  } catch (const std::bad_alloc &) {
    return -1;
  }
  bool made = false;
  auto make = [&] {
    // The old cursor goes only once the new one is set, so that the pointer never falls back to
    // the system's in between.
    SDL_Cursor *old = cursors.sprite;
    cursors.sprite = nullptr;
    cursors.scale = 0;
    cursors.image = std::move(image);
    cursors.width = sprite->width;
    cursors.height = sprite->height;
    cursors.focus_x = std::clamp(focus_x, 0, sprite->width - 1);
    cursors.focus_y = std::clamp(focus_y, 0, sprite->height - 1);
    made = rebuild_sprite_cursor();
    if (!made) cursors.sprite_current = false;
    if (old != nullptr) SDL_FreeCursor(old);
  };
  return on_host(make) && made ? 0 : -1;
}

int show_cursor(bitmap *bmp, int /*x*/, int /*y*/) {
  if (bmp == nullptr || bmp != screen_bitmap) return -1;
  bool shown = false;
  auto show = [&] {
    if (!rebuild_sprite_cursor()) return;
    SDL_SetCursor(cursors.sprite);
    SDL_ShowCursor(SDL_ENABLE);
    cursors.sprite_current = true;
    shown = true;
  };
  return on_host(show) && shown ? 0 : -1;
}

void hide_cursor() {
  auto hide = [] { SDL_ShowCursor(SDL_DISABLE); };
  on_host(hide);
}

void move_cursor(int /*x*/, int /*y*/) {}

int select_system_pointer(int cursor) {
  bool known = false;
  const SDL_SystemCursor id = system_pointer_of(cursor, &known);
  if (!known) return 0;
  bool shown = false;
  auto select = [&] {
    SDL_Cursor *&made = cursors.system[cursor];
    if (made == nullptr) made = SDL_CreateSystemCursor(id);
    if (made == nullptr) return;
    SDL_SetCursor(made);
    SDL_ShowCursor(SDL_ENABLE);
    cursors.sprite_current = false;
    shown = true;
  };
  return on_host(select) && shown ? cursor : 0;
}

void restore_default_pointer() {
  auto restore = [] {
    SDL_Cursor *standard = SDL_GetDefaultCursor();
    if (standard != nullptr) SDL_SetCursor(standard);
    free_every_cursor();
    display_state &d = display();
    bool hidden;
    {
      std::lock_guard<std::mutex> lock(d.mutex);
      hidden = d.objects.cursor_hidden;
    }
    SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
  };
  run_on_host(restore);
}

}  // namespace corvane::sdl
