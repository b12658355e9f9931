/* The stand-in's arrays: fixed lists of objects, each retained while in the array. An NSArray is
   the CFArrayRef of Core Graphics' mode lists, toll-free bridged as on the real system. */
#ifndef CORVANE_STANDIN_NSARRAY_H
#define CORVANE_STANDIN_NSARRAY_H

#ifdef __OBJC__

@interface NSArray : NSObject {
  id *_objects;
  NSUInteger _count;
}
+ (id)arrayWithObjects:(const id *)objects count:(NSUInteger)count;
- (id)initWithObjects:(const id *)objects count:(NSUInteger)count;
- (NSUInteger)count;
- (id)objectAtIndex:(NSUInteger)index;
@end

#endif /* __OBJC__ */

#endif
