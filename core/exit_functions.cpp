// The exit-function list: every installed subsystem registers the function that takes it down,
// and shutdown runs them newest first.
#include <cstdlib>
#include <new>

#include "core/exit_functions.h"
#include "corvane/system.h"

namespace corvane {

namespace {
exit_func_node *exit_func_list = nullptr;
}  // namespace

exit_func_node *exit_func_head() noexcept { return exit_func_list; }

}  // namespace corvane

extern "C" {

void register_exit_func(void (*function)(void), const char *description) noexcept {
  if (function == nullptr) return;
  for (auto *node = corvane::exit_func_list; node != nullptr; node = node->next) {
    if (node->function == function) return;
  }
  auto *node = new (std::nothrow) corvane::exit_func_node{function, description, nullptr};
  if (node == nullptr) return;  // a node that cannot be allocated is silently not registered
  node->next = corvane::exit_func_list;
  corvane::exit_func_list = node;
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
