// The small shared helpers: the random generator, 8-bit strings, memory and object types, and the
// layout of the records the public headers promise.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "corvane.h"

namespace {

TEST(RandomTest, FirstValuesFromSeedZero) {
  corvane_random_seed(0);
  const int expected[] = {16838, 55364, 11242, 18770, 27705, 62601};
  for (int value : expected) EXPECT_EQ(corvane_random(), value);
}

TEST(RandomTest, ReseedingRepeatsTheSequence) {
  corvane_random_seed(12345);
  const int a = corvane_random();
  const int b = corvane_random();
  corvane_random_seed(12345);
  EXPECT_EQ(corvane_random(), a);
  EXPECT_EQ(corvane_random(), b);
}

TEST(AsciiStringTest, CaseInsensitiveCompareReturnsTheDifference) {
  EXPECT_EQ(ascii_icompare("Mouse", "mOUSE"), 0);
  EXPECT_EQ(ascii_icompare("abc", "abd"), 'c' - 'd');
  EXPECT_EQ(ascii_icompare("ab", "abc"), -'c');
  EXPECT_EQ(ascii_icompare("B", "a"), 'b' - 'a');
  EXPECT_EQ(ascii_icompare("", ""), 0);
}

TEST(AsciiStringTest, BoundedCopyAlwaysTerminates) {
  char buffer[8];
  std::memset(buffer, 'z', sizeof buffer);
  EXPECT_EQ(ascii_copy(buffer, "abcdefghijkl", sizeof buffer), buffer);
  EXPECT_STREQ(buffer, "abcdefg");
  ascii_copy(buffer, "hi", sizeof buffer);
  EXPECT_STREQ(buffer, "hi");
  ascii_copy(buffer, "xyz", 1);
  EXPECT_STREQ(buffer, "");
  buffer[0] = 'q';
  ascii_copy(buffer, "xyz", 0);  // no room at all: untouched
  EXPECT_EQ(buffer[0], 'q');
}

TEST(MemoryTest, ReallocOrFreeFreesOnZeroAndGrows) {
  void *block = realloc_or_free(nullptr, 16);
  ASSERT_NE(block, nullptr);
  std::memset(block, 7, 16);
  block = realloc_or_free(block, 4096);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(static_cast<unsigned char *>(block)[15], 7);
  EXPECT_EQ(realloc_or_free(block, 0), nullptr);  // freed: the sanitizer reports a leak otherwise
}

TEST(ObjectTypeTest, RegisterFillsAndReplacesEntries) {
  auto loader = [](struct packfile *, long) -> void * { return nullptr; };
  auto destructor = [](void *) {};
  auto other_destructor = [](void *) {};
  const int samp = CORVANE_ID('S', 'A', 'M', 'P');
  const int midi = CORVANE_ID('M', 'I', 'D', 'I');

  register_object_type(samp, nullptr, destructor);
  EXPECT_EQ(object_type_registry[0].type, samp);
  EXPECT_EQ(object_type_registry[0].loader, nullptr);
  register_object_type(midi, loader, other_destructor);
  EXPECT_EQ(object_type_registry[1].type, midi);

  // A null operation leaves the old one in place.
  register_object_type(samp, loader, nullptr);
  EXPECT_EQ(object_type_registry[0].loader, +loader);
  EXPECT_EQ(object_type_registry[0].destructor, +destructor);
  EXPECT_EQ(object_type_registry[2].type, -1);

  for (int i = 2; i < OBJECT_TYPE_REGISTRY_SIZE; ++i)
    register_object_type(1000 + i, loader, nullptr);
  register_object_type(99999, loader, nullptr);  // full: ignored
  for (const auto &entry : object_type_registry) EXPECT_NE(entry.type, 99999);
}

TEST(LayoutTest, SystemDriverHasItsSlotsInOrder) {
  constexpr size_t slot = sizeof(void (*)());
  EXPECT_EQ(offsetof(system_driver, init), offsetof(system_driver, ascii_label) + sizeof(char *));
  EXPECT_EQ(offsetof(system_driver, get_executable_path), offsetof(system_driver, init) + 2 * slot);
  EXPECT_EQ(offsetof(system_driver, find_vtable_override),
            offsetof(system_driver, init) + 17 * slot);
  EXPECT_EQ(offsetof(system_driver, yield_cpu), offsetof(system_driver, init) + 23 * slot);
  EXPECT_EQ(offsetof(system_driver, list_timer_drivers), offsetof(system_driver, init) + 34 * slot);
  EXPECT_EQ(sizeof(system_driver), offsetof(system_driver, init) + 35 * slot);
}

TEST(LayoutTest, DrawVtableHasItsSixtyOneSlotsInOrder) {
  constexpr size_t slot = sizeof(void (*)());
  const size_t first = offsetof(draw_vtable, release_line);
  EXPECT_EQ(offsetof(draw_vtable, get_pixel), first + 6 * slot);
  EXPECT_EQ(offsetof(draw_vtable, draw_glyph), first + 28 * slot);
  EXPECT_EQ(offsetof(draw_vtable, blit_from_memory), first + 29 * slot);
  EXPECT_EQ(offsetof(draw_vtable, clear_to_color), first + 38 * slot);
  EXPECT_EQ(offsetof(draw_vtable, draw_sprite_gouraud), first + 41 * slot);
  EXPECT_EQ(offsetof(draw_vtable, draw_polygon), first + 44 * slot);
  EXPECT_EQ(offsetof(draw_vtable, draw_quad_3d_f), first + 58 * slot);
  EXPECT_EQ(sizeof(draw_vtable), first + 59 * slot);
}

TEST(LayoutTest, GfxDriverHasTwentyThreeOperationsThenItsValues) {
  constexpr size_t slot = sizeof(void (*)());
  EXPECT_EQ(offsetof(gfx_driver, list_modes), offsetof(gfx_driver, init) + 22 * slot);
  EXPECT_EQ(offsetof(gfx_driver, width), offsetof(gfx_driver, list_modes) + slot);
}

}  // namespace
