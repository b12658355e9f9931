// The registry of object types that data files and sound loaders know how to load and destroy.
#include "corvane/system.h"

namespace {

constexpr object_type_entry free_entry{-1, nullptr, nullptr};

}  // namespace

extern "C" {

object_type_entry object_type_registry[OBJECT_TYPE_REGISTRY_SIZE] = {
    free_entry, free_entry, free_entry, free_entry, free_entry, free_entry, free_entry, free_entry,
    free_entry, free_entry, free_entry, free_entry, free_entry, free_entry, free_entry, free_entry,
    free_entry, free_entry, free_entry, free_entry, free_entry, free_entry, free_entry, free_entry,
    free_entry, free_entry, free_entry, free_entry, free_entry, free_entry, free_entry, free_entry};

void register_object_type(int type, void *(*loader)(struct packfile *file, long size),
                          void (*destructor)(void *object)) noexcept {
  for (auto &entry : object_type_registry) {
    if (entry.type == type) {
      if (loader != nullptr) entry.loader = loader;
      if (destructor != nullptr) entry.destructor = destructor;
      return;
    }
  }
  for (auto &entry : object_type_registry) {
    if (entry.type == -1) {
      entry = object_type_entry{type, loader, destructor};
      return;
    }
  }
}

}  // extern "C"
