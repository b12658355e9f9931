/* The stand-in's QuickTime music: the note allocator component, its note channels and what they
   play (notes, instruments, controllers, balance and volume). */
#ifndef CORVANE_STANDIN_QUICKTIME_H
#define CORVANE_STANDIN_QUICKTIME_H

#include <CarbonCore/Components.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt32 Fixed; /* 16.16 */
typedef unsigned char Str31[32];
typedef ComponentInstance NoteAllocator;
typedef struct OpaqueNoteChannel *NoteChannel;

typedef struct ToneDescription {
  OSType synthesizerType;
  Str31 synthesizerName;
  Str31 instrumentName;
  SInt32 instrumentNumber;
  SInt32 gmNumber;
} ToneDescription;

typedef struct NoteRequestInfo {
  UInt8 flags;
  UInt8 midiChannelAssignment;
  SInt16 polyphony;
  Fixed typicalPolyphony;
} NoteRequestInfo;

typedef struct NoteRequest {
  NoteRequestInfo info;
  ToneDescription tone;
} NoteRequest;

enum {
  kNoteAllocatorComponentType = 0x6e6f7461, /* 'nota' */
  kControllerVolume = 7,
  kControllerPitchBend = 32,
  kFirstDrumkit = 16384
};

ComponentResult NAStuffToneDescription(NoteAllocator na, SInt32 gmNumber, ToneDescription *td);
ComponentResult NANewNoteChannel(NoteAllocator na, NoteRequest *noteRequest, NoteChannel *outChannel);
ComponentResult NAResetNoteChannel(NoteAllocator na, NoteChannel noteChannel);
ComponentResult NADisposeNoteChannel(NoteAllocator na, NoteChannel noteChannel);
ComponentResult NAPlayNote(NoteAllocator na, NoteChannel noteChannel, long pitch, long velocity);
ComponentResult NASetInstrumentNumber(NoteAllocator na, NoteChannel noteChannel,
                                      long instrumentNumber);
ComponentResult NASetController(NoteAllocator na, NoteChannel noteChannel, long controllerNumber,
                                long controllerValue);
ComponentResult NASetNoteChannelBalance(NoteAllocator na, NoteChannel noteChannel, long balance);
ComponentResult NASetNoteChannelVolume(NoteAllocator na, NoteChannel noteChannel, Fixed volume);

#ifdef __cplusplus
}
#endif

#endif
