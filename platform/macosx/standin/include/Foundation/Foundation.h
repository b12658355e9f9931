/* The stand-in's Foundation: the root class and the few Foundation classes the application host
   uses (strings, dictionaries, numbers, autorelease pools, the main bundle, the file manager, the
   process information, threads, Mach ports and dates), with the interfaces Cocoa gives them. The
   objects are counted, so that tests can see that nothing is left allocated; see
   <standin/cocoa.h>. */
#ifndef CORVANE_STANDIN_FOUNDATION_H
#define CORVANE_STANDIN_FOUNDATION_H

#include <MacTypes.h>
#include <mach/mach.h>
#include <objc/objc.h>
#include <stddef.h>

typedef long NSInteger;
typedef unsigned long NSUInteger;

typedef struct NSPoint {
  double x;
  double y;
} NSPoint;
typedef struct NSSize {
  double width;
  double height;
} NSSize;
typedef struct NSRect {
  NSPoint origin;
  NSSize size;
} NSRect;

static inline NSPoint NSMakePoint(double x, double y) {
  NSPoint p;
  p.x = x;
  p.y = y;
  return p;
}
static inline NSSize NSMakeSize(double w, double h) {
  NSSize s;
  s.width = w;
  s.height = h;
  return s;
}

#ifdef __OBJC__

@class NSString;

__attribute__((objc_root_class))
@interface NSObject {
  Class isa;
}
+ (id)alloc;
+ (id)new;
+ (Class)class;
- (id)init;
- (id)retain;
- (void)release;
- (id)autorelease;
- (void)dealloc;
- (NSUInteger)retainCount;
- (Class)class;
- (BOOL)isKindOfClass:(Class)aClass;
- (BOOL)respondsToSelector:(SEL)aSelector;
@end

@interface NSString : NSObject
+ (id)stringWithUTF8String:(const char *)bytes;
+ (id)stringWithCString:(const char *)bytes;
- (id)initWithUTF8String:(const char *)bytes;
- (const char *)UTF8String;
- (const char *)cString;
- (const char *)lossyCString;
- (const char *)fileSystemRepresentation;
- (NSUInteger)length;
- (BOOL)isEqualToString:(NSString *)other;
- (NSString *)lastPathComponent;
- (NSString *)stringByAppendingPathComponent:(NSString *)component;
- (NSString *)stringByAppendingString:(NSString *)tail;
@end

/* The class of string literals: the layout GCC's runtime gives them. */
@interface NSConstantString : NSString {
  char *c_string;
  unsigned int len;
}
@end

@interface NSNumber : NSObject {
  double _value;
}
+ (NSNumber *)numberWithInt:(int)value;
+ (NSNumber *)numberWithDouble:(double)value;
- (int)intValue;
- (long)longValue;
- (double)doubleValue;
@end

@interface NSDictionary : NSObject {
  void *_entries;
}
- (id)objectForKey:(id)key;
- (NSUInteger)count;
@end

@interface NSMutableDictionary : NSDictionary
+ (id)dictionary;
- (void)setObject:(id)object forKey:(id)key;
@end

@interface NSAutoreleasePool : NSObject {
  void *_objects;
}
- (void)drain;
@end

@interface NSNotification : NSObject
@end

@interface NSDate : NSObject
+ (id)distantPast;
@end

@interface NSBundle : NSObject
+ (NSBundle *)mainBundle;
- (NSString *)bundlePath;
- (NSString *)resourcePath;
- (NSString *)executablePath;
- (NSDictionary *)infoDictionary;
@end

@interface NSFileManager : NSObject
+ (NSFileManager *)defaultManager;
- (BOOL)fileExistsAtPath:(NSString *)path isDirectory:(BOOL *)isDirectory;
- (BOOL)changeCurrentDirectoryPath:(NSString *)path;
@end

@interface NSProcessInfo : NSObject
+ (NSProcessInfo *)processInfo;
- (NSString *)processName;
@end

@interface NSThread : NSObject
+ (void)detachNewThreadSelector:(SEL)selector toTarget:(id)target withObject:(id)argument;
@end

@interface NSMachPort : NSObject {
  mach_port_t _port;
}
+ (id)port;
- (id)init;
- (mach_port_t)machPort;
@end

extern NSString *NSDefaultRunLoopMode;

#include <Foundation/NSArray.h>

#endif /* __OBJC__ */

#endif
