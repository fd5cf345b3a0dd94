#include "platform/linux_system_services.h"

#include <gio/gio.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/base/safe_file.h"
#include "core/base/text_utils.h"

extern char** environ;

namespace tunecrest {

namespace fs = std::filesystem;

namespace {
constexpr size_t kSectorSize = 2048;
constexpr size_t kPrimaryDescriptorSector = 16;

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string Home() { return EnvOr("HOME", "/"); }

std::string ConfigHome() { return EnvOr("XDG_CONFIG_HOME", (fs::path(Home()) / ".config").string()); }

std::string UserDir(std::string_view key, const char* fallback) {
    std::string text;
    const std::string home = Home();
    if (ReadFileBytes((fs::path(ConfigHome()) / "user-dirs.dirs").string(), text, nullptr, 1 << 20)) {
        std::string dir = ParseUserDirsEntry(text, key, home);
        if (!dir.empty()) return dir;
    }
    return (fs::path(home) / fallback).string();
}

std::string DecodeMountField(std::string_view s) {
    const auto isOct = [](char c) { return c >= '0' && c <= '7'; };
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && isOct(s[i + 1]) && isOct(s[i + 2]) && isOct(s[i + 3])) {
            r.push_back(char((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
            i += 3;
        } else {
            r.push_back(s[i]);
        }
    }
    return r;
}

std::string WithSlash(std::string s) {
    if (s.empty() || s.back() != '/') s.push_back('/');
    return s;
}

// The mount entry whose mount point is `root` (with or without a trailing "/").
bool FindMount(const std::string& mountsFile, const std::string& root, TmountEntry& found) {
    std::string text;
    if (!ReadFileBytes(mountsFile, text, nullptr, 16 << 20)) return false;
    for (const auto& e : ParseMountTable(text))
        if (WithSlash(e.MountPoint) == WithSlash(root)) found = e;  // the last mount wins
    return !found.MountPoint.empty();
}

bool RunProgram(const std::vector<std::string>& args, std::string& error) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        error = args[0] + " could not be started";
        return false;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = args[0] + " failed";
        return false;
    }
    return true;
}
}  // namespace

std::vector<TmountEntry> ParseMountTable(std::string_view text) {
    std::vector<TmountEntry> entries;
    for (const auto& line : SplitString(text, '\n')) {
        std::vector<std::string> fields;
        for (const auto& f : SplitString(line, ' '))
            if (!f.empty()) fields.push_back(f);
        if (fields.size() < 3) continue;
        entries.push_back({DecodeMountField(fields[0]), DecodeMountField(fields[1]), fields[2]});
    }
    return entries;
}

bool IsOpticalMount(const TmountEntry& entry) {
    return entry.Device.starts_with("/dev/sr") || entry.FileSystem == "iso9660" || entry.FileSystem == "udf";
}

bool VolumeSerialFromDescriptor(std::string_view d, uint32_t& serial) {
    if (d.size() < kSectorSize || uint8_t(d[0]) != 1 || d.substr(1, 5) != "CD001") return false;
    uint8_t lanes[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < kSectorSize; i += 4)
        for (size_t k = 0; k < 4; ++k) lanes[k] = uint8_t(lanes[k] + uint8_t(d[i + k]));
    serial = (uint32_t(lanes[0]) << 24) | (uint32_t(lanes[1]) << 16) | (uint32_t(lanes[2]) << 8) | lanes[3];
    return true;
}

bool ReadIsoVolumeSerial(const std::string& device, uint32_t& serial) {
    std::ifstream in(device, std::ios::binary);
    if (!in) return false;
    std::string sector(kSectorSize, '\0');
    in.seekg(std::streamoff(kPrimaryDescriptorSector * kSectorSize));
    if (!in.read(sector.data(), std::streamsize(kSectorSize))) return false;
    return VolumeSerialFromDescriptor(sector, serial);
}

uint32_t VolumeSerialFromUuid(std::string_view uuid) {
    uint32_t h = 2166136261u;
    for (char c : UpperCase(uuid)) {
        h ^= uint8_t(c);
        h *= 16777619u;
    }
    return h;
}

std::string ParseUserDirsEntry(std::string_view text, std::string_view key, const std::string& home) {
    for (const auto& raw : SplitString(text, '\n')) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || Trim(line.substr(0, eq)) != key) continue;
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME")) value = home + value.substr(5);
        while (value.size() > 1 && value.back() == '/') value.pop_back();
        return value;
    }
    return {};
}

std::string TlinuxSystemServices::GetSpecialFolderPath(TspecialFolder folder) {
    switch (folder) {
        case TspecialFolder::sfHome: return Home();
        case TspecialFolder::sfDesktop: return UserDir("XDG_DESKTOP_DIR", "Desktop");
        case TspecialFolder::sfDocuments: return UserDir("XDG_DOCUMENTS_DIR", "Documents");
        case TspecialFolder::sfMusic: return UserDir("XDG_MUSIC_DIR", "Music");
        case TspecialFolder::sfVideos: return UserDir("XDG_VIDEOS_DIR", "Videos");
        case TspecialFolder::sfPictures: return UserDir("XDG_PICTURES_DIR", "Pictures");
        case TspecialFolder::sfAppData: return EnvOr("XDG_DATA_HOME", (fs::path(Home()) / ".local/share").string());
        case TspecialFolder::sfConfig: return ConfigHome();
        case TspecialFolder::sfCache: return EnvOr("XDG_CACHE_HOME", (fs::path(Home()) / ".cache").string());
    }
    return {};
}

std::vector<std::string> TlinuxSystemServices::ListCDDrives() {
    std::vector<std::string> roots;
    std::string text;
    if (!ReadFileBytes(Foptions.MountsFile, text, nullptr, 16 << 20)) return roots;
    for (const auto& e : ParseMountTable(text)) {
        if (!IsOpticalMount(e)) continue;
        const std::string root = WithSlash(e.MountPoint);
        if (std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
    }
    return roots;
}

bool TlinuxSystemServices::GetVolumeSerial(const std::string& root, uint32_t& serial) {
    TmountEntry mount;
    if (!FindMount(Foptions.MountsFile, root, mount)) return false;
    if (ReadIsoVolumeSerial(mount.Device, serial)) return true;
    // No readable ISO 9660 descriptor (a UDF-only disc, or no read permission on the
    // device): the UUID that names the device stands in for the serial.
    std::error_code ec;
    const fs::path device = fs::weakly_canonical(mount.Device, ec);
    for (fs::directory_iterator it(Foptions.UuidFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (fs::weakly_canonical(it->path(), ec2) == device && !ec2) {
            serial = VolumeSerialFromUuid(it->path().filename().string());
            return true;
        }
    }
    return false;
}

bool TlinuxSystemServices::Shutdown(std::string& error) {
    GError* gerror = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &gerror);
    if (bus) {
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
            "PowerOff", g_variant_new("(b)", FALSE), nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &gerror);
        g_object_unref(bus);
        if (reply) {
            g_variant_unref(reply);
            return true;
        }
        error = gerror ? gerror->message : "logind did not answer";
        g_clear_error(&gerror);
        return false;
    }
    g_clear_error(&gerror);
    // No system bus: ask systemd directly.
    return RunProgram({"systemctl", "poweroff"}, error);
}

bool TlinuxSystemServices::GetFileVersion(const std::string& name, TfileVersion& version) {
    // Only this program carries a version: the one it was built with.
    std::error_code ec;
    if (!name.empty() && fs::weakly_canonical(name, ec) != fs::weakly_canonical("/proc/self/exe", ec)) return false;
    version = {TUNECREST_VERSION_MAJOR, TUNECREST_VERSION_MINOR, TUNECREST_VERSION_PATCH, 0};
    return true;
}

void InstallLinuxSystemServices() {
    SetSystemServices(std::make_shared<TlinuxSystemServices>());
    RefreshCDDrives();
}

}  // namespace tunecrest
