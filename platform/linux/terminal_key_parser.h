// Turning the bytes a terminal sends into key presses: characters, control keys, UTF-8 and the
// usual escape sequences. Used by the terminal keyboard driver.
#ifndef CORVANE_PLATFORM_LINUX_TERMINAL_KEY_PARSER_H
#define CORVANE_PLATFORM_LINUX_TERMINAL_KEY_PARSER_H

#include <cstddef>

namespace corvane::terminal_input {

// How long the bytes of an escape sequence may lag behind its ESC before the ESC counts as the
// Escape key on its own, in milliseconds.
inline constexpr int ESCAPE_DELAY_MS = 50;

// Receives each key the parser recognised: its character (0 for keys that type nothing) and its
// key index (0 when no key index fits, as for characters beyond ASCII).
using key_sink = void (*)(int character, int index, void *context);

// Turns the bytes a terminal sends into keys: ASCII characters, Enter (CR, LF, or CR LF as one),
// Backspace (BS or DEL), Tab, Escape, control letters, UTF-8 characters, and the escape sequences
// of arrows, Home/End, PgUp/PgDn, Insert/Delete and F1-F12 (CSI, SS3 and the Linux console's forms;
// modifier parameters are accepted and ignored). Sequences it does not know are dropped whole.
class key_parser {
 public:
  void feed(const unsigned char *bytes, size_t count, key_sink sink, void *context) noexcept;

  // True while the bytes seen so far end inside an escape sequence or a UTF-8 character.
  bool pending() const noexcept { return state_ != state::ground; }

  // The rest of a pending sequence is not coming (time-out or end of input): a pending ESC is the
  // Escape key, the bytes after it count as typed characters, a cut UTF-8 character is dropped.
  void flush(key_sink sink, void *context) noexcept;

 private:
  enum class state { ground, escape, csi, csi_bracket, ss3, utf8 };

  void ground_byte(unsigned char byte, key_sink sink, void *context) noexcept;
  void finish_csi(unsigned char final_byte, key_sink sink, void *context) noexcept;

  state state_ = state::ground;
  bool after_cr_ = false;
  // The bytes of the pending sequence after its ESC, or of the pending UTF-8 character.
  unsigned char held_[16] = {};
  size_t held_count_ = 0;
  bool held_overflow_ = false;
  int utf8_needed_ = 0;
  int utf8_value_ = 0;
};

// The key index a typed ASCII character belongs to on a US keyboard, 0 when none.
int key_index_of_ascii(int character) noexcept;

}  // namespace corvane::terminal_input

#endif  // CORVANE_PLATFORM_LINUX_TERMINAL_KEY_PARSER_H
