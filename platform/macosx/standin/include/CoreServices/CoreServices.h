/* The stand-in's Core Services: Gestalt, the system's answers to questions about itself by
   four-character selector. Answers are set by tests through <standin/gestalt.h>. */
#ifndef CORVANE_STANDIN_CORESERVICES_H
#define CORVANE_STANDIN_CORESERVICES_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  gestaltSystemVersion = 0x73797376,   /* 'sysv': the system version in binary-coded decimal */
  gestaltSoundAttr = 0x736e6420,       /* 'snd ': the sound hardware's attribute bits */
  gestaltStereoCapability = 0,         /* bit of 'snd ': stereo output */
  gestalt16BitSoundIO = 12,            /* bit of 'snd ': 16-bit output */
  gestaltUndefSelectorErr = -5551      /* no answer is known for the selector */
};

/* Stores the answer for `selector` in `*response` and returns noErr, or returns
   gestaltUndefSelectorErr (or the error a test scripted) and leaves `*response` alone. */
OSErr Gestalt(OSType selector, SInt32 *response);

#ifdef __cplusplus
}
#endif

#endif
