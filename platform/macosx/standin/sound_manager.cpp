// The stand-in's Sound Manager: its version, sound channels with their command queues, and the
// simulated playing of those queues (buffers recorded, call-backs run) on a thread of its own.
#include <CarbonSound/Sound.h>

#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "standin/sound_manager.h"

using standin::sound_manager_call;

namespace {

struct channel_record {
  SndCallBackUPP callback = nullptr;
  std::deque<SndCommand> queue;
};

struct state {
  std::mutex lock;
  NumVersion version{0x03, 0x21, 0x80, 0};
  std::map<sound_manager_call, OSErr> failures;
  std::map<SndChannelPtr, channel_record> channels;
  std::vector<standin::played_buffer> played;
  std::vector<long> volumes;
  standin::channel_request last_request;
};

state &the_state() {
  static state s;
  return s;
}

OSErr failure(state &s, sound_manager_call call) {
  const auto found = s.failures.find(call);
  return found == s.failures.end() ? OSErr{noErr} : found->second;
}

NumVersion version_of(UInt8 major, UInt8 minor) {
  NumVersion v{};
  v.majorRev = major;
  v.minorAndBugRev = minor;
  v.stage = 0x80;  // final
  return v;
}

}  // namespace

extern "C" NumVersion SndSoundManagerVersion(void) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.version;
}

extern "C" SndCallBackUPP NewSndCallBackUPP(SndCallBackProcPtr userRoutine) { return userRoutine; }

extern "C" void DisposeSndCallBackUPP(SndCallBackUPP) {}

extern "C" OSErr SndNewChannel(SndChannelPtr *chan, SInt16 synth, long init,
                               SndCallBackUPP userRoutine) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  if (chan == nullptr || *chan == nullptr) return badChannel;  // the drivers bring their record
  s.last_request = {synth, init, (*chan)->qLength};
  if (const OSErr e = failure(s, sound_manager_call::new_channel)) return e;
  if (synth != sampledSynth) return notEnoughHardwareErr;
  (*chan)->callBack = userRoutine;
  s.channels[*chan].callback = userRoutine;
  return noErr;
}

extern "C" OSErr SndDoCommand(SndChannelPtr chan, const SndCommand *cmd, Boolean) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  const auto found = s.channels.find(chan);
  if (found == s.channels.end() || cmd == nullptr) return badChannel;
  switch (cmd->cmd) {
    case volumeCmd:
      if (const OSErr e = failure(s, sound_manager_call::volume_command)) return e;
      s.volumes.push_back(cmd->param2);
      return noErr;
    case bufferCmd:
      if (const OSErr e = failure(s, sound_manager_call::buffer_command)) return e;
      break;
    case callBackCmd:
      if (const OSErr e = failure(s, sound_manager_call::callback_command)) return e;
      break;
    default:
      return noErr;
  }
  if (found->second.queue.size() >= static_cast<size_t>(chan->qLength)) return queueFull;
  found->second.queue.push_back(*cmd);
  return noErr;
}

extern "C" OSErr SndDisposeChannel(SndChannelPtr chan, Boolean) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.channels.erase(chan) == 1 ? OSErr{noErr} : OSErr{badChannel};
}

namespace standin {

void sound_manager_reset() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.version = version_of(0x03, 0x21);
  s.failures.clear();
  s.channels.clear();
  s.played.clear();
  s.volumes.clear();
  s.last_request = {};
}

void sound_manager_set_version(UInt8 major_bcd, UInt8 minor_and_bug_bcd) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.version = version_of(major_bcd, minor_and_bug_bcd);
}

void sound_manager_fail(sound_manager_call call, OSErr error) {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.failures[call] = error;
}

int sound_manager_play(int buffers) {
  state &s = the_state();
  SndChannelPtr channel = nullptr;
  {
    const std::lock_guard<std::mutex> hold(s.lock);
    if (s.channels.size() != 1) return -1;
    channel = s.channels.begin()->first;
  }
  int played = 0;
  std::thread output([&] {
    while (played < buffers) {
      SndCommand command{};
      SndCallBackUPP callback = nullptr;
      {
        const std::lock_guard<std::mutex> hold(s.lock);
        const auto found = s.channels.find(channel);
        if (found == s.channels.end() || found->second.queue.empty()) return;
        command = found->second.queue.front();
        found->second.queue.pop_front();
        callback = found->second.callback;
        if (command.cmd == bufferCmd) {
          // NOLINTNEXTLINE(performance-no-int-to-ptr): a buffer command carries its header so.
          const auto *header = reinterpret_cast<const ExtSoundHeader *>(command.param2);
          played_buffer b;
          b.samples = header->samplePtr;
          b.channels = header->numChannels;
          b.rate = header->sampleRate;
          b.encoding = header->encode;
          b.frames = header->numFrames;
          b.sample_size = header->sampleSize;
          const auto *bytes = reinterpret_cast<const uint8_t *>(header->samplePtr);
          b.bytes.assign(bytes, bytes + size_t{b.channels} * (b.sample_size / 8u) * b.frames);
          s.played.push_back(std::move(b));
          ++played;
          continue;
        }
      }
      if (callback != nullptr) callback(channel, &command);
    }
  });
  output.join();
  return played;
}

std::vector<played_buffer> sound_manager_played() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.played;
}

int sound_manager_channels_open() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return static_cast<int>(s.channels.size());
}

std::vector<long> sound_manager_volumes() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.volumes;
}

channel_request sound_manager_last_channel() {
  state &s = the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  return s.last_request;
}

}  // namespace standin
