// The stand-in's Carbon Process and File Managers (where the process was launched from, and
// whether that is a directory, read from the real file system) and the process manager's private
// calls that make a bare executable a foreground application.
#include <Carbon/Carbon.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "standin_state.h"

namespace {

// An FSRef names an entry of this table by index, since paths do not fit its 80 bytes.
std::mutex refs_lock;
std::vector<std::string> referenced_paths;

std::string path_of(const FSRef *ref) {
  std::uint32_t index = 0;
  std::memcpy(&index, ref->hidden, sizeof index);
  const std::lock_guard<std::mutex> hold(refs_lock);
  return index < referenced_paths.size() ? referenced_paths[index] : std::string();
}

bool foreground_step_fails(int step) {
  standin::platform_state &p = standin::platform();
  const std::lock_guard<std::mutex> hold(p.lock);
  return p.fail_foreground_step == step;
}

}  // namespace

extern "C" {

// Declared by the programs that use them; the system has no header for them.
typedef struct CPSProcessSerNum {
  UInt32 lo;
  UInt32 hi;
} CPSProcessSerNum;
OSErr CPSGetCurrentProcess(CPSProcessSerNum *psn);
OSErr CPSEnableForegroundOperation(CPSProcessSerNum *psn, UInt32 arg2, UInt32 arg3, UInt32 arg4,
                                   UInt32 arg5);
OSErr CPSSetFrontProcess(CPSProcessSerNum *psn);

OSStatus GetProcessBundleLocation(const ProcessSerialNumber *psn, FSRef *location) {
  if (psn == nullptr || location == nullptr || psn->lowLongOfPSN != kCurrentProcess) {
    return procNotFound;
  }
  std::string path;
  {
    standin::platform_state &p = standin::platform();
    const std::lock_guard<std::mutex> hold(p.lock);
    path = p.in_bundle ? p.bundle_path : std::string();
  }
  if (path.empty()) {
    char exe[1024];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) return fnfErr;
    exe[length] = 0;
    path = exe;
  }
  std::uint32_t index = 0;
  {
    const std::lock_guard<std::mutex> hold(refs_lock);
    index = static_cast<std::uint32_t>(referenced_paths.size());
    referenced_paths.push_back(path);
  }
  std::memset(location, 0, sizeof *location);
  std::memcpy(location->hidden, &index, sizeof index);
  return noErr;
}

OSErr FSGetCatalogInfo(const FSRef *ref, FSCatalogInfoBitmap which_info, FSCatalogInfo *info,
                       HFSUniStr255 *out_name, FSSpec *fs_spec, FSRef *parent_ref) {
  (void)out_name;
  (void)fs_spec;
  (void)parent_ref;
  if (ref == nullptr) return fnfErr;
  struct stat entry {};
  if (stat(path_of(ref).c_str(), &entry) != 0) return fnfErr;
  if (info != nullptr && (which_info & kFSCatInfoNodeFlags) != 0) {
    info->nodeFlags = S_ISDIR(entry.st_mode) ? kFSNodeIsDirectoryMask : 0;
  }
  return noErr;
}

OSErr CPSGetCurrentProcess(CPSProcessSerNum *psn) {
  standin::log_call("CPSGetCurrentProcess");
  if (foreground_step_fails(1)) return static_cast<OSErr>(procNotFound);
  if (psn != nullptr) *psn = CPSProcessSerNum{kCurrentProcess, 0};
  return noErr;
}

OSErr CPSEnableForegroundOperation(CPSProcessSerNum *psn, UInt32 arg2, UInt32 arg3, UInt32 arg4,
                                   UInt32 arg5) {
  (void)psn;
  char line[96];
  std::snprintf(line, sizeof line, "CPSEnableForegroundOperation %x %x %x %x", arg2, arg3, arg4,
                arg5);
  standin::log_call(line);
  if (foreground_step_fails(2)) return static_cast<OSErr>(procNotFound);
  return noErr;
}

OSErr CPSSetFrontProcess(CPSProcessSerNum *psn) {
  (void)psn;
  standin::log_call("CPSSetFrontProcess");
  if (foreground_step_fails(3)) return static_cast<OSErr>(procNotFound);
  return noErr;
}

}  // extern "C"
