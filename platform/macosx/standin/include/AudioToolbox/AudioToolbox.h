/* The stand-in's AudioToolbox: audio processing graphs of audio units (nodes made from component
   descriptions, connected output to input, opened, initialised, started and taken down again). */
#ifndef CORVANE_STANDIN_AUDIOTOOLBOX_H
#define CORVANE_STANDIN_AUDIOTOOLBOX_H

#include <AudioUnit/AudioUnit.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaqueAUGraph *AUGraph;
typedef SInt32 AUNode;

OSStatus NewAUGraph(AUGraph *outGraph);
OSStatus AUGraphNewNode(AUGraph inGraph, const ComponentDescription *inDescription,
                        UInt32 inClassDataSize, const void *inClassData, AUNode *outNode);
OSStatus AUGraphOpen(AUGraph inGraph);
OSStatus AUGraphInitialize(AUGraph inGraph);
/* The node's description, class data and, once the graph is open, its audio unit. */
OSStatus AUGraphGetNodeInfo(AUGraph inGraph, AUNode inNode, ComponentDescription *outDescription,
                            UInt32 *outClassDataSize, void **outClassData, AudioUnit *outAudioUnit);
OSStatus AUGraphConnectNodeInput(AUGraph inGraph, AUNode inSourceNode, UInt32 inSourceOutputNumber,
                                 AUNode inDestNode, UInt32 inDestInputNumber);
OSStatus AUGraphStart(AUGraph inGraph);
OSStatus AUGraphStop(AUGraph inGraph);
OSStatus AUGraphUninitialize(AUGraph inGraph);
OSStatus AUGraphClose(AUGraph inGraph);
OSStatus DisposeAUGraph(AUGraph inGraph);

#ifdef __cplusplus
}
#endif

#endif
