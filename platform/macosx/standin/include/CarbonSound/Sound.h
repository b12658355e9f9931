/* The stand-in's Sound Manager: its version, sound channels on the sampled synthesizer, the
   commands queued on them (buffers, call-backs, volume) and the extended sound header that
   describes a buffer of samples. */
#ifndef CORVANE_STANDIN_SOUND_H
#define CORVANE_STANDIN_SOUND_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 UnsignedFixed; /* 16.16 */

typedef struct NumVersion {
  UInt8 majorRev;      /* binary-coded decimal */
  UInt8 minorAndBugRev; /* two binary-coded decimal digits */
  UInt8 stage;
  UInt8 nonRelRev;
} NumVersion;

typedef struct SndCommand {
  UInt16 cmd;
  SInt16 param1;
  long param2;
} SndCommand;

typedef struct SndChannel SndChannel;
typedef SndChannel *SndChannelPtr;
typedef void (*SndCallBackProcPtr)(SndChannelPtr chan, SndCommand *cmd);
typedef SndCallBackProcPtr SndCallBackUPP;

enum { stdQLength = 128 };

struct SndChannel {
  SndChannelPtr nextChan;
  Ptr firstMod;
  SndCallBackUPP callBack;
  long userInfo;
  long wait;
  SndCommand cmdInProgress;
  SInt16 flags;
  SInt16 qLength;
  SInt16 qHead;
  SInt16 qTail;
  SndCommand queue[stdQLength];
};

typedef struct ExtSoundHeader {
  Ptr samplePtr;
  UInt32 numChannels;
  UnsignedFixed sampleRate;
  UInt32 loopStart;
  UInt32 loopEnd;
  UInt8 encode;
  UInt8 baseFrequency;
  UInt32 numFrames;
  UInt8 AIFFSampleRate[10];
  Ptr markerChunk;
  Ptr instrumentChunks;
  Ptr AESRecording;
  UInt16 sampleSize;
  UInt16 futureUse1;
  UInt32 futureUse2;
  UInt32 futureUse3;
  UInt32 futureUse4;
} ExtSoundHeader;

enum {
  nullCmd = 0,
  quietCmd = 3,
  flushCmd = 4,
  callBackCmd = 13,
  volumeCmd = 46,
  bufferCmd = 81,
  sampledSynth = 5,
  initMono = 0x0080,
  initStereo = 0x00C0,
  extSH = 0xFF,
  notEnoughHardwareErr = -201,
  queueFull = -203,
  badChannel = -205
};

/* The Sound Manager's version. */
NumVersion SndSoundManagerVersion(void);
/* Makes a call-back routine for SndNewChannel (here the routine itself). */
SndCallBackUPP NewSndCallBackUPP(SndCallBackProcPtr userRoutine);
void DisposeSndCallBackUPP(SndCallBackUPP userUPP);
/* Opens a channel on the synthesizer in the caller's record *chan (a new one when *chan is null),
   with the call-back that callBackCmd commands reach. */
OSErr SndNewChannel(SndChannelPtr *chan, SInt16 synth, long init, SndCallBackUPP userRoutine);
/* Queues a command on the channel (queueFull when the queue is full and noWait is set). */
OSErr SndDoCommand(SndChannelPtr chan, const SndCommand *cmd, Boolean noWait);
/* Closes the channel, at once when quietNow is set, else after its queued commands. */
OSErr SndDisposeChannel(SndChannelPtr chan, Boolean quietNow);

#ifdef __cplusplus
}
#endif

#endif
