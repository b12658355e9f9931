// The stand-in audio frameworks' shared state: the units of each graph, the scripted device and
// failures, and the record of calls. Guarded by one lock; render callbacks run without it.
#ifndef CORVANE_STANDIN_AUDIO_STATE_H
#define CORVANE_STANDIN_AUDIO_STATE_H

#include <AudioToolbox/AudioToolbox.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "component_record.h"
#include "standin/audio.h"

namespace standin::audio_state {

struct unit : ComponentInstanceRecord {
  AudioStreamBasicDescription input_format{};
  AudioStreamBasicDescription output_format{};
  bool input_format_set = false;
  bool output_format_set = false;
  AURenderCallbackStruct callback{};
  bool has_callback = false;
};

struct node {
  ComponentDescription description{};
  std::unique_ptr<unit> instance;  // made when the graph opens
};

struct connection {
  AUNode source;
  AUNode destination;
};

struct graph {
  std::vector<node> nodes;
  std::vector<connection> connections;
  bool open = false;
  bool initialized = false;
  bool running = false;
};

struct state {
  std::mutex lock;
  std::set<OpaqueAUGraph *> graphs;
  std::map<audio_call, OSStatus> failures;
  AudioStreamBasicDescription output_format{};
  UInt32 buffer_bytes = 4096;
  bool has_name = true;
  bool has_maker = true;
  std::string name = "Built-in Output";
  std::string maker = "Apple Inc.";
  std::vector<std::string> calls;
  std::vector<int16_t> played;
  std::vector<UInt32> requests;
};

state &the_state();
// The scripted error of the call, noErr when none. Call with the lock held.
OSStatus failure(state &s, audio_call call);
// A short name for a unit in the record of calls: "converter", "output", "music" or "unit".
std::string unit_name(const ComponentInstanceRecord *unit);
AudioStreamBasicDescription default_output_format();

}  // namespace standin::audio_state

struct OpaqueAUGraph : standin::audio_state::graph {};

#endif
