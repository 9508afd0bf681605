// A mount table of every drive kind, fed to the drive functions through
// their seam: C: the root, D: NFS, E: CIFS, F: tmpfs, G: ISO 9660, H: a USB
// stick (partition sdb1, labelled `label`), I: a card reader without a
// card; proc and a file mounted over a file get no letter. Below `root` it
// writes the table ("mounts"), a block-device tree shaped like /sys/block
// ("sys") and a label folder ("labels"), and points the layer at them.
#ifndef VQ_TESTS_COMMON_FAKE_MOUNTS_H
#define VQ_TESTS_COMMON_FAKE_MOUNTS_H

#include <windows.h>
#include <vqwin_seams.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vqtest {

struct FakeMounts {
  std::string mounts, sys, labels;

  FakeMounts(const std::string &root, const std::string &label, const char *stickSectors)
      : mounts(root + "/mounts"), sys(root + "/sys"), labels(root + "/labels") {
    namespace fs = std::filesystem;
    for (const char *d : {"nfs", "cifs", "ram", "cd", "usb", "card", "labels", "dev"})
      fs::create_directories(root + "/" + d);
    auto text = [&](const std::string &name, const std::string &content) {
      const fs::path path = root + "/" + name;
      fs::create_directories(path.parent_path());
      std::ofstream(path) << content;
    };
    text("sys/sdb/removable", "1\n");
    text("sys/sdb/sdb1/size", std::string(stickSectors) + "\n");
    text("sys/sdb/sdb1/stat", "120 3 4096 50 30 1 800 20 0 70 70\n");
    text("sys/sdc/removable", "1\n");
    text("sys/sdc/sdc1/size", "0\n");
    text("dev/sdb1", "");
    text("hosts", "");
    fs::create_symlink("../dev/sdb1", root + "/labels/" + label);
    text("mounts", "/dev/vq-none / ext4 rw 0 0\n"
                   "proc /proc proc rw 0 0\n"
                   "server:/export/home " +
                       root +
                       "/nfs nfs4 rw 0 0\n"
                       "//fileserver/public " +
                       root +
                       "/cifs cifs rw 0 0\n"
                       "tmpfs " +
                       root +
                       "/ram tmpfs rw 0 0\n"
                       "/dev/sr0 " +
                       root + "/cd iso9660 ro 0 0\n" + root + "/dev/sdb1 " + root +
                       "/usb vfat rw 0 0\n"
                       "/dev/sdc1 " +
                       root +
                       "/card vfat rw 0 0\n"
                       "/dev/vq-none " +
                       root + "/hosts ext4 rw 0 0\n");
    const VQWIN_MOUNT_TABLE table = {mounts.c_str(), sys.c_str(), labels.c_str()};
    VqwinSetMountTable(&table);
  }
};

} // namespace vqtest

#endif
