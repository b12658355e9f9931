// A data file held in memory as a tree of objects, read and written through the library's own
// packfile streams, so that what the tool writes is exactly what programs read through
// "file.dat#object" names.
#ifndef CORVANE_TOOLS_DATAFILE_TREE_H
#define CORVANE_TOOLS_DATAFILE_TREE_H

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::tool {

struct property {
  int32_t type = 0;
  std::string value;  // the stored bytes (UTF-8 text for names)
};

struct object {
  int32_t type = 0;
  std::vector<property> properties;
  std::vector<unsigned char> data;  // the contents of any object but a nested data file
  std::vector<object> children;     // the objects of a nested data file ('FILE')
  bool packed = false;              // the object's chunk is stored LZSS-compressed

  bool is_folder() const noexcept;
  // The 'NAME' property, or an empty text when there is none.
  std::string name() const;
  const property *find(int32_t property_type) const noexcept;
  // Sets a property; an empty value removes it.
  void set(int32_t property_type, const std::string &value);
};

struct datafile {
  std::vector<object> objects;
  bool packed = false;  // the whole file is one LZSS-compressed stream
};

// Reads a data file (the password, when not empty, is the one it was written with). On failure
// returns false and describes the reason in error.
bool read_datafile(const std::string &path, const std::string &password, datafile &result,
                   std::string &error);

// Writes a data file, first to a temporary file beside path and then renaming it over path, so
// that a failure leaves an existing file as it was. pack_objects compresses each object's chunk.
bool write_datafile(const std::string &path, const std::string &password, const datafile &file,
                    bool pack_objects, std::string &error);

// The bytes of a data file as a chunk, ready to be appended to a program: the chunk header, then
// 'COR.' and the objects (the whole chunk compressed when pack is set).
bool datafile_chunk(const datafile &file, bool pack, bool pack_objects,
                    std::vector<unsigned char> &chunk, std::string &error);

// Four-character ids as text ("DATA") and back; text shorter than four characters is padded
// with spaces. Returns false for an empty or longer text.
std::string id_text(int32_t id);
bool text_id(const std::string &text, int32_t &id);

// Finds an object by a path of names separated by "/", case aside; null when there is none.
object *find_object(std::vector<object> &objects, const std::string &path);

}  // namespace corvane::tool

#endif
