// The layer's trace line and Beep, which has nothing to sound and so only
// leaves a trace: a host that relies on the beep can still see it happen.
#include "host.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vqwin::kernel {

void Trace(const char *format, ...) {
  const char *setting = std::getenv("VQWIN_TRACE");
  if (!setting || !*setting || std::strcmp(setting, "0") == 0)
    return;
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  std::fprintf(stderr, "vqwin: %s\n", line);
}

} // namespace vqwin::kernel

BOOL WINAPI Beep(DWORD dwFreq, DWORD dwDuration) {
  vqwin::kernel::Trace("Beep(%u, %u)", dwFreq, dwDuration);
  return TRUE;
}
