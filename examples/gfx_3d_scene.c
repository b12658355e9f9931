/* gfx_3d_scene: a small textured, lit, depth-buffered 3D scene drawn with the software renderer.
 * Two cubes turn above a chequered floor; the bigger one sinks into the floor, and the depth
 * buffer cuts it exactly where it meets the floor, whatever order the faces are drawn in.
 *
 * The steps are the ones any 3D program takes, in floating point (each call has a 16.16
 * fixed-point twin without the _f):
 *   1. a camera matrix (get_camera_matrix_f) and one model matrix per object, joined with
 *      multiply_matrices_f, move the model's corners into camera space (apply_matrix_f);
 *   2. each face is clipped to what the camera sees (clip_polygon_3d_f), projected onto the
 *      screen (project_point_f) and skipped when it faces away (get_face_normal_z_f);
 *   3. it is drawn as a perspective-correct, lit, textured polygon that tests and updates the
 *      depth buffer (POLY_TEXTURE_PERSP_LIT | POLY_DEPTH_BUFFER).
 * Each face is lit by how squarely it faces a light; the lit types blend every texel toward the
 * blend colour (black here) by the vertex's light level, 0 (unchanged) to 255 (all black).
 *
 *   gfx_3d_scene             runs until a key is pressed
 *
 * With CORVANE_EXAMPLE_FRAMES=N in the environment the program draws N frames and ends by itself,
 * reading no keys. On a machine without a display the library draws on its headless screen;
 * CORVANE_SCREENSHOT=shot.png then makes it save the last frame to shot.png when it ends. */
#include <errno.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <corvane.h>

#define SCREEN_W 320
#define SCREEN_H 240
#define SCREEN_BITS 32
#define POLYGON_TYPE (POLY_TEXTURE_PERSP_LIT | POLY_DEPTH_BUFFER)

/* The corners of a cube from -1 to 1: bit 0 of the index sets x, bit 1 y and bit 2 z. */
static const float cube_corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
                                         {-1, -1, 1},  {1, -1, 1},  {-1, 1, 1},  {1, 1, 1}};
/* Its faces, each listed clockwise as seen from outside (the side get_face_normal_z_f calls the
 * front), with the direction each one faces. */
static const int cube_faces[6][4] = {{5, 7, 3, 1}, {2, 6, 4, 0}, {3, 7, 6, 2},
                                     {4, 5, 1, 0}, {6, 7, 5, 4}, {1, 3, 2, 0}};
static const float cube_normals[6][3] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                         {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};

/* The direction the light comes from (toward the light), of length 1. */
static const float light[3] = {0.48f, 0.8f, -0.36f};

/* The number of frames asked for by CORVANE_EXAMPLE_FRAMES, or 0 to run until a key is pressed. */
static int frames_to_run(void) {
  const char *text = getenv("CORVANE_EXAMPLE_FRAMES");
  int frames = text != NULL ? atoi(text) : 0;
  return frames > 0 ? frames : 0;
}

/* Textures must be a power of two wide and high, and of the screen's colour depth. */
static bitmap *make_crate_texture(void) {
  bitmap *t = create_bitmap(32, 32);
  int i;
  if (t == NULL) return NULL;
  clear_to_color(t, make_color(170, 110, 50));
  for (i = 0; i < 32; i += 8) draw_hline(t, 0, i + 7, 31, make_color(120, 70, 30));
  draw_rect(t, 0, 0, 31, 31, make_color(90, 50, 20));
  draw_line(t, 2, 2, 29, 29, make_color(210, 160, 80));
  return t;
}

static bitmap *make_floor_texture(void) {
  bitmap *t = create_bitmap(32, 32);
  if (t == NULL) return NULL;
  clear_to_color(t, make_color(40, 90, 160));
  fill_rect(t, 0, 0, 15, 15, make_color(220, 220, 230));
  fill_rect(t, 16, 16, 31, 31, make_color(220, 220, 230));
  return t;
}

/* The light level of a face whose direction is normal (in the world): faces turned to the light
 * are bright (level near 0), faces turned away keep a quarter of their colour. */
static int light_level(const float normal[3]) {
  float facing = normal[0] * light[0] + normal[1] * light[1] + normal[2] * light[2];
  if (facing < 0) facing = 0;
  return (int)(255.0f - (64.0f + 191.0f * facing));
}

/* Clips, projects, culls and draws one four-cornered face given in camera space. */
static void draw_face(bitmap *target, bitmap *texture, v3d_f corners[4]) {
  v3d_f *in[4] = {&corners[0], &corners[1], &corners[2], &corners[3]};
  v3d_f out[10];
  v3d_f *out_pointers[10];
  int i, count;

  count = clip_polygon_3d_f(POLYGON_TYPE, SCREEN_BITS, 0.1f, 100.0f, 4, in, out, out_pointers, 10);
  if (count < 3) return; /* nothing of it is in view */
  for (i = 0; i < count; i++) {
    if (project_point_f(out[i].x, out[i].y, out[i].z, &out[i].x, &out[i].y) != 0) return;
  }
  if (get_face_normal_z_f(&out[0], &out[1], &out[2]) <= 0) return; /* its back is to us */
  draw_polygon_3d_f(target, POLYGON_TYPE, texture, count, out_pointers);
}

/* Draws a cube of the given size through the object's model matrix and the camera. */
static void draw_cube(bitmap *target, bitmap *texture, const matrix_f *model,
                      const matrix_f *camera, float size) {
  static const float u[4] = {0, 32, 32, 0}, v[4] = {0, 0, 32, 32};
  matrix_f to_camera;
  float world_normal[3];
  v3d_f corners[4];
  int face, k;

  /* First the model's own turn and place, then the camera's view of the world. */
  multiply_matrices_f(model, camera, &to_camera);
  for (face = 0; face < 6; face++) {
    /* The model matrix without its translation turns the face's direction into the world. */
    apply_matrix_f(model, cube_normals[face][0], cube_normals[face][1], cube_normals[face][2],
                   &world_normal[0], &world_normal[1], &world_normal[2]);
    for (k = 0; k < 3; k++) world_normal[k] -= model->t[k];
    for (k = 0; k < 4; k++) {
      const float *p = cube_corners[cube_faces[face][k]];
      apply_matrix_f(&to_camera, p[0] * size, p[1] * size, p[2] * size, &corners[k].x,
                     &corners[k].y, &corners[k].z);
      corners[k].u = u[k];
      corners[k].v = v[k];
      corners[k].c = light_level(world_normal);
    }
    draw_face(target, texture, corners);
  }
}

/* The floor: a square 8 units wide at height -1, its texture repeated 8 times each way. */
static void draw_floor(bitmap *target, bitmap *texture, const matrix_f *camera) {
  static const float xz[4][2] = {{4, -4}, {4, 4}, {-4, 4}, {-4, -4}};
  static const float up[3] = {0, 1, 0};
  v3d_f corners[4];
  int k;
  for (k = 0; k < 4; k++) {
    apply_matrix_f(camera, xz[k][0], -1.0f, xz[k][1], &corners[k].x, &corners[k].y, &corners[k].z);
    corners[k].u = (xz[k][0] + 4) * 32;
    corners[k].v = (xz[k][1] + 4) * 32;
    corners[k].c = light_level(up);
  }
  draw_face(target, texture, corners);
}

int main(void) {
  int frames = frames_to_run();
  int frame;
  bitmap *buffer, *crate, *tiles;
  depth_buffer *depth;
  matrix_f camera, turn_y, turn_x, model;

  if (startup_corvane_versioned(SYSTEM_AUTODETECT, &errno, atexit, CORVANE_VERSION) != 0) {
    fprintf(stderr, "Cannot start the library: %s\n", error_text);
    return 1;
  }
  if (install_keyboard() != 0) {
    fprintf(stderr, "Cannot use the keyboard: %s\n", error_text);
    return 1;
  }
  set_color_depth(SCREEN_BITS);
  if (select_gfx_mode(GFX_AUTODETECT, SCREEN_W, SCREEN_H, 0, 0) != 0) {
    show_message("Cannot open a 320x240 screen at 32 bits per pixel\n%s\n", error_text);
    return 1;
  }

  buffer = create_bitmap(SCREEN_W, SCREEN_H);
  crate = make_crate_texture();
  tiles = make_floor_texture();
  if (buffer == NULL || crate == NULL || tiles == NULL) {
    show_message("Cannot make the bitmaps\n%s\n", error_text);
    return 1;
  }
  /* The depth buffer matches the bitmap drawn on, and becomes the current one. */
  depth = create_depth_buffer(buffer);
  if (depth == NULL) {
    show_message("Cannot make the depth buffer\n%s\n", error_text);
    return 1;
  }
  set_depth_buffer(depth);

  /* Project onto the whole buffer. The camera stands back and above, looking down at the
   * middle of the floor; world y points up. */
  set_projection_viewport(0, 0, SCREEN_W, SCREEN_H);
  if (get_camera_matrix_f(&camera, 0.0f, 1.6f, -3.8f, 0.0f, -0.4f, 1.0f, 0.0f, 1.0f, 0.0f) != 0) {
    show_message("Cannot set up the camera\n");
    return 1;
  }
  /* Lit polygons blend toward the blend colour, which select_mix_blend sets: black. */
  select_mix_blend(0, 0, 0, 0);

  for (frame = 0; frames == 0 || frame < frames; frame++) {
    clear_to_color(buffer, make_color(10, 10, 30));
    clear_depth_buffer(depth, 0.0f); /* everything infinitely far */

    draw_floor(buffer, tiles, &camera);

    /* The big crate: turned about y by the frame number and tipped a little, sunk a quarter of
     * its height into the floor. */
    get_y_rotation_matrix_f(&turn_y, frame * 2.0f);
    get_x_rotation_matrix_f(&turn_x, 10.0f);
    multiply_matrices_f(&turn_x, &turn_y, &model);
    model.t[0] = -0.6f;
    model.t[1] = -0.5f;
    model.t[2] = 0.5f;
    draw_cube(buffer, crate, &model, &camera, 1.0f);

    /* The small crate circles the big one, spinning the other way. */
    get_y_rotation_matrix_f(&turn_y, -frame * 5.0f);
    get_z_rotation_matrix_f(&turn_x, frame * 3.0f);
    multiply_matrices_f(&turn_x, &turn_y, &model);
    model.t[0] = -0.6f + 2.2f * (float)cos(frame * 0.04);
    model.t[1] = 0.6f;
    model.t[2] = 0.5f + 2.2f * (float)sin(frame * 0.04);
    draw_cube(buffer, crate, &model, &camera, 0.5f);

    draw_text(buffer, default_font, "textured, lit, depth-buffered", 4, 4,
              make_color(255, 255, 255), -1);
    wait_for_vsync();
    blit(buffer, screen_bitmap, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    if (frames == 0 && key_waiting()) break;
  }

  destroy_depth_buffer(depth);
  destroy_bitmap(tiles);
  destroy_bitmap(crate);
  destroy_bitmap(buffer);
  return 0;
}
