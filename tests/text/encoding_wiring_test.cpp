// The library's own texts under each current encoding: translated messages, error texts, driver
// names, formatted start-up errors and messages shown on standard output.
#include <gtest/gtest.h>

#include <string>

#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "support/test_system.h"
#include "tests/text/text_test_support.h"

namespace {

using corvane::testing::scoped_encoding;
using corvane::testing::utf16_text;

class EncodingWiringTest : public ::testing::Test {
 protected:
  void TearDown() override {
    shutdown_corvane();
    set_text_encoding(ENCODING_UTF8);
  }
};

TEST_F(EncodingWiringTest, TranslatedMessagesAreConvertedAndStable) {
  const char *message = "Out of memory";
  EXPECT_EQ(translate_text(message), message);  // UTF-8 holds ASCII as it is

  set_text_encoding(ENCODING_UNICODE16);
  const char *wide = translate_text(message);
  EXPECT_NE(wide, message);
  EXPECT_EQ(utf16_text::read(wide), u"Out of memory");
  const std::string copy(message);
  EXPECT_EQ(translate_text(copy.c_str()), wide);  // the same text, not a new one

  set_text_encoding(ENCODING_ASCII8);
  EXPECT_EQ(translate_text(message), message);
}

TEST_F(EncodingWiringTest, ErrorTextsFollowTheCurrentEncoding) {
  set_error_text("Unable to find a driver");
  EXPECT_STREQ(error_text, "Unable to find a driver");

  set_text_encoding(ENCODING_UNICODE16);
  set_error_text("Unable to find a driver");
  EXPECT_EQ(utf16_text::read(error_text), u"Unable to find a driver");

  set_text_encoding(ENCODING_ASCII8);
  set_error_text("Plain");
  EXPECT_STREQ(error_text, "Plain");
}

TEST_F(EncodingWiringTest, LongErrorTextsStayInsideTheErrorText) {
  const std::string huge(1000, 'e');
  set_text_encoding(ENCODING_UNICODE16);
  set_error_text(huge.c_str());
  const std::u16string read = utf16_text::read(error_text);
  EXPECT_EQ(read, std::u16string(ERROR_TEXT_SIZE / 2 - 1, u'e'));
}

TEST_F(EncodingWiringTest, DriverNamesUnderEachEncoding) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_STREQ(current_system_driver->name, "Agnostic");
  shutdown_corvane();

  set_text_encoding(ENCODING_UNICODE16);
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  const char *name = current_system_driver->name;
  EXPECT_EQ(utf16_text::read(name), u"Agnostic");
  EXPECT_EQ(current_system_driver->description, name);
  shutdown_corvane();
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_EQ(current_system_driver->name, name);  // a name handed out stays valid and the same
}

TEST_F(EncodingWiringTest, EmptyDriverNameIsEmptyInSixteenBitText) {
  scoped_encoding guard(ENCODING_UNICODE16);
  EXPECT_EQ(text_length(empty_string), 0);
  EXPECT_EQ(utf16_text::read(empty_string), u"");
}

TEST_F(EncodingWiringTest, VersionMismatchMessageIsFormattedInTheCurrentEncoding) {
  set_text_encoding(ENCODING_UNICODE16);
  EXPECT_EQ(startup_corvane_versioned(SYSTEM_NONE, nullptr, nullptr, CORVANE_MAKE_VERSION(3, 9, 0)),
            -1);
  const std::u16string text = utf16_text::read(error_text);
  EXPECT_NE(text.find(u"(4.2.1)"), std::u16string::npos);
  EXPECT_NE(text.find(u"(3.9.0)"), std::u16string::npos);
}

TEST_F(EncodingWiringTest, ShowMessageWritesTheCodepageFormToStandardOutput) {
  ::testing::internal::CaptureStdout();
  show_message("Caf\xC3\xA9 %d \xE2\x82\xAC\n", 5);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cafe 5 ^\n");

  set_text_encoding(ENCODING_ASCII8);
  ::testing::internal::CaptureStdout();
  show_message("Caf\xE9 %s\n", "\xC5");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cafe A\n");

  set_text_encoding(ENCODING_UNICODE16);
  const utf16_text format(u"Caf\u00E9 %s %d\n");
  const utf16_text word(u"\u0141\u00F3d\u017A");
  ::testing::internal::CaptureStdout();
  show_message(format.data(), word.data(), 7);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cafe Lodz 7\n");
}

TEST_F(EncodingWiringTest, ShowMessageHandsTheDriverTextInTheCurrentEncoding) {
  static std::u16string seen;
  ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
  current_system_driver->show_message_op = [](const char *text) { seen = utf16_text::read(text); };
  set_text_encoding(ENCODING_UNICODE16);
  const utf16_text format(u"%s!");
  const utf16_text word(u"\u20AC");
  show_message(format.data(), word.data());
  EXPECT_EQ(seen, u"\u20AC!");
}

}  // namespace
