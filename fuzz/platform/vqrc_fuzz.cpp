// Feeds arbitrary bytes to the resource compiler as a script. Every file the
// script names (includes, bitmaps, icons, cursors) reads as the same bytes,
// so image parsing and nested includes see hostile data too. Whatever
// compiles must also read back: each dialog template it writes has to parse
// as DLGTEMPLATEEX, and the table source must be producible.
#include "rc_compiler.h"
#include "resource/dialog_template.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  vqrc::Options options;
  options.maxInputBytes = 1u << 20;
  const vqrc::Result result =
      vqrc::Compile("fuzz.rc", options, [&input](const std::string &) { return input; });
  if (!result.ok) {
    if (result.error.find(": error: ") == std::string::npos)
      std::abort(); // every rejection names its place
    return 0;
  }
  for (const vqrc::Resource &r : result.resources) {
    vqwin::resource::DialogTemplate t;
    if (r.type.text.empty() && r.type.id == 5 &&
        !vqwin::resource::ParseDialogTemplate(r.data.data(), r.data.size(), &t))
      std::abort();
  }
  vqrc::EmitSource(result.resources, "fuzz.rc");
  return 0;
}
