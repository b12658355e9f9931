// The file sound output driver 'FILE': a thread of its own mixes one block each time a block's
// worth of real time has passed, as a sound card would ask for it, and appends it to a WAV file.
// The header goes out first with sizes that mean "until the end of the file", so that a file cut
// short still plays; closing fills in the real sizes.
#include "platform/null/file_digi_driver.h"

#include <fcntl.h>
#include <pthread.h>

#include <bit>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_io.h"
#include "sound/sound_internal.h"

namespace corvane {
namespace {

using clock = std::chrono::steady_clock;

constexpr int default_rate = 44100;
constexpr int path_size = 1024;
constexpr int header_bytes = 44;
// The largest data chunk whose RIFF size still fits in 32 bits.
constexpr uint64_t max_data_bytes = 0xFFFFFFFFu - (header_bytes - 8);
// Behind by more than this (the process was stopped), the output starts its clock afresh rather
// than catching up in a burst.
constexpr auto max_lag = std::chrono::seconds(1);

struct wav_format {
  int rate = default_rate;
  int bits = 16;
  int channels = 2;
};

// Set by open before the thread starts and read by close after it ended, apart from `stop`.
struct file_state {
  bool open = false;
  int fd = -1;
  wav_format format;
  std::unique_ptr<unsigned char[]> block;
  size_t block_bytes = 0;
  uint64_t data_bytes = 0;  // written by the thread
  bool failed = false;      // written by the thread: the file takes no more
  pthread_t thread{};
  std::mutex lock;
  std::condition_variable wake;
  bool stop = false;  // guarded by lock
  char description[path_size + 64] = {};
};

file_state state;

void put_le(unsigned char *at, uint32_t value, int bytes) noexcept {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

void make_header(unsigned char *header, const wav_format &f, uint32_t riff_size,
                 uint32_t data_size) noexcept {
  const uint32_t frame_bytes = static_cast<uint32_t>(f.channels * (f.bits / 8));
  const unsigned char tags[][4] = {
      {'R', 'I', 'F', 'F'}, {'W', 'A', 'V', 'E'}, {'f', 'm', 't', ' '}, {'d', 'a', 't', 'a'}};
  for (int i = 0; i < 4; ++i) header[i] = tags[0][i];
  put_le(header + 4, riff_size, 4);
  for (int i = 0; i < 4; ++i) header[8 + i] = tags[1][i];
  for (int i = 0; i < 4; ++i) header[12 + i] = tags[2][i];
  put_le(header + 16, 16, 4);  // size of the format chunk
  put_le(header + 20, 1, 2);   // integer PCM
  put_le(header + 22, static_cast<uint32_t>(f.channels), 2);
  put_le(header + 24, static_cast<uint32_t>(f.rate), 4);
  put_le(header + 28, static_cast<uint32_t>(f.rate) * frame_bytes, 4);
  put_le(header + 32, frame_bytes, 2);
  put_le(header + 34, static_cast<uint32_t>(f.bits), 2);
  for (int i = 0; i < 4; ++i) header[36 + i] = tags[3][i];
  put_le(header + 40, data_size, 4);
}

// WAV words are little-endian; the mixer writes them in the machine's order.
void to_little_endian(unsigned char *data, size_t bytes) noexcept {
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i + 1 < bytes; i += 2) std::swap(data[i], data[i + 1]);
  } else {
    (void)data;
    (void)bytes;
  }
}

void write_block() noexcept {
  render_mix(state.block.get(), 0, state.format.bits == 16 ? 1 : 0);
  if (state.failed) return;
  if (state.data_bytes + state.block_bytes > max_data_bytes) {
    state.failed = true;
    return;
  }
  if (state.format.bits == 16) to_little_endian(state.block.get(), state.block_bytes);
  if (write_fully(state.fd, state.block.get(), static_cast<int64_t>(state.block_bytes)) != 0) {
    state.failed = true;
    return;
  }
  state.data_bytes += state.block_bytes;
}

// Mixes and writes a block, then waits until the next one is due or the driver closes. The first
// block goes out at once, as a device starts playing when it opens.
void *run_output(void *) {
  const auto block_time =
      std::chrono::nanoseconds(int64_t{FILE_BLOCK_FRAMES} * 1000000000 / state.format.rate);
  clock::time_point next = clock::now();
  for (;;) {
    write_block();
    next += block_time;
    const clock::time_point now = clock::now();
    if (now - next > max_lag) next = now;
    std::unique_lock<std::mutex> guard(state.lock);
    if (state.wake.wait_until(guard, next, [] { return state.stop; })) return nullptr;
  }
}

// The file's name in the current encoding: the configured one, the environment's, or the default.
void choose_file_name(char *name) noexcept {
  char literal_buffer[64];
  const char *variable = literal("CORVANE_SOUND_FILE", literal_buffer, sizeof literal_buffer);
  const char *configured = sound_config_string("sound_file", nullptr);
  if (configured != nullptr && configured[0] != 0) {
    format_text_bounded(name, path_size, "%s", configured);
  } else if (!get_environment_text(variable, name, path_size)) {
    format_text_bounded(name, path_size, "%s", translate_text("corvane.wav"));
  }
}

int report_file_error(const char *name, int error) noexcept {
  format_text_bounded(error_text, ERROR_TEXT_SIZE,
                      translate_text("Cannot create the sound file %s"), name);
  set_error_number(error);
  return -1;
}

int create_file(const char *name) noexcept {
  char system_name[path_size];
  if (!convert_file_name(name, get_file_name_encoding(), system_name, path_size)) {
    return report_file_error(name, ENAMETOOLONG);
  }
  const int fd = file_io.open(system_name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return report_file_error(name, errno);
  unsigned char header[header_bytes];
  make_header(header, state.format, 0xFFFFFFFFu, 0xFFFFFFFFu);
  if (write_fully(fd, header, header_bytes) != 0) {
    const int error = errno;
    file_io.close(fd);
    return report_file_error(name, error);
  }
  return fd;
}

// The real sizes, where the file can be written at its start (not in a pipe).
void finish_file() noexcept {
  const auto data_size = static_cast<uint32_t>(state.data_bytes);
  unsigned char header[header_bytes];
  make_header(header, state.format, data_size + (header_bytes - 8), data_size);
  if (file_io.lseek(state.fd, 4, SEEK_SET) == 4) (void)write_fully(state.fd, header + 4, 4);
  if (file_io.lseek(state.fd, 40, SEEK_SET) == 40) (void)write_fully(state.fd, header + 40, 4);
  file_io.close(state.fd);
  state.fd = -1;
}

int probe(int input) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return 0;
  }
  return -1;
}

void close(int input) {
  if (input != 0 || !state.open) return;
  {
    std::lock_guard<std::mutex> guard(state.lock);
    state.stop = true;
  }
  state.wake.notify_all();
  pthread_join(state.thread, nullptr);
  state.open = false;
  close_mixer();
  finish_file();
  state.block.reset();
}

int open(int input, int voices) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return -1;
  }
  close(0);
  wav_format &f = state.format;
  f.rate = sound_freq > 0 ? sound_freq : default_rate;
  f.bits = sound_bits == 8 ? 8 : 16;
  f.channels = sound_stereo == 0 ? 1 : 2;

  char name[path_size];
  choose_file_name(name);
  state.block_bytes = size_t{FILE_BLOCK_FRAMES} * static_cast<size_t>(f.channels * (f.bits / 8));
  state.block.reset(new (std::nothrow) unsigned char[state.block_bytes]);
  if (state.block == nullptr) {
    set_error_text("Not enough memory");
    return -1;
  }
  state.fd = create_file(name);
  if (state.fd < 0) {
    state.block.reset();
    return -1;
  }
  if (open_mixer(FILE_BLOCK_FRAMES * f.channels, f.rate, f.channels == 2 ? 1 : 0,
                 f.bits == 16 ? 1 : 0, &voices) != 0) {
    finish_file();
    state.block.reset();
    set_error_text("Error initializing mixer");
    return -1;
  }
  state.data_bytes = 0;
  state.failed = false;
  state.stop = false;
  if (pthread_create(&state.thread, nullptr, run_output, nullptr) != 0) {
    close_mixer();
    finish_file();
    state.block.reset();
    set_error_text("Cannot start the sound output thread");
    return -1;
  }
  state.open = true;
  file_digi_driver.voice_count = voices;
  sound_freq = f.rate;
  sound_bits = f.bits;
  sound_stereo = f.channels == 2 ? -1 : 0;
  format_text_bounded(state.description, sizeof state.description,
                      translate_text("WAV file %s, %d bits, %d bps, %s"), name, f.bits, f.rate,
                      translate_text(f.channels == 2 ? "stereo" : "mono"));
  file_digi_driver.description = state.description;
  return 0;
}

int block_size() { return FILE_BLOCK_FRAMES; }

}  // namespace

digi_driver_record file_digi_driver = {
    .id = file_digi_driver_id,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "WAV file output",
    .voice_count = 0,
    .first_voice = 0,
    .voice_limit = PHYSICAL_VOICE_COUNT,
    .default_voices = 8,
    .probe = probe,
    .open = open,
    .close = close,
    .set_hw_volume = nullptr,
    .get_hw_volume = nullptr,
    .pin_voice = nullptr,
    .unpin_voice = nullptr,
    .block_size = block_size,
    MIXER_VOICE_SLOTS,
    .input_slots = {},
};

}  // namespace corvane
