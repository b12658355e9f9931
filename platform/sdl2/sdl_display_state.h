// What the two halves of the SDL2 display share: the screen (sdl_screen.cpp: the memory the
// program draws into, its row marks and palette, opening and closing the mode on the program's
// thread) and the presenter (sdl_presenter.cpp: the window, renderer and texture on the host
// thread, which show the changed rows once a frame).
#ifndef CORVANE_PLATFORM_SDL2_SDL_DISPLAY_STATE_H
#define CORVANE_PLATFORM_SDL2_SDL_DISPLAY_STATE_H

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "corvane/color.h"

namespace corvane::sdl {

struct window_objects {
  SDL_Window *window = nullptr;
  SDL_Renderer *renderer = nullptr;
  SDL_Texture *texture = nullptr;
  bool cursor_hidden = false;
};

// The open display.
struct display_state {
  // Guards everything but the row marks, which are atomic.
  std::mutex mutex;
  bool open = false;
  window_objects objects;    // used on the host thread only
  window_objects abandoned;  // left behind by a close that could not call SDL
  int width = 0;
  int height = 0;
  int depth = 0;
  int stride = 0;
  unsigned char *surface = nullptr;
  std::atomic<unsigned char> *changed_rows = nullptr;
  uint32_t *converted = nullptr;  // the texture's copy of the screen
  // Held by a thread drawing on the screen (from its first row access to the end of the call)
  // and by the presenter while it copies the changed rows, so the copy never reads a row that is
  // being drawn. Taken before `mutex` when both are held.
  std::mutex drawing;
  // Set while the presenter waits for `drawing`: a thread about to draw lets it go first, so a
  // program drawing without pause cannot keep the window from being updated.
  std::atomic<bool> presenter_waiting{false};
  uint32_t palette[PALETTE_SIZE] = {};
  bool redraw = false;  // the whole frame must be drawn again
  bool vsync = false;
  char driver_name[64] = "";
};

// The display. Never destroyed, so that a host thread still running at process exit finds it
// intact.
display_state &display() noexcept;

// Marks every row of the screen as changed (display locked).
void mark_every_row(display_state &d) noexcept;

// What the screen asks of the presenter when a mode opens.
struct window_request {
  int width;
  int height;
  int scale;
  bool fullscreen;
  bool vsync;
  char error[256];  // SDL's reason when the window cannot be made
};

// Makes the window, its renderer and texture on the host thread for the screen the display holds
// and opens the display: the host shows it from its next frame on. False, with request.error
// filled, when the window cannot be made or the host does not run.
bool open_window(window_request &request) noexcept;

// Closes the display and takes its window down on the host thread (or leaves it to the host's
// loop when SDL may not be called there now). False when the host did not answer.
bool close_window() noexcept;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_DISPLAY_STATE_H
