/*
 * Numbered message boxes: the text of a code from the resource module, the
 * caption from the library's own strings, both filled in safely, shown
 * through MessageBoxA. Nothing here decides what a box means; callers do.
 */
#include <vq_lib32.h>

#include "error/box_format.h"

#include <string>

using vq::lib32::FormatBoxText;

namespace {

constexpr char kTag[] = "CVQError";

// Offsets of the own strings from the context's base id.
enum : UINT { kErrorTitle = 0, kMessageTitle = 1, kNoText = 2, kErrorCaption = 3, kSubstError = 4 };

std::string LoadText(HINSTANCE module, UINT id, bool *found = nullptr) {
  char buffer[vq::lib32::kMaxBoxText + 1];
  int n = LoadStringA(module, id, buffer, sizeof buffer);
  if (found)
    *found = n > 0;
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

HINSTANCE OwnModule(CVQLibrary *lib) { return lib ? lib->GetModule() : nullptr; }
UINT BaseId(CVQLibrary *lib) { return lib ? lib->GetBaseId() : 100; }
CVQLogFile &Log(CVQLibrary *lib) { return lib ? *lib : CVQLogFile::GetDefault(); }

// Win32 shows "Error" for a NULL caption, which is what a module without
// its own strings gets.
int Show(CVQLibrary *lib, UINT code, const std::string &caption, const std::string &text,
         UINT type) {
  int answer =
      MessageBoxA(GetActiveWindow(), text.c_str(), caption.empty() ? NULL : caption.c_str(), type);
  Log(lib).PrtLog(VQLOG_TRACE, kTag, "Box %u answered %d: %s", code, answer, text.c_str());
  return answer;
}

} // namespace

int CVQError::DispBox(UINT code, BOOL error, UINT type, const CVQBoxArg *args, UINT count) {
  HINSTANCE own = OwnModule(errLibrary);
  UINT base = BaseId(errLibrary);
  HINSTANCE resources = errLibrary ? errLibrary->GetResourceModule() : nullptr;

  std::string caption;
  const CVQBoxArg codeArg(code);
  if (!FormatBoxText(LoadText(own, base + (error ? kErrorTitle : kMessageTitle)).c_str(), &codeArg,
                     1, caption))
    caption.clear();

  bool found = false;
  std::string format = resources ? LoadText(resources, code, &found) : std::string();
  std::string text;
  if (!found) {
    Log(errLibrary).PrtLog(VQLOG_WARNING, kTag, "No text for message %u", code);
    text = LoadText(own, base + kNoText);
  } else if (!FormatBoxText(format.c_str(), args, count, text)) {
    Log(errLibrary)
        .PrtLog(VQLOG_WARNING, kTag, "Cannot fill in message %u: %s", code, format.c_str());
    text = LoadText(own, base + kSubstError);
  }
  return Show(errLibrary, code, caption, text, type);
}

int CVQError::DispText(const char *text, UINT type, const CVQBoxArg *args, UINT count) {
  HINSTANCE own = OwnModule(errLibrary);
  UINT base = BaseId(errLibrary);
  std::string caption = LoadText(own, base + kErrorCaption);
  std::string filled;
  if (!FormatBoxText(text, args, count, filled)) {
    Log(errLibrary)
        .PrtLog(VQLOG_WARNING, kTag, "Cannot fill in the text: %s", text ? text : "(null)");
    filled = LoadText(own, base + kSubstError);
  }
  return Show(errLibrary, 0, caption, filled, type);
}
