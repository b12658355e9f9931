// Scripting the stand-in's QuickTime note allocator from tests: whether it opens, failures of its
// calls (every call of a kind, or only the n-th), and the calls it was asked, in order.
#ifndef CORVANE_STANDIN_CONTROL_QUICKTIME_H
#define CORVANE_STANDIN_CONTROL_QUICKTIME_H

#include <QuickTime/QuickTime.h>

#include <string>
#include <vector>

namespace standin {

enum class quicktime_call {
  open_component,
  stuff_tone,
  new_channel,
  reset_channel,
  play_note,
  set_instrument,
  set_controller,
  set_balance,
  set_volume,
};

// The allocator opens; no failures; nothing recorded.
void quicktime_reset();
// The call answers `error` from its n-th time on (counting from 1 since the reset), or only that
// once when `once` is set.
void quicktime_fail(quicktime_call call, ComponentResult error, int nth = 1, bool once = false);

// The calls made, one line each, channels numbered from 1 in the order they were made:
// "NAPlayNote 3 60 100", "NASetController 1 7 16256", "NASetInstrumentNumber 2 16385", ...
// (OpenDefaultComponent, CloseComponent and NAStuffToneDescription included).
std::vector<std::string> quicktime_calls();
void quicktime_clear_calls();

// Components and note channels open now.
int quicktime_components_open();
int quicktime_channels_open();
// What the last NANewNoteChannel was asked: polyphony, typical polyphony and General MIDI number.
struct note_request_seen {
  int polyphony = 0;
  Fixed typical_polyphony = 0;
  SInt32 gm_number = 0;
};
note_request_seen quicktime_last_request();

}  // namespace standin

#endif
