// The hidraw joystick driver: opening the hidraw devices that have a joystick or game-pad
// collection, laying out their joysticks by the HID element rules, and on every poll reading the
// input reports that are waiting, without blocking, into the state table.
#include "platform/linux/hidraw_joystick.h"

#include <algorithm>
#include <memory>
#include <new>
#include <span>

#include "corvane/text.h"
#include "input/hid_elements.h"
#include "input/hid_joystick_devices.h"
#include "input/hid_report_descriptor.h"
#include "input/hid_report_values.h"
#include "input/joystick_internal.h"
#include "input/joystick_values.h"
#include "platform/linux/hidraw_access.h"

namespace corvane::hidraw {
namespace {

// More than the kernel keeps waiting for one reader (64 reports), so that one poll catches up.
constexpr int max_reports_per_poll = 128;

struct device {
  int handle = -1;
  std::string manufacturer;  // current encoding
  std::string product;
  hid::report_descriptor layout;
  hid::element_values values;
  std::vector<hid::joystick_part> parts;
  int first_joystick = 0;
  int joystick_total = 0;
};

// Devices are looked at in node order within each of three passes: first those whose first
// collection is a joystick, then those whose first is a game pad, then those with a joystick or
// game pad behind another collection.
enum scan_pass : int { pass_joystick = 0, pass_game_pad = 1, pass_other = 2, pass_none = 3 };

const hidraw_access *access = nullptr;  // the access of the devices open now
std::vector<std::unique_ptr<device>> devices;
std::vector<uint8_t> report_buffer;

std::string to_current_encoding(const std::string &utf8) {
  char converted[256];
  convert_text_into(utf8.c_str(), ENCODING_UTF8, converted, ENCODING_CURRENT, sizeof converted);
  return converted;
}

scan_pass pass_of(const hid::report_descriptor &layout) noexcept {
  const hid::element *first = nullptr;
  bool any = false;
  for (const hid::element &e : layout.top_level) {
    if (e.type != hid::ELEMENT_COLLECTION) continue;
    if (first == nullptr) first = &e;
    if (hid::is_joystick_collection(e)) any = true;
  }
  if (!any) return pass_none;
  if (first->usage == hid::USAGE_JOYSTICK && hid::is_joystick_collection(*first)) {
    return pass_joystick;
  }
  if (first->usage == hid::USAGE_GAME_PAD && hid::is_joystick_collection(*first)) {
    return pass_game_pad;
  }
  return pass_other;
}

void close_device(device &d) noexcept {
  if (d.handle >= 0 && access != nullptr) access->close_device(d.handle);
  d.handle = -1;
}

void close_all() noexcept {
  for (auto &d : devices) close_device(*d);
  devices.clear();
  report_buffer.clear();
  report_buffer.shrink_to_fit();
  access = nullptr;
}

// Opens one node; null (and nothing left open) when it cannot be opened, its descriptor cannot be
// read or parsed, or it has no joystick.
std::unique_ptr<device> open_device(const std::string &path, scan_pass &pass) {
  const int handle = access->open_device(path.c_str());
  if (handle < 0) return nullptr;  // most often no permission: skipped without a word
  auto d = std::make_unique<device>();
  d->handle = handle;
  std::vector<uint8_t> descriptor;
  if (!access->read_descriptor(handle, descriptor) ||
      hid::parse_report_descriptor(descriptor, d->layout) != hid::descriptor_error::none) {
    close_device(*d);
    return nullptr;
  }
  pass = pass_of(d->layout);
  if (pass == pass_none) {
    close_device(*d);
    return nullptr;
  }
  std::string manufacturer, product;
  access->read_names(handle, path.c_str(), manufacturer, product);
  d->manufacturer = to_current_encoding(manufacturer);
  d->product = to_current_encoding(product);
  d->values = hid::element_values(d->layout.value_count);
  return d;
}

void open_devices() {
  std::vector<std::pair<scan_pass, std::unique_ptr<device>>> found;
  for (const std::string &path : access->list_devices()) {
    scan_pass pass = pass_none;
    std::unique_ptr<device> d = open_device(path, pass);
    if (d == nullptr) continue;
    found.emplace_back(pass, std::move(d));
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  int next_joystick = 0;
  for (auto &[pass, d] : found) {
    d->first_joystick = next_joystick;
    hid::read_device_elements(d->layout.top_level, next_joystick, d->parts);
    d->joystick_total = next_joystick - d->first_joystick;
    devices.push_back(std::move(d));
  }
  // Joysticks beyond the table are not counted: the program reads joysticks[] up to the count.
  joystick_count = std::min(next_joystick, JOYSTICK_COUNT_MAX);
}

template <class Visit>
void for_each_joystick_of(const device &d, Visit visit) noexcept {
  for (int n = d.first_joystick; n < d.first_joystick + d.joystick_total; ++n) {
    if (n >= 0 && n < JOYSTICK_COUNT_MAX) visit(joysticks[n]);
  }
}

// The device went away in the middle of the game: its joysticks keep their numbers with every
// input released.
void lose_device(device &d) noexcept {
  close_device(d);
  std::fill(d.values.known.begin(), d.values.known.end(), 0);
  for_each_joystick_of(d, [](joystick_info &joystick) {
    release_joystick_inputs(joystick);
    joystick.flags |= JOYSTICK_FLAG_DISCONNECTED;
  });
}

void read_pending_reports(device &d) noexcept {
  for (int i = 0; i < max_reports_per_poll; ++i) {
    const long got = access->read_report(d.handle, report_buffer.data(), report_buffer.size());
    if (got == 0) return;
    if (got < 0 || static_cast<size_t>(got) > report_buffer.size()) {
      lose_device(d);
      return;
    }
    (void)hid::read_input_report(std::span(report_buffer.data(), static_cast<size_t>(got)),
                                 d.layout, d.values);
  }
}

void apply_values(const device &d) noexcept {
  for (const hid::joystick_part &part : d.parts) {
    const auto cookie = static_cast<size_t>(part.cookie);
    if (part.cookie < 0 || cookie >= d.values.value.size() || d.values.known[cookie] == 0) continue;
    hid::apply_part_value(part, d.values.value[cookie], joysticks);
  }
}

int poll_devices() {
  if (joystick_count == 0) return -1;
  for (auto &d : devices) {
    if (d->handle < 0) continue;
    read_pending_reports(*d);
    apply_values(*d);
  }
  return 0;
}

void close_driver() { close_all(); }

int open_driver() {
  close_all();
  access = &current_hidraw_access();
  try {
    report_buffer.assign(hid::max_report_bytes + 1, 0);
    open_devices();
  } catch (const std::bad_alloc &) {
    close_all();
    joystick_count = 0;
    return -1;
  }
  if (hid::lay_out_joysticks(devices, poll_devices) == 0) return 0;
  close_all();
  return -1;
}

}  // namespace

std::string joystick_manufacturer(int n) { return hid::manufacturer_of_joystick(devices, n); }

std::string joystick_product(int n) { return hid::product_of_joystick(devices, n); }

joystick_driver_rec hidraw_joystick_driver = {
    .id = JOYSTICK_HIDRAW,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "HID joystick (hidraw)",
    .open = open_driver,
    .close = close_driver,
    .poll = poll_devices,
    .save_data = nullptr,
    .load_data = nullptr,
    .calibrate_name = nullptr,
    .calibrate = nullptr,
    .rumble = nullptr,
};

}  // namespace corvane::hidraw
