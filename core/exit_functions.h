// The exit-function list node, visible inside the library for shutdown and for tests.
#ifndef CORVANE_CORE_EXIT_FUNCTIONS_H
#define CORVANE_CORE_EXIT_FUNCTIONS_H

namespace corvane {

struct exit_func_node {
  void (*function)();
  const char *description;  // plain ASCII, not copied
  exit_func_node *next;
};

// The newest node, or null when the list is empty.
exit_func_node *exit_func_head() noexcept;

}  // namespace corvane

#endif  // CORVANE_CORE_EXIT_FUNCTIONS_H
