// The terminal's byte stream as keys. A terminal reports typed characters as bytes (UTF-8 beyond
// ASCII), and the keys that type nothing as escape sequences: CSI (ESC [) with numeric parameters
// and a final byte, SS3 (ESC O) with one byte, and the Linux console's ESC [ [ for F1-F5. An ESC
// followed by nothing is the Escape key itself, which only a pause can tell; the reader calls
// flush() when that pause has passed.
#include "platform/linux/terminal_key_parser.h"

#include "corvane/keyboard.h"

namespace corvane::terminal_input {
namespace {

// Key indices of the punctuation keys on a US keyboard, which have no names of their own.
constexpr int KEY_MINUS = 61;
constexpr int KEY_EQUALS = 62;
constexpr int KEY_OPENBRACE = 65;
constexpr int KEY_CLOSEBRACE = 66;
constexpr int KEY_QUOTE = 69;
constexpr int KEY_COMMA = 72;
constexpr int KEY_STOP = 73;
constexpr int KEY_SLASH = 74;
constexpr int KEY_TILDE = 104;
constexpr int KEY_SEMICOLON = 105;

constexpr int ESC = 0x1B;
constexpr int CHAR_ENTER = 13;
constexpr int CHAR_BACKSPACE = 8;
constexpr int CHAR_TAB = 9;
constexpr int CHAR_DELETE = 127;

void emit(key_sink sink, void *context, int character, int index) noexcept {
  if (sink != nullptr) sink(character, index, context);
}

// The number in "ESC [ n ~" for each key: 1 and 7 Home, 4 and 8 End (rxvt and the Linux console
// differ), 11-15 and 17-21 and 23-24 the function keys (the gaps are historical).
int key_of_tilde_code(int code) noexcept {
  switch (code) {
    case 1:
    case 7:
      return KEY_HOME;
    case 2:
      return KEY_INSERT;
    case 3:
      return KEY_DEL;
    case 4:
    case 8:
      return KEY_END;
    case 5:
      return KEY_PGUP;
    case 6:
      return KEY_PGDN;
    case 23:
      return KEY_F11;
    case 24:
      return KEY_F12;
    default:
      break;
  }
  if (code >= 11 && code <= 15) return KEY_F1 + code - 11;
  if (code >= 17 && code <= 21) return KEY_F6 + code - 17;
  return 0;
}

// The final byte shared by CSI and SS3 forms: arrows, Home, End and F1-F4.
int key_of_final_byte(unsigned char final_byte) noexcept {
  switch (final_byte) {
    case 'A':
      return KEY_UP;
    case 'B':
      return KEY_DOWN;
    case 'C':
      return KEY_RIGHT;
    case 'D':
      return KEY_LEFT;
    case 'H':
      return KEY_HOME;
    case 'F':
      return KEY_END;
    case 'P':
      return KEY_F1;
    case 'Q':
      return KEY_F2;
    case 'R':
      return KEY_F3;
    case 'S':
      return KEY_F4;
    default:
      return 0;
  }
}

void emit_key(key_sink sink, void *context, int index) noexcept {
  if (index != 0) emit(sink, context, index == KEY_DEL ? CHAR_DELETE : 0, index);
}

bool is_control(unsigned char byte) noexcept { return byte < 0x20 || byte == 0x7F; }

}  // namespace

int key_index_of_ascii(int character) noexcept {
  if (character >= 'a' && character <= 'z') return KEY_A + character - 'a';
  if (character >= 'A' && character <= 'Z') return KEY_A + character - 'A';
  if (character >= '1' && character <= '9') return KEY_1 + character - '1';
  switch (character) {
    case '0':
    case ')':
      return KEY_0;
    case '!':
      return KEY_1;
    case '@':
      return KEY_2;
    case '#':
      return KEY_3;
    case '$':
      return KEY_4;
    case '%':
      return KEY_5;
    case '^':
      return KEY_6;
    case '&':
      return KEY_7;
    case '*':
      return KEY_8;
    case '(':
      return KEY_9;
    case ' ':
      return KEY_SPACE;
    case '-':
    case '_':
      return KEY_MINUS;
    case '=':
    case '+':
      return KEY_EQUALS;
    case '[':
    case '{':
      return KEY_OPENBRACE;
    case ']':
    case '}':
      return KEY_CLOSEBRACE;
    case '\\':
    case '|':
      return KEY_BACKSLASH;
    case ';':
    case ':':
      return KEY_SEMICOLON;
    case '\'':
    case '"':
      return KEY_QUOTE;
    case ',':
    case '<':
      return KEY_COMMA;
    case '.':
    case '>':
      return KEY_STOP;
    case '/':
    case '?':
      return KEY_SLASH;
    case '`':
    case '~':
      return KEY_TILDE;
    default:
      return 0;
  }
}

void key_parser::ground_byte(unsigned char byte, key_sink sink, void *context) noexcept {
  // CR LF (a file written on another system, or a terminal that sends both) is one Enter.
  const bool skip_lf = after_cr_ && byte == '\n';
  after_cr_ = false;
  if (skip_lf) return;

  if (byte == ESC) {
    state_ = state::escape;
    held_count_ = 0;
    held_overflow_ = false;
    return;
  }
  if (byte == '\r' || byte == '\n') {
    after_cr_ = (byte == '\r');
    emit(sink, context, CHAR_ENTER, KEY_ENTER);
  } else if (byte == '\t') {
    emit(sink, context, CHAR_TAB, KEY_TAB);
  } else if (byte == 0x08 || byte == 0x7F) {
    emit(sink, context, CHAR_BACKSPACE, KEY_BACKSPACE);
  } else if (byte >= 1 && byte <= 26) {
    emit(sink, context, byte, KEY_A + byte - 1);  // a control letter
  } else if (byte >= 28 && byte <= 31) {
    emit(sink, context, byte, 0);
  } else if (byte >= 0x20 && byte < 0x7F) {
    emit(sink, context, byte, key_index_of_ascii(byte));
  } else if (byte >= 0xC2 && byte <= 0xF4) {
    // The lead byte of a UTF-8 character; C0, C1 and F5-FF never start a valid one.
    utf8_needed_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
    utf8_value_ = byte & (0x3F >> utf8_needed_);
    held_count_ = 1;
    state_ = state::utf8;
  }
}

void key_parser::finish_csi(unsigned char final_byte, key_sink sink, void *context) noexcept {
  // held_ is "[" followed by the parameter bytes; only the first parameter matters, the others
  // (modifiers) are ignored.
  int code = -1;
  for (size_t i = 1; i < held_count_ && held_[i] >= '0' && held_[i] <= '9'; ++i) {
    if (code < 0) code = 0;
    if (code < 1000) code = code * 10 + (held_[i] - '0');
  }
  const bool plain_parameters = held_count_ <= 1 || (held_[1] >= '0' && held_[1] <= ';');
  if (!plain_parameters) return;  // private sequences (mouse reports and the like)
  if (final_byte == '~') {
    emit_key(sink, context, key_of_tilde_code(code));
  } else if (final_byte == 'Z') {
    emit(sink, context, CHAR_TAB, KEY_TAB);  // Shift+Tab
  } else {
    emit_key(sink, context, key_of_final_byte(final_byte));
  }
}

void key_parser::feed(const unsigned char *bytes, size_t count, key_sink sink,
                      void *context) noexcept {
  for (size_t i = 0; i < count; ++i) {
    const unsigned char byte = bytes[i];
    switch (state_) {
      case state::ground:
        ground_byte(byte, sink, context);
        break;

      case state::escape:
        if (byte == '[' || byte == 'O') {
          held_[0] = byte;
          held_count_ = 1;
          state_ = byte == '[' ? state::csi : state::ss3;
        } else {
          // ESC and anything but a sequence opener: the Escape key, then that byte as typed.
          state_ = state::ground;
          emit(sink, context, ESC, KEY_ESC);
          ground_byte(byte, sink, context);
        }
        break;

      case state::csi:
        if (byte == '[' && held_count_ == 1) {
          state_ = state::csi_bracket;
        } else if (byte >= 0x20 && byte <= 0x3F) {
          if (held_count_ < sizeof held_) {
            held_[held_count_++] = byte;
          } else {
            held_overflow_ = true;
          }
        } else if (byte >= 0x40 && byte <= 0x7E) {
          state_ = state::ground;
          if (!held_overflow_) finish_csi(byte, sink, context);
        } else {
          // A control byte cuts the sequence short: drop it and take the byte as typed.
          state_ = state::ground;
          ground_byte(byte, sink, context);
        }
        break;

      case state::csi_bracket:
      case state::ss3: {
        const bool bracket = state_ == state::csi_bracket;
        state_ = state::ground;
        if (is_control(byte) || byte >= 0x80) {
          ground_byte(byte, sink, context);
        } else if (bracket) {
          if (byte >= 'A' && byte <= 'E') emit_key(sink, context, KEY_F1 + byte - 'A');
        } else if (byte == 'M') {
          emit(sink, context, CHAR_ENTER, KEY_ENTER_PAD);
        } else {
          emit_key(sink, context, key_of_final_byte(byte));
        }
        break;
      }

      case state::utf8:
        if ((byte & 0xC0) == 0x80) {
          utf8_value_ = (utf8_value_ << 6) | (byte & 0x3F);
          ++held_count_;
          if (--utf8_needed_ == 0) {
            state_ = state::ground;
            // Overlong forms, surrogates and values past U+10FFFF are not characters.
            const int least = held_count_ == 3 ? 0x800 : held_count_ == 4 ? 0x10000 : 0x80;
            const bool valid = utf8_value_ >= least && utf8_value_ <= 0x10FFFF &&
                               (utf8_value_ < 0xD800 || utf8_value_ > 0xDFFF);
            if (valid) emit(sink, context, utf8_value_, 0);
          }
        } else {
          state_ = state::ground;
          ground_byte(byte, sink, context);
        }
        break;
    }
  }
}

void key_parser::flush(key_sink sink, void *context) noexcept {
  const state was = state_;
  state_ = state::ground;
  switch (was) {
    case state::ground:
    case state::utf8:
      break;
    case state::escape:
      emit(sink, context, ESC, KEY_ESC);
      break;
    case state::csi_bracket:
      emit(sink, context, ESC, KEY_ESC);
      ground_byte('[', sink, context);
      ground_byte('[', sink, context);
      break;
    case state::csi:
    case state::ss3: {
      emit(sink, context, ESC, KEY_ESC);
      const size_t count = held_count_;
      for (size_t i = 0; i < count; ++i) ground_byte(held_[i], sink, context);
      break;
    }
  }
  held_count_ = 0;
  held_overflow_ = false;
}

}  // namespace corvane::terminal_input
