// Losing the X server. When the connection to the display breaks (the server ends, or the program
// is disconnected from it), the X library calls its fatal-error handler and then ends the process
// with exit() on the thread that noticed, which is the host thread. The program's own thread would
// then return from whatever library call was waiting for the display and race that exit with its
// own, so that the process could end with the program's status of success. Instead the host
// thread reports the loss, stops answering for good, and sends the process the termination
// signal: the library's signal handling shuts everything down on a program thread and ends the
// process by the signal.
//
// The X library is the one SDL loaded; it is reached by name, so that nothing here needs the X
// development files or links the X library itself.
#include <SDL.h>
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "platform/sdl2/sdl_host.h"

namespace corvane::sdl {
namespace {

// int (*)(Display *), with the display left opaque.
using io_error_handler = int (*)(void *display);
using set_io_error_handler_function = io_error_handler (*)(io_error_handler handler);

set_io_error_handler_function set_handler = nullptr;
io_error_handler previous_handler = nullptr;
bool watching = false;

int connection_lost(void * /*display*/) {
  static const char message[] = "Corvane: the connection to the display was lost\n";
  (void)!write(STDERR_FILENO, message, sizeof message - 1);
  host_lost_display();
  kill(getpid(), SIGTERM);
  // The host thread never returns into the X library, which would end the process here. It
  // blocks the termination signal, so a program thread takes it.
  for (;;) pause();
}

}  // namespace

void watch_display_connection() noexcept {
  const char *driver = SDL_GetCurrentVideoDriver();
  if (watching || driver == nullptr || std::strcmp(driver, "x11") != 0) return;
  // Already loaded by SDL: RTLD_NOLOAD only finds it.
  void *library = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (library == nullptr) return;
  set_handler =
      reinterpret_cast<set_io_error_handler_function>(dlsym(library, "XSetIOErrorHandler"));
  if (set_handler != nullptr) {
    previous_handler = set_handler(connection_lost);
    watching = true;
  }
  // SDL keeps its own reference until it quits video, after the watch has ended.
  dlclose(library);
}

void stop_watching_display_connection() noexcept {
  if (!watching) return;
  set_handler(previous_handler);
  watching = false;
}

}  // namespace corvane::sdl
