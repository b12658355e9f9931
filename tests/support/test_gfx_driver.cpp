// The fake graphics drivers of the tests.
#include "support/test_gfx_driver.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "corvane/system.h"
#include "support/test_system.h"

namespace corvane::testing {

namespace {

std::array<test_gfx_driver, TEST_GFX_DRIVER_COUNT> fakes;
std::vector<driver_list_entry> handed_out_list;

const char *const labels[TEST_GFX_DRIVER_COUNT] = {"Test graphics 0", "Test graphics 1",
                                                   "Test graphics 2", "Test graphics 3"};

// Each fake's own entry points: the record's operations take no driver argument.
template <int I>
struct trampolines {
  static test_gfx_driver &self() { return fakes[I]; }

  static bitmap *init(int w, int h, int vw, int vh, int depth) {
    return self().init(w, h, vw, vh, depth);
  }
  static void exit(bitmap *screen) { self().exit(screen); }
  static int scroll(int x, int y) {
    ++self().calls.scroll;
    self().calls.scrolls.emplace_back(x, y);
    self().calls.order.emplace_back("scroll");
    return self().scroll_result;
  }
  static int request_scroll(int x, int y) {
    ++self().calls.request_scroll;
    self().calls.requested_scrolls.emplace_back(x, y);
    self().calls.order.emplace_back("request_scroll");
    return self().scroll_result;
  }
  static void wait_retrace() {
    ++self().calls.wait_retrace;
    self().calls.order.emplace_back("wait_retrace");
  }
  static int show_video_bitmap(bitmap *bmp) {
    self().calls.shown_bitmaps.push_back(bmp);
    self().calls.order.emplace_back("show");
    return self().flip_result;
  }
  static int poll_scroll() {
    ++self().calls.poll_scroll;
    return self().poll_result;
  }
  static void enable_triple_buffer() {
    ++self().calls.enable_triple_buffer;
    if (self().triple_buffer_gives_request_scroll) self().driver.request_scroll = request_scroll;
  }
  static int request_video_bitmap(bitmap *bmp) {
    self().calls.requested_bitmaps.push_back(bmp);
    self().calls.order.emplace_back("request");
    return self().flip_result;
  }
  static void write_palette(const rgb_entry *, int, int, int) { ++self().calls.write_palette; }
  static void drawing_mode_changed(int, bitmap *, int, int) { ++self().calls.drawing_mode_changed; }
  static gfx_mode_list *list_modes() {
    test_gfx_driver &fake = self();
    ++fake.calls.list_modes;
    if (fake.list_modes_fails) return nullptr;
    auto *list = static_cast<gfx_mode_list *>(std::malloc(sizeof(gfx_mode_list)));
    if (list == nullptr) return nullptr;
    list->count = static_cast<int>(fake.modes.size());
    list->modes = static_cast<gfx_mode_entry *>(
        std::malloc(std::max<size_t>(fake.modes.size(), 1) * sizeof(gfx_mode_entry)));
    if (list->modes == nullptr) {
      std::free(list);
      return nullptr;
    }
    std::copy(fake.modes.begin(), fake.modes.end(), list->modes);
    return list;
  }
  static void acquire(bitmap *) {
    test_gfx_driver &fake = self();
    ++fake.calls.acquire;
    ++fake.held_acquires;
    fake.calls.deepest_acquire = std::max(fake.calls.deepest_acquire, fake.held_acquires);
  }
  static void release(bitmap *) {
    ++self().calls.release;
    --self().held_acquires;
  }
};

struct operation_set {
  bitmap *(*init)(int, int, int, int, int);
  void (*exit)(bitmap *);
  int (*scroll)(int, int);
  int (*request_scroll)(int, int);
  void (*enable_triple_buffer)();
  int (*request_video_bitmap)(bitmap *);
  void (*wait_retrace)();
  int (*show_video_bitmap)(bitmap *);
  int (*poll_scroll)();
  void (*write_palette)(const rgb_entry *, int, int, int);
  void (*drawing_mode_changed)(int, bitmap *, int, int);
  gfx_mode_list *(*list_modes)();
  void (*acquire)(bitmap *);
  void (*release)(bitmap *);
};

template <int I>
constexpr operation_set operations_of() {
  using t = trampolines<I>;
  return {t::init,
          t::exit,
          t::scroll,
          t::request_scroll,
          t::enable_triple_buffer,
          t::request_video_bitmap,
          t::wait_retrace,
          t::show_video_bitmap,
          t::poll_scroll,
          t::write_palette,
          t::drawing_mode_changed,
          t::list_modes,
          t::acquire,
          t::release};
}

constexpr std::array<operation_set, TEST_GFX_DRIVER_COUNT> operation_sets = {
    operations_of<0>(), operations_of<1>(), operations_of<2>(), operations_of<3>()};

int index_of(const test_gfx_driver *fake) { return static_cast<int>(fake - fakes.data()); }

const operation_set &ops_of(const test_gfx_driver *fake) {
  return operation_sets[static_cast<size_t>(index_of(fake))];
}

void reset_one(int index) {
  test_gfx_driver &fake = fakes[static_cast<size_t>(index)];
  std::vector<unsigned char> keep = std::move(fake.surface);
  bitmap *open_screen = fake.screen;
  fake = test_gfx_driver{};
  // A mode that is still open keeps its pixels.
  if (open_screen != nullptr) {
    fake.surface = std::move(keep);
    fake.screen = open_screen;
  }
  const operation_set &ops = operation_sets[static_cast<size_t>(index)];
  gfx_driver &d = fake.driver;
  d.id = CORVANE_ID('T', 'G', 'F', static_cast<char>('0' + index));
  d.name = empty_string;
  d.description = empty_string;
  d.ascii_label = labels[index];
  d.init = ops.init;
  d.exit = ops.exit;
  d.write_palette = ops.write_palette;
  d.drawing_mode_changed = ops.drawing_mode_changed;
  d.linear = -1;
}

}  // namespace

bitmap *test_gfx_driver::init(int width, int height, int virtual_width, int virtual_height,
                              int depth) {
  ++calls.init;
  calls.init_width = width;
  calls.init_height = height;
  calls.init_virtual_width = virtual_width;
  calls.init_virtual_height = virtual_height;
  calls.init_depth = depth;
  if (fail_init || width <= 0 || height <= 0) {
    if (!failure_text.empty()) ascii_copy(error_text, failure_text.c_str(), ERROR_TEXT_SIZE);
    return nullptr;
  }
  const int surface_width = std::max(width, virtual_width);
  const int surface_height = std::max(height, virtual_height);
  const int bits = surface_depth != 0 ? surface_depth : depth;
  const int stride = surface_width * bytes_per_pixel_of_depth(bits) + row_padding;
  // Filled with a pattern, so that a test sees whether the mode cleared the screen.
  surface.assign(static_cast<size_t>(stride) * static_cast<size_t>(surface_height), 0xA5);
  screen = make_screen_bitmap(surface_width, surface_height, surface.data(), &driver, bits, stride);
  if (screen == nullptr) return nullptr;
  driver.width = width;
  driver.height = height;
  if (counted_screen_locks) {
    screen->vtable->acquire = ops_of(this).acquire;
    screen->vtable->release = ops_of(this).release;
  }
  return screen;
}

void test_gfx_driver::exit(bitmap *screen_to_close) {
  ++calls.exit;
  calls.exit_screen = screen_to_close;
  screen = nullptr;
}

void test_gfx_driver::give_scroll() { driver.scroll = ops_of(this).scroll; }
void test_gfx_driver::give_request_scroll() { driver.request_scroll = ops_of(this).request_scroll; }
void test_gfx_driver::give_enable_triple_buffer() {
  driver.enable_triple_buffer = ops_of(this).enable_triple_buffer;
}
void test_gfx_driver::give_list_modes() { driver.list_modes = ops_of(this).list_modes; }
void test_gfx_driver::give_wait_retrace() { driver.wait_retrace = ops_of(this).wait_retrace; }
void test_gfx_driver::give_show_video_bitmap() {
  driver.show_video_bitmap = ops_of(this).show_video_bitmap;
}
void test_gfx_driver::give_request_video_bitmap() {
  driver.request_video_bitmap = ops_of(this).request_video_bitmap;
}
void test_gfx_driver::give_poll_scroll() { driver.poll_scroll = ops_of(this).poll_scroll; }

test_gfx_driver &test_gfx(int index) {
  index = std::clamp(index, 0, TEST_GFX_DRIVER_COUNT - 1);
  if (fakes[static_cast<size_t>(index)].driver.id == 0) reset_one(index);
  return fakes[static_cast<size_t>(index)];
}

void reset_test_gfx_drivers() {
  for (int i = 0; i < TEST_GFX_DRIVER_COUNT; ++i) reset_one(i);
}

void use_test_gfx_driver_list(std::initializer_list<std::pair<test_gfx_driver *, bool>> entries) {
  handed_out_list.clear();
  for (const auto &[fake, autodetect] : entries) {
    handed_out_list.push_back({fake->driver.id, &fake->driver, autodetect ? -1 : 0});
  }
  handed_out_list.push_back({0, nullptr, 0});
  the_test_system().gfx_drivers = handed_out_list.data();
}

void use_test_gfx_drivers(std::initializer_list<test_gfx_driver *> drivers, bool autodetect) {
  handed_out_list.clear();
  for (test_gfx_driver *fake : drivers) {
    handed_out_list.push_back({fake->driver.id, &fake->driver, autodetect ? -1 : 0});
  }
  handed_out_list.push_back({0, nullptr, 0});
  the_test_system().gfx_drivers = handed_out_list.data();
}

}  // namespace corvane::testing
