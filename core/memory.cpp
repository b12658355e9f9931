// Memory helpers: the freeing reallocation and the shared scratch buffer of the drawing code.
#include <cstdlib>

#include "corvane/system.h"

extern "C" {

void *scratch_buffer = nullptr;
int scratch_buffer_size = 0;

void *realloc_or_free(void *block, size_t size) noexcept {
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  void *grown = std::realloc(block, size);
  if (grown == nullptr) std::free(block);
  return grown;
}

void *grow_scratch_buffer(int size) noexcept {
  if (size <= scratch_buffer_size) return scratch_buffer;
  if (size < 0) return nullptr;
  scratch_buffer = realloc_or_free(scratch_buffer, static_cast<size_t>(size));
  scratch_buffer_size = (scratch_buffer != nullptr) ? size : 0;
  return scratch_buffer;
}

}  // extern "C"
