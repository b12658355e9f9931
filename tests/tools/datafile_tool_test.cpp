// The data-file tool from the outside: what it writes is read back through the library's own
// "file.dat#object" names, and damaged input or a wrong command line ends it with a clear message
// and a non-zero status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "corvane/packfile.h"

namespace fs = std::filesystem;

namespace {

struct run_result {
  int status = -1;
  std::string output;  // standard output and standard error together
};

run_result run(const std::string &arguments) {
  const std::string command = std::string(CORVANE_DATAFILE_TOOL) + " " + arguments + " 2>&1";
  run_result result;
  std::FILE *pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char block[4096];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) result.output.append(block, got);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string contents(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes;
  char block[4096];
  while (in.read(block, sizeof block) || in.gcount() > 0)
    bytes.append(block, static_cast<size_t>(in.gcount()));
  return bytes;
}

void write(const fs::path &path, const std::string &bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Reads an object through the library, as a program would.
std::string read_object(const std::string &name, const char *password = nullptr) {
  set_packfile_password(password);
  packfile *f = open_packfile(name.c_str(), "r");
  std::string bytes;
  if (f != nullptr) {
    int c;
    while ((c = packfile_getc(f)) != -1) bytes += static_cast<char>(c);
    close_packfile(f);
  } else {
    bytes = "<cannot open>";
  }
  set_packfile_password(nullptr);
  return bytes;
}

std::string random_bytes(size_t count, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(count, '\0');
  for (char &c : bytes) c = static_cast<char>(generator() & 0xFF);
  return bytes;
}

class DatafileToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(CORVANE_TEST_TMP) / "datafile-tool" /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    // Compressible text, incompressible bytes and an empty file, two folders deep.
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + "\n";
    write(dir / "in/readme.txt", "hello\n");
    write(dir / "in/levels/one.bin", random_bytes(70000, 1));
    write(dir / "in/levels/deep/two.txt", text);
    write(dir / "in/levels/deep/empty", "");
  }
  std::string in(const std::string &name) const { return contents(dir / "in" / name); }
  std::string dat() const { return (dir / "out.dat").string(); }

  fs::path dir;
};

TEST_F(DatafileToolTest, CreatedFilesReadBackThroughObjectNamesInEveryCompressionForm) {
  for (const char *flags : {"", "-c", "-C", "-c -C"}) {
    SCOPED_TRACE(flags);
    ASSERT_EQ(run(std::string("create ") + flags + " " + dat() + " " +
                  (dir / "in/readme.txt").string() + " " + (dir / "in/levels").string())
                  .status,
              0);
    EXPECT_TRUE(read_object(dat() + "#readme.txt") == in("readme.txt"));
    EXPECT_TRUE(read_object(dat() + "#levels/one.bin") == in("levels/one.bin"));
    EXPECT_TRUE(read_object(dat() + "#LEVELS/deep/two.txt") == in("levels/deep/two.txt"));
    EXPECT_EQ(read_object(dat() + "#levels/deep/empty"), "");
  }
}

TEST_F(DatafileToolTest, ExtractGivesBackEveryFileByteForByte) {
  ASSERT_EQ(run("create -c " + dat() + " " + (dir / "in/readme.txt").string() + " " +
                (dir / "in/levels").string())
                .status,
            0);
  ASSERT_EQ(run("extract -o " + (dir / "all").string() + " " + dat()).status, 0);
  for (const char *name :
       {"readme.txt", "levels/one.bin", "levels/deep/two.txt", "levels/deep/empty"}) {
    EXPECT_TRUE(contents(dir / "all" / name) == in(name)) << name;
  }
  ASSERT_EQ(
      run("extract -o " + (dir / "one").string() + " " + dat() + " levels/deep/two.txt").status, 0);
  EXPECT_TRUE(contents(dir / "one/two.txt") == in("levels/deep/two.txt"));
  EXPECT_FALSE(fs::exists(dir / "one/readme.txt"));

  const run_result listing = run("list " + dat());
  EXPECT_EQ(listing.status, 0);
  EXPECT_NE(listing.output.find("70000 packed one.bin"), std::string::npos) << listing.output;
  EXPECT_NE(listing.output.find("deep/"), std::string::npos) << listing.output;
}

TEST_F(DatafileToolTest, PropertiesAreSetReadRemovedAndARenameIsFoundByTheLibrary) {
  ASSERT_EQ(run("create " + dat() + " " + (dir / "in/levels").string()).status, 0);
  ASSERT_EQ(run("set " + dat() + " levels/one.bin ORIG \"from the designer\"").status, 0);
  const run_result got = run("get " + dat() + " levels/one.bin ORIG");
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.output, "from the designer\n");

  ASSERT_EQ(run("set " + dat() + " levels/one.bin NAME map1").status, 0);
  EXPECT_TRUE(read_object(dat() + "#levels/map1") == in("levels/one.bin"));
  EXPECT_EQ(run("get " + dat() + " levels/map1 ORIG").output, "from the designer\n");

  ASSERT_EQ(run("set " + dat() + " levels/map1 ORIG \"\"").status, 0);
  EXPECT_EQ(run("get " + dat() + " levels/map1 ORIG").status, 1);
  EXPECT_EQ(run("set " + dat() + " levels/map1 NAME \"\"").status, 2);
}

TEST_F(DatafileToolTest, APasswordProtectedFileNeedsThePassword) {
  ASSERT_EQ(run("create -c " + dat() + " " + (dir / "in/levels").string()).status, 0);
  ASSERT_EQ(run("pack -C -P s3cret " + dat()).status, 0);
  EXPECT_TRUE(read_object(dat() + "#levels/one.bin", "s3cret") == in("levels/one.bin"));
  EXPECT_EQ(read_object(dat() + "#levels/one.bin"), "<cannot open>");
  EXPECT_EQ(run("list " + dat()).status, 1);
  EXPECT_EQ(run("list -p s3cret " + dat()).status, 0);

  // Taking the password away again gives a file anyone reads.
  ASSERT_EQ(run("pack -p s3cret -U -u -P \"\" " + dat()).status, 0);
  EXPECT_TRUE(read_object(dat() + "#levels/deep/two.txt") == in("levels/deep/two.txt"));
}

TEST_F(DatafileToolTest, AProgramFindsTheDataFileAppendedToIt) {
  ASSERT_EQ(run("create " + dat() + " " + (dir / "in/readme.txt").string() + " " +
                (dir / "in/levels").string())
                .status,
            0);
  const fs::path program = dir / "reader";
  fs::copy_file(CORVANE_APPENDED_READER, program);
  auto read_appended = [&](const std::string &name, const std::string &password) {
    const std::string command = program.string() + " '" + name + "' " + password;
    std::FILE *pipe = popen(command.c_str(), "r");
    std::string bytes;
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) bytes.append(block, got);
    pclose(pipe);
    return bytes;
  };

  ASSERT_EQ(run("append -c " + program.string() + " " + dat()).status, 0);
  EXPECT_TRUE(read_appended("#levels/deep/two.txt", "") == in("levels/deep/two.txt"));
  // Appending again replaces the earlier data instead of stacking it.
  const auto size_once = fs::file_size(program);
  ASSERT_EQ(run("append -c " + program.string() + " " + dat()).status, 0);
  EXPECT_EQ(fs::file_size(program), size_once);

  fs::remove(program);
  fs::copy_file(CORVANE_APPENDED_READER, program);
  ASSERT_EQ(run("pack -P key " + dat()).status, 0);
  ASSERT_EQ(run("append -C -p key " + program.string() + " " + dat()).status, 0);
  EXPECT_TRUE(read_appended("#readme.txt", "key") == in("readme.txt"));
  EXPECT_TRUE(read_appended("#levels/one.bin", "key") == in("levels/one.bin"));
}

TEST_F(DatafileToolTest, DamagedFilesAndBadCommandLinesEndWithAMessageAndAStatus) {
  ASSERT_EQ(run("create " + dat() + " " + (dir / "in/levels").string()).status, 0);
  const std::string whole = contents(dat());
  for (size_t length :
       {size_t{0}, size_t{3}, size_t{8}, size_t{30}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(length);
    write(dir / "cut.dat", whole.substr(0, length));
    const run_result r = run("list " + (dir / "cut.dat").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("corvane_datafile: "), std::string::npos) << r.output;
  }
  // A failing rewrite leaves the file it was asked to change as it was.
  write(dir / "cut.dat", whole.substr(0, whole.size() - 1));
  EXPECT_EQ(run("set " + (dir / "cut.dat").string() + " levels/one.bin ORIG x").status, 1);
  EXPECT_TRUE(contents(dir / "cut.dat") == whole.substr(0, whole.size() - 1));

  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("frobnicate x").status, 2);
  EXPECT_EQ(run("list -z " + dat()).status, 2);
  EXPECT_EQ(run("get " + dat() + " levels/one.bin TOOLONG").status, 2);
  EXPECT_EQ(run("get " + dat() + " levels/missing ORIG").status, 1);
  EXPECT_EQ(run("list " + (dir / "nowhere.dat").string()).status, 1);
  EXPECT_EQ(run("create " + dat() + " " + (dir / "no-such-input").string()).status, 1);
}

TEST_F(DatafileToolTest, ExtractRefusesNamesThatWouldLeaveTheOutputFolder) {
  ASSERT_EQ(run("create " + dat() + " " + (dir / "in/readme.txt").string()).status, 0);
  ASSERT_EQ(run("set " + dat() + " readme.txt NAME ../escaped").status, 0);
  const run_result r = run("extract -o " + (dir / "out").string() + " " + dat());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("refusing"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(dir / "escaped"));
}

}  // namespace
