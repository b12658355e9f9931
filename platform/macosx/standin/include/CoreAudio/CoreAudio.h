/* The stand-in's CoreAudio: stream formats, buffer lists and time stamps, and the properties of
   an audio device (its buffer size, name and maker). */
#ifndef CORVANE_STANDIN_COREAUDIO_H
#define CORVANE_STANDIN_COREAUDIO_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 AudioDeviceID;
typedef UInt32 AudioDevicePropertyID;

typedef struct AudioStreamBasicDescription {
  Float64 mSampleRate;
  UInt32 mFormatID;
  UInt32 mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
} AudioStreamBasicDescription;

typedef struct AudioBuffer {
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void *mData;
} AudioBuffer;

typedef struct AudioBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
} AudioBufferList;

typedef struct AudioTimeStamp {
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  UInt32 mFlags;
  UInt32 mReserved;
} AudioTimeStamp;

enum {
  kAudioFormatLinearPCM = 0x6c70636d, /* 'lpcm' */
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
#if defined(__BIG_ENDIAN__) || (defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
  kAudioFormatFlagsNativeEndian = kAudioFormatFlagIsBigEndian,
#else
  kAudioFormatFlagsNativeEndian = 0,
#endif
  kAudioDevicePropertyBufferSize = 0x6273697a,         /* 'bsiz': UInt32 bytes */
  kAudioDevicePropertyDeviceName = 0x6e616d65,         /* 'name': C string */
  kAudioDevicePropertyDeviceManufacturer = 0x6d616b72, /* 'makr': C string */
  kAudioHardwareUnknownPropertyError = 0x77686f3f,     /* 'who?' */
  kAudioHardwareBadDeviceError = 0x21646576            /* '!dev' */
};

/* Copies the device's property into outPropertyData (at most *ioPropertyDataSize bytes; a name is
   cut and terminated) and stores the size written; an error code when it cannot. */
OSStatus AudioDeviceGetProperty(AudioDeviceID inDevice, UInt32 inChannel, Boolean isInput,
                                AudioDevicePropertyID inPropertyID, UInt32 *ioPropertyDataSize,
                                void *outPropertyData);

#ifdef __cplusplus
}
#endif

#endif
