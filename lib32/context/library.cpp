/*
 * The library context: names, language, the resource module and the
 * library's own module. It is constructed statically, before the library's
 * entry point runs, so construction only copies values; modules are loaded
 * when first needed and released at detach or destruction.
 */
#include <vq_lib32.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

constexpr char kTag[] = "CVQLibrary";
constexpr UINT kDefaultBaseId = 100;

void CopyCut(char *buffer, size_t size, const char *text) {
  size_t n = text ? std::strlen(text) : 0;
  if (n >= size)
    n = size - 1;
  if (n)
    std::memcpy(buffer, text, n);
  buffer[n] = '\0';
}

// The UI languages we know letters for; other letters leave the thread's
// language as it is.
LANGID LanguageOf(const char *letter) {
  if (std::strcmp(letter, "D") == 0)
    return MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
  if (std::strcmp(letter, "E") == 0)
    return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  return 0;
}

// 1 to 7 letters or digits, upper-cased: module names are case-sensitive
// here, and the modules are named with capitals.
bool NormaliseLanguage(const char *id, char (&out)[8]) {
  if (!id)
    return false;
  size_t n = std::strlen(id);
  if (n == 0 || n >= sizeof out)
    return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(id[i]);
    if (c > 0x7F || !std::isalnum(c))
      return false;
    out[i] = static_cast<char>(std::toupper(c));
  }
  out[n] = '\0';
  return true;
}

} // namespace

CVQLibrary::CVQLibrary(const char *module, const char *pattern, const char *language,
                       const char *bannerText, UINT flagBits)
    : CVQError(this), ownModule(nullptr), resourceModule(nullptr), baseId(kDefaultBaseId),
      flags(flagBits), loadFailed(FALSE), moduleName{}, resourcePattern{}, languageId{}, banner{} {
  CopyCut(moduleName, sizeof moduleName, module);
  CopyCut(resourcePattern, sizeof resourcePattern, pattern);
  if (!NormaliseLanguage(language, languageId))
    CopyCut(languageId, sizeof languageId, "D");
  CopyCut(banner, sizeof banner, bannerText);
  if (flags & 1)
    CVQLogFile::SetDefault(this);
}

CVQLibrary::~CVQLibrary() {
  FreeResourceModule();
  CloseLog();
  // ~CVQLogFile takes the context out of the default log slot.
}

BOOL CVQLibrary::DllMainCall(HINSTANCE module, DWORD reason, UINT base) {
  switch (reason) {
  case DLL_PROCESS_ATTACH:
    ownModule = module;
    baseId = base ? base : kDefaultBaseId;
    PrtLog(VQLOG_TRACE, kTag, "%s attached", banner);
    break;
  case DLL_PROCESS_DETACH:
    PrtLog(VQLOG_TRACE, kTag, "%s detached", banner);
    FreeResourceModule();
    break;
  default:
    break;
  }
  return TRUE;
}

HINSTANCE CVQLibrary::LoadResourceModule(const char *language, bool report) {
  std::string name;
  for (const char *p = resourcePattern; *p; ++p) {
    if (*p == '$')
      name += language;
    else
      name += *p;
  }
  if (name.empty() || name.size() >= MAX_PATH) {
    if (report)
      PrtLog(VQLOG_ERROR, kTag, "No resource library name for language %s", language);
    return nullptr;
  }
  HINSTANCE module = LoadLibraryA(name.c_str());
  if (!module && report)
    PrtLog(VQLOG_ERROR, kTag, "Error %u on loading the resource library %s", GetLastError(),
           name.c_str());
  return module;
}

void CVQLibrary::FreeResourceModule() {
  if (resourceModule)
    FreeLibrary(resourceModule);
  resourceModule = nullptr;
  loadFailed = FALSE;
}

HINSTANCE CVQLibrary::GetResourceModule() {
  // Without a pattern the library carries its texts itself, in every
  // language; LoadStringA picks by the thread's UI language.
  if (!resourcePattern[0])
    return ownModule;
  if (!resourceModule) {
    // A module that cannot be loaded is reported once, not at every box.
    resourceModule = LoadResourceModule(languageId, !loadFailed);
    loadFailed = resourceModule ? FALSE : TRUE;
  }
  return resourceModule;
}

int CVQLibrary::SetLanguageId(const char *language) {
  char letter[8];
  if (!NormaliseLanguage(language, letter)) {
    PrtLog(VQLOG_ERROR, kTag, "Illegal language id \"%s\"", language ? language : "(null)");
    return 0;
  }
  if (!resourcePattern[0]) {
    std::memcpy(languageId, letter, sizeof letter);
    if (LANGID lang = LanguageOf(languageId))
      SetThreadUILanguage(lang);
    PrtLog(VQLOG_INFO, kTag, "Language switched to %s", languageId);
    return 1;
  }
  if (std::strcmp(letter, languageId) == 0 && GetResourceModule())
    return 1;
  HINSTANCE module = LoadResourceModule(letter, true);
  if (!module) {
    PrtLog(VQLOG_ERROR, kTag, "Language %s not available, keeping %s", letter, languageId);
    return 0;
  }
  FreeResourceModule();
  resourceModule = module;
  std::memcpy(languageId, letter, sizeof letter);
  if (LANGID lang = LanguageOf(languageId))
    SetThreadUILanguage(lang);
  PrtLog(VQLOG_INFO, kTag, "Language switched to %s", languageId);
  return 1;
}

INT_PTR CVQLibrary::DispDialogBoxParam(LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                                       LPARAM param) {
  HINSTANCE module = GetResourceModule();
  if (!module)
    return -1;
  INT_PTR result = DialogBoxParamA(module, templateName, parent, dialogProc, param);
  if (result == -1) {
    DWORD error = GetLastError();
    if (IS_INTRESOURCE(templateName))
      PrtLog(VQLOG_ERROR, kTag, "Error %u on showing dialog %u", error,
             static_cast<UINT>(reinterpret_cast<ULONG_PTR>(templateName)));
    else
      PrtLog(VQLOG_ERROR, kTag, "Error %u on showing dialog %s", error, templateName);
  }
  return result;
}
