// Browsing one table of an ISAM file in an owner-data grid: opening or
// adopting the file and table, counting the lines of an index under a
// selection, and serving each cell the grid paints from the record cache,
// by address or by iterating the index from the nearest cached line.
//
// A line is a position among the records that pass the selection, in the
// shown order; the grid holds no records. The engine keeps one iteration
// per table handle, so every walk sets its own start up first. The record
// buffer holds the record of `currentLine` and nothing else: whatever
// overwrites it (a count, a walk that fails halfway) forgets the line.
//
// A count learns more than the number of lines (SLineIndex): where the
// selection limits the index's first key part it reads only the key ranges
// that hold every passing record (the same lines as a scan of the whole
// index), and it remembers the address of every 256th passing record as an
// anchor, the ends included. A line that is not cached is walked to from
// the nearest cached line or anchor, whichever is nearer, so that no line
// costs more than 128 passing records' walk: 4,000 anchors, 32 KB, for a
// million lines. Where the selection passes few records, the first that
// passes after 4,096 records read without an anchor is one too, which
// bounds the records a walk reads. SetSelection's count is kept for the
// DisplayTable that follows on index 0: it rebuilds the grid's lines but
// does not count the same lines again.
//
// Beyond the plain rules, for safety:
//   - a second InitISAMFile releases the record buffer of the first;
//   - a DisplayTable that failed is not taken for done by the same call,
//     and leaves the grid without lines rather than with lines it cannot
//     serve;
//   - CloseTable takes the callback away from a grid that still lives, so
//     that it neither paints through a closed table nor calls a destroyed
//     browser.
#include "data/sel_eval.h"
#include "data/table_engine.h"
#include "frame/library.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr char kTag[] = "CVQTableISAM";
constexpr UINT kNone = 0xFFFFFFFF;
constexpr UINT kDescendingFlag = 16;
constexpr UINT kAfterAscending = 12;
constexpr UINT kAfterDescending = 28;
constexpr UINT kRecordCountOffset = 46;
// How often a count looks at the clock, and how long it waits between two
// reports to the progress callback.
constexpr UINT kClockStride = 1024;
constexpr DWORD kProgressInterval = 250;

bool Failed(UINT rc, LPCVOID subject, const char *function) {
  if (rc == ISAM_OK)
    return false;
  theTableEngine.DispError(subject, function, rc, nullptr);
  return true;
}

// Reports a long count to the host, no more often than every 250 ms, and
// closes its report with visited == total once it has made one.
class ProgressReport {
public:
  ProgressReport(PFNTABLEPROGRESS callback, DWORD_PTR value, UINT total)
      : callback_(callback), value_(value), total_(total), last_(GetTickCount()) {}
  void Visited(UINT visited) {
    if (!callback_ || visited % kClockStride)
      return;
    const DWORD now = GetTickCount();
    if (now - last_ < kProgressInterval)
      return;
    last_ = now;
    reported_ = true;
    callback_(visited, total_, value_);
  }
  void Done() {
    if (reported_)
      callback_(total_, total_, value_);
  }

private:
  PFNTABLEPROGRESS callback_;
  DWORD_PTR value_;
  UINT total_;
  DWORD last_;
  bool reported_ = false;
};

// The wait cursor for the life of a count, as a Win32 program shows it.
class WaitCursor {
public:
  WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor &) = delete;
  WaitCursor &operator=(const WaitCursor &) = delete;

private:
  HCURSOR previous_;
};

} // namespace

// What a count learned of the lines of one index under one selection.
struct SLineIndex {
  struct Anchor {
    UINT position; // among the passing records in ascending order
    DWORD address;
  };

  void Restart(UINT total) {
    lines = 0;
    shown = pending = false;
    ranges = 0;
    anchorCount = 0;
    visitedAtAnchor = 0;
    const UINT capacity = total / kLineAnchorStride + total / kAnchorVisitStride + 2;
    if (capacity > anchorCapacity || !anchors) {
      anchors.reset(new (std::nothrow) Anchor[capacity]);
      anchorCapacity = anchors ? capacity : 0;
      if (!anchors)
        theLibrary.PrtLog(VQLOG_WARNING, kTag,
                          "Not enough free memory for %u line anchors: lines are walked from the "
                          "cached ones.",
                          capacity);
    }
  }

  // A passing record at `position`, after `visited` records were read.
  void Passed(UINT position, DWORD address, UINT visited) {
    last = {position, address};
    if (anchorCount && position - anchors[anchorCount - 1].position < kLineAnchorStride &&
        visited - visitedAtAnchor < kAnchorVisitStride)
      return;
    visitedAtAnchor = visited;
    Add(last);
  }
  // The last passing record is an anchor too.
  void Close(UINT count) {
    lines = count;
    if (count && (!anchorCount || anchors[anchorCount - 1].position != last.position))
      Add(last);
  }
  void Add(const Anchor &a) {
    if (anchorCount < anchorCapacity)
      anchors[anchorCount++] = a;
    else if (anchorCount) // a table that grew while it was counted: keep the end
      anchors[anchorCount - 1] = a;
  }
  // The anchor nearest to ascending position p (which may lie outside the
  // lines).
  const Anchor *Nearest(LONGLONG p) const {
    if (!anchorCount)
      return nullptr;
    UINT lo = 0, hi = anchorCount;
    while (lo < hi) {
      const UINT mid = lo + (hi - lo) / 2;
      if (LONGLONG(anchors[mid].position) < p)
        lo = mid + 1;
      else
        hi = mid;
    }
    if (lo == anchorCount)
      return &anchors[lo - 1];
    if (lo > 0 && p - LONGLONG(anchors[lo - 1].position) < LONGLONG(anchors[lo].position) - p)
      return &anchors[lo - 1];
    return &anchors[lo];
  }
  const char *Bound(UINT range, UINT high, UINT recordSize) const {
    return bounds.get() + (2 * range + high) * recordSize;
  }

  UINT lines = 0;
  bool shown = false;             // the lines the grid shows
  bool pending = false;           // SetSelection's, for the DisplayTable that follows
  UINT ranges = 0;                // key ranges the count read; 0 = the whole index
  std::unique_ptr<char[]> bounds; // their low and high record images
  std::unique_ptr<Anchor[]> anchors;
  UINT anchorCount = 0, anchorCapacity = 0;
  UINT visitedAtAnchor = 0;
  Anchor last{};
};

// The steps the browser shares between its operations, with access to its
// members.
struct TableISAMSteps {
  static bool Passes(const CVQTableISAM &t) {
    return !t.selection || t.selection->testdata(t.tableDesc, t.recordBuffer, t.recordSize);
  }

  static SLineIndex *Lines(CVQTableISAM &t) {
    if (!t.lineIndex)
      t.lineIndex = new (std::nothrow) SLineIndex;
    return t.lineIndex;
  }

  // The key ranges of the current index that hold every record the
  // selection passes, into x.ranges and x.bounds.
  static void FindRanges(CVQTableISAM &t, SLineIndex &x, const BYTE *description) {
    if (!t.selection || !t.tableDesc)
      return;
    if (!x.bounds)
      x.bounds.reset(new (std::nothrow) char[2 * vq::sel::kMaxKeyRanges * t.recordSize]);
    if (x.bounds)
      x.ranges = vq::sel::KeyRanges(t.selection->Root, *t.tableDesc, description, t.recordSize,
                                    x.bounds.get());
  }

  static int CountRecords(CVQTableISAM &t, UINT *count) {
    *count = 0;
    t.currentLine = kNone;
    SLineIndex *x = Lines(t);
    if (x)
      x->Restart(0);
    BYTE description[ISAM_INDEX_DESC_SIZE] = {};
    if (Failed(theTableEngine.GetIndexDesc(t.tableHandle, t.index, description), t.fileHandle,
               "ISAMGetIndexDesc"))
      return 0;
    UINT total;
    std::memcpy(&total, description + kRecordCountOffset, sizeof total);
    if (total == 0)
      return 1;
    if (x) {
      x->Restart(total);
      FindRanges(t, *x, description);
    }
    const UINT ranges = x ? x->ranges : 0;
    WaitCursor wait;
    ProgressReport report(t.progress, t.progressValue, total);
    UINT visited = 0;
    for (UINT r = 0; r == 0 || r < ranges; ++r) {
      const char *low = ranges ? x->Bound(r, 0, t.recordSize) : nullptr;
      const char *high = ranges ? x->Bound(r, 1, t.recordSize) : nullptr;
      const UINT rc = theTableEngine.SetupIterationLimits(t.tableHandle, t.index, 0, low, high);
      if (rc != ISAM_OK) {
        report.Done();
        Failed(rc, t.fileHandle, "ISAMSetupIterationLimits");
        return 0;
      }
      UINT read;
      DWORD address = 0;
      while ((read = theTableEngine.ReadNextRecord(t.tableHandle, t.index, t.recordBuffer, &address,
                                                   0)) == ISAM_OK) {
        t.recordAddress = address;
        ++visited;
        if (Passes(t)) {
          if (x)
            x->Passed(*count, address, visited);
          ++*count;
        }
        report.Visited(visited);
      }
      if (read != ISAM_END_OF_ITERATION) {
        report.Done();
        Failed(read, t.fileHandle, "ISAMReadNextRecord");
        return 0;
      }
    }
    report.Done();
    if (x)
      x->Close(*count);
    return 1;
  }

  // Reads the first record of the shown order that passes the selection,
  // over the ranges of the count in that order; ISAM_OK, or the engine's
  // code with the name of the failed call.
  static UINT ReadFirstLine(CVQTableISAM &t, const char **failed) {
    const SLineIndex *x = t.lineIndex;
    const UINT ranges = x ? x->ranges : 0;
    UINT rc = ISAM_END_OF_ITERATION;
    for (UINT k = 0; k == 0 || k < ranges; ++k) {
      const UINT r = t.descending && ranges ? ranges - 1 - k : k;
      const char *low = ranges ? x->Bound(r, 0, t.recordSize) : nullptr;
      const char *high = ranges ? x->Bound(r, 1, t.recordSize) : nullptr;
      *failed = "ISAMSetupIterationLimits";
      rc = theTableEngine.SetupIterationLimits(t.tableHandle, t.index,
                                               t.descending ? kDescendingFlag : 0, low, high);
      if (rc != ISAM_OK)
        return rc;
      *failed = "ISAMReadNextRecord";
      do {
        DWORD address = 0;
        rc = theTableEngine.ReadNextRecord(t.tableHandle, t.index, t.recordBuffer, &address, 0);
        t.recordAddress = address;
      } while (rc == ISAM_OK && !Passes(t));
      if (rc != ISAM_END_OF_ITERATION)
        return rc;
    }
    return rc;
  }

  // Reads from the iteration set up until `steps` passing records went by;
  // the last one stays in the record buffer.
  static int Walk(CVQTableISAM &t, UINT steps) {
    for (UINT passed = 0; passed < steps;) {
      DWORD address = 0;
      const UINT rc =
          theTableEngine.ReadNextRecord(t.tableHandle, t.index, t.recordBuffer, &address, 0);
      if (rc == ISAM_END_OF_ITERATION) {
        theLibrary.PrtLog(VQLOG_ERROR, kTag, "ISAM Error: No More Iteration Records.");
        return 0;
      }
      if (Failed(rc, t.fileHandle, "ISAMReadNextRecord"))
        return 0;
      t.recordAddress = address;
      if (Passes(t))
        ++passed;
    }
    return 1;
  }

  // The anchor nearest to `line` of the shown lines: its line and address.
  static bool NearestAnchor(const CVQTableISAM &t, UINT line, UINT *at, DWORD *address) {
    const SLineIndex *x = t.lineIndex;
    if (!x || !x->shown)
      return false;
    const LONGLONG last = LONGLONG(x->lines) - 1;
    const SLineIndex::Anchor *a = x->Nearest(t.descending ? last - line : LONGLONG(line));
    if (!a)
      return false;
    *at = t.descending ? UINT(last - a->position) : a->position;
    *address = a->address;
    return true;
  }

  static UINT Distance(UINT a, UINT b) { return a < b ? b - a : a - b; }

  // Brings the record of `line` into the record buffer.
  static int MakeCurrent(CVQTableISAM &t, UINT line) {
    if (line == t.currentLine)
      return 1;
    if (const UINT hit = t.cache.FindLine(line); hit != kNone)
      return FromCache(t, hit, line);
    UINT nearest = kNone, record;
    DWORD from = 0;
    if (t.cache.FindNearestLine(line, &nearest, &record))
      from = t.cache.GetRecord(record)->address;
    UINT anchor;
    DWORD anchorAddress;
    if (NearestAnchor(t, line, &anchor, &anchorAddress) &&
        (nearest == kNone || Distance(anchor, line) < Distance(nearest, line))) {
      nearest = anchor;
      from = anchorAddress;
    }
    if (nearest == kNone) {
      theLibrary.TextBox("Cannot find the nearest item in the record cache.");
      return 0;
    }
    t.currentLine = kNone;
    if (nearest == line) { // an anchor
      if (Failed(theTableEngine.ReadRecordByAddress(t.tableHandle, from, t.recordBuffer,
                                                    t.recordSize, 0),
                 t.fileHandle, "ISAMReadRecordByAddress"))
        return 0;
      t.recordAddress = from;
    } else {
      const bool forward = nearest < line;
      const bool ascending = forward == !t.descending;
      const UINT mode = ascending ? kAfterAscending : kAfterDescending;
      if (Failed(theTableEngine.SetupIterationAddress(t.tableHandle, t.index, mode, from, 0),
                 t.fileHandle, "ISAMSetupIterationAddress"))
        return 0;
      if (!Walk(t, forward ? line - nearest : nearest - line))
        return 0;
    }
    t.currentLine = line;
    t.cache.SaveRecord(t.recordBuffer, t.recordAddress, line);
    return 1;
  }

  static int FromCache(CVQTableISAM &t, UINT index, UINT line) {
    SCacheRecord *rec = t.cache.GetRecord(index);
    if (!rec->buffer) {
      char *buffer = t.cache.FindFreeBuffer(index);
      if (!buffer)
        return 0;
      rec->buffer = buffer;
      const UINT rc =
          theTableEngine.ReadRecordByAddress(t.tableHandle, rec->address, buffer, t.recordSize, 0);
      if (Failed(rc, t.fileHandle, "ISAMReadRecordByAddress")) {
        // The line stays known by its address; the buffer holds nothing of it.
        rec->buffer = nullptr;
        return 0;
      }
    }
    std::memcpy(t.recordBuffer, rec->buffer, t.recordSize);
    t.currentLine = line;
    return 1;
  }

  static void ReleaseHandles(CVQTableISAM &t, const char *fileName, int *result) {
    if (t.tableHandle && t.ownTable &&
        Failed(theTableEngine.CloseTable(t.tableHandle), t.fileHandle, "ISAMCloseTable"))
      *result = 0;
    if (t.fileHandle && t.ownFile) {
      UINT detail = 0;
      if (Failed(theTableEngine.Close(t.fileHandle, &detail), fileName, "ISAMClose"))
        *result = 0;
    }
    t.fileHandle = t.tableHandle = nullptr;
    t.ownFile = t.ownTable = 0;
  }

  // Leaves a grid that still lives without lines and without a callback.
  static void DetachGrid(CVQTableISAM &t) {
    if (t.grid && t.gridWindow && IsWindow(t.gridWindow) &&
        reinterpret_cast<IGridView *>(SendMessageA(t.gridWindow, GM_GETINTERFACE, 0, 0)) ==
            t.grid &&
        (t.grid->GetStyle() & GS_OWNERDATA))
      t.grid->SetItemCount(nullptr, 0, 0, TRUE);
  }
};

using Steps = TableISAMSteps;

CVQTableISAM::CVQTableISAM()
    : fileHandle(nullptr), tableHandle(nullptr), ownFile(0), ownTable(0), index(kNone),
      descending(kNone), currentLine(kNone), recordSize(0), recordAddress(0),
      recordBuffer(nullptr), fileName{}, progress(nullptr), progressValue(0), lineIndex(nullptr) {}

CVQTableISAM::~CVQTableISAM() {
  CloseTable();
  delete[] recordBuffer;
  recordBuffer = nullptr;
  cache.FreeCache();
  delete lineIndex;
  lineIndex = nullptr;
}

void CVQTableISAM::SetProgressCallback(PFNTABLEPROGRESS callback, DWORD_PTR userValue) {
  progress = callback;
  progressValue = userValue;
}

int CVQTableISAM::InitISAMFile(void *givenFile, void *givenTable, CVQFileDesc *file, int readOnly) {
  fileHandle = tableHandle = nullptr;
  ownFile = ownTable = 0;
  if (!file || file->curTable == kNone) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No table selected on InitISAMFile.");
    return 0;
  }
  if (file->curTable >= file->tables.count || !file->tables.tables) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot access table %d on InitISAMFile.",
                      static_cast<int>(file->curTable));
    return 0;
  }
  const CVQTableDesc &table = file->tables.tables[file->curTable];
  if (givenFile) {
    fileHandle = givenFile;
    tableHandle = givenTable;
  } else {
    UINT detail = 0;
    HISAMFILE opened = nullptr;
    const UINT rc = theTableEngine.Open(&opened, file->fileName,
                                        readOnly ? ISAM_MODE_READ : ISAM_MODE_READWRITE, &detail);
    if (Failed(rc, file->fileName, "ISAMOpen"))
      return 0;
    fileHandle = opened;
    ownFile = 1;
  }
  int result = 1;
  if (!givenFile || !givenTable) {
    HISAMTABLE opened = nullptr;
    if (Failed(theTableEngine.OpenTable(fileHandle, table.name, &opened), fileHandle,
               "ISAMOpenTable")) {
      Steps::ReleaseHandles(*this, file->fileName, &result);
      return 0;
    }
    tableHandle = opened;
    ownTable = 1;
  }
  UINT size = 0;
  bool ready =
      !Failed(theTableEngine.GetDataRecSize(tableHandle, &size), fileHandle, "ISAMGetDataRecSize");
  if (ready) {
    delete[] recordBuffer;
    recordSize = size;
    recordBuffer = new (std::nothrow) char[size ? size : 1];
    if (!recordBuffer) {
      theLibrary.TextBox("Not enough free memory available.");
      ready = false;
    }
  }
  if (ready && !cache.InitCache(recordSize)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on initializing the record cache.");
    delete[] recordBuffer;
    recordBuffer = nullptr;
    ready = false;
  }
  if (!ready) {
    Steps::ReleaseHandles(*this, file->fileName, &result);
    return 0;
  }
  // Its bounds are record images of the old size.
  delete lineIndex;
  lineIndex = nullptr;
  CopyText(fileName, sizeof fileName, file->fileName);
  tableDesc = &table;
  selection = nullptr;
  index = kNone;
  descending = kNone;
  currentLine = kNone;
  return 1;
}

UINT CVQTableISAM::SetSelection(CVQTblSelDesc *newSelection) {
  descending = kNone;
  index = 0;
  currentLine = kNone;
  selection = newSelection;
  UINT count = 0;
  if (!Steps::CountRecords(*this, &count))
    return 0;
  if (lineIndex)
    lineIndex->pending = true;
  return count;
}

int CVQTableISAM::DisplayTable(UINT newIndex, UINT extra, UINT newDescending) {
  (void)extra; // part of the interface, never read
  if (newIndex == index && newDescending == descending)
    return 1;
  if (!grid) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "No grid to display the table: InitTable first.");
    return 0;
  }
  // SetSelection counted these lines just now; the direction does not
  // change what a count gives.
  const bool counted = lineIndex && lineIndex->pending && newIndex == index;
  if (lineIndex)
    lineIndex->shown = lineIndex->pending = false;
  cache.InvalidateCache();
  grid->DeleteAllItems(FALSE);
  // The owner-data count outlives DeleteAllItems; with the cache empty the
  // old lines could not be served by any paint an error box lets through.
  grid->SetItemCount(TableItemCallback, 0, reinterpret_cast<DWORD_PTR>(this), FALSE);
  descending = newDescending;
  index = newIndex;
  currentLine = kNone;
  UINT count = counted ? lineIndex->lines : 0;
  if (!counted && !Steps::CountRecords(*this, &count)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot inquire the number of records.");
    descending = kNone; // the same call again must not pass for done
    return 0;
  }
  grid->SetItemCount(TableItemCallback, count, reinterpret_cast<DWORD_PTR>(this), FALSE);
  if (count == 0) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "No isam data record in index tree %u", index);
  } else {
    const char *failed = "";
    const UINT rc = Steps::ReadFirstLine(*this, &failed);
    // The count found a passing record: even the end is an error here.
    if (rc != ISAM_OK) {
      grid->SetItemCount(TableItemCallback, 0, reinterpret_cast<DWORD_PTR>(this), FALSE);
      theTableEngine.DispError(fileHandle, failed, rc, nullptr);
      descending = kNone;
      return 0;
    }
    currentLine = 0;
    cache.SaveRecord(recordBuffer, recordAddress, 0);
  }
  if (lineIndex)
    lineIndex->shown = true;
  InvalidateRect(grid->GetWindow(), nullptr, TRUE);
  return 1;
}

int CVQTableISAM::CloseTable() {
  int result = 1;
  Steps::DetachGrid(*this);
  Steps::ReleaseHandles(*this, fileName, &result);
  cache.FreeCache();
  if (lineIndex)
    lineIndex->shown = lineIndex->pending = false;
  currentLine = kNone;
  fileName[0] = '\0';
  return result;
}

BOOL CALLBACK TableItemCallback(UINT line, UINT column, char *text, UINT size, UINT *written,
                                DWORD_PTR context) {
  auto *t = reinterpret_cast<CVQTableISAM *>(context);
  if (!t || !t->recordBuffer || !Steps::MakeCurrent(*t, line))
    return 0;
  const CVQTableDesc *table = t->tableDesc;
  if (!table || !table->fields.fields || column >= table->fields.count)
    return 0;
  return table->fields.fields[column].FormatData(text, size, written, t->recordBuffer,
                                                 t->recordSize);
}
