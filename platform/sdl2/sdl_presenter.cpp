// The presenter of the SDL2 display, on the host thread: the window, its renderer and a streaming
// texture. Once a frame it converts the rows the program changed into the texture and presents
// it, scaled by whole multiples and centred between black bars; it draws the whole frame again
// when the window was resized, exposed or restored.
#include <SDL.h>

#include <cstring>
#include <mutex>

#include "corvane/system.h"
#include "platform/linux/unix_host.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_display_state.h"
#include "platform/sdl2/sdl_host.h"
#include "platform/sdl2/sdl_pixel_rows.h"

namespace corvane::sdl {
namespace {

void destroy_objects(window_objects &objects) noexcept {
  if (objects.texture != nullptr) SDL_DestroyTexture(objects.texture);
  if (objects.renderer != nullptr) SDL_DestroyRenderer(objects.renderer);
  if (objects.window != nullptr) SDL_DestroyWindow(objects.window);
  if (objects.cursor_hidden) SDL_ShowCursor(SDL_ENABLE);
  if (objects.window != nullptr) SDL_EnableScreenSaver();
  objects = window_objects{};
}

// The rows that changed since the last frame, converted into the texture's layout.
struct changed_span {
  int first = -1;  // -1: nothing changed
  int last = -1;
  const void *pixels = nullptr;  // row `first` of the converted copy
  int pitch = 0;
};

// Takes the changed rows and converts them (host thread, display and drawing locked). No SDL call
// is made with the locks held, so that a host stopped inside SDL for good (the display went away)
// leaves the display free for the program to draw on and close. Every depth is copied, 32 bits
// too, so that the texture is filled from memory no drawing call writes to.
changed_span take_changed_rows(display_state &d) noexcept {
  changed_span span;
  for (int row = 0; row < d.height; ++row) {
    if (d.changed_rows[row].load(std::memory_order_relaxed) == 0) continue;
    if (d.changed_rows[row].exchange(0, std::memory_order_acquire) == 0) continue;
    convert_row_to_xrgb(d.depth, d.surface + static_cast<size_t>(row) * d.stride,
                        d.converted + static_cast<size_t>(row) * d.width, d.width, d.palette);
    if (span.first < 0) span.first = row;
    span.last = row;
  }
  if (span.first < 0) return span;
  span.pixels = d.converted + static_cast<size_t>(span.first) * d.width;
  span.pitch = d.width * 4;
  return span;
}

// Host thread, display unlocked. The memory the span points into is freed only after the host
// has closed the window, so it stays valid here.
void upload(SDL_Texture *texture, int width, const changed_span &span) noexcept {
  if (span.first < 0) return;
  const SDL_Rect rect{0, span.first, width, span.last - span.first + 1};
  SDL_UpdateTexture(texture, &rect, span.pixels, span.pitch);
}

void draw_frame(SDL_Renderer *renderer, SDL_Texture *texture) noexcept {
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
}

void keep_sdl_error(window_request &request) noexcept {
  std::strncpy(request.error, SDL_GetError(), sizeof request.error - 1);
  request.error[sizeof request.error - 1] = 0;
}

// Host thread: makes the window, its renderer and the texture; all null on failure.
window_objects create_window(window_request &request, bool *vsync_active) noexcept {
  char title[unix_host::WINDOW_TITLE_SIZE];
  unix_host::copy_window_title(title, sizeof title);
  const Uint32 flags = request.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
  window_objects o;
  o.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              request.width * request.scale, request.height * request.scale, flags);
  if (o.window == nullptr) {
    keep_sdl_error(request);
    return o;
  }
  const Uint32 sync = request.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  o.renderer = SDL_CreateRenderer(o.window, -1, SDL_RENDERER_ACCELERATED | sync);
  if (o.renderer == nullptr) o.renderer = SDL_CreateRenderer(o.window, -1, SDL_RENDERER_SOFTWARE);
  if (o.renderer != nullptr) {
    o.texture = SDL_CreateTexture(o.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                  request.width, request.height);
  }
  if (o.texture == nullptr ||
      SDL_RenderSetLogicalSize(o.renderer, request.width, request.height) != 0) {
    keep_sdl_error(request);
    destroy_objects(o);
    return o;
  }
  SDL_RenderSetIntegerScale(o.renderer, SDL_TRUE);
  SDL_SetTextureBlendMode(o.texture, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(o.texture, SDL_ScaleModeNearest);
  if (request.fullscreen) {
    SDL_ShowCursor(SDL_DISABLE);
    o.cursor_hidden = true;
  } else {
    SDL_SetWindowMinimumSize(o.window, request.width, request.height);
  }
  // "disable_screensaver": 0 never, 1 in full screen (the default), 2 always.
  if (screensaver_setting >= (request.fullscreen ? 1 : 2)) {
    SDL_DisableScreenSaver();
  } else {
    SDL_EnableScreenSaver();
  }
  SDL_RendererInfo info;
  *vsync_active =
      SDL_GetRendererInfo(o.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  return o;
}

// Copies the changed rows to the texture and presents when anything changed. Returns true when it
// presented with vertical sync (the call then already waited for the display).
bool present_changes() noexcept {
  display_state &d = display();
  d.presenter_waiting.store(true, std::memory_order_relaxed);
  std::unique_lock<std::mutex> drawing(d.drawing);
  d.presenter_waiting.store(false, std::memory_order_relaxed);
  std::unique_lock<std::mutex> lock(d.mutex);
  if (!d.open || d.objects.texture == nullptr) return false;
  const changed_span span = take_changed_rows(d);
  if (span.first < 0 && !d.redraw) return false;
  d.redraw = false;
  const window_objects objects = d.objects;
  const bool vsync = d.vsync;
  const int width = d.width;
  lock.unlock();
  drawing.unlock();
  upload(objects.texture, width, span);
  draw_frame(objects.renderer, objects.texture);
  SDL_RenderPresent(objects.renderer);
  return vsync;
}

// Destroys the window objects that a close reached outside a host task left behind, and, once the
// host is ending, those of a display still open.
void destroy_abandoned_window() noexcept {
  display_state &d = display();
  window_objects objects;
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    objects = d.abandoned;
    d.abandoned = window_objects{};
    if (!video_running()) {
      if (objects.window == nullptr) objects = d.objects;
      d.objects = window_objects{};
    }
  }
  if (objects.window != nullptr) destroy_objects(objects);
}

// A resized, exposed or restored window is drawn again in full.
void handle_display_event(const SDL_Event &event) noexcept {
  if (event.type != SDL_WINDOWEVENT) return;
  switch (event.window.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: {
      display_state &d = display();
      std::lock_guard<std::mutex> lock(d.mutex);
      d.redraw = true;
      break;
    }
    default:
      break;
  }
}

bool present_frame() noexcept {
  destroy_abandoned_window();
  return present_changes();
}

// Registered when a mode first opens and kept: a window left behind by a close inside an event
// handler still goes on the host's next frame, or when the host stops.
const host_handlers presenter_handlers = {
    .event = handle_display_event,
    .events_done = nullptr,
    .frame = present_frame,
    .host_stopping = destroy_abandoned_window,
};

}  // namespace

bool open_window(window_request &request) noexcept {
  if (!add_host_handlers(&presenter_handlers)) {
    std::strncpy(request.error, "the display has no room for another user",
                 sizeof request.error - 1);
    return false;
  }
  display_state &d = display();
  window_objects made;
  auto create = [&] {
    bool vsync_active = false;
    made = create_window(request, &vsync_active);
    if (made.texture == nullptr) return;
    std::lock_guard<std::mutex> lock(d.mutex);
    d.objects = made;
    d.vsync = vsync_active;
    d.redraw = true;
    d.open = true;
    const char *name = SDL_GetCurrentVideoDriver();
    std::strncpy(d.driver_name, name != nullptr ? name : "", sizeof d.driver_name - 1);
  };
  return run_on_host(create) && made.texture != nullptr;
}

bool close_window() noexcept {
  display_state &d = display();
  auto take_down = [&] {
    window_objects objects;
    {
      std::lock_guard<std::mutex> lock(d.mutex);
      d.open = false;
      objects = d.objects;
      d.objects = window_objects{};
      if (!host_may_tear_down()) {
        // Inside an event handler (which may be ending the process) SDL is left alone; the host
        // destroys the window when it gets back to its loop.
        d.abandoned = objects;
        return;
      }
    }
    destroy_objects(objects);
  };
  return run_on_host(take_down);
}

void retitle_window() noexcept {
  SDL_Window *window = display_window();
  if (window == nullptr) return;
  char title[unix_host::WINDOW_TITLE_SIZE];
  unix_host::copy_window_title(title, sizeof title);
  SDL_SetWindowTitle(window, title);
}

SDL_Window *display_window() noexcept {
  display_state &d = display();
  std::lock_guard<std::mutex> lock(d.mutex);
  return d.objects.window;
}

bool read_presented_frame(std::vector<uint32_t> *pixels, int *width, int *height) noexcept {
  bool ok = false;
  auto read = [&] {
    display_state &d = display();
    std::unique_lock<std::mutex> lock(d.mutex);
    if (!d.open || d.objects.texture == nullptr) return;
    const changed_span span = take_changed_rows(d);
    const window_objects objects = d.objects;
    const int screen_width = d.width;
    const int screen_height = d.height;
    lock.unlock();
    upload(objects.texture, screen_width, span);
    draw_frame(objects.renderer, objects.texture);
    int w = 0;
    int h = 0;
    if (SDL_GetRendererOutputSize(objects.renderer, &w, &h) != 0 || w <= 0 || h <= 0) return;
    try {
      pixels->assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    } catch (...) {
      return;
    }
    // The logical size would otherwise clip the read to the screen's area.
    SDL_RenderSetLogicalSize(objects.renderer, 0, 0);
    SDL_RenderSetViewport(objects.renderer, nullptr);
    ok = SDL_RenderReadPixels(objects.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels->data(),
                              w * 4) == 0;
    SDL_RenderSetLogicalSize(objects.renderer, screen_width, screen_height);
    SDL_RenderSetIntegerScale(objects.renderer, SDL_TRUE);
    *width = w;
    *height = h;
  };
  return run_on_host(read) && ok;
}

}  // namespace corvane::sdl
