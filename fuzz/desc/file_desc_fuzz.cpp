// Feeds arbitrary bytes as a configuration file to the file description:
// whatever tables it reads must be written back and read again to the same
// tables, both as a configuration file and, for a table the engine
// accepts, as the description stored inside an ISAM file. A table that was
// read is never lost on the way: the second reading holds as many tables,
// and each writes the same block text as the first.
#include <vq_isa32.h>
#include <vq_lib32.h>
#include <vq_tbl32.h>
#include <vqwin_modal.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void Check(bool ok) {
  if (!ok)
    std::abort();
}

const std::string &Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/vq_file_desc_fuzz_XXXXXX";
    const char *made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

// The block text of a table as its writer makes it: what equal tables share.
std::string BlockText(const CVQTableDesc &table) {
  CVQConfFile editor;
  Check(editor.StartEdit(4096, 8, 32, 24, 80, 104));
  if (!table.WriteDef(editor, "Table:"))
    return std::string();
  return std::string(editor.GetEditText(), editor.GetEditLength());
}

// A table the engine creates must read back from its stored text to the
// same block, with the engine's index node size.
void StoredRoundTrip(const CVQTableDesc &table) {
  const std::string path = Folder() + "/stored.isa";
  std::remove(path.c_str());
  HISAMFILE file = nullptr;
  UINT detail = 0;
  if (ISAMCreate(&file, path.c_str(), &detail) != 0)
    return;
  if (table.CreateISAMTable(file)) {
    CVQTableDesc back;
    Check(back.ReadDesc(file, 0));
    Check(BlockText(back) == BlockText(table));
  }
  ISAMClose(file, &detail);
  std::remove(path.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 1 << 16)
    return 0;
  const std::string in = Folder() + "/in.cfg", out = Folder() + "/out.cfg";
  FILE *f = std::fopen(in.c_str(), "wb");
  if (!f)
    return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  CVQFileDesc desc;
  if (desc.InitDescEdit(nullptr, in.c_str(), FALSE) && !desc.isIsamFile && desc.tables.count > 0) {
    // Written elsewhere, so that the input stays as it was. The reader
    // refuses what the writer could not write, so every table read is
    // written: a refusal here would lose the file's tables.
    CVQFileDesc copy(desc);
    std::snprintf(copy.fileName, sizeof copy.fileName, "%s", out.c_str());
    Check(copy.WriteDesc());
    CVQFileDesc again;
    Check(again.InitDescEdit(nullptr, out.c_str(), FALSE));
    Check(again.tables.count == desc.tables.count);
    for (UINT i = 0; i < desc.tables.count; ++i)
      Check(BlockText(again.tables.tables[i]) == BlockText(desc.tables.tables[i]));
    // The engine is slow to create files: only the first table goes in.
    StoredRoundTrip(desc.tables.tables[0]);
    std::remove(out.c_str());
  }
  // Refused lines show boxes; the record of them must not grow without end.
  vqwinClearMessageBoxRecords();
  return 0;
}
