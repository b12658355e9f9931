// Listing what the override and main configurations hold: the keys of a section, and the section
// headers, each name once.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string_view>
#include <unordered_set>

#include "config/config_internal.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {

thread_local uint64_t config_list_steps = 0;

namespace {

// Collects distinct names into the caller's array. A set of the names seen so far and an array
// grown by doubling keep a listing of n names close to linear in n.
class name_list {
 public:
  explicit name_list(const char ***names) noexcept : names_(names) {}
  ~name_list() { delete seen_; }
  name_list(const name_list &) = delete;
  name_list &operator=(const name_list &) = delete;

  // False when memory ran out (the list is freed then).
  bool add(const char *name) noexcept {
    try {
      if (seen_ == nullptr) seen_ = new std::unordered_set<std::string_view>();
      const std::string_view bytes(name, static_cast<std::size_t>(text_size(name)));
      // The names already in the bucket this one falls into are those it is compared with.
      if (seen_->bucket_count() != 0) config_list_steps += seen_->bucket_size(seen_->bucket(bytes));
      if (!seen_->insert(bytes).second) return true;
      if (count_ == capacity_) {
        config_list_steps += count_;
        const std::size_t capacity = capacity_ == 0 ? 16 : capacity_ * 2;
        auto *grown = static_cast<const char **>(
            std::realloc(static_cast<void *>(*names_), sizeof(const char *) * capacity));
        if (grown == nullptr) throw std::bad_alloc();
        *names_ = grown;
        capacity_ = capacity;
      }
      (*names_)[count_++] = name;
      return true;
    } catch (...) {
      config_free_list(names_);
      count_ = 0;
      set_error_number(ENOMEM);
      return false;
    }
  }

  int finish() noexcept {
    if (count_ == 0) config_free_list(names_);
    return static_cast<int>(count_);
  }

 private:
  const char ***names_;
  std::unordered_set<std::string_view> *seen_ = nullptr;
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
};

// Adds the keys of a bracketed section (or of the part before the first header).
bool add_keys(name_list &list, const config *cfg, const char *section) noexcept {
  if (cfg == nullptr) return true;
  bool inside = text_is_empty(section);
  for (const config_entry *entry = cfg->head; entry != nullptr; entry = entry->next) {
    ++config_list_steps;
    if (entry->name == nullptr) continue;
    if (is_section_header(entry->name)) {
      inside = text_icompare(entry->name, section) == 0;
      continue;
    }
    if (inside && !list.add(entry->name)) return false;
  }
  return true;
}

bool add_sections(name_list &list, const config *cfg) noexcept {
  if (cfg == nullptr) return true;
  for (const config_entry *entry = cfg->head; entry != nullptr; entry = entry->next) {
    ++config_list_steps;
    if (is_section_header(entry->name) && !list.add(entry->name)) return false;
  }
  return true;
}

}  // namespace
}  // namespace corvane::cfg

using namespace corvane::cfg;

extern "C" {

int config_list_entries(const char *section, const char ***names) noexcept {
  config_list_steps = 0;
  if (names == nullptr) return 0;
  prepare_config(0);
  char bracketed[section_name_size];
  bracket_section_name(section, bracketed);
  name_list list(names);
  if (!add_keys(list, config_store.override_config, bracketed) ||
      !add_keys(list, config_store.main_config, bracketed)) {
    return 0;
  }
  return list.finish();
}

int config_list_sections(const char ***names) noexcept {
  config_list_steps = 0;
  if (names == nullptr) return 0;
  prepare_config(0);
  name_list list(names);
  if (!add_sections(list, config_store.override_config) ||
      !add_sections(list, config_store.main_config)) {
    return 0;
  }
  return list.finish();
}

void config_free_list(const char ***names) noexcept {
  if (names == nullptr) return;
  std::free(static_cast<void *>(*names));
  *names = nullptr;
}

}  // extern "C"
