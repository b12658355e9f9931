// The stand-in's IOKit registry of HID devices: matching by the device's primary usage, iterators,
// properties and parents, and the plug-in and device interfaces that read element values. Every
// object and port handed out is counted until it is released.
#include <IOKit/IOCFPlugIn.h>
#include <IOKit/IOKitLib.h>
#include <IOKit/hid/IOHIDLib.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "cf_objects.h"
#include "standin/hid.h"

using standin::hid_call;

namespace {

struct entry {
  CFDictionaryRef properties = nullptr;  // retained; null for the USB interface
  io_object_t parent = 0;
  bool is_device = false;
  std::map<int, SInt32> values;
  std::set<int> failing_values;
  std::set<hid_call> failures;
};

struct iterator {
  std::vector<io_object_t> services;
  size_t next = 0;
};

struct device_interface;

struct plug_in {
  IOCFPlugInInterface *table_pointer = nullptr;
  IOCFPlugInInterface table{};
  io_service_t service = 0;
  int references = 1;
};

struct device_interface {
  IOHIDDeviceInterface *table_pointer = nullptr;
  IOHIDDeviceInterface table{};
  io_service_t service = 0;
  int references = 1;
  bool open = false;
};

struct state {
  std::recursive_mutex lock;
  std::map<io_object_t, entry> entries;
  std::map<io_object_t, iterator> iterators;
  std::set<hid_call> global_failures;
  io_object_t next_object = 100;
  int held = 0;  // objects and ports handed out, not released
  std::set<plug_in *> plug_ins;
  std::set<device_interface *> interfaces;
};

state &the_state() {
  static state s;
  return s;
}

bool fails(const state &s, io_object_t device, hid_call call) {
  if (s.global_failures.count(call) != 0) return true;
  const auto found = s.entries.find(device);
  return found != s.entries.end() && found->second.failures.count(call) != 0;
}

bool same_uuid(const CFUUIDBytes &a, CFUUIDRef b) {
  const CFUUIDBytes bytes = CFUUIDGetUUIDBytes(b);
  return std::memcmp(&a, &bytes, sizeof a) == 0;
}

int64_t number_of(CFDictionaryRef d, const char *key) {
  const void *v = CFDictionaryGetValue(d, standin_cf_constant_string(key));
  if (v == nullptr || CFGetTypeID(v) != CFNumberGetTypeID()) return -1;
  return static_cast<CFNumberRef>(v)->value;
}

bool matches(CFDictionaryRef device, CFDictionaryRef matching) {
  for (const char *key : {kIOHIDPrimaryUsagePageKey, kIOHIDPrimaryUsageKey}) {
    if (CFDictionaryGetValue(matching, standin_cf_constant_string(key)) == nullptr) continue;
    if (number_of(device, key) != number_of(matching, key)) return false;
  }
  return true;
}

// ---- The device interface ----

device_interface *interface_of(void *self) {
  return reinterpret_cast<device_interface *>(static_cast<IOHIDDeviceInterface **>(self));
}

ULONG interface_add_ref(void *self) {
  const std::lock_guard<std::recursive_mutex> hold(the_state().lock);
  return static_cast<ULONG>(++interface_of(self)->references);
}

ULONG interface_release(void *self) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  device_interface *d = interface_of(self);
  const int left = --d->references;
  if (left == 0) {
    s.interfaces.erase(d);
    delete d;
  }
  return static_cast<ULONG>(left);
}

HRESULT interface_query(void *, REFIID, LPVOID *ppv) {
  if (ppv != nullptr) *ppv = nullptr;
  return E_NOINTERFACE;
}

IOReturn interface_open(void *self, IOHIDOptionsType) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  device_interface *d = interface_of(self);
  if (fails(s, d->service, hid_call::open)) return kIOReturnError;
  if (s.entries.count(d->service) == 0) return kIOReturnNoDevice;
  d->open = true;
  return kIOReturnSuccess;
}

IOReturn interface_close(void *self) {
  const std::lock_guard<std::recursive_mutex> hold(the_state().lock);
  device_interface *d = interface_of(self);
  if (!d->open) return kIOReturnNotOpen;
  d->open = false;
  return kIOReturnSuccess;
}

IOReturn interface_get_value(void *self, IOHIDElementCookie cookie, IOHIDEventStruct *event) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  device_interface *d = interface_of(self);
  if (!d->open) return kIOReturnNotOpen;
  const auto found = s.entries.find(d->service);
  if (found == s.entries.end()) return kIOReturnNoDevice;
  const int number = static_cast<int>(reinterpret_cast<intptr_t>(cookie));
  if (found->second.failing_values.count(number) != 0 || event == nullptr) return kIOReturnError;
  const auto value = found->second.values.find(number);
  *event = IOHIDEventStruct{};
  event->elementCookie = cookie;
  event->value = value != found->second.values.end() ? value->second : 0;
  return kIOReturnSuccess;
}

// ---- The plug-in ----

plug_in *plug_in_of(void *self) {
  return reinterpret_cast<plug_in *>(static_cast<IOCFPlugInInterface **>(self));
}

ULONG plug_in_add_ref(void *self) {
  const std::lock_guard<std::recursive_mutex> hold(the_state().lock);
  return static_cast<ULONG>(++plug_in_of(self)->references);
}

ULONG plug_in_release(void *self) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  plug_in *p = plug_in_of(self);
  const int left = --p->references;
  if (left == 0) {
    s.plug_ins.erase(p);
    delete p;
  }
  return static_cast<ULONG>(left);
}

HRESULT plug_in_query(void *self, REFIID iid, LPVOID *ppv) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (ppv == nullptr) return E_NOINTERFACE;
  *ppv = nullptr;
  plug_in *p = plug_in_of(self);
  if (!same_uuid(iid, kIOHIDDeviceInterfaceID) || fails(s, p->service, hid_call::query_interface)) {
    return E_NOINTERFACE;
  }
  auto *d = new device_interface();
  d->table_pointer = &d->table;
  d->table.QueryInterface = interface_query;
  d->table.AddRef = interface_add_ref;
  d->table.Release = interface_release;
  d->table.open = interface_open;
  d->table.close = interface_close;
  d->table.getElementValue = interface_get_value;
  d->service = p->service;
  s.interfaces.insert(d);
  *ppv = &d->table_pointer;
  return S_OK;
}

}  // namespace

extern "C" {

// The master port is the one port name the stand-in hands out to give back (the task itself is
// <mach/mach.h>'s, in mach.cpp).
kern_return_t mach_port_deallocate(ipc_space_t, mach_port_name_t name) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (name != 2) return KERN_INVALID_ARGUMENT;
  --s.held;
  return KERN_SUCCESS;
}

kern_return_t IOMasterPort(mach_port_t, mach_port_t *masterPort) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (masterPort == nullptr || s.global_failures.count(hid_call::master_port) != 0) {
    return kIOReturnError;
  }
  *masterPort = 2;
  ++s.held;
  return KERN_SUCCESS;
}

CFMutableDictionaryRef IOServiceMatching(const char *name) {
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, nullptr, nullptr);
  CFStringRef value = CFStringCreateWithCString(kCFAllocatorDefault, name, kCFStringEncodingUTF8);
  CFDictionarySetValue(d, CFSTR("IOProviderClass"), value);
  CFRelease(value);
  return d;
}

kern_return_t IOServiceGetMatchingServices(mach_port_t masterPort, CFDictionaryRef matching,
                                           io_iterator_t *existing) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  kern_return_t result = kIOReturnError;
  const auto *provider = static_cast<CFStringRef>(
      matching != nullptr ? CFDictionaryGetValue(matching, CFSTR("IOProviderClass")) : nullptr);
  if (masterPort == 2 && existing != nullptr && provider != nullptr &&
      s.global_failures.count(hid_call::matching_services) == 0) {
    iterator it;
    if (provider->text == kIOHIDDeviceKey) {
      for (const auto &[id, e] : s.entries) {
        if (e.is_device && matches(e.properties, matching)) it.services.push_back(id);
      }
    }
    *existing = s.next_object++;
    s.iterators[*existing] = std::move(it);
    ++s.held;
    result = KERN_SUCCESS;
  }
  CFRelease(matching);
  return result;
}

io_object_t IOIteratorNext(io_iterator_t it) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  const auto found = s.iterators.find(it);
  if (found == s.iterators.end() || found->second.next >= found->second.services.size()) return 0;
  ++s.held;
  return found->second.services[found->second.next++];
}

kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry_id,
                                                CFMutableDictionaryRef *properties, CFAllocatorRef,
                                                IOOptionBits) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  const auto found = s.entries.find(entry_id);
  if (properties == nullptr || found == s.entries.end() || found->second.properties == nullptr ||
      (found->second.is_device && fails(s, entry_id, hid_call::create_properties))) {
    return kIOReturnError;
  }
  *properties = standin::cf::copy_dictionary(found->second.properties);
  return KERN_SUCCESS;
}

kern_return_t IORegistryEntryGetParentEntry(io_registry_entry_t entry_id, const io_name_t plane,
                                            io_registry_entry_t *parent) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  const auto found = s.entries.find(entry_id);
  if (parent == nullptr || found == s.entries.end() || found->second.parent == 0 ||
      std::strcmp(plane, kIOServicePlane) != 0) {
    return kIOReturnNoDevice;
  }
  *parent = found->second.parent;
  ++s.held;
  return KERN_SUCCESS;
}

kern_return_t IOObjectRelease(io_object_t object) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (object == 0) return kIOReturnError;
  s.iterators.erase(object);
  --s.held;
  return KERN_SUCCESS;
}

CFUUIDRef standin_uuid_plug_in_interface(void) {
  static const CFUUIDRef uuid = standin::cf::constant_uuid(1);
  return uuid;
}

CFUUIDRef standin_uuid_hid_device_user_client(void) {
  static const CFUUIDRef uuid = standin::cf::constant_uuid(2);
  return uuid;
}

CFUUIDRef standin_uuid_hid_device_interface(void) {
  static const CFUUIDRef uuid = standin::cf::constant_uuid(3);
  return uuid;
}

kern_return_t IOCreatePlugInInterfaceForService(io_service_t service, CFUUIDRef pluginType,
                                                CFUUIDRef interfaceType,
                                                IOCFPlugInInterface ***theInterface,
                                                SInt32 *theScore) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (theInterface == nullptr) return kIOReturnError;
  *theInterface = nullptr;
  const auto found = s.entries.find(service);
  if (found == s.entries.end() || !found->second.is_device ||
      pluginType != kIOHIDDeviceUserClientTypeID || interfaceType != kIOCFPlugInInterfaceID ||
      fails(s, service, hid_call::plug_in)) {
    return kIOReturnError;
  }
  auto *p = new plug_in();
  p->table_pointer = &p->table;
  p->table.QueryInterface = plug_in_query;
  p->table.AddRef = plug_in_add_ref;
  p->table.Release = plug_in_release;
  p->service = service;
  s.plug_ins.insert(p);
  *theInterface = &p->table_pointer;
  if (theScore != nullptr) *theScore = 0;
  return KERN_SUCCESS;
}

}  // extern "C"

namespace standin {

void hid_reset() {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  for (auto &[id, e] : s.entries) {
    if (e.properties != nullptr) CFRelease(e.properties);
  }
  s.entries.clear();
  s.iterators.clear();
  s.global_failures.clear();
  s.held = 0;
  for (plug_in *p : s.plug_ins) delete p;
  for (device_interface *d : s.interfaces) delete d;
  s.plug_ins.clear();
  s.interfaces.clear();
}

io_service_t hid_add_device(CFDictionaryRef properties, CFDictionaryRef usb_properties) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  const io_object_t usb_device = s.next_object++;
  const io_object_t usb_interface = s.next_object++;
  const io_object_t device = s.next_object++;
  if (usb_properties != nullptr) CFRetain(usb_properties);
  s.entries[usb_device].properties = usb_properties;
  s.entries[usb_interface].parent = usb_device;
  entry &e = s.entries[device];
  e.properties = static_cast<CFDictionaryRef>(CFRetain(properties));
  e.parent = usb_interface;
  e.is_device = true;
  return device;
}

void hid_fail(io_service_t device, hid_call call) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (device == 0) {
    s.global_failures.insert(call);
  } else {
    s.entries[device].failures.insert(call);
  }
}

void hid_set_value(io_service_t device, int cookie, SInt32 value) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  s.entries[device].values[cookie] = value;
  s.entries[device].failing_values.erase(cookie);
}

void hid_fail_value(io_service_t device, int cookie) {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  s.entries[device].failing_values.insert(cookie);
}

int hid_objects_held() {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  return s.held;
}

int hid_interfaces_alive() {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  return static_cast<int>(s.plug_ins.size() + s.interfaces.size());
}

int hid_interfaces_open() {
  state &s = the_state();
  const std::lock_guard<std::recursive_mutex> hold(s.lock);
  int open = 0;
  for (const device_interface *d : s.interfaces) open += d->open ? 1 : 0;
  return open;
}

}  // namespace standin
