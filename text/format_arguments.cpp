// The sequence of arguments a format makes the formatter read, parsed with exactly the grammar of
// the formatter (flags, width, precision, length letters, conversion character), so that a
// replacement format can be refused when it would read other arguments than the caller passed.
#include "text/format_arguments.h"

#include "corvane/text.h"

namespace corvane {
namespace {

// The types an argument can be read as.
enum class argument : char {
  none,  // the end of the format
  int_value,
  long_value,
  long_long_value,
  double_value,
  long_double_value,
  pointer,
  string,
  count_pointer,
};

bool is_digit(int c) noexcept { return c >= '0' && c <= '9'; }

// Reads a format one argument at a time.
class argument_reader {
 public:
  explicit argument_reader(const char *format) noexcept : p_(format) {}

  argument next() noexcept {
    for (;;) {
      // '*' widths and precisions are read as ints before the conversion's own value.
      if (pending_ > 0) {
        --pending_;
        return argument::int_value;
      }
      if (queued_ != argument::none) {
        const argument a = queued_;
        queued_ = argument::none;
        return a;
      }
      if (p_ == nullptr) return argument::none;
      const int c = current_next_char(&p_);
      if (c == 0) {
        p_ = nullptr;
      } else if (c == '%') {
        queued_ = conversion();
      }
    }
  }

 private:
  int peek() const noexcept { return current_get_char(p_); }
  void advance() noexcept { current_next_char(&p_); }

  // The argument of the conversion behind a '%' (none for "%%", an unknown character or the end);
  // the number of '*' arguments read before it is left in pending_.
  argument conversion() noexcept {
    if (peek() == '%') {
      advance();
      return argument::none;
    }
    int stars = 0;
    while (peek() == '-' || peek() == '+' || peek() == ' ' || peek() == '#' || peek() == '0') {
      advance();
    }
    if (peek() == '*') {
      advance();
      ++stars;
    } else {
      while (is_digit(peek())) advance();
    }
    if (peek() == '.') {
      advance();
      if (peek() == '*') {
        advance();
        ++stars;
      } else {
        while (is_digit(peek())) advance();
      }
    }
    bool is_short = false;
    int longs = 0;
    bool long_double = false;
    for (;;) {
      const int c = peek();
      if (c == 'h') {
        is_short = true;
      } else if (c == 'l') {
        ++longs;
      } else if (c == 'L') {
        long_double = true;
      } else {
        break;
      }
      advance();
    }
    // The stars are read even when the format ends here or the character names no conversion.
    pending_ = stars;
    const int c = peek();
    if (c == 0) return argument::none;
    advance();
    argument a = argument::none;
    switch (c) {
      case 'D':
      case 'U':
        ++longs;
        [[fallthrough]];
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        if (is_short) {
          a = argument::int_value;
        } else if (long_double || longs >= 2) {
          a = argument::long_long_value;
        } else if (longs == 1) {
          a = argument::long_value;
        } else {
          a = argument::int_value;
        }
        break;
      case 'p':
        a = argument::pointer;
        break;
      case 'c':
        a = argument::int_value;
        break;
      case 's':
        a = argument::string;
        break;
      case 'n':
        a = argument::count_pointer;
        break;
      case 'e':
      case 'E':
      case 'f':
      case 'g':
      case 'G':
        a = long_double ? argument::long_double_value : argument::double_value;
        break;
      default:
        break;  // written as a literal
    }
    return a;
  }

  const char *p_;
  int pending_ = 0;
  argument queued_ = argument::none;
};

}  // namespace

bool format_arguments_match(const char *format, const char *other) noexcept {
  argument_reader a(format);
  argument_reader b(other);
  for (;;) {
    const argument x = a.next();
    if (x != b.next()) return false;
    if (x == argument::none) return true;
  }
}

}  // namespace corvane
