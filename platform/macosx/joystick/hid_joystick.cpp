// The IOKit HID joystick driver 'HIDJ': two registry scans (joysticks, then game pads), each
// device's names (its own, else its USB device's) and element tree read from its properties and
// laid out by the HID element rules, the device opened through its plug-in and device interface,
// and every poll reading each element's current value.
#include "platform/macosx/joystick/hid_joystick.h"

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOCFPlugIn.h>
#include <IOKit/IOKitLib.h>
#include <IOKit/hid/IOHIDLib.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "corvane/text.h"
#include "input/hid_elements.h"
#include "input/joystick_internal.h"

namespace corvane::macosx {
namespace {

using device_interface = IOHIDDeviceInterface **;

struct device {
  device_interface interface = nullptr;
  std::string manufacturer;  // current encoding
  std::string product;
  std::vector<hid::joystick_part> parts;
  int first_joystick = 0;
  int joystick_total = 0;
};

std::vector<std::unique_ptr<device>> devices;

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

void read_element_array(const void *value, std::vector<hid::element> &out, int depth);

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

void read_element_array(const void *value, std::vector<hid::element> &out, int depth) {
  const auto *array = typed<std::remove_pointer_t<CFArrayRef>>(value, CFArrayGetTypeID());
  if (array == nullptr || depth > hid::max_collection_depth) return;
  const CFIndex count = CFArrayGetCount(array);
  for (CFIndex i = 0; i < count; ++i) {
    hid::element e;
    if (read_element(CFArrayGetValueAtIndex(array, i), e, depth)) out.push_back(std::move(e));
  }
}

// The names of the USB device two levels above the HID device, for devices that name nothing.
void read_usb_names(io_service_t service, device &d) {
  io_registry_entry_t parent = 0;
  if (IORegistryEntryGetParentEntry(service, kIOServicePlane, &parent) != KERN_SUCCESS) return;
  const io_owner interface_entry(parent);
  io_registry_entry_t grandparent = 0;
  if (IORegistryEntryGetParentEntry(parent, kIOServicePlane, &grandparent) != KERN_SUCCESS) return;
  const io_owner usb_entry(grandparent);
  CFMutableDictionaryRef usb = nullptr;
  if (IORegistryEntryCreateCFProperties(grandparent, &usb, kCFAllocatorDefault, kNilOptions) !=
          KERN_SUCCESS ||
      usb == nullptr) {
    return;
  }
  const cf_owner usb_owner(usb);
  if (d.manufacturer.empty()) d.manufacturer = string_property(usb, "USB Vendor Name");
  if (d.product.empty()) d.product = string_property(usb, "USB Product Name");
}

// The device's HID interface, open; null when it cannot be had or opened (nothing is left held).
device_interface open_interface(io_service_t service) {
  IOCFPlugInInterface **plug_in = nullptr;
  SInt32 score = 0;
  if (IOCreatePlugInInterfaceForService(service, kIOHIDDeviceUserClientTypeID,
                                        kIOCFPlugInInterfaceID, &plug_in, &score) != KERN_SUCCESS ||
      plug_in == nullptr) {
    return nullptr;
  }
  LPVOID found = nullptr;
  const HRESULT answer = (*plug_in)->QueryInterface(
      plug_in, CFUUIDGetUUIDBytes(kIOHIDDeviceInterfaceID), &found);
  (*plug_in)->Release(plug_in);
  auto interface = static_cast<device_interface>(found);
  if (answer != S_OK || interface == nullptr) return nullptr;
  if ((*interface)->open(interface, kIOHIDOptionsTypeNone) != kIOReturnSuccess) {
    (*interface)->Release(interface);
    return nullptr;
  }
  return interface;
}

// Reads one matched device; its joysticks take the next numbers only once it is open.
void add_device(io_service_t service, int &next_joystick) {
  CFMutableDictionaryRef properties = nullptr;
  if (IORegistryEntryCreateCFProperties(service, &properties, kCFAllocatorDefault, kNilOptions) !=
          KERN_SUCCESS ||
      properties == nullptr) {
    return;
  }
  const cf_owner properties_owner(properties);
  auto d = std::make_unique<device>();
  d->manufacturer = string_property(properties, kIOHIDManufacturerKey);
  d->product = string_property(properties, kIOHIDProductKey);
  if (d->manufacturer.empty() || d->product.empty()) read_usb_names(service, *d);
  std::vector<hid::element> top_level;
  read_element_array(value_of(properties, kIOHIDElementKey), top_level, 1);
  int after = next_joystick;
  hid::read_device_elements(top_level, after, d->parts);
  if (after == next_joystick) return;  // no joystick or game pad in it
  d->interface = open_interface(service);
  if (d->interface == nullptr) return;  // dropped: most often another program holds it
  d->first_joystick = next_joystick;
  d->joystick_total = after - next_joystick;
  next_joystick = after;
  devices.push_back(std::move(d));
}

void scan(mach_port_t master, uint32_t usage, int &next_joystick) {
  CFMutableDictionaryRef matching = IOServiceMatching(kIOHIDDeviceKey);
  if (matching == nullptr) return;
  const int page_number = static_cast<int>(hid::PAGE_GENERIC_DESKTOP);
  const int usage_number = static_cast<int>(usage);
  CFNumberRef page = CFNumberCreate(kCFAllocatorDefault, kCFNumberIntType, &page_number);
  CFNumberRef use = CFNumberCreate(kCFAllocatorDefault, kCFNumberIntType, &usage_number);
  if (page != nullptr && use != nullptr) {
    CFDictionarySetValue(matching, CFSTR(kIOHIDPrimaryUsagePageKey), page);
    CFDictionarySetValue(matching, CFSTR(kIOHIDPrimaryUsageKey), use);
  }
  if (page != nullptr) CFRelease(page);
  if (use != nullptr) CFRelease(use);
  io_iterator_t iterator = 0;
  // The matching dictionary is the call's own from here on, whatever it answers.
  if (IOServiceGetMatchingServices(master, matching, &iterator) != KERN_SUCCESS) return;
  const io_owner iterator_owner(iterator);
  while (const io_service_t service = IOIteratorNext(iterator)) {
    const io_owner service_owner(service);
    add_device(service, next_joystick);
  }
}

void close_all() noexcept {
  for (auto &d : devices) {
    (*d->interface)->close(d->interface);
    (*d->interface)->Release(d->interface);
  }
  devices.clear();
}

int poll_devices() {
  if (joystick_count == 0) return -1;
  for (const auto &d : devices) {
    for (const hid::joystick_part &part : d->parts) {
      if (!part.enabled || part.cookie < 0) continue;
      IOHIDEventStruct event{};
      // NOLINTNEXTLINE(performance-no-int-to-ptr): IOKit's element cookies are numbers.
      const auto cookie = reinterpret_cast<IOHIDElementCookie>(static_cast<intptr_t>(part.cookie));
      if ((*d->interface)->getElementValue(d->interface, cookie, &event) != kIOReturnSuccess) {
        continue;
      }
      hid::apply_part_value(part, event.value, joysticks);
    }
  }
  return 0;
}

void close_driver() { close_all(); }

int open_driver() {
  close_all();
  joystick_count = 0;
  mach_port_t master = MACH_PORT_NULL;
  if (IOMasterPort(MACH_PORT_NULL, &master) != KERN_SUCCESS) return -1;
  int next_joystick = 0;
  try {
    scan(master, hid::USAGE_JOYSTICK, next_joystick);
    scan(master, hid::USAGE_GAME_PAD, next_joystick);
  } catch (const std::bad_alloc &) {
    next_joystick = 0;
    close_all();
  }
  mach_port_deallocate(mach_task_self(), master);
  // Joysticks beyond the table are not counted: the program reads joysticks[] up to the count.
  joystick_count = std::min(next_joystick, JOYSTICK_COUNT_MAX);
  for (joystick_info &joystick : joysticks) reset_joystick(joystick);
  for (auto &d : devices) hid::register_parts(d->parts, joysticks);
  (void)poll_devices();
  if (joystick_count > 0) return 0;
  close_all();
  return -1;
}

const device *device_of(int n) noexcept {
  for (const auto &d : devices) {
    if (n >= d->first_joystick && n < d->first_joystick + d->joystick_total) return d.get();
  }
  return nullptr;
}

}  // namespace

std::string joystick_manufacturer(int n) {
  const device *d = device_of(n);
  return d != nullptr ? d->manufacturer : std::string();
}

std::string joystick_product(int n) {
  const device *d = device_of(n);
  return d != nullptr ? d->product : std::string();
}

joystick_driver_rec hid_joystick_driver = {
    .id = JOYSTICK_HID,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "HID Joystick",
    .open = open_driver,
    .close = close_driver,
    .poll = poll_devices,
    .save_data = nullptr,
    .load_data = nullptr,
    .calibrate_name = nullptr,
    .calibrate = nullptr,
    .rumble = nullptr,
};

driver_list_entry macosx_joystick_driver_list[] = {
    {JOYSTICK_HID, &hid_joystick_driver, -1},
    {JOYSTICK_NONE, &joystick_none, -1},
    {0, nullptr, 0},
};

}  // namespace corvane::macosx
