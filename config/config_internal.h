// Internal interface of the configuration module: the in-memory model of a configuration file
// (an ordered list of lines), the process-wide configurations searched by the getters, the section
// hooks, and the text helpers the module's files share.
#ifndef CORVANE_CONFIG_CONFIG_INTERNAL_H
#define CORVANE_CONFIG_CONFIG_INTERNAL_H

#include <cstddef>
#include <cstdint>

struct packfile;

namespace corvane::cfg {

// One line of a configuration, in file order. Strings are malloc'd text in the current encoding.
//  - key line:      name = key,                 data = value
//  - section line:  name = "[section]",         data = "" when read from a file, null when added
//  - blank/comment: name = null,                data = the whole line as read (null when added)
struct config_entry {
  char *name;
  char *data;
  config_entry *next;
};

struct config {
  config_entry *head;
  char *filename;  // where the configuration is written back; null: never
  int dirty;       // -1 after any change, 0 once written
};

struct config_hook {
  char *section;  // bracketed
  int (*int_getter)(const char *name, int default_value);
  const char *(*string_getter)(const char *name, const char *default_value);
  void (*string_setter)(const char *name, const char *value);
  config_hook *next;
};

constexpr int saved_config_slots = 3;
constexpr int section_name_size = 256;
constexpr int config_path_size = 1024;
constexpr int number_text_size = 32;
constexpr int literal_size = 64;

// Everything the module keeps between calls. Unguarded: configuration is used from the thread
// that installs drivers.
struct config_state {
  config *main_config = nullptr;
  config *saved_configs[saved_config_slots] = {};  // [0] is the newest
  config *override_config = nullptr;
  config *language_config = nullptr;
  config *transient_config = nullptr;
  config_hook *hooks = nullptr;  // newest first
  bool prepared = false;         // config_cleanup registered, transient_config made
  bool locating_main = false;    // prepare_config is finding and loading "corvane.cfg"
  bool cleaning_up = false;      // config_cleanup is writing and freeing everything
  char *argv_buffer = nullptr;
  std::size_t argv_buffer_size = 0;
  char **argv_array = nullptr;
};

extern config_state config_store;

// The work of the last config_list_entries or config_list_sections on this thread, in the builds
// that count work (core/work_counter.h): entries visited, names hashed and compared by the set of
// names seen, and names moved as the list grew. Close to linear in the entries; tests bound it on
// hostile configurations.
extern thread_local uint64_t config_list_steps;

// ---- Text helpers (current encoding) ----------------------------------------------------------

// A library literal (7-bit ASCII) converted into the current encoding.
class config_literal {
 public:
  explicit config_literal(const char *ascii) noexcept;
  const char *text() const noexcept { return text_; }
  operator const char *() const noexcept { return text_; }

 private:
  char buffer_[literal_size];
  const char *text_;
};

bool text_is_empty(const char *s) noexcept;  // null or empty
int first_char(const char *s) noexcept;      // 0 for null or empty
int second_char(const char *s) noexcept;     // 0 when there is none
int last_char(const char *s) noexcept;       // 0 for null or empty
// True for a name that starts with "[" and ends with "]": a line that opens a section.
bool is_section_header(const char *name) noexcept;
// Bytes the terminator of the current encoding takes.
int terminator_width() noexcept;
// A malloc'd copy of the first bytes of a text, terminated; null (ENOMEM) when memory is short.
char *duplicate_bytes(const char *s, std::size_t bytes) noexcept;
// A malloc'd copy of a whole text; null (ENOMEM) when memory is short.
char *duplicate_text(const char *s) noexcept;

// The bracketed form of a section name in a buffer of section_name_size bytes: "" for null or
// empty; otherwise "[", the name (cut to fit on a whole character), "]" -- each bracket only when
// the name does not already carry it.
void bracket_section_name(const char *section, char *buffer) noexcept;

// ---- The model --------------------------------------------------------------------------------

// A new, empty configuration (filename copied when given); null (ENOMEM) when memory is short.
config *create_config(const char *filename) noexcept;

// A new entry, taking ownership of name and data; null when memory is short (both are freed then).
config_entry *create_entry(char *name, char *data) noexcept;
void destroy_entry(config_entry *entry) noexcept;

// Frees a configuration and its entries without writing it.
void free_config(config *cfg) noexcept;

// Writes a configuration back when it has a file and is dirty, then frees it and sets *slot null.
void destroy_config(config **slot) noexcept;

// Parses length bytes of configuration text (current encoding) into a new configuration that
// writes back to filename (may be null). Null, with ENOMEM, when memory is short.
config *parse_config_data(const char *data, std::size_t length, const char *filename) noexcept;

// Replaces *slot with the configuration read from a file (current encoding name) that writes back
// to savefile (may be null).
void load_config_file(config **slot, const char *filename, const char *savefile) noexcept;

// Writes every entry of a configuration to a stream as one line: the name, " = " for a name that
// is not bracketed, the data, then LF; text goes out as UTF-8. False when a write failed.
bool write_config_entries(const config *cfg, packfile *f) noexcept;

// Writes a configuration to its file: the whole text into a temporary file next to it, which then
// replaces the file. 0, or -1 with the file left as it was.
int write_config(config *cfg) noexcept;

// The first entry named key in a bracketed section (null or empty: the part before the first
// header, or anywhere for a null section); a bracketed key finds a header anywhere. *previous
// receives the entry before it (null at the head). Null when there is none.
config_entry *find_config_entry(const config *cfg, const char *section, const char *key,
                                config_entry **previous) noexcept;

// True for a key beginning with "#" or a bracketed section beginning with "[#": such entries live
// in transient_config.
bool is_transient(const char *bracketed_section, const char *key) noexcept;

// The hook of a bracketed section, or null.
config_hook *find_hook(const char *bracketed_section) noexcept;

// The key under which a message is translated: every white space, "=" and "#" becomes "_".
// malloc'd; null when memory is short.
char *make_translation_key(const char *message) noexcept;

}  // namespace corvane::cfg

#endif  // CORVANE_CONFIG_CONFIG_INTERNAL_H
