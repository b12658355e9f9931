/* Scripting Gestalt in the stand-in: the answer or the error each selector gives. */
#ifndef CORVANE_STANDIN_CONTROL_GESTALT_H
#define CORVANE_STANDIN_CONTROL_GESTALT_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

/* From now on Gestalt(selector) answers `value` with noErr. */
void standin_gestalt_set(OSType selector, SInt32 value);
/* From now on Gestalt(selector) fails with `error`. */
void standin_gestalt_fail(OSType selector, OSErr error);
/* Forgets every answer: each selector gives gestaltUndefSelectorErr until set again. */
void standin_gestalt_reset(void);

#ifdef __cplusplus
}
#endif

#endif
