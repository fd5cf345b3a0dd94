// What a close writes, through the real window: every list wrote its file after its last
// change, so a close only finishes the saves still under way. A change whose save has not
// finished when the window closes is on disk at the next start from the same root; a
// close after nothing changed leaves every data file as it was, and a library file that
// could not be read is not replaced by what the window holds.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDialog>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "core/base/safe_file.h"
#include "core/library/jukebox_list.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/entries/window_entries.h"
#include "support/media_files.h"
#include "support/pump_events.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::Pump;

constexpr const char* kIndexFiles[] = {"albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx"};

// Holds the flush of the library file's write while set, so that its save is surely still
// under way when the window is asked to close; other files flush as usual.
std::atomic<bool> gHoldListFlush{false};
int HoldingSync(int fd) {
    char target[PATH_MAX] = {};
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    if (::readlink(link.c_str(), target, sizeof target - 1) > 0 && std::strstr(target, "/.jukebox.dat."))
        while (gHoldListFlush.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ::fsync(fd);
}

struct CloseRig {
    test::TempDir dir;
    std::string root, music, data;
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};

    CloseRig() {
        test::App();
        root = dir.File("root") + "/";
        music = dir.File("Music");
        data = root + "Data/";
        fs::create_directories(root + "Settings");
        fs::create_directories(music);
        std::ofstream(root + "Settings/settings.ini")
            << "[Preferences]\nShowTipsAtStartup=0\nConfirmExit=0\n[Geometry]\nFullScreen=0\n[RandomPlay]\n"
               "Enabled=0\n[Jukebox]\nAudioFolders="
            << music << "/\n";
        setenv("TUNECREST_AUDIO_SINK", "fakesink sync=false", 1);
        InstallQtDispatcher();
        TaggerLoader().SetPluginFolder((fs::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
    }
    ~CloseRig() {
        TaggerLoader().SetPluginFolder("");
        SetDispatcher(nullptr);
    }

    std::unique_ptr<TfrmTunecrestMain> Start() {
        auto form = std::make_unique<TfrmTunecrestMain>(
            std::vector<std::string>{"-RootFolder=" + root, "-PlayerType=DSHOW"}, TUNECREST_BIN_DIR);
        InstallWindowEntries(*form);
        form->ReadDisplaySettings();
        form->DoInitialise();
        form->show();
        form->PostInitialise();
        return form;
    }
    // Until the window has nothing more to save.
    static bool Settle(TfrmTunecrestMain& form) {
        return Pump([&] { return !form.JukeboxList()->BackgroundWorkPending(); }, 20000);
    }
    // The scan window, shown until its scan is done.
    void ExpectScan() {
        runner->Push([&](QDialog& scan) {
            EXPECT_TRUE(Pump([&] { return !scan.isVisible(); }, 20000)) << "the scan window closes when done";
        });
    }
    // Runs the window's scan of the media folders to its end.
    void Scan(TfrmTunecrestMain& form) {
        ExpectScan();
        ASSERT_TRUE(form.RunAction("actnFileScanFolders"));
    }
    // Every data file but the log: its size, times and the file it is.
    std::map<std::string, std::string> DataStamps() const {
        std::map<std::string, std::string> stamps;
        for (const auto& entry : fs::directory_iterator(data)) {
            const std::string name = entry.path().filename().string();
            if (name == "log.log") continue;
            struct stat st {};
            if (::stat(entry.path().c_str(), &st) != 0) continue;
            std::ostringstream text;
            text << st.st_ino << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec << ' '
                 << st.st_ctim.tv_sec << '.' << st.st_ctim.tv_nsec;
            stamps[name] = text.str();
        }
        return stamps;
    }
};

std::string Bytes(const std::string& file) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(file, bytes)) << file;
    return bytes;
}

bool Holds(TcustomJukeboxList& list, const std::string& name) {
    for (int i = 0; i < list.GlobalList().Count(); ++i)
        if (fs::path(list.GlobalList().GetTag(i)->Filename().str()).filename() == name) return true;
    return false;
}

TEST(CloseDown, AChangeStillBeingSavedIsOnDiskAtTheNextStartAndANothingChangedCloseWritesNothing) {
    CloseRig r;
    for (const char* name : {"First Song.wav", "Second Song.wav", "Third Song.wav"})
        ASSERT_TRUE(test::MakeMediaFile(r.music + "/" + name, test::TmediaFormat::Wav, 0.3));
    {
        // The first start scans the folder; its saves are done before the close.
        r.ExpectScan();
        auto form = r.Start();
        ASSERT_TRUE(Pump([&] { return form->JukeboxList()->GlobalList().Count() == 3; }, 20000));
        ASSERT_TRUE(CloseRig::Settle(*form));
        form->close();
    }
    ASSERT_TRUE(fs::exists(r.data + "jukebox.dat"));
    {
        // Nothing changed: the close writes no data file.
        auto form = r.Start();
        ASSERT_EQ(form->JukeboxList()->GlobalList().Count(), 3);
        ASSERT_TRUE(CloseRig::Settle(*form));
        const auto before = r.DataStamps();
        form->close();
        EXPECT_TRUE(form->Closed());
        form.reset();
        EXPECT_EQ(r.DataStamps(), before);
    }
    {
        // A file scanned in: the close request comes while its save is still under way.
        ASSERT_TRUE(test::MakeMediaFile(r.music + "/Fourth Song.wav", test::TmediaFormat::Wav, 0.3));
        auto form = r.Start();
        TcustomJukeboxList& list = *form->JukeboxList();
        ASSERT_TRUE(CloseRig::Settle(*form));
        const TfileSync sync = SetFileSync(HoldingSync);
        gHoldListFlush = true;
        r.Scan(*form);
        ASSERT_EQ(list.GlobalList().Count(), 4);
        ASSERT_TRUE(list.BackgroundWorkPending()) << "the save of the scanned track has not finished";
        gHoldListFlush = false;
        form->close();
        SetFileSync(sync);
        EXPECT_FALSE(list.BackgroundWorkPending()) << "the close finished it";
    }
    {
        // The next start from the same root has the track, and its index files, written
        // after the library file, are those of this library.
        for (const char* index : kIndexFiles)
            EXPECT_GE(fs::last_write_time(r.data + index), fs::last_write_time(r.data + "jukebox.dat")) << index;
        auto form = r.Start();
        TcustomJukeboxList& list = *form->JukeboxList();
        ASSERT_EQ(list.GlobalList().Count(), 4);
        EXPECT_TRUE(Holds(list, "Fourth Song.wav"));
        TbyteWriter whole;
        SaveTagListToStream(list.GlobalList(), whole);
        EXPECT_EQ(Bytes(r.data + "jukebox.dat"), whole.Bytes()) << "what a whole write of the library gives";
        EXPECT_EQ(list.AlbumList().TrackCount() + list.ArtistList().TrackCount(), 8);
        form->close();
    }
}

// A library file the start could not read is kept as it is until a person changes the
// library (its tracks may still be saved from it): a close does not replace it with the
// empty library the window holds, nor the playlists file the same way.
TEST(CloseDown, ADamagedLibraryFileIsLeftAsItIsByAClose) {
    CloseRig r;
    fs::create_directories(r.data);
    const std::string damaged = std::string("UATL") + std::string(40, '\xff');
    std::ofstream(r.data + "jukebox.dat", std::ios::binary) << damaged;
    std::ofstream(r.data + "playlists.dat", std::ios::binary) << "UALL\x05";
    // No media folder to scan at the start.
    std::ofstream(r.root + "Settings/settings.ini")
        << "[Preferences]\nShowTipsAtStartup=0\nConfirmExit=0\n[Geometry]\nFullScreen=0\n[RandomPlay]\n"
           "Enabled=0\n";
    const auto before = r.DataStamps();
    {
        auto form = r.Start();
        ASSERT_TRUE(form->JukeboxList()->GlobalLoadFailed());
        ASSERT_TRUE(CloseRig::Settle(*form));
        form->close();
    }
    EXPECT_EQ(Bytes(r.data + "jukebox.dat"), damaged);
    EXPECT_EQ(Bytes(r.data + "playlists.dat"), std::string("UALL\x05"));
    auto after = r.DataStamps();
    EXPECT_EQ(after["jukebox.dat"], before.at("jukebox.dat"));
    EXPECT_EQ(after["playlists.dat"], before.at("playlists.dat"));
}

}  // namespace
}  // namespace tunecrest
