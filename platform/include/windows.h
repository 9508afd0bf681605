/*
 * The Win32 umbrella header of the platform layer. Code above the layer
 * includes <windows.h> exactly as it would on Windows.
 */
#ifndef VQWIN_WINDOWS_H
#define VQWIN_WINDOWS_H

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winnetwk.h"
#include "wingdi.h"
#include "winuser.h"
#include "vqwin_userdraw.h"
#include "vqwin_text.h"
#include "vqwin_resource.h"
#include "vqwin_controls.h"
#include "vqwin_dialog.h"
#include "vqwin_printing.h"

#endif
