// The exported version items. They never change at run time and do not
// depend on the language the library context is switched to.
#include <vq_tbl32.h>

#include "version.h"

extern "C" {
const char DllVersion[] = "1.00";
const char DllBuild[] = "0087";

UINT vqGetTbl32Version(void) { return vq::frame::kVersion; }
}
