/** @file
 * Corvane: packed file streams -- buffered byte streams over plain files, LZSS-compressed files,
 * password-scrambled files, chunks nested inside other streams and objects inside data files --
 * with integer readers and writers in both byte orders and line-oriented text input and output. */
#ifndef CORVANE_PACKFILE_H
#define CORVANE_PACKFILE_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/** Bytes a stream buffers before it reads or writes its file. */
#define PACKFILE_BUFFER_SIZE 4096

/* Flag bits of packfile.flags. */
#define PACKFILE_FLAG_WRITE 1  /**< opened for writing */
#define PACKFILE_FLAG_PACK 2   /**< LZSS-compressed */
#define PACKFILE_FLAG_CHUNK 4  /**< a chunk inside another stream */
#define PACKFILE_FLAG_EOF 8    /**< the end of the data was reached */
#define PACKFILE_FLAG_ERROR 16 /**< a read, write or compression failed */
#define PACKFILE_FLAG_OLD_CRYPT \
  32                            /**< older key form: only the compressed flag bytes are scrambled */
#define PACKFILE_FLAG_OBJECT 64 /**< opened as an object of a data file */

/* Four-byte ids, stored as big-endian 32-bit words. */
#define PACKFILE_ID_PACKED CORVANE_ID('k', 'w', 'p', '!')   /**< compressed stream header */
#define PACKFILE_ID_UNPACKED CORVANE_ID('k', 'w', 'p', '.') /**< plain stream header */
#define PACKFILE_ID_APPENDED CORVANE_ID('k', 'w', 'p', '+') /**< trailer of appended data */
#define DATAFILE_ID CORVANE_ID('C', 'O', 'R', '.')          /**< first word of a data file */
#define DATAFILE_ID_PROPERTY CORVANE_ID('p', 'r', 'o', 'p') /**< property record */
#define DATAFILE_ID_NAME CORVANE_ID('N', 'A', 'M', 'E')     /**< property holding a name */
#define DATAFILE_ID_FILE CORVANE_ID('F', 'I', 'L', 'E')     /**< nested data file object */

/** The operations of a stream. Every one receives the stream's userdata; a library stream passes
 * the packfile itself. Results follow the public functions of the same name below. */
typedef struct packfile_ops {
  int (*close)(void *userdata);                                  /**< as close_packfile */
  int (*getc)(void *userdata);                                   /**< as packfile_getc */
  int (*ungetc)(void *userdata, int c);                          /**< as packfile_ungetc */
  long (*read)(void *userdata, void *buffer, long count);        /**< as packfile_read */
  int (*putc)(void *userdata, int c);                            /**< as packfile_putc */
  long (*write)(void *userdata, const void *buffer, long count); /**< as packfile_write */
  int (*seek)(void *userdata, long offset);                      /**< as packfile_seek */
  int (*eof)(void *userdata);                                    /**< as packfile_eof */
  int (*error)(void *userdata);                                  /**< as packfile_error */
} packfile_ops;

/** A stream. Streams made over a caller's operations (is_normal 0) use only the first three
 * fields; the rest belongs to the library's own streams and is read-only for programs. */
typedef struct packfile {
  const packfile_ops *ops; /**< the stream's operations */
  void *userdata;          /**< passed to every operation */
  int is_normal;           /**< -1: a library stream; 0: a caller's operations */
  int handle;              /**< the operating-system file descriptor, or -1 */
  int flags;               /**< PACKFILE_FLAG_* */
  unsigned char *buf_pos;  /**< next byte in buf */
  int buf_size;            /**< reading: bytes left in buf; writing: bytes waiting in buf */
  int64_t byte_count;      /**< reading: data not yet in buf; writing: bytes written out */
  struct packfile *parent; /**< raw layer of a compressed stream, or enclosing stream */
  void *pack_data;         /**< LZSS encoder state when writing compressed */
  void *unpack_data;       /**< LZSS decoder state when reading compressed */
  char *filename;          /**< temporary file of a chunk being written (owned) */
  char *passdata;          /**< copy of the password in force at opening, or null */
  char *passpos;           /**< next password byte to use */
  unsigned char buf[PACKFILE_BUFFER_SIZE]; /**< the buffer of a library stream */
} packfile;

/** The first header word of the last chunk opened or closed: the bytes it takes in its stream. */
extern CORVANE_API int chunk_stored_size;
/** The second header word of the last chunk opened or closed: its bytes of data (negative for a
 * compressed chunk). */
extern CORVANE_API int chunk_data_size;

/** The type id of the last data-file object opened by name. */
extern CORVANE_API int last_object_type;

/** Sets the process-wide password (up to 255 characters, each stored as one byte); null or empty
 * clears it. Streams copy the password when they open. */
CORVANE_API void set_packfile_password(const char *password) CORVANE_NOEXCEPT;

/** Opens a file. Mode letters, left to right, later ones winning: "r"/"R" read (the default),
 * "w"/"W" write, "p"/"P" compressed, "!" plain but with the plain-stream header when writing.
 * "file.dat#object/path" opens an object of a data file and "#object" one of the data file
 * appended to the program (reading only; writing fails with EROFS); for reading, a name with "#"
 * that names no object opens a file of that very name instead, when there is one.
 * Returns null with the error number set on failure (EINVAL for a null name). */
CORVANE_API packfile *open_packfile(const char *filename, const char *mode) CORVANE_NOEXCEPT;

/** Opens a stream over an open descriptor, which belongs to the stream from then on (it is closed
 * on failure too). Returns null with the error number set on failure. */
CORVANE_API packfile *open_packfile_fd(int fd, const char *mode) CORVANE_NOEXCEPT;

/** Makes a stream whose operations are the caller's: every call goes to ops with userdata; closing
 * it calls ops->close. Returns null (ENOMEM, or EINVAL without ops). */
CORVANE_API packfile *open_packfile_ops(const packfile_ops *ops, void *userdata) CORVANE_NOEXCEPT;

/** Flushes and closes a stream (with its parents). Returns 0, or nonzero with the error number set
 * when closing failed or any data written through the stream could not be stored (-1 with EINVAL
 * for null). */
CORVANE_API int close_packfile(packfile *f) CORVANE_NOEXCEPT;

/** Opens a chunk inside a stream: for reading, the next chunk stored there (the enclosing stream
 * must be a library stream, else EINVAL); for writing, a new chunk, compressed when compress is
 * nonzero. Returns null with the error number set on failure (EFAULT for a malformed chunk). */
CORVANE_API packfile *open_packfile_chunk(packfile *f, int compress) CORVANE_NOEXCEPT;

/** Finishes a chunk and returns the enclosing stream, which stays open; null (EINVAL) when the
 * stream is not a chunk. A chunk that could not be stored marks the enclosing stream's error. */
CORVANE_API packfile *close_packfile_chunk(packfile *chunk) CORVANE_NOEXCEPT;

/** Skips offset bytes forward; reading streams only. 0, or -1 with the error number set (EINVAL
 * for a null or writing stream or a stream without seek). */
CORVANE_API int packfile_seek(packfile *f, long offset) CORVANE_NOEXCEPT;

/** The next byte (0-255), or -1 at the end, on error, or for a null stream. */
CORVANE_API int packfile_getc(packfile *f) CORVANE_NOEXCEPT;

/** Puts one byte back in front of the stream's position; returns it, or -1. */
CORVANE_API int packfile_ungetc(int c, packfile *f) CORVANE_NOEXCEPT;

/** Reads up to count bytes; returns the number read (fewer at the end), or -1 with EINVAL for a
 * null stream, a negative count or a null buffer. */
CORVANE_API long packfile_read(void *buffer, long count, packfile *f) CORVANE_NOEXCEPT;

/** Writes one byte; returns it, or -1 on error. */
CORVANE_API int packfile_putc(int c, packfile *f) CORVANE_NOEXCEPT;

/** Writes count bytes; returns the number accepted, or -1 with EINVAL for a null stream, a
 * negative count or a null buffer. */
CORVANE_API long packfile_write(const void *buffer, long count, packfile *f) CORVANE_NOEXCEPT;

/** Nonzero once the end of the data was reached; 0 for a null stream. */
CORVANE_API int packfile_eof(packfile *f) CORVANE_NOEXCEPT;

/** Nonzero once a read, write or compression failed; 0 for a null stream. */
CORVANE_API int packfile_error(packfile *f) CORVANE_NOEXCEPT;

/** Reads a 16-bit little-endian word (0-65535), or -1 when a byte is missing. */
CORVANE_API int read_le16(packfile *f) CORVANE_NOEXCEPT;
/** Reads a 32-bit little-endian word, or -1 when a byte is missing (a stored value of -1 reads the
 * same; packfile_eof tells them apart). */
CORVANE_API int read_le32(packfile *f) CORVANE_NOEXCEPT;
/** Reads a 16-bit big-endian word (0-65535), or -1 when a byte is missing. */
CORVANE_API int read_be16(packfile *f) CORVANE_NOEXCEPT;
/** Reads a 32-bit big-endian word, or -1 when a byte is missing (a stored value of -1 reads the
 * same; packfile_eof tells them apart). */
CORVANE_API int read_be32(packfile *f) CORVANE_NOEXCEPT;

/** Writes the low 16 bits of value little-endian; returns value, or -1 when a byte could not be
 * written. */
CORVANE_API int write_le16(int value, packfile *f) CORVANE_NOEXCEPT;
/** Writes value as a 32-bit little-endian word; returns value, or -1 when a byte could not be
 * written. */
CORVANE_API int write_le32(int value, packfile *f) CORVANE_NOEXCEPT;
/** Writes the low 16 bits of value big-endian; returns value, or -1 when a byte could not be
 * written. */
CORVANE_API int write_be16(int value, packfile *f) CORVANE_NOEXCEPT;
/** Writes value as a 32-bit big-endian word; returns value, or -1 when a byte could not be
 * written. */
CORVANE_API int write_be32(int value, packfile *f) CORVANE_NOEXCEPT;

/** Reads one line into buffer (size bytes, always terminated), each byte stored as one character
 * of the current encoding. "\r\n", "\r" and "\n" end a line and are not stored. Returns buffer;
 * null at the end of the data before any byte, or when a read failed. A line longer than the
 * buffer comes back in pieces: the part that fits now, the rest on the next calls. Null with EINVAL
 * for a null buffer or stream or a size of 0 or less, with ERANGE when not even one character
 * fits; at the end the error number is 0. */
CORVANE_API char *packfile_read_line(char *buffer, int size, packfile *f) CORVANE_NOEXCEPT;

/** Writes text (current encoding) as UTF-8, without a line end. 0, or -1 with the error number
 * set: EINVAL for a null text or stream or text that cannot be converted, ENOMEM when memory is
 * short, the write's own reason (EFAULT when it gave none) when writing failed. */
CORVANE_API int packfile_write_text(const char *text, packfile *f) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_PACKFILE_H */
