// Fuzz target "path": the input holds up to three names separated by zero bytes. Canonical names
// are absolute, keep no "..", "." or empty components to climb or stand still with, and
// canonicalising them again changes nothing; a relative name from one canonical name to another
// leads there; and make_relative_filename, replace_extension and append_filename into buffers of
// 0 to 64 bytes stay inside them and give a prefix of the result with room to spare.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "corvane/file.h"
#include "corvane/text.h"
#include "fuzz_support.h"

namespace {

constexpr int large = 8192;
constexpr int max_size = 64;

std::string canonical(const std::string &name) {
  std::vector<char> dest(large);
  canonicalize_filename(dest.data(), name.c_str(), large);
  return dest.data();
}

// The components between slashes.
std::vector<std::string_view> components(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('/', start);
    parts.push_back(
        path.substr(start, slash == std::string_view::npos ? path.npos : slash - start));
    if (slash == std::string_view::npos) return parts;
    start = slash + 1;
  }
}

void check_canonical(const std::string &name) {
  const std::string once = canonical(name);
  if (once.size() >= large / 2) return;
  FUZZ_CHECK(!once.empty());
  FUZZ_CHECK(once[0] == '/' || once[0] == '#');
  FUZZ_CHECK(once.find('\\') == std::string::npos);
  if (once[0] == '/') {
    const std::vector<std::string_view> parts = components(once);
    for (size_t i = 1; i < parts.size(); ++i) {
      FUZZ_CHECK(parts[i] != "..");
      FUZZ_CHECK(parts[i] != ".");
      // Only the last component may be empty: a name that ends in "/".
      FUZZ_CHECK(!parts[i].empty() || i + 1 == parts.size());
    }
  }
  FUZZ_CHECK(canonical(once) == once);
}

// The directory part of a name, up to and including its last "/".
std::string directory_of(const std::string &name) {
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

void check_relative(const std::string &from, const std::string &to) {
  std::vector<char> dest(large);
  const char *relative = make_relative_filename(dest.data(), from.c_str(), to.c_str(), large);
  if (relative == nullptr) return;
  FUZZ_CHECK(relative == dest.data());
  const std::string result = relative;
  // Between canonical absolute names the relative name is relative and leads from the one to the
  // other.
  if (!from.empty() && from[0] == '/' && !to.empty() && to[0] == '/' && canonical(from) == from &&
      canonical(to) == to && from.size() + result.size() < large / 2) {
    FUZZ_CHECK(result.empty() || result[0] != '/');
    FUZZ_CHECK(canonical(directory_of(from) + result) == to);
  }
}

// Runs build with buffers of 0 to 64 bytes: each result stays inside its buffer, is terminated
// and is a prefix of the result with plenty of room.
void check_bounded(const std::function<const char *(char *, int)> &build) {
  std::vector<char> roomy(large, 0);
  const char *full = build(roomy.data(), large);
  const std::string complete = full != nullptr ? std::string(roomy.data()) : std::string();
  for (int size = 0; size <= max_size; ++size) {
    char *buffer = static_cast<char *>(std::malloc(static_cast<size_t>(size)));
    if (size > 0) std::memset(buffer, 0x55, static_cast<size_t>(size));
    const char *result = build(buffer, size);
    if (result != nullptr && size > 0) {
      const size_t length = strnlen(buffer, static_cast<size_t>(size));
      FUZZ_CHECK(length < static_cast<size_t>(size));
      FUZZ_CHECK(complete.compare(0, length, buffer, length) == 0);
    }
    std::free(buffer);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  // Relative names are taken from a directory two levels below the root.
  const char *base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  if (chdir(base) != 0) fuzz::fail(__FILE__, __LINE__, "chdir");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 4096) return 0;
  std::string_view input = fuzz::as_text(data, size);
  std::string names[3];
  for (std::string &name : names) {
    const size_t zero = input.find('\0');
    name = std::string(input.substr(0, zero));
    input = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  }
  set_text_encoding(ENCODING_UTF8);
  check_canonical(names[0]);
  check_canonical(names[1]);
  check_relative(names[0], names[1]);
  check_relative(canonical(names[0]), canonical(names[1]));
  check_bounded([&](char *dest, int n) {
    return make_relative_filename(dest, names[0].c_str(), names[1].c_str(), n);
  });
  check_bounded([&](char *dest, int n) {
    return replace_extension(dest, names[0].c_str(), names[2].c_str(), n);
  });
  check_bounded([&](char *dest, int n) {
    return append_filename(dest, names[0].c_str(), names[1].c_str(), n);
  });
  check_bounded(
      [&](char *dest, int n) { return canonicalize_filename(dest, names[2].c_str(), n); });
  return 0;
}
