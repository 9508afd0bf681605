// The five field type lists: list-box tables of (value, string number)
// rows that both map a list selection back to a field attribute and name
// the attributes in lists and grids. Internal to vq_tbl32.
#ifndef VQ_TBL32_DESC_TYPE_LISTS_H
#define VQ_TBL32_DESC_TYPE_LISTS_H

#include <vq_lib32.h>

namespace vqdesc {

/// First string numbers of the names of each vocabulary; a code's name is
/// base + code.
enum : UINT {
  kEncodeNames = 2100,
  kKindNames = 2200,
  kJustNames = 2400,
  kDateFormatNames = 2500,
  kTimeFormatNames = 2600,
};

extern const CVQListBox lbEncodeTypes;
extern const CVQListBox lbContentTypes;
extern const CVQListBox lbDisplayTypes;
extern const CVQListBox lbDataJustTypes; // codes 0 and 2: stored data is never centred
extern const CVQListBox lbDispJustTypes;

} // namespace vqdesc

#endif
