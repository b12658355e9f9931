// The stand-in's Foundation classes on GCC's Objective-C runtime: a counted root object with
// retain counts and per-thread autorelease pools, strings, numbers, dictionaries, and the main
// bundle, file manager, process information, threads and Mach ports the host uses.
#include <Foundation/Foundation.h>
#include <objc/message.h>
#include <objc/runtime.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "standin_state.h"

namespace {

// Per-thread stack of autorelease pools; each pool is the objects it will release.
thread_local std::vector<std::vector<id> *> pool_stack;

std::atomic<unsigned> next_mach_port{0x1000};

// The retain count beyond the first reference lives in the bytes after an object's variables.
std::atomic<unsigned> *extra_references(id object) {
  return static_cast<std::atomic<unsigned> *>(object_getIndexedIvars(object));
}

std::string process_name_of_program() {
  standin::platform_state &p = standin::platform();
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    if (p.has_process_name) return p.process_name;
  }
  return program_invocation_short_name;
}

std::string executable_file() {
  char path[1024];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  path[length] = 0;
  return path;
}

}  // namespace

@implementation NSObject
+ (id)alloc {
  standin::platform_state &p = standin::platform();
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    if (!p.fail_alloc_class.empty() && p.fail_alloc_class == class_getName(self)) {
      p.fail_alloc_class.clear();
      return nil;
    }
  }
  id object = class_createInstance(self, sizeof(std::atomic<unsigned>));
  if (object == nil) return nil;
  new (object_getIndexedIvars(object)) std::atomic<unsigned>(0);
  ++standin::live_objects;
  return object;
}
+ (id)new {
  return [[self alloc] init];
}
+ (Class)class {
  return self;
}
- (id)init {
  return self;
}
- (id)retain {
  extra_references(self)->fetch_add(1);
  return self;
}
- (void)release {
  std::atomic<unsigned> *extra = extra_references(self);
  unsigned count = extra->load();
  while (count > 0 && !extra->compare_exchange_weak(count, count - 1)) {
  }
  if (count == 0) [self dealloc];
}
- (id)autorelease {
  if (!pool_stack.empty()) pool_stack.back()->push_back(self);
  return self;
}
- (void)dealloc {
  --standin::live_objects;
  object_dispose(self);
}
- (NSUInteger)retainCount {
  return extra_references(self)->load() + 1;
}
- (Class)class {
  return object_getClass(self);
}
- (BOOL)isKindOfClass:(Class)aClass {
  for (Class c = object_getClass(self); c != Nil; c = class_getSuperclass(c)) {
    if (c == aClass) return YES;
  }
  return NO;
}
- (BOOL)respondsToSelector:(SEL)aSelector {
  return class_respondsToSelector(object_getClass(self), aSelector) ? YES : NO;
}
@end

// Strings made at run time own a copy of their bytes.
@interface StandinString : NSString {
  char *bytes;
}
@end

@implementation NSString
+ (id)stringWithUTF8String:(const char *)text {
  return [[[StandinString alloc] initWithUTF8String:text] autorelease];
}
+ (id)stringWithCString:(const char *)text {
  return [self stringWithUTF8String:text];
}
- (id)initWithUTF8String:(const char *)text {
  (void)text;
  return self;
}
- (const char *)UTF8String {
  return "";
}
- (const char *)cString {
  return [self UTF8String];
}
- (const char *)lossyCString {
  return [self UTF8String];
}
- (const char *)fileSystemRepresentation {
  return [self UTF8String];
}
- (NSUInteger)length {
  return std::strlen([self UTF8String]);
}
- (BOOL)isEqualToString:(NSString *)other {
  return other != nil && std::strcmp([self UTF8String], [other UTF8String]) == 0 ? YES : NO;
}
- (NSString *)lastPathComponent {
  std::string path = [self UTF8String];
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && path.size() > 1) path = path.substr(slash + 1);
  return [NSString stringWithUTF8String:path.c_str()];
}
- (NSString *)stringByAppendingPathComponent:(NSString *)component {
  std::string path = [self UTF8String];
  if (!path.empty() && path.back() != '/') path += '/';
  path += [component UTF8String];
  return [NSString stringWithUTF8String:path.c_str()];
}
- (NSString *)stringByAppendingString:(NSString *)tail {
  const std::string text = std::string([self UTF8String]) + [tail UTF8String];
  return [NSString stringWithUTF8String:text.c_str()];
}
@end

@implementation StandinString
- (id)initWithUTF8String:(const char *)text {
  bytes = strdup(text != nullptr ? text : "");
  if (bytes == nullptr) {
    [self release];
    return nil;
  }
  return self;
}
- (const char *)UTF8String {
  return bytes;
}
- (void)dealloc {
  std::free(bytes);
  [super dealloc];
}
@end

@implementation NSConstantString
- (const char *)UTF8String {
  return c_string;
}
- (id)retain {
  return self;
}
- (void)release {
}
- (id)autorelease {
  return self;
}
@end

@implementation NSNumber
+ (NSNumber *)numberWithInt:(int)number {
  return [NSNumber numberWithDouble:number];
}
+ (NSNumber *)numberWithDouble:(double)number {
  NSNumber *made = [[NSNumber alloc] init];
  if (made != nil) made->_value = number;
  return [made autorelease];
}
- (int)intValue {
  return static_cast<int>(_value);
}
- (long)longValue {
  return static_cast<long>(_value);
}
- (double)doubleValue {
  return _value;
}
@end

namespace {

using dictionary_entries = std::vector<std::pair<id, id>>;

dictionary_entries *entries_of(void *entries) { return static_cast<dictionary_entries *>(entries); }

}  // namespace

@implementation NSDictionary
- (id)objectForKey:(id)key {
  if (_entries == nullptr) return nil;
  for (const auto &entry : *entries_of(_entries)) {
    if ([static_cast<NSString *>(entry.first) isEqualToString:key]) return entry.second;
  }
  return nil;
}
- (NSUInteger)count {
  return _entries != nullptr ? entries_of(_entries)->size() : 0;
}
- (void)dealloc {
  if (_entries != nullptr) {
    for (auto &entry : *entries_of(_entries)) {
      [entry.first release];
      [entry.second release];
    }
    delete entries_of(_entries);
  }
  [super dealloc];
}
@end

@implementation NSMutableDictionary
+ (id)dictionary {
  return [[[NSMutableDictionary alloc] init] autorelease];
}
- (void)setObject:(id)object forKey:(id)key {
  if (_entries == nullptr) _entries = new dictionary_entries;
  [object retain];
  for (auto &entry : *entries_of(_entries)) {
    if ([static_cast<NSString *>(entry.first) isEqualToString:key]) {
      [entry.second release];
      entry.second = object;
      return;
    }
  }
  entries_of(_entries)->emplace_back([key retain], object);
}
@end

@implementation NSAutoreleasePool
- (id)init {
  auto *objects = new std::vector<id>;
  _objects = objects;
  pool_stack.push_back(objects);
  return self;
}
- (void)drain {
  [self release];
}
- (void)dealloc {
  auto *held = static_cast<std::vector<id> *>(_objects);
  if (!pool_stack.empty() && pool_stack.back() == held) pool_stack.pop_back();
  // Releasing may autorelease again into the pool below, never into this one.
  _objects = nullptr;
  for (id object : *held) [object release];
  delete held;
  [super dealloc];
}
@end

@implementation NSNotification
@end

@implementation NSDate
+ (id)distantPast {
  static NSDate *past = [[NSDate alloc] init];
  return past;
}
@end

@implementation NSBundle
+ (NSBundle *)mainBundle {
  static NSBundle *bundle = [[NSBundle alloc] init];
  return bundle;
}
- (NSString *)bundlePath {
  standin::platform_state &p = standin::platform();
  std::string path;
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    path = p.bundle_path;
    if (!p.in_bundle) path.clear();
  }
  if (path.empty()) {
    // A bare executable's bundle is the directory it is in.
    path = executable_file();
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos) path.resize(slash);
  }
  return [NSString stringWithUTF8String:path.c_str()];
}
- (NSString *)resourcePath {
  standin::platform_state &p = standin::platform();
  bool in_bundle = false;
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    in_bundle = p.in_bundle;
  }
  if (!in_bundle) return [self bundlePath];
  return [[self bundlePath] stringByAppendingPathComponent:@"Contents/Resources"];
}
- (NSString *)executablePath {
  standin::platform_state &p = standin::platform();
  bool in_bundle = false;
  {
    const std::lock_guard<std::mutex> hold(p.lock);
    in_bundle = p.in_bundle;
  }
  if (!in_bundle) return [NSString stringWithUTF8String:executable_file().c_str()];
  NSString *macos = [[self bundlePath] stringByAppendingPathComponent:@"Contents/MacOS"];
  return [macos stringByAppendingPathComponent:[NSString stringWithUTF8String:process_name_of_program()
                                                                                  .c_str()]];
}
- (NSDictionary *)infoDictionary {
  standin::platform_state &p = standin::platform();
  NSMutableDictionary *info = [NSMutableDictionary dictionary];
  const std::lock_guard<std::mutex> hold(p.lock);
  if (p.in_bundle && p.has_bundle_name) {
    [info setObject:[NSString stringWithUTF8String:p.bundle_name.c_str()] forKey:@"CFBundleName"];
  }
  return info;
}
@end

@implementation NSFileManager
+ (NSFileManager *)defaultManager {
  static NSFileManager *manager = [[NSFileManager alloc] init];
  return manager;
}
- (BOOL)fileExistsAtPath:(NSString *)path isDirectory:(BOOL *)isDirectory {
  struct stat info {};
  if (path == nil || stat([path fileSystemRepresentation], &info) != 0) return NO;
  if (isDirectory != nullptr) *isDirectory = S_ISDIR(info.st_mode) ? YES : NO;
  return YES;
}
- (BOOL)changeCurrentDirectoryPath:(NSString *)path {
  standin::log_call(std::string("changeCurrentDirectoryPath: ") + [path UTF8String]);
  return chdir([path fileSystemRepresentation]) == 0 ? YES : NO;
}
@end

@implementation NSProcessInfo
+ (NSProcessInfo *)processInfo {
  static NSProcessInfo *info = [[NSProcessInfo alloc] init];
  return info;
}
- (NSString *)processName {
  return [NSString stringWithUTF8String:process_name_of_program().c_str()];
}
@end

namespace {

struct detached_call {
  SEL selector;
  id target;
  id argument;
};

void *run_detached_call(void *data) {
  auto *call = static_cast<detached_call *>(data);
  using method = void (*)(id, SEL, id);
  IMP imp = objc_msg_lookup(call->target, call->selector);
  reinterpret_cast<method>(reinterpret_cast<void (*)()>(imp))(call->target, call->selector,
                                                              call->argument);
  [call->argument release];
  delete call;
  return nullptr;
}

}  // namespace

@implementation NSThread
+ (void)detachNewThreadSelector:(SEL)selector toTarget:(id)target withObject:(id)argument {
  standin::log_call(std::string("detachNewThreadSelector: ") + sel_getName(selector) + " " +
                    object_getClassName(target));
  auto *call = new detached_call{selector, target, [argument retain]};
  pthread_t thread;
  if (pthread_create(&thread, nullptr, run_detached_call, call) != 0) {
    [argument release];
    delete call;
    return;
  }
  pthread_detach(thread);
}
@end

@implementation NSMachPort
+ (id)port {
  return [[[NSMachPort alloc] init] autorelease];
}
- (id)init {
  _port = next_mach_port.fetch_add(1);
  return self;
}
- (mach_port_t)machPort {
  return _port;
}
@end

NSString *NSDefaultRunLoopMode = @"kCFRunLoopDefaultMode";
