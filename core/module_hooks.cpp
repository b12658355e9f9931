// The hooks through which modules lend one another a step; empty until their owners set them.
#include "core/module_hooks.h"

namespace corvane {

void (*start_palettes_hook)() noexcept = nullptr;
std::atomic<void (*)(bool starting) noexcept> switch_in_hook{nullptr};
std::atomic<const mouse_pointer_hooks *> mouse_pointer_hook{nullptr};

}  // namespace corvane
