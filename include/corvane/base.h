/** @file
 * Corvane: definitions shared by every public header -- the export macro, C linkage helpers,
 * four-character ids and the library version. */
#ifndef CORVANE_BASE_H
#define CORVANE_BASE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define CORVANE_EXTERN_C_BEGIN extern "C" {
#define CORVANE_EXTERN_C_END }
/* Library functions never throw; in C++ the declarations say so and the definitions must agree. */
#define CORVANE_NOEXCEPT noexcept
#else
/** Opens C linkage for the declarations that follow in a C++ translation unit; empty in C. */
#define CORVANE_EXTERN_C_BEGIN
/** Closes the C linkage opened by CORVANE_EXTERN_C_BEGIN; empty in C. */
#define CORVANE_EXTERN_C_END
/** Marks a library function as never throwing: `noexcept` in C++, empty in C. Library functions
 * never throw; in C++ the declarations say so and the definitions must agree. */
#define CORVANE_NOEXCEPT
#endif

#if defined(_WIN32)
#if defined(CORVANE_BUILDING_LIBRARY)
#define CORVANE_API __declspec(dllexport)
#elif defined(CORVANE_SHARED)
#define CORVANE_API __declspec(dllimport)
#else
#define CORVANE_API
#endif
#elif defined(__GNUC__)
#define CORVANE_API __attribute__((visibility("default")))
#else
/** Marks a declaration as exported by the library (default visibility with GCC and clang,
 * dllexport or dllimport on Windows). */
#define CORVANE_API
#endif

#if defined(__GNUC__)
#define CORVANE_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
/** Lets the compiler check a printf-style call: argument fmt is the format, the variable arguments
 * start at argument args (both counted from 1). Empty for compilers without the attribute. */
#define CORVANE_PRINTF_FORMAT(fmt, args)
#endif

/* A four-character id: four ASCII characters, the first in the most significant byte. */
#ifdef __cplusplus
constexpr int corvane_make_id(char a, char b, char c, char d) noexcept {
  return static_cast<int>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                          (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                          (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                          static_cast<uint32_t>(static_cast<unsigned char>(d)));
}
#define CORVANE_ID(a, b, c, d) corvane_make_id((a), (b), (c), (d))
#else
/** A four-character id as an int: four ASCII characters, the first in the most significant byte.
 * CORVANE_ID('O','S','X',' ') is 0x4F535820. In C++ it is a constant expression. */
#define CORVANE_ID(a, b, c, d)                                                         \
  ((int)(((uint32_t)(unsigned char)(a) << 24) | ((uint32_t)(unsigned char)(b) << 16) | \
         ((uint32_t)(unsigned char)(c) << 8) | (uint32_t)(unsigned char)(d)))
#endif

/** The major number of this version of the library. */
#define CORVANE_VERSION_MAJOR 4
/** The minor number of this version of the library. */
#define CORVANE_VERSION_MINOR 2
/** The patch number of this version of the library. */
#define CORVANE_VERSION_PATCH 1
/** Packs a version as major << 16 | minor << 8 | patch, so that later versions compare greater. */
#define CORVANE_MAKE_VERSION(major, minor, patch) (((major) << 16) | ((minor) << 8) | (patch))
/** This version of the library, packed by CORVANE_MAKE_VERSION. */
#define CORVANE_VERSION \
  CORVANE_MAKE_VERSION(CORVANE_VERSION_MAJOR, CORVANE_VERSION_MINOR, CORVANE_VERSION_PATCH)

/** "True" as the library stores it: flags that mean true are -1 throughout the library. */
#define CORVANE_TRUE (-1)
/** "False" as the library stores it. */
#define CORVANE_FALSE 0

/* Records declared by several families; each is defined in the header of its own family. */
struct bitmap;
struct draw_vtable;
struct rgb_entry;
struct gfx_mode_entry;
struct packfile;

#endif /* CORVANE_BASE_H */
