/* The stand-in's Carbon: the Process Manager's bundle location of a process and the File
   Manager's catalog information, as far as telling a bundle from a bare executable needs them.
   Where the process was launched from is scripted through <standin/cocoa.h>; the File Manager
   looks at the real file system. */
#ifndef CORVANE_STANDIN_CARBON_H
#define CORVANE_STANDIN_CARBON_H

#include <ApplicationServices/ApplicationServices.h>
#include <CoreServices/CoreServices.h>
#include <HIToolbox/Menus.h>
#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ProcessSerialNumber {
  UInt32 highLongOfPSN;
  UInt32 lowLongOfPSN;
} ProcessSerialNumber;

enum { kNoProcess = 0, kSystemProcess = 1, kCurrentProcess = 2 };

/* A reference to a file or directory. */
typedef struct FSRef {
  UInt8 hidden[80];
} FSRef;

typedef UInt32 FSCatalogInfoBitmap;
enum { kFSCatInfoNone = 0, kFSCatInfoNodeFlags = 0x00000002 };
enum { kFSNodeIsDirectoryMask = 0x0010 };
enum { fnfErr = -43, procNotFound = -600 };

typedef struct FSCatalogInfo {
  UInt16 nodeFlags;
  UInt32 dataLogicalSize;
} FSCatalogInfo;

typedef struct HFSUniStr255 HFSUniStr255;
typedef struct FSSpec FSSpec;

/* The bundle (or, for a program that is not in a bundle, the executable) the process was
   launched from. */
OSStatus GetProcessBundleLocation(const ProcessSerialNumber *psn, FSRef *location);

/* Catalog information about `ref`: with kFSCatInfoNodeFlags, whether it is a directory. */
OSErr FSGetCatalogInfo(const FSRef *ref, FSCatalogInfoBitmap which_info, FSCatalogInfo *info,
                       HFSUniStr255 *out_name, FSSpec *fs_spec, FSRef *parent_ref);

#ifdef __cplusplus
}
#endif

#endif
