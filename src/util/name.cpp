// CVQName: a name of up to 63 characters kept beside its upper-case form,
// so that comparisons without regard to case need no folding each time.
#include <vq_tbl32.h>

#include <cstring>

void CVQName::set(const char *text, UINT textLength) {
  length = 0;
  name[0] = upper[0] = '\0';
  if (!text)
    return;
  const UINT limit = textLength && textLength < sizeof name - 1 ? textLength : sizeof name - 1;
  length = UINT(strnlen(text, limit));
  std::memcpy(name, text, length);
  name[length] = '\0';
  std::memcpy(upper, name, length + 1);
  if (length)
    CharUpperA(upper);
}
