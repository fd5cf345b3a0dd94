#include "platform/linux_system_services.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/safe_file.h"
#include "support/temp_dir.h"

using namespace tunecrest;

namespace {
std::string Descriptor() {
    std::string d(2048, '\0');
    d[0] = 1;
    d.replace(1, 5, "CD001");
    d[6] = 1;
    d.replace(40, 8, "MYDISC  ");
    return d;
}
}  // namespace

TEST(LinuxSystemServices, MountTableFindsOpticalVolumes) {
    const auto entries = ParseMountTable(
        "/dev/sda1 / ext4 rw 0 0\n/dev/sr0 /media/user/My\\040Disc iso9660 ro 0 0\n"
        "/dev/sdb1 /mnt/dvd udf ro 0 0\nproc /proc proc rw 0 0\n");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].MountPoint, "/media/user/My Disc");
    EXPECT_FALSE(IsOpticalMount(entries[0]));
    EXPECT_TRUE(IsOpticalMount(entries[1]));
    EXPECT_TRUE(IsOpticalMount(entries[2]));
}

TEST(LinuxSystemServices, VolumeSerialFromTheDescriptorOrTheUuid) {
    uint32_t serial = 0;
    ASSERT_TRUE(VolumeSerialFromDescriptor(Descriptor(), serial));
    const std::string d = Descriptor();
    uint8_t lanes[4] = {};
    for (size_t i = 0; i < d.size(); ++i) lanes[i % 4] = uint8_t(lanes[i % 4] + uint8_t(d[i]));
    EXPECT_EQ(serial, (uint32_t(lanes[0]) << 24) | (uint32_t(lanes[1]) << 16) | (uint32_t(lanes[2]) << 8) | lanes[3]);
    std::string notIso = Descriptor();
    notIso[3] = 'X';
    EXPECT_FALSE(VolumeSerialFromDescriptor(notIso, serial));
    EXPECT_FALSE(VolumeSerialFromDescriptor("short", serial));
    EXPECT_EQ(VolumeSerialFromUuid("2023-07-14-10-00-00-00"), VolumeSerialFromUuid("2023-07-14-10-00-00-00"));
    EXPECT_EQ(VolumeSerialFromUuid("abcd-ef01"), VolumeSerialFromUuid("ABCD-EF01"));
    EXPECT_NE(VolumeSerialFromUuid("abcd-ef01"), VolumeSerialFromUuid("abcd-ef02"));
}

TEST(LinuxSystemServices, DrivesAndSerialsThroughAMountTableOfImages) {
    test::TempDir dir;
    // An ISO image standing in for the disc device, and a UDF device known by its UUID.
    ASSERT_TRUE(SafeWriteFile(dir.File("disc.iso"), std::string(16 * 2048, '\0') + Descriptor()));
    ASSERT_TRUE(SafeWriteFile(dir.File("udfdev"), std::string(64, '\0')));
    std::filesystem::create_directory(dir.Path() / "by-uuid");
    std::filesystem::create_symlink(dir.Path() / "udfdev", dir.Path() / "by-uuid" / "4f2a-77c1");
    ASSERT_TRUE(SafeWriteFile(dir.File("mounts"), dir.File("disc.iso") + " /media/cd iso9660 ro 0 0\n" +
                                                      dir.File("udfdev") + " /media/dvd udf ro 0 0\n" +
                                                      "/dev/sda1 / ext4 rw 0 0\n"));
    TlinuxSystemServices services({dir.File("mounts"), dir.File("by-uuid")});
    EXPECT_EQ(services.ListCDDrives(), (std::vector<std::string>{"/media/cd/", "/media/dvd/"}));
    uint32_t serial = 0, expected = 0;
    ASSERT_TRUE(VolumeSerialFromDescriptor(Descriptor(), expected));
    ASSERT_TRUE(services.GetVolumeSerial("/media/cd/", serial));
    EXPECT_EQ(serial, expected);
    ASSERT_TRUE(services.GetVolumeSerial("/media/dvd", serial));
    EXPECT_EQ(serial, VolumeSerialFromUuid("4f2a-77c1"));
    EXPECT_FALSE(services.GetVolumeSerial("/media/none/", serial));
}

TEST(LinuxSystemServices, UserFoldersAndOwnVersion) {
    const std::string dirs = "# written by xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n"
                             "XDG_VIDEOS_DIR=\"/srv/videos/\"\n";
    EXPECT_EQ(ParseUserDirsEntry(dirs, "XDG_MUSIC_DIR", "/home/bar"), "/home/bar/Musik");
    EXPECT_EQ(ParseUserDirsEntry(dirs, "XDG_VIDEOS_DIR", "/home/bar"), "/srv/videos");
    EXPECT_EQ(ParseUserDirsEntry(dirs, "XDG_DESKTOP_DIR", "/home/bar"), "");
    TlinuxSystemServices services;
    EXPECT_FALSE(services.GetSpecialFolderPath(TspecialFolder::sfMusic).empty());
    TfileVersion v;
    EXPECT_TRUE(services.GetFileVersion("", v));
    EXPECT_FALSE(services.GetFileVersion("/bin/sh", v));
}
