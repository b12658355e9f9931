// The mouse driver's device scan: every HID mouse in IOKit's registry, its buttons counted over its
// element tree (button page elements, collections included) and its names.
#include <IOKit/hid/IOHIDLib.h>

#include <new>
#include <vector>

#include "platform/macosx/hid_registry.h"
#include "platform/macosx/osx_mouse.h"

namespace corvane::macosx {
namespace {

constexpr uint32_t USAGE_MOUSE = 0x02;

int count_buttons(const std::vector<hid::element> &elements) noexcept {
  int count = 0;
  for (const hid::element &e : elements) {
    if (e.type == hid::ELEMENT_COLLECTION) {
      count += count_buttons(e.children);
    } else if (e.usage_page == hid::PAGE_BUTTON) {
      ++count;
    }
  }
  return count;
}

void look_at(io_service_t service, pointing_device &best) {
  CFMutableDictionaryRef properties = nullptr;
  if (IORegistryEntryCreateCFProperties(service, &properties, kCFAllocatorDefault, kNilOptions) !=
          KERN_SUCCESS ||
      properties == nullptr) {
    return;
  }
  const cf_owner owner(properties);
  std::vector<hid::element> elements;
  read_element_array(value_of(properties, kIOHIDElementKey), elements, 1);
  const int buttons = count_buttons(elements);
  if (buttons <= best.buttons) return;
  best.buttons = buttons;
  // Each name comes at most 255 bytes long (string_property's bound).
  best.description = string_property(properties, kIOHIDManufacturerKey) + " " +
                     string_property(properties, kIOHIDProductKey);
}

}  // namespace

pointing_device find_pointing_device() {
  pointing_device best;
  mach_port_t master = MACH_PORT_NULL;
  if (IOMasterPort(MACH_PORT_NULL, &master) != KERN_SUCCESS) return best;
  try {
    for_each_hid_device(master, hid::PAGE_GENERIC_DESKTOP, USAGE_MOUSE,
                        [&](io_service_t service) { look_at(service, best); });
  } catch (const std::bad_alloc &) {
    best = pointing_device{};
  }
  mach_port_deallocate(mach_task_self(), master);
  return best;
}

}  // namespace corvane::macosx
