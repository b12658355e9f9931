/** @file
 * Corvane: finding the library's files (resource paths and the resource search), file attributes,
 * directory iteration with wildcards, and the functions that take file names apart and put them
 * together. File names are text in the current encoding with "/" as the separator; "#" separates
 * a data file from an object inside it ("file.dat#object"). */
#ifndef CORVANE_FILE_H
#define CORVANE_FILE_H

#include <time.h>

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/* File attribute bits. */
/** Attribute bit: the file cannot be written by the program. */
#define FILE_ATTR_READ_ONLY 1
/** Attribute bit: a hidden file (its name begins with ".", other than ".."). */
#define FILE_ATTR_HIDDEN 2
/** Attribute bit: a directory. */
#define FILE_ATTR_DIRECTORY 16
#define FILE_ATTR_ARCHIVE 32 /**< never set on disk; objects inside data files report 33 */
/** Every attribute bit: as a mask, it accepts any file. */
#define FILE_ATTR_ALL \
  (FILE_ATTR_READ_ONLY | FILE_ATTR_HIDDEN | FILE_ATTR_DIRECTORY | FILE_ATTR_ARCHIVE)

/** Bytes of find_info.name, terminator included. */
#define FIND_INFO_NAME_SIZE 512

/** One result of a directory iteration. */
typedef struct find_info {
  int attrib;                     /**< FILE_ATTR_* */
  time_t time;                    /**< modification time */
  int64_t size;                   /**< byte count */
  char name[FIND_INFO_NAME_SIZE]; /**< file name without its directory, current encoding */
  void *search;                   /**< the open directory and search state (library-owned) */
} find_info;

/* ---- Resource location ---------------------------------------------------------------------- */

/** With a path: stores it as the resource directory of that priority (replacing the one of equal
 * priority); directories are searched in descending priority. With null: removes that priority.
 * Returns 1 on success, 0 when there was nothing to remove or memory was short. */
CORVANE_API int set_resource_path(int priority, const char *path) CORVANE_NOEXCEPT;

/** Exit function: forgets every resource directory. */
CORVANE_API void destroy_resource_path_list(void) CORVANE_NOEXCEPT;

/** Looks for a resource: name (with extension appended when it has none), or an object inside the
 * data file, in the resource directories, the program's directory, the directory named by the
 * "CORVANE" environment variable and by environment_variable, then through the system driver.
 * Any of the text arguments may be null. Returns 0 with the path in dest (size bytes), or -1 when
 * nothing was found (EINVAL for a null dest or a size too small for a terminator). */
CORVANE_API int locate_resource(char *dest, const char *name, const char *extension,
                                const char *datafile, const char *object,
                                const char *environment_variable, const char *subdirectory,
                                int size) CORVANE_NOEXCEPT;

/* ---- Attributes and queries ----------------------------------------------------------------- */

/** -1 when a file exists whose attributes all lie in mask (they are stored in *attributes when it
 * is not null), else 0. A missing file sets the error number to 0; a null name leaves EINVAL, any
 * other failure to read the attributes the system's reason. */
CORVANE_API int file_exists(const char *name, int mask, int *attributes) CORVANE_NOEXCEPT;

/** file_exists(name, FILE_ATTR_READ_ONLY | FILE_ATTR_ARCHIVE, null). */
CORVANE_API int exists(const char *name) CORVANE_NOEXCEPT;

/** Size in bytes (of the object's data for "file.dat#object"); 0 when missing, with the error
 * number set (EINVAL for a null name). */
CORVANE_API int64_t file_size(const char *name) CORVANE_NOEXCEPT;

/** Modification time, 0 when missing, with the error number set (EINVAL for a null name). */
CORVANE_API time_t file_time(const char *name) CORVANE_NOEXCEPT;

/** Deletes a file: 0, or -1 with the error number set (EINVAL for a null name, else the system's
 * reason). */
CORVANE_API int delete_file(const char *name) CORVANE_NOEXCEPT;

/* ---- Directory iteration -------------------------------------------------------------------- */

/** Starts an iteration over the files matching pattern (a directory part, then a file
 * name in which "?" and "*" are wildcards)
 * whose attributes all lie in mask. 0 with the first match in info, or -1 with the error number
 * set: ENOENT when nothing matched, EINVAL for a null pattern or info, ENOMEM when memory is
 * short, the system's reason when the directory cannot be read. find_close must follow a
 * successful find_first. */
CORVANE_API int find_first(const char *pattern, find_info *info, int mask) CORVANE_NOEXCEPT;

/** The next match: 0, or -1 with ENOENT at the end (EINVAL without an iteration, the system's
 * reason when reading the directory fails). */
CORVANE_API int find_next(find_info *info) CORVANE_NOEXCEPT;

/** Ends an iteration and frees its state. */
CORVANE_API void find_close(find_info *info) CORVANE_NOEXCEPT;

/** Calls callback(full path, attributes, parameter) for every file matching pattern that has all
 * the required attributes and none of the forbidden ones; stops early when the callback returns
 * nonzero. Returns the number of calls; 0 with EINVAL for a null pattern or callback (no match
 * leaves the error number 0). */
CORVANE_API int for_each_file_ex(const char *pattern, int required, int forbidden,
                                 int (*callback)(const char *filename, int attributes,
                                                 void *parameter),
                                 void *parameter) CORVANE_NOEXCEPT;

/** 1 when the whole text matches the pattern ("?" any one byte, "*" any run of bytes), else 0.
 * Case-sensitive, on bytes. Two null arguments free the matcher's memory; one null argument gives 0,
 * and so does a shortage of memory (with ENOMEM). */
CORVANE_API int wildcard_match(const char *text, const char *pattern) CORVANE_NOEXCEPT;

/* ---- File names ----------------------------------------------------------------------------- */

/** The working directory in dest (size bytes); empty on failure (ERANGE when it does not fit,
 * ENOMEM when memory is short). Returns dest. */
CORVANE_API char *get_current_directory(char *dest, int size) CORVANE_NOEXCEPT;

/** Pointer to the part of path after its last "/". */
CORVANE_API char *get_filename(const char *path) CORVANE_NOEXCEPT;

/** Pointer to the part of the file name after its last ".", or to the terminator. */
CORVANE_API char *get_extension(const char *path) CORVANE_NOEXCEPT;

/** The directory part of path followed by filename, bounded to size bytes. dest may be path.
 * Returns dest. */
CORVANE_API char *replace_filename(char *dest, const char *path, const char *filename,
                                   int size) CORVANE_NOEXCEPT;

/** path without its extension, then ".", then extension. Returns dest. */
CORVANE_API char *replace_extension(char *dest, const char *path, const char *extension,
                                    int size) CORVANE_NOEXCEPT;

/** path, a "/" when it has none at its end, then filename. Returns dest. */
CORVANE_API char *append_filename(char *dest, const char *path, const char *filename,
                                  int size) CORVANE_NOEXCEPT;

/** Appends "/" unless path is empty or ends in "/" or "#"; path needs room for one character. */
CORVANE_API void put_slash(char *path) CORVANE_NOEXCEPT;

/** Turns every "\" into "/". Returns path. */
CORVANE_API char *fix_slashes(char *path) CORVANE_NOEXCEPT;

/** 0 when the name starts with "/", else -1 (relative). */
CORVANE_API int is_relative_filename(const char *name) CORVANE_NOEXCEPT;

/** A path to the file `to` relative to the directory of `from` in dest, or null when none can be
 * made (the names share no directory; EINVAL for a null argument or a size too small, ENOMEM when
 * memory is short). Returns dest. */
CORVANE_API char *make_relative_filename(char *dest, const char *from, const char *to,
                                         int size) CORVANE_NOEXCEPT;

/** An absolute name with "//", "/./" and "/../" removed, bounded to size bytes. The error number
 * is left as it was. Returns dest. */
CORVANE_API char *canonicalize_filename(char *dest, const char *name, int size) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_FILE_H */
