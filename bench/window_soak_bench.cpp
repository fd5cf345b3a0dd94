// An evening at the real main window, simulated fast: a library of a few hundred tracks,
// a silent player that finishes each track at once (so the history grows), and between
// tracks what a room does at the screen: browse modes switched, tree letters typed and
// their tracks shown and queued, cover pages turned, the window painted, and now and
// then the skin changed. Resident memory is printed at the start, every tenth of the
// way and at the end; after the first half it should stay flat.
//
//   bench_window_soak [--rounds 3000] [--tracks 400]
//
// Last line: "rss_start_kb=... rss_half_kb=... rss_end_kb=... growth_after_half_kb=...".
// Links: tunecrest_mainwindow
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/bench_process.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "core/tags/media_kinds.h"
#include "core/base/services.h"
#include "core/tags/tag_list_files.h"
#include "mainwindow/views/browse_views.h"
#include "mainwindow/views/cover_matrix.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/skin/main_window_skin.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "../tests/support/fake_media_player.h"
#include "../tests/support/temp_dir.h"

using namespace tunecrest;
namespace fs = std::filesystem;

namespace {

using bench::Argument;
using bench::CurrentRssKb;

// The product window with a player that plays nothing.
class TsoakForm : public TfrmCustomTunecrest {
  public:
    TsoakForm(std::vector<std::string> args, std::string folder)
        : TfrmCustomTunecrest(std::move(args), std::move(folder)) {
        FormCreate();
    }
    test::FakeMediaPlayer* Fake = nullptr;

  protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = Fake = new test::FakeMediaPlayer; }
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = Argument(argc, argv, "--rounds", 3000);
    const int trackCount = Argument(argc, argv, "--tracks", 400);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InstallQtDispatcher();
    test::TempDir dir;
    const std::string root = dir.Path().string() + "/";
    fs::create_directories(root + "Data");
    fs::create_directories(root + "Skins");
    for (const char* skin : {"Default", "Classic"})
        fs::copy(fs::path(TUNECREST_BIN_DIR) / "Skins" / skin, fs::path(root) / "Skins" / skin,
                 fs::copy_options::recursive);
    {
        TaudioTagList library;
        for (int i = 0; i < trackCount; ++i) {
            auto tag = std::make_shared<TaudioTag>();
            const int album = i / 10, artist = album / 3;
            tag->SetArtist(std::string(1, char('A' + artist % 26)) + "rtist " + std::to_string(artist));
            tag->SetAlbum("Album " + std::to_string(album));
            tag->SetTitle("Title " + std::to_string(i));
            tag->SetDate(std::to_string(1960 + album % 60));
            tag->SetGenreString("Genre " + std::to_string(artist % 12));
            // Every album's folder holds its cover, as ripped music does.
            const std::string folder = root + "music/" + std::to_string(artist) + "/" + std::to_string(album) + "/";
            if (i % 10 == 0) {
                fs::create_directories(folder);
                QImage cover(300, 300, QImage::Format_RGB888);
                cover.fill(QColor::fromHsv((album * 37) % 360, 200, 200));
                cover.save(QString::fromStdString(folder + "folder.jpg"), "JPEG");
            }
            tag->SetFilename(folder + std::to_string(i) + ".mp3");
            tag->SetDuration(200);
            tag->SetMediaType(mkAudio);
            library.Add(tag);
        }
        SaveTagListToFile(library, root + "Data/jukebox.dat", false);
    }
    SetErrorLogFile(root + "Data/log.log");
    long start = 0, half = 0;
    {
        TsoakForm form({"-RootFolder=" + root}, root);
        form.ReadDisplaySettings();
        form.DoInitialise();
        form.resize(1280, 800);
        form.show();
        QApplication::processEvents();
        form.PostInitialise();
        std::mt19937 random(45);
        const auto began = std::chrono::steady_clock::now();
        form.PlayerPlay();
        start = CurrentRssKb();
        std::printf("round=0 rss_kb=%ld\n", start);
        for (int round = 1; round <= rounds; ++round) {
            form.SetBrowseMode(int(random() % 3));
            form.Layout().Browse().SelectKey(char('A' + random() % 26));
            form.TreeSelectionChanged(form.Layout().Browse().SelectedNode());
            if (round % 4 == 0) form.QueueAddAll();
            if (form.BrowseMode() != 0) form.Layout().Covers().PageDown();
            if (round % 3 == 0) form.grab();
            if (round % 250 == 0) {
                form.SetSkinFile(round % 500 == 0 ? "Default/skin.usk" : "Classic/skin.usk");
                form.Skin().WaitForWorker();
            }
            if (form.Fake) {
                form.Fake->FinishTrack();
                form.Fake->Calls.clear();
            }
            QApplication::processEvents();
            if (round % (rounds / 10 > 0 ? rounds / 10 : 1) == 0) {
                const long rss = CurrentRssKb();
                if (round == rounds / 2 || (half == 0 && round >= rounds / 2)) half = rss;
                std::printf("round=%d rss_kb=%ld history=%d queue=%d\n", round, rss,
                            form.JukeboxList()->Jukebox()->History().Count(),
                            form.JukeboxList()->Jukebox()->Queue().Count());
                std::fflush(stdout);
            }
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        const long end = CurrentRssKb();
        std::printf("seconds=%.1f\nrss_start_kb=%ld rss_half_kb=%ld rss_end_kb=%ld growth_after_half_kb=%ld\n",
                    seconds, start, half, end, end - half);
        form.Controller().SetClosing();
    }
    SetErrorLogFile("");
    SetDispatcher(nullptr);
    return 0;
}
