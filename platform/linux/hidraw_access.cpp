// The hidraw devices of Linux: the /dev/hidraw* nodes in number order, their report descriptors
// through the hidraw ioctls, their names from the USB device in sysfs (or the name the kernel
// gives the HID device), and their input reports read without blocking.
#include "platform/linux/hidraw_access.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>

namespace corvane::hidraw {
namespace {

constexpr const char *device_directory = "/dev";
constexpr const char *node_prefix = "hidraw";

// The number of a node name "hidrawN", or -1 for any other name.
long node_number(const char *name) noexcept {
  const size_t prefix = std::strlen(node_prefix);
  if (std::strncmp(name, node_prefix, prefix) != 0 || name[prefix] == 0) return -1;
  long number = 0;
  for (const char *c = name + prefix; *c != 0; ++c) {
    if (*c < '0' || *c > '9' || number > 100000) return -1;
    number = number * 10 + (*c - '0');
  }
  return number;
}

std::vector<std::string> list_system_devices() { return list_hidraw_nodes(device_directory); }

int open_system_device(const char *path) noexcept {
  return open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

bool read_system_descriptor(int handle, std::vector<uint8_t> &descriptor) {
  int size = 0;
  if (ioctl(handle, HIDIOCGRDESCSIZE, &size) != 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) {
    return false;
  }
  hidraw_report_descriptor raw{};
  raw.size = static_cast<__u32>(size);
  if (ioctl(handle, HIDIOCGRDESC, &raw) != 0) return false;
  descriptor.assign(raw.value, raw.value + size);
  return true;
}

// The first line of a small sysfs file, without its newline; empty when it cannot be read.
std::string read_attribute(const std::string &path) {
  std::ifstream file(path);
  std::string line;
  if (!file || !std::getline(file, line)) return {};
  return line;
}

void read_system_names(int handle, const char *path, std::string &manufacturer,
                       std::string &product) {
  manufacturer.clear();
  product.clear();
  // /sys/class/hidraw/hidrawN/device is the HID device; a USB device, which names its maker and
  // product, is a few levels above it (the interface, then the device).
  const char *node = std::strrchr(path, '/');
  node = node != nullptr ? node + 1 : path;
  std::string directory = std::string("/sys/class/hidraw/") + node + "/device";
  char resolved[4096];
  if (realpath(directory.c_str(), resolved) != nullptr) {
    std::string up = resolved;
    for (int level = 0; level < 4 && !up.empty(); ++level) {
      manufacturer = read_attribute(up + "/manufacturer");
      product = read_attribute(up + "/product");
      if (!manufacturer.empty() || !product.empty()) break;
      const size_t slash = up.find_last_of('/');
      if (slash == std::string::npos || slash == 0) break;
      up.resize(slash);
    }
  }
  if (product.empty()) {
    char name[256] = "";
    if (ioctl(handle, HIDIOCGRAWNAME(sizeof name - 1), name) > 0) product = name;
  }
}

long read_system_report(int handle, uint8_t *buffer, std::size_t size) noexcept {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const ssize_t got = read(handle, buffer, size);
    if (got >= 0) return static_cast<long>(got);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;  // ENODEV when unplugged, EIO, ...
  }
  return 0;
}

void close_system_device(int handle) noexcept {
  if (handle >= 0) close(handle);
}

std::atomic<const hidraw_access *> chosen_access{nullptr};

}  // namespace

std::vector<std::string> list_hidraw_nodes(const char *directory) {
  std::vector<std::pair<long, std::string>> found;
  if (DIR *dir = opendir(directory); dir != nullptr) {
    while (const dirent *entry = readdir(dir)) {
      const long number = node_number(entry->d_name);
      if (number >= 0) found.emplace_back(number, std::string(directory) + "/" + entry->d_name);
    }
    closedir(dir);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  paths.reserve(found.size());
  for (auto &[number, path] : found) paths.push_back(std::move(path));
  return paths;
}

const hidraw_access system_hidraw_access = {
    .list_devices = list_system_devices,
    .open_device = open_system_device,
    .read_descriptor = read_system_descriptor,
    .read_names = read_system_names,
    .read_report = read_system_report,
    .close_device = close_system_device,
};

void use_hidraw_access(const hidraw_access *access) noexcept { chosen_access.store(access); }

const hidraw_access &current_hidraw_access() noexcept {
  const hidraw_access *access = chosen_access.load();
  return access != nullptr ? *access : system_hidraw_access;
}

}  // namespace corvane::hidraw
