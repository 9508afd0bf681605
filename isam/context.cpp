/*
 * The engine's library context and its list-box table of key partition
 * types. The engine has no resource module of its own: the shown names of
 * the types are strings compiled into the engine (res/isam.rc) in German
 * and English, and LoadStringA picks them by the thread's UI language, as
 * it does for every other text of the family.
 */
#include <vq_isa32.h>

#include "keys.h"
#include "res/isam_ids.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

// The empty resource pattern makes the engine's own module the one its
// list texts come from, once the attach below has named it.
#ifdef _WIN32
CVQLibrary engineContext("vq_isa32.dll", "", "D", "vq_isa32 ISAM engine", 0);
#else
// Built ahead of the attach hook below, which needs it.
__attribute__((init_priority(101)))
CVQLibrary engineContext("vq_isa32.dll", "", "D", "vq_isa32 ISAM engine", 0);
#endif

const CVQListTable::Row kKeyTypeRows[] = {
    {vqisam::kTypeText, IDS_KEYTYPE_TEXT},
    {vqisam::kTypeTextNoCase, IDS_KEYTYPE_TEXTNOCASE},
    {vqisam::kTypeUnsigned, IDS_KEYTYPE_UNSIGNED},
    {vqisam::kTypeSigned, IDS_KEYTYPE_SIGNED},
    {vqisam::kTypeFloat, IDS_KEYTYPE_FLOAT},
    {vqisam::kTypeDouble, IDS_KEYTYPE_DOUBLE},
    {vqisam::kTypeDigits, IDS_KEYTYPE_DIGITS},
};
static_assert(sizeof kKeyTypeRows / sizeof *kKeyTypeRows == vqisam::kTypeCount,
              "every key partition type has a row");

} // namespace

const CVQListBox ISAMLBKeyTypes(kKeyTypeRows, &engineContext);

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return engineContext.DllMainCall(module, reason, 0);
}
#else
namespace {
// The engine's HMODULE is the base its ELF header is mapped at, the
// platform's name for a loaded module; linked into a program, the
// program's.
__attribute__((constructor(200))) void EngineLoaded() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void *>(&EngineLoaded), &info) != 0)
    engineContext.DllMainCall(static_cast<HINSTANCE>(info.dli_fbase), DLL_PROCESS_ATTACH, 0);
}
} // namespace
#endif
