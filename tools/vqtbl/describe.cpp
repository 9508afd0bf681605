// The commands on descriptions: info, verify, create, copy-structure,
// write-config and print. The lists info shows are the library's own: each
// field, key and table is written into a grid by the library (DispDef, the
// lines its field and key lists show) and read back from there.
#include "field_text.h"
#include "host.h"

#include <vq_isa32.h>
#include <vqwin_print.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vqtbl {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// A grid window the library fills with list lines, read back cell by cell.
class ListGrid {
public:
  ListGrid() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "VqtblListParent";
    RegisterClassA(&wc);
    parent_ = CreateWindowExA(0, "VqtblListParent", "", WS_POPUP, 0, 0, 800, 400, nullptr, nullptr,
                              nullptr, nullptr);
    grid_ = CreateWindowExA(0, "CVQGridView32", "", WS_CHILD, 0, 0, 800, 400, parent_,
                            reinterpret_cast<HMENU>(1), nullptr, nullptr);
    view_ =
        grid_ ? reinterpret_cast<IGridView *>(SendMessageA(grid_, GM_GETINTERFACE, 0, 0)) : nullptr;
  }
  ~ListGrid() {
    if (parent_)
      DestroyWindow(parent_);
  }
  bool ok() const { return view_ != nullptr; }

  // Empties the grid and gives it `columns` columns and `lines` lines.
  void Reset(UINT columns, UINT lines) {
    view_->DeleteAllItems(FALSE);
    view_->SetColumnCount(columns, FALSE);
    for (UINT l = 0; l < lines; ++l)
      view_->InsertItem(l, 0, FALSE);
  }
  CGridDef Def() {
    CGridDef def(nullptr, ~0u, nullptr, 0, 0);
    def.hGrid = grid_;
    def.pGrid = view_;
    return def;
  }
  IGridView *view() { return view_; }

  // The lines as texts: numbers in decimal, empty items as "".
  Rows Read(UINT columns) {
    Rows rows;
    auto *g = static_cast<CGridView *>(view_);
    for (SGridLine *line = g->firstLine; line; line = line->next) {
      std::vector<std::string> row;
      for (UINT c = 0; c < columns; ++c) {
        const SGridElt *e = c < line->itemCount ? &line->items[c] : nullptr;
        if (!e || e->type == GIT_EMPTY)
          row.emplace_back();
        else if (e->type == GIT_TEXT)
          row.push_back(Cp1252ToUtf8(reinterpret_cast<const char *>(e->value)));
        else if (e->type == GIT_INT)
          row.push_back(std::to_string(int(e->value)));
        else
          row.push_back(
              std::to_string(ULONGLONG(e->value & 0xFFFFFFFFu) | (ULONGLONG(e->highValue) << 32)));
      }
      rows.push_back(std::move(row));
    }
    return rows;
  }

private:
  HWND parent_ = nullptr, grid_ = nullptr;
  IGridView *view_ = nullptr;
};

const std::vector<std::string> kFieldHeader = {"Nr",      "Name",    "Encoding",    "Offset",
                                               "Size",    "Content", "Format",      "Data just.",
                                               "Display", "Format",  "Disp. just.", "Width"};
const std::vector<std::string> kKeyHeader = {"Key", "Unique", "Sparse", "Reversed", "A4",
                                             "A5",  "Parts",  "Type",   "Field"};
// Columns holding numbers, right-aligned in text output.
const bool kFieldNumeric[12] = {1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1};
const bool kKeyNumeric[9] = {1, 1, 1, 1, 1, 1, 1, 0, 0};

Rows FieldRows(ListGrid &grid, CVQTableDesc &table) {
  grid.Reset(12, table.fields.count);
  CGridDef def = grid.Def();
  for (UINT i = 0; i < table.fields.count; ++i)
    table.DispFieldProperties(def, i);
  return grid.Read(12);
}

Rows KeyRows(ListGrid &grid, const CVQTableDesc &table) {
  UINT lines = 0;
  for (UINT k = 0; k < table.keys.count; ++k)
    lines += table.keys.keys[k].partCount;
  grid.Reset(9, lines);
  CGridDef def = grid.Def();
  UINT first = 0;
  for (UINT k = 0; k < table.keys.count; ++k) {
    table.keys.keys[k].DispDef(def, k, first);
    first += table.keys.keys[k].partCount;
  }
  // Lines after a key's first carry all ones where they show nothing.
  Rows rows = grid.Read(9);
  for (auto &row : rows)
    for (auto &cell : row)
      if (cell == "4294967295")
        cell.clear();
  return rows;
}

std::vector<std::string> TableRow(ListGrid &grid, CVQTableDesc &table) {
  grid.Reset(5, 1);
  table.DispDef(grid.view(), 0);
  return grid.Read(5)[0];
}

std::size_t Width(const std::string &s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    n += (c & 0xC0) != 0x80;
  return n;
}

void PrintAligned(const std::vector<std::string> &header, const Rows &rows, const bool *numeric) {
  std::vector<std::size_t> width(header.size());
  for (std::size_t c = 0; c < header.size(); ++c) {
    width[c] = Width(header[c]);
    for (const auto &r : rows)
      width[c] = std::max(width[c], Width(r[c]));
  }
  auto line = [&](const std::vector<std::string> &cells) {
    std::string out = " ";
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const std::string pad(width[c] - Width(cells[c]), ' ');
      out += ' ';
      out += numeric[c] ? pad + cells[c] : cells[c] + (c + 1 < cells.size() ? pad : "");
    }
    while (!out.empty() && out.back() == ' ')
      out.pop_back();
    std::printf("%s\n", out.c_str());
  };
  line(header);
  for (const auto &r : rows)
    line(r);
}

std::string Json(const std::string &s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(char(c));
    } else if (c < 0x20) {
      char b[8];
      std::snprintf(b, sizeof b, "\\u%04x", c);
      out += b;
    } else {
      out.push_back(char(c));
    }
  }
  return out + "\"";
}

void InfoText(ListGrid &grid, CVQTableDesc &t, bool first) {
  const auto summary = TableRow(grid, t);
  std::printf("%sTable \"%s\": %s fields, %s keys, record size %s, index node size %s\n\n",
              first ? "" : "\n", Cp1252ToUtf8(t.name).c_str(), summary[1].c_str(),
              summary[2].c_str(), summary[3].c_str(), summary[4].c_str());
  PrintAligned(kFieldHeader, FieldRows(grid, t), kFieldNumeric);
  if (t.keys.count) {
    std::printf("\n");
    PrintAligned(kKeyHeader, KeyRows(grid, t), kKeyNumeric);
  }
  if (t.gallery.enabled) {
    std::printf("\n  Gallery: layout %u, dia mode %u, dia size %u x %u\n", t.gallery.layout,
                t.gallery.diaMode, t.gallery.diaWidth, t.gallery.diaHeight);
    for (UINT i = 0; i < t.gallery.images.count; ++i)
      std::printf("  Image file name: %s\n",
                  Cp1252ToUtf8(t.gallery.images.images[i].imageName).c_str());
  }
}

void InfoCsv(ListGrid &grid, CVQTableDesc &t, bool first) {
  if (first)
    std::printf("table,nr,name,encoding,offset,size,content,content_format,data_justification,"
                "display,display_format,display_justification,width\r\n");
  std::string out;
  for (auto row : FieldRows(grid, t)) {
    row.insert(row.begin(), Cp1252ToUtf8(t.name));
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      const bool quote = row[i].find_first_of(",\"\r\n") != std::string::npos;
      std::string cell = row[i];
      if (quote) {
        std::string q = "\"";
        for (char c : cell)
          q += c == '"' ? std::string("\"\"") : std::string(1, c);
        cell = q + "\"";
      }
      line += (i ? "," : "") + cell;
    }
    out += line + "\r\n";
  }
  std::fputs(out.c_str(), stdout);
}

void InfoJson(ListGrid &grid, CVQTableDesc &t, bool first) {
  const auto summary = TableRow(grid, t);
  std::printf("%s\n    {\"name\": %s, \"indexNodeSize\": %u, \"recordSize\": %s,\n"
              "     \"fields\": [",
              first ? "" : ",", Json(Cp1252ToUtf8(t.name)).c_str(), t.indexNodeSize,
              summary[3].c_str());
  const Rows fields = FieldRows(grid, t);
  for (UINT i = 0; i < t.fields.count; ++i) {
    const CVQFieldDesc &f = t.fields.fields[i];
    const auto &r = fields[i];
    std::printf("%s\n       {\"name\": %s, \"offset\": %u, \"size\": %u, \"encodeType\": %d, "
                "\"encoding\": %s, \"contentType\": \"0x%04X\", \"content\": %s, "
                "\"contentFormat\": %s, \"dataJustification\": %s, \"displayType\": \"0x%04X\", "
                "\"display\": %s, \"displayFormat\": %s, \"displayJustification\": %s, "
                "\"width\": %u}",
                i ? "," : "", Json(r[1]).c_str(), f.offset, f.size, int(f.encodeType),
                Json(r[2]).c_str(), f.contentType, Json(r[5]).c_str(), Json(r[6]).c_str(),
                Json(r[7]).c_str(), f.displayType, Json(r[8]).c_str(), Json(r[9]).c_str(),
                Json(r[10]).c_str(), f.dispWidth);
  }
  std::printf("],\n     \"keys\": [");
  for (UINT k = 0; k < t.keys.count; ++k) {
    const CVQKeyDesc &key = t.keys.keys[k];
    std::printf("%s\n       {\"attributes\": [%u, %u, %u, %u, %u], \"parts\": [", k ? "," : "",
                key.attributes[0], key.attributes[1], key.attributes[2], key.attributes[3],
                key.attributes[4]);
    for (UINT p = 0; p < key.partCount; ++p) {
      const char *type = ISAMKeyType(key.parts[p].partType);
      std::printf("%s{\"type\": %s, \"field\": %s}", p ? ", " : "", Json(type ? type : "").c_str(),
                  Json(Cp1252ToUtf8(key.parts[p].fieldName)).c_str());
    }
    std::printf("]}");
  }
  std::printf("]");
  if (t.gallery.enabled) {
    std::printf(",\n     \"gallery\": {\"layout\": %u, \"diaMode\": %u, \"diaWidth\": %u, "
                "\"diaHeight\": %u, \"images\": [",
                t.gallery.layout, t.gallery.diaMode, t.gallery.diaWidth, t.gallery.diaHeight);
    for (UINT i = 0; i < t.gallery.images.count; ++i)
      std::printf("%s%s", i ? ", " : "",
                  Json(Cp1252ToUtf8(t.gallery.images.images[i].imageName)).c_str());
    std::printf("]}");
  }
  std::printf("}");
}

} // namespace

int CmdInfo(const Args &args) {
  const std::string format = args.Get("--format", "text");
  if (format != "text" && format != "csv" && format != "json")
    return Fail(kUsage, "--format is text, csv or json, not \"%s\"", format.c_str());
  const std::string &path = args.operands[0];
  CVQFileDesc file;
  if (int rc = OpenDescriptions(file, path))
    return rc;
  if (file.tables.count == 0)
    return Fail(kFailed, "%s: holds no table descriptions", path.c_str());
  std::vector<CVQTableDesc *> tables;
  if (args.operands.size() > 1) {
    CVQTableDesc *t = FindTable(file, path, args.operands[1]);
    if (!t)
      return kFailed;
    tables.push_back(t);
  } else {
    for (UINT i = 0; i < file.tables.count; ++i)
      tables.push_back(&file.tables.tables[i]);
  }
  ListGrid grid;
  if (!grid.ok())
    return Fail(kFailed, "the library's grid window cannot be made");
  if (format == "json")
    std::printf("{\"file\": %s, \"kind\": \"%s\", \"tables\": [", Json(path).c_str(),
                file.isIsamFile ? "isam" : "config");
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (format == "text")
      InfoText(grid, *tables[i], i == 0);
    else if (format == "csv")
      InfoCsv(grid, *tables[i], i == 0);
    else
      InfoJson(grid, *tables[i], i == 0);
  }
  if (format == "json")
    std::printf("\n  ]}\n");
  return kOk;
}

int CmdVerify(const Args &args) {
  const std::string &path = args.operands[0];
  CVQFileDesc file;
  if (int rc = OpenDescriptions(file, path))
    return rc;
  UINT bad = ~0u;
  if (!file.VerifyDesc(&bad)) {
    if (bad == ~0u)
      return Fail(kFailed, "%s: no table to verify", path.c_str());
    return Fail(kFailed, "%s: table \"%s\" does not verify", path.c_str(),
                Cp1252ToUtf8(file.tables.tables[bad].name).c_str());
  }
  std::printf("%s: %u tables verified\n", path.c_str(), file.tables.count);
  return kOk;
}

int CmdCreate(const Args &args) {
  const std::string &config = args.operands[0], &target = args.operands[1];
  CVQFileDesc file;
  if (int rc = OpenDescriptions(file, config))
    return rc;
  UINT bad = ~0u;
  if (!file.VerifyDesc(&bad))
    return Fail(kFailed, "%s: the descriptions do not verify; nothing created", config.c_str());
  NewFile out;
  if (int rc = out.Prepare(target, args.Has("--force")))
    return rc;
  if (!file.CreateISAMFile(nullptr, out.temp().c_str()))
    return Fail(kFailed, "%s: the ISAM file could not be created", target.c_str());
  if (int rc = out.Commit())
    return rc;
  std::printf("%s: created with %u tables\n", target.c_str(), file.tables.count);
  return kOk;
}

int CmdCopyStructure(const Args &args) {
  const std::string &source = args.operands[0], &target = args.operands[1];
  CVQFileDesc file;
  if (int rc = OpenIsamDescriptions(file, source))
    return rc;
  NewFile out;
  if (int rc = out.Prepare(target, args.Has("--force")))
    return rc;
  if (!file.CopyISAMStructure(source.c_str(), out.temp().c_str()))
    return Fail(kFailed, "%s: the structure could not be copied", target.c_str());
  if (int rc = out.Commit())
    return rc;
  std::printf("%s: created with the %u tables of %s, no records\n", target.c_str(),
              file.tables.count, source.c_str());
  return kOk;
}

int CmdWriteConfig(const Args &args) {
  const std::string &source = args.operands[0], &target = args.operands[1];
  CVQFileDesc file;
  if (int rc = OpenIsamDescriptions(file, source))
    return rc;
  NewFile out;
  if (int rc = out.Prepare(target, args.Has("--force"), ".cfg"))
    return rc;
  if (out.temp().size() >= sizeof file.fileName)
    return Fail(kFailed, "%s: the path is too long", target.c_str());
  // The descriptions, now of a new configuration file.
  CVQFileDesc config(file);
  CopyText(config.fileName, sizeof config.fileName, out.temp().c_str());
  config.isIsamFile = 0;
  config.isReadOnly = 0;
  config.isNewConfig = 1;
  if (!config.WriteDesc())
    return Fail(kFailed, "%s: the configuration file could not be written", target.c_str());
  if (int rc = out.Commit())
    return rc;
  std::printf("%s: %u tables written\n", target.c_str(), file.tables.count);
  return kOk;
}

int CmdEdit(const Args &args) {
  const std::string &path = args.operands[0];
  CVQFileDesc file;
  if (int rc = OpenDescriptions(file, path))
    return rc;
  if (file.isIsamFile)
    return Fail(kFailed,
                "%s: an ISAM file keeps its descriptions; edit works on configuration files",
                path.c_str());
  if (file.isReadOnly)
    return Fail(kFailed, "%s: the file is read-only", path.c_str());
  CVQTableDesc *table = FindTable(file, path, args.operands[1]);
  if (!table)
    return kFailed;
  const int answer = table->PropertySheetA(nullptr, 0x07, 0);
  if (answer != 1) {
    std::printf("%s: not changed\n", path.c_str());
    return kOk;
  }
  NewFile out;
  if (int rc = out.Prepare(path, true, ".cfg"))
    return rc;
  if (out.temp().size() >= sizeof file.fileName)
    return Fail(kFailed, "%s: the path is too long", path.c_str());
  CopyText(file.fileName, sizeof file.fileName, out.temp().c_str());
  file.isNewConfig = 1;
  if (!file.WriteDesc())
    return Fail(kFailed, "%s: the configuration file could not be written", path.c_str());
  if (int rc = out.Commit())
    return rc;
  std::printf("%s: table \"%s\" written, %u fields, %u keys\n", path.c_str(),
              Cp1252ToUtf8(table->name).c_str(), table->fields.count, table->keys.count);
  return kOk;
}

int CmdPrint(const Args &args) {
  const std::string &path = args.operands[0];
  if (!args.Has("--pdf"))
    return Fail(kUsage, "print needs --pdf OUT.pdf");
  const std::string target = args.Get("--pdf");
  CVQFileDesc file;
  if (int rc = OpenDescriptions(file, path))
    return rc;
  CVQTableDesc *table = FindTable(file, path, args.operands[1]);
  if (!table)
    return kFailed;
  NewFile out;
  if (int rc = out.Prepare(target, args.Has("--force")))
    return rc;
  if (!vqwinSetPrintOutput(out.temp().c_str()))
    return Fail(kFailed, "%s: the path is too long", target.c_str());
  if (!table->PrintFieldList(nullptr))
    return Fail(kFailed, "the field list could not be printed");
  const UINT pages = vqwinGetLastPrintPages();
  if (int rc = out.Commit())
    return rc;
  std::printf("%s: field list of \"%s\", %u page%s\n", target.c_str(),
              Cp1252ToUtf8(table->name).c_str(), pages, pages == 1 ? "" : "s");
  return kOk;
}

} // namespace vqtbl
