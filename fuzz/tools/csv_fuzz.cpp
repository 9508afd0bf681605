// Feeds arbitrary bytes to vqtbl's CSV reader. What it accepts must come
// back through the writer as the same records, and the writer's text must
// be a fixed point (written again, the same bytes). Every accepted field
// is also stored into records of the field kinds an import meets; a value
// that is stored must show back as it was written.
#include <windows.h>
#include <vq_tbl32.h>

#include "csv.h"
#include "field_text.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool ok) {
  if (!ok)
    std::abort();
}

using Records = std::vector<std::vector<std::string>>;

bool ReadAll(std::string_view text, Records &out) {
  vqtbl::CsvReader reader(text);
  std::vector<std::string> row;
  while (reader.Next(row))
    out.push_back(row);
  return reader.error().empty();
}

CVQFieldDesc Field(UINT offset, UINT size, UINT encode, UINT content, UINT display) {
  CVQFieldDesc f;
  f.offset = offset;
  f.size = size;
  f.encodeType = encode;
  f.contentType = content;
  f.displayType = display;
  return f;
}

// The fields of the sample customer table, one of each kind.
const CVQFieldDesc kFields[] = {
    Field(0, 4, iteINT32, 0x0001, 0x0001),    Field(4, 30, iteTEXT, 0x0000, 0x0000),
    Field(34, 5, iteTEXT, 0x0021, 0x0021),    Field(39, 10, iteTEXT, 0x0102, 0x0102),
    Field(49, 8, iteINT64, 0x2093, 0x2093),   Field(57, 4, ite32FLOATING, 0x1011, 0x1011),
    Field(61, 1, iteINT8, 0x0001, 0x0001),    Field(62, 40, iteUNICODETEXT, 0, 0),
    Field(102, 14, iteTEXT, 0x12302, 0x0302), Field(116, 12, iteTEXT, 0x2003, 0x20C3),
};
constexpr UINT kRecordSize = 128;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  Records first;
  if (!ReadAll(text, first))
    return 0;
  std::string written;
  for (const auto &r : first)
    vqtbl::CsvWriteRecord(written, r);
  Records second;
  Check(ReadAll(written, second));
  Check(first == second);
  std::string again;
  for (const auto &r : second)
    vqtbl::CsvWriteRecord(again, r);
  Check(again == written);

  char record[kRecordSize];
  std::string why, shown;
  for (const auto &r : first)
    for (const std::string &value : r)
      for (const CVQFieldDesc &f : kFields) {
        std::memset(record, 0, sizeof record);
        vqtbl::ClearField(f, record);
        if (vqtbl::TextToField(f, value, record, kRecordSize, why)) {
          Check(vqtbl::FieldToText(f, record, kRecordSize, shown));
          Check(shown.size() <= f.size * 3 + 32);
        } else {
          Check(!why.empty());
        }
      }
  return 0;
}
