// The stand-in's CoreFoundation: reference counting, type ids, dictionaries compared by key value,
// arrays, numbers, strings and UUIDs.
#include <CoreFoundation/CoreFoundation.h>

#include <map>
#include <memory>
#include <mutex>

#include "cf_objects.h"
#include "standin/hid.h"

namespace standin::cf {

std::atomic<int> alive{0};

object::object(CFTypeID type_of) noexcept : type(type_of) { ++alive; }
object::~object() { --alive; }

namespace {

const object *as_object(CFTypeRef cf) { return static_cast<const object *>(cf); }

bool equal(CFTypeRef a, CFTypeRef b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  const object *x = as_object(a);
  const object *y = as_object(b);
  if (x->type != y->type) return false;
  if (x->type == string_type) {
    return static_cast<const __CFString *>(x)->text == static_cast<const __CFString *>(y)->text;
  }
  if (x->type == number_type) {
    return static_cast<const __CFNumber *>(x)->value == static_cast<const __CFNumber *>(y)->value;
  }
  return false;
}

}  // namespace

CFMutableDictionaryRef copy_dictionary(CFDictionaryRef source) {
  auto *copy = new __CFDictionary();
  for (const auto &[key, value] : source->entries) {
    copy->entries.emplace_back(CFRetain(key), CFRetain(value));
  }
  return copy;
}

CFUUIDRef constant_uuid(UInt8 last) {
  auto *uuid = new __CFUUID();
  uuid->constant = true;
  --alive;
  uuid->bytes.byte15 = last;
  return uuid;
}

}  // namespace standin::cf

namespace cf = standin::cf;

__CFArray::~__CFArray() {
  for (CFTypeRef v : values) CFRelease(v);
}

__CFDictionary::~__CFDictionary() {
  for (const auto &[key, value] : entries) {
    CFRelease(key);
    CFRelease(value);
  }
}

extern "C" {

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0};
const CFArrayCallBacks kCFTypeArrayCallBacks = {0};
const CFAllocatorRef kCFAllocatorDefault = nullptr;

CFTypeID CFGetTypeID(CFTypeRef cf) { return cf != nullptr ? static_cast<const cf::object *>(cf)->type : 0; }
CFTypeID CFStringGetTypeID(void) { return cf::string_type; }
CFTypeID CFNumberGetTypeID(void) { return cf::number_type; }
CFTypeID CFArrayGetTypeID(void) { return cf::array_type; }
CFTypeID CFDictionaryGetTypeID(void) { return cf::dictionary_type; }

CFTypeRef CFRetain(CFTypeRef cf) {
  if (cf != nullptr) ++const_cast<cf::object *>(static_cast<const cf::object *>(cf))->references;
  return cf;
}

void CFRelease(CFTypeRef cf) {
  if (cf == nullptr) return;
  auto *o = const_cast<cf::object *>(static_cast<const cf::object *>(cf));
  if (o->constant) return;
  if (--o->references == 0) delete o;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex,
                                                 const CFDictionaryKeyCallBacks *,
                                                 const CFDictionaryValueCallBacks *) {
  return new __CFDictionary();
}

const void *CFDictionaryGetValue(CFDictionaryRef theDict, const void *key) {
  if (theDict == nullptr) return nullptr;
  for (const auto &[k, v] : theDict->entries) {
    if (cf::equal(k, key)) return v;
  }
  return nullptr;
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void *key, const void *value) {
  if (theDict == nullptr || key == nullptr || value == nullptr) return;
  CFRetain(value);
  for (auto &[k, v] : theDict->entries) {
    if (cf::equal(k, key)) {
      CFRelease(v);
      v = value;
      return;
    }
  }
  theDict->entries.emplace_back(CFRetain(key), value);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex, const CFArrayCallBacks *) {
  return new __CFArray();
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
  return theArray != nullptr ? static_cast<CFIndex>(theArray->values.size()) : 0;
}

const void *CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
  if (theArray == nullptr || idx < 0 || static_cast<size_t>(idx) >= theArray->values.size()) {
    return nullptr;
  }
  return theArray->values[static_cast<size_t>(idx)];
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void *value) {
  if (theArray != nullptr && value != nullptr) theArray->values.push_back(CFRetain(value));
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void *valuePtr) {
  if (valuePtr == nullptr) return nullptr;
  auto *n = new __CFNumber();
  switch (theType) {
    case kCFNumberSInt64Type: n->value = *static_cast<const int64_t *>(valuePtr); break;
    case kCFNumberLongType: n->value = *static_cast<const long *>(valuePtr); break;
    default: n->value = *static_cast<const int32_t *>(valuePtr); break;
  }
  return n;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void *valuePtr) {
  if (number == nullptr || valuePtr == nullptr) return 0;
  const int64_t v = number->value;
  switch (theType) {
    case kCFNumberSInt64Type:
      *static_cast<int64_t *>(valuePtr) = v;
      return 1;
    case kCFNumberLongType:
      *static_cast<long *>(valuePtr) = static_cast<long>(v);
      return 1;
    default:
      *static_cast<int32_t *>(valuePtr) = static_cast<int32_t>(v);
      return v >= INT32_MIN && v <= INT32_MAX ? 1 : 0;
  }
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char *cStr, CFStringEncoding) {
  if (cStr == nullptr) return nullptr;
  auto *s = new __CFString();
  s->text = cStr;
  return s;
}

const char *CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding) {
  if (theString == nullptr || encoding != kCFStringEncodingUTF8) return nullptr;
  return theString->text.c_str();
}

CFStringEncoding CFStringGetSystemEncoding(void) { return kCFStringEncodingUTF8; }

CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid) { return uuid != nullptr ? uuid->bytes : CFUUIDBytes{}; }

CFStringRef standin_cf_constant_string(const char *cStr) {
  static std::mutex lock;
  // Kept for the life of the process, as the real framework keeps its constants.
  static auto *constants = new std::map<std::string, __CFString *>();
  const std::lock_guard<std::mutex> hold(lock);
  __CFString *&s = (*constants)[cStr];
  if (s == nullptr) {
    s = new __CFString();
    s->constant = true;
    --cf::alive;
    s->text = cStr;
  }
  return s;
}

}  // extern "C"

namespace standin {

int cf_objects_alive() { return cf::alive.load(); }

}  // namespace standin
