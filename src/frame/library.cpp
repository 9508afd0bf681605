// The library context and the library's entry point, and the exported
// version and language calls that act on the context.
//
// Order of events on Linux. The context is built at init priority 101,
// ahead of the loader's constructor hook (priority 200) that runs the
// attach. The detach is not left to a destructor hook: at process exit the
// loader runs those only after the C++ statics of every library (the
// platform's module list among them) are gone. The attach registers the
// detach with atexit instead, which runs it on dlclose and at exit before
// anything it needs is torn down, and after it the context's destructor,
// which was registered earlier.
#include "frame/library.h"

#include "frame/version.h"
#include "grid/grid_view.h"

#ifndef _WIN32
#include <dlfcn.h>

#include <cstdlib>
#endif

namespace {
constexpr UINT kOwnStringBase = 100;
} // namespace

#ifdef _WIN32
CVQLibrary theLibrary("vq_tbl32.dll", "vq_tblrc$.dll", "D", vq::frame::kBanner, 1);
#else
__attribute__((init_priority(101)))
CVQLibrary theLibrary("vq_tbl32.dll", "vq_tblrc$.dll", "D", vq::frame::kBanner, 1);
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  theLibrary.DllMainCall(module, reason, kOwnStringBase);
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(module);
    vq::grid::RegisterGridClasses(module);
  } else if (reason == DLL_PROCESS_DETACH) {
    vq::grid::UnregisterGridClasses(module);
  }
  // Class registration failures are reported by their own box; loading
  // the library goes on regardless.
  return TRUE;
}

#ifndef _WIN32
namespace {

// This library's HMODULE: the base its ELF header is mapped at, which is
// how the platform's module registry names a loaded module.
HINSTANCE OwnModule() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void *>(&DllMain), &info) == 0)
    return nullptr;
  return static_cast<HINSTANCE>(info.dli_fbase);
}

void LibraryUnloaded() { DllMain(OwnModule(), DLL_PROCESS_DETACH, nullptr); }

__attribute__((constructor(200))) void LibraryLoaded() {
  DllMain(OwnModule(), DLL_PROCESS_ATTACH, nullptr);
  if (std::atexit(LibraryUnloaded) != 0)
    theLibrary.PrtLog(VQLOG_ERROR, "vq_tbl32", "Cannot register the library's detach call");
}

} // namespace
#endif

extern "C" {

void vqDispTbl32Version(HWND dialog, UINT releaseId, UINT buildId) {
  if (releaseId != 0)
    SetDlgItemTextA(dialog, static_cast<int>(releaseId), vq::frame::kReleaseText);
  if (buildId != 0)
    SetDlgItemTextA(dialog, static_cast<int>(buildId), vq::frame::kBuildText);
}

int vqSetTbl32Language(const char *languageId) { return theLibrary.SetLanguageId(languageId); }
}
