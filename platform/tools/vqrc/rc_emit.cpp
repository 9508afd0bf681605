// Writes a module's resource table as a C++ source: one byte array per
// resource, the table, and the registration that hands the table to the
// platform library while the module is loaded.
#include "rc_compiler.h"

#include <cstdio>

namespace vqrc {
namespace {

std::string KeyInitializer(const ResourceKey &key) {
  if (key.text.empty())
    return "{nullptr, " + std::to_string(key.id) + "}";
  std::string quoted = "\"";
  for (char c : key.text) { // names are upper-case ASCII; escape anything else
    char buf[8];
    if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20 ||
        static_cast<unsigned char>(c) >= 0x7F) {
      std::snprintf(buf, sizeof buf, "\\%03o", static_cast<unsigned char>(c));
      quoted += buf;
    } else {
      quoted += c;
    }
  }
  return "{" + quoted + "\", 0}";
}

} // namespace

std::string EmitSource(const std::vector<Resource> &resources, const std::string &scriptName) {
  std::string out;
  out += "// Resource table compiled from " + scriptName + " by vqrc. Do not edit.\n";
  out += "#include \"resource/resource_directory.h\"\n\nnamespace {\n";
  for (size_t i = 0; i < resources.size(); ++i) {
    const auto &data = resources[i].data;
    if (data.empty())
      continue;
    // Aligned as Windows aligns resource data, so readers may overlay the
    // Win32 structures on it.
    out += "alignas(8) const unsigned char r" + std::to_string(i) + "[" +
           std::to_string(data.size()) + "] = {";
    for (size_t k = 0; k < data.size(); ++k) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%s%u,", k % 24 == 0 ? "\n  " : "", data[k]);
      out += buf;
    }
    out += "};\n";
  }
  if (!resources.empty()) {
    out += "const vqwin_resource_entry entries[" + std::to_string(resources.size()) + "] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
      const Resource &r = resources[i];
      out += "  {" + KeyInitializer(r.type) + ", " + KeyInitializer(r.name) + ", " +
             std::to_string(r.language) + ", " + std::to_string(r.data.size()) + ", " +
             (r.data.empty() ? std::string("nullptr") : "r" + std::to_string(i)) + "},\n";
    }
    out += "};\n";
  }
  out += "const vqwin_resource_table table = {VQWIN_RESOURCE_MAGIC, VQWIN_RESOURCE_VERSION, " +
         std::to_string(resources.size()) + "u, " +
         (resources.empty() ? std::string("nullptr") : std::string("entries")) + "};\n";
  out += "struct Registration {\n"
         "  Registration() { vqwin_register_resources(&table); }\n"
         "  ~Registration() { vqwin_unregister_resources(&table); }\n"
         "} registration;\n";
  out += "} // namespace\n";
  return out;
}

} // namespace vqrc
