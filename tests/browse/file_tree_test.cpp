// CVQFileTree and CVQFileType over trees made in a temporary folder: the
// two tables, their order, parents and counts, the limits of a scan, the
// host's file operations checked against a fresh scan of the changed disk,
// searches, marks and tree items.
#include "browse_fixture.h"

#include <vq_icl32.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

namespace vqtest {
namespace {

constexpr UINT kNone = UINT(-1);

std::string Lower(std::string s) {
  for (char &c : s)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool HasLine(const std::vector<std::string> &lines, const std::string &line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class FileTree : public BrowseTest {
protected:
  void TearDown() override {
    tree.free();
    BrowseTest::TearDown();
  }
  void Scan(const CVQFileType *types = nullptr) {
    tree.free();
    ASSERT_TRUE(tree.BrowseDrive(root.c_str(), types));
  }
  UINT DirOf(const std::string &relative) const {
    const std::string path = relative.empty() ? root + "\\" : Win(relative) + "\\";
    for (UINT i = 0; i < tree.dirCount; ++i)
      if (path == tree.dirs[i].path)
        return i;
    return kNone;
  }
  std::vector<std::string> ShownPaths() const {
    std::vector<std::string> out;
    for (UINT i = 0; i < tree.fileCount; ++i)
      out.push_back(tree.files[i].path);
    return out;
  }
  CVQFileTree tree;
};

TEST_F(FileTree, TablesAreSortedWithParentsCountsSizesAndTimes) {
  File("b.txt", 3);
  File("A.txt", 1);
  File("sub/c.dat", 10);
  File("sub/deep/x/y/z/leaf.txt", 5);
  Dir("Empty");
  Scan();
  EXPECT_TRUE(HasLine(Lines(), "5 CVQFileTree BrowseDrive for " + root));
  EXPECT_EQ(tree.startPath, root.c_str());
  const struct {
    const char *dir, *parent;
    UINT files, treeFiles;
  } dirs[] = {{"", nullptr, 2, 4},
              {"Empty", "", 0, 0},
              {"sub", "", 1, 2},
              {"sub/deep", "sub", 0, 1},
              {"sub/deep/x", "sub/deep", 0, 1},
              {"sub/deep/x/y", "sub/deep/x", 0, 1},
              {"sub/deep/x/y/z", "sub/deep/x/y", 1, 1}};
  ASSERT_EQ(tree.dirCount, std::size(dirs));
  for (UINT i = 0; i < tree.dirCount; ++i) {
    const SFileTreeDir &d = tree.dirs[i];
    const std::string path = *dirs[i].dir ? Win(dirs[i].dir) + "\\" : root + "\\";
    EXPECT_EQ(d.path, path) << i;
    EXPECT_EQ(d.pathLength, path.size()) << i;
    EXPECT_EQ(d.parent, dirs[i].parent ? DirOf(dirs[i].parent) : kNone) << i;
    EXPECT_EQ(d.nameOffset, d.parent == kNone ? 0u : tree.dirs[d.parent].pathLength) << i;
    EXPECT_EQ(d.fileCount, dirs[i].files) << path;
    EXPECT_EQ(d.treeFileCount, dirs[i].treeFiles) << path;
  }
  const struct {
    const char *path;
    UINT size;
  } files[] = {{"A.txt", 1}, {"b.txt", 3}, {"sub/c.dat", 10}, {"sub/deep/x/y/z/leaf.txt", 5}};
  ASSERT_EQ(tree.fileCount, std::size(files));
  ASSERT_EQ(tree.fileCapacity, std::size(files));
  for (UINT i = 0; i < tree.fileCount; ++i) {
    const SFileTreeFile &f = tree.files[i];
    EXPECT_EQ(f.path, Win(files[i].path)) << i;
    EXPECT_EQ(f.size, files[i].size) << i;
    EXPECT_EQ(f.shown, 1) << i;
    EXPECT_EQ(f.nameOffset, tree.dirs[f.directory].pathLength) << i;
    EXPECT_EQ(f.pathLength, std::strlen(f.path)) << i;
    struct stat st {};
    ASSERT_EQ(stat((root + "/" + files[i].path).c_str(), &st), 0);
    const ULONGLONG ticks = (ULONGLONG(st.st_mtim.tv_sec) + 11644473600ull) * 10000000ull +
                            ULONGLONG(st.st_mtim.tv_nsec) / 100;
    EXPECT_EQ((ULONGLONG(f.writeTime.dwHighDateTime) << 32) | f.writeTime.dwLowDateTime, ticks);
  }
}

TEST_F(FileTree, EmptyFolderAndAFinalBackslash) {
  Scan();
  EXPECT_EQ(tree.dirCount, 1u);
  EXPECT_EQ(tree.dirs[0].path, root + "\\");
  EXPECT_EQ(tree.fileCapacity, 0u);
  tree.free();
  const std::string withBackslash = root + "\\";
  ASSERT_TRUE(tree.BrowseDrive(withBackslash.c_str(), nullptr));
  EXPECT_EQ(tree.dirs[0].path, withBackslash);
  EXPECT_EQ(tree.findFile((withBackslash + "x").c_str()), kNone);
  EXPECT_EQ(tree.findfile("*"), kNone);
}

TEST_F(FileTree, TypeSetsStoreListedFilesAndShowChosenOnes) {
  File("A.CFG");
  File("B.TXT");
  File("c.cfg");
  File("d.isa");
  SFileTypeEntry entries[] = {{0, 101, 0, 0, ".CFG"}, {0, 102, 1, 0, ".ISA"}};
  const struct {
    UINT typeCount;
    BYTE cfgChosen;
    UINT capacity, shown, dirFilesAfterReorg;
    const char *firstShown;
  } rows[] = {{0, 0, 4, 4, 4, "A.CFG"},
              {1, 0, 2, 0, 0, nullptr},
              {2, 0, 3, 1, 1, "d.isa"},
              {2, 1, 3, 3, 3, "A.CFG"}};
  for (const auto &r : rows) {
    entries[0].chosen = r.cfgChosen;
    CVQFileType types(r.typeCount, entries);
    Scan(r.typeCount ? &types : nullptr);
    const std::string row =
        "types " + std::to_string(r.typeCount) + " chosen " + std::to_string(r.cfgChosen);
    EXPECT_EQ(tree.fileCapacity, r.capacity) << row;
    EXPECT_EQ(tree.fileCount, r.shown) << row;
    EXPECT_EQ(tree.dirs[0].fileCount, r.capacity) << row << ": stored files before reorg";
    if (r.firstShown) {
      EXPECT_EQ(tree.files[0].path, Win(r.firstShown)) << row;
    }
    tree.reorg();
    EXPECT_EQ(tree.dirs[0].fileCount, r.dirFilesAfterReorg) << row;
    EXPECT_EQ(tree.dirs[0].treeFileCount, r.dirFilesAfterReorg) << row;
  }
}

TEST_F(FileTree, FileTypeStates) {
  SFileTypeEntry entries[] = {{0, 101, 0, 0, ".CFG"}, {0, 102, 1, 0, ".ISA"}};
  CVQFileType types(2, entries);
  const std::string longSuffix = "x." + std::string(33, 'a');
  const struct {
    std::string name;
    UINT length;
    FILETYPESTATE state;
  } rows[] = {{"kunden.cfg", 0, FTS_NOTCHOSEN},    {"KUNDEN.ISA", 0, FTS_CHOSEN},
              {"kunden.isam", 0, FTS_NOTLISTED},   {"kunden.isa.txt", 10, FTS_CHOSEN},
              {"dir.cfg\\file", 0, FTS_NOTLISTED}, {"", 0, FTS_NOTLISTED},
              {"noext", 0, FTS_NOTLISTED},         {longSuffix, 0, FTS_NOTLISTED}};
  for (const auto &r : rows)
    EXPECT_EQ(types.GetState(r.name.c_str(), r.length), r.state) << r.name;
  EXPECT_EQ(LinesOf(" CVQFileType "),
            std::vector<std::string>{"0 CVQFileType IsOfType: cbName = 35, cbSuffix = 35"});
  CICLName name;
  ASSERT_EQ(name.SetFileName("C:\\data\\Kunden.Isa", 0), 1);
  EXPECT_EQ(types.GetState(&name), FTS_CHOSEN);
  ASSERT_EQ(name.SetFileName(longSuffix.c_str(), 0), 1);
  EXPECT_EQ(types.GetState(&name), FTS_NOTLISTED) << "65 characters are allowed here";
  EXPECT_EQ(types.ToggleDlgCtl(nullptr, 101), 1);
  EXPECT_EQ(entries[0].chosen, 1);
  EXPECT_EQ(types.ToggleDlgCtl(nullptr, 999), 0);
}

TEST_F(FileTree, PathsNearTheLimitAndBeyond) {
  const UINT base = UINT(root.size() + 1); // the first record's path length
  const std::string fits(259 - base, 'f'), tooLong(260 - base, 'g');
  const std::string dirFits(258 - base, 'd'), dirTooLong(259 - base, 'e');
  File(fits);
  File(tooLong);
  File(dirFits + "/unseen.txt");
  Dir(dirTooLong);
  Scan();
  ASSERT_EQ(tree.fileCapacity, 1u);
  EXPECT_EQ(tree.files[0].pathLength, 259u);
  ASSERT_EQ(tree.dirCount, 2u) << "the folder of 259 characters is kept";
  EXPECT_EQ(tree.dirs[1].pathLength, 259u);
  const auto lines = LinesOf(" CVQFileTree ");
  EXPECT_TRUE(HasLine(lines, "1 CVQFileTree Filename exceeds buffer size"));
  EXPECT_TRUE(
      HasLine(lines, "1 CVQFileTree Size of name exceeds name buffer: " + std::to_string(base) +
                         " + " + std::to_string(dirTooLong.size()) + " to 260"));
  // Its search pattern passes the limit of the system's searches.
  EXPECT_TRUE(HasLine(lines, "5 CVQFileTree No files found for " + Win(dirFits) + "\\*.*"));
}

TEST_F(FileTree, ManyFilesSortFindAndReverse) {
  std::vector<std::string> names;
  for (int i = 0; i < 1500; ++i) {
    std::string name = (i % 3 ? "File" : "file") + std::to_string((i * 7919) % 1500) + ".dat";
    names.push_back(name);
    File("many/" + name);
  }
  File("other/File1.dat");
  Scan();
  ASSERT_EQ(tree.fileCount, 1501u);
  std::sort(names.begin(), names.end(),
            [](const std::string &a, const std::string &b) { return Lower(a) < Lower(b); });
  for (UINT i = 0; i < names.size(); ++i) {
    ASSERT_EQ(tree.files[i].path, Win("many/" + names[i])) << i;
    ASSERT_EQ(tree.findFile(Lower(Win("many/" + names[i])).c_str()), i) << names[i];
  }
  EXPECT_EQ(tree.findFile(Win("other/File1.dat").c_str()), 1500u);
  EXPECT_EQ(tree.findFile(Win("many/missing.dat").c_str()), kNone);
  EXPECT_EQ(tree.findFile(Win("elsewhere/File1.dat").c_str()), kNone);
  tree.SortFileItems(0, TRUE);
  EXPECT_EQ(tree.files[0].path, Win("many/" + names.back())) << "names descending";
  EXPECT_EQ(tree.files[1500].path, Win("other/File1.dat")) << "directories still ascending";
  tree.SortFileItems(0, FALSE);
  EXPECT_EQ(tree.files[0].path, Win("many/" + names.front()));
}

// Names alike but for case interleave their subtrees in path order, and a
// '.' sorts before the '\' that ends a shorter sibling's path.
TEST_F(FileTree, DirectoriesInPathOrderAcrossCaseTwins) {
  for (const char *d : {"t/a/z", "t/A/b", "t/a/c/d", "t/a.b", "t/ab", "t/B", "u"})
    Dir(d);
  Scan();
  const std::vector<std::string> expected = {"",      "t",       "t/a.b", "t/a",  "t/A", "t/A/b",
                                             "t/a/c", "t/a/c/d", "t/a/z", "t/ab", "t/B", "u"};
  ASSERT_EQ(tree.dirCount, expected.size());
  for (UINT i = 0; i < tree.dirCount; ++i) {
    const std::string want = i == 0 ? root + "\\" : Win(expected[i]) + "\\";
    if (i != 3 && i != 4) { // the twins themselves may come in either order
      EXPECT_EQ(Lower(tree.dirs[i].path), Lower(want)) << i;
    }
    if (i > 0) {
      EXPECT_EQ(std::string(tree.dirs[tree.dirs[i].parent].path),
                std::string(tree.dirs[i].path, tree.dirs[i].nameOffset))
          << i;
    }
  }
  EXPECT_EQ(std::set<std::string>({tree.dirs[3].path, tree.dirs[4].path}),
            std::set<std::string>({Win("t/a") + "\\", Win("t/A") + "\\"}));
}

TEST_F(FileTree, UnreadableFolderIsListedWithoutFiles) {
  File("locked/inside.txt");
  ASSERT_EQ(chmod((root + "/locked").c_str(), 0), 0);
  // Root reads folders whatever their permissions: scan as nobody then.
  const bool asRoot = geteuid() == 0;
  if (asRoot && (chmod(root.c_str(), 0755) != 0 || seteuid(65534) != 0))
    GTEST_SKIP() << "cannot scan as another user";
  tree.free();
  const BOOL scanned = tree.BrowseDrive(root.c_str(), nullptr);
  if (asRoot) {
    ASSERT_EQ(seteuid(0), 0);
  }
  ASSERT_TRUE(scanned);
  EXPECT_EQ(tree.dirCount, 2u);
  EXPECT_EQ(tree.fileCapacity, 0u);
  EXPECT_TRUE(HasLine(Lines(), "5 CVQFileTree No files found for " + Win("locked") + "\\*.*"));
}

TEST_F(FileTree, EntriesVanishingDuringTheScanAreLeftOut) {
  const struct {
    const char *vanishing; // removed once its folder has listed it
    UINT dirs, files;
  } rows[] = {{"gone.txt", 2, 2}, {"sub", 1, 2}, {"sub/x.txt", 2, 2}};
  for (const auto &r : rows) {
    File("keep.txt");
    File("gone.txt");
    File("sub/x.txt");
    const fs::path vanishing = fs::path(root) / r.vanishing;
    VqwinSetSearchHook(
        [](const char *dir, const char *name, void *target) {
          if (fs::path(dir) / name == *static_cast<const fs::path *>(target))
            fs::remove_all(fs::path(dir) / name);
        },
        const_cast<fs::path *>(&vanishing));
    theLibrary.ClearCaptured();
    Scan();
    VqwinSetSearchHook(nullptr, nullptr);
    EXPECT_EQ(tree.dirCount, r.dirs) << r.vanishing;
    EXPECT_EQ(tree.fileCapacity, r.files) << r.vanishing;
    EXPECT_TRUE(HasLine(Lines(), "1 CVQFileTree Vanished during the scan: " + Win(r.vanishing)))
        << r.vanishing;
  }
}

TEST_F(FileTree, CodePageNamesAndLinks) {
  File("K\xC3\xB6ln.txt", 2);
  File("\xE2\x98\x83.txt");
  File("target/t.txt", 4);
  fs::create_directory_symlink(root + "/target", root + "/loop");
  fs::create_symlink(root + "/target/t.txt", root + "/link.txt");
  Scan();
  const std::vector<std::string> expected = {Win("K\xF6ln.txt"), Win("link.txt"),
                                             Win("target/t.txt")};
  EXPECT_EQ(ShownPaths(), expected);
  EXPECT_EQ(tree.files[1].size, 4u) << "a link has the size of what it leads to";
  EXPECT_EQ(tree.dirCount, 2u);
  const auto lines = Lines();
  EXPECT_TRUE(HasLine(lines, "1 CVQFileTree Name not usable in a path: " + root + "\\?.txt"));
  EXPECT_TRUE(HasLine(lines, "5 CVQFileTree Directory link not followed: " + root + "\\loop"));
  // The code-page name leads back to the file.
  EXPECT_NE(GetFileAttributesA(tree.files[0].path), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileTree, FileOperationsMatchAFreshScanOfTheDisk) {
  for (const char *f : {"a/1.txt", "a/2.txt", "a/3.txt", "b/4.txt", "a/inner/5.txt"})
    File(f, 1);
  Scan();
  enum Op { Del, Ren, Move, Copy, MoveOut };
  const struct {
    Op op;
    const char *from, *to;
  } rows[] = {{Del, "a/2.txt", nullptr},     {Ren, "a/1.txt", "a/9.txt"},
              {Move, "a/3.txt", "b/3.txt"},  {Copy, "b/4.txt", "a/inner/4.txt"},
              {MoveOut, "b/3.txt", nullptr}, {Ren, "a/9.txt", "a/0.txt"}};
  for (const auto &r : rows) {
    const std::string from = Win(r.from), to = r.to ? Win(r.to) : std::string("/elsewhere/x.txt");
    const UINT file = tree.findFile(from.c_str());
    ASSERT_NE(file, kNone) << r.from;
    UINT result = 0;
    switch (r.op) {
    case Del:
      fs::remove(root + "/" + r.from);
      tree.delfile(file);
      break;
    case Ren:
    case Move:
      fs::rename(root + "/" + r.from, root + "/" + r.to);
      result = r.op == Ren ? tree.renfile(file, to.c_str()) : tree.movefile(file, to.c_str());
      break;
    case Copy:
      fs::copy_file(root + "/" + r.from, root + "/" + r.to);
      result = tree.copyfile(file, to.c_str());
      break;
    case MoveOut:
      fs::remove(root + "/" + r.from);
      EXPECT_EQ(tree.movefile(file, to.c_str()), kNone);
      break;
    }
    if (r.to) {
      EXPECT_EQ(result, tree.findFile(to.c_str())) << r.from;
    }
    CVQFileTree fresh;
    ASSERT_TRUE(fresh.BrowseDrive(root.c_str(), nullptr));
    const std::string row = std::string(r.from) + " -> " + (r.to ? r.to : "");
    ASSERT_EQ(tree.fileCount, fresh.fileCount) << row;
    for (UINT i = 0; i < tree.fileCount; ++i) {
      EXPECT_STREQ(tree.files[i].path, fresh.files[i].path) << row;
      EXPECT_EQ(tree.files[i].directory, fresh.files[i].directory) << row;
    }
    for (UINT i = 0; i < tree.dirCount; ++i) {
      EXPECT_EQ(tree.dirs[i].fileCount, fresh.dirs[i].fileCount) << row << " " << i;
      EXPECT_EQ(tree.dirs[i].treeFileCount, fresh.dirs[i].treeFileCount) << row << " " << i;
    }
  }
  const UINT one = tree.findFile(Win("a/0.txt").c_str());
  EXPECT_EQ(tree.renfile(one, Win("b/0.txt").c_str()), one) << "a rename stays in its folder";
  EXPECT_EQ(tree.renfile(tree.fileCount, Win("a/x.txt").c_str()), tree.fileCount);
  EXPECT_EQ(tree.copyfile(one, "/elsewhere/x.txt"), kNone);
}

TEST_F(FileTree, JokerSearches) {
  for (const char *f : {"Report1.txt", "report22.txt", "data.CFG", "x.y"})
    File(f);
  Scan();
  const struct {
    const char *pattern, *found;
  } rows[] = {
      {"*.cfg", "data.CFG"}, {"report#.txt", "Report1.txt"}, {"REPORT##.TXT", "report22.txt"},
      {"?.?", "x.y"},        {"nothing*", nullptr},          {"", nullptr}};
  for (const auto &r : rows) {
    const UINT i = tree.findfile(r.pattern);
    if (r.found) {
      ASSERT_NE(i, kNone) << r.pattern;
      EXPECT_EQ(tree.files[i].path, Win(r.found)) << r.pattern;
    } else {
      EXPECT_EQ(i, kNone) << r.pattern;
    }
  }
}

TEST_F(FileTree, MarksAndRanges) {
  for (const char *f : {"0", "1", "2", "3", "4"})
    File(f);
  Scan();
  const auto marked = [&] {
    std::set<UINT> out;
    for (UINT i = 0; i < tree.fileCapacity; ++i)
      if (tree.files[i].marked)
        out.insert(i);
    return out;
  };
  const struct {
    UINT first, last;
    BOOL result;
    std::set<UINT> marks;
  } rows[] = {
      {7, 3, TRUE, {3, 4}}, {1, 1, TRUE, {1}}, {5, 9, FALSE, {1}}, {4, 0, TRUE, {0, 1, 2, 3, 4}}};
  for (const auto &r : rows) {
    EXPECT_EQ(tree.MarkOnlyRange(r.first, r.last), r.result) << r.first << "-" << r.last;
    EXPECT_EQ(marked(), r.marks) << r.first << "-" << r.last;
  }
  EXPECT_TRUE(tree.MarkOnlyItem(2));
  EXPECT_EQ(marked(), std::set<UINT>{2});
  EXPECT_FALSE(tree.MarkOnlyItem(5));
  tree.UnmarkAllItems();
  EXPECT_TRUE(marked().empty());
}

TEST_F(FileTree, TreeItemsAndFirstFiles) {
  File("a/b/deep.txt");
  File("c/own.txt");
  Scan();
  const UINT a = DirOf("a"), b = DirOf("a/b"), c = DirOf("c");
  auto item = [](int n) { return reinterpret_cast<HTREEITEM>(static_cast<intptr_t>(n)); };
  EXPECT_TRUE(tree.setHTVItem(0, item(10)));
  EXPECT_TRUE(tree.setHTVItem(a, item(11)));
  EXPECT_TRUE(tree.setHTVItem(c, item(13)));
  EXPECT_TRUE(tree.setHTVItem(b, item(12)));
  EXPECT_EQ(tree.dirs[0].firstChildItem, item(11));
  EXPECT_EQ(tree.dirs[0].lastChildItem, item(13));
  EXPECT_EQ(tree.dirs[a].firstChildItem, item(12));
  EXPECT_EQ(tree.getDirItem(item(12)), b);
  EXPECT_EQ(tree.getDirItem(item(99)), kNone);
  EXPECT_FALSE(tree.setHTVItem(tree.dirCount, item(1)));
  EXPECT_TRUE(
      HasLine(Lines(), "0 CVQFileTree Set tree view item of not existing directory record"));
  const UINT deep = tree.findFile(Win("a/b/deep.txt").c_str()),
             own = tree.findFile(Win("c/own.txt").c_str());
  EXPECT_EQ(tree.getFirstDirFile(a, FALSE), 0u) << "none: the same answer as file 0";
  EXPECT_EQ(tree.getFirstDirFile(a, TRUE), deep);
  EXPECT_EQ(tree.getFirstDirFile(c, FALSE), own);
  EXPECT_EQ(tree.getFirstDirFile(0, TRUE), 0u);
}

TEST_F(FileTree, StationScanCoversTheDrivesWithAVolume) {
  File("c/sub/one.txt");
  File("usb/two.txt");
  Dir("ram");
  Dir("sys");
  Dir("labels");
  Text("mounts", "/dev/vq-none / ext4 rw 0 0\n/dev/vq-usb " + root + "/usb vfat rw 0 0\n" +
                     "tmpfs " + root + "/ram tmpfs rw 0 0\n");
  const std::string mounts = root + "/mounts", sys = root + "/sys", labels = root + "/labels";
  const VQWIN_MOUNT_TABLE table = {mounts.c_str(), sys.c_str(), labels.c_str()};
  VqwinSetMountTable(&table);
  ASSERT_TRUE(VqwinSetDriveRoot('C', (root + "/c").c_str()));
  ASSERT_TRUE(tree.BrowseStation(nullptr));
  EXPECT_TRUE(HasLine(Lines(), "5 CVQFileTree Initialize the workstation browser"));
  const std::vector<std::string> dirs = {"Workstation", "C:\\", "C:\\sub\\", "D:\\"};
  ASSERT_EQ(tree.dirCount, dirs.size()) << "the RAM disk has no volume read, so no record";
  for (UINT i = 0; i < tree.dirCount; ++i)
    EXPECT_EQ(tree.dirs[i].path, dirs[i]) << i;
  EXPECT_EQ(tree.dirs[0].pathLength, 11u);
  EXPECT_EQ(tree.dirs[0].parent, kNone);
  EXPECT_EQ(tree.dirs[3].parent, 0u);
  EXPECT_EQ(tree.dirs[0].treeFileCount, 2u);
  EXPECT_EQ(ShownPaths(), (std::vector<std::string>{"C:\\sub\\one.txt", "D:\\two.txt"}));
}

} // namespace
} // namespace vqtest
