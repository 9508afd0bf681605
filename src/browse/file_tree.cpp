// The file tree's scan: every directory below the start (one drive, or all
// drives of the workstation) is searched once, in the order it was found,
// its subdirectories appended to the list being walked and its files
// collected, both in buffer pools whose records never move. Then both
// tables are made contiguous and sorted, the parents renumbered and the
// file counts summed up the tree.
//
// What the scan leaves out, each with a log line: entries whose path would
// pass 259 characters, names that cannot be used in a path here (a
// character the code page cannot carry arrives as '?'), links to
// directories (following them could loop; the directory they lead to is
// scanned where it lies) and, through "No files found", directories that
// cannot be read. A file that vanishes while it is listed is not reported
// by the system at all.
#include "browse/file_tree.h"
#include "frame/library.h"

#include <algorithm>
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

// The file order of `count` records reached through `at`, each in the bucket
// `bucketOf` gives it (BucketOf of its directory and shown flag): one counting pass
// puts them into buckets by shown flag and directory, and only each bucket
// is sorted by name, so the comparisons stay among a directory's files.
template <class At, class Bucket>
std::vector<UINT> FileOrder(UINT count, UINT dirCount, At at, Bucket bucketOf, bool descending) {
  std::vector<UINT> start(size_t(2) * (dirCount + 1) + 1, 0);
  for (UINT i = 0; i < count; ++i)
    ++start[bucketOf(i) + 1];
  for (size_t b = 1; b < start.size(); ++b)
    start[b] += start[b - 1];
  std::vector<UINT> order(count), next(start.begin(), start.end() - 1);
  for (UINT i = 0; i < count; ++i)
    order[next[bucketOf(i)]++] = i;
  for (size_t b = 0; b + 1 < start.size(); ++b)
    if (start[b + 1] - start[b] > 1)
      std::sort(order.begin() + start[b], order.begin() + start[b + 1],
                [&at, descending](UINT x, UINT y) {
                  const SFileTreeFile &a = at(x), &c = at(y);
                  const int r = CompareNames(a.path + a.nameOffset, c.path + c.nameOffset);
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
  const auto at = [files](UINT i) -> const SFileTreeFile & { return files[i]; };
  const auto order = FileOrder(
      count, dirCount, at,
      [files, dirCount](UINT i) { return BucketOf(files[i].directory, files[i].shown, dirCount); },
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

// The records of one scan while it runs. Directory records are reached by
// pointer, in order of discovery, so walking them costs nothing per step.
struct Scan {
  const CVQFileType *types;
  CVQBuffPool dirPool{sizeof(SFileTreeDir)};
  CVQBuffPool filePool{sizeof(SFileTreeFile)};
  std::vector<SFileTreeDir *> found;
  std::vector<SFileTreeFile *> fileRecs;
  // Directory and shown flag of each record, side by side, so ordering the
  // files into buckets need not visit the records themselves.
  std::vector<UINT> fileDirs;
  std::vector<bool> fileShown;
  UINT files = 0, shown = 0;

  explicit Scan(const CVQFileType *t) : types(t) {}

  SFileTreeDir *NewDir() {
    auto *rec = static_cast<SFileTreeDir *>(dirPool.alloc());
    if (rec)
      found.push_back(rec);
    return rec;
  }

  bool AddDir(UINT k, const SFileTreeDir &parent, const char *name) {
    const UINT nameLength = UINT(std::strlen(name));
    if (parent.pathLength + nameLength + 1 >= kMaxPath) {
      theLibrary.PrtLog(VQLOG_WARNING, kTag, "Size of name exceeds name buffer: %u + %u to %u",
                        parent.pathLength, nameLength, kMaxPath);
      return true;
    }
    SFileTreeDir *rec = NewDir();
    if (!rec) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on allocating a directory record");
      return false;
    }
    rec->browseNumber = UINT(found.size() - 1);
    rec->parent = k;
    rec->nameOffset = parent.pathLength;
    std::memcpy(rec->path, parent.path, parent.pathLength);
    std::memcpy(rec->path + parent.pathLength, name, nameLength);
    rec->path[parent.pathLength + nameLength] = '\\';
    rec->pathLength = parent.pathLength + nameLength + 1;
    theLibrary.PrtLog(VQLOG_TRACE, kTag, "iDir = %u in %u, dir found: %s", rec->browseNumber, k,
                      rec->path);
    return true;
  }

  bool AddFile(UINT k, const SFileTreeDir &parent, const WIN32_FIND_DATAA &data) {
    const UINT nameLength = UINT(std::strlen(data.cFileName));
    bool visible = true;
    if (types) {
      const FILETYPESTATE state = types->GetState(data.cFileName, nameLength);
      if (state == FTS_NOTLISTED)
        return true;
      visible = state == FTS_CHOSEN;
    }
    if (parent.pathLength + nameLength >= kMaxPath) {
      theLibrary.PrtLog(VQLOG_WARNING, kTag, "Filename exceeds buffer size");
      return true;
    }
    auto *rec = static_cast<SFileTreeFile *>(filePool.alloc());
    if (!rec) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory for a file record available");
      return false;
    }
    rec->directory = k;
    rec->shown = visible ? 1 : 0;
    rec->nameOffset = parent.pathLength;
    rec->pathLength = parent.pathLength + nameLength;
    rec->size = (ULONGLONG(data.nFileSizeHigh) << 32) + data.nFileSizeLow;
    rec->writeTime = data.ftLastWriteTime;
    std::memcpy(rec->path, parent.path, parent.pathLength);
    std::memcpy(rec->path + parent.pathLength, data.cFileName, nameLength + 1);
    fileRecs.push_back(rec);
    fileDirs.push_back(k);
    fileShown.push_back(visible);
    ++files;
    shown += visible;
    return true;
  }

  // One directory's entries; false when a record could not be had.
  bool Search(UINT k) {
    const SFileTreeDir &dir = *found[k];
    char pattern[kMaxPath + 4];
    std::memcpy(pattern, dir.path, dir.pathLength);
    std::memcpy(pattern + dir.pathLength, "*.*", 4);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) {
      theLibrary.PrtLog(VQLOG_TRACE, kTag, "No files found for %s", pattern);
      return true;
    }
    theLibrary.PrtLog(VQLOG_TRACE, kTag, "Search directory %u of %u, path = %s", k,
                      UINT(found.size()), pattern);
    bool ok = true;
    do {
      const char *name = data.cFileName;
      const bool isDir = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      if (isDir && (!std::strcmp(name, ".") || !std::strcmp(name, "..")))
        continue;
      if (!IsUsableName(name)) {
        theLibrary.PrtLog(VQLOG_WARNING, kTag, "Name not usable in a path: %s%s", dir.path, name);
        continue;
      }
      if (isDir && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        theLibrary.PrtLog(VQLOG_TRACE, kTag, "Directory link not followed: %s%s", dir.path, name);
        continue;
      }
      // `dir` stays valid: pool records never move.
      ok = isDir ? AddDir(k, dir, name) : AddFile(k, dir, data);
    } while (ok && FindNextFileA(search, &data));
    FindClose(search);
    return ok;
  }
};

// The path order of the directories found, record 0 first. A directory's
// children were found together, so they lie side by side in `found`; as no
// name holds a '\', paths compare as their first differing names do, and
// the order is the walk of the tree with each family sorted by name. That
// compares short names instead of long shared prefixes. Names alike but for
// case interleave their subtrees, so such a run of names takes all their
// subtrees sorted by the whole path.
std::vector<UINT> DirOrder(const std::vector<SFileTreeDir *> &d) {
  const UINT n = UINT(d.size());
  std::vector<UINT> order(n);
  for (UINT i = 0; i < n; ++i)
    order[i] = i;
  const auto byPath = [&d](UINT x, UINT y) {
    return CompareDirPaths(d[x]->path, d[x]->pathLength, d[y]->path, d[y]->pathLength) < 0;
  };
  std::vector<UINT> first(n, kNone), end(n, 0);
  bool walkable = n > 0 && d[0]->parent == kNone;
  for (UINT i = 1; walkable && i < n; ++i) {
    const UINT p = d[i]->parent;
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
  const auto byName = [&d](UINT x, UINT y) {
    const SFileTreeDir &a = *d[x], &b = *d[y];
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
// The pool's records are copied straight to their sorted places.
bool MakeDirTable(CVQFileTree &tree, Scan &scan, std::vector<UINT> &moved) {
  const UINT n = UINT(scan.found.size());
  tree.dirs = new (std::nothrow) SFileTreeDir[n];
  if (!tree.dirs) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag,
                      "Not enough free memory for the directory table available");
    return false;
  }
  tree.dirCount = n;
  const std::vector<UINT> order = DirOrder(scan.found);
  moved.assign(n, 0);
  for (UINT i = 0; i < n; ++i) {
    moved[order[i]] = i;
    tree.dirs[i] = *scan.found[order[i]];
  }
  scan.found.clear();
  scan.dirPool.free();
  for (UINT i = 0; i < n; ++i)
    if (tree.dirs[i].parent != kNone)
      tree.dirs[i].parent = moved[tree.dirs[i].parent];
  return true;
}

bool MakeFileTable(CVQFileTree &tree, Scan &scan, const std::vector<UINT> &moved) {
  tree.fileCapacity = scan.files;
  tree.files = new (std::nothrow) SFileTreeFile[scan.files ? scan.files : 1];
  if (!tree.files) {
    tree.fileCapacity = 0;
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory for the filename table available");
    return false;
  }
  for (UINT &d : scan.fileDirs) {
    d = moved[d];
    ++tree.dirs[d].fileCount;
  }
  const auto &recs = scan.fileRecs;
  const UINT dirCount = tree.dirCount;
  const auto order = FileOrder(
      scan.files, dirCount, [&recs](UINT i) -> const SFileTreeFile & { return *recs[i]; },
      [&scan, dirCount](UINT i) { return BucketOf(scan.fileDirs[i], scan.fileShown[i], dirCount); },
      false);
  for (UINT i = 0; i < scan.files; ++i) {
    tree.files[i] = *recs[order[i]];
    tree.files[i].directory = scan.fileDirs[order[i]];
  }
  scan.fileRecs.clear();
  scan.filePool.free();
  tree.fileCount = scan.shown;
  SumTreeCounts(tree.dirs, tree.dirCount);
  return true;
}

BOOL RunScan(CVQFileTree &tree, Scan &scan, UINT start) {
  for (UINT k = start; k < scan.found.size(); ++k)
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
  SFileTreeDir *first = scan.NewDir();
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
  SFileTreeDir *first = scan.NewDir();
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
    SFileTreeDir *rec = scan.NewDir();
    if (!rec) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on allocating the first directory record");
      return FALSE;
    }
    CopyText(rec->path, sizeof rec->path - 1, drive.root);
    rec->pathLength = AppendCharIfMissing(rec->path, '\\');
    rec->browseNumber = UINT(scan.found.size() - 1);
    rec->parent = 0;
  }
  return RunScan(*this, scan, 1);
}

void CVQFileTree::free() {
  delete[] dirs;
  delete[] files;
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
