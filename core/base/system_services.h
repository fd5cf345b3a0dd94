#pragma once
// What the model needs from the operating system, as a small interface: special
// folders, the CD drives and their volume serial numbers, shutting the computer down
// and file versions. platform/ installs the Linux implementation at start-up; until
// then (and in tests) a quiet default answers "nothing there".
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tunecrest {

enum class TspecialFolder { sfHome, sfDesktop, sfDocuments, sfMusic, sfVideos, sfPictures, sfAppData, sfConfig, sfCache };

struct TfileVersion {
    int Major = 0, Minor = 0, Release = 0, Build = 0;
};

class TsystemServices {
public:
    virtual ~TsystemServices() = default;
    // The folder's path, without a trailing separator; empty when unknown.
    virtual std::string GetSpecialFolderPath(TspecialFolder folder);
    // The roots (mount points, each ending with "/") of the mounted optical discs.
    virtual std::vector<std::string> ListCDDrives();
    // The volume serial number of the medium mounted at `root`; false when unreadable.
    virtual bool GetVolumeSerial(const std::string& root, uint32_t& serial);
    // Asks the system to power off. Returns false and the reason on failure.
    virtual bool Shutdown(std::string& error);
    // The version of the program file `name` (empty: this program); false when it has none.
    virtual bool GetFileVersion(const std::string& name, TfileVersion& version);
};

TsystemServices& SystemServices();
// Installs the services; nullptr restores the quiet default. Returns the previous ones.
std::shared_ptr<TsystemServices> SetSystemServices(std::shared_ptr<TsystemServices> services);

std::string GetSpecialFolderPath(TspecialFolder folder);
// The CD drive roots, as found by the last RefreshCDDrives (the program's drive set).
const std::vector<std::string>& CDDrives();
void RefreshCDDrives();
// True when `fileName` lies on one of the CD drives of the drive set.
bool IsOnCDDrive(const std::string& fileName);
// The volume serial number as "%8.8X"; empty when the medium cannot be read.
std::string GetVolumeSerial(const std::string& root);
// Powers the computer off and shows the outcome: "Shutdown Initiated" or
// "Shutdown failed with " and the reason (also returned in `message`).
bool ShutdownWindows(std::string& message);
// "%d.%d.%d.%d" (detail 4 or more), "%d.%d.%d" (3) or "%d.%d" (2 or less); empty without a version.
std::string GetFileVersionString(const std::string& name, int detail);

}  // namespace tunecrest
