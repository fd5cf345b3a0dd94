#pragma once
// What the library tests share: a library on a test folder with every auto-save on,
// loading it as the program does, the files' times, and running what was posted or
// handed to the background worker.
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/base/services.h"
#include "core/library/jukebox_list.h"
#include "core/library/jukebox_loader.h"
#include "tests/support/temp_dir.h"

namespace tunecrest::test::library_files {

namespace fs = std::filesystem;

inline std::unique_ptr<TlocalJukeboxList> NewLibrary(const TempDir& dir) {
    auto lib = std::make_unique<TlocalJukeboxList>();
    lib->SetDataFolder(dir.Path().string());
    lib->AutoSaveGlobal = true;
    lib->AutoSavePlaylists = true;
    lib->SetAutoSaveQueue(true);
    lib->SetAutoSaveStacker(true);
    return lib;
}

inline void LoadAll(TlocalJukeboxList& lib) {
    TlocalJukeboxLoader loader;
    loader.JukeboxList = &lib;
    loader.LoadAll();
}

inline std::map<std::string, fs::file_time_type> Times(const fs::path& folder) {
    std::map<std::string, fs::file_time_type> out;
    for (const auto& entry : fs::directory_iterator(folder)) out[entry.path().filename()] = entry.last_write_time();
    return out;
}

inline std::map<std::string, fs::file_time_type> Times(const TempDir& dir) { return Times(dir.Path()); }

inline void Drain() {
    static_cast<TqueueDispatcher&>(Dispatcher()).ProcessPendingCalls();
}

inline void WaitForBackgroundWork(TcustomJukeboxList& lib) {
    auto& dispatcher = static_cast<TqueueDispatcher&>(Dispatcher());
    for (int i = 0; i < 20000 && lib.BackgroundWorkPending(); ++i) dispatcher.WaitAndProcess(5);
    ASSERT_FALSE(lib.BackgroundWorkPending());
}

}  // namespace tunecrest::test::library_files
