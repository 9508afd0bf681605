// Feeds arbitrary bytes as a configuration text to the grid column reader
// and the field line reader. Whatever they accept must be written back by
// their writers and read again to the same record: the column and field
// lines are the one place hosts keep these descriptions.
#include <vq_lib32.h>
#include <vq_tbl32.h>
#include <vqwin_modal.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool ok) {
  if (!ok)
    std::abort();
}

bool SameColumn(const SGridColDesc &a, const SGridColDesc &b) {
  const bool back = a.flags & GCF_BACKCOLORS, text = a.flags & GCF_TEXTCOLOR;
  return a.kind == b.kind && a.flags == b.flags && a.justify == b.justify && a.spare == b.spare &&
         a.id == b.id && a.width == b.width && a.headerString == b.headerString &&
         (!back || a.backEven == b.backEven) && (!back || a.backOdd == b.backOdd) &&
         (!text || a.text == b.text) && (!text || a.text2 == b.text2) &&
         std::strcmp(a.header, b.header) == 0 && std::strcmp(a.joker, b.joker) == 0;
}

void Columns(CVQConfFile &config) {
  CGridDesc desc(nullptr, 12, 0, 0);
  if (!desc.ParseDesc(config, nullptr)) {
    Check(desc.colCount == 0 && desc.colDescs == nullptr);
    return;
  }
  CVQConfFile out, again;
  Check(out.StartEdit(4096, 8, 32, 24, 80, 104));
  desc.EditDesc(out, "Grid:");
  Check(again.ReadIt(out.GetEditText(), out.GetEditLength()));
  Check(again.SelectBlock("GRID"));
  CGridDesc back(nullptr, 12, 0, 0);
  Check(back.ParseDesc(again, nullptr));
  Check(back.colCount == desc.colCount && back.sortColumn1 == desc.sortColumn1 &&
        back.sortColumn2 == desc.sortColumn2);
  for (UINT i = 0; i < desc.colCount; ++i)
    Check(SameColumn(desc.colDescs[i], back.colDescs[i]));
}

void Fields(CVQConfFile &config) {
  UINT blocks = 0;
  config.GetBlockCount("FIELD", &blocks);
  config.SelectBlock("FIELD");
  for (UINT i = 0; i < blocks && i < 64; ++i, config.SelectNextBlock()) {
    CVQFieldDesc field;
    if (!field.ReadDef(config, "FIELD", i))
      continue;
    Check(std::memchr(field.name, 0, sizeof field.name) != nullptr);
    field.VerifyField();
    CVQConfFile out, again;
    Check(out.StartEdit(1024, 8, 32, 24, 80, 104));
    field.WriteDef(out);
    Check(again.ReadIt(out.GetEditText(), out.GetEditLength()));
    CVQFieldDesc back;
    Check(back.ReadDef(again, "FIELD", i) == 1);
    Check(std::memcmp(&back, &field, offsetof(CVQFieldDesc, name)) == 0 &&
          std::strcmp(back.name, field.name) == 0);
  }
  config.LeaveBlock();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 1 << 16)
    return 0;
  CVQConfFile config;
  if (!config.ReadIt(reinterpret_cast<const char *>(data), static_cast<UINT>(size)))
    return 0;
  Columns(config);
  Fields(config);
  // Refused lines show boxes; the record of them must not grow without end.
  vqwinClearMessageBoxRecords();
  return 0;
}
