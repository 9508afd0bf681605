// Keeping a scanned file tree in step with the host: searches by path and
// by pattern, the host's delete, rename, move and copy (the tables are
// changed, never the files: the host has done that already), tree-view
// items, the name sort and the marks.
#include "browse/file_tree.h"
#include "frame/library.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace vqbrowse;

namespace {

// Adds `delta` to the tree file counts of every directory above `dir`.
void AdjustAncestors(SFileTreeDir *dirs, UINT count, UINT dir, int delta) {
  for (UINT p = dirs[dir].parent; p < count; p = dirs[p].parent)
    dirs[p].treeFileCount = UINT(int(dirs[p].treeFileCount) + delta);
}

bool FitsPath(const char *path) { return path && *path && std::strlen(path) < kMaxPath; }

} // namespace

UINT CVQFileTree::findFile(const char *path) const {
  if (!path || !files || fileCount == 0)
    return kNone;
  const UINT d = FileNameOffset(path);
  return FindSorted(fileCount, [&](UINT i) {
    const SFileTreeFile &rec = files[i];
    const int c = CompareFolded(path, rec.path, std::min(d, rec.nameOffset));
    if (c != 0)
      return c;
    if (d != rec.nameOffset)
      return d < rec.nameOffset ? -1 : 1;
    return CompareNames(path + d, rec.path + d);
  });
}

UINT CVQFileTree::findfile(const char *pattern) const {
  if (!pattern || !*pattern || !files || !dirs || fileCount == 0)
    return kNone;
  CVQStrCmp comparer;
  if (!comparer.SetupString(pattern, 0, 1))
    return kNone;
  for (UINT i = 0; i < fileCount; ++i)
    if (comparer.CompareiString(files[i].path + files[i].nameOffset))
      return i;
  return kNone;
}

void CVQFileTree::delfile(UINT file) {
  if (!files || file >= fileCount) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Delete of file %u which is not shown", file);
    return;
  }
  const UINT dir = files[file].directory;
  if (dir < dirCount) {
    if (dirs[dir].fileCount)
      --dirs[dir].fileCount;
    if (dirs[dir].treeFileCount)
      --dirs[dir].treeFileCount;
    AdjustAncestors(dirs, dirCount, dir, -1);
  }
  --fileCount;
  std::memmove(files + file, files + file + 1, size_t(fileCount - file) * sizeof *files);
  std::memset(files + fileCount, 0, sizeof *files);
}

UINT CVQFileTree::renfile(UINT file, const char *newPath) {
  if (!files || file >= fileCount)
    return file;
  SFileTreeFile &rec = files[file];
  if (!FitsPath(newPath) || FileNameOffset(newPath) != rec.nameOffset ||
      CompareFolded(newPath, rec.path, rec.nameOffset) != 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Rename of %s to %s outside its directory", rec.path,
                      newPath ? newPath : "");
    return file;
  }
  rec.pathLength = UINT(std::strlen(newPath));
  std::memcpy(rec.path, newPath, rec.pathLength + 1);
  const UINT dir = rec.directory;
  UINT first = file, end = file + 1;
  while (first > 0 && files[first - 1].directory == dir)
    --first;
  while (end < fileCount && files[end].directory == dir)
    ++end;
  SortFiles(files + first, end - first, dirCount, false);
  return findFile(newPath);
}

UINT CVQFileTree::movefile(UINT file, const char *newPath) {
  if (!files || !dirs || file >= fileCount || !newPath || !*newPath)
    return kNone;
  if (!FitsPath(newPath)) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Filename exceeds buffer size");
    return kNone;
  }
  const UINT d = FileNameOffset(newPath);
  const UINT dir = FindDirectory(dirs, dirCount, newPath, d);
  if (dir == kNone) {
    delfile(file);
    return kNone;
  }
  SFileTreeFile &rec = files[file];
  const UINT old = rec.directory;
  rec.pathLength = UINT(std::strlen(newPath));
  std::memcpy(rec.path, newPath, rec.pathLength + 1);
  rec.nameOffset = dirs[dir].pathLength;
  rec.directory = dir;
  if (old != dir && old < dirCount) {
    --dirs[old].fileCount;
    --dirs[old].treeFileCount;
    AdjustAncestors(dirs, dirCount, old, -1);
    ++dirs[dir].fileCount;
    ++dirs[dir].treeFileCount;
    AdjustAncestors(dirs, dirCount, dir, 1);
  }
  reorg();
  return findFile(newPath);
}

UINT CVQFileTree::copyfile(UINT file, const char *newPath) {
  if (!files || !dirs || file >= fileCount || !newPath || !*newPath)
    return kNone;
  if (!FitsPath(newPath)) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "Filename exceeds buffer size");
    return kNone;
  }
  const UINT dir = FindDirectory(dirs, dirCount, newPath, FileNameOffset(newPath));
  if (dir == kNone)
    return kNone;
  const BYTE shown = files[file].shown;
  // The scan hands over its tables as C blocks (see file_tree.cpp).
  auto *grown =
      static_cast<SFileTreeFile *>(std::realloc(files, (size_t(fileCapacity) + 1) * sizeof *files));
  if (!grown) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory for the file table available");
    return kNone;
  }
  files = grown;
  SFileTreeFile &copy = grown[fileCapacity];
  std::memset(&copy, 0, sizeof copy);
  copy.directory = dir;
  copy.shown = shown;
  copy.nameOffset = dirs[dir].pathLength;
  copy.pathLength = UINT(std::strlen(newPath));
  std::memcpy(copy.path, newPath, copy.pathLength + 1);
  ++fileCapacity;
  ++dirs[dir].fileCount;
  ++dirs[dir].treeFileCount;
  reorg();
  return findFile(newPath);
}

BOOL CVQFileTree::setHTVItem(UINT directory, HTREEITEM item) {
  if (!dirs || directory >= dirCount) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Set tree view item of not existing directory record");
    return FALSE;
  }
  SFileTreeDir &dir = dirs[directory];
  dir.treeItem = item;
  dir.firstChildItem = dir.lastChildItem = nullptr;
  if (dir.parent < dirCount) {
    SFileTreeDir &parent = dirs[dir.parent];
    parent.lastChildItem = item;
    if (!parent.firstChildItem)
      parent.firstChildItem = item;
  }
  return TRUE;
}

UINT CVQFileTree::getDirItem(HTREEITEM item) const {
  for (UINT i = 0; item && i < dirCount; ++i)
    if (dirs[i].treeItem == item)
      return i;
  return kNone;
}

UINT CVQFileTree::getFirstDirFile(UINT directory, BOOL withSubdirectories) const {
  for (UINT i = 0; i < fileCount; ++i)
    if (files[i].directory == directory)
      return i;
  if (!withSubdirectories)
    return 0;
  for (UINT i = 0; i < fileCount; ++i) {
    UINT p = files[i].directory;
    while (p < dirCount && p > directory)
      p = dirs[p].parent;
    if (p == directory)
      return i;
  }
  return 0;
}

void CVQFileTree::SortFileItems(UINT key, BOOL descending) {
  if (files && fileCapacity > 1 && key == 0)
    SortFiles(files, fileCapacity, dirCount, descending != FALSE);
}

void CVQFileTree::UnmarkAllItems() {
  for (UINT i = 0; i < fileCount; ++i)
    files[i].marked = 0;
}

BOOL CVQFileTree::MarkOnlyItem(UINT file) {
  if (file >= fileCount)
    return FALSE;
  UnmarkAllItems();
  files[file].marked = 1;
  return TRUE;
}

BOOL CVQFileTree::MarkOnlyRange(UINT first, UINT last) {
  const UINT low = std::min(first, last);
  UINT high = std::max(first, last);
  if (low >= fileCount)
    return FALSE;
  high = std::min(high, fileCount - 1);
  UnmarkAllItems();
  for (UINT i = low; i <= high; ++i)
    files[i].marked = 1;
  return TRUE;
}
