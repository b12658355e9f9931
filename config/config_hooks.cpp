// Section hooks: functions of the program that answer every getter and setter of one section in
// place of the configuration files.
#include <cerrno>
#include <cstdlib>
#include <new>

#include "config/config_internal.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"

using namespace corvane::cfg;

extern "C" {

void attach_config_hook(const char *section, int (*int_getter)(const char *name, int default_value),
                        const char *(*string_getter)(const char *name, const char *default_value),
                        void (*string_setter)(const char *name, const char *value)) noexcept {
  prepare_config(0);
  char bracketed[section_name_size];
  bracket_section_name(section, bracketed);
  const bool any = int_getter != nullptr || string_getter != nullptr || string_setter != nullptr;

  config_hook **link = &config_store.hooks;
  while (*link != nullptr && text_icompare((*link)->section, bracketed) != 0) {
    link = &(*link)->next;
  }
  if (config_hook *hook = *link) {
    if (any) {
      hook->int_getter = int_getter;
      hook->string_getter = string_getter;
      hook->string_setter = string_setter;
    } else {
      *link = hook->next;
      std::free(hook->section);
      delete hook;
    }
    return;
  }
  // Attaching nothing to a section without a hook asks for no hook: a hook without functions
  // would silently hide every value of the section.
  if (!any) return;
  char *name = duplicate_text(bracketed);
  if (name == nullptr) return;
  auto *hook = new (std::nothrow)
      config_hook{name, int_getter, string_getter, string_setter, config_store.hooks};
  if (hook == nullptr) {
    std::free(name);
    set_error_number(ENOMEM);
    return;
  }
  config_store.hooks = hook;
}

int config_section_hooked(const char *section) noexcept {
  char bracketed[section_name_size];
  bracket_section_name(section, bracketed);
  return find_hook(bracketed) != nullptr ? -1 : 0;
}

}  // extern "C"
