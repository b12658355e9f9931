// Writing the configuration now: the main and the override configuration go to their files when
// they have changed, instead of only when the library shuts down.
#include "config/config_internal.h"
#include "corvane/config.h"

namespace {

// 0 when the configuration needs no writing or was written; -1 when writing it failed (it then
// stays marked as changed, so that shutdown tries again).
int flush_one(corvane::cfg::config *cfg) noexcept {
  if (cfg == nullptr || cfg->filename == nullptr || cfg->dirty == 0) return 0;
  return corvane::cfg::write_config(cfg);
}

}  // namespace

extern "C" {

int flush_config_file(void) noexcept {
  using corvane::cfg::config_store;
  const int main_result = flush_one(config_store.main_config);
  const int override_result = flush_one(config_store.override_config);
  return main_result == 0 && override_result == 0 ? 0 : -1;
}

}  // extern "C"
