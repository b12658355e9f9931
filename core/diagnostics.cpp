// Diagnostics: messages for the user, the trace log and assertion reports.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>

#include "core/exit_functions.h"
#include "core/internal.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane {
namespace {

constexpr int message_size = 4096;
constexpr int trace_line_size = 512;
constexpr int assert_text_size = 1024 + 64;

// The trace and assert files are shared by every thread that reports; the lock keeps their
// open/write/close sequences whole.
std::mutex diagnostics_mutex;
FILE *trace_file = nullptr;
FILE *assert_file = nullptr;
bool trace_pending = true;
bool assert_pending = true;
bool assert_reported_without_file = false;

// Restores the caller's error number on every way out.
class saved_error_number {
 public:
  saved_error_number() noexcept : saved_(get_error_number()) {}
  ~saved_error_number() { set_error_number(saved_); }
  saved_error_number(const saved_error_number &) = delete;
  saved_error_number &operator=(const saved_error_number &) = delete;

 private:
  int saved_;
};

}  // namespace
}  // namespace corvane

extern "C" {

int (*trace_hook)(const char *text) = nullptr;
int (*assert_hook)(const char *text) = nullptr;

void show_message(const char *format, ...) noexcept {
  if (format == nullptr) return;
  std::unique_ptr<char[]> text(new (std::nothrow) char[corvane::message_size]);
  std::unique_ptr<char[]> local(new (std::nothrow) char[corvane::message_size]);
  if (!text || !local) return;  // a message that cannot be formatted is dropped

  va_list args;
  va_start(args, format);
  vformat_text(text.get(), corvane::message_size, format, args);
  va_end(args);

  if (current_system_driver != nullptr && current_system_driver->show_message_op != nullptr) {
    current_system_driver->show_message_op(text.get());
    return;
  }
  convert_text_into(text.get(), ENCODING_CURRENT, local.get(), ENCODING_CODEPAGE,
                    corvane::message_size);
  std::fputs(local.get(), stdout);
  std::fflush(stdout);
}

void write_trace(const char *format, ...) noexcept {
  if (format == nullptr) return;
  corvane::saved_error_number saved;
  char line[corvane::trace_line_size];

  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);

  if (trace_hook != nullptr && trace_hook(line) != 0) return;

  bool register_debug_exit = false;
  {
    std::lock_guard<std::mutex> lock(corvane::diagnostics_mutex);
    if (corvane::trace_pending) {
      const char *name = std::getenv("CORVANE_TRACE");
      corvane::trace_file = std::fopen(name != nullptr ? name : "corvane.log", "w");
      register_debug_exit = corvane::assert_pending;
      corvane::trace_pending = false;
    }
    if (corvane::trace_file != nullptr) {
      std::fputs(line, corvane::trace_file);
      std::fflush(corvane::trace_file);
    }
  }
  if (register_debug_exit) corvane::register_library_exit_func(debug_exit, "debug_exit");
}

void report_assert(const char *file, int line) noexcept {
  if (corvane::assert_reported_without_file) return;
  corvane::saved_error_number saved;

  char text[corvane::assert_text_size];
  std::snprintf(text, sizeof text, "Assert failed at line %d of %s", line,
                file != nullptr ? file : "(unknown)");

  if (assert_hook != nullptr && assert_hook(text) != 0) return;

  bool register_debug_exit = false;
  bool written = false;
  {
    std::lock_guard<std::mutex> lock(corvane::diagnostics_mutex);
    if (corvane::assert_pending) {
      const char *name = std::getenv("CORVANE_ASSERT");
      if (name != nullptr) corvane::assert_file = std::fopen(name, "w");
      register_debug_exit = corvane::trace_pending;
      corvane::assert_pending = false;
    }
    if (corvane::assert_file != nullptr) {
      std::fprintf(corvane::assert_file, "%s\n", text);
      std::fflush(corvane::assert_file);
      written = true;
    }
  }
  if (register_debug_exit) corvane::register_library_exit_func(debug_exit, "debug_exit");
  if (written) return;

  corvane::assert_reported_without_file = true;
  if (current_system_driver != nullptr && current_system_driver->report_assert_op != nullptr) {
    current_system_driver->report_assert_op(text);
    return;
  }
  shutdown_corvane();
  std::fprintf(stderr, "%s\n", text);
  std::abort();
}

void debug_exit(void) noexcept {
  {
    std::lock_guard<std::mutex> lock(corvane::diagnostics_mutex);
    if (corvane::assert_file != nullptr) {
      std::fclose(corvane::assert_file);
      corvane::assert_file = nullptr;
    }
    if (corvane::trace_file != nullptr) {
      std::fclose(corvane::trace_file);
      corvane::trace_file = nullptr;
    }
    corvane::trace_pending = true;
    corvane::assert_pending = true;
  }
  unregister_exit_func(debug_exit);
}

}  // extern "C"
