// The commands on records: export and import as CSV, and browse through
// the library's table browser in a real owner-data grid window.
#include "csv.h"
#include "field_text.h"
#include "host.h"

#include <vq_isa32.h>
#include <vqwin_automation.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vqtbl {

char gEngineLanguage = 'D';

namespace {

int EngineFail(const char *call, UINT error, const std::string &path) {
  const char *text = ISAMErrorText(error, gEngineLanguage);
  return Fail(kFailed, "%s: %s failed: error %u: %s", path.c_str(), call, error,
              Cp1252ToUtf8(text ? text : "").c_str());
}

// An ISAM file and one of its tables, opened by the command itself and
// closed again whatever happens.
struct OpenTable {
  HISAMFILE file = nullptr;
  HISAMTABLE table = nullptr;
  UINT recordSize = 0;
  bool transaction = false;

  int Open(const std::string &path, const CVQTableDesc &desc, UINT mode) {
    UINT detail = 0;
    if (UINT e = ISAMOpen(&file, path.c_str(), mode, &detail))
      return file = nullptr, EngineFail("ISAMOpen", e, path);
    if (UINT e = ISAMOpenTable(file, desc.name, &table))
      return table = nullptr, EngineFail("ISAMOpenTable", e, path);
    if (UINT e = ISAMGetDataRecSize(table, &recordSize))
      return EngineFail("ISAMGetDataRecSize", e, path);
    if (desc.fields.GetRecSize() > recordSize)
      return Fail(kFailed, "%s: the description of \"%s\" is larger than its records (%u bytes)",
                  path.c_str(), desc.name, recordSize);
    return kOk;
  }
  UINT IndexCount(UINT index) {
    BYTE d[ISAM_INDEX_DESC_SIZE] = {};
    if (ISAMGetIndexDesc(table, index, d))
      return 0;
    UINT n = 0;
    std::memcpy(&n, d + 46, 4);
    return n;
  }
  ~OpenTable() {
    UINT detail = 0;
    if (transaction)
      ISAMRollbackTransaction(file);
    if (table)
      ISAMCloseTable(table);
    if (file)
      ISAMClose(file, &detail);
  }
};

std::vector<std::string> FieldNames(const CVQTableDesc &t) {
  std::vector<std::string> names;
  for (UINT i = 0; i < t.fields.count; ++i)
    names.push_back(Cp1252ToUtf8(t.fields.fields[i].name));
  return names;
}

// Opens the descriptions and finds the table named by the second operand.
int OpenTableDesc(const Args &args, CVQFileDesc &file, CVQTableDesc *&table) {
  if (int rc = OpenIsamDescriptions(file, args.operands[0]))
    return rc;
  table = FindTable(file, args.operands[0], args.operands[1]);
  return table ? kOk : kFailed;
}

} // namespace

int CmdExport(const Args &args) {
  const std::string &path = args.operands[0];
  CVQFileDesc file;
  CVQTableDesc *table = nullptr;
  if (int rc = OpenTableDesc(args, file, table))
    return rc;
  UINT index = 0;
  if (int rc = IndexOption(args, *table, index))
    return rc;
  CVQTblSelDesc selection;
  if (int rc = SelectionOption(args, *table, selection))
    return rc;
  OpenTable t;
  if (int rc = t.Open(path, *table, ISAM_MODE_READ))
    return rc;
  const UINT total = t.IndexCount(index);
  if (UINT e = ISAMSetupIterationLimits(
          t.table, index, args.Has("--desc") ? ISAM_ITER_DESCENDING : 0, nullptr, nullptr))
    return EngineFail("ISAMSetupIterationLimits", e, path);

  std::string out;
  CsvWriteRecord(out, FieldNames(*table));
  std::vector<char> record(t.recordSize);
  std::vector<std::string> cells(table->fields.count);
  Progress progress("export");
  DWORD address = 0;
  UINT visited = 0, written = 0;
  for (;;) {
    const UINT e = ISAMReadNextRecord(t.table, index, record.data(), &address, 0);
    if (e == ISAM_END_OF_ITERATION)
      break;
    if (e)
      return EngineFail("ISAMReadNextRecord", e, path);
    if ((++visited & 1023) == 0)
      progress.Show(visited, total);
    if (!selection.testdata(table, record.data(), t.recordSize))
      continue;
    for (UINT f = 0; f < table->fields.count; ++f)
      if (!FieldToText(table->fields.fields[f], record.data(), t.recordSize, cells[f]))
        return Fail(kFailed, "%s: record %u: the library cannot show field \"%s\"", path.c_str(),
                    address, table->fields.fields[f].name);
    CsvWriteRecord(out, cells);
    ++written;
    if (out.size() > (1u << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  progress.Done();
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (std::fflush(stdout) != 0)
    return Fail(kFailed, "cannot write the output");
  return kOk;
}

int CmdImport(const Args &args) {
  const std::string &path = args.operands[0], &csvPath = args.operands[2];
  CVQFileDesc file;
  CVQTableDesc *table = nullptr;
  if (int rc = OpenTableDesc(args, file, table))
    return rc;
  std::string text;
  if (!ReadFile(csvPath, text))
    return Fail(kFailed, "%s: %s", csvPath.c_str(), std::strerror(errno));
  CsvReader reader(text);
  std::vector<std::string> row;
  if (!reader.Next(row))
    return reader.error().empty()
               ? Fail(kFailed, "%s: empty; a header line of field names is needed", csvPath.c_str())
               : Fail(kFailed, "%s: line %zu, column %zu: %s", csvPath.c_str(), reader.line(),
                      reader.column(), reader.error().c_str());
  // Columns name fields; fields no column names keep their empty value.
  std::vector<const CVQFieldDesc *> columns;
  for (std::size_t c = 0; c < row.size(); ++c) {
    std::string name;
    const CVQFieldDesc *field = nullptr;
    if (Utf8ToCp1252(row[c], name))
      for (UINT i = 0; i < table->fields.count && !field; ++i)
        if (CmpFieldName(name.c_str(), &table->fields.fields[i]) == 0)
          field = &table->fields.fields[i];
    if (!field)
      return Fail(kFailed, "%s: line 1, column %zu: table \"%s\" has no field \"%s\"",
                  csvPath.c_str(), c + 1, table->name, row[c].c_str());
    for (const CVQFieldDesc *seen : columns)
      if (seen == field)
        return Fail(kFailed, "%s: line 1, column %zu: field \"%s\" named twice", csvPath.c_str(),
                    c + 1, row[c].c_str());
    columns.push_back(field);
  }

  OpenTable t;
  if (int rc = t.Open(path, *table, ISAM_MODE_READWRITE))
    return rc;
  std::vector<char> empty(t.recordSize, 0), record;
  for (UINT i = 0; i < table->fields.count; ++i)
    ClearField(table->fields.fields[i], empty.data());
  std::size_t lines = 0;
  for (char c : text)
    lines += c == '\n';
  if (UINT e = ISAMBeginTransaction(t.file))
    return EngineFail("ISAMBeginTransaction", e, path);
  t.transaction = true;
  Progress progress("import");
  std::size_t count = 0;
  std::string why;
  while (reader.Next(row)) {
    const std::size_t line = reader.line();
    if (row.size() != columns.size())
      return Fail(kFailed, "%s: line %zu: %zu fields where the header has %zu; nothing imported",
                  csvPath.c_str(), line, row.size(), columns.size());
    record = empty;
    for (std::size_t c = 0; c < columns.size(); ++c)
      if (!TextToField(*columns[c], row[c], record.data(), t.recordSize, why))
        return Fail(kFailed, "%s: line %zu, column %zu (%s): \"%s\" %s; nothing imported",
                    csvPath.c_str(), line, c + 1, columns[c]->name, row[c].c_str(), why.c_str());
    DWORD address = 0;
    if (UINT e = ISAMInsertRecord(t.table, record.data(), t.recordSize, &address)) {
      const char *reason = ISAMErrorText(e, gEngineLanguage);
      return Fail(kFailed, "%s: line %zu: the record is refused: error %u: %s; nothing imported",
                  csvPath.c_str(), line, e, Cp1252ToUtf8(reason ? reason : "").c_str());
    }
    if ((++count & 1023) == 0)
      progress.Show(line, lines);
  }
  if (!reader.error().empty())
    return Fail(kFailed, "%s: line %zu, column %zu: %s; nothing imported", csvPath.c_str(),
                reader.line(), reader.column(), reader.error().c_str());
  if (UINT e = ISAMCommitTransaction(t.file))
    return EngineFail("ISAMCommitTransaction", e, path);
  t.transaction = false;
  progress.Done();
  std::printf("%s: %zu records imported into \"%s\"\n", path.c_str(), count,
              Cp1252ToUtf8(table->name).c_str());
  return kOk;
}

namespace {

// --lines A-B (from 1, inclusive; "A-" runs to the end, "A" is one line).
bool ParseLines(const std::string &s, UINT &first, UINT &last) {
  first = 1;
  last = ~0u;
  if (s.empty())
    return true;
  char *end = nullptr;
  const unsigned long a = std::strtoul(s.c_str(), &end, 10);
  if (end == s.c_str() || a == 0 || a > 0xFFFFFFFEul || s[0] == '-')
    return false;
  first = UINT(a);
  if (*end == 0)
    return last = first, true;
  if (*end != '-')
    return false;
  const char *b = end + 1;
  if (*b == 0)
    return true;
  const unsigned long z = std::strtoul(b, &end, 10);
  if (end == b || *end || *b == '-' || z < a || z > 0xFFFFFFFEul)
    return false;
  last = UINT(z);
  return true;
}

bool ParseSize(const std::string &s, int &value) {
  char *end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || v < 50 || v > 8192)
    return false;
  value = int(v);
  return true;
}

std::size_t Width(const std::string &s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    n += (c & 0xC0) != 0x80;
  return n;
}

std::string Justify(const std::string &s, std::size_t width, UINT just) {
  const std::size_t w = Width(s);
  if (w >= width)
    return s;
  const std::size_t pad = width - w;
  if (just == 2)
    return std::string(pad, ' ') + s;
  if (just == 1)
    return std::string(pad / 2, ' ') + s + std::string(pad - pad / 2, ' ');
  return s + std::string(pad, ' ');
}

// The grid in a top-level window for a person at a display: the grid's keys
// and wheel scroll, F3 opens the selection dialog, closing the window ends.
// Every change of what the window shows is printed as one status line, so
// that a script driving the window can follow it.
struct GuiBrowse {
  CVQTableISAM *browser = nullptr;
  CVQTblSelDesc *selection = nullptr;
  const CVQTableDesc *table = nullptr;
  UINT index = 0, descending = 0;
  HWND grid = nullptr;
  std::string last;

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto *self = reinterpret_cast<GuiBrowse *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_SIZE:
      if (self && self->grid)
        MoveWindow(self->grid, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (self && self->grid)
        SetFocus(self->grid);
      return 0;
    case WM_KEYDOWN:
      if (self && wp == VK_F3) {
        self->Select(hwnd);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }

  void Select(HWND owner) {
    CVQTblSelDlg dialog(selection);
    if (dialog.Dialog(owner) != 1)
      return;
    // The dialog checks the text; the comparisons still need the table's fields.
    if (selection->Root.fAlloc && !selection->resolve(table)) {
      Fail(kFailed, "the selection does not suit table \"%s\"", table->name);
      return;
    }
    browser->SetSelection(selection->Root.fAlloc ? selection : nullptr);
    browser->DisplayTable(index, 0, descending);
    SetFocus(grid);
  }

  void Report() {
    char line[128];
    const UINT cur = browser->grid->GetCurLine(), col = browser->grid->GetCurColumn();
    char cell[40] = "-";
    if (cur != ~0u && col != ~0u)
      std::snprintf(cell, sizeof cell, "%u/%u", cur + 1, col + 1);
    std::snprintf(line, sizeof line, "records %u, top %u, cell %s", browser->grid->GetLineCount(),
                  browser->grid->GetTopLine() + 1, cell);
    if (last != line) {
      last = line;
      std::printf("%s\n", line);
      std::fflush(stdout);
    }
  }
};

int RunGuiBrowse(const Args &args, CVQFileDesc &file, CVQTableDesc &table, UINT index,
                 CVQTblSelDesc &selection) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = GuiBrowse::Proc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "VqtblBrowseWindow";
  RegisterClassA(&wc);
  const std::string title = "vqtbl - " + std::string(table.name);
  HWND top = CreateWindowExA(0, "VqtblBrowseWindow", title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40,
                             900, 520, nullptr, nullptr, nullptr, nullptr);
  RECT client{};
  GetClientRect(top, &client);
  HWND grid = CreateWindowExA(0, "CVQGridView32", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0,
                              client.right, client.bottom, top, reinterpret_cast<HMENU>(1), nullptr,
                              nullptr);
  if (!top || !grid)
    return Fail(kFailed, "the library's grid window cannot be made");
  GuiBrowse gui;
  CVQTableISAM browser;
  if (!browser.InitISAMFile(nullptr, nullptr, &file, TRUE))
    return DestroyWindow(top),
           Fail(kFailed, "%s: the table cannot be opened", args.operands[0].c_str());
  if (!browser.InitTable(grid, ~0u))
    return DestroyWindow(top), Fail(kFailed, "the grid cannot show the table's columns");
  browser.SetSelection(selection.Root.fAlloc ? &selection : nullptr);
  gui.browser = &browser;
  gui.selection = &selection;
  gui.table = &table;
  gui.index = index;
  gui.descending = args.Has("--desc") ? 1 : 0;
  gui.grid = grid;
  if (!browser.DisplayTable(index, 0, gui.descending))
    return DestroyWindow(top),
           Fail(kFailed, "%s: the records cannot be shown", args.operands[0].c_str());
  SetWindowLongPtrA(top, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&gui));
  ShowWindow(top, SW_SHOW);
  SetFocus(grid);
  gui.Report();
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    if (IsWindow(grid))
      gui.Report();
  }
  browser.CloseTable();
  return kOk;
}

} // namespace

int CmdBrowse(const Args &args) {
  CVQFileDesc file;
  CVQTableDesc *table = nullptr;
  if (int rc = OpenTableDesc(args, file, table))
    return rc;
  UINT index = 0, first = 1, last = ~0u;
  if (int rc = IndexOption(args, *table, index))
    return rc;
  if (!ParseLines(args.Get("--lines"), first, last))
    return Fail(kUsage, "--lines wants A-B, A- or A with lines counted from 1, not \"%s\"",
                args.Get("--lines").c_str());
  int width = 800, height = 400;
  if (args.Has("--width") && !ParseSize(args.Get("--width"), width))
    return Fail(kUsage, "--width wants 50 to 8192 pixels, not \"%s\"", args.Get("--width").c_str());
  if (args.Has("--height") && !ParseSize(args.Get("--height"), height))
    return Fail(kUsage, "--height wants 50 to 8192 pixels, not \"%s\"",
                args.Get("--height").c_str());
  if ((args.Has("--width") || args.Has("--height")) && !args.Has("--png"))
    return Fail(kUsage, "--width and --height go with --png");
  CVQTblSelDesc selection;
  if (int rc = SelectionOption(args, *table, selection))
    return rc;
  if (args.Has("--gui")) {
    if (args.Has("--png") || args.Has("--count") || args.Has("--lines"))
      return Fail(kUsage, "--gui goes without --png, --count and --lines");
    return RunGuiBrowse(args, file, *table, index, selection);
  }
  NewFile png;
  if (args.Has("--png"))
    if (int rc = png.Prepare(args.Get("--png"), args.Has("--force"), ".png"))
      return rc;

  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "VqtblBrowseParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowExA(0, "VqtblBrowseParent", "vqtbl", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                height, nullptr, nullptr, nullptr, nullptr);
  HWND grid = CreateWindowExA(0, "CVQGridView32", "", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                              parent, reinterpret_cast<HMENU>(1), nullptr, nullptr);
  if (!grid)
    return Fail(kFailed, "the library's grid window cannot be made");
  struct Windows {
    HWND w;
    ~Windows() { DestroyWindow(w); }
  } windows{parent};

  Progress progress("counting");
  CVQTableISAM browser;
  browser.SetProgressCallback(Progress::Callback, reinterpret_cast<DWORD_PTR>(&progress));
  if (!browser.InitISAMFile(nullptr, nullptr, &file, TRUE))
    return Fail(kFailed, "%s: the table cannot be opened", args.operands[0].c_str());
  if (!browser.InitTable(grid, ~0u))
    return Fail(kFailed, "the grid cannot show the table's columns");
  const bool any = selection.Root.fAlloc;
  browser.SetSelection(any ? &selection : nullptr);
  if (!browser.DisplayTable(index, 0, args.Has("--desc") ? 1 : 0))
    return Fail(kFailed, "%s: the records cannot be shown", args.operands[0].c_str());
  progress.Done();
  const UINT count = browser.grid->GetLineCount();

  if (args.Has("--count")) {
    std::printf("%u\n", count);
    return kOk;
  }
  if (args.Has("--png")) {
    if (first > 1)
      browser.grid->SetTopLine(first - 1);
    InvalidateRect(grid, nullptr, TRUE);
    UpdateWindow(grid);
    vqwinRunUntilIdle();
    if (!vqwinSaveScreenshot(grid, png.temp().c_str()))
      return Fail(kFailed, "%s: the picture cannot be written", args.Get("--png").c_str());
    if (int rc = png.Commit())
      return rc;
    std::printf("%s: %d x %d pixels, %u records from line %u\n", args.Get("--png").c_str(), width,
                height, count, first);
    return kOk;
  }

  const CVQFieldDescList &fields = table->fields;
  std::vector<std::size_t> widths(fields.count);
  std::string header;
  for (UINT c = 0; c < fields.count; ++c) {
    const std::string name = Cp1252ToUtf8(fields.fields[c].name);
    widths[c] = std::max<std::size_t>(fields.fields[c].dispWidth, Width(name));
    header += (c ? "  " : "") + Justify(name, widths[c], fields.fields[c].dispJustType);
  }
  auto emit = [](std::string &line, std::string &out) {
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    out += line;
    out += '\n';
  };
  std::string out;
  emit(header, out);
  std::vector<char> cell(65536);
  const UINT end = last < count ? last : count;
  for (UINT line = first - 1; line < end; ++line) {
    std::string text;
    for (UINT c = 0; c < fields.count; ++c) {
      const UINT n = browser.GetDataField(line, c, cell.data(), UINT(cell.size()));
      const std::string value = n == ~0u ? std::string() : Cp1252ToUtf8(cell.data());
      text += (c ? "  " : "") + Justify(value, widths[c], fields.fields[c].dispJustType);
    }
    emit(text, out);
    if (out.size() > (1u << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  browser.CloseTable();
  return std::fflush(stdout) == 0 ? kOk : Fail(kFailed, "cannot write the output");
}

} // namespace vqtbl
