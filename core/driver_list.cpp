// Driver identity defaults and driver-list lookup, shared by every device family.
#include "corvane/system.h"

extern "C" {

// Zero bytes enough for the terminator of any encoding, so that it reads as empty under each.
const char empty_string[8] = {};

driver_list_entry empty_driver_list[] = {{0, nullptr, 0}};

void *find_driver_in_list(const driver_list_entry *list, int id) noexcept {
  if (list == nullptr) return nullptr;
  for (const driver_list_entry *entry = list; entry->driver != nullptr; ++entry) {
    if (entry->id == id) return entry->driver;
  }
  return nullptr;
}

}  // extern "C"
