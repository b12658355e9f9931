// The Ogg Vorbis reader of a library built without libvorbisfile: it reads nothing, and says so
// through ogg_samples_supported.
#include "corvane/sample_files.h"

extern "C" {

sample *read_ogg_sample(packfile *) noexcept { return nullptr; }

sample *load_ogg_sample(const char *) noexcept { return nullptr; }

int ogg_samples_supported(void) noexcept { return 0; }

}  // extern "C"
