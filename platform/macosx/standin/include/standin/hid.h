// Scripting the stand-in's IOKit HID registry from tests: HID devices given by their property
// dictionaries (and their USB device's, two levels up), element values by cookie, failures of
// each step, and counts of what a driver holds: registry objects and ports, plug-in and device
// interfaces, CoreFoundation objects.
#ifndef CORVANE_STANDIN_CONTROL_HID_H
#define CORVANE_STANDIN_CONTROL_HID_H

#include <IOKit/IOKitLib.h>

namespace standin {

enum class hid_call {
  master_port,        // IOMasterPort
  matching_services,  // IOServiceGetMatchingServices
  create_properties,  // IORegistryEntryCreateCFProperties of the device
  plug_in,            // IOCreatePlugInInterfaceForService
  query_interface,    // the plug-in's QueryInterface for the device interface
  open,               // the device interface's open
};

// Empties the registry and forgets every script; what drivers still hold stays counted.
void hid_reset();
// Adds a HID device with these properties (retained) under a USB interface under a USB device
// with usb_properties (retained; null for none). Answers the device's registry entry.
io_service_t hid_add_device(CFDictionaryRef properties, CFDictionaryRef usb_properties);
// From now on the call fails for the device (0: for every device, or the calls not made for one).
void hid_fail(io_service_t device, hid_call call);
// The value get-element-value reads for the cookie (0 until set), or an error for it.
void hid_set_value(io_service_t device, int cookie, SInt32 value);
void hid_fail_value(io_service_t device, int cookie);

// Registry objects and Mach ports handed out and not yet released; plug-in and device interfaces
// made and not yet released; device interfaces open now; CoreFoundation objects alive.
int hid_objects_held();
int hid_interfaces_alive();
int hid_interfaces_open();
int cf_objects_alive();

}  // namespace standin

#endif
