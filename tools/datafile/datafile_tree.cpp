// Reading and writing whole data files: the 'COR.' header, then for each object its properties
// ('prop', type, size, bytes) and its type word and chunk; a nested data file ('FILE') holds an
// object count and objects of its own. Every stream goes through the library's packfiles.
#include "tools/datafile/datafile_tree.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "corvane/packfile.h"
#include "corvane/system.h"

namespace corvane::tool {

namespace {

// Deeper nesting than this is taken for a damaged file rather than followed.
constexpr int max_depth = 64;
// Properties are short texts; a longer one is taken for a damaged file.
constexpr int32_t max_property_size = 1 << 20;

std::string system_reason() {
  const int number = get_error_number();
  return number != 0 ? std::strerror(number) : "unknown error";
}

// Clears the process-wide password however the function that set it ends.
class password_scope {
 public:
  explicit password_scope(const std::string &password) {
    set_packfile_password(password.empty() ? nullptr : password.c_str());
  }
  ~password_scope() { set_packfile_password(nullptr); }
  password_scope(const password_scope &) = delete;
  password_scope &operator=(const password_scope &) = delete;
};

bool read_word(packfile *f, int32_t &value) {
  unsigned char b[4];
  if (packfile_read(b, 4, f) != 4) return false;
  value = static_cast<int32_t>((static_cast<uint32_t>(b[0]) << 24) |
                               (static_cast<uint32_t>(b[1]) << 16) |
                               (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]));
  return true;
}

void write_word(packfile *f, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  const unsigned char b[4] = {static_cast<unsigned char>(v >> 24),
                              static_cast<unsigned char>(v >> 16),
                              static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
  packfile_write(b, 4, f);
}

// Reads everything a stream still holds.
std::vector<unsigned char> read_rest(packfile *f) {
  std::vector<unsigned char> bytes;
  unsigned char block[65536];
  for (;;) {
    const long got = packfile_read(block, sizeof block, f);
    if (got > 0) bytes.insert(bytes.end(), block, block + got);
    if (got < static_cast<long>(sizeof block)) return bytes;
  }
}

std::string describe(const object &o) {
  const std::string name = o.name();
  return name.empty() ? "an object of type " + id_text(o.type) : "\"" + name + "\"";
}

bool read_objects(packfile *f, std::vector<object> &objects, int depth, std::string &error) {
  int32_t count;
  if (!read_word(f, count)) {
    error = "damaged data file: the object count is missing";
    return false;
  }
  if (count < 0) {
    error = "damaged data file: negative object count";
    return false;
  }
  object current;
  while (static_cast<int32_t>(objects.size()) < count) {
    int32_t word;
    if (!read_word(f, word)) {
      error = "damaged data file: it ends before its last object";
      return false;
    }
    if (word == DATAFILE_ID_PROPERTY) {
      property p;
      int32_t size;
      if (!read_word(f, p.type) || !read_word(f, size)) {
        error = "damaged data file: a property is cut short";
        return false;
      }
      if (size < 0 || size > max_property_size) {
        error = "damaged data file: a property's size is out of range";
        return false;
      }
      p.value.resize(static_cast<size_t>(size));
      if (packfile_read(p.value.data(), size, f) != size) {
        error = "damaged data file: a property is cut short";
        return false;
      }
      current.properties.push_back(std::move(p));
      continue;
    }
    current.type = word;
    packfile *chunk = open_packfile_chunk(f, 0);
    if (chunk == nullptr) {
      error = "damaged data file: cannot open " + describe(current) + ": " + system_reason();
      return false;
    }
    const int64_t data_size = chunk_data_size;
    current.packed = data_size < 0;
    const int64_t expected = data_size < 0 ? -data_size : data_size;
    bool ok = true;
    if (current.is_folder()) {
      if (depth >= max_depth) {
        error = "damaged data file: nested data files go deeper than " + std::to_string(max_depth) +
                " levels";
        ok = false;
      } else {
        ok = read_objects(chunk, current.children, depth + 1, error);
      }
    } else {
      current.data = read_rest(chunk);
      if (static_cast<int64_t>(current.data.size()) != expected || packfile_error(chunk)) {
        error = "damaged data file: " + describe(current) + " is truncated";
        ok = false;
      }
    }
    close_packfile_chunk(chunk);
    if (!ok) return false;
    objects.push_back(std::move(current));
    current = object{};
  }
  return true;
}

void write_objects(packfile *f, const std::vector<object> &objects, bool pack_objects) {
  write_word(f, static_cast<int32_t>(objects.size()));
  for (const object &o : objects) {
    for (const property &p : o.properties) {
      write_word(f, DATAFILE_ID_PROPERTY);
      write_word(f, p.type);
      write_word(f, static_cast<int32_t>(p.value.size()));
      packfile_write(p.value.data(), static_cast<long>(p.value.size()), f);
    }
    write_word(f, o.type);
    packfile *chunk = open_packfile_chunk(f, pack_objects ? 1 : 0);
    if (chunk == nullptr) {
      f->flags |= PACKFILE_FLAG_ERROR;
      return;
    }
    if (o.is_folder()) {
      write_objects(chunk, o.children, pack_objects);
    } else {
      packfile_write(o.data.data(), static_cast<long>(o.data.size()), chunk);
    }
    if (packfile_error(chunk)) f->flags |= PACKFILE_FLAG_ERROR;
    close_packfile_chunk(chunk);
  }
}

bool equal_ignoring_case(const std::string &a, const std::string &b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool object::is_folder() const noexcept { return type == DATAFILE_ID_FILE; }

std::string object::name() const {
  const property *p = find(DATAFILE_ID_NAME);
  return p != nullptr ? p->value : std::string();
}

const property *object::find(int32_t property_type) const noexcept {
  for (const property &p : properties) {
    if (p.type == property_type) return &p;
  }
  return nullptr;
}

void object::set(int32_t property_type, const std::string &value) {
  std::erase_if(properties, [&](const property &p) { return p.type == property_type; });
  if (!value.empty()) properties.push_back(property{property_type, value});
}

bool read_datafile(const std::string &path, const std::string &password, datafile &result,
                   std::string &error) {
  const password_scope scope(password);
  set_error_number(0);
  packfile *f = open_packfile(path.c_str(), "rp");
  if (f == nullptr) {
    error = get_error_number() == EDOM ? path + ": not a data file (or the wrong password)"
                                       : path + ": " + system_reason();
    return false;
  }
  result = datafile{};
  result.packed = (f->flags & PACKFILE_FLAG_PACK) != 0;
  int32_t id;
  bool ok = read_word(f, id) && id == DATAFILE_ID;
  if (!ok) {
    error = path + ": not a data file (or the wrong password)";
  } else {
    ok = read_objects(f, result.objects, 0, error);
    if (!ok) error = path + ": " + error;
  }
  close_packfile(f);
  return ok;
}

bool write_datafile(const std::string &path, const std::string &password, const datafile &file,
                    bool pack_objects, std::string &error) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    error = path + ": cannot create a file beside it: " + std::strerror(errno);
    return false;
  }
  const password_scope scope(password);
  packfile *f = open_packfile_fd(fd, file.packed ? "wp" : "w!");
  if (f == nullptr) {
    close(fd);
    unlink(temporary.c_str());
    error = path + ": " + system_reason();
    return false;
  }
  write_word(f, DATAFILE_ID);
  write_objects(f, file.objects, pack_objects);
  const bool failed = packfile_error(f) != 0;
  if (close_packfile(f) != 0 || failed) {
    unlink(temporary.c_str());
    error = path + ": writing failed: " + system_reason();
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = path + ": " + std::strerror(errno);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool datafile_chunk(const datafile &file, bool pack, bool pack_objects,
                    std::vector<unsigned char> &chunk, std::string &error) {
  char temporary[] = "/tmp/corvane_datafile_XXXXXX";
  const int fd = mkstemp(temporary);
  if (fd < 0) {
    error = std::string("cannot create a temporary file: ") + std::strerror(errno);
    return false;
  }
  const password_scope no_password("");
  bool ok = false;
  if (packfile *f = open_packfile_fd(fd, "w"); f != nullptr) {
    packfile *inner = open_packfile_chunk(f, pack ? 1 : 0);
    if (inner != nullptr) {
      write_word(inner, DATAFILE_ID);
      write_objects(inner, file.objects, pack_objects);
      ok = packfile_error(inner) == 0;
      close_packfile_chunk(inner);
    }
    ok = close_packfile(f) == 0 && ok;
  } else {
    close(fd);
  }
  if (ok) {
    std::FILE *in = std::fopen(temporary, "rb");
    ok = in != nullptr;
    if (ok) {
      chunk.clear();
      unsigned char block[65536];
      size_t got;
      while ((got = std::fread(block, 1, sizeof block, in)) > 0) {
        chunk.insert(chunk.end(), block, block + got);
      }
      ok = std::ferror(in) == 0;
      std::fclose(in);
    }
  }
  unlink(temporary);
  if (!ok) error = "cannot build the chunk to append: " + system_reason();
  return ok;
}

std::string id_text(int32_t id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<unsigned char>(static_cast<uint32_t>(id) >> shift);
    text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return text;
}

bool text_id(const std::string &text, int32_t &id) {
  if (text.empty() || text.size() > 4) return false;
  std::string padded = text;
  padded.resize(4, ' ');
  uint32_t value = 0;
  for (char c : padded) value = (value << 8) | static_cast<unsigned char>(c);
  id = static_cast<int32_t>(value);
  return true;
}

object *find_object(std::vector<object> &objects, const std::string &path) {
  const size_t slash = path.find('/');
  const std::string first = path.substr(0, slash);
  for (object &o : objects) {
    if (!equal_ignoring_case(o.name(), first)) continue;
    if (slash == std::string::npos) return &o;
    return o.is_folder() ? find_object(o.children, path.substr(slash + 1)) : nullptr;
  }
  return nullptr;
}

}  // namespace corvane::tool
