// Gathering a raw MIDI byte stream into messages for a synthesizer that takes whole messages: a
// status byte opens a message, and the message is complete after one data byte for program change
// and channel pressure (0xC0..0xDF) and after two for every other status. Running status is not
// taken (the MIDI player always sends the status).
#ifndef CORVANE_SOUND_MIDI_MESSAGE_GATHERER_H
#define CORVANE_SOUND_MIDI_MESSAGE_GATHERER_H

namespace corvane {

struct midi_message {
  int status;
  int data1;
  int data2;  // 0 for one-byte messages
};

class midi_message_gatherer {
 public:
  // Takes the next byte of the stream (its low eight bits); answers true when it completes a
  // message, which *out then holds. A status byte that arrives before the open message is
  // complete starts a new one (the unfinished message is dropped), and data bytes with no message
  // open are dropped, so that a damaged stream falls back into step at its next status byte.
  bool take(int byte, midi_message *out) noexcept {
    byte &= 0xFF;
    if (byte >= 0x80) {
      status_ = byte;
      count_ = 0;
      data_[0] = data_[1] = 0;
      return false;
    }
    if (status_ < 0) return false;
    data_[count_++] = byte;
    if (count_ < data_bytes(status_)) return false;
    *out = midi_message{status_, data_[0], data_[1]};
    status_ = -1;
    return true;
  }

  static int data_bytes(int status) noexcept { return status >= 0xC0 && status <= 0xDF ? 1 : 2; }

 private:
  int status_ = -1;  // the open message's status, -1 when none is open
  int count_ = 0;
  int data_[2] = {};
};

}  // namespace corvane

#endif  // CORVANE_SOUND_MIDI_MESSAGE_GATHERER_H
