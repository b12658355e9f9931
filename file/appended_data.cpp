// The data file appended to the program: the program file ends with the id 'kwp+' and the length
// of what was appended (a chunk holding the data file, then those eight bytes).
#include <cerrno>
#include <cstdint>

#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/packfile_internal.h"

namespace corvane {

namespace {

constexpr int trailer_size = 8;
constexpr int chunk_header_size = 8;

packfile *fail(int error_number, packfile *f) {
  if (f != nullptr) close_packfile(f);
  set_error_number(error_number);
  return nullptr;
}

void skip(packfile *f, int64_t count) { f->ops->seek(f->userdata, static_cast<long>(count)); }

}  // namespace

packfile *open_appended_datafile() noexcept {
  char program[1024];
  query_executable_path(program, sizeof program);
  if (current_get_char(get_filename(program)) == 0) return fail(ENOENT, nullptr);

  packfile *f = open_packfile(program, "r");
  if (f == nullptr) return nullptr;
  const int64_t length = f->byte_count;
  if (length < trailer_size + chunk_header_size) return fail(ENOTDIR, f);
  skip(f, length - trailer_size);
  if (read_be32(f) != PACKFILE_ID_APPENDED) return fail(ENOTDIR, f);
  const int32_t appended = read_be32(f);
  close_packfile(f);
  if (appended < trailer_size + chunk_header_size || appended > length) {
    return fail(ENOTDIR, nullptr);
  }

  f = open_packfile(program, "r");
  if (f == nullptr) return nullptr;
  skip(f, length - appended);
  packfile *chunk = open_packfile_chunk(f, 0);
  if (chunk == nullptr) return fail(get_error_number(), f);
  chunk->flags |= PACKFILE_FLAG_OBJECT;
  return chunk;
}

}  // namespace corvane
