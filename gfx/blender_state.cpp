// The process-wide blender state that translucent drawing and the sprite routines read.
#include "corvane/blend.h"

extern "C" {

blender_func blend_hook15 = nullptr;
blender_func blend_hook16 = nullptr;
blender_func blend_hook24 = nullptr;
blender_func blend_hook32 = nullptr;
blender_func alpha_hook15 = nullptr;
blender_func alpha_hook16 = nullptr;
blender_func alpha_hook24 = nullptr;
uint32_t blend_color15 = 0;
uint32_t blend_color16 = 0;
uint32_t blend_color24 = 0;
uint32_t blend_color32 = 0;
int blend_weight = 0;
unsigned char *shade_table = nullptr;

}  // extern "C"
