// Fuzz target "format": the input is a format (up to its first zero byte) followed by bytes that
// give the argument values. The harness reads the format the way the formatter does and passes
// exactly the arguments it asks for, with their types: an int pointer for every "%n", one of a
// few strings for every "%s" (never more "%s" than strings given), up to three arguments in all
// (a longer format is cut before the conversion that would need a fourth). Every buffer size from
// 0 to 64 bytes is tried: the output must stay inside the buffer, be terminated, grow with the
// size as a prefix of the longer outputs, and the count returned must not depend on the size.
#include <cfloat>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "corvane/text.h"
#include "fuzz_support.h"

namespace {

constexpr int max_size = 64;
constexpr size_t max_arguments = 3;
constexpr size_t max_format = 512;

enum class kind : unsigned char {
  int_value,
  long_value,
  long_long_value,
  unsigned_value,
  unsigned_long_value,
  unsigned_long_long_value,
  double_value,
  long_double_value,
  string,
  int_pointer,
  pointer,
};

const char *const strings[] = {
    "",
    "text",
    "caf\xC3\xA9 \xE2\x82\xAC",  // two- and three-byte characters
    "\xF8\x88\x80\x80\x80",      // a five-byte character (a code point from 0x200000 up)
    "broken \xE2\x82",           // a sequence cut by the terminator
    "%s%n%d",                    // conversions inside an argument are text
};

// Reads the conversions of a format with the current encoding's reader, as the formatter does,
// and lists the arguments they take. Returns the bytes of the format that need no more than
// max_arguments arguments.
size_t arguments_of(const char *format, std::vector<kind> &kinds) {
  const char *p = format;
  auto peek = [&p]() { return current_get_char(p); };
  auto advance = [&p]() { current_next_char(&p); };
  for (;;) {
    const char *conversion_start = p;
    const int c = current_next_char(&p);
    if (c == 0) return static_cast<size_t>(conversion_start - format);
    if (c != '%') continue;
    if (peek() == '%') {
      advance();
      continue;
    }
    std::vector<kind> needed;
    while (peek() == '-' || peek() == '+' || peek() == ' ' || peek() == '#' || peek() == '0') {
      advance();
    }
    if (peek() == '*') {
      advance();
      needed.push_back(kind::int_value);
    } else {
      while (peek() >= '0' && peek() <= '9') advance();
    }
    if (peek() == '.') {
      advance();
      if (peek() == '*') {
        advance();
        needed.push_back(kind::int_value);
      } else {
        while (peek() >= '0' && peek() <= '9') advance();
      }
    }
    bool is_short = false, is_long = false, is_64 = false, is_long_double = false;
    for (;;) {
      const int m = peek();
      if (m == 'h') {
        is_short = true;
      } else if (m == 'l') {
        if (is_long) is_64 = true;
        is_long = true;
      } else if (m == 'L') {
        is_long_double = is_64 = true;
      } else {
        break;
      }
      advance();
    }
    const int conversion = peek();
    if (conversion != 0) advance();
    auto add_long = [&]() {
      if (is_long) is_64 = true;
      is_long = true;
    };
    auto integer = [&](bool is_unsigned) {
      if (is_short) return is_unsigned ? kind::unsigned_value : kind::int_value;
      if (is_64) return is_unsigned ? kind::unsigned_long_long_value : kind::long_long_value;
      if (is_long) return is_unsigned ? kind::unsigned_long_value : kind::long_value;
      return is_unsigned ? kind::unsigned_value : kind::int_value;
    };
    switch (conversion) {
      case 'D':
        add_long();
        needed.push_back(integer(false));
        break;
      case 'd':
      case 'i':
        needed.push_back(integer(false));
        break;
      case 'U':
        add_long();
        needed.push_back(integer(true));
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        needed.push_back(integer(true));
        break;
      case 'p':
        needed.push_back(kind::pointer);
        break;
      case 'c':
        needed.push_back(kind::int_value);
        break;
      case 's':
        needed.push_back(kind::string);
        break;
      case 'n':
        needed.push_back(kind::int_pointer);
        break;
      case 'e':
      case 'E':
      case 'f':
      case 'g':
      case 'G':
        needed.push_back(is_long_double ? kind::long_double_value : kind::double_value);
        break;
      default:
        break;  // no conversion: the '*' arguments were still taken
    }
    if (kinds.size() + needed.size() > max_arguments) {
      return static_cast<size_t>(conversion_start - format);
    }
    kinds.insert(kinds.end(), needed.begin(), needed.end());
  }
}

// Argument values from the bytes behind the format, eight for each argument.
class values {
 public:
  values(std::string_view bytes) : bytes_(bytes) {}
  uint64_t next() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) {
      v = v << 8 | (pos_ < bytes_.size() ? static_cast<unsigned char>(bytes_[pos_]) : 0u);
      ++pos_;
    }
    return v;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

int counter_target = 0;

// Checks every buffer size with one argument list; call formats into a buffer of the size given.
using format_call = int (*)(const void *bound, char *buffer, int size);
void check_sizes(format_call call, const void *bound);

// A format and its arguments, bound for check_sizes.
template <typename... Args>
struct bound_arguments {
  const char *format;
  std::tuple<Args...> args;

  static int call(const void *self, char *buffer, int size) {
    const auto &b = *static_cast<const bound_arguments *>(self);
    return std::apply([&](Args... a) { return format_text_bounded(buffer, size, b.format, a...); },
                      b.args);
  }
};

struct call_context {
  const char *format;
  const std::vector<kind> &kinds;
  values &source;
};

template <typename... Args>
void dispatch(call_context &context, Args... args) {
  const size_t i = sizeof...(Args);
  if (i == context.kinds.size()) {
    const bound_arguments<Args...> bound{context.format, std::tuple<Args...>(args...)};
    check_sizes(&bound_arguments<Args...>::call, &bound);
    return;
  }
  if constexpr (sizeof...(Args) < max_arguments) {
    const uint64_t v = context.source.next();
    switch (context.kinds[i]) {
      case kind::int_value:
        return dispatch(context, args..., static_cast<int>(v));
      case kind::long_value:
        return dispatch(context, args..., static_cast<long>(v));
      case kind::long_long_value:
        return dispatch(context, args..., static_cast<long long>(v));
      case kind::unsigned_value:
        return dispatch(context, args..., static_cast<unsigned>(v));
      case kind::unsigned_long_value:
        return dispatch(context, args..., static_cast<unsigned long>(v));
      case kind::unsigned_long_long_value:
        return dispatch(context, args..., static_cast<unsigned long long>(v));
      case kind::double_value: {
        double d;
        std::memcpy(&d, &v, sizeof d);
        return dispatch(context, args..., d);
      }
      case kind::long_double_value: {
        // Any double, or the extremes of long double itself.
        double d;
        std::memcpy(&d, &v, sizeof d);
        long double ld = d;
        if ((v & 0xFF) == 0xFE) ld = LDBL_MAX;
        if ((v & 0xFF) == 0xFD) ld = -LDBL_MAX;
        if ((v & 0xFF) == 0xFC) ld = LDBL_MIN;
        return dispatch(context, args..., ld);
      }
      case kind::string:
        return dispatch(context, args..., strings[v % (sizeof strings / sizeof *strings)]);
      case kind::int_pointer:
        return dispatch(context, args..., &counter_target);
      case kind::pointer:
        return dispatch(context, args..., reinterpret_cast<const void *>(v));
    }
  }
  fuzz::fail(__FILE__, __LINE__, "more arguments than the harness passes");
}

void check_sizes(format_call call, const void *bound) {
  std::string longest;
  {
    char buffer[max_size];
    const int count = call(bound, buffer, max_size);
    FUZZ_CHECK(count >= 0);
    longest.assign(buffer, std::strlen(buffer));
  }
  int expected_count = -1;
  size_t previous = 0;
  for (int size = 0; size <= max_size; ++size) {
    // Exactly size bytes, so that the sanitizer sees any byte written beyond them.
    char *buffer = static_cast<char *>(std::malloc(static_cast<size_t>(size)));
    const int count = call(bound, buffer, size);
    if (expected_count < 0) expected_count = count;
    FUZZ_CHECK(count == expected_count);
    if (size > 0) {
      const size_t length = strnlen(buffer, static_cast<size_t>(size));
      FUZZ_CHECK(length < static_cast<size_t>(size));
      FUZZ_CHECK(longest.compare(0, length, buffer, length) == 0);
      FUZZ_CHECK(length >= previous);
      previous = length;
    }
    std::free(buffer);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view input = fuzz::as_text(data, size);
  const size_t zero = input.find('\0');
  std::string format(input.substr(0, zero == std::string_view::npos ? input.size() : zero));
  if (format.size() > max_format) format.resize(max_format);
  const std::string_view rest =
      zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);

  set_text_encoding(ENCODING_UTF8);
  std::vector<kind> kinds;
  format.resize(arguments_of(format.c_str(), kinds));
  values source(rest);

  call_context context{format.c_str(), kinds, source};
  dispatch(context);
  return 0;
}
