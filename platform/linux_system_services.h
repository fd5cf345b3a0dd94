#pragma once
// The system services on Linux: XDG folders, optical discs from the mount table,
// volume serials from the ISO 9660 primary volume descriptor (or a hash of the file
// system's UUID), power-off through logind over D-Bus (or systemctl) and the
// program's version from the build.
#include <string>
#include <string_view>
#include <vector>

#include "core/base/system_services.h"

namespace tunecrest {

class TlinuxSystemServices : public TsystemServices {
public:
    struct Toptions {
        std::string MountsFile = "/proc/self/mounts";
        std::string UuidFolder = "/dev/disk/by-uuid";
    };
    TlinuxSystemServices() = default;
    explicit TlinuxSystemServices(Toptions options) : Foptions(std::move(options)) {}

    std::string GetSpecialFolderPath(TspecialFolder folder) override;
    std::vector<std::string> ListCDDrives() override;
    bool GetVolumeSerial(const std::string& root, uint32_t& serial) override;
    bool Shutdown(std::string& error) override;
    bool GetFileVersion(const std::string& name, TfileVersion& version) override;

private:
    Toptions Foptions;
};

// Installs TlinuxSystemServices as the program's system services.
void InstallLinuxSystemServices();

struct TmountEntry {
    std::string Device, MountPoint, FileSystem;
};
// Parses mount-table text ("/proc/self/mounts" form, octal escapes such as "\040" decoded).
std::vector<TmountEntry> ParseMountTable(std::string_view text);
// True for an optical volume: a /dev/sr* device, or an iso9660 or udf file system.
bool IsOpticalMount(const TmountEntry& entry);
// The serial of a 2048-byte ISO 9660 primary volume descriptor: four byte-lane sums
// over the descriptor, the first lane in the highest byte. False when `descriptor`
// is not a primary volume descriptor.
bool VolumeSerialFromDescriptor(std::string_view descriptor, uint32_t& serial);
// Reads the primary volume descriptor (sector 16) of a device or image file.
bool ReadIsoVolumeSerial(const std::string& device, uint32_t& serial);
// A 32-bit FNV-1a hash of the file-system UUID text, upper-cased.
uint32_t VolumeSerialFromUuid(std::string_view uuid);
// Resolves an XDG user folder from "user-dirs.dirs" text: the line `key`="$HOME/..."
// with $HOME replaced by `home`; empty when absent.
std::string ParseUserDirsEntry(std::string_view text, std::string_view key, const std::string& home);

}  // namespace tunecrest
