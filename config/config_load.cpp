// Reading a configuration file: the whole file through a packfile, converted from UTF-8 into the
// current encoding when needed, then parsed line by line.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "config/config_internal.h"
#include "corvane/file.h"
#include "corvane/packfile.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {
namespace {

// No configuration is anywhere near this; anything larger is refused rather than read whole.
constexpr int64_t max_config_file_size = int64_t{256} << 20;

struct file_bytes {
  char *bytes = nullptr;
  std::size_t length = 0;
};

// Reads the whole stream into memory with a terminator behind it: the expected size at once, and
// more when the file grew meanwhile. False when the file could not be read or memory ran out.
bool read_whole_file(const char *filename, int64_t expected, file_bytes *out) noexcept {
  packfile *f = open_packfile(filename, "r");
  if (f == nullptr) return false;
  std::size_t capacity = static_cast<std::size_t>(expected) + 1;
  auto *bytes = static_cast<char *>(std::malloc(capacity));
  std::size_t length = 0;
  bool ok = bytes != nullptr;
  if (!ok) set_error_number(ENOMEM);
  while (ok) {
    const long got = packfile_read(bytes + length, static_cast<long>(capacity - 1 - length), f);
    if (got > 0) length += static_cast<std::size_t>(got);
    if (length + 1 < capacity) break;  // a short read: the end of the data
    const int next = packfile_getc(f);
    if (next < 0) break;
    if (static_cast<int64_t>(capacity) > max_config_file_size) {
      set_error_number(EFBIG);
      ok = false;
      break;
    }
    capacity *= 2;
    bytes = static_cast<char *>(realloc_or_free(bytes, capacity));
    if (bytes == nullptr) {
      set_error_number(ENOMEM);
      ok = false;
      break;
    }
    bytes[length++] = static_cast<char>(next);
  }
  if (ok && packfile_error(f) != 0) ok = false;
  if (close_packfile(f) != 0) ok = false;
  if (!ok) {
    std::free(bytes);
    return false;
  }
  bytes[length] = 0;
  out->bytes = bytes;
  out->length = length;
  return true;
}

// A zero byte of UTF-8 is a NUL character, which the parser drops anyway; dropping it before the
// conversion keeps the conversion (which stops at a terminator) from losing the rest of the file.
std::size_t drop_zero_bytes(char *bytes, std::size_t length) noexcept {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (bytes[i] != 0) bytes[kept++] = bytes[i];
  }
  bytes[kept] = 0;
  return kept;
}

// The other forms that UTF-8 reading decodes as the character 0 (a lone 0x80, the overlong C0 80,
// E0 80 80, ...) are NUL characters as well, and go the same way: the parser drops them keeping
// the rest of their line, and dropping them before a conversion keeps it from taking the first of
// them for the end of the text. Every other byte, decodable or not, is kept. The text has no zero
// bytes left and a terminator behind it, at which the decoder stops.
std::size_t drop_nul_characters(char *bytes, std::size_t length) noexcept {
  const encoding_info *utf8 = find_encoding_info(ENCODING_UTF8);
  if (utf8 == nullptr || utf8->next_char == nullptr) return length;
  std::size_t kept = 0;
  std::size_t i = 0;
  while (i < length) {
    const char *p = bytes + i;
    const int c = utf8->next_char(&p);
    std::size_t width = p > bytes + i ? static_cast<std::size_t>(p - (bytes + i)) : 1;
    if (width > length - i) width = length - i;
    if (c != 0) {
      std::memmove(bytes + kept, bytes + i, width);
      kept += width;
    }
    i += width;
  }
  bytes[kept] = 0;
  return kept;
}

// Parses UTF-8 file text, converting it into the current encoding first when needed.
config *parse_file_text(const char *utf8, std::size_t length, const char *savefile) noexcept {
  if (conversion_needed(utf8, ENCODING_UTF8, ENCODING_CURRENT) == 0) {
    return parse_config_data(utf8, length, savefile);
  }
  const int size = converted_size(utf8, ENCODING_UTF8, ENCODING_CURRENT);
  const int terminator = terminator_width();
  if (size < terminator) return create_config(savefile);
  auto *converted = static_cast<char *>(std::malloc(static_cast<std::size_t>(size)));
  if (converted == nullptr) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  convert_text_into(utf8, ENCODING_UTF8, converted, ENCODING_CURRENT, size);
  config *cfg = parse_config_data(converted, static_cast<std::size_t>(size - terminator), savefile);
  std::free(converted);
  return cfg;
}

}  // namespace

void load_config_file(config **slot, const char *filename, const char *savefile) noexcept {
  destroy_config(slot);
  // Without a system driver no file can be reached yet; a missing or empty file is an empty
  // configuration that will be written to the file once it changes.
  if (filename == nullptr || current_system_driver == nullptr) {
    *slot = create_config(savefile);
    return;
  }
  const int saved_errno = get_error_number();
  const int64_t size = file_size(filename);
  if (size <= 0) {
    set_error_number(saved_errno);  // a missing file is not an error here
    *slot = create_config(savefile);
    return;
  }

  file_bytes file;
  if (size > max_config_file_size) {
    set_error_number(EFBIG);
  } else {
    (void)read_whole_file(filename, size, &file);
  }
  if (file.bytes == nullptr) {
    // The file exists but could not be read: the configuration starts empty and is never written
    // back, so that whatever the file holds is not replaced by it.
    *slot = create_config(nullptr);
    return;
  }
  file.length = drop_nul_characters(file.bytes, drop_zero_bytes(file.bytes, file.length));
  *slot = parse_file_text(file.bytes, file.length, savefile);
  std::free(file.bytes);
}

}  // namespace corvane::cfg
