// The option dialogs of a type word, shared by the property sheet's
// fields page. Internal to vq_tbl32.
#ifndef VQ_TBL32_DESC_TYPE_OPTIONS_H
#define VQ_TBL32_DESC_TYPE_OPTIONS_H

#include <windows.h>

namespace vqdesc {

/// Lets the user edit the option bits of the type word `*word` in the
/// dialog of its presentation kind (number 5330, date/time 5350, decimal
/// 5340). 1 when OK changed the word (stored in *word); 0 when the kind has
/// no dialog, the word stayed as it was or the dialog was cancelled; -1
/// when the dialog could not be shown (the library context logged why).
INT_PTR EditTypeOptions(HWND parent, UINT *word);

} // namespace vqdesc

#endif
