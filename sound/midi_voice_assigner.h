// How a MIDI driver that plays on digital voices gets a voice for the note it is asked to start:
// the MIDI player's voice allocation (assign_midi_voice), which the player registers here. The
// sound family reaches the player only through this pointer, so that drivers build and run
// without it.
#ifndef CORVANE_SOUND_MIDI_VOICE_ASSIGNER_H
#define CORVANE_SOUND_MIDI_VOICE_ASSIGNER_H

#include <atomic>

namespace corvane {

// (lowest, highest) -> the voice for the note being started (driver voice + first_voice), or -1.
using midi_voice_assigner = int (*)(int lowest, int highest);

// Null until the player registers its allocation; a driver then has no voice to play on.
extern std::atomic<midi_voice_assigner> midi_voice_assignment;

inline int assign_voice_for_note(int lowest, int highest) noexcept {
  const midi_voice_assigner assign = midi_voice_assignment.load(std::memory_order_acquire);
  return assign != nullptr ? assign(lowest, highest) : -1;
}

}  // namespace corvane

#endif  // CORVANE_SOUND_MIDI_VOICE_ASSIGNER_H
