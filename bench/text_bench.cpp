// Speed of the string operations on ASCII-only UTF-8 text against the C library's byte routines
// on the same bytes: text_length vs strlen, text_copy vs memcpy and strcpy, and conversion between
// ASCII8 and UTF-8.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "corvane/text.h"

namespace {

std::string ascii_text(std::size_t length) {
  std::string text(length, ' ');
  for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

void set_bytes(benchmark::State &state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_strlen(benchmark::State &state) {
  const std::string text = ascii_text(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::strlen(text.c_str()));
  }
  set_bytes(state);
}

void BM_text_length(benchmark::State &state) {
  set_text_encoding(ENCODING_UTF8);
  const std::string text = ascii_text(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(text_length(text.c_str()));
  }
  set_bytes(state);
}

void BM_memcpy(benchmark::State &state) {
  const std::string text = ascii_text(static_cast<std::size_t>(state.range(0)));
  std::vector<char> out(text.size() + 1);
  for (auto _ : state) {
    std::memcpy(out.data(), text.c_str(), text.size() + 1);
    benchmark::ClobberMemory();
  }
  set_bytes(state);
}

void BM_strcpy(benchmark::State &state) {
  const std::string text = ascii_text(static_cast<std::size_t>(state.range(0)));
  std::vector<char> out(text.size() + 1);
  for (auto _ : state) {
    std::strcpy(out.data(), text.c_str());
    benchmark::ClobberMemory();
  }
  set_bytes(state);
}

void BM_text_copy(benchmark::State &state) {
  set_text_encoding(ENCODING_UTF8);
  const std::string text = ascii_text(static_cast<std::size_t>(state.range(0)));
  std::vector<char> out(text.size() + 1);
  for (auto _ : state) {
    text_copy(out.data(), static_cast<int>(out.size()), text.c_str());
    benchmark::ClobberMemory();
  }
  set_bytes(state);
}

void BM_convert_ascii8_to_utf8(benchmark::State &state) {
  const std::string text = ascii_text(static_cast<std::size_t>(state.range(0)));
  std::vector<char> out(text.size() + 1);
  for (auto _ : state) {
    convert_text_into(text.c_str(), ENCODING_ASCII8, out.data(), ENCODING_UTF8,
                      static_cast<int>(out.size()));
    benchmark::ClobberMemory();
  }
  set_bytes(state);
}

void BM_convert_utf8_to_ascii8(benchmark::State &state) {
  const std::string text = ascii_text(static_cast<std::size_t>(state.range(0)));
  std::vector<char> out(text.size() + 1);
  for (auto _ : state) {
    convert_text_into(text.c_str(), ENCODING_UTF8, out.data(), ENCODING_ASCII8,
                      static_cast<int>(out.size()));
    benchmark::ClobberMemory();
  }
  set_bytes(state);
}

// The same conversion through convert_text, which returns the source untouched for ASCII text.
void BM_convert_text_ascii(benchmark::State &state) {
  const std::string text = ascii_text(static_cast<std::size_t>(state.range(0)));
  std::vector<char> out(text.size() + 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(convert_text(text.c_str(), ENCODING_UTF8, out.data(), ENCODING_ASCII8,
                                          static_cast<int>(out.size())));
  }
  set_bytes(state);
}

// Mostly ASCII with one two-byte character every 64 bytes: the slow path's share.
void BM_text_length_mixed(benchmark::State &state) {
  set_text_encoding(ENCODING_UTF8);
  std::string text;
  while (text.size() < static_cast<std::size_t>(state.range(0)))
    text += ascii_text(62) + "\xC3\xA9";
  for (auto _ : state) {
    benchmark::DoNotOptimize(text_length(text.c_str()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

#define TEXT_SIZES Arg(64)->Arg(1024)->Arg(16384)

BENCHMARK(BM_strlen)->TEXT_SIZES;
BENCHMARK(BM_text_length)->TEXT_SIZES;
BENCHMARK(BM_memcpy)->TEXT_SIZES;
BENCHMARK(BM_strcpy)->TEXT_SIZES;
BENCHMARK(BM_text_copy)->TEXT_SIZES;
BENCHMARK(BM_convert_ascii8_to_utf8)->TEXT_SIZES;
BENCHMARK(BM_convert_utf8_to_ascii8)->TEXT_SIZES;
BENCHMARK(BM_convert_text_ascii)->TEXT_SIZES;
BENCHMARK(BM_text_length_mixed)->Arg(16384);

}  // namespace

BENCHMARK_MAIN();
