// Translated texts: language files, alone or inside "language.dat", and translate_text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/env_guard.h"
#include "support/test_system.h"
#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using corvane::cfg::config_store;
using corvane::testing::env_guard;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

std::string be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

// A data file holding one plain object with the given name.
std::string datafile_with(const std::string &name, const std::string &contents) {
  const auto size = static_cast<uint32_t>(contents.size());
  return "kwp.COR." + be32(1) + "propNAME" + be32(static_cast<uint32_t>(name.size())) + name +
         "DATA" + be32(size) + be32(size) + contents;
}

class ConfigTranslate : public ConfigTest {
 protected:
  // Starts the library with a "corvane.cfg" of the test's own, so that a language stored by
  // load_language_texts is written there.
  void start() {
    if (!corvane::testing::file_exists_on_disk(dir_.file("corvane.cfg"))) {
      write_file(dir_.file("corvane.cfg"), "");
    }
    ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
  }
  scoped_work_dir dir_;
  // Resources are looked for in the test's directory first.
  const env_guard corvane_env{"CORVANE", dir_.path()};
};

TEST_F(ConfigTranslate, BeforeStartUpTheMessageComesBackAsItIs) {
  const char *message = "Out of memory";
  EXPECT_EQ(translate_text(message), message);
  EXPECT_EQ(config_store.main_config, nullptr);  // no configuration was touched
  EXPECT_EQ(translate_text(nullptr), nullptr);
}

TEST_F(ConfigTranslate, UntranslatedMessageIsStoredOnceAndReturnedAgain) {
  start();
  const char *message = "No such thing";
  const char *first = translate_text(message);
  EXPECT_STREQ(first, message);
  const std::string copy(message);
  EXPECT_EQ(translate_text(copy.c_str()), first);
  // Stored once, inside the language section of the language configuration.
  int stored = 0;
  for (auto *e = config_store.language_config->head; e != nullptr; e = e->next) {
    if (e->name != nullptr && std::string(e->name) == "No_such_thing") ++stored;
  }
  EXPECT_EQ(stored, 1);
  EXPECT_STREQ(config_get_string("language", "No_such_thing", nullptr), nullptr);
}

TEST_F(ConfigTranslate, LanguageFileTranslatesMessages) {
  write_file(dir_.file("detext.cfg"),
             "[language]\nOut_of_memory = Kein Speicher mehr\nEmpty_one =\n");
  start();
  load_language_texts("DE");
  EXPECT_STREQ(config_get_string("system", "language", nullptr), "DE");
  EXPECT_STREQ(translate_text("Out of memory"), "Kein Speicher mehr");
  EXPECT_STREQ(translate_text("Empty one"), "");
  EXPECT_STREQ(translate_text("Not in the file"), "Not in the file");
}

TEST_F(ConfigTranslate, LanguageEndingInTextOnlyGainsTheExtension) {
  write_file(dir_.file("frtext.cfg"), "[language]\nYes = Oui\n");
  start();
  load_language_texts("frText");
  EXPECT_STREQ(translate_text("Yes"), "Oui");
  load_language_texts("xtext");  // looks for "xtext.cfg", which does not exist
  EXPECT_STREQ(translate_text("Yes"), "Yes");
}

TEST_F(ConfigTranslate, LanguageFileInsideLanguageDat) {
  write_file(dir_.file("language.dat"),
             datafile_with("ittext_cfg", "[language]\nYes = Si\nNo = No davvero\n"));
  start();
  load_language_texts("it");
  EXPECT_STREQ(translate_text("Yes"), "Si");
  EXPECT_STREQ(translate_text("No"), "No davvero");
}

TEST_F(ConfigTranslate, ConfiguredLanguageIsLoadedAtStartUp) {
  write_file(dir_.file("corvane.cfg"), "[system]\nlanguage = es\n");
  write_file(dir_.file("estext.cfg"), "[language]\nYes = Si\n");
  start();
  EXPECT_STREQ(translate_text("Yes"), "Si");
}

TEST_F(ConfigTranslate, OverrideAndMainComeBeforeTheLanguageFile) {
  write_file(dir_.file("detext.cfg"), "[language]\nYes = Ja\nNo = Nein\n");
  start();
  load_language_texts("de");
  use_config_data("[language]\nYes = Jawohl\n", 25);
  EXPECT_STREQ(translate_text("Yes"), "Jawohl");
  EXPECT_STREQ(translate_text("No"), "Nein");
}

TEST_F(ConfigTranslate, HookOnTheLanguageSectionAnswersFirst) {
  start();
  attach_config_hook(
      "language", nullptr,
      [](const char *name, const char *) -> const char * {
        return std::string(name) == "Hello_world" ? "Hallo Welt" : nullptr;
      },
      nullptr);
  EXPECT_STREQ(translate_text("Hello world"), "Hallo Welt");
  EXPECT_STREQ(translate_text("Other"), "Other");  // a null answer falls through
}

// A hook's text ends at its first character 0, which in UTF-8 may be a lone 0x80: the stored
// copy ends there with a real terminator, not with the byte that read as one.
TEST_F(ConfigTranslate, HookTextEndingInALoneContinuationByteGetsARealTerminator) {
  start();
  attach_config_hook(
      "language", nullptr, [](const char *, const char *) -> const char * { return "Ja\x80!"; },
      nullptr);
  EXPECT_STREQ(translate_text("Yes"), "Ja");
}

TEST_F(ConfigTranslate, TextsStayValidWhenTheLanguageChanges) {
  write_file(dir_.file("detext.cfg"), "[language]\nYes = Ja\n");
  write_file(dir_.file("nltext.cfg"), "[language]\nYes = Ja hoor\n");
  start();
  load_language_texts("de");
  const char *german = translate_text("Yes");
  const char *plain = translate_text("Unknown");
  load_language_texts("nl");
  const char *dutch = translate_text("Yes");
  EXPECT_STREQ(dutch, "Ja hoor");
  EXPECT_STREQ(german, "Ja");
  config_cleanup();
  shutdown_corvane();
  EXPECT_STREQ(plain, "Unknown");
  EXPECT_STREQ(german, "Ja");
}

TEST_F(ConfigTranslate, SixteenBitMessagesAreConverted) {
  write_file(dir_.file("detext.cfg"), "[language]\nOut_of_memory = Kein Speicher \xC3\xBC\n");
  set_text_encoding(ENCODING_UNICODE16);
  start();
  const std::u16string language = u"de";
  load_language_texts(reinterpret_cast<const char *>(language.c_str()));
  const char *text = translate_text("Out of memory");
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(text)), u"Kein Speicher \u00FC");
  const char *other = translate_text("Something else");
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(other)), u"Something else");
  EXPECT_EQ(translate_text("Something else"), other);
}

}  // namespace

// Messages are formats whose callers pass the original's arguments: a translation that would
// read others is refused, whether it comes from a language file or from a hook.
TEST_F(ConfigTranslate, TranslationReadingOtherArgumentsKeepsTheOriginal) {
  write_file(dir_.file("xxtext.cfg"),
             "[language]\n"
             "Reach_%s = Erreicht %s\n"
             "Two_%s = %s und %s\n"
             "Count_%s = %s%n\n"
             "Type_%s = %d\n"
             "Star_%*d = %d\n"
             "Long_%ld = %d\n"
             "Percent_%d = %d %%\n");
  start();
  load_language_texts("xx");
  EXPECT_STREQ(translate_text("Reach %s"), "Erreicht %s");
  EXPECT_STREQ(translate_text("Percent %d"), "%d %%");
  for (const char *message : {"Two %s", "Count %s", "Type %s", "Star %*d", "Long %ld"}) {
    EXPECT_STREQ(translate_text(message), message);
  }
  char out[64];
  format_text_bounded(out, sizeof out, translate_text("Two %s"), "x");
  EXPECT_STREQ(out, "Two x");

  attach_config_hook(
      "language", nullptr, [](const char *, const char *) -> const char * { return "%s %s %s"; },
      nullptr);
  EXPECT_STREQ(translate_text("Hooked %s"), "Hooked %s");
}
