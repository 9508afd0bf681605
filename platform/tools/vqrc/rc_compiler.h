/*
 * vqrc: the resource compiler of the platform layer. It reads Windows
 * resource scripts (.rc) and produces the resources our modules embed,
 * each already in its Win32 binary layout, plus a C++ source that carries
 * them as the module's resource table.
 *
 * It accepts the subset of the resource-script language our modules use,
 * in the form a Windows resource compiler accepts too: the preprocessor
 * (#include, #define, #undef, #if/#ifdef/#ifndef/#elif/#else/#endif,
 * #pragma code_page), LANGUAGE, STRINGTABLE, DIALOGEX with its controls,
 * BITMAP, CURSOR and ICON. Anything else is rejected with the file name and
 * line, never skipped silently.
 */
#ifndef VQRC_RC_COMPILER_H
#define VQRC_RC_COMPILER_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vqrc {

/// A resource type or name: an id when text is empty, else an upper-case name.
struct ResourceKey {
  std::string text;
  uint16_t id = 0;
  bool operator==(const ResourceKey &) const = default;
};

struct Resource {
  ResourceKey type;
  ResourceKey name;
  uint16_t language = 0;
  std::vector<uint8_t> data;
};

/// Reads a file by path; nullopt when it cannot be read. Tests and the fuzz
/// target supply their own so no input reaches the real file system.
using FileReader = std::function<std::optional<std::string>(const std::string &path)>;

/// Reads the file system.
std::optional<std::string> ReadFileFromDisk(const std::string &path);

struct Options {
  std::vector<std::string> includeDirs;
  std::vector<std::pair<std::string, std::string>> defines;
  /// LANGUAGE in effect before a script's first LANGUAGE statement: US
  /// English, as a Windows resource compiler assumes by default.
  uint16_t defaultLanguage = 0x0409;
  /// Upper bound on the bytes a script may pull in (includes and image
  /// files together), so hostile input cannot exhaust memory.
  size_t maxInputBytes = 64u << 20;
};

struct Result {
  bool ok = false;
  /// "<file>:<line>: error: <text>" when ok is false.
  std::string error;
  /// Sorted by type, name and language; ids before names.
  std::vector<Resource> resources;
  /// Every file read, for build dependency tracking.
  std::vector<std::string> dependencies;
};

/// Compiles the script at path, reading it and everything it refers to
/// through reader.
Result Compile(const std::string &path, const Options &options, const FileReader &reader);

/// The C++ source that defines a module's resource table.
std::string EmitSource(const std::vector<Resource> &resources, const std::string &scriptName);

} // namespace vqrc

#endif
