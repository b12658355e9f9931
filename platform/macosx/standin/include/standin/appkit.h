/* Scripting AppKit's version number in the stand-in. */
#ifndef CORVANE_STANDIN_CONTROL_APPKIT_H
#define CORVANE_STANDIN_CONTROL_APPKIT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Sets the value NSAppKitVersionNumber reads from now on (949.0, Mac OS X 10.5, at start). */
void standin_set_appkit_version(double version);

#ifdef __cplusplus
}
#endif

#endif
