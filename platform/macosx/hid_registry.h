// Reading IOKit's HID registry, shared by the Mac OS X HID drivers (the joystick and the mouse's
// device scan): owners that give back registry objects and CoreFoundation objects, typed property
// look-ups, a device's "Elements" arrays read as HID elements, and the walk over the devices
// whose primary usage matches.
#ifndef CORVANE_PLATFORM_MACOSX_HID_REGISTRY_H
#define CORVANE_PLATFORM_MACOSX_HID_REGISTRY_H

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOKitLib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "input/hid_elements.h"

namespace corvane::macosx {

// Releases a CoreFoundation object it owns.
struct cf_releaser {
  void operator()(const void *object) const noexcept { CFRelease(object); }
};
using cf_owner = std::unique_ptr<const void, cf_releaser>;

// Gives back a registry object it owns.
class io_owner {
 public:
  explicit io_owner(io_object_t object) noexcept : object_(object) {}
  ~io_owner() {
    if (object_ != 0) IOObjectRelease(object_);
  }
  io_owner(const io_owner &) = delete;
  io_owner &operator=(const io_owner &) = delete;
  io_object_t get() const noexcept { return object_; }

 private:
  io_object_t object_;
};

template <class T>
const T *typed(const void *value, CFTypeID type) {
  return value != nullptr && CFGetTypeID(value) == type ? static_cast<const T *>(value) : nullptr;
}

// The value under an ASCII key; null when there is none (or no key can be made).
const void *value_of(CFDictionaryRef d, const char *key);

// A number property; false when it is missing, no number, or beyond 64 bits.
bool number_property(CFDictionaryRef d, const char *key, int64_t &out);

// A string property in the current encoding; empty when it is missing or no string.
std::string string_property(CFDictionaryRef d, const char *key);

// The elements of a registry "Elements" array (value may be anything: what is no array of element
// dictionaries adds nothing); depth counts the collections it lies in.
void read_element_array(const void *value, std::vector<hid::element> &out, int depth);

// Calls visit with every HID device of the registry whose primary usage page and usage are these,
// in registry order; the service is released after the call.
void for_each_hid_device(mach_port_t master, uint32_t page, uint32_t usage,
                         const std::function<void(io_service_t)> &visit);

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_HID_REGISTRY_H
