// The file tree's scan: every directory below the start (one drive, or all
// drives of the workstation) is searched once, in the order it was found,
// its subdirectories appended to the directory table being walked and its
// files collected in brief. Then the directory table is sorted where it
// lies, the parents renumbered, each file record written at its sorted
// place and the file counts summed up the tree.
//
// What the scan leaves out, each with a log line: entries whose path would
// pass 259 characters, names that cannot be used in a path here (a
// character the code page cannot carry arrives as '?'), links to
// directories (following them could loop; the directory they lead to is
// scanned where it lies), entries that vanish between the listing of their
// directory and the reading of their data, and, through "No files found",
// directories that cannot be read.
#include "browse/file_tree.h"
#include "frame/library.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace vqbrowse {
namespace {

struct FoldTable {
  unsigned char lower[256];
  FoldTable() {
    for (int i = 0; i < 256; ++i)
      lower[i] = (i >= 'A' && i <= 'Z') ? (unsigned char)(i + 32) : (unsigned char)i;
  }
};
const FoldTable kFold;

inline unsigned char Fold(char c) { return kFold.lower[static_cast<unsigned char>(c)]; }

// Puts records into the order given (order[new] = old) in place, one cycle
// at a time, so a table of many files needs one spare record, not a copy.
void ApplyOrder(BYTE *base, size_t size, const std::vector<UINT> &order) {
  std::vector<bool> placed(order.size(), false);
  std::vector<BYTE> spare(size);
  for (size_t start = 0; start < order.size(); ++start) {
    if (placed[start] || order[start] == start) {
      placed[start] = true;
      continue;
    }
    std::memcpy(spare.data(), base + start * size, size);
    size_t at = start;
    while (order[at] != start) {
      std::memcpy(base + at * size, base + size_t(order[at]) * size, size);
      placed[at] = true;
      at = order[at];
    }
    std::memcpy(base + at * size, spare.data(), size);
    placed[at] = true;
  }
}

// Shown files first, each part by directory.
inline UINT BucketOf(UINT directory, bool shown, UINT dirCount) {
  const UINT d = std::min(directory, dirCount);
  return shown ? d : dirCount + 1 + d;
}

// The file order of files by `bucket[i]`, file i's BucketOf, and the name
// `nameOf(i)` gives: one counting pass puts them into buckets by shown flag
// and directory, and only each bucket is sorted by name, so the
// comparisons stay among a directory's files.
template <class NameOf>
std::vector<UINT> FileOrder(const std::vector<UINT> &bucket, UINT dirCount, NameOf nameOf,
                            bool descending) {
  const UINT count = UINT(bucket.size());
  std::vector<UINT> start(size_t(2) * (dirCount + 1) + 1, 0);
  for (UINT i = 0; i < count; ++i)
    ++start[bucket[i] + 1];
  for (size_t b = 1; b < start.size(); ++b)
    start[b] += start[b - 1];
  std::vector<UINT> order(count), next(start.begin(), start.end() - 1);
  for (UINT i = 0; i < count; ++i)
    order[next[bucket[i]]++] = i;
  for (size_t b = 0; b + 1 < start.size(); ++b)
    if (start[b + 1] - start[b] > 1)
      std::sort(order.begin() + start[b], order.begin() + start[b + 1],
                [&nameOf, descending](UINT x, UINT y) {
                  const int r = CompareNames(nameOf(x), nameOf(y));
                  return descending ? r > 0 : r < 0;
                });
  return order;
}

} // namespace

int CompareFolded(const char *a, const char *b, UINT length) {
  for (UINT i = 0; i < length; ++i)
    if (Fold(a[i]) != Fold(b[i]))
      return Fold(a[i]) < Fold(b[i]) ? -1 : 1;
  return 0;
}

int CompareNames(const char *a, const char *b) {
  for (;; ++a, ++b) {
    const unsigned char x = Fold(*a), y = Fold(*b);
    if (x != y)
      return x < y ? -1 : 1;
    if (!x)
      return 0;
  }
}

int CompareDirPaths(const char *a, UINT aLength, const char *b, UINT bLength) {
  if (const int c = CompareFolded(a, b, std::min(aLength, bLength)))
    return c;
  return aLength == bLength ? 0 : aLength < bLength ? -1 : 1;
}

void SortFiles(SFileTreeFile *files, UINT count, UINT dirCount, bool descending) {
  if (count < 2)
    return;
  std::vector<UINT> bucket(count);
  for (UINT i = 0; i < count; ++i)
    bucket[i] = BucketOf(files[i].directory, files[i].shown, dirCount);
  const auto order = FileOrder(
      bucket, dirCount, [files](UINT i) { return files[i].path + files[i].nameOffset; },
      descending);
  ApplyOrder(reinterpret_cast<BYTE *>(files), sizeof *files, order);
}

void SumTreeCounts(SFileTreeDir *dirs, UINT count) {
  for (UINT i = 0; i < count; ++i)
    dirs[i].treeFileCount = 0;
  for (UINT i = count; i-- > 0;) {
    dirs[i].treeFileCount += dirs[i].fileCount;
    if (dirs[i].parent < count)
      dirs[dirs[i].parent].treeFileCount += dirs[i].treeFileCount;
  }
}

UINT FindDirectory(const SFileTreeDir *dirs, UINT count, const char *path, UINT length) {
  if (!dirs || count == 0)
    return kNone;
  return FindSorted(count, [&](UINT i) {
    return CompareDirPaths(path, length, dirs[i].path, dirs[i].pathLength);
  });
}

} // namespace vqbrowse

using namespace vqbrowse;

namespace {

// Characters a path of this library cannot carry: the code page's '?' for
// what it has no byte for, the jokers and the separators.
bool IsUsableName(const char *name) { return !std::strpbrk(name, "?*<>\"|\\"); }

// Directory records written where the tree will keep them: a block grown by
// doubling (which the C library remaps rather than copies once it is
// large), sorted in place at the end.
template <class Rec> struct Growing {
  Rec *at = nullptr;
  UINT count = 0, capacity = 0;

  Growing() = default;
  Growing(const Growing &) = delete;
  Growing &operator=(const Growing &) = delete;
  ~Growing() { std::free(at); }

  // A zeroed record at the end, or null when memory is short.
  Rec *Add() {
    if (count == capacity) {
      const UINT grown = capacity ? capacity * 2 : 64;
      if (grown <= capacity)
        return nullptr;
      auto *moved = static_cast<Rec *>(std::realloc(at, size_t(grown) * sizeof(Rec)));
      if (!moved)
        return nullptr;
      at = moved;
      capacity = grown;
    }
    Rec *rec = at + count++;
    std::memset(rec, 0, sizeof *rec);
    return rec;
  }
  // Hands the records over, the block cut to their number.
  Rec *Release() {
    if (count && count < capacity)
      if (auto *cut = static_cast<Rec *>(std::realloc(at, size_t(count) * sizeof(Rec))))
        at = cut;
    Rec *out = at;
    at = nullptr;
    count = capacity = 0;
    return out;
  }
};

// What the scan keeps of a file until the file table is made, each record
// then written once, at its sorted place: a sixth of a record, so the scan
// does not hold every file twice (in pools and in the table) and sorting
// moves small entries instead of records.
struct FoundFile {
  ULONGLONG size;
  FILETIME writeTime;
  UINT directory; // in order of discovery
  UINT name;      // offset in Scan::names
  UINT nameLength;
  bool shown;
};

// The records of one scan while it runs, directories in order of discovery.
struct Scan {
  const CVQFileType *types;
  Growing<SFileTreeDir> dirs;
  std::vector<FoundFile> files;
  std::vector<char> names; // the files' names, each with its terminator
  UINT shown = 0;

  explicit Scan(const CVQFileType *t) : types(t) {}

  // `parent` is a copy of the parent's path: a new record may move the table.
  bool AddDir(UINT k, const char *parent, UINT parentLength, const char *name) {
    const UINT nameLength = UINT(std::strlen(name));
    if (parentLength + nameLength + 1 >= kMaxPath) {
      theLibrary.PrtLog(VQLOG_WARNING, kTag, "Size of name exceeds name buffer: %u + %u to %u",
                        parentLength, nameLength, kMaxPath);
      return true;
    }
    SFileTreeDir *rec = dirs.Add();
    if (!rec) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on allocating a directory record");
      return false;
    }
    rec->browseNumber = dirs.count - 1;
    rec->parent = k;
    rec->nameOffset = parentLength;
    std::memcpy(rec->path, parent, parentLength);
    std::memcpy(rec->path + parentLength, name, nameLength);
    rec->path[parentLength + nameLength] = '\\';
    rec->pathLength = parentLength + nameLength + 1;
    theLibrary.PrtLog(VQLOG_TRACE, kTag, "iDir = %u in %u, dir found: %s", rec->browseNumber, k,
                      rec->path);
    return true;
  }

  bool AddFile(UINT k, UINT parentLength, const WIN32_FIND_DATAA &data) {
    const UINT nameLength = UINT(std::strlen(data.cFileName));
    bool visible = true;
    if (types) {
      const FILETYPESTATE state = types->GetState(data.cFileName, nameLength);
      if (state == FTS_NOTLISTED)
        return true;
      visible = state == FTS_CHOSEN;
    }
    if (parentLength + nameLength >= kMaxPath) {
      theLibrary.PrtLog(VQLOG_WARNING, kTag, "Filename exceeds buffer size");
      return true;
    }
    try {
      files.push_back(FoundFile{(ULONGLONG(data.nFileSizeHigh) << 32) + data.nFileSizeLow,
                                data.ftLastWriteTime, k, UINT(names.size()), nameLength, visible});
      names.insert(names.end(), data.cFileName, data.cFileName + nameLength + 1);
    } catch (const std::bad_alloc &) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory for a file record available");
      return false;
    }
    shown += visible;
    return true;
  }

  // A search hands out what the directory listed; an entry deleted after
  // that comes without a write time (no file has the first tick of 1601),
  // and only such an entry is asked again whether it still exists. One that
  // is gone is left out with a log line, one that is there is kept.
  static bool Vanished(const char *path, UINT length, const WIN32_FIND_DATAA &data) {
    if (data.ftLastWriteTime.dwLowDateTime || data.ftLastWriteTime.dwHighDateTime)
      return false;
    char full[kMaxPath * 2];
    std::memcpy(full, path, length);
    CopyText(full + length, sizeof full - length, data.cFileName);
    if (GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES)
      return false;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      return false;
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Vanished during the scan: %s", full);
    return true;
  }

  // One directory's entries; false when a record could not be had.
  bool Search(UINT k) {
    char path[kMaxPath + 4];
    const UINT length = dirs.at[k].pathLength;
    std::memcpy(path, dirs.at[k].path, length);
    std::memcpy(path + length, "*.*", 4);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path, &data);
    if (search == INVALID_HANDLE_VALUE) {
      theLibrary.PrtLog(VQLOG_TRACE, kTag, "No files found for %s", path);
      return true;
    }
    theLibrary.PrtLog(VQLOG_TRACE, kTag, "Search directory %u of %u, path = %s", k, dirs.count,
                      path);
    path[length] = '\0';
    bool ok = true;
    do {
      const char *name = data.cFileName;
      const bool isDir = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      if (isDir && (!std::strcmp(name, ".") || !std::strcmp(name, "..")))
        continue;
      if (!IsUsableName(name)) {
        theLibrary.PrtLog(VQLOG_WARNING, kTag, "Name not usable in a path: %s%s", path, name);
        continue;
      }
      if (isDir && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        theLibrary.PrtLog(VQLOG_TRACE, kTag, "Directory link not followed: %s%s", path, name);
        continue;
      }
      if (Vanished(path, length, data))
        continue;
      ok = isDir ? AddDir(k, path, length, name) : AddFile(k, length, data);
    } while (ok && FindNextFileA(search, &data));
    FindClose(search);
    return ok;
  }
};

// The path order of the directories found, record 0 first. A directory's
// children were found together, so they lie side by side in the table; as
// no name holds a '\', paths compare as their first differing names do, and
// the order is the walk of the tree with each family sorted by name. That
// compares short names instead of long shared prefixes. Names alike but for
// case interleave their subtrees, so such a run of names takes all their
// subtrees sorted by the whole path.
std::vector<UINT> DirOrder(const SFileTreeDir *d, UINT n) {
  std::vector<UINT> order(n);
  for (UINT i = 0; i < n; ++i)
    order[i] = i;
  const auto byPath = [d](UINT x, UINT y) {
    return CompareDirPaths(d[x].path, d[x].pathLength, d[y].path, d[y].pathLength) < 0;
  };
  std::vector<UINT> first(n, kNone), end(n, 0);
  bool walkable = n > 0 && d[0].parent == kNone;
  for (UINT i = 1; walkable && i < n; ++i) {
    const UINT p = d[i].parent;
    walkable = p < i && (first[p] == kNone || end[p] == i);
    if (walkable && first[p] == kNone)
      first[p] = i;
    end[p] = i + 1;
  }
  if (n < 3 || !walkable) {
    if (n >= 3)
      std::sort(order.begin() + 1, order.end(), byPath);
    return order;
  }
  const auto byName = [d](UINT x, UINT y) {
    const SFileTreeDir &a = d[x], &b = d[y];
    return CompareDirPaths(a.path + a.nameOffset, a.pathLength - a.nameOffset,
                           b.path + b.nameOffset, b.pathLength - b.nameOffset);
  };
  for (UINT p = 0; p < n; ++p)
    if (first[p] != kNone && end[p] - first[p] > 1)
      std::sort(order.begin() + first[p], order.begin() + end[p],
                [&byName](UINT x, UINT y) { return byName(x, y) < 0; });
  // Depth first: a stack of the next place to take in each open family.
  std::vector<UINT> walked, run;
  walked.reserve(n);
  walked.push_back(0);
  std::vector<std::pair<UINT, UINT>> stack;
  if (first[0] != kNone)
    stack.emplace_back(first[0], end[0]);
  while (!stack.empty()) {
    const auto [at, stop] = stack.back();
    if (at == stop) {
      stack.pop_back();
      continue;
    }
    UINT last = at;
    while (last + 1 < stop && byName(order[last], order[last + 1]) == 0)
      ++last;
    stack.back().first = last + 1;
    if (last == at) {
      walked.push_back(order[at]);
      if (first[order[at]] != kNone)
        stack.emplace_back(first[order[at]], end[order[at]]);
      continue;
    }
    run.assign(order.begin() + at, order.begin() + last + 1);
    for (size_t i = 0; i < run.size(); ++i)
      if (first[run[i]] != kNone)
        run.insert(run.end(), order.begin() + first[run[i]], order.begin() + end[run[i]]);
    std::sort(run.begin(), run.end(), byPath);
    walked.insert(walked.end(), run.begin(), run.end());
  }
  return walked;
}

// The sorted directory table: records 1 to the end by path, the first one
// kept first, parents renumbered. `moved[old]` is each record's new place.
// The records are sorted where they lie; only the order needs memory here.
bool MakeDirTable(CVQFileTree &tree, Scan &scan, std::vector<UINT> &moved) {
  const UINT n = scan.dirs.count;
  try {
    const std::vector<UINT> order = DirOrder(scan.dirs.at, n);
    moved.assign(n, 0);
    for (UINT i = 0; i < n; ++i)
      moved[order[i]] = i;
    ApplyOrder(reinterpret_cast<BYTE *>(scan.dirs.at), sizeof(SFileTreeDir), order);
  } catch (const std::bad_alloc &) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag,
                      "Not enough free memory for the directory table available");
    return false;
  }
  tree.dirs = scan.dirs.Release();
  tree.dirCount = n;
  for (UINT i = 0; i < n; ++i)
    if (tree.dirs[i].parent != kNone)
      tree.dirs[i].parent = moved[tree.dirs[i].parent];
  return true;
}

bool MakeFileTable(CVQFileTree &tree, Scan &scan, const std::vector<UINT> &moved) {
  const UINT n = UINT(scan.files.size());
  SFileTreeFile *files =
      static_cast<SFileTreeFile *>(std::malloc(size_t(n ? n : 1) * sizeof(SFileTreeFile)));
  std::vector<UINT> order;
  try {
    if (files) {
      std::vector<UINT> bucket(n);
      for (UINT i = 0; i < n; ++i) {
        FoundFile &f = scan.files[i];
        f.directory = moved[f.directory];
        ++tree.dirs[f.directory].fileCount;
        bucket[i] = BucketOf(f.directory, f.shown, tree.dirCount);
      }
      const char *names = scan.names.data();
      order = FileOrder(
          bucket, tree.dirCount, [&scan, names](UINT i) { return names + scan.files[i].name; },
          false);
    }
  } catch (const std::bad_alloc &) {
    std::free(files);
    files = nullptr;
  }
  if (!files) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory for the filename table available");
    return false;
  }
  if (!n)
    std::memset(files, 0, sizeof *files);
  for (UINT i = 0; i < n; ++i) {
    const FoundFile &f = scan.files[order[i]];
    const SFileTreeDir &dir = tree.dirs[f.directory];
    SFileTreeFile &rec = files[i];
    std::memset(&rec, 0, sizeof rec);
    rec.directory = f.directory;
    rec.shown = f.shown ? 1 : 0;
    rec.nameOffset = dir.pathLength;
    rec.pathLength = dir.pathLength + f.nameLength;
    rec.size = f.size;
    rec.writeTime = f.writeTime;
    std::memcpy(rec.path, dir.path, dir.pathLength);
    std::memcpy(rec.path + dir.pathLength, scan.names.data() + f.name, f.nameLength + 1);
  }
  tree.files = files;
  tree.fileCapacity = n;
  tree.fileCount = scan.shown;
  SumTreeCounts(tree.dirs, tree.dirCount);
  return true;
}

BOOL RunScan(CVQFileTree &tree, Scan &scan, UINT start) {
  for (UINT k = start; k < scan.dirs.count; ++k)
    if (!scan.Search(k))
      return FALSE;
  std::vector<UINT> moved;
  return MakeDirTable(tree, scan, moved) && MakeFileTable(tree, scan, moved);
}

} // namespace

BOOL CVQFileTree::BrowseDrive(const char *path, const CVQFileType *types) {
  startPath = path;
  theLibrary.PrtLog(VQLOG_TRACE, kTag, "BrowseDrive for %s", path ? path : "");
  const UINT length = path ? UINT(std::strlen(path)) : 0;
  if (length == 0 || length + 1 >= kMaxPath) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Size of name exceeds name buffer: %u + %u to %u", 0u,
                      length, kMaxPath);
    return FALSE;
  }
  Scan scan(types);
  SFileTreeDir *first = scan.dirs.Add();
  if (!first) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on allocating the first directory record");
    return FALSE;
  }
  std::memcpy(first->path, path, length + 1);
  first->pathLength = AppendCharIfMissing(first->path, '\\');
  first->parent = kNone;
  return RunScan(*this, scan, 0);
}

BOOL CVQFileTree::BrowseStation(const CVQFileType *types) {
  theLibrary.PrtLog(VQLOG_TRACE, kTag, "Initialize the workstation browser");
  CVQWorkstation workstation;
  if (!workstation.Browse("\\\\.\\", 0)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on browsing the local drives");
    return FALSE;
  }
  Scan scan(types);
  SFileTreeDir *first = scan.dirs.Add();
  if (!first) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on allocating the first directory record");
    return FALSE;
  }
  std::memcpy(first->path, "Workstation", 12);
  first->pathLength = 11;
  first->parent = kNone;
  for (UINT i = 0; i < workstation.count; ++i) {
    const SDriveRec &drive = workstation.table[i];
    if (!drive.volumeValid)
      continue;
    SFileTreeDir *rec = scan.dirs.Add();
    if (!rec) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on allocating the first directory record");
      return FALSE;
    }
    CopyText(rec->path, sizeof rec->path - 1, drive.root);
    rec->pathLength = AppendCharIfMissing(rec->path, '\\');
    rec->browseNumber = scan.dirs.count - 1;
    rec->parent = 0;
  }
  return RunScan(*this, scan, 1);
}

void CVQFileTree::free() {
  std::free(dirs);
  std::free(files);
  dirs = nullptr;
  files = nullptr;
  dirCount = fileCapacity = fileCount = 0;
}

void CVQFileTree::reorg() {
  for (UINT i = 0; i < dirCount; ++i)
    dirs[i].fileCount = dirs[i].treeFileCount = 0;
  fileCount = 0;
  for (UINT i = 0; i < fileCapacity; ++i)
    fileCount += files[i].shown ? 1 : 0;
  SortFiles(files, fileCapacity, dirCount, false);
  for (UINT i = 0; i < fileCount; ++i)
    if (files[i].directory < dirCount)
      ++dirs[files[i].directory].fileCount;
  SumTreeCounts(dirs, dirCount);
}
