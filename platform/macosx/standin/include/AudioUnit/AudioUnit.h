/* The stand-in's AudioUnit: properties and parameters of audio units (stream formats, the render
   callback, the output's device, render quality and reverb room, volume) and the music device's
   MIDI events. */
#ifndef CORVANE_STANDIN_AUDIOUNIT_H
#define CORVANE_STANDIN_AUDIOUNIT_H

#include <CarbonCore/Components.h>
#include <CoreAudio/CoreAudio.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef ComponentInstance AudioUnit;
typedef AudioUnit MusicDeviceComponent;
typedef UInt32 AudioUnitPropertyID;
typedef UInt32 AudioUnitScope;
typedef UInt32 AudioUnitElement;
typedef UInt32 AudioUnitParameterID;
typedef Float32 AudioUnitParameterValue;
typedef UInt32 AudioUnitRenderActionFlags;

typedef OSStatus (*AURenderCallback)(void *inRefCon, AudioUnitRenderActionFlags *ioActionFlags,
                                     const AudioTimeStamp *inTimeStamp, UInt32 inBusNumber,
                                     UInt32 inNumberFrames, AudioBufferList *ioData);

typedef struct AURenderCallbackStruct {
  AURenderCallback inputProc;
  void *inputProcRefCon;
} AURenderCallbackStruct;

enum {
  kAudioUnitType_Output = 0x61756f75,          /* 'auou' */
  kAudioUnitSubType_DefaultOutput = 0x64656620, /* 'def ' */
  kAudioUnitType_FormatConverter = 0x61756663, /* 'aufc' */
  kAudioUnitSubType_AUConverter = 0x636f6e76,  /* 'conv' */
  kAudioUnitType_MusicDevice = 0x61756d75,     /* 'aumu' */
  kAudioUnitSubType_DLSSynth = 0x646c7320,     /* 'dls ' */
  kAudioUnitManufacturer_Apple = 0x6170706c,   /* 'appl' */

  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,

  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_ReverbRoomType = 10,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_RenderQuality = 26,
  kAudioOutputUnitProperty_CurrentDevice = 2000,

  kHALOutputParam_Volume = 14,
  kMusicDeviceParam_Volume = 14,

  kAudioUnitErr_InvalidProperty = -10879,
  kAudioUnitErr_InvalidParameter = -10878,
  kAudioUnitErr_InvalidPropertyValue = -10851
};

/* Copies a property of the unit into outData (*ioDataSize bytes at most) and stores its size. */
OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void *outData, UInt32 *ioDataSize);
/* Sets a property of the unit from inDataSize bytes at inData. */
OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void *inData, UInt32 inDataSize);
/* Sets a parameter of the unit. */
OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue,
                               UInt32 inBufferOffsetInFrames);
/* Hands the music device one MIDI message. */
OSStatus MusicDeviceMIDIEvent(MusicDeviceComponent inUnit, UInt32 inStatus, UInt32 inData1,
                              UInt32 inData2, UInt32 inOffsetSampleFrame);

#ifdef __cplusplus
}
#endif

#endif
