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
#include "input/hid_joystick_devices.h"
#include "input/joystick_internal.h"
#include "platform/macosx/hid_registry.h"

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
  for_each_hid_device(master, hid::PAGE_GENERIC_DESKTOP, usage,
                      [&](io_service_t service) { add_device(service, next_joystick); });
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
  if (hid::lay_out_joysticks(devices, poll_devices) == 0) return 0;
  close_all();
  return -1;
}

}  // namespace

std::string joystick_manufacturer(int n) { return hid::manufacturer_of_joystick(devices, n); }

std::string joystick_product(int n) { return hid::product_of_joystick(devices, n); }

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

}  // namespace corvane::macosx
