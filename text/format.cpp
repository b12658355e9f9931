// The library's printf-style formatter. It reads the format with the current encoding and writes
// every character through it, so 8-bit, UTF-8 and 16-bit text format alike. Integers are
// converted here; floating-point values go through the C library's snprintf. The output is
// bounded, cut only between whole characters, always terminated, and the result counts the
// characters of the complete, uncut output.
#include <cfloat>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "text/encoding_internal.h"

namespace corvane {
namespace {

constexpr int flag_left = 1;
constexpr int flag_plus = 2;
constexpr int flag_space = 4;
constexpr int flag_alternate = 8;
constexpr int flag_zero = 16;
constexpr int flag_short = 32;
constexpr int flag_long = 64;
constexpr int flag_long_double = 128;
constexpr int flag_64bit = 256;

// The most digits a floating conversion asks the C library for. The exact decimal value of a
// double has at most 1074 digits behind the point (767 significant ones), so every digit beyond
// this is a zero.
constexpr int max_c_library_precision = 1100;

struct conversion_spec {
  int flags = 0;
  int width = 0;       // 0 when absent
  int precision = -1;  // -1 when absent
};

// Characters go into the caller's buffer while they fit; after the first one that does not, the
// output is cut there and only counted.
class bounded_output {
 public:
  bounded_output(char *buffer, int size) noexcept : buffer_(buffer) {
    const int terminator_width = current_code_width(0);
    if (buffer != nullptr && size >= terminator_width) {
      room_ = size - terminator_width;
      terminated_ = true;
    } else {
      cut_ = true;
    }
  }

  void put(int c) noexcept {
    ++count_;
    if (cut_) return;
    const int width = current_code_width(c);
    if (width > room_) {
      cut_ = true;
      return;
    }
    room_ -= width;
    position_ += current_put_char(buffer_ + position_, c);
  }

  // Puts c n times; once the output is cut the rest is only counted.
  void put_repeated(int c, long long n) noexcept {
    for (; n > 0 && !cut_; --n) put(c);
    if (n > 0) count_ += n;
  }

  void put_ascii(const char *text, long long length) noexcept {
    for (long long i = 0; i < length; ++i) put(static_cast<unsigned char>(text[i]));
  }

  void finish() noexcept {
    if (terminated_) current_put_char(buffer_ + position_, 0);
  }

  long long count() const noexcept { return count_; }

 private:
  char *buffer_;
  int room_ = 0;
  int position_ = 0;
  bool cut_ = false;
  bool terminated_ = false;
  long long count_ = 0;
};

// Adds a decimal digit to a width or precision, saturating instead of overflowing.
int append_digit(int value, int digit) noexcept {
  if (value > (INT_MAX - digit) / 10) return INT_MAX;
  return value * 10 + digit;
}

bool is_digit(int c) noexcept { return c >= '0' && c <= '9'; }

class formatter {
 public:
  formatter(bounded_output &out, std::va_list *args) noexcept : out_(out), args_(args) {}

  void run(const char *format) noexcept {
    p_ = format;
    while (const int c = current_next_char(&p_)) {
      if (c == '%') {
        conversion();
      } else {
        out_.put(c);
      }
    }
  }

 private:
  int peek() const noexcept { return current_get_char(p_); }
  void advance() noexcept { current_next_char(&p_); }

  void conversion() noexcept {
    if (peek() == '%') {
      advance();
      out_.put('%');
      return;
    }
    conversion_spec conv;
    parse_flags(conv);
    parse_width(conv);
    parse_precision(conv);
    parse_length(conv);

    const int c = peek();
    // A character that names no conversion drops what was parsed and is written as a literal
    // (the terminator simply ends the format).
    if (c == 0) return;
    advance();
    if (!convert(c, conv)) out_.put(c);
  }

  void parse_flags(conversion_spec &conv) noexcept {
    for (;;) {
      switch (peek()) {
        case '-':
          conv.flags |= flag_left;
          break;
        case '+':
          conv.flags |= flag_plus;
          break;
        case ' ':
          conv.flags |= flag_space;
          break;
        case '#':
          conv.flags |= flag_alternate;
          break;
        case '0':
          conv.flags |= flag_zero;
          break;
        default:
          return;
      }
      advance();
    }
  }

  void parse_width(conversion_spec &conv) noexcept {
    if (peek() == '*') {
      advance();
      const int width = va_arg(*args_, int);
      if (width < 0) {
        conv.flags |= flag_left;
        conv.width = width == INT_MIN ? INT_MAX : -width;
      } else {
        conv.width = width;
      }
      return;
    }
    while (is_digit(peek())) {
      conv.width = append_digit(conv.width, peek() - '0');
      advance();
    }
  }

  void parse_precision(conversion_spec &conv) noexcept {
    if (peek() != '.') return;
    advance();
    if (peek() == '*') {
      advance();
      const int precision = va_arg(*args_, int);
      conv.precision = precision < 0 ? 0 : precision;
      return;
    }
    if (!is_digit(peek())) return;  // a bare '.' leaves the precision absent
    conv.precision = 0;
    while (is_digit(peek())) {
      conv.precision = append_digit(conv.precision, peek() - '0');
      advance();
    }
  }

  void parse_length(conversion_spec &conv) noexcept {
    for (;;) {
      switch (peek()) {
        case 'h':
          conv.flags |= flag_short;
          break;
        case 'l':
          conv.flags |= (conv.flags & flag_long) ? flag_64bit : flag_long;
          break;
        case 'L':
          conv.flags |= flag_long_double | flag_64bit;
          break;
        default:
          return;
      }
      advance();
    }
  }

  static void add_long(conversion_spec &conv) noexcept {
    conv.flags |= (conv.flags & flag_long) ? flag_64bit : flag_long;
  }

  // Returns false for a character that names no conversion.
  bool convert(int c, conversion_spec conv) noexcept {
    switch (c) {
      case 'D':
        add_long(conv);
        [[fallthrough]];
      case 'd':
      case 'i':
        signed_number(conv, read_signed(conv.flags));
        return true;
      case 'U':
        add_long(conv);
        [[fallthrough]];
      case 'u':
        unsigned_number(conv, read_unsigned(conv.flags), 10, false);
        return true;
      case 'o':
        unsigned_number(conv, read_unsigned(conv.flags), 8, false);
        return true;
      case 'x':
      case 'X':
        unsigned_number(conv, read_unsigned(conv.flags), 16, c == 'X');
        return true;
      case 'p':
        unsigned_number(conv, reinterpret_cast<std::uintptr_t>(va_arg(*args_, void *)), 16, false);
        return true;
      case 'c':
        character(conv, va_arg(*args_, int));
        return true;
      case 's':
        string(conv, va_arg(*args_, const char *));
        return true;
      case 'n':
        store_count(va_arg(*args_, int *));
        return true;
      case 'e':
      case 'E':
      case 'f':
      case 'g':
      case 'G':
        floating(conv, static_cast<char>(c));
        return true;
      default:
        return false;
    }
  }

  // 'h' reads an int (what a short argument is promoted to); 'l' a long, 'll' and 'L' a long long.
  long long read_signed(int flags) noexcept {
    if (flags & flag_short) return va_arg(*args_, int);
    if (flags & flag_64bit) return va_arg(*args_, long long);
    if (flags & flag_long) return va_arg(*args_, long);
    return va_arg(*args_, int);
  }

  unsigned long long read_unsigned(int flags) noexcept {
    if (flags & flag_short) return va_arg(*args_, unsigned);
    if (flags & flag_64bit) return va_arg(*args_, unsigned long long);
    if (flags & flag_long) return va_arg(*args_, unsigned long);
    return va_arg(*args_, unsigned);
  }

  static char sign_prefix(int flags) noexcept {
    if (flags & flag_plus) return '+';
    if (flags & flag_space) return ' ';
    return 0;
  }

  void signed_number(const conversion_spec &conv, long long value) noexcept {
    char prefix[4] = {};
    int prefix_count = 0;
    unsigned long long magnitude = static_cast<unsigned long long>(value);
    if (value < 0) {
      prefix[prefix_count++] = '-';
      magnitude = 0ull - magnitude;
    } else if (const char sign = sign_prefix(conv.flags)) {
      prefix[prefix_count++] = sign;
    }
    number(conv, prefix, prefix_count, magnitude, 10, false);
  }

  void unsigned_number(const conversion_spec &conv, unsigned long long value, int base,
                       bool upper) noexcept {
    char prefix[4] = {};
    int prefix_count = 0;
    if (const char sign = sign_prefix(conv.flags)) prefix[prefix_count++] = sign;
    if (conv.flags & flag_alternate) {
      if (base == 8) prefix[prefix_count++] = '0';
      if (base == 16) {
        prefix[prefix_count++] = '0';
        prefix[prefix_count++] = 'x';
      }
    }
    number(conv, prefix, prefix_count, value, base, upper);
  }

  void number(const conversion_spec &conv, const char *prefix, int prefix_count,
              unsigned long long magnitude, int base, bool upper) noexcept {
    const char *digit_set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[64];
    int digit_count = 0;
    do {  // 0 still gives one digit, whatever the precision
      digits[digit_count++] = digit_set[magnitude % static_cast<unsigned>(base)];
      magnitude /= static_cast<unsigned>(base);
    } while (magnitude != 0);

    const long long leading_zeros = conv.precision > digit_count ? conv.precision - digit_count : 0;
    const long long length = prefix_count + leading_zeros + digit_count;
    const long long padding = conv.width > length ? conv.width - length : 0;

    if (padding > 0 && !(conv.flags & (flag_left | flag_zero))) out_.put_repeated(' ', padding);
    out_.put_ascii(prefix, prefix_count);
    if (padding > 0 && !(conv.flags & flag_left) && (conv.flags & flag_zero)) {
      out_.put_repeated('0', padding);
    }
    out_.put_repeated('0', leading_zeros);
    while (digit_count > 0) out_.put(static_cast<unsigned char>(digits[--digit_count]));
    if (padding > 0 && (conv.flags & flag_left)) out_.put_repeated(' ', padding);
  }

  // Padding in front of a text without prefix: zeros or spaces.
  void pad_front(const conversion_spec &conv, long long length) noexcept {
    if (conv.width <= length || (conv.flags & flag_left)) return;
    out_.put_repeated((conv.flags & flag_zero) ? '0' : ' ', conv.width - length);
  }

  void pad_back(const conversion_spec &conv, long long length) noexcept {
    if (conv.width <= length || !(conv.flags & flag_left)) return;
    out_.put_repeated(' ', conv.width - length);
  }

  void character(const conversion_spec &conv, int c) noexcept {
    pad_front(conv, 1);
    out_.put(c);
    pad_back(conv, 1);
  }

  void string(const conversion_spec &conv, const char *s) noexcept {
    char null_text[16];
    if (s == nullptr) s = literal("(null)", null_text, static_cast<int>(sizeof null_text));
    const long long limit = conv.precision >= 0 ? conv.precision : LLONG_MAX;

    long long length = 0;
    for (const char *p = s; length < limit && current_next_char(&p) != 0;) ++length;

    pad_front(conv, length);
    const char *p = s;
    for (long long i = 0; i < length; ++i) out_.put(current_next_char(&p));
    pad_back(conv, length);
  }

  void store_count(int *where) noexcept {
    if (where == nullptr) return;
    const long long count = out_.count();
    *where = count > INT_MAX ? INT_MAX : static_cast<int>(count);
  }

  static const char *literal(const char *ascii, char *buffer, int size) noexcept {
    return convert_text(ascii, ENCODING_ASCII8, buffer, ENCODING_CURRENT, size);
  }

  // A long double argument narrowed to double; values beyond the double range become
  // infinities (the conversion itself would be undefined).
  double floating_argument(int flags) noexcept {
    if (!(flags & flag_long_double)) return va_arg(*args_, double);
    const long double value = va_arg(*args_, long double);
    if (value > static_cast<long double>(DBL_MAX)) return HUGE_VAL;
    if (value < -static_cast<long double>(DBL_MAX)) return -HUGE_VAL;
    return static_cast<double>(value);
  }

  // The C library formats the value, without the width, and with at most
  // max_c_library_precision digits: a double has no more digits than that to show, so further
  // ones are zeros, added here. The width is applied here too. The C library is thus never asked
  // for text in proportion to a width or precision from the format.
  void floating(const conversion_spec &conv, char conversion_char) noexcept {
    const double value = floating_argument(conv.flags);
    const bool exponent_form = conversion_char == 'e' || conversion_char == 'E';
    const bool general_form = conversion_char == 'g' || conversion_char == 'G';
    int precision = conv.precision;
    long long extra_zeros = 0;
    if (precision > max_c_library_precision) {
      // The general form drops trailing zeros unless "#" keeps them; infinities and NaNs have no
      // digits at all.
      if (std::isfinite(value) && (!general_form || (conv.flags & flag_alternate))) {
        extra_zeros = precision - max_c_library_precision;
      }
      precision = max_c_library_precision;
    }

    char c_format[16];
    int n = 0;
    c_format[n++] = '%';
    if (conv.flags & flag_plus) c_format[n++] = '+';
    if (conv.flags & flag_space) c_format[n++] = ' ';
    if (conv.flags & flag_alternate) c_format[n++] = '#';
    if (precision >= 0) {
      c_format[n++] = '.';
      n += std::snprintf(c_format + n, sizeof c_format - n, "%d", precision);
    }
    c_format[n++] = conversion_char;
    c_format[n] = 0;

    char text[max_c_library_precision + 400];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::snprintf(text, sizeof text, c_format, value);
#pragma GCC diagnostic pop
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof text) return;

    // Added zeros go behind the last digit: before the exponent when there is one.
    int zeros_at = length;
    if (extra_zeros > 0 && (exponent_form || general_form)) {
      for (int i = 0; i < length; ++i) {
        if (text[i] == 'e' || text[i] == 'E') {
          zeros_at = i;
          break;
        }
      }
    }
    const long long total = length + extra_zeros;
    const long long padding = conv.width > total ? conv.width - total : 0;
    // Zero padding goes behind the sign; infinities and NaNs are padded with spaces.
    const bool zero_padding =
        (conv.flags & flag_zero) && !(conv.flags & flag_left) && std::isfinite(value);
    const int sign = (text[0] == '-' || text[0] == '+' || text[0] == ' ') ? 1 : 0;

    if (padding > 0 && !(conv.flags & flag_left) && !zero_padding) out_.put_repeated(' ', padding);
    out_.put_ascii(text, sign);
    if (padding > 0 && zero_padding) out_.put_repeated('0', padding);
    out_.put_ascii(text + sign, zeros_at - sign);
    out_.put_repeated('0', extra_zeros);
    out_.put_ascii(text + zeros_at, length - zeros_at);
    if (padding > 0 && (conv.flags & flag_left)) out_.put_repeated(' ', padding);
  }

  bounded_output &out_;
  std::va_list *args_;
  const char *p_ = nullptr;
};

}  // namespace
}  // namespace corvane

extern "C" {

int vformat_text(char *buffer, int size, const char *format, va_list args) noexcept {
  corvane::bounded_output out(buffer, size);
  if (format != nullptr) {
    va_list copy;
    va_copy(copy, args);
    corvane::formatter(out, &copy).run(format);
    va_end(copy);
  }
  out.finish();
  const long long count = out.count();
  return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

int format_text(char *buffer, const char *format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const int result = vformat_text(buffer, TEXT_SIZE_UNLIMITED, format, args);
  va_end(args);
  return result;
}

int format_text_bounded(char *buffer, int size, const char *format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const int result = vformat_text(buffer, size, format, args);
  va_end(args);
  return result;
}

}  // extern "C"
