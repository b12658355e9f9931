// Fuzz target "wav": the input is read as a RIFF WAVE file by read_wav_sample, through a library
// stream and through a stream of the caller's own operations. Either way the answer must be the
// same, and a sample must have a playable shape, a loop inside it and no byte out of bounds.
#include <cstdint>

#include "corvane/sample_files.h"
#include "sound_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::read_both_ways(fuzz::as_text(data, size), read_wav_sample, fuzz::check_sample);
  return 0;
}
