// Helpers of the configuration tests: parsing text into a list of (name, data) lines that a test
// can compare, and a fixture that leaves no configuration behind.
#ifndef CORVANE_TESTS_CONFIG_CONFIG_TEST_SUPPORT_H
#define CORVANE_TESTS_CONFIG_CONFIG_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/config_internal.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace config_test {

// One line of a configuration: name and data, each absent when null.
struct line {
  std::optional<std::string> name;
  std::optional<std::string> data;
  bool operator==(const line &) const = default;
};

inline std::ostream &operator<<(std::ostream &out, const line &l) {
  out << "{" << (l.name ? "\"" + *l.name + "\"" : "null") << ", "
      << (l.data ? "\"" + *l.data + "\"" : "null") << "}";
  return out;
}

inline line key(const std::string &name, const std::string &data) { return {name, data}; }
inline line header(const std::string &name, std::optional<std::string> data = "") {
  return {name, std::move(data)};
}
inline line text_line(std::optional<std::string> data) { return {std::nullopt, std::move(data)}; }

// The lines of a configuration (8-bit or UTF-8 text).
inline std::vector<line> lines_of(const corvane::cfg::config *cfg) {
  std::vector<line> out;
  if (cfg == nullptr) return out;
  for (auto *e = cfg->head; e != nullptr; e = e->next) {
    line l;
    if (e->name != nullptr) l.name = e->name;
    if (e->data != nullptr) l.data = e->data;
    out.push_back(l);
  }
  return out;
}

struct config_deleter {
  void operator()(corvane::cfg::config *cfg) const { corvane::cfg::free_config(cfg); }
};
using config_ptr = std::unique_ptr<corvane::cfg::config, config_deleter>;

inline config_ptr parse(const std::string &text) {
  return config_ptr(corvane::cfg::parse_config_data(text.data(), text.size(), nullptr));
}

inline std::vector<line> parse_lines(const std::string &text) {
  return lines_of(parse(text).get());
}

inline void use_data(const std::string &text) {
  use_config_data(text.data(), static_cast<int>(text.size()));
}

inline std::vector<line> main_lines() { return lines_of(corvane::cfg::config_store.main_config); }

// The path of a file in the test program's directory.
inline std::string beside_program(const std::string &name) {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return name;
  path[length] = 0;
  std::string program(path);
  return program.substr(0, program.find_last_of('/') + 1) + name;
}

// Every test starts without configurations and ends by dropping them (nothing is written: the
// tests that write give their configurations files of their own).
class ConfigTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // A changed configuration that belongs next to the test program would be written there and
    // found by every later test: that is a fault of the test.
    if (auto *main = corvane::cfg::config_store.main_config;
        main != nullptr && main->dirty != 0 && main->filename != nullptr &&
        std::string(main->filename) == beside_program("corvane.cfg")) {
      ADD_FAILURE() << "the test changed the configuration next to the test program";
      main->dirty = 0;
    }
    config_cleanup();
    shutdown_corvane();
    set_text_encoding(ENCODING_UTF8);
  }
};

}  // namespace config_test

#endif  // CORVANE_TESTS_CONFIG_CONFIG_TEST_SUPPORT_H
