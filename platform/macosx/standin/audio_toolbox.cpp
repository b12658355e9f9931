// The stand-in's AudioToolbox graphs (nodes, connections, open, initialise, start and take down),
// the scripting of the audio frameworks, and the simulated output that pulls blocks through a
// running graph's converter.
#include <AudioToolbox/AudioToolbox.h>

#include <cstring>
#include <thread>

#include "audio_state.h"

using standin::audio_call;
namespace state = standin::audio_state;

namespace standin::audio_state {

state &the_state() {
  static state s;
  return s;
}

OSStatus failure(state &s, audio_call call) {
  const auto found = s.failures.find(call);
  return found == s.failures.end() ? noErr : found->second;
}

std::string unit_name(const ComponentInstanceRecord *unit) {
  if (unit == nullptr) return "unknown";
  switch (unit->description.componentSubType) {
    case kAudioUnitSubType_AUConverter: return "converter";
    case kAudioUnitSubType_DefaultOutput: return "output";
    case kAudioUnitSubType_DLSSynth: return "music";
    default: return "unit";
  }
}

AudioStreamBasicDescription default_output_format() {
  AudioStreamBasicDescription f{};
  f.mSampleRate = 44100.0;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagsNativeEndian;
  f.mChannelsPerFrame = 2;
  f.mBitsPerChannel = 32;
  f.mBytesPerFrame = 8;
  f.mBytesPerPacket = 8;
  f.mFramesPerPacket = 1;
  return f;
}

}  // namespace standin::audio_state

namespace {

// The graph if it exists, with the call recorded and its scripted error in *error.
OpaqueAUGraph *checked(state::state &s, AUGraph g, const char *call, OSStatus *error,
                       audio_call failing) {
  s.calls.emplace_back(call);
  *error = noErr;
  if (s.graphs.count(g) == 0) {
    *error = invalidComponentID;
    return nullptr;
  }
  *error = state::failure(s, failing);
  return *error == noErr ? g : nullptr;
}

bool known_component(const ComponentDescription &d) {
  if (d.componentManufacturer != kAudioUnitManufacturer_Apple) return false;
  return (d.componentType == kAudioUnitType_FormatConverter &&
          d.componentSubType == kAudioUnitSubType_AUConverter) ||
         (d.componentType == kAudioUnitType_Output &&
          d.componentSubType == kAudioUnitSubType_DefaultOutput) ||
         (d.componentType == kAudioUnitType_MusicDevice &&
          d.componentSubType == kAudioUnitSubType_DLSSynth);
}

bool valid_node(const OpaqueAUGraph *g, AUNode n) {
  return n >= 0 && static_cast<size_t>(n) < g->nodes.size();
}

constexpr audio_call no_failure = static_cast<audio_call>(-1);

}  // namespace

extern "C" OSStatus NewAUGraph(AUGraph *outGraph) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.calls.emplace_back("NewAUGraph");
  if (outGraph == nullptr) return kAudioUnitErr_InvalidPropertyValue;
  if (const OSStatus e = state::failure(s, audio_call::new_graph)) return e;
  *outGraph = new OpaqueAUGraph();
  s.graphs.insert(*outGraph);
  return noErr;
}

extern "C" OSStatus AUGraphNewNode(AUGraph inGraph, const ComponentDescription *inDescription,
                                   UInt32, const void *, AUNode *outNode) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphNewNode", &e, audio_call::new_node);
  if (g == nullptr) return e;
  if (inDescription == nullptr || outNode == nullptr) return kAudioUnitErr_InvalidPropertyValue;
  state::node n;
  n.description = *inDescription;
  g->nodes.push_back(std::move(n));
  *outNode = static_cast<AUNode>(g->nodes.size() - 1);
  return noErr;
}

extern "C" OSStatus AUGraphOpen(AUGraph inGraph) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphOpen", &e, audio_call::graph_open);
  if (g == nullptr) return e;
  for (const state::node &n : g->nodes) {
    if (!known_component(n.description)) return badComponentType;
  }
  for (state::node &n : g->nodes) {
    n.instance = std::make_unique<state::unit>();
    n.instance->description = n.description;
  }
  g->open = true;
  return noErr;
}

extern "C" OSStatus AUGraphInitialize(AUGraph inGraph) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphInitialize", &e, audio_call::graph_initialize);
  if (g == nullptr) return e;
  if (!g->open) return kAudioUnitErr_InvalidPropertyValue;
  g->initialized = true;
  return noErr;
}

extern "C" OSStatus AUGraphGetNodeInfo(AUGraph inGraph, AUNode inNode,
                                       ComponentDescription *outDescription, UInt32 *outClassDataSize,
                                       void **outClassData, AudioUnit *outAudioUnit) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphGetNodeInfo", &e, audio_call::node_info);
  if (g == nullptr) return e;
  if (!valid_node(g, inNode)) return kAudioUnitErr_InvalidPropertyValue;
  const state::node &n = g->nodes[static_cast<size_t>(inNode)];
  if (outDescription != nullptr) *outDescription = n.description;
  if (outClassDataSize != nullptr) *outClassDataSize = 0;
  if (outClassData != nullptr) *outClassData = nullptr;
  if (outAudioUnit != nullptr) *outAudioUnit = n.instance.get();
  return noErr;
}

extern "C" OSStatus AUGraphConnectNodeInput(AUGraph inGraph, AUNode inSourceNode, UInt32,
                                            AUNode inDestNode, UInt32) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphConnectNodeInput", &e, audio_call::connect);
  if (g == nullptr) return e;
  if (!valid_node(g, inSourceNode) || !valid_node(g, inDestNode)) {
    return kAudioUnitErr_InvalidPropertyValue;
  }
  g->connections.push_back({inSourceNode, inDestNode});
  return noErr;
}

extern "C" OSStatus AUGraphStart(AUGraph inGraph) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphStart", &e, audio_call::graph_start);
  if (g == nullptr) return e;
  if (!g->initialized) return kAudioUnitErr_InvalidPropertyValue;
  g->running = true;
  return noErr;
}

extern "C" OSStatus AUGraphStop(AUGraph inGraph) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphStop", &e, no_failure);
  if (g == nullptr) return e;
  g->running = false;
  return noErr;
}

extern "C" OSStatus AUGraphUninitialize(AUGraph inGraph) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphUninitialize", &e, no_failure);
  if (g == nullptr) return e;
  g->running = false;
  g->initialized = false;
  return noErr;
}

extern "C" OSStatus AUGraphClose(AUGraph inGraph) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "AUGraphClose", &e, no_failure);
  if (g == nullptr) return e;
  g->running = false;
  g->initialized = false;
  g->open = false;
  for (state::node &n : g->nodes) n.instance.reset();
  return noErr;
}

extern "C" OSStatus DisposeAUGraph(AUGraph inGraph) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  OSStatus e = noErr;
  OpaqueAUGraph *g = checked(s, inGraph, "DisposeAUGraph", &e, no_failure);
  if (g == nullptr) return e;
  s.graphs.erase(g);
  delete g;
  return noErr;
}

namespace standin {

void audio_reset() {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  for (OpaqueAUGraph *g : s.graphs) delete g;
  s.graphs.clear();
  s.failures.clear();
  s.output_format = state::default_output_format();
  s.buffer_bytes = 4096;
  s.has_name = s.has_maker = true;
  s.name = "Built-in Output";
  s.maker = "Apple Inc.";
  s.calls.clear();
  s.played.clear();
  s.requests.clear();
}

void audio_fail(audio_call call, OSStatus error) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.failures[call] = error;
}

void audio_set_output_format(double rate, UInt32 bits_per_channel) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.output_format.mSampleRate = rate;
  s.output_format.mBitsPerChannel = bits_per_channel;
}

void audio_set_device(UInt32 buffer_bytes, const char *name, const char *maker) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.buffer_bytes = buffer_bytes;
  s.has_name = name != nullptr;
  s.has_maker = maker != nullptr;
  s.name = name != nullptr ? name : "";
  s.maker = maker != nullptr ? maker : "";
}

std::vector<std::string> audio_calls() {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.calls;
}

void audio_clear_calls() {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.calls.clear();
}

int audio_graphs_alive() {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return static_cast<int>(s.graphs.size());
}

int audio_graphs_running() {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  int running = 0;
  for (const OpaqueAUGraph *g : s.graphs) running += g->running ? 1 : 0;
  return running;
}

namespace {

bool same_format(const AudioStreamBasicDescription &a, const AudioStreamBasicDescription &b) {
  return a.mSampleRate == b.mSampleRate && a.mFormatID == b.mFormatID &&
         a.mFormatFlags == b.mFormatFlags && a.mBytesPerPacket == b.mBytesPerPacket &&
         a.mFramesPerPacket == b.mFramesPerPacket && a.mBytesPerFrame == b.mBytesPerFrame &&
         a.mChannelsPerFrame == b.mChannelsPerFrame && a.mBitsPerChannel == b.mBitsPerChannel;
}

bool fed_converter(const OpaqueAUGraph &g, const AudioStreamBasicDescription &device,
                   AURenderCallbackStruct &callback, bool &big_endian) {
  for (size_t i = 0; i < g.nodes.size(); ++i) {
    const state::unit *u = g.nodes[i].instance.get();
    if (u == nullptr || u->description.componentSubType != kAudioUnitSubType_AUConverter) continue;
    const AudioStreamBasicDescription &in = u->input_format;
    const bool feeds_output = [&] {
      for (const state::connection &c : g.connections) {
        const state::unit *d = g.nodes[static_cast<size_t>(c.destination)].instance.get();
        if (static_cast<size_t>(c.source) == i && d != nullptr &&
            d->description.componentType == kAudioUnitType_Output) {
          return true;
        }
      }
      return false;
    }();
    if (!feeds_output || !u->has_callback || !u->input_format_set || !u->output_format_set ||
        !same_format(u->output_format, device) || in.mFormatID != kAudioFormatLinearPCM ||
        (in.mFormatFlags & kAudioFormatFlagIsSignedInteger) == 0 || in.mBitsPerChannel != 16 ||
        in.mChannelsPerFrame != 2 || in.mBytesPerFrame != 4 || in.mSampleRate != device.mSampleRate) {
      continue;
    }
    callback = u->callback;
    big_endian = (in.mFormatFlags & kAudioFormatFlagIsBigEndian) != 0;
    return true;
  }
  return false;
}

}  // namespace

int audio_pull(UInt32 frames, int pulls) {
  state::state &s = state::the_state();
  AURenderCallbackStruct callback{};
  bool big_endian = false;
  {
    const std::lock_guard<std::mutex> hold(s.lock);
    bool found = false;
    for (const OpaqueAUGraph *g : s.graphs) {
      if (g->running && fed_converter(*g, s.output_format, callback, big_endian)) {
        found = true;
        break;
      }
    }
    if (!found) return -1;
  }
  int served = 0;
  std::thread output([&] {
    std::vector<uint8_t> bytes(static_cast<size_t>(frames) * 4);
    AudioTimeStamp stamp{};
    for (int i = 0; i < pulls; ++i) {
      AudioBufferList list{};
      list.mNumberBuffers = 1;
      list.mBuffers[0].mNumberChannels = 2;
      list.mBuffers[0].mDataByteSize = static_cast<UInt32>(bytes.size());
      list.mBuffers[0].mData = bytes.data();
      AudioUnitRenderActionFlags flags = 0;
      {
        const std::lock_guard<std::mutex> hold(s.lock);
        s.requests.push_back(frames);
      }
      if (callback.inputProc(callback.inputProcRefCon, &flags, &stamp, 0, frames, &list) != noErr) {
        break;
      }
      stamp.mSampleTime += frames;
      const std::lock_guard<std::mutex> hold(s.lock);
      for (size_t b = 0; b + 1 < bytes.size(); b += 2) {
        const unsigned hi = big_endian ? bytes[b] : bytes[b + 1];
        const unsigned lo = big_endian ? bytes[b + 1] : bytes[b];
        s.played.push_back(static_cast<int16_t>(static_cast<uint16_t>(hi << 8 | lo)));
      }
      ++served;
    }
  });
  output.join();
  return served;
}

std::vector<int16_t> audio_played() {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.played;
}

std::vector<UInt32> audio_render_requests() {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.requests;
}

}  // namespace standin
