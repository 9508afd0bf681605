// CVQWorkstation over this machine's drives and over a mount table the test
// gives the platform layer (a fixed disk, NFS, CIFS, a RAM disk, an ISO 9660
// disc, a USB stick and a card reader without a card); CVQNetwork with and
// without a station source; the texts of every message of both classes.
#include "browse_fixture.h"
#include "../common/fake_mounts.h"

#include <vqwin_modal.h>

#include <cstring>
#include <memory>
#include <vector>

namespace vqtest {
namespace {

class Drives : public BrowseTest {
protected:
  // Drive letters: C: the root, then D: NFS, E: CIFS, F: RAM disk, G: CD,
  // H: USB stick (labelled STICK), I: card reader without a card.
  void FeedMounts() { fake = std::make_unique<FakeMounts>(root, "STICK", "7821312"); }
  std::unique_ptr<FakeMounts> fake;
  std::string mounts;
};

TEST_F(Drives, ThisMachineHasAFixedRootDrive) {
  CVQWorkstation station;
  ASSERT_EQ(station.InquDrive('c'), 1);
  ASSERT_EQ(station.count, 1u);
  EXPECT_STREQ(station.table[0].root, "C:\\");
  EXPECT_EQ(station.table[0].volumeValid, 1u);
  ASSERT_EQ(station.Browse("\\\\.\\", 0), 1);
  ASSERT_GE(station.count, 1u);
  EXPECT_STREQ(station.table[0].root, "C:\\");
  EXPECT_NE(station.table[0].driveKind, 0u);
}

TEST_F(Drives, BrowseListsEveryKindOfDrive) {
  FeedMounts();
  EXPECT_EQ(GetLogicalDrives(), 0x1FCu) << "C: to I:";
  CVQWorkstation station;
  ASSERT_EQ(station.Browse("\\\\.\\", 0), 1);
  const struct {
    const char *root;
    UINT kind, volumeValid;
    const char *volume, *server, *remote, *share;
  } rows[] = {{"C:\\", 1, 1, "", "", "", ""},
              {"D:\\", 4, 1, "", "server", "\\\\server\\export\\home", "export\\home"},
              {"E:\\", 4, 1, "", "fileserver", "\\\\fileserver\\public", "public"},
              {"F:\\", 5, 0, "", "", "", ""},
              {"G:\\", 3, 1, "", "", "", ""},
              {"H:\\", 2, 1, "STICK", "", "", ""},
              {"I:\\", 0, 0, "", "", "", ""}};
  ASSERT_EQ(station.count, std::size(rows));
  for (UINT i = 0; i < station.count; ++i) {
    const SDriveRec &d = station.table[i];
    EXPECT_STREQ(d.root, rows[i].root);
    EXPECT_EQ(d.driveKind, rows[i].kind) << rows[i].root;
    EXPECT_EQ(d.volumeValid, rows[i].volumeValid) << rows[i].root;
    EXPECT_STREQ(d.volumeName, rows[i].volume) << rows[i].root;
    EXPECT_STREQ(d.server, rows[i].server) << rows[i].root;
    EXPECT_STREQ(d.remoteName, rows[i].remote) << rows[i].root;
    EXPECT_STREQ(d.share, rows[i].share) << rows[i].root;
  }
  const std::vector<std::string> expected = {
      "4 CVQWorkstation Fixed disk drive: 0: C:\\",
      "1 CVQWorkstation Error on opening C:\\, error code = 2",
      "4 CVQWorkstation Network drive 1: D:\\ is \\\\server\\export\\home",
      "4 CVQWorkstation Network drive 2: E:\\ is \\\\fileserver\\public",
      "4 CVQWorkstation RAM disk drive: 3: F:\\",
      "4 CVQWorkstation CD-ROM drive: 4: G:\\",
      "4 CVQWorkstation Removable drive 5: H:\\",
      "5 CVQWorkstation Drive H:\\ has StorageManager sdb1",
      "4 CVQWorkstation Removable drive 6: I:\\",
      "1 CVQWorkstation Error on opening I:\\, error code = 2"};
  EXPECT_EQ(LinesOf(" CVQWorkstation "), expected);
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());
}

TEST_F(Drives, InquDriveTakesOneDrive) {
  FeedMounts();
  const struct {
    char letter;
    int result;
    UINT kind, volumeValid;
    const char *line;
  } rows[] = {{'h', 1, 2, 1, "4 CVQWorkstation Removable drive H:\\"},
              {'F', 1, 5, 1, "4 CVQWorkstation RAM disk drive: F:\\"},
              {'d', 1, 4, 1, "4 CVQWorkstation Network drive: D:\\ is \\\\server\\export\\home"},
              {'g', 1, 3, 1, "4 CVQWorkstation CD-ROM drive: G:\\"},
              {'C', 1, 1, 1, "4 CVQWorkstation Fixed disk drive: C:\\"},
              {'I', 1, 0, 0, "4 CVQWorkstation Removable drive I:\\"},
              {'Z', 0, 0, 0, "1 CVQWorkstation Drive no root directory Z:\\"}};
  for (const auto &r : rows) {
    theLibrary.ClearCaptured();
    CVQWorkstation station;
    EXPECT_EQ(station.InquDrive(r.letter), r.result) << r.letter;
    const auto lines = LinesOf(" CVQWorkstation ");
    ASSERT_FALSE(lines.empty()) << r.letter;
    EXPECT_EQ(lines[0], r.line);
    if (r.result) {
      ASSERT_EQ(station.count, 1u);
      EXPECT_EQ(station.table[0].driveKind, r.kind) << r.letter;
      EXPECT_EQ(station.table[0].volumeValid, r.volumeValid) << r.letter;
    } else {
      EXPECT_EQ(station.count, 0u);
    }
  }
}

TEST_F(Drives, NoDrivesGivesMessage400) {
  Text("mounts", "/dev/vq-none / ext4 rw 0 0\n");
  mounts = root + "/mounts";
  const VQWIN_MOUNT_TABLE table = {mounts.c_str(), nullptr, nullptr};
  VqwinSetMountTable(&table);
  ASSERT_TRUE(VqwinSetDriveRoot('C', ""));
  ASSERT_EQ(vqSetTbl32Language("E"), 1);
  CVQWorkstation station;
  EXPECT_EQ(station.Browse("\\\\.\\", 0), 0);
  EXPECT_EQ(LinesOf(" CVQWorkstation "),
            std::vector<std::string>{"0 CVQWorkstation No logical drives found on \\\\.\\"});
  ExpectNumberedBox(400, "No drives were found on \\\\.\\.", "400");
  CVQFileTree tree;
  EXPECT_FALSE(tree.BrowseStation(nullptr));
  EXPECT_EQ(LinesOf(" CVQFileTree ").back(), "0 CVQFileTree Error on browsing the local drives");
}

// A station source the tests fill.
struct Stations {
  std::vector<VQWIN_STATION> list;
  DWORD status = 0;
  static DWORD List(const VQWIN_STATION **out, DWORD *count, void *context) {
    auto *self = static_cast<Stations *>(context);
    *out = self->list.data();
    *count = DWORD(self->list.size());
    return self->status;
  }
};

TEST_F(Drives, NetworkWithoutStationListing) {
  ASSERT_EQ(vqSetTbl32Language("E"), 1);
  CVQNetwork network;
  EXPECT_EQ(network.module, nullptr);
  EXPECT_EQ(network.Browse(), 0);
  const std::vector<std::string> expected = {
      "0 CVQNetwork Error 126 on loading NetApi32.dll",
      "0 CVQNetwork Call of CVQNetwork::Browse while NetApi32.dll is not available."};
  EXPECT_EQ(LinesOf(" CVQNetwork "), expected);
  ExpectNumberedBox(300, "The network stations cannot be listed: NetApi32.dll is not available.",
                    "300");
}

TEST_F(Drives, NetworkListsTheServersOfTheSource) {
  const std::string longName(50, 'n');
  Stations stations;
  stations.list = {{"alpha", 500, 10, 0, 0x3, "first"},
                   {"just-a-workstation", 500, 6, 1, 0x1, nullptr},
                   {"B\xC3\xBCro", 600, 4, 19, 0x2, nullptr},
                   {longName.c_str(), 400, 1, 2, 0x2, ""}};
  const VQWIN_STATION_SOURCE source = {Stations::List, &stations};
  VqwinSetStationSource(&source);
  CVQNetwork network;
  ASSERT_NE(network.module, nullptr);
  ASSERT_EQ(network.Browse(), 1);
  const struct {
    UINT platform, major, minor;
    std::string name;
  } rows[] = {{500, 10, 0, "alpha"}, {600, 4, 19, "B\xFCro"}, {400, 1, 2, std::string(39, 'n')}};
  ASSERT_EQ(network.count, std::size(rows));
  for (UINT i = 0; i < network.count; ++i) {
    EXPECT_EQ(network.table[i].platformId, rows[i].platform) << i;
    EXPECT_EQ(network.table[i].versionMajor, rows[i].major) << i;
    EXPECT_EQ(network.table[i].versionMinor, rows[i].minor) << i;
    EXPECT_EQ(network.table[i].name, rows[i].name) << i;
  }
  ASSERT_EQ(vqSetTbl32Language("E"), 1);
  const struct {
    DWORD status;
    bool empty;
    const char *line, *text;
  } failures[] = {{6118, false, "0 CVQNetwork Error 0x17E6 on call of NetServerEnum",
                   "The network stations cannot be listed (error 0x17E6)."},
                  {0, true, "0 CVQNetwork Error 0x0 on call of NetServerEnum",
                   "The network stations cannot be listed (error 0x0)."}};
  for (const auto &f : failures) {
    theLibrary.ClearCaptured();
    vqwinResetModal();
    stations.status = f.status;
    if (f.empty)
      stations.list.clear();
    EXPECT_EQ(network.Browse(), 0);
    EXPECT_EQ(LinesOf(" CVQNetwork "), std::vector<std::string>{f.line});
    ExpectNumberedBox(302, f.text, f.line);
  }
}

TEST(BrowseMessages, EveryNumberHasItsTextInBothLanguages) {
  const struct {
    UINT id;
    const char *english, *german;
  } rows[] = {
      {300, "The network stations cannot be listed: NetApi32.dll is not available.",
       "Die Stationen des Netzwerks k\xF6nnen nicht aufgelistet werden: NetApi32.dll ist nicht "
       "verf\xFC"
       "gbar."},
      {301, "The function %s is missing in NetApi32.dll.",
       "Die Funktion %s fehlt in NetApi32.dll."},
      {302, "The network stations cannot be listed (error 0x%X).",
       "Die Stationen des Netzwerks k\xF6nnen nicht aufgelistet werden (Fehler 0x%X)."},
      {303, "Not enough free memory for the table of network stations.",
       "Nicht gen\xFCgend freier Speicher f\xFCr die Tabelle der Netzwerkstationen."},
      {400, "No drives were found on %s.", "Auf %s wurden keine Laufwerke gefunden."},
      {401, "Not enough free memory for %d drive records.",
       "Nicht gen\xFCgend freier Speicher f\xFCr %d Laufwerkseintr\xE4ge."},
      {402, "Drive type %u of %s is unknown.", "Der Laufwerkstyp %u von %s ist unbekannt."},
      {410, "The volume of drive %s cannot be read (error %d).",
       "Der Datentr\xE4ger von Laufwerk %s kann nicht gelesen werden (Fehler %d)."},
      {420, "The network connection of drive %s cannot be read (error %u).",
       "Die Netzwerkverbindung von Laufwerk %s kann nicht gelesen werden (Fehler %u)."}};
  HMODULE english = LoadLibraryA("vq_tblrcE.dll"), german = LoadLibraryA("vq_tblrcD.dll");
  ASSERT_NE(english, nullptr);
  ASSERT_NE(german, nullptr);
  for (const auto &r : rows) {
    char text[512];
    ASSERT_GT(LoadStringA(english, r.id, text, sizeof text), 0) << r.id;
    EXPECT_STREQ(text, r.english) << r.id;
    ASSERT_GT(LoadStringA(german, r.id, text, sizeof text), 0) << r.id;
    EXPECT_STREQ(text, r.german) << r.id;
  }
  FreeLibrary(english);
  FreeLibrary(german);
}

} // namespace
} // namespace vqtest
