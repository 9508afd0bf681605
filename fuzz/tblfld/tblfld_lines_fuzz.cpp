// Feeds arbitrary bytes as configuration text to the list-view field
// description set. A refusal leaves the set empty; a set that was read is
// written, read again to the very same entries, and written again to the
// very same text. Every entry is found again by its name.
#include <vq_lib32.h>
#include <vq_tbl32.h>
#include <vqwin_modal.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(bool ok) {
  if (!ok)
    std::abort();
}

std::string Written(const CVQTblFldDesc &set) {
  CVQConfFile editor;
  Check(editor.StartEdit(4096, 8, 32, 16, 80, 72));
  Check(set.EditDesc(editor, "TblField:") == 1);
  return std::string(editor.GetEditText(), editor.GetEditLength());
}

void Read(CVQTblFldDesc &set, const std::string &text) {
  CVQConfFile conf;
  Check(conf.ReadIt(text.data(), static_cast<UINT>(text.size())));
  Check(set.ParseDesc(conf, "TblField") == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 1 << 16)
    return 0;
  CVQConfFile conf;
  Check(conf.ReadIt(reinterpret_cast<const char *>(data), static_cast<UINT>(size)));
  CVQTblFldDesc set;
  if (!set.ParseDesc(conf, "TblField")) {
    Check(set.count == 0 && set.fields == nullptr);
  } else {
    const std::string text = Written(set);
    CVQTblFldDesc back;
    Read(back, text);
    Check(back.count == set.count);
    Check(std::memcmp(back.fields, set.fields, set.count * sizeof(SVQTblField)) == 0);
    Check(Written(back) == text);
    for (UINT i = 0; i < set.count; ++i)
      Check(set.FindField(set.fields[i].name) <= i);
  }
  // Refused lines show boxes; the record of them must not grow without end.
  vqwinClearMessageBoxRecords();
  return 0;
}
