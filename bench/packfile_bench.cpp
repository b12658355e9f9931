// Packfile speed: LZSS decompression and compression of ordinary English-like text, and plain
// reading through a stream against read(2) with a buffer of the same size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "corvane/packfile.h"
#include "file/lzss.h"

namespace {

// A few hundred kilobytes of text made of common words, punctuation and line breaks.
const std::string &sample_text() {
  static const std::string text = [] {
    static const char *const words[] = {
        "the",   "of",     "and",     "a",       "to",       "in",      "is",      "you",
        "that",  "it",     "he",      "was",     "for",      "on",      "are",     "as",
        "with",  "his",    "they",    "at",      "be",       "this",    "have",    "from",
        "or",    "one",    "had",     "by",      "word",     "but",     "not",     "what",
        "all",   "were",   "we",      "when",    "your",     "can",     "said",    "there",
        "use",   "an",     "each",    "which",   "she",      "do",      "how",     "their",
        "if",    "will",   "up",      "other",   "about",    "out",     "many",    "then",
        "them",  "these",  "so",      "some",    "her",      "would",   "make",    "like",
        "time",  "look",   "two",     "more",    "write",    "go",      "see",     "number",
        "way",   "could",  "people",  "my",      "than",     "first",   "water",   "been",
        "call",  "who",    "oil",     "now",     "find",     "long",    "down",    "day",
        "did",   "get",    "come",    "made",    "may",      "part",    "castle",  "dragon",
        "river", "forest", "kingdom", "journey", "treasure", "shadow",  "morning", "silver",
        "north", "window", "garden",  "stone",   "whisper",  "thunder", "village", "lantern"};
    std::string out;
    uint32_t state = 12345;
    bool start = true;
    while (out.size() < 512 * 1024) {
      state = state * 1103515245u + 12345u;
      std::string word = words[(state >> 16) % (sizeof words / sizeof *words)];
      if (start) word[0] = static_cast<char>(word[0] - 'a' + 'A');
      out += word;
      start = false;
      state = state * 1103515245u + 12345u;
      const uint32_t r = (state >> 16) % 24;
      if (r == 0) {
        out += ".\n\n";
        start = true;
      } else if (r < 3) {
        out += ". ";
        start = true;
      } else if (r < 5) {
        out += ", ";
      } else if (r == 5) {
        out += '\n';
      } else {
        out += ' ';
      }
    }
    return out;
  }();
  return text;
}

int append_output(void *context, const unsigned char *data, long size) {
  static_cast<std::string *>(context)->append(reinterpret_cast<const char *>(data),
                                              static_cast<size_t>(size));
  return 0;
}

std::string compress(const std::string &text) {
  corvane::lzss_encoder *e = corvane::create_lzss_encoder();
  std::string out;
  const corvane::lzss_output output{.write = append_output, .context = &out};
  const auto *data = reinterpret_cast<const unsigned char *>(text.data());
  // The stream hands the encoder one buffer at a time.
  for (size_t at = 0; at < text.size(); at += 4095) {
    const size_t n = text.size() - at < 4095 ? text.size() - at : 4095;
    corvane::lzss_encode(e, data + at, static_cast<long>(n), false, output);
  }
  corvane::lzss_encode(e, nullptr, 0, true, output);
  corvane::destroy_lzss_encoder(e);
  return out;
}

struct memory_input {
  const std::string *data;
  size_t at;
  static long read(void *context, unsigned char *buffer, long size) {
    auto *self = static_cast<memory_input *>(context);
    size_t n = self->data->size() - self->at;
    if (n > static_cast<size_t>(size)) n = static_cast<size_t>(size);
    std::copy_n(self->data->data() + self->at, n, buffer);
    self->at += n;
    return static_cast<long>(n);
  }
};

void BM_LzssCompress(benchmark::State &state) {
  const std::string &text = sample_text();
  size_t compressed = 0;
  for (auto _ : state) {
    const std::string out = compress(text);
    compressed = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["ratio"] = static_cast<double>(compressed) / static_cast<double>(text.size());
}
BENCHMARK(BM_LzssCompress)->Unit(benchmark::kMillisecond);

void BM_LzssDecompress(benchmark::State &state) {
  const std::string &text = sample_text();
  const std::string packed = compress(text);
  std::vector<unsigned char> buffer(PACKFILE_BUFFER_SIZE);
  for (auto _ : state) {
    memory_input in{&packed, 0};
    corvane::lzss_decoder *d = corvane::create_lzss_decoder();
    const corvane::lzss_input input{.read = memory_input::read, .context = &in};
    size_t total = 0;
    long n;
    while ((n = corvane::lzss_decode(d, buffer.data(), static_cast<long>(buffer.size()), input)) >
           0) {
      total += static_cast<size_t>(n);
    }
    corvane::destroy_lzss_decoder(d);
    if (total != text.size()) state.SkipWithError("decompressed size differs");
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LzssDecompress)->Unit(benchmark::kMillisecond);

// A scratch file of the given size, removed at exit.
std::string scratch_file(const char *tag, const std::string &contents) {
  const char *base = std::getenv("TMPDIR");
  std::string name = std::string(base != nullptr ? base : "/tmp") + "/corvane-bench-" + tag +
                     std::to_string(getpid());
  FILE *out = std::fopen(name.c_str(), "wb");
  if (out != nullptr) {
    std::fwrite(contents.data(), 1, contents.size(), out);
    std::fclose(out);
  }
  return name;
}

const std::string &compressed_file() {
  static const std::string name = scratch_file("lz", "kwp!" + compress(sample_text()));
  return name;
}

// Decompression through the whole stream: a compressed file read with mode "rp".
void BM_PackfileReadCompressed(benchmark::State &state) {
  const std::string &text = sample_text();
  const std::string &name = compressed_file();
  std::vector<char> buffer(PACKFILE_BUFFER_SIZE);
  for (auto _ : state) {
    packfile *f = open_packfile(name.c_str(), "rp");
    size_t total = 0;
    long n;
    while ((n = packfile_read(buffer.data(), static_cast<long>(buffer.size()), f)) > 0) {
      total += static_cast<size_t>(n);
    }
    close_packfile(f);
    if (total != text.size()) state.SkipWithError("decompressed size differs");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PackfileReadCompressed)->Unit(benchmark::kMillisecond);

constexpr size_t large_file_size = 32u << 20;

const std::string &large_file() {
  static const std::string name = scratch_file("plain", std::string(large_file_size, 'p'));
  return name;
}

void BM_ReadSyscall4K(benchmark::State &state) {
  std::vector<char> buffer(PACKFILE_BUFFER_SIZE);
  for (auto _ : state) {
    const int fd = open(large_file().c_str(), O_RDONLY);
    size_t total = 0;
    ssize_t n;
    while ((n = read(fd, buffer.data(), buffer.size())) > 0) total += static_cast<size_t>(n);
    close(fd);
    if (total != large_file_size) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * large_file_size));
}
BENCHMARK(BM_ReadSyscall4K)->Unit(benchmark::kMillisecond);

void BM_PackfileReadPlain(benchmark::State &state) {
  std::vector<char> buffer(PACKFILE_BUFFER_SIZE);
  for (auto _ : state) {
    packfile *f = open_packfile(large_file().c_str(), "r");
    size_t total = 0;
    long n;
    while ((n = packfile_read(buffer.data(), static_cast<long>(buffer.size()), f)) > 0) {
      total += static_cast<size_t>(n);
    }
    close_packfile(f);
    if (total != large_file_size) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * large_file_size));
}
BENCHMARK(BM_PackfileReadPlain)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  unlink(large_file().c_str());
  unlink(compressed_file().c_str());
  return 0;
}
