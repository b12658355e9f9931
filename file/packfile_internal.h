// Internal interface of the packfile layer: the library's own stream record with its private
// bookkeeping, buffer flushing and refilling, modes, the password and the object-path openers.
#ifndef CORVANE_FILE_PACKFILE_INTERNAL_H
#define CORVANE_FILE_PACKFILE_INTERNAL_H

#include <cstdint>

#include "corvane/packfile.h"

namespace corvane {

// A library stream: the public record followed by what only the library looks at.
struct normal_packfile {
  packfile file;
  // Bytes the stream may still take from its parent (a chunk's stored size, counted down); a
  // stream that reads its parent without a bound holds INT64_MAX.
  int64_t raw_left;
  // True when byte_count is the exact amount of data still to come (false for a compressed
  // stream whose length is unknown until its data ends).
  bool length_known;
  // True for a chunk whose data must be complete: running out early is an error.
  bool must_be_complete;
  // The temporary file of a chunk being written, as the system names it (filename holds the same
  // name in the current encoding).
  char *system_name;
};

inline normal_packfile *internal(packfile *f) noexcept {
  return reinterpret_cast<normal_packfile *>(f);
}

// What a mode string asks for, letters read left to right with later ones winning.
struct packfile_mode {
  bool write = false;
  bool pack = false;
  bool plain_header = false;  // "!": plain data behind the plain-stream header
};
packfile_mode parse_packfile_mode(const char *mode) noexcept;

// The operations of every library stream.
extern const packfile_ops normal_packfile_ops;

// A zeroed library stream with no descriptor; null (ENOMEM) when memory is short.
packfile *create_normal_packfile() noexcept;

// Frees a library stream and the states it owns; closes nothing.
void free_normal_packfile(packfile *f) noexcept;

// Writes out what the buffer holds (a final flush also finishes compressed data). 0, or -1 with
// EFAULT and PACKFILE_FLAG_ERROR.
int flush_packfile(packfile *f, bool final) noexcept;

// Refills an empty reading buffer. Returns the number of bytes now in it; 0 at the end of the data
// (PACKFILE_FLAG_EOF set) or on error (PACKFILE_FLAG_ERROR set).
int refill_packfile(packfile *f) noexcept;

// The bytes a reading stream can still deliver, when that is known.
bool packfile_bytes_left(packfile *f, int64_t *left) noexcept;

// The process-wide password: the id scrambled with it in the new or the older key form, and a
// copy of it for a new stream (null when no password is set or memory is short).
int packfile_key(int id, bool new_form) noexcept;
char *copy_packfile_password() noexcept;
bool packfile_password_is_set() noexcept;

// XORs bytes with the stream's password, moving its password position along.
void scramble_bytes(packfile *f, unsigned char *bytes, int count) noexcept;

// Opens the file of that exact name (never an object inside a data file) with open_packfile's
// mode. When it does not exist and object_error is nonzero, that error number is left instead.
packfile *open_named_file(const char *filename, const char *mode, int object_error) noexcept;

// Opens "file.dat#object/path" or "#object" for reading. Null with the error number set.
packfile *open_datafile_object(const char *name, const packfile_mode &mode) noexcept;

// Opens the data file appended to the program ("#"). Null with the error number set.
packfile *open_appended_datafile() noexcept;

}  // namespace corvane

#endif  // CORVANE_FILE_PACKFILE_INTERNAL_H
