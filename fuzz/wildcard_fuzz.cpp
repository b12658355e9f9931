// Fuzz target "wildcard": the input is a pattern, a zero byte, then the text. wildcard_match must
// agree with a plain matcher that remembers every (text position, pattern position) it decided,
// so that it needs at most one step per pair whatever the pattern.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "corvane/file.h"
#include "fuzz_support.h"

namespace {

constexpr size_t max_text = 16384;
constexpr size_t max_pattern = 512;

// matches[p * (n + 1) + t]: whether pattern[p..] matches text[t..]. Filled from the ends back, so
// every entry it reads is already known.
bool reference_match(std::string_view text, std::string_view pattern) {
  const size_t n = text.size();
  const size_t m = pattern.size();
  std::vector<char> matches((m + 1) * (n + 1), 0);
  auto at = [&](size_t p, size_t t) -> char & { return matches[p * (n + 1) + t]; };
  at(m, n) = 1;
  for (size_t p = m; p-- > 0;) {
    for (size_t t = n + 1; t-- > 0;) {
      if (pattern[p] == '*') {
        at(p, t) = at(p + 1, t) || (t < n && at(p, t + 1));
      } else {
        at(p, t) = t < n && (pattern[p] == '?' || pattern[p] == text[t]) && at(p + 1, t + 1);
      }
    }
  }
  return at(0, 0) != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view input = fuzz::as_text(data, size);
  const size_t zero = input.find('\0');
  if (zero == std::string_view::npos) return 0;
  const std::string pattern(input.substr(0, zero));
  std::string text(input.substr(zero + 1));
  text = text.substr(0, text.find('\0'));
  if (pattern.size() > max_pattern || text.size() > max_text) return 0;
  const int got = wildcard_match(text.c_str(), pattern.c_str());
  FUZZ_CHECK(got == 0 || got == 1);
  FUZZ_CHECK((got == 1) == reference_match(text, pattern));
  return 0;
}
