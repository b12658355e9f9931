// Loading a sample with the reader that its file name's extension names.
#include <cerrno>

#include "core/internal.h"
#include "corvane/file.h"
#include "corvane/sample_files.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane {
namespace {

struct sample_reader {
  const char *extension;
  sample *(*load)(const char *filename);
};

constexpr sample_reader sample_readers[] = {
    {"wav", load_wav_sample},
    {"voc", load_voc_sample},
    {"ogg", load_ogg_sample},
};

}  // namespace
}  // namespace corvane

extern "C" {

sample *load_sample(const char *filename) noexcept {
  using namespace corvane;
  if (filename == nullptr) {
    set_error_number(EINVAL);
    return nullptr;
  }
  const char *extension = get_extension(filename);
  for (const sample_reader &reader : sample_readers) {
    char buffer[16];
    if (text_icompare(extension, literal(reader.extension, buffer, sizeof buffer)) == 0) {
      return reader.load(filename);
    }
  }
  set_error_number(EINVAL);
  return nullptr;
}

}  // extern "C"
