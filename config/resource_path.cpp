// The prioritised list of extra resource directories that locate_resource searches first.
#include <new>

#include "config/path_text.h"
#include "core/exit_functions.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane {

namespace {
resource_path_node *resource_paths = nullptr;
}  // namespace

const resource_path_node *resource_path_list() noexcept { return resource_paths; }

}  // namespace corvane

extern "C" {

int set_resource_path(int priority, const char *path) noexcept {
  using corvane::resource_path_node;
  resource_path_node **link = &corvane::resource_paths;
  while (*link != nullptr && (*link)->priority > priority) link = &(*link)->next;
  resource_path_node *same = (*link != nullptr && (*link)->priority == priority) ? *link : nullptr;

  if (path == nullptr) {
    if (same == nullptr) return 0;
    *link = same->next;
    delete same;
    if (corvane::resource_paths == nullptr) unregister_exit_func(destroy_resource_path_list);
    return 1;
  }

  // Build the directory first, so that a name too long for the node changes nothing.
  char directory[sizeof same->path];
  corvane::text_builder built(directory, sizeof directory);
  built.add(path);
  if (!built.ok()) return 0;
  fix_slashes(directory);
  // Like put_slash: a directory inside a data file ("file.dat#") needs no separator.
  const int last = corvane::last_char(directory);
  if (last != '/' && last != '#' && last != 0) built.add_char('/');
  if (!built.ok()) return 0;

  if (same != nullptr) {
    corvane::copy_whole(same->path, sizeof same->path, directory);
    return 1;
  }
  auto *node = new (std::nothrow) resource_path_node{};
  if (node == nullptr) return 0;
  node->priority = priority;
  corvane::copy_whole(node->path, sizeof node->path, directory);
  const bool first = corvane::resource_paths == nullptr;
  node->next = *link;
  *link = node;
  if (first) {
    corvane::register_library_exit_func(destroy_resource_path_list,
                                        "destroy_resource_path_list");
  }
  return 1;
}

void destroy_resource_path_list(void) noexcept {
  while (corvane::resource_paths != nullptr) {
    corvane::resource_path_node *next = corvane::resource_paths->next;
    delete corvane::resource_paths;
    corvane::resource_paths = next;
  }
  unregister_exit_func(destroy_resource_path_list);
}

}  // extern "C"
