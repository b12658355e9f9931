/* Corvane: the blender state -- the per-depth hooks that combine an incoming colour with the one
 * already in a bitmap, the blend colours and weight, and the 8-bit shade table. Translucent
 * drawing (MODE_TRANSLUCENT) and translucent, lit and alpha sprites read them. */
#ifndef CORVANE_BLEND_H
#define CORVANE_BLEND_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/* A blender: x is the incoming colour, y the colour already in the bitmap, n a weight 0-255;
 * returns the pixel value to store. */
typedef uint32_t (*blender_func)(uint32_t x, uint32_t y, uint32_t n);

/* Combine two colours of one depth (translucent drawing, translucent and lit sprites). Empty until
 * a blend mode is set; drawing that needs an empty hook draws nothing. */
extern CORVANE_API blender_func blend_hook15;
extern CORVANE_API blender_func blend_hook16;
extern CORVANE_API blender_func blend_hook24;
extern CORVANE_API blender_func blend_hook32;

/* Combine a 32-bit colour with alpha with a 15-, 16- or 24-bit one (alpha sprites). */
extern CORVANE_API blender_func alpha_hook15;
extern CORVANE_API blender_func alpha_hook16;
extern CORVANE_API blender_func alpha_hook24;

/* The blend colour packed for each depth (lit sprites). */
extern CORVANE_API uint32_t blend_color15;
extern CORVANE_API uint32_t blend_color16;
extern CORVANE_API uint32_t blend_color24;
extern CORVANE_API uint32_t blend_color32;

/* The weight n that translucent drawing and translucent and alpha sprites pass to the blenders. */
extern CORVANE_API int blend_weight;

/* 8-bit translucency or lighting table of 65536 bytes, indexed [first * 256 + second]; null when
 * there is none (8-bit translucent drawing then draws nothing). */
extern CORVANE_API unsigned char *shade_table;

CORVANE_EXTERN_C_END

#endif /* CORVANE_BLEND_H */
