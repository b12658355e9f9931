/** @file
 * Corvane: 16.16 fixed-point arithmetic -- a signed 32-bit value with 16 fractional bits, as the
 * rotated sprites, the 3D polygon calls and the fixed-point matrices take it.
 *
 * Results that do not fit saturate and set the error number to ERANGE (34); nothing else is
 * reported. */
#ifndef CORVANE_FIXED_H
#define CORVANE_FIXED_H

#include "corvane/base.h"
#include "corvane/bitmap.h"

CORVANE_EXTERN_C_BEGIN

/** 1.0 in 16.16 fixed point. */
#define FIXED_ONE 0x10000

/** The product a * b: the 64-bit product shifted right 16 (rounding toward minus infinity). A
 * result above 0x7FFFFFFF gives 0x7FFFFFFF and one below -0x80000000 gives -0x80000000, both with
 * the error number set to ERANGE. */
CORVANE_API fixed fixed_mul(fixed a, fixed b) CORVANE_NOEXCEPT;

/** The quotient a / b, rounded half away from zero. A quotient above 32767.0 gives 0x7FFFFFFF and
 * one below -32767.0 gives -0x7FFFFFFF, both with the error number set to ERANGE; so does a
 * divisor of 0 (0x7FFFFFFF, or -0x7FFFFFFF when a is negative). */
CORVANE_API fixed fixed_div(fixed a, fixed b) CORVANE_NOEXCEPT;

/** value * 65536 rounded half away from zero. A value beyond the range of 16.16 gives 0x7FFFFFFF
 * or -0x7FFFFFFF, and NaN gives 0, each with the error number set to ERANGE. */
CORVANE_API fixed float_to_fixed(double value) CORVANE_NOEXCEPT;

/** value / 65536, exactly. */
CORVANE_API double fixed_to_float(fixed value) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_FIXED_H */
