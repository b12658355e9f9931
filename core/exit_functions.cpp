// The exit-function list: every installed subsystem registers the function that takes it down,
// and shutdown runs them newest first; after a fatal signal only the program's own ones run.
#include <cstdlib>
#include <new>

#include "core/exit_functions.h"
#include "corvane/system.h"

namespace corvane {

namespace {

exit_func_node *exit_func_list = nullptr;

void add_exit_func(void (*function)(), const char *description, bool library) noexcept {
  if (function == nullptr) return;
  for (auto *node = exit_func_list; node != nullptr; node = node->next) {
    if (node->function == function) return;
  }
  auto *node = new (std::nothrow) exit_func_node{function, description, nullptr, library};
  if (node == nullptr) return;  // a node that cannot be allocated is silently not registered
  // The node is complete before it is linked: a fatal signal may walk the list at any moment.
  node->next = exit_func_list;
  exit_func_list = node;
}

}  // namespace

exit_func_node *exit_func_head() noexcept { return exit_func_list; }

void register_library_exit_func(void (*function)(), const char *description) noexcept {
  add_exit_func(function, description, true);
}

void shutdown_after_fatal_signal() noexcept {
  for (;;) {
    exit_func_node **link = &exit_func_list;
    while (*link != nullptr && (*link)->library) link = &(*link)->next;
    exit_func_node *node = *link;
    if (node == nullptr) return;
    *link = node->next;
    node->function();
  }
}

}  // namespace corvane

extern "C" {

void register_exit_func(void (*function)(void), const char *description) noexcept {
  corvane::add_exit_func(function, description, false);
}

void unregister_exit_func(void (*function)(void)) noexcept {
  corvane::exit_func_node **link = &corvane::exit_func_list;
  while (*link != nullptr) {
    if ((*link)->function == function) {
      corvane::exit_func_node *node = *link;
      *link = node->next;
      delete node;
      return;
    }
    link = &(*link)->next;
  }
}

}  // extern "C"
