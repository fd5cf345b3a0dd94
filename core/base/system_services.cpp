#include "core/base/system_services.h"

#include <mutex>

#include "core/base/services.h"
#include "core/base/text_utils.h"

namespace tunecrest {

std::string TsystemServices::GetSpecialFolderPath(TspecialFolder) { return {}; }
std::vector<std::string> TsystemServices::ListCDDrives() { return {}; }
bool TsystemServices::GetVolumeSerial(const std::string&, uint32_t&) { return false; }
bool TsystemServices::Shutdown(std::string& error) {
    error = "no system services installed";
    return false;
}
bool TsystemServices::GetFileVersion(const std::string&, TfileVersion&) { return false; }

namespace {
std::mutex gMutex;
std::shared_ptr<TsystemServices> gServices;
std::vector<std::string> gCDDrives;
}  // namespace

TsystemServices& SystemServices() {
    std::lock_guard lock(gMutex);
    if (!gServices) gServices = std::make_shared<TsystemServices>();
    return *gServices;
}

std::shared_ptr<TsystemServices> SetSystemServices(std::shared_ptr<TsystemServices> services) {
    std::lock_guard lock(gMutex);
    auto old = gServices;
    gServices = services ? std::move(services) : std::make_shared<TsystemServices>();
    return old;
}

std::string GetSpecialFolderPath(TspecialFolder folder) { return SystemServices().GetSpecialFolderPath(folder); }

const std::vector<std::string>& CDDrives() { return gCDDrives; }

void RefreshCDDrives() { gCDDrives = SystemServices().ListCDDrives(); }

bool IsOnCDDrive(const std::string& fileName) {
    for (const auto& root : gCDDrives)
        if (!root.empty() && fileName.compare(0, root.size(), root) == 0) return true;
    return false;
}

std::string GetVolumeSerial(const std::string& root) {
    uint32_t serial = 0;
    if (!SystemServices().GetVolumeSerial(root, serial)) return {};
    return Format("%8.8X", serial);
}

bool ShutdownWindows(std::string& message) {
    std::string error;
    const bool ok = SystemServices().Shutdown(error);
    message = ok ? "Shutdown Initiated" : "Shutdown failed with " + error;
    Prompt().ShowMessage(message, "");
    return ok;
}

std::string GetFileVersionString(const std::string& name, int detail) {
    TfileVersion v;
    if (!SystemServices().GetFileVersion(name, v)) return {};
    if (detail >= 4) return Format("%d.%d.%d.%d", v.Major, v.Minor, v.Release, v.Build);
    if (detail == 3) return Format("%d.%d.%d", v.Major, v.Minor, v.Release);
    return Format("%d.%d", v.Major, v.Minor);
}

}  // namespace tunecrest
