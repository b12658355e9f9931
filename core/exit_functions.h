// The exit-function list node, visible inside the library for shutdown and for tests.
#ifndef CORVANE_CORE_EXIT_FUNCTIONS_H
#define CORVANE_CORE_EXIT_FUNCTIONS_H

namespace corvane {

struct exit_func_node {
  void (*function)();
  const char *description;  // plain ASCII, not copied
  exit_func_node *next;
  // One of the library's own subsystem removers: the shutdown after a fatal signal leaves it.
  bool library;
};

// The newest node, or null when the list is empty.
exit_func_node *exit_func_head() noexcept;

// Registers a remover of one of the library's subsystems, as register_exit_func does. These take
// the subsystem's locks and wait for its threads, which code interrupted by a fatal signal may hold
// or block, so the shutdown after such a signal neither runs them nor unregisters them.
void register_library_exit_func(void (*function)(), const char *description) noexcept;

// The shutdown of the fatal-signal path, safe whatever lock the interrupted code holds: it runs
// the program's own exit functions, newest first, and nothing else (no library remover, no system
// driver exit, no freeing: the interrupted code may be inside the allocator). Each function it
// runs is unlinked from the list; its node is left to the dying process.
void shutdown_after_fatal_signal() noexcept;

}  // namespace corvane

#endif  // CORVANE_CORE_EXIT_FUNCTIONS_H
