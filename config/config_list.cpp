// Listing what the override and main configurations hold: the keys of a section, and the section
// headers, each name once.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string_view>
#include <unordered_set>

#include "config/config_internal.h"
#include "core/keyed_hash.h"
#include "core/work_counter.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {

#if defined(CORVANE_WORK_COUNTERS)
thread_local uint64_t config_list_steps = 0;
#endif

namespace {

// The set of names seen hashes them under the process's secret key: names written into a file so
// that they collide under a fixed hash would otherwise all share one bucket, and each new name
// would be compared with all of them. Every hash and every comparison the set makes is one step
// of the listing's work.
struct name_hash {
  std::size_t operator()(std::string_view name) const noexcept {
    CORVANE_COUNT_WORK(config_list_steps, 1);
    return static_cast<std::size_t>(keyed_hash(process_hash_key(), name.data(), name.size()));
  }
};

struct name_equal {
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    CORVANE_COUNT_WORK(config_list_steps, 1);
    return a == b;
  }
};

// The entries of a configuration in order; each one visited is a step of the listing's work.
template <typename Visit>
bool for_each_entry(const config *cfg, Visit &&visit) noexcept {
  if (cfg == nullptr) return true;
  for (const config_entry *entry = cfg->head; entry != nullptr; entry = entry->next) {
    CORVANE_COUNT_WORK(config_list_steps, 1);
    if (!visit(entry)) return false;
  }
  return true;
}

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
      if (seen_ == nullptr) seen_ = new std::unordered_set<std::string_view, name_hash, name_equal>();
      const std::string_view bytes(name, static_cast<std::size_t>(text_size(name)));
      if (!seen_->insert(bytes).second) return true;
      if (count_ == capacity_) {
        const std::size_t capacity = capacity_ == 0 ? 16 : capacity_ * 2;
        auto *grown = static_cast<const char **>(
            std::realloc(static_cast<void *>(*names_), sizeof(const char *) * capacity));
        if (grown == nullptr) throw std::bad_alloc();
        CORVANE_COUNT_WORK(config_list_steps, count_);  // the names moved by the reallocation
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
  std::unordered_set<std::string_view, name_hash, name_equal> *seen_ = nullptr;
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
};

// Adds the keys of a bracketed section (or of the part before the first header).
bool add_keys(name_list &list, const config *cfg, const char *section) noexcept {
  bool inside = text_is_empty(section);
  return for_each_entry(cfg, [&](const config_entry *entry) {
    if (entry->name == nullptr) return true;
    if (is_section_header(entry->name)) {
      inside = text_icompare(entry->name, section) == 0;
      return true;
    }
    return !inside || list.add(entry->name);
  });
}

bool add_sections(name_list &list, const config *cfg) noexcept {
  return for_each_entry(cfg, [&](const config_entry *entry) {
    return !is_section_header(entry->name) || list.add(entry->name);
  });
}

}  // namespace
}  // namespace corvane::cfg

using namespace corvane::cfg;

extern "C" {

int config_list_entries(const char *section, const char ***names) noexcept {
  CORVANE_RESET_WORK(config_list_steps);
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
  CORVANE_RESET_WORK(config_list_steps);
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
