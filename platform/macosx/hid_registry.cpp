// Reading IOKit's HID registry for the Mac OS X HID drivers: property look-ups, element arrays and
// the walk over matching devices.
#include "platform/macosx/hid_registry.h"

#include <IOKit/hid/IOHIDLib.h>

#include <algorithm>
#include <type_traits>

#include "corvane/text.h"

namespace corvane::macosx {

// The value under an ASCII key; null when there is none (or no key can be made).
const void *value_of(CFDictionaryRef d, const char *key) {
  CFStringRef name = CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
  if (name == nullptr) return nullptr;
  const void *value = CFDictionaryGetValue(d, name);
  CFRelease(name);
  return value;
}

// A number property; false when it is missing, no number, or beyond 64 bits.
bool number_property(CFDictionaryRef d, const char *key, int64_t &out) {
  const auto *n = typed<std::remove_pointer_t<CFNumberRef>>(value_of(d, key), CFNumberGetTypeID());
  return n != nullptr && CFNumberGetValue(n, kCFNumberSInt64Type, &out) != 0;
}

// A string property in the current encoding; empty when it is missing or no string.
std::string string_property(CFDictionaryRef d, const char *key) {
  const auto *s = typed<std::remove_pointer_t<CFStringRef>>(value_of(d, key), CFStringGetTypeID());
  if (s == nullptr) return {};
  const CFStringEncoding encoding = CFStringGetSystemEncoding();
  const char *text = CFStringGetCStringPtr(s, encoding);
  if (text == nullptr) return {};
  char converted[256];
  convert_text_into(text, encoding == kCFStringEncodingUTF8 ? ENCODING_UTF8 : ENCODING_ASCII8,
                    converted, ENCODING_CURRENT, sizeof converted);
  return converted;
}

namespace {

// One element of the registry; false when it lacks its type or usage, which makes it unusable.
bool read_element(const void *value, hid::element &e, int depth) {
  const auto *d = typed<std::remove_pointer_t<CFDictionaryRef>>(value, CFDictionaryGetTypeID());
  if (d == nullptr) return false;
  int64_t type = 0;
  int64_t page = 0;
  int64_t usage = 0;
  if (!number_property(d, kIOHIDElementTypeKey, type) ||
      !number_property(d, kIOHIDElementUsagePageKey, page) ||
      !number_property(d, kIOHIDElementUsageKey, usage) || page < 0 || page > UINT16_MAX ||
      usage < 0 || usage > UINT16_MAX || type < 0 || type > INT32_MAX) {
    return false;
  }
  e.type = static_cast<int>(type);
  e.usage_page = static_cast<uint32_t>(page);
  e.usage = static_cast<uint32_t>(usage);
  int64_t cookie = -1;
  if (!number_property(d, kIOHIDElementCookieKey, cookie) || cookie < 0 || cookie > INT32_MAX) {
    cookie = -1;  // cannot be read
  }
  e.cookie = static_cast<int>(cookie);
  // The registry's ranges are 32-bit; anything wider is held to that, so that the position
  // arithmetic cannot overflow.
  if (!number_property(d, kIOHIDElementMinKey, e.min)) e.min = 0;
  if (!number_property(d, kIOHIDElementMaxKey, e.max)) e.max = 0;
  e.min = std::clamp<int64_t>(e.min, INT32_MIN, INT32_MAX);
  e.max = std::clamp<int64_t>(e.max, INT32_MIN, INT32_MAX);
  e.name = string_property(d, kIOHIDElementNameKey);
  if (e.type == hid::ELEMENT_COLLECTION) {
    read_element_array(value_of(d, kIOHIDElementKey), e.children, depth + 1);
  }
  return true;
}

}  // namespace

void read_element_array(const void *value, std::vector<hid::element> &out, int depth) {
  const auto *array = typed<std::remove_pointer_t<CFArrayRef>>(value, CFArrayGetTypeID());
  if (array == nullptr || depth > hid::max_collection_depth) return;
  const CFIndex count = CFArrayGetCount(array);
  for (CFIndex i = 0; i < count; ++i) {
    hid::element e;
    if (read_element(CFArrayGetValueAtIndex(array, i), e, depth)) out.push_back(std::move(e));
  }
}

void for_each_hid_device(mach_port_t master, uint32_t page, uint32_t usage,
                         const std::function<void(io_service_t)> &visit) {
  CFMutableDictionaryRef matching = IOServiceMatching(kIOHIDDeviceKey);
  if (matching == nullptr) return;
  const int page_number = static_cast<int>(page);
  const int usage_number = static_cast<int>(usage);
  CFNumberRef page_value = CFNumberCreate(kCFAllocatorDefault, kCFNumberIntType, &page_number);
  CFNumberRef use = CFNumberCreate(kCFAllocatorDefault, kCFNumberIntType, &usage_number);
  if (page_value != nullptr && use != nullptr) {
    CFDictionarySetValue(matching, CFSTR(kIOHIDPrimaryUsagePageKey), page_value);
    CFDictionarySetValue(matching, CFSTR(kIOHIDPrimaryUsageKey), use);
  }
  if (page_value != nullptr) CFRelease(page_value);
  if (use != nullptr) CFRelease(use);
  io_iterator_t iterator = 0;
  // The matching dictionary is the call's own from here on, whatever it answers.
  if (IOServiceGetMatchingServices(master, matching, &iterator) != KERN_SUCCESS) return;
  const io_owner iterator_owner(iterator);
  while (const io_service_t service = IOIteratorNext(iterator)) {
    const io_owner service_owner(service);
    visit(service);
  }
}

}  // namespace corvane::macosx
