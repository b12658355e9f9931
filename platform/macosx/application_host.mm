// The process entry of a Mac OS X program and its application delegate: the process becomes a
// Cocoa application with a menu, the program's main function runs on a thread of its own, and the
// main thread runs the event loop for the life of the process.
#include <Carbon/Carbon.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/macosx/macosx_cocoa.h"

namespace corvane::macosx {

bool launched_from_bundle_location() noexcept {
  ProcessSerialNumber process = {0, kCurrentProcess};
  FSRef location;
  FSCatalogInfo info;
  if (GetProcessBundleLocation(&process, &location) != noErr) return false;
  if (FSGetCatalogInfo(&location, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr) != noErr) {
    return false;
  }
  return (info.nodeFlags & kFSNodeIsDirectoryMask) != 0;
}

void build_application_menu() noexcept {
  NSString *title = [[[NSBundle mainBundle] infoDictionary] objectForKey:@"CFBundleName"];
  if (title == nil) title = [[NSProcessInfo processInfo] processName];
  if (title == nil) return;

  // The menu bar's own title is never shown.
  // NOLINTNEXTLINE(clang-analyzer-optin.osx.cocoa.localizability.NonLocalizedStringChecker)
  NSMenu *main_menu = [[NSMenu alloc] initWithTitle:@"temp"];
  NSMenu *application_menu = [[NSMenu alloc] initWithTitle:title];
  NSMenuItem *application_item = [[NSMenuItem alloc] initWithTitle:title
                                                             action:nullptr
                                                      keyEquivalent:@""];
  NSMenuItem *quit_item = [[NSMenuItem alloc] initWithTitle:[@"Quit " stringByAppendingString:title]
                                                     action:@selector(terminate:)
                                              keyEquivalent:@"q"];
  if (main_menu != nil && application_menu != nil && application_item != nil && quit_item != nil) {
    [quit_item setKeyEquivalentModifierMask:NSCommandKeyMask];
    [quit_item setTarget:NSApp];
    [application_menu addItem:quit_item];
    [main_menu addItem:application_item];
    [NSApp setMainMenu:main_menu];
    [main_menu setSubmenu:application_menu forItem:application_item];
    [NSApp setAppleMenu:application_menu];
  }
  [quit_item release];
  [application_item release];
  [application_menu release];
  [main_menu release];
}

void settle_in_bundle() noexcept {
  if (!launched_from_bundle_location()) return;
  main_bundle = [[NSBundle mainBundle] retain];

  NSFileManager *files = [NSFileManager defaultManager];
  NSString *resources = [main_bundle resourcePath];
  NSString *own = [resources stringByAppendingPathComponent:[[main_bundle executablePath]
                                                                lastPathComponent]];
  BOOL is_directory = NO;
  if ([files fileExistsAtPath:own isDirectory:&is_directory] && is_directory) {
    [files changeCurrentDirectoryPath:own];
  } else if ([files fileExistsAtPath:resources isDirectory:&is_directory] && is_directory) {
    [files changeCurrentDirectoryPath:resources];
  }

  // The program sees the bundle as its path, followed by the file it was opened with. Without
  // memory for them it keeps the arguments it was started with.
  char *bundle_path = strdup([[main_bundle bundlePath] fileSystemRepresentation]);
  auto **arguments = static_cast<char **>(std::calloc(3, sizeof(char *)));
  if (bundle_path == nullptr || arguments == nullptr) {
    std::free(bundle_path);
    std::free(arguments);
    return;
  }
  arguments[0] = bundle_path;
  arguments[1] = opened_file;
  saved_argv = arguments;
  saved_argc = opened_file != nullptr ? 2 : 1;
}

void read_refresh_rate() noexcept {
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  NSDictionary *mode = dictionary_of(CGDisplayCurrentMode(CGMainDisplayID()));
  const int rate = [[mode objectForKey:@"RefreshRate"] intValue];
  refresh_rate.store(rate > 0 ? rate : DEFAULT_REFRESH_RATE);
  [pool release];
}

unsigned event_loop_pass() noexcept {
  // Each pass has a pool of its own, so that the events of a pass do not pile up for the life of
  // the process.
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  const window_hooks *hooks = installed_window_hooks();
  if (display_state.load() == DISPLAY_WINDOW && hooks != nullptr &&
      hooks->refresh_window != nullptr) {
    hooks->refresh_window();
  }
  lock_event_mutex();
  if (display_state.load() == DISPLAY_FULLSCREEN && palette_dirty.load()) {
    CGDisplaySetPalette(CGMainDisplayID(), hardware_palette.load());
    palette_dirty.store(false);
  }
  while (NSEvent *event = [NSApp nextEventMatchingMask:NSAnyEventMask
                                             untilDate:[NSDate distantPast]
                                                inMode:NSDefaultRunLoopMode
                                               dequeue:YES]) {
    dispatch_event(event);
  }
  unlock_event_mutex();
  [pool release];
  const int rate = refresh_rate.load();
  return 1000000U / static_cast<unsigned>(rate > 0 ? rate : DEFAULT_REFRESH_RATE);
}

int run_application_host(int argc, char **argv) noexcept {
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  CorvaneAppDelegate *delegate = [[CorvaneAppDelegate alloc] init];
  saved_argc = argc;
  saved_argv = argv;

  if (!window_server_usable()) {
    // No Cocoa at all: the program runs here, and its system driver will refuse to start.
    const int result = corvane_application_main(argc, argv);
    [delegate release];
    [pool release];
    return result;
  }

  [NSApplication sharedApplication];
  BOOL menu_loaded = NO;
  if (launched_from_bundle_location()) menu_loaded = [NSBundle loadNibNamed:@"MainMenu" owner:NSApp];
  if (!menu_loaded) build_application_menu();

  [NSApp setDelegate:delegate];
  [NSApp run];
  [delegate release];
  [pool release];
  return 0;
}

}  // namespace corvane::macosx

using namespace corvane::macosx;

namespace {

// The main thread's pool once the application has launched; it lives as long as the process.
NSAutoreleasePool *main_thread_pool = nil;

}  // namespace

@implementation CorvaneAppDelegate

- (BOOL)application:(NSApplication *)application openFile:(NSString *)filename {
  (void)application;
  char *copy = strdup([filename lossyCString]);
  if (copy == nullptr) return NO;
  std::free(opened_file);
  opened_file = copy;
  return YES;
}

- (void)applicationDidFinishLaunching:(NSNotification *)notification {
  (void)notification;
  event_mutex.store(mutex_create());
  main_thread_pool = [[NSAutoreleasePool alloc] init];
  settle_in_bundle();
  read_refresh_rate();
  [NSThread detachNewThreadSelector:@selector(app_main:)
                           toTarget:[CorvaneAppDelegate class]
                         withObject:nil];
  for (;;) usleep(event_loop_pass());
}

- (void)applicationDidChangeScreenParameters:(NSNotification *)notification {
  (void)notification;
  const window_hooks *hooks = installed_window_hooks();
  if (display_state.load() == DISPLAY_WINDOW && hooks != nullptr &&
      hooks->screen_parameters_changed != nullptr) {
    hooks->screen_parameters_changed();
  }
  read_refresh_rate();
}

- (NSApplicationTerminateReply)applicationShouldTerminate:(id)sender {
  (void)sender;
  // Quitting is the program's decision: it hears of the request, and the process goes on.
  if (void (*callback)() = close_callback.load()) callback();
  return NSTerminateCancel;
}

+ (void)app_main:(id)argument {
  (void)argument;
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  const int result = corvane_application_main(saved_argc, saved_argv);
  [pool release];
  std::exit(result);
}

@end
