// The stand-in's CoreFoundation objects: one reference-counted record per object, with a count of
// the objects alive so that tests can tell that a driver released everything it was given.
#ifndef CORVANE_STANDIN_CF_OBJECTS_H
#define CORVANE_STANDIN_CF_OBJECTS_H

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

namespace standin::cf {

enum type_id : CFTypeID { string_type = 7, number_type = 22, array_type = 19, dictionary_type = 18, uuid_type = 30 };

struct object {
  explicit object(CFTypeID type_of) noexcept;
  virtual ~object();
  object(const object &) = delete;
  object &operator=(const object &) = delete;
  CFTypeID type;
  std::atomic<int> references{1};
  bool constant = false;  // never freed
};

// Objects made and not yet freed (constants not counted).
extern std::atomic<int> alive;

}  // namespace standin::cf

struct __CFString : standin::cf::object {
  __CFString() : object(standin::cf::string_type) {}
  std::string text;
};

struct __CFNumber : standin::cf::object {
  __CFNumber() : object(standin::cf::number_type) {}
  int64_t value = 0;
};

struct __CFArray : standin::cf::object {
  __CFArray() : object(standin::cf::array_type) {}
  ~__CFArray() override;
  __CFArray(const __CFArray &) = delete;
  __CFArray &operator=(const __CFArray &) = delete;
  std::vector<CFTypeRef> values;  // each retained
};

struct __CFDictionary : standin::cf::object {
  __CFDictionary() : object(standin::cf::dictionary_type) {}
  ~__CFDictionary() override;
  __CFDictionary(const __CFDictionary &) = delete;
  __CFDictionary &operator=(const __CFDictionary &) = delete;
  std::vector<std::pair<CFTypeRef, CFTypeRef>> entries;  // keys and values retained
};

struct __CFUUID : standin::cf::object {
  __CFUUID() : object(standin::cf::uuid_type) {}
  CFUUIDBytes bytes{};
};

namespace standin::cf {
// A shallow copy of a dictionary (values retained), as a new object.
CFMutableDictionaryRef copy_dictionary(CFDictionaryRef source);
// A UUID constant with the given last byte.
CFUUIDRef constant_uuid(UInt8 last);
}  // namespace standin::cf

#endif
