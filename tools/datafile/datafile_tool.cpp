// corvane_datafile: makes, lists, unpacks and changes data files, and appends one to a program so
// that the program finds its objects through "#name". Exit status 0 on success, 1 when a file is
// missing, damaged or cannot be written, 2 for a wrong command line.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "corvane/packfile.h"
#include "tools/datafile/datafile_tree.h"

namespace fs = std::filesystem;
using namespace corvane::tool;

namespace {

constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

constexpr const char *usage_text =
    "usage: corvane_datafile COMMAND [OPTIONS] ...\n"
    "\n"
    "  create  [-c] [-C] [-p PASSWORD] OUT.dat INPUT...\n"
    "          make a data file from files and folders (a folder becomes a nested data file)\n"
    "  list    [-p PASSWORD] FILE.dat\n"
    "          show every object: type, size, compression, name and properties\n"
    "  extract [-p PASSWORD] [-o DIR] FILE.dat [OBJECT...]\n"
    "          write objects (all when none is named) as files under DIR (default \".\")\n"
    "  get     [-p PASSWORD] FILE.dat OBJECT PROPERTY\n"
    "          print a property of an object\n"
    "  set     [-p PASSWORD] FILE.dat OBJECT PROPERTY VALUE\n"
    "          set a property (an empty VALUE removes it)\n"
    "  pack    [-p PASSWORD] [-c|-u] [-C|-U] [-P NEW_PASSWORD] FILE.dat\n"
    "          rewrite with each object compressed (-c) or not (-u), the whole file compressed\n"
    "          (-C) or not (-U), under a new password (-P, \"\" removes it)\n"
    "  append  [-p PASSWORD] [-c] [-C] PROGRAM FILE.dat\n"
    "          append the data file to the program, replacing one appended before\n"
    "\n"
    "OBJECT names a path of object names such as \"levels/one\"; PROPERTY is a type of up to\n"
    "four characters such as NAME or ORIG. -p gives the password the file was written with.\n";

int usage(const std::string &complaint) {
  std::fprintf(stderr, "corvane_datafile: %s\n\n%s", complaint.c_str(), usage_text);
  return exit_usage;
}

int failure(const std::string &reason) {
  std::fprintf(stderr, "corvane_datafile: %s\n", reason.c_str());
  return exit_failure;
}

// The options a command accepts: letters that stand alone and letters that take a value.
struct command_line {
  std::vector<std::string> operands;
  std::string password;
  std::string new_password;
  std::string output_dir = ".";
  bool new_password_given = false;
  int pack_objects = -1;  // -1: keep as it is
  int pack_whole = -1;
};

bool parse(int argc, char **argv, const std::string &allowed, command_line &o,
           std::string &complaint) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.size() != 2 || arg[0] != '-' || arg == "--") {
      if (arg == "--") {
        for (++i; i < argc; ++i) o.operands.emplace_back(argv[i]);
        break;
      }
      o.operands.push_back(arg);
      continue;
    }
    const char letter = arg[1];
    if (allowed.find(letter) == std::string::npos) {
      complaint = "unknown option " + arg;
      return false;
    }
    if (letter == 'p' || letter == 'P' || letter == 'o') {
      if (i + 1 >= argc) {
        complaint = "option " + arg + " needs a value";
        return false;
      }
      const std::string value = argv[++i];
      if (letter == 'p') o.password = value;
      if (letter == 'o') o.output_dir = value;
      if (letter == 'P') {
        o.new_password = value;
        o.new_password_given = true;
      }
      continue;
    }
    if (letter == 'c') o.pack_objects = 1;
    if (letter == 'u') o.pack_objects = 0;
    if (letter == 'C') o.pack_whole = 1;
    if (letter == 'U') o.pack_whole = 0;
  }
  return true;
}

// The object type a file gets from its extension.
int32_t type_for(const fs::path &path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  int32_t id = 0;
  if (ext == ".wav" || ext == ".voc" || ext == ".ogg") {
    text_id("SAMP", id);
  } else if (ext == ".mid" || ext == ".midi" || ext == ".rmi") {
    text_id("MIDI", id);
  } else if (ext == ".png" || ext == ".bmp" || ext == ".pcx" || ext == ".tga") {
    text_id("BMP", id);
  } else if (ext == ".cfg" || ext == ".ini" || ext == ".txt") {
    text_id("TEXT", id);
  } else {
    text_id("DATA", id);
  }
  return id;
}

bool read_file(const fs::path &path, std::vector<unsigned char> &bytes, std::string &error) {
  std::FILE *in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    error = path.string() + ": " + std::strerror(errno);
    return false;
  }
  bytes.clear();
  unsigned char block[65536];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, in)) > 0)
    bytes.insert(bytes.end(), block, block + got);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed) error = path.string() + ": read error";
  return !failed;
}

bool add_input(const fs::path &path, std::vector<object> &objects, int depth, std::string &error) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec) {
    error = path.string() + ": " + ec.message();
    return false;
  }
  object o;
  o.set(DATAFILE_ID_NAME, path.filename().string());
  if (fs::is_directory(status)) {
    if (depth >= 64) {
      error = path.string() + ": folders nest too deeply";
      return false;
    }
    o.type = DATAFILE_ID_FILE;
    std::vector<fs::path> entries;
    for (const fs::directory_entry &entry : fs::directory_iterator(path, ec)) {
      entries.push_back(entry.path());
    }
    if (ec) {
      error = path.string() + ": " + ec.message();
      return false;
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path &entry : entries) {
      if (!add_input(entry, o.children, depth + 1, error)) return false;
    }
  } else {
    o.type = type_for(path);
    if (!read_file(path, o.data, error)) return false;
  }
  objects.push_back(std::move(o));
  return true;
}

// An object name is written out as a file name only when it cannot leave the output folder.
bool safe_file_name(const std::string &name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\\') == std::string::npos;
}

bool extract_object(const object &o, const fs::path &dir, size_t index, std::string &error) {
  std::string name = o.name();
  if (name.empty()) name = "object_" + std::to_string(index);
  if (!safe_file_name(name)) {
    error = "refusing to write an object named \"" + name + "\" (it would leave the folder)";
    return false;
  }
  const fs::path target = dir / name;
  if (o.is_folder()) {
    std::error_code ec;
    fs::create_directories(target, ec);
    if (ec) {
      error = target.string() + ": " + ec.message();
      return false;
    }
    for (size_t i = 0; i < o.children.size(); ++i) {
      if (!extract_object(o.children[i], target, i, error)) return false;
    }
    return true;
  }
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(o.data.data()),
            static_cast<std::streamsize>(o.data.size()));
  out.close();
  if (!out) {
    error = target.string() + ": cannot write";
    return false;
  }
  return true;
}

bool any_packed(const std::vector<object> &objects) {
  return std::any_of(objects.begin(), objects.end(),
                     [](const object &o) { return o.packed || any_packed(o.children); });
}

void print_objects(const std::vector<object> &objects, int depth) {
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  for (const object &o : objects) {
    const std::string size = o.is_folder() ? std::to_string(o.children.size()) + " objects"
                                           : std::to_string(o.data.size());
    std::printf("%s%s %12s %s %s%s\n", indent.c_str(), id_text(o.type).c_str(), size.c_str(),
                o.packed ? "packed" : "      ", o.name().c_str(), o.is_folder() ? "/" : "");
    for (const property &p : o.properties) {
      if (p.type == DATAFILE_ID_NAME) continue;
      std::printf("%s  %s=%s\n", indent.c_str(), id_text(p.type).c_str(), p.value.c_str());
    }
    if (o.is_folder()) print_objects(o.children, depth + 1);
  }
}

int command_create(const command_line &o) {
  if (o.operands.size() < 2) return usage("create needs an output file and at least one input");
  datafile file;
  file.packed = o.pack_whole == 1;
  std::string error;
  for (size_t i = 1; i < o.operands.size(); ++i) {
    if (!add_input(o.operands[i], file.objects, 0, error)) return failure(error);
  }
  if (!write_datafile(o.operands[0], o.password, file, o.pack_objects == 1, error)) {
    return failure(error);
  }
  return 0;
}

int command_list(const command_line &o) {
  if (o.operands.size() != 1) return usage("list needs one data file");
  datafile file;
  std::string error;
  if (!read_datafile(o.operands[0], o.password, file, error)) return failure(error);
  std::printf("%s: %zu objects%s\n", o.operands[0].c_str(), file.objects.size(),
              file.packed ? ", compressed as a whole" : "");
  print_objects(file.objects, 0);
  return 0;
}

int command_extract(const command_line &o) {
  if (o.operands.empty()) return usage("extract needs a data file");
  datafile file;
  std::string error;
  if (!read_datafile(o.operands[0], o.password, file, error)) return failure(error);
  std::error_code ec;
  fs::create_directories(o.output_dir, ec);
  if (ec) return failure(o.output_dir + ": " + ec.message());
  if (o.operands.size() == 1) {
    for (size_t i = 0; i < file.objects.size(); ++i) {
      if (!extract_object(file.objects[i], o.output_dir, i, error)) return failure(error);
    }
    return 0;
  }
  for (size_t i = 1; i < o.operands.size(); ++i) {
    const object *found = find_object(file.objects, o.operands[i]);
    if (found == nullptr) return failure(o.operands[0] + ": no object \"" + o.operands[i] + "\"");
    if (!extract_object(*found, o.output_dir, i, error)) return failure(error);
  }
  return 0;
}

int command_get(const command_line &o) {
  if (o.operands.size() != 3) return usage("get needs a data file, an object and a property");
  int32_t type;
  if (!text_id(o.operands[2], type)) return usage("a property type has one to four characters");
  datafile file;
  std::string error;
  if (!read_datafile(o.operands[0], o.password, file, error)) return failure(error);
  const object *found = find_object(file.objects, o.operands[1]);
  if (found == nullptr) return failure(o.operands[0] + ": no object \"" + o.operands[1] + "\"");
  const property *p = found->find(type);
  if (p == nullptr) return failure("\"" + o.operands[1] + "\" has no property " + o.operands[2]);
  std::printf("%s\n", p->value.c_str());
  return 0;
}

int command_set(const command_line &o) {
  if (o.operands.size() != 4)
    return usage("set needs a data file, an object, a property and a value");
  int32_t type;
  if (!text_id(o.operands[2], type)) return usage("a property type has one to four characters");
  if (type == DATAFILE_ID_NAME && o.operands[3].empty()) {
    return usage("an object keeps its name: give a new one instead of removing it");
  }
  datafile file;
  std::string error;
  if (!read_datafile(o.operands[0], o.password, file, error)) return failure(error);
  object *found = find_object(file.objects, o.operands[1]);
  if (found == nullptr) return failure(o.operands[0] + ": no object \"" + o.operands[1] + "\"");
  found->set(type, o.operands[3]);
  if (!write_datafile(o.operands[0], o.password, file, any_packed(file.objects), error)) {
    return failure(error);
  }
  return 0;
}

int command_pack(const command_line &o) {
  if (o.operands.size() != 1) return usage("pack needs one data file");
  datafile file;
  std::string error;
  if (!read_datafile(o.operands[0], o.password, file, error)) return failure(error);
  const bool pack_objects = o.pack_objects == -1 ? any_packed(file.objects) : o.pack_objects == 1;
  if (o.pack_whole != -1) file.packed = o.pack_whole == 1;
  const std::string &password = o.new_password_given ? o.new_password : o.password;
  if (!write_datafile(o.operands[0], password, file, pack_objects, error)) return failure(error);
  return 0;
}

// Appends the chunk and the 'kwp+' trailer to the program. A program reading its own file with a
// password in force sees every byte scrambled by the password from the file's start, so the
// appended bytes are scrambled to match.
int command_append(const command_line &o) {
  if (o.operands.size() != 2) return usage("append needs a program and a data file");
  const std::string &program = o.operands[0];
  datafile file;
  std::string error;
  if (!read_datafile(o.operands[1], o.password, file, error)) return failure(error);
  std::vector<unsigned char> bytes;
  if (!read_file(program, bytes, error)) return failure(error);
  struct stat info {};
  if (stat(program.c_str(), &info) != 0) return failure(program + ": " + std::strerror(errno));

  // Replace what an earlier append left, recognised by its plain trailer.
  if (o.password.empty() && bytes.size() >= 16) {
    const unsigned char *t = bytes.data() + bytes.size() - 8;
    const uint32_t id =
        (uint32_t{t[0]} << 24) | (uint32_t{t[1]} << 16) | (uint32_t{t[2]} << 8) | t[3];
    const uint32_t length =
        (uint32_t{t[4]} << 24) | (uint32_t{t[5]} << 16) | (uint32_t{t[6]} << 8) | t[7];
    if (id == static_cast<uint32_t>(PACKFILE_ID_APPENDED) && length >= 16 &&
        length <= bytes.size()) {
      bytes.resize(bytes.size() - length);
    }
  }

  std::vector<unsigned char> chunk;
  if (!datafile_chunk(file, o.pack_whole == 1, o.pack_objects == 1, chunk, error)) {
    return failure(error);
  }
  const size_t start = bytes.size();
  const uint64_t appended = chunk.size() + 8;
  if (appended > 0x7FFFFFFF) return failure(o.operands[1] + ": too large to append");
  bytes.insert(bytes.end(), chunk.begin(), chunk.end());
  const auto id = static_cast<uint32_t>(PACKFILE_ID_APPENDED);
  const auto length = static_cast<uint32_t>(appended);
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.push_back(static_cast<unsigned char>(id >> shift));
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.push_back(static_cast<unsigned char>(length >> shift));
  if (!o.password.empty()) {
    // The library keeps at most 255 bytes of a password.
    const std::string p = o.password.substr(0, 255);
    for (size_t i = start; i < bytes.size(); ++i)
      bytes[i] ^= static_cast<unsigned char>(p[i % p.size()]);
  }

  const std::string temporary = program + ".append";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      return failure(temporary + ": cannot write");
    }
  }
  if (chmod(temporary.c_str(), info.st_mode & 07777) != 0 ||
      std::rename(temporary.c_str(), program.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temporary.c_str());
    return failure(program + ": " + reason);
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) return usage("no command given");
  const std::string command = argv[1];
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(usage_text, stdout);
    return 0;
  }
  struct entry {
    const char *name;
    const char *letters;
    int (*run)(const command_line &);
  };
  static constexpr entry commands[] = {
      {"create", "cCp", command_create},  {"list", "p", command_list},
      {"extract", "po", command_extract}, {"get", "p", command_get},
      {"set", "p", command_set},          {"pack", "pcuCUP", command_pack},
      {"append", "pcC", command_append},
  };
  for (const entry &e : commands) {
    if (command != e.name) continue;
    command_line o;
    std::string complaint;
    if (!parse(argc, argv, e.letters, o, complaint)) return usage(complaint);
    return e.run(o);
  }
  return usage("unknown command \"" + command + "\"");
}
