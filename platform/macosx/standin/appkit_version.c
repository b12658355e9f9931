/* AppKit's version number in the stand-in: writable here so that tests can pose as any release
   through <standin/appkit.h>; the drivers read it as the constant the real framework exports. */
#include <standin/appkit.h>

double NSAppKitVersionNumber = 949.0; /* Mac OS X 10.5 */

void standin_set_appkit_version(double version) { NSAppKitVersionNumber = version; }
