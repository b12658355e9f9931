// The table of encodings, the current encoding and the file-name encoding: lookup, selection and
// registration of user encodings in the four free records.
#include <atomic>
#include <cerrno>

#include "corvane/system.h"
#include "text/encoding_internal.h"

namespace corvane {
namespace {

constexpr int table_size = 8;

encoding_info encoding_table[table_size] = {
    {.id = ENCODING_ASCII8,
     .get_char = ascii8_get_char,
     .next_char = ascii8_next_char,
     .put_char = ascii8_put_char,
     .char_width = ascii8_char_width,
     .code_width = ascii8_code_width,
     .char_ok = ascii8_char_ok,
     .max_width = 1},
    {.id = ENCODING_UTF8,
     .get_char = utf8_get_char,
     .next_char = utf8_next_char,
     .put_char = utf8_put_char,
     .char_width = utf8_char_width,
     .code_width = utf8_code_width,
     .char_ok = utf8_char_ok,
     .max_width = 4},
    {.id = ENCODING_UNICODE16,
     .get_char = unicode16_get_char,
     .next_char = unicode16_next_char,
     .put_char = unicode16_put_char,
     .char_width = unicode16_char_width,
     .code_width = unicode16_code_width,
     .char_ok = unicode16_char_ok,
     .max_width = 2},
    {.id = ENCODING_CODEPAGE,
     .get_char = codepage_get_char,
     .next_char = codepage_next_char,
     .put_char = codepage_put_char,
     .char_width = codepage_char_width,
     .code_width = codepage_code_width,
     .char_ok = codepage_char_ok,
     .max_width = 1},
    {},
    {},
    {},
    {},
};

int current_id = ENCODING_UTF8;

// The file-name encoding may be read by file code on any thread.
std::atomic<int> file_name_encoding{ENCODING_ASCII8};

// The built-in readers and their versions for writable string pointers.
struct writable_reader {
  int (*next_char)(const char **s) noexcept;
  int (*next_char_writable)(char **s) noexcept;
};

constexpr writable_reader builtin_readers[] = {
    {ascii8_next_char, ascii8_next_char_writable},
    {utf8_next_char, utf8_next_char_writable},
    {unicode16_next_char, unicode16_next_char_writable},
    {codepage_next_char, codepage_next_char_writable},
};

// The writable reader of an encoding that brings only the read-only one.
int next_char_through_current(char **s) noexcept {
  const char *p = *s;
  const int c = current_next_char(&p);
  *s += p - *s;
  return c;
}

int (*writable_reader_for(int (*next_char)(const char **)))(char **) {
  for (const writable_reader &reader : builtin_readers) {
    if (reader.next_char == next_char) return reader.next_char_writable;
  }
  return next_char_through_current;
}

bool is_builtin_byte_writer(int (*put_char)(char *, int), int (*code_width)(int)) noexcept {
  return (put_char == ascii8_put_char && code_width == ascii8_code_width) ||
         (put_char == utf8_put_char && code_width == utf8_code_width) ||
         (put_char == codepage_put_char && code_width == codepage_code_width);
}

}  // namespace

const encoding_info *resolve_encoding(int id) noexcept { return find_encoding_info(id); }

bool reads_ascii_as_bytes(int (*next_char)(const char **)) noexcept {
  return next_char == ascii8_next_char || next_char == utf8_next_char ||
         next_char == codepage_next_char;
}

bool reads_bytes_as_characters(int (*next_char)(const char **)) noexcept {
  return next_char == ascii8_next_char || next_char == codepage_next_char;
}

bool writes_ascii_as_bytes(const encoding_info &encoding) noexcept {
  // Every built-in char_ok accepts the code points below 0x80.
  return is_builtin_byte_writer(encoding.put_char, encoding.code_width) &&
         (encoding.char_ok == ascii8_char_ok || encoding.char_ok == utf8_char_ok ||
          encoding.char_ok == codepage_char_ok);
}

bool current_writes_ascii_as_bytes() noexcept {
  return is_builtin_byte_writer(current_put_char, current_code_width);
}

bool current_is_ascii8() noexcept {
  return current_next_char == ascii8_next_char && current_put_char == ascii8_put_char &&
         current_code_width == ascii8_code_width;
}

}  // namespace corvane

extern "C" {

int (*current_get_char)(const char *s) = corvane::utf8_get_char;
int (*current_next_char)(const char **s) = corvane::utf8_next_char;
int (*current_next_char_writable)(char **s) = corvane::utf8_next_char_writable;
int (*current_put_char)(char *s, int c) = corvane::utf8_put_char;
int (*current_char_width)(const char *s) = corvane::utf8_char_width;
int (*current_code_width)(int c) = corvane::utf8_code_width;
int (*current_char_ok)(int c) = corvane::utf8_char_ok;

encoding_info *find_encoding_info(int id) noexcept {
  if (id == ENCODING_CURRENT) id = corvane::current_id;
  for (encoding_info &encoding : corvane::encoding_table) {
    if (encoding.id == id) return &encoding;
  }
  return nullptr;
}

void set_text_encoding(int id) noexcept {
  const encoding_info *encoding = find_encoding_info(id);
  if (encoding == nullptr || encoding->id == 0) return;
  corvane::current_id = encoding->id;
  current_get_char = encoding->get_char;
  current_next_char = encoding->next_char;
  current_next_char_writable = corvane::writable_reader_for(encoding->next_char);
  current_put_char = encoding->put_char;
  current_char_width = encoding->char_width;
  current_code_width = encoding->code_width;
  current_char_ok = encoding->char_ok;
}

int get_text_encoding(void) noexcept { return corvane::current_id; }

void register_text_encoding(int id, int (*get_char)(const char *s),
                            int (*next_char)(const char **s), int (*put_char)(char *s, int c),
                            int (*char_width)(const char *s), int (*code_width)(int c),
                            int (*char_ok)(int c), int max_width) noexcept {
  // A record that could never be found again, or whose missing operations string code would
  // call, is refused.
  if (id == 0 || id == ENCODING_CURRENT || get_char == nullptr || next_char == nullptr ||
      put_char == nullptr || char_width == nullptr || code_width == nullptr || char_ok == nullptr ||
      max_width < 1) {
    set_error_number(EINVAL);
    return;
  }
  encoding_info *record = nullptr;
  for (encoding_info &encoding : corvane::encoding_table) {
    if (encoding.id == id) {
      record = &encoding;
      break;
    }
  }
  if (record == nullptr) record = find_encoding_info(0);
  if (record == nullptr) return;  // the table is full
  *record = encoding_info{.id = id,
                          .get_char = get_char,
                          .next_char = next_char,
                          .put_char = put_char,
                          .char_width = char_width,
                          .code_width = code_width,
                          .char_ok = char_ok,
                          .max_width = max_width};
}

int encoding_max_width(int id) noexcept {
  const encoding_info *encoding = find_encoding_info(id);
  return (encoding != nullptr && encoding->id != 0) ? encoding->max_width : 0;
}

void set_file_name_encoding(int id) noexcept { corvane::file_name_encoding.store(id); }

int get_file_name_encoding(void) noexcept { return corvane::file_name_encoding.load(); }

}  // extern "C"
