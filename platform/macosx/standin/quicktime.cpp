// The stand-in's QuickTime note allocator: the component opened by its type, note channels made,
// reset and disposed, and every call recorded with its arguments; any call can be scripted to
// fail.
#include <QuickTime/QuickTime.h>

#include <map>
#include <mutex>
#include <set>
#include <string>

#include "component_record.h"
#include "standin/quicktime.h"

using standin::quicktime_call;

struct OpaqueNoteChannel {
  int number = 0;
};

namespace {

struct scripted_failure {
  ComponentResult error = 0;
  int nth = 1;
  bool once = false;
};

struct state {
  std::mutex lock;
  std::set<ComponentInstance> components;
  std::map<NoteChannel, int> channels;
  int channels_made = 0;
  std::map<quicktime_call, scripted_failure> failures;
  std::map<quicktime_call, int> counts;
  std::vector<std::string> calls;
  standin::note_request_seen last_request;
};

state &the_state() {
  static state s;
  return s;
}

// Counts the call and answers its scripted error, noErr when none.
ComponentResult count(state &s, quicktime_call call) {
  const int n = ++s.counts[call];
  const auto found = s.failures.find(call);
  if (found == s.failures.end()) return noErr;
  const scripted_failure &f = found->second;
  return (f.once ? n == f.nth : n >= f.nth) ? f.error : noErr;
}

// Records the call on a channel; the channel's number, or 0 for one the allocator does not know.
int record(state &s, const char *name, NoteChannel channel, const std::string &arguments) {
  const auto found = s.channels.find(channel);
  const int number = found != s.channels.end() ? found->second : 0;
  s.calls.push_back(std::string(name) + " " + std::to_string(number) + arguments);
  return number;
}

std::string args(long a) { return " " + std::to_string(a); }
std::string args(long a, long b) { return args(a) + args(b); }

bool known(const state &s, NoteAllocator na) { return s.components.count(na) == 1; }

}  // namespace

extern "C" ComponentInstance OpenDefaultComponent(OSType componentType, OSType componentSubType) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.calls.emplace_back("OpenDefaultComponent");
  if (count(s, quicktime_call::open_component) != noErr) return nullptr;
  if (componentType != kNoteAllocatorComponentType) return nullptr;
  auto *instance = new ComponentInstanceRecord();
  instance->description.componentType = componentType;
  instance->description.componentSubType = componentSubType;
  s.components.insert(instance);
  return instance;
}

extern "C" OSErr CloseComponent(ComponentInstance instance) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.calls.emplace_back("CloseComponent");
  if (s.components.erase(instance) == 0) return invalidComponentID;
  delete instance;
  return noErr;
}

extern "C" ComponentResult NAStuffToneDescription(NoteAllocator na, SInt32 gmNumber,
                                                  ToneDescription *td) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.calls.push_back("NAStuffToneDescription" + args(gmNumber));
  if (!known(s, na) || td == nullptr) return invalidComponentID;
  if (const ComponentResult e = count(s, quicktime_call::stuff_tone)) return e;
  *td = ToneDescription{};
  td->synthesizerType = 0;
  td->gmNumber = gmNumber;
  td->instrumentNumber = gmNumber;
  return noErr;
}

extern "C" ComponentResult NANewNoteChannel(NoteAllocator na, NoteRequest *noteRequest,
                                            NoteChannel *outChannel) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.calls.emplace_back("NANewNoteChannel");
  if (!known(s, na) || noteRequest == nullptr || outChannel == nullptr) return invalidComponentID;
  s.last_request = {noteRequest->info.polyphony, noteRequest->info.typicalPolyphony,
                    noteRequest->tone.gmNumber};
  if (const ComponentResult e = count(s, quicktime_call::new_channel)) return e;
  auto *channel = new OpaqueNoteChannel();
  channel->number = ++s.channels_made;
  s.channels[channel] = channel->number;
  *outChannel = channel;
  return noErr;
}

extern "C" ComponentResult NADisposeNoteChannel(NoteAllocator na, NoteChannel noteChannel) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  record(s, "NADisposeNoteChannel", noteChannel, "");
  if (!known(s, na) || s.channels.erase(noteChannel) == 0) return invalidComponentID;
  delete noteChannel;
  return noErr;
}

namespace {

// A call on one of the allocator's channels: recorded, then checked and counted.
ComponentResult channel_call(const char *name, quicktime_call call, NoteAllocator na,
                             NoteChannel channel, const std::string &arguments) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  if (record(s, name, channel, arguments) == 0 || !known(s, na)) return invalidComponentID;
  return count(s, call);
}

}  // namespace

extern "C" ComponentResult NAResetNoteChannel(NoteAllocator na, NoteChannel noteChannel) {
  return channel_call("NAResetNoteChannel", quicktime_call::reset_channel, na, noteChannel, "");
}

extern "C" ComponentResult NAPlayNote(NoteAllocator na, NoteChannel noteChannel, long pitch,
                                      long velocity) {
  return channel_call("NAPlayNote", quicktime_call::play_note, na, noteChannel,
                      args(pitch, velocity));
}

extern "C" ComponentResult NASetInstrumentNumber(NoteAllocator na, NoteChannel noteChannel,
                                                 long instrumentNumber) {
  return channel_call("NASetInstrumentNumber", quicktime_call::set_instrument, na, noteChannel,
                      args(instrumentNumber));
}

extern "C" ComponentResult NASetController(NoteAllocator na, NoteChannel noteChannel,
                                           long controllerNumber, long controllerValue) {
  return channel_call("NASetController", quicktime_call::set_controller, na, noteChannel,
                      args(controllerNumber, controllerValue));
}

extern "C" ComponentResult NASetNoteChannelBalance(NoteAllocator na, NoteChannel noteChannel,
                                                   long balance) {
  return channel_call("NASetNoteChannelBalance", quicktime_call::set_balance, na, noteChannel,
                      args(balance));
}

extern "C" ComponentResult NASetNoteChannelVolume(NoteAllocator na, NoteChannel noteChannel,
                                                  Fixed volume) {
  return channel_call("NASetNoteChannelVolume", quicktime_call::set_volume, na, noteChannel,
                      args(volume));
}

namespace standin {

void quicktime_reset() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  for (ComponentInstance c : s.components) delete c;
  for (auto &[channel, number] : s.channels) delete channel;
  s.components.clear();
  s.channels.clear();
  s.channels_made = 0;
  s.failures.clear();
  s.counts.clear();
  s.calls.clear();
  s.last_request = {};
}

void quicktime_fail(quicktime_call call, ComponentResult error, int nth, bool once) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.failures[call] = {error, nth, once};
}

std::vector<std::string> quicktime_calls() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.calls;
}

void quicktime_clear_calls() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.calls.clear();
}

int quicktime_components_open() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return static_cast<int>(s.components.size());
}

int quicktime_channels_open() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return static_cast<int>(s.channels.size());
}

note_request_seen quicktime_last_request() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.last_request;
}

}  // namespace standin
