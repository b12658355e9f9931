// 'HIDJ' on the stand-in IOKit registry, built from the same HID report descriptors as the hidraw
// driver's tests: the same joysticks, sticks, axes, buttons and names as the hidraw driver finds,
// values read by cookie into positions, the USB names a device falls back on, registries with
// missing or wrongly typed properties, devices that cannot be opened, and everything released.
#include <gtest/gtest.h>

#include <CoreFoundation/CoreFoundation.h>

#include <string>
#include <vector>

#include "corvane/config.h"
#include "corvane/joystick.h"
#include "corvane/system.h"
#include "input/hid_report_descriptor.h"
#include "platform/linux/hidraw_access.h"
#include "platform/linux/hidraw_joystick.h"
#include "platform/macosx/joystick/hid_joystick.h"
#include "standin/hid.h"
#include "support/hid_descriptor_files.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;
namespace hid = corvane::hid;
using corvane::macosx::hid_joystick_driver;
using corvane::macosx::JOYSTICK_HID;
using standin::hid_call;

// ---- Registries made from report descriptors ----

void put_number(CFMutableDictionaryRef d, const char *key, int64_t value) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
  CFDictionarySetValue(d, k, n);
  CFRelease(n);
  CFRelease(k);
}

void put_value(CFMutableDictionaryRef d, const char *key, CFTypeRef value) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFDictionarySetValue(d, k, value);
  CFRelease(value);
  CFRelease(k);
}

void put_string(CFMutableDictionaryRef d, const char *key, const char *text) {
  put_value(d, key, CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8));
}

CFMutableDictionaryRef element_dictionary(const hid::element &e);

CFMutableArrayRef element_array(const std::vector<hid::element> &elements) {
  CFMutableArrayRef a = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (const hid::element &e : elements) {
    CFMutableDictionaryRef d = element_dictionary(e);
    CFArrayAppendValue(a, d);
    CFRelease(d);
  }
  return a;
}

CFMutableDictionaryRef element_dictionary(const hid::element &e) {
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_number(d, "Type", e.type);
  put_number(d, "UsagePage", e.usage_page);
  put_number(d, "Usage", e.usage);
  if (e.cookie >= 0) put_number(d, "ElementCookie", e.cookie);
  put_number(d, "Min", e.min);
  put_number(d, "Max", e.max);
  if (!e.name.empty()) put_string(d, "Name", e.name.c_str());
  if (e.type == hid::ELEMENT_COLLECTION) put_value(d, "Elements", element_array(e.children));
  return d;
}

hid::report_descriptor layout_of(const char *description) {
  hid::report_descriptor layout;
  EXPECT_EQ(hid::parse_report_descriptor(load_hid_descriptor(description), layout),
            hid::descriptor_error::none);
  return layout;
}

// A device's registry properties as IOKit gives them: primary usage (its first collection's),
// names, and the element tree.
CFMutableDictionaryRef device_properties(const hid::report_descriptor &layout,
                                         const char *manufacturer, const char *product) {
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  for (const hid::element &e : layout.top_level) {
    if (e.type != hid::ELEMENT_COLLECTION) continue;
    put_number(d, "PrimaryUsagePage", e.usage_page);
    put_number(d, "PrimaryUsage", e.usage);
    break;
  }
  if (manufacturer != nullptr) put_string(d, "Manufacturer", manufacturer);
  if (product != nullptr) put_string(d, "Product", product);
  put_value(d, "Elements", element_array(layout.top_level));
  return d;
}

io_service_t add_device(CFDictionaryRef properties, CFDictionaryRef usb = nullptr) {
  const io_service_t id = standin::hid_add_device(properties, usb);
  CFRelease(properties);
  if (usb != nullptr) CFRelease(usb);
  return id;
}

io_service_t add_described(const char *description, const char *product = "Pad") {
  return add_device(device_properties(layout_of(description), "Maker", product));
}

// The cookie of the first element with this usage, depth first.
int cookie_of(const std::vector<hid::element> &elements, uint32_t page, uint32_t usage) {
  for (const hid::element &e : elements) {
    if (e.type != hid::ELEMENT_COLLECTION && e.usage_page == page && e.usage == usage) {
      return e.cookie;
    }
    const int inner = cookie_of(e.children, page, usage);
    if (inner >= 0) return inner;
  }
  return -1;
}

// ---- The hidraw driver on the same descriptors ----

std::vector<std::string> hidraw_descriptions;

const corvane::hidraw::hidraw_access recorded_access = {
    .list_devices =
        [] {
          std::vector<std::string> paths;
          for (const std::string &d : hidraw_descriptions) paths.push_back(d);
          return paths;
        },
    .open_device =
        [](const char *path) noexcept {
          for (size_t i = 0; i < hidraw_descriptions.size(); ++i) {
            if (hidraw_descriptions[i] == path) return static_cast<int>(i);
          }
          return -1;
        },
    .read_descriptor =
        [](int handle, std::vector<uint8_t> &descriptor) {
          descriptor = load_hid_descriptor(hidraw_descriptions[static_cast<size_t>(handle)]);
          return true;
        },
    .read_names = [](int, const char *, std::string &, std::string &) {},
    .read_report = [](int, uint8_t *, size_t) noexcept -> long { return 0; },
    .close_device = [](int) noexcept {},
};

// What a program sees of the joysticks: counts, flags and every name, one line each.
std::vector<std::string> layout_seen() {
  std::vector<std::string> lines;
  for (int n = 0; n < joystick_count; ++n) {
    const joystick_info &j = joysticks[n];
    lines.push_back("joystick " + std::to_string(n) + " flags " + std::to_string(j.flags));
    for (int s = 0; s < j.stick_count; ++s) {
      std::string line = std::string(" stick ") + j.sticks[s].name + " flags " +
                         std::to_string(j.sticks[s].flags) + ":";
      for (int a = 0; a < j.sticks[s].axis_count; ++a) line += std::string(" ") + j.sticks[s].axes[a].name;
      lines.push_back(line);
    }
    std::string buttons = " buttons:";
    for (int b = 0; b < j.button_count; ++b) buttons += std::string(" ") + j.buttons[b].name;
    lines.push_back(buttons);
  }
  return lines;
}

class HidJoystickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::hid_reset();
    cf_baseline_ = standin::cf_objects_alive();
    ASSERT_EQ(start_with_test_system(), 0);
    the_test_system().joystick_drivers = list_;
  }
  void TearDown() override {
    shutdown_corvane();
    EXPECT_EQ(standin::hid_objects_held(), 0) << "registry objects or ports left held";
    EXPECT_EQ(standin::hid_interfaces_alive(), 0) << "interfaces left unreleased";
    standin::hid_reset();
    EXPECT_EQ(standin::cf_objects_alive(), cf_baseline_) << "CoreFoundation objects leaked";
  }

  int cf_baseline_ = 0;
  driver_list_entry list_[3] = {
      {JOYSTICK_HID, &hid_joystick_driver, -1},
      {JOYSTICK_NONE, &joystick_none, -1},
      {0, nullptr, 0},
  };
};

TEST_F(HidJoystickTest, TheSameJoysticksAsTheHidrawDriverFinds) {
  const std::vector<std::string> order = {"keyboard", "gamepad", "many_buttons", "flight_stick",
                                          "pointer_pad"};
  hidraw_descriptions = order;
  corvane::hidraw::use_hidraw_access(&recorded_access);
  driver_list_entry hidraw_list[2] = {
      {corvane::hidraw::JOYSTICK_HIDRAW, &corvane::hidraw::hidraw_joystick_driver, -1},
      {0, nullptr, 0}};
  the_test_system().joystick_drivers = hidraw_list;
  ASSERT_EQ(install_joystick(corvane::hidraw::JOYSTICK_HIDRAW), 0);
  const std::vector<std::string> hidraw_layout = layout_seen();
  remove_joystick();
  corvane::hidraw::use_hidraw_access(nullptr);
  the_test_system().joystick_drivers = list_;

  for (const std::string &d : order) add_described(d.c_str());
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &hid_joystick_driver);
  EXPECT_STREQ(hid_joystick_driver.name, "HID Joystick");
  EXPECT_EQ(joystick_count, 4);
  EXPECT_EQ(layout_seen(), hidraw_layout);
  EXPECT_EQ(standin::hid_interfaces_open(), 4);  // the keyboard was never opened
}

TEST_F(HidJoystickTest, ValuesAreReadByCookieIntoPositions) {
  const hid::report_descriptor layout = layout_of("gamepad");
  const io_service_t pad = add_device(device_properties(layout, "Maker", "Pad"));
  const auto cookie = [&](uint32_t page, uint32_t usage) {
    return cookie_of(layout.top_level, page, usage);
  };
  const int x = cookie(1, 0x30), y = cookie(1, 0x31), hat = cookie(1, 0x39), button = cookie(9, 1);
  ASSERT_GE(x, 0);
  ASSERT_GE(hat, 0);
  ASSERT_GE(button, 0);
  ASSERT_EQ(install_joystick(JOYSTICK_HID), 0);
  const joystick_info &j = joysticks[0];
  ASSERT_EQ(j.stick_count, 3);  // X and Y, Z and Rz, the hat
  EXPECT_STREQ(j.sticks[2].name, "hat");

  standin::hid_set_value(pad, x, 0);
  standin::hid_set_value(pad, y, 255);
  standin::hid_set_value(pad, hat, 6);
  standin::hid_set_value(pad, button, 1);
  ASSERT_EQ(poll_joystick(), 0);
  const auto axis = [](const joystick_axis_info &a) { return std::vector<int>{a.pos, a.d1, a.d2}; };
  EXPECT_EQ(axis(j.sticks[0].axes[0]), (std::vector<int>{-128, -1, 0}));
  EXPECT_EQ(axis(j.sticks[0].axes[1]), (std::vector<int>{127, 0, -1}));
  EXPECT_EQ(axis(j.sticks[2].axes[0]), (std::vector<int>{-128, 1, 0}));  // left
  EXPECT_EQ(axis(j.sticks[2].axes[1]), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(j.buttons[0].b, 1);

  // A hat value outside its table leaves the hat alone; a value that cannot be read is skipped.
  standin::hid_set_value(pad, hat, 8);
  standin::hid_fail_value(pad, x);
  standin::hid_set_value(pad, y, 128);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(axis(j.sticks[2].axes[0]), (std::vector<int>{-128, 1, 0}));
  EXPECT_EQ(j.sticks[0].axes[0].pos, -128);
  EXPECT_EQ(j.sticks[0].axes[1].pos, 0);
}

TEST_F(HidJoystickTest, NamesFallBackOnTheUsbDevice) {
  const hid::report_descriptor layout = layout_of("gamepad");
  CFMutableDictionaryRef usb = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_string(usb, "USB Vendor Name", "Vendor \xC3\xA9");
  put_string(usb, "USB Product Name", "USB Pad");
  add_device(device_properties(layout, nullptr, "Own Pad"), usb);
  add_device(device_properties(layout, nullptr, nullptr));  // nothing to fall back on
  ASSERT_EQ(install_joystick(JOYSTICK_HID), 0);
  EXPECT_EQ(corvane::macosx::joystick_manufacturer(0), "Vendor \xC3\xA9");
  EXPECT_EQ(corvane::macosx::joystick_product(0), "Own Pad");
  EXPECT_EQ(corvane::macosx::joystick_manufacturer(1), "");
  EXPECT_EQ(corvane::macosx::joystick_product(2), "");
}

TEST_F(HidJoystickTest, DevicesThatCannotBeOpenedAreDroppedWithoutAGap) {
  const hid_call steps[] = {hid_call::create_properties, hid_call::plug_in,
                            hid_call::query_interface, hid_call::open};
  for (const hid_call step : steps) standin::hid_fail(add_described("gamepad"), step);
  add_described("flight_stick", "Stick");
  add_described("many_buttons", "Many");
  ASSERT_EQ(install_joystick(JOYSTICK_HID), 0);
  ASSERT_EQ(joystick_count, 2);
  EXPECT_EQ(corvane::macosx::joystick_product(0), "Stick");  // joysticks are scanned first
  EXPECT_EQ(corvane::macosx::joystick_product(1), "Many");
  EXPECT_EQ(standin::hid_interfaces_open(), 2);
  EXPECT_EQ(standin::hid_interfaces_alive(), 2);  // the plug-ins are gone, the refused ones too
}

TEST_F(HidJoystickTest, BrokenRegistriesGiveWhatCanBeReadAndNeverCrash) {
  // Elements that are no dictionary, lack their type or usage, or carry them as strings; an
  // "Elements" that is a number; min = max; no cookie.
  CFMutableDictionaryRef pad = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_number(pad, "PrimaryUsagePage", 1);
  put_number(pad, "PrimaryUsage", 5);
  put_number(pad, "Product", 7);
  CFMutableArrayRef top = CFArrayCreateMutable(nullptr, 0, nullptr);
  CFMutableDictionaryRef collection = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_number(collection, "Type", hid::ELEMENT_COLLECTION);
  put_number(collection, "UsagePage", 1);
  put_number(collection, "Usage", 5);
  CFMutableArrayRef children = CFArrayCreateMutable(nullptr, 0, nullptr);
  const auto child = [&](int64_t usage_page, int64_t usage, int64_t min, int64_t max, int cookie) {
    CFMutableDictionaryRef e = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
    put_number(e, "Type", hid::ELEMENT_INPUT_MISC);
    put_number(e, "UsagePage", usage_page);
    put_number(e, "Usage", usage);
    put_number(e, "Min", min);
    put_number(e, "Max", max);
    if (cookie >= 0) put_number(e, "ElementCookie", cookie);
    return e;
  };
  CFMutableDictionaryRef flat = child(1, 0x30, 5, 5, 1);  // X with min = max
  CFMutableDictionaryRef no_cookie = child(1, 0x31, 0, 255, -1);
  CFMutableDictionaryRef string_usage = child(1, 0x32, 0, 255, 3);
  put_string(string_usage, "Usage", "Z");
  CFMutableDictionaryRef no_type = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_number(no_type, "UsagePage", 9);
  put_number(no_type, "Usage", 1);
  CFMutableDictionaryRef button = child(9, 2, 0, 1, 4);
  put_value(button, "Elements", CFNumberCreate(nullptr, kCFNumberSInt32Type, &top));
  CFMutableDictionaryRef wide = child(1, 0x36, INT64_MIN, INT64_MAX, 5);  // a slider
  CFStringRef not_a_dictionary = CFStringCreateWithCString(nullptr, "x", kCFStringEncodingUTF8);
  for (CFTypeRef e : {static_cast<CFTypeRef>(flat), static_cast<CFTypeRef>(no_cookie),
                      static_cast<CFTypeRef>(string_usage), static_cast<CFTypeRef>(no_type),
                      static_cast<CFTypeRef>(not_a_dictionary), static_cast<CFTypeRef>(button),
                      static_cast<CFTypeRef>(wide)}) {
    CFArrayAppendValue(children, e);
    CFRelease(e);
  }
  put_value(collection, "Elements", children);
  CFArrayAppendValue(top, collection);
  CFRelease(collection);
  put_value(pad, "Elements", top);
  const io_service_t id = add_device(pad);

  // A game pad whose "Elements" is a string, and one with an empty element array.
  CFMutableDictionaryRef odd = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_number(odd, "PrimaryUsagePage", 1);
  put_number(odd, "PrimaryUsage", 5);
  put_string(odd, "Elements", "none");
  add_device(odd);
  CFMutableDictionaryRef empty = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_number(empty, "PrimaryUsagePage", 1);
  put_number(empty, "PrimaryUsage", 5);
  put_value(empty, "Elements", CFArrayCreateMutable(nullptr, 0, nullptr));
  add_device(empty);

  ASSERT_EQ(install_joystick(JOYSTICK_HID), 0);
  ASSERT_EQ(joystick_count, 1);
  EXPECT_EQ(corvane::macosx::joystick_product(0), "");  // a number is no name
  const joystick_info &j = joysticks[0];
  EXPECT_EQ(j.stick_count, 2);
  EXPECT_EQ(j.sticks[0].axis_count, 2);
  EXPECT_EQ(j.button_count, 2);
  standin::hid_set_value(id, 1, 5);
  standin::hid_set_value(id, 4, 1);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(j.sticks[0].axes[0].pos, -128);
  EXPECT_EQ(j.buttons[1].b, 1);
  EXPECT_EQ(j.sticks[1].axes[0].pos, 127);  // 0 in the widest range the registry can give
}

TEST_F(HidJoystickTest, WithoutDevicesOrRegistryTheNoJoystickDriverTakesOver) {
  add_device(device_properties(layout_of("keyboard"), "Maker", "Keys"));
  EXPECT_EQ(install_joystick(JOYSTICK_HID), -1);
  EXPECT_STREQ(error_text, "HID Joystick not found");
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &joystick_none);
  EXPECT_EQ(joystick_count, 0);
  remove_joystick();

  add_described("gamepad");
  standin::hid_fail(0, hid_call::master_port);
  EXPECT_EQ(install_joystick(JOYSTICK_HID), -1);
  standin::hid_reset();
  add_described("gamepad");
  standin::hid_fail(0, hid_call::matching_services);
  EXPECT_EQ(install_joystick(JOYSTICK_HID), -1);
}

}  // namespace
