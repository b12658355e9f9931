// Configuration files on disk: loading, locating "corvane.cfg", writing back unchanged apart from
// edits, and write-backs that fail or must not happen.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "file/file_io.h"
#include "support/env_guard.h"
#include "support/test_system.h"
#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using corvane::cfg::config_store;
using corvane::testing::env_guard;
using corvane::testing::read_file;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;
using namespace std::string_literals;

constexpr const char *real_looking =
    "# Corvane configuration\n"
    "\n"
    "[system]\n"
    "system = UNIX\n"
    "language = en\n"
    "\n"
    "   # the display\n"
    "[graphics]\n"
    "gfx_card = AUTO\n"
    "gfx_cardw = WIN\n"
    "\n"
    "[sound]\n"
    "digi_card = DCA\n"
    "quality = 2\n"
    "\t\n"
    "[midimap]\n"
    "p1 = 0 1 2 3\n";

std::vector<std::string> directory_entries(const std::string &path) {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(path)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ConfigFile : public ConfigTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
    // Start-up found no "corvane.cfg"; the tests choose their own files.
    config_store.main_config->dirty = 0;
  }
  void TearDown() override {
    corvane::file_io = corvane::system_file_io();
    ConfigTest::TearDown();
  }
  scoped_work_dir dir_;
};

TEST_F(ConfigFile, UnchangedConfigurationIsNotWritten) {
  const std::string path = dir_.file("game.cfg");
  const std::string crlf = "[a]\r\nx=1\r\n\r\n# c\r\n";
  write_file(path, crlf);
  use_config_file(path.c_str());
  EXPECT_STREQ(config_get_string("a", "x", nullptr), "1");
  config_cleanup();
  EXPECT_EQ(read_file(path), crlf);
}

TEST_F(ConfigFile, RoundTripWritesTheSameBytes) {
  const std::string path = dir_.file("game.cfg");
  write_file(path, real_looking);
  use_config_file(path.c_str());
  EXPECT_STREQ(config_get_string("sound", "digi_card", nullptr), "DCA");
  EXPECT_EQ(config_get_argv("midimap", "p1", nullptr)[3], "3"s);
  // A change undone still marks the configuration changed, so it is written.
  config_set_string("graphics", "gfx_card", "OTHER");
  config_set_string("graphics", "gfx_card", "AUTO");
  config_cleanup();
  EXPECT_EQ(read_file(path), real_looking);
  EXPECT_EQ(directory_entries(dir_.path()), (std::vector<std::string>{"game.cfg"}));
}

TEST_F(ConfigFile, WritingNormalisesKeyLinesAndLineEnds) {
  const std::string path = dir_.file("game.cfg");
  write_file(path, "[sound]\r\n  digi_card=DCA  \r\n# note\r\n\r\n[x]\rk v\n\rlast");
  use_config_file(path.c_str());
  config_set_int("sound", "quality", 1);
  config_set_string("new", "key", "v");
  config_cleanup();
  EXPECT_EQ(read_file(path),
            "[sound]\ndigi_card = DCA\n# note\nquality = 1\n\n[x]\nk = v\nlast = \n[new]\n"
            "key = v\n");
}

TEST_F(ConfigFile, MissingFileIsCreatedWhenSomethingIsSet) {
  const std::string path = dir_.file("new.cfg");
  use_config_file(path.c_str());
  EXPECT_EQ(config_get_int("mouse", "num_buttons", -1), -1);
  config_cleanup();
  EXPECT_FALSE(corvane::testing::file_exists_on_disk(path));  // nothing changed

  use_config_file(path.c_str());
  config_set_int("mouse", "num_buttons", 3);
  config_cleanup();
  EXPECT_EQ(read_file(path), "[mouse]\nnum_buttons = 3\n");
}

TEST_F(ConfigFile, EmptyFileGivesAnEmptyConfigurationThatWritesThere) {
  const std::string path = dir_.file("empty.cfg");
  write_file(path, "");
  use_config_file(path.c_str());
  EXPECT_EQ(config_store.main_config->head, nullptr);
  config_set_string(nullptr, "k", "v");
  config_cleanup();
  EXPECT_EQ(read_file(path), "k = v\n");
}

TEST_F(ConfigFile, WriteBackKeepsTheFilesPermissionsAndLinks) {
  const std::string target = dir_.file("real.cfg");
  const std::string link = dir_.file("link.cfg");
  write_file(target, "a = 1\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  use_config_file(link.c_str());
  config_set_string(nullptr, "a", "2");
  config_cleanup();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(read_file(target), "a = 2\n");
  struct stat st {};
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(directory_entries(dir_.path()), (std::vector<std::string>{"link.cfg", "real.cfg"}));
}

TEST_F(ConfigFile, FailedWriteLeavesTheOriginalUntouched) {
  const std::string path = dir_.file("game.cfg");
  write_file(path, real_looking);
  use_config_file(path.c_str());
  config_set_string("sound", "digi_card", "NEW");
  corvane::file_io.write = [](int, const void *, size_t) -> ssize_t {
    errno = ENOSPC;
    return -1;
  };
  config_cleanup();
  corvane::file_io = corvane::system_file_io();
  EXPECT_EQ(read_file(path), real_looking);
  EXPECT_EQ(directory_entries(dir_.path()), (std::vector<std::string>{"game.cfg"}));
}

TEST_F(ConfigFile, WriteThatCannotCreateItsFileIsSkipped) {
  use_config_file("/nonexistent-dir/game.cfg");
  config_set_string("a", "b", "c");
  config_cleanup();
  EXPECT_FALSE(corvane::testing::file_exists_on_disk("/nonexistent-dir"));
}

TEST_F(ConfigFile, UnreadableFileIsNeverReplaced) {
  const std::string path = dir_.file("game.cfg");
  write_file(path, real_looking);
  corvane::file_io.read = [](int, void *, size_t) -> ssize_t {
    errno = EIO;
    return -1;
  };
  use_config_file(path.c_str());
  corvane::file_io = corvane::system_file_io();
  EXPECT_EQ(config_get_string("sound", "digi_card", nullptr), nullptr);
  config_set_string("sound", "digi_card", "NEW");
  config_cleanup();
  EXPECT_EQ(read_file(path), real_looking);

  // A directory given as the configuration file is not replaced either.
  const std::string sub = dir_.file("sub.cfg");
  std::filesystem::create_directory(sub);
  write_file(sub + "/inside", "x");
  use_config_file(sub.c_str());
  config_set_string("a", "b", "c");
  config_cleanup();
  EXPECT_TRUE(std::filesystem::is_directory(sub));
  EXPECT_EQ(read_file(sub + "/inside"), "x");
}

// A FIFO reads as an empty file (and opening it does not wait for a writer); write-back must not
// rename a regular file over it, directly or through a link.
TEST_F(ConfigFile, FifoIsNeverReplaced) {
  const std::string fifo = dir_.file("fifo.cfg");
  const std::string link = dir_.file("link.cfg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(symlink(fifo.c_str(), link.c_str()), 0);
  for (const std::string &name : {fifo, link}) {
    use_config_file(name.c_str());
    config_set_string("a", "b", "c");
    EXPECT_EQ(flush_config_file(), -1);
    EXPECT_EQ(get_error_number(), EINVAL);
    config_cleanup();
  }
  struct stat st {};
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(directory_entries(dir_.path()), (std::vector<std::string>{"fifo.cfg", "link.cfg"}));
}

TEST_F(ConfigFile, DataFileObjectsAreNeverWritten) {
  use_config_file("settings.dat#game_cfg");
  config_set_string("a", "b", "c");
  config_cleanup();
  EXPECT_EQ(directory_entries(dir_.path()), std::vector<std::string>{});
}

TEST_F(ConfigFile, HostileFilesLoadIntoSomethingWellDefined) {
  const std::string path = dir_.file("hostile.cfg");
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  write_file(path, binary);
  use_config_file(path.c_str());
  ASSERT_NE(config_store.main_config, nullptr);
  config_cleanup();
  EXPECT_EQ(read_file(path), binary);

  // NUL bytes in the middle do not cut the file short.
  write_file(path, "a = 1\0\0\nb = 2\n[s\0ec]\nc = 3\n"s);
  use_config_file(path.c_str());
  EXPECT_STREQ(config_get_string(nullptr, "a", nullptr), "1");
  EXPECT_STREQ(config_get_string(nullptr, "b", nullptr), "2");
  EXPECT_STREQ(config_get_string("sec", "c", nullptr), "3");

  // One line of a megabyte without any line end.
  const std::string line = "k = " + std::string(1 << 20, 'x');
  write_file(path, line);
  use_config_file(path.c_str());
  const char *value = config_get_string(nullptr, "k", nullptr);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::string(value).size(), size_t{1} << 20);
}

TEST_F(ConfigFile, Utf8FileUnderSixteenBitText) {
  const std::string path = dir_.file("wide.cfg");
  write_file(path, "[s]\nname = caf\xC3\xA9\n");
  set_text_encoding(ENCODING_UNICODE16);
  const std::u16string wide_path(path.begin(), path.end());
  use_config_file(reinterpret_cast<const char *>(wide_path.c_str()));
  const std::u16string section = u"s";
  const std::u16string key = u"name";
  const std::u16string value = u"th\u00E9";
  auto as_text = [](const std::u16string &s) { return reinterpret_cast<const char *>(s.c_str()); };
  const char *read = config_get_string(as_text(section), as_text(key), nullptr);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(read)), u"caf\u00E9");
  config_set_string(as_text(section), as_text(key), as_text(value));
  config_cleanup();
  EXPECT_EQ(read_file(path), "[s]\nname = th\xC3\xA9\n");
}

// A lone 0x80 and the overlong C0 80 read as the character 0, which is dropped like a NUL byte,
// keeping the rest of the line; every other byte stays. A file that has to be converted (8-bit
// text here) reads the same lines as one read as it is, and loses nothing behind such a byte.
TEST_F(ConfigFile, NulCharactersAreDroppedWhateverTheTextEncoding) {
  const std::string path = dir_.file("nul.cfg");
  write_file(path, "a = 1\x80 2\nb = x\xC0\x80y\xC1\n[s]\nc = 3\n");
  for (const int encoding : {ENCODING_UTF8, ENCODING_ASCII8}) {
    set_text_encoding(encoding);
    use_config_file(path.c_str());
    EXPECT_STREQ(config_get_string(nullptr, "a", nullptr), "1 2") << encoding;
    const char *b = config_get_string(nullptr, "b", "");
    EXPECT_EQ(std::string(b), encoding == ENCODING_UTF8 ? "xy\xC1" : "xy^") << encoding;
    EXPECT_STREQ(config_get_string("s", "c", nullptr), "3") << encoding;
  }
}

TEST_F(ConfigFile, ReloadWritesChangesAndReadsTheFileAgain) {
  const std::string path = dir_.file("game.cfg");
  write_file(path, "a = 1\n");
  use_config_file(path.c_str());
  config_set_string(nullptr, "b", "2");
  reload_main_config();
  EXPECT_EQ(read_file(path), "b = 2\na = 1\n");
  write_file(path, "a = 9\n");
  reload_main_config();
  EXPECT_STREQ(config_get_string(nullptr, "a", nullptr), "9");
  EXPECT_EQ(config_get_string(nullptr, "b", nullptr), nullptr);
}

class ConfigLocate : public ConfigFile {
 protected:
  const env_guard corvane_env{"CORVANE", dir_.path()};
};

TEST_F(ConfigLocate, MainFileIsFoundThroughTheEnvironment) {
  // Start-up already looked: make it look again now that the file exists.
  write_file(dir_.file("corvane.cfg"), "[mouse]\nnum_buttons = 4\n");
  config_cleanup();
  EXPECT_EQ(config_get_int("mouse", "num_buttons", 0), 4);
  config_set_int("mouse", "num_buttons", 5);
  config_cleanup();
  EXPECT_EQ(read_file(dir_.file("corvane.cfg")), "[mouse]\nnum_buttons = 5\n");
}

TEST_F(ConfigLocate, SavedStateGivesWayToAFreshLoad) {
  write_file(dir_.file("corvane.cfg"), "v = file\n");
  config_cleanup();
  use_config_data("v = data\n", 9);
  save_config_state();
  EXPECT_STREQ(config_get_string(nullptr, "v", nullptr), "file");
  restore_config_state();
  EXPECT_STREQ(config_get_string(nullptr, "v", nullptr), "data");
}

TEST_F(ConfigLocate, WithoutAnyFileTheConfigurationBelongsNextToTheProgram) {
  config_cleanup();
  prepare_config(1);
  ASSERT_NE(config_store.main_config, nullptr);
  ASSERT_NE(config_store.main_config->filename, nullptr);
  char program[1024];
  query_executable_path(program, sizeof program);
  const std::string expected =
      std::filesystem::path(program).parent_path().string() + "/corvane.cfg";
  EXPECT_EQ(config_store.main_config->filename, expected);
  EXPECT_FALSE(corvane::testing::file_exists_on_disk(expected));
}

}  // namespace
