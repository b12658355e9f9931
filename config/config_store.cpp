// The process-wide configurations -- main, three saved slots, override, language and transient --
// their creation and destruction, the search for an entry, and the operations that choose which
// file or data the main and override configurations hold.
#include <cerrno>
#include <cstdlib>
#include <new>

#include "config/config_internal.h"
#include "core/exit_functions.h"
#include "corvane/config.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {

config_state config_store;

config *create_config(const char *filename) noexcept {
  auto *cfg = new (std::nothrow) config{nullptr, nullptr, 0};
  if (cfg == nullptr) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  if (filename != nullptr) {
    cfg->filename = duplicate_text(filename);
    if (cfg->filename == nullptr) {
      delete cfg;
      return nullptr;
    }
  }
  return cfg;
}

config_entry *create_entry(char *name, char *data) noexcept {
  auto *entry = new (std::nothrow) config_entry{name, data, nullptr};
  if (entry == nullptr) {
    std::free(name);
    std::free(data);
    set_error_number(ENOMEM);
  }
  return entry;
}

void destroy_entry(config_entry *entry) noexcept {
  std::free(entry->name);
  std::free(entry->data);
  delete entry;
}

void free_config(config *cfg) noexcept {
  if (cfg == nullptr) return;
  while (config_entry *entry = cfg->head) {
    cfg->head = entry->next;
    destroy_entry(entry);
  }
  std::free(cfg->filename);
  delete cfg;
}

void destroy_config(config **slot) noexcept {
  config *cfg = *slot;
  if (cfg == nullptr) return;
  *slot = nullptr;
  if (cfg->filename != nullptr && cfg->dirty != 0) (void)write_config(cfg);
  free_config(cfg);
}

config_entry *find_config_entry(const config *cfg, const char *section, const char *key,
                                config_entry **previous) noexcept {
  if (previous != nullptr) *previous = nullptr;
  if (cfg == nullptr || key == nullptr) return nullptr;
  bool inside = text_is_empty(section);
  config_entry *before = nullptr;
  for (config_entry *entry = cfg->head; entry != nullptr; before = entry, entry = entry->next) {
    if (entry->name == nullptr) continue;
    if (section != nullptr && is_section_header(entry->name)) {
      inside = text_icompare(entry->name, section) == 0;
    }
    if ((inside || first_char(entry->name) == '[') && text_icompare(entry->name, key) == 0) {
      if (previous != nullptr) *previous = before;
      return entry;
    }
  }
  return nullptr;
}

config_hook *find_hook(const char *bracketed_section) noexcept {
  for (config_hook *hook = config_store.hooks; hook != nullptr; hook = hook->next) {
    if (text_icompare(hook->section, bracketed_section) == 0) return hook;
  }
  return nullptr;
}

}  // namespace corvane::cfg

using corvane::cfg::config_store;

extern "C" {

void prepare_config(int load) noexcept {
  auto &store = config_store;
  // Writing configurations back during cleanup must not bring a new one to life.
  if (store.cleaning_up) return;
  if (!store.prepared) {
    corvane::register_library_exit_func(config_cleanup, "config_cleanup");
    store.transient_config = corvane::cfg::create_config(nullptr);
    store.prepared = true;
  }
  // Loading the main file may itself ask for configuration (a message to translate); that
  // inner request finds no main configuration yet and must not start a second search.
  if (load == 0 || store.main_config != nullptr || store.locating_main) return;
  store.locating_main = true;
  char path[corvane::cfg::config_path_size];
  const corvane::cfg::config_literal name("corvane.cfg");
  if (locate_resource(path, name, nullptr, nullptr, nullptr, nullptr, nullptr,
                      static_cast<int>(sizeof path)) != 0) {
    // Not found anywhere: the file belongs next to the program, where it will be written.
    query_executable_path(path, static_cast<int>(sizeof path));
    replace_filename(path, path, name, static_cast<int>(sizeof path));
  }
  use_config_file(path);
  store.locating_main = false;
}

void use_config_file(const char *filename) noexcept {
  prepare_config(0);
  corvane::cfg::load_config_file(&config_store.main_config, filename, filename);
}

void use_config_data(const char *data, int length) noexcept {
  prepare_config(0);
  corvane::cfg::destroy_config(&config_store.main_config);
  if (length < 0) {
    set_error_number(EINVAL);
    length = 0;
  }
  config_store.main_config =
      corvane::cfg::parse_config_data(data, static_cast<std::size_t>(length), nullptr);
}

void use_override_config_file(const char *filename) noexcept {
  prepare_config(0);
  if (filename == nullptr) {
    corvane::cfg::destroy_config(&config_store.override_config);
    return;
  }
  corvane::cfg::load_config_file(&config_store.override_config, filename, filename);
}

void save_config_state(void) noexcept {
  prepare_config(0);
  auto &slots = config_store.saved_configs;
  corvane::cfg::destroy_config(&slots[corvane::cfg::saved_config_slots - 1]);
  for (int i = corvane::cfg::saved_config_slots - 1; i > 0; --i) slots[i] = slots[i - 1];
  slots[0] = config_store.main_config;
  config_store.main_config = nullptr;
}

void restore_config_state(void) noexcept {
  prepare_config(0);
  auto &slots = config_store.saved_configs;
  corvane::cfg::destroy_config(&config_store.main_config);
  config_store.main_config = slots[0];
  for (int i = 0; i < corvane::cfg::saved_config_slots - 1; ++i) slots[i] = slots[i + 1];
  slots[corvane::cfg::saved_config_slots - 1] = nullptr;
}

void reload_main_config(void) noexcept {
  corvane::cfg::config *main = config_store.main_config;
  // Data handed in by the program has no file to be read again from; it stays as it is.
  if (main == nullptr || main->filename == nullptr) return;
  char *filename = corvane::cfg::duplicate_text(main->filename);
  if (filename == nullptr) return;
  corvane::cfg::load_config_file(&config_store.main_config, filename, filename);
  std::free(filename);
}

void config_cleanup(void) noexcept {
  using corvane::cfg::destroy_config;
  auto &store = config_store;
  store.cleaning_up = true;
  destroy_config(&store.main_config);
  for (auto &slot : store.saved_configs) destroy_config(&slot);
  destroy_config(&store.override_config);
  destroy_config(&store.language_config);
  destroy_config(&store.transient_config);

  while (corvane::cfg::config_hook *hook = store.hooks) {
    store.hooks = hook->next;
    std::free(hook->section);
    delete hook;
  }
  std::free(store.argv_buffer);
  std::free(store.argv_array);
  store.argv_buffer = nullptr;
  store.argv_buffer_size = 0;
  store.argv_array = nullptr;

  unregister_exit_func(config_cleanup);
  store.prepared = false;
  store.cleaning_up = false;
}

}  // extern "C"
