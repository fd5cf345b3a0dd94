#pragma once
// Installs the tagger plug-in double (built as fake_tagger.so) into a plug-in folder under
// a name of its own, with its settings, and reaches its call counter.
#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/tags/tagger_loader.h"

namespace tunecrest::test {

// Copies the double to `folder`/TAG_<name>.so and writes TAG_<name>.conf with `conf`
// (lines such as "Description=Alpha", "Extensions=mp3,ogg", "MediaFlags=1").
inline void InstallFakeTagger(const std::filesystem::path& folder, const std::string& name,
                              const std::string& conf) {
    const std::filesystem::path target = folder / ("TAG_" + name + ".so");
    std::filesystem::copy_file(std::filesystem::path(TUNECREST_LIB_DIR) / "fake_tagger.so", target,
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder / ("TAG_" + name + ".conf")) << conf;
}

// How many files the plug-in's ReadFile was asked to read (-1 when it is no double).
inline int FakeReadCount(const TtaggerPlugin* plugin) {
    if (!plugin) return -1;
    auto count = reinterpret_cast<int (*)()>(dlsym(plugin->Handle, "FakeTaggerReadCount"));
    return count ? count() : -1;
}

inline std::string FakeSettingsFile(const TtaggerPlugin* plugin) {
    auto file = reinterpret_cast<const char* (*)()>(dlsym(plugin->Handle, "FakeTaggerSettingsFile"));
    return file ? file() : "";
}

inline void WriteTextFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace tunecrest::test
