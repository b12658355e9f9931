// The display modes a graphics driver can show, sorted for the program.
#include <algorithm>
#include <cstdlib>

#include "corvane/gfx.h"
#include "corvane/system.h"
#include "gfx/gfx_mode_internal.h"

extern "C" {

gfx_mode_list *get_mode_list(int driver_id) noexcept {
  auto *driver =
      static_cast<gfx_driver *>(find_driver_in_list(corvane::gfx_driver_list(), driver_id));
  if (driver == nullptr || driver->list_modes == nullptr) return nullptr;
  gfx_mode_list *list = driver->list_modes();
  if (list == nullptr) return nullptr;
  if (list->count < 0 || (list->count > 0 && list->modes == nullptr)) list->count = 0;
  std::sort(list->modes, list->modes + list->count,
            [](const gfx_mode_entry &a, const gfx_mode_entry &b) {
              if (a.width != b.width) return a.width < b.width;
              if (a.height != b.height) return a.height < b.height;
              return a.bpp < b.bpp;
            });
  return list;
}

void free_mode_list(gfx_mode_list *list) noexcept {
  if (list == nullptr) return;
  std::free(list->modes);
  std::free(list);
}

}  // extern "C"
