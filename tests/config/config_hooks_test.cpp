// Section hooks: functions of the program that answer a section in place of the files.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using config_test::use_data;

std::map<std::string, std::string> hooked_values;
std::string last_default;

int int_answer(const char *name, int default_value) {
  auto it = hooked_values.find(name);
  return it == hooked_values.end() ? default_value : std::stoi(it->second);
}
const char *string_answer(const char *name, const char *default_value) {
  last_default = default_value != nullptr ? default_value : "(null)";
  auto it = hooked_values.find(name);
  return it == hooked_values.end() ? default_value : it->second.c_str();
}
void store_answer(const char *name, const char *value) {
  hooked_values[name] = value != nullptr ? value : "";
}

class ConfigHooks : public ConfigTest {
 protected:
  void SetUp() override {
    hooked_values = {{"buttons", "5"}, {"mode", "0x20"}, {"card", "sb"}};
    last_default.clear();
    use_data("[mouse]\nbuttons = 2\nother = file\n");
  }
};

TEST_F(ConfigHooks, HookAnswersInsteadOfTheFile) {
  attach_config_hook("mouse", int_answer, string_answer, store_answer);
  EXPECT_EQ(config_section_hooked("[mouse]"), -1);
  EXPECT_EQ(config_section_hooked("keyboard"), 0);
  EXPECT_EQ(config_get_int("mouse", "buttons", 0), 5);
  EXPECT_STREQ(config_get_string("mouse", "other", "dflt"), "dflt");
  EXPECT_EQ(last_default, "dflt");
  EXPECT_EQ(config_get_id("mouse", "card", 0), CORVANE_ID('S', 'B', ' ', ' '));
}

TEST_F(ConfigHooks, IntGetterFallsBackToTheStringGetter) {
  attach_config_hook("MOUSE", nullptr, string_answer, nullptr);
  EXPECT_EQ(config_get_int("mouse", "mode", 0), 32);
  EXPECT_EQ(last_default, "(null)");  // asked with a null default
  EXPECT_EQ(config_get_int("mouse", "absent", 4), 4);
  hooked_values["word"] = "abc";
  EXPECT_EQ(config_get_int("mouse", "word", 6), 6);

  attach_config_hook("mouse", nullptr, nullptr, store_answer);
  EXPECT_EQ(config_get_int("mouse", "buttons", 7), 7);
  EXPECT_STREQ(config_get_string("mouse", "buttons", "d"), "d");
}

TEST_F(ConfigHooks, SettersGoToTheHookAndNotToTheFile) {
  attach_config_hook("[mouse]", nullptr, string_answer, store_answer);
  config_set_int("mouse", "speed", 12);
  EXPECT_EQ(hooked_values["speed"], "12");
  EXPECT_EQ(corvane::cfg::config_store.main_config->dirty, 0);

  // A hook without a setter swallows the change.
  attach_config_hook("mouse", nullptr, string_answer, nullptr);
  config_set_string("mouse", "speed", "99");
  EXPECT_EQ(hooked_values["speed"], "12");
  EXPECT_EQ(corvane::cfg::config_store.main_config->dirty, 0);
}

TEST_F(ConfigHooks, AttachingNothingRemovesTheHook) {
  attach_config_hook("mouse", int_answer, string_answer, store_answer);
  attach_config_hook("mouse", nullptr, nullptr, nullptr);
  EXPECT_EQ(config_section_hooked("mouse"), 0);
  EXPECT_EQ(config_get_int("mouse", "buttons", 0), 2);

  // With no hook in place it attaches nothing, and the file still answers.
  attach_config_hook("joystick", nullptr, nullptr, nullptr);
  EXPECT_EQ(config_section_hooked("joystick"), 0);
}

TEST_F(ConfigHooks, HooksOfSeveralSectionsAndTheEmptySection) {
  attach_config_hook("a", int_answer, nullptr, nullptr);
  attach_config_hook("b", int_answer, nullptr, nullptr);
  attach_config_hook(nullptr, int_answer, nullptr, nullptr);
  attach_config_hook("a", nullptr, nullptr, nullptr);
  EXPECT_EQ(config_section_hooked("a"), 0);
  EXPECT_EQ(config_section_hooked("b"), -1);
  EXPECT_EQ(config_section_hooked(""), -1);
  EXPECT_EQ(config_get_int(nullptr, "buttons", 0), 5);
}

TEST_F(ConfigHooks, CleanupFreesHooks) {
  attach_config_hook("mouse", int_answer, nullptr, nullptr);
  config_cleanup();
  EXPECT_EQ(config_section_hooked("mouse"), 0);
}

}  // namespace
