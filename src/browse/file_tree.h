// What the scan and the file operations of CVQFileTree share: the name
// comparisons behind both sort orders and the searches by halving, the
// sort itself and the summing of the tree file counts.
#ifndef VQ_TBL32_BROWSE_FILE_TREE_H
#define VQ_TBL32_BROWSE_FILE_TREE_H

#include <vq_tbl32.h>

namespace vqbrowse {

constexpr char kTag[] = "CVQFileTree";
constexpr UINT kNone = UINT(-1);
/// Paths are kept up to 259 characters, the Win32 limit.
constexpr UINT kMaxPath = 260;

/// Compares `length` bytes with ASCII letters folded to lower case.
int CompareFolded(const char *a, const char *b, UINT length);
/// Compares two terminated names, folded, the terminator included.
int CompareNames(const char *a, const char *b);
/// The directory order: folded over the shorter length, then the shorter first.
int CompareDirPaths(const char *a, UINT aLength, const char *b, UINT bLength);

/// Sorts the file records in file order: shown files first, then by
/// directory (all below `dirCount`), then by name (descending names when
/// asked).
void SortFiles(SFileTreeFile *files, UINT count, UINT dirCount, bool descending);
/// Tree file count = own files + those of every directory below; parents
/// come before their children in the table.
void SumTreeCounts(SFileTreeDir *dirs, UINT count);
/// The directory whose path is the first `length` characters of `path`,
/// by halving over the table, or kNone.
UINT FindDirectory(const SFileTreeDir *dirs, UINT count, const char *path, UINT length);

/// Halves over `count` sorted entries: `order(i)` is below 0 when the one
/// sought comes before entry i, 0 when it is entry i. The index, or kNone.
template <typename Order> UINT FindSorted(UINT count, Order order) {
  UINT low = 0, high = count;
  while (low < high) {
    const UINT middle = low + (high - low) / 2;
    const int c = order(middle);
    if (c == 0)
      return middle;
    if (c < 0)
      high = middle;
    else
      low = middle + 1;
  }
  return kNone;
}

} // namespace vqbrowse

#endif
