// How the hidraw joystick driver reaches the devices: listing the hidraw nodes, opening one,
// reading its report descriptor, its names and its input reports. The driver goes through this
// record so that tests can hand it recorded devices.
#ifndef CORVANE_PLATFORM_LINUX_HIDRAW_ACCESS_H
#define CORVANE_PLATFORM_LINUX_HIDRAW_ACCESS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::hidraw {

struct hidraw_access {
  // The device nodes to look at, in the order their joysticks are numbered. May throw
  // std::bad_alloc.
  std::vector<std::string> (*list_devices)();
  // Opens a node for reads that do not block; a handle, or -1 when it cannot be opened.
  int (*open_device)(const char *path) noexcept;
  // The device's report descriptor; false when it cannot be read. May throw std::bad_alloc.
  bool (*read_descriptor)(int handle, std::vector<uint8_t> &descriptor);
  // The manufacturer's and the product's names in UTF-8, empty when the device does not say.
  // May throw std::bad_alloc.
  void (*read_names)(int handle, const char *path, std::string &manufacturer, std::string &product);
  // Takes the next pending input report into buffer: its length, 0 when none is pending, -1
  // when the device has gone (unplugged) or failed.
  long (*read_report)(int handle, uint8_t *buffer, std::size_t size) noexcept;
  void (*close_device)(int handle) noexcept;
};

// The nodes "hidraw<number>" of a directory, in number order. May throw std::bad_alloc.
std::vector<std::string> list_hidraw_nodes(const char *directory);

// The real devices: /dev/hidraw0, /dev/hidraw1, ... with the names from sysfs.
extern const hidraw_access system_hidraw_access;

// The access the driver uses from its next open on; null puts the real devices back.
void use_hidraw_access(const hidraw_access *access) noexcept;
const hidraw_access &current_hidraw_access() noexcept;

}  // namespace corvane::hidraw

#endif  // CORVANE_PLATFORM_LINUX_HIDRAW_ACCESS_H
