// Feeds arbitrary bytes as a selection over the sample table: parse,
// resolution and evaluation in both forms (table description and field
// callback), and key limits. Nothing may crash, leak or read outside a
// record; and where the first comparison is an equality that every passing
// record must meet (reached through AND only, a text without jokers or a
// postcode of all five digits), iterating the engine's index between the
// key limits must find every record that a scan with testdata passes.
//
// The records live in memory and, once per process, in an ISAM file in
// the temporary folder. Boxes take their default answer and are forgotten
// after each input, as are the captured log lines.
#include "frame/library.h"
#include "sample_table.h"

#include <vq_isa32.h>
#include <vqwin_modal.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vqsample;

void Check(bool ok) {
  if (!ok)
    std::abort();
}

struct Sample {
  SampleTable table;
  std::vector<Record> records;
  std::filesystem::path dir;
  HISAMFILE file = nullptr;
  HISAMTABLE isam = nullptr;

  Sample() {
    const char *names[] = {"MAIER", "MEIER", "MAIERS", "Maier", "M", "MAIERMAIERXY", "12.03.2009"};
    const char *cities[] = {"Munich", "MUNICH", "Bonn", "Berlin"};
    int n = 0;
    for (const char *name : names)
      for (const char *city : cities)
        for (UINT plz : {80331u, 10115u, 7u}) {
          Record r;
          r.Text(NAME, name).Text(CITY, city).Plz(plz).Binary(AGE, INT(n % 41 - 20));
          r.Binary(COUNT, WORD(n * 37)).Binary(BIG, ULONGLONG(n) << 33).Binary(PRICE, n * 0.5 - 9);
          r.Date(1 + n % 28, 1 + n % 12, 2000 + n % 11).Sum(n * 1234 - 50000);
          r.Binary(RATE, float(n % 7) - 3.0f);
          records.push_back(r);
          ++n;
        }
    dir =
        std::filesystem::temp_directory_path() / ("vq_resolve_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    UINT detail = 0;
    Check(ISAMCreate(&file, (dir / "sample.isa").c_str(), &detail) == 0);
    const auto idt = table.Idt();
    Check(idt.size() == kKeys);
    Check(ISAMCreateTable(file, "Sample", idt.data(), kKeys, kRecordSize, 1024) == 0);
    Check(ISAMOpenTable(file, "Sample", &isam) == 0);
    for (const Record &r : records) {
      DWORD address = 0;
      Check(ISAMInsertRecord(isam, r.bytes, kRecordSize, &address) == 0);
    }
  }
  ~Sample() {
    UINT detail = 0;
    ISAMCloseTable(isam);
    ISAMClose(file, &detail);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Sample &TheSample() {
  static Sample sample;
  return sample;
}

// The engine field types the callback form delivers the sample's fields as.
constexpr UINT kEngineTypes[kFields] = {0, 1, 2, 41, 40, 40, 43, 10, 6, 42};

struct Current {
  const SampleTable *table;
  const Record *record; // NULL at resolution
};

int Deliver(const char *column, char *buffer, UINT size, UINT *length, UINT *kind, UINT *value,
            UINT *type, LONG_PTR context) {
  const auto *current = reinterpret_cast<const Current *>(context);
  const CVQFieldDescList &fields = current->table->desc.fields;
  for (UINT i = 0; i < fields.count; ++i) {
    const CVQFieldDesc &f = fields.fields[i];
    if (CmpFieldName(column, &f) != 0)
      continue;
    const char *bytes = current->record ? current->record->bytes + f.offset : "80331";
    *length = current->record ? f.size : 5;
    Check(*length <= size);
    std::memcpy(buffer, bytes, *length);
    if (!current->record) {
      *kind = f.contentType & twKIND;
      *value = f.encodeType;
      if (kEngineTypes[i] == 1)
        *type = 1;
    } else {
      *type = kEngineTypes[i];
      numVal own{};
      UINT ownKind = 5;
      f.ParseData(&own, &ownKind, current->record->bytes, kRecordSize);
      *kind = ownKind;
      std::memcpy(value, &own, sizeof own);
    }
    return 1;
  }
  return 0;
}

// The first comparison as keyresolve finds it, and whether the way down to
// it holds AND only.
const SVQDataCompExpr *FirstComparison(const SVQDataCompLink &root, bool *conjunctive) {
  *conjunctive = true;
  const SVQDataCompLink *link = &root;
  while (link->fAlloc && *static_cast<const BYTE *>(link->pOper) == idOPERATION) {
    const auto *oper = static_cast<const SVQDataCompOper *>(link->pOper);
    *conjunctive = *conjunctive && oper->Oper == loAND;
    link = oper->Link[0].fAlloc ? &oper->Link[0] : &oper->Link[1];
  }
  return link->fAlloc ? static_cast<const SVQDataCompExpr *>(link->pOper) : nullptr;
}

bool LimitsMustHoldAll(const SVQDataCompExpr &expr, bool conjunctive) {
  if (!conjunctive || std::strpbrk(expr.Value, "#*?"))
    return false;
  if (expr.nField == NAME || expr.nField == CITY)
    return expr.Func == cfSTREQUAL;
  if (expr.nField == PLZ) {
    const size_t n = std::strlen(expr.Value);
    return expr.Func == cfEQUAL && n == 5 && std::strspn(expr.Value, "0123456789") == n;
  }
  return false;
}

void CheckLimits(CVQTblSelDesc &sel, const Sample &sample, UINT passing) {
  char low[64], high[64];
  UINT key = UINT(-1);
  if (!sel.keyresolve(&sample.table.desc, &key, low, high))
    return;
  Check(key < kKeys);
  const UINT n = SampleTable::KeyLength(key);
  Check(low[n] == '\0' && high[n] == '\0');
  bool conjunctive = false;
  const SVQDataCompExpr *first = FirstComparison(sel.Root, &conjunctive);
  Check(first != nullptr);
  if (!LimitsMustHoldAll(*first, conjunctive))
    return;
  const std::string lowRecord = SampleTable::KeyRecord(key, low);
  const std::string highRecord = SampleTable::KeyRecord(key, high);
  Check(ISAMSetupIterationLimits(sample.isam, key, 0, lowRecord.data(), highRecord.data()) == 0);
  char buffer[kRecordSize];
  DWORD address = 0;
  UINT found = 0;
  while (ISAMReadNextRecord(sample.isam, key, buffer, &address, 0) == ISAM_OK)
    found += sel.testdata(&sample.table.desc, buffer, kRecordSize);
  Check(found == passing);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool capturing = [] {
    theLibrary.StartCapture();
    return true;
  }();
  (void)capturing;
  if (size > 4096)
    return 0;
  Sample &sample = TheSample();
  CVQTblSelDesc sel;
  if (sel.parse(reinterpret_cast<const char *>(data), UINT(size))) {
    if (sel.resolve(&sample.table.desc)) {
      UINT passing = 0;
      for (const Record &r : sample.records) {
        const int verdict = sel.testdata(&sample.table.desc, r.bytes, kRecordSize);
        Check(verdict == 0 || verdict == 1);
        passing += verdict;
        // A record cut short anywhere is refused or tested, never read past.
        const UINT cut = UINT(size) % kRecordSize;
        std::vector<char> shorter(r.bytes, r.bytes + cut);
        (void)sel.testdata(&sample.table.desc, shorter.data(), cut);
      }
      CheckLimits(sel, sample, passing);
    }
    Current current{&sample.table, nullptr};
    if (sel.cbresolve(Deliver, LONG_PTR(&current))) {
      for (const Record &r : sample.records) {
        current.record = &r;
        const int verdict = sel.cbtestdata(Deliver, LONG_PTR(&current));
        Check(verdict == 0 || verdict == 1);
      }
    }
  }
  theLibrary.ClearCaptured();
  vqwinClearMessageBoxRecords();
  return 0;
}
