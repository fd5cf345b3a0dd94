// Start-up of the real main window with hostile files in its root: from constructing the
// window to its first paint on the screen, three starts of each case. Each must show
// the window well within two seconds with the whole library loaded.
//
//   bench_hostile_start
//
// One line a case: "case=<name> min_ms=... median_ms=... max_ms=... tracks=<loaded>
// settings_write_median_ms=..." (the settings written once the window shows).
// Links: tunecrest_mainwindow
#include <sys/stat.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/library/jukebox_list.h"
#include "core/tags/media_kinds.h"
#include "core/base/services.h"
#include "core/tags/tag_list_files.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "../tests/support/temp_dir.h"

using namespace tunecrest;
namespace fs = std::filesystem;

namespace {

constexpr int kTracks = 2000;

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct Tcase {
    const char* Name;
    std::function<void(const std::string& root)> Make;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TUNECREST_AUDIO_SINK", "fakesink", 0);
    QApplication app(argc, argv);
    InstallQtDispatcher();
    const std::vector<Tcase> cases = {
        {"none", [](const std::string&) {}},
        {"overflowing_numbers",
         [](const std::string& root) {
             Write(root + "Settings/settings.ini",
                   "[Geometry]\nWidth=-2147483648\nHeight=2147483647\n[View]\nKind=1\n"
                   "CoverArtMatrixHorizontal=100000\nCoverArtMatrixVertical=100000\n");
         }},
        {"settings_fifo", [](const std::string& root) { ::mkfifo((root + "Settings/settings.ini").c_str(), 0600); }},
        {"mappings_fifo", [](const std::string& root) { ::mkfifo((root + "Settings/mappings.txt").c_str(), 0600); }},
        {"mappings_dev_zero",
         [](const std::string& root) { fs::create_symlink("/dev/zero", root + "Settings/mappings.txt"); }},
        {"mappings_200000_lines",
         [](const std::string& root) {
             std::ofstream out(root + "Settings/mappings.txt", std::ios::binary);
             for (int i = 199999; i >= 0; --i) out << "Someone " << i << "=Mapped " << i << "\r\n";
         }},
        {"settings_70mb",
         [](const std::string& root) {
             std::ofstream out(root + "Settings/settings.ini", std::ios::binary);
             out << "[Filler]\n";
             const std::string line = "Key=" + std::string(60, 'x') + "\n";
             for (size_t n = 0; n < (size_t(70) << 20); n += line.size()) out << line;
         }},
        {"settings_just_under_cap",
         [](const std::string& root) {
             std::ofstream out(root + "Settings/settings.ini", std::ios::binary);
             out << "[Filler]\n";
             const std::string line = "Key=" + std::string(60, 'x') + "\n";
             for (size_t n = 0; n + line.size() < (size_t(1) << 20) - 64; n += line.size()) out << line;
         }},
        {"settings_16000_keys_in_one_read_section",
         [](const std::string& root) {
             std::ofstream out(root + "Settings/settings.ini", std::ios::binary);
             out << "[Preferences]\n";
             for (int i = 0; i < 16000; ++i) out << "Filler" << i << "=" << std::string(40, 'x') << "\n";
         }},
        {"skin_binary",
         [](const std::string& root) {
             fs::create_directories(root + "Skins/Bad");
             Write(root + "Skins/Bad/skin.usk", std::string("BM\0\0\0\0", 6) + std::string(4000, '\x7f'));
             Write(root + "Settings/settings.ini", "[Skins]\nSkinFile=Bad/skin.usk\n");
         }},
        {"command_line_megabyte", [](const std::string&) {}},
    };
    for (const auto& c : cases) {
        std::vector<double> times, writes;
        int loaded = 0;
        for (int run = 0; run < 3; ++run) {
            test::TempDir dir;
            const std::string root = dir.Path().string() + "/";
            fs::create_directories(root + "Settings");
            fs::create_directories(root + "Data");
            {
                TaudioTagList library;
                for (int i = 0; i < kTracks; ++i) {
                    auto tag = std::make_shared<TaudioTag>();
                    tag->SetArtist("Artist " + std::to_string(i / 30));
                    tag->SetAlbum("Album " + std::to_string(i / 10));
                    tag->SetTitle("Title " + std::to_string(i));
                    tag->SetFilename("/music/" + std::to_string(i) + ".mp3");
                    tag->SetMediaType(mkAudio);
                    library.Add(tag);
                }
                SaveTagListToFile(library, root + "Data/jukebox.dat", false);
            }
            c.Make(root);
            SetErrorLogFile(root + "Data/log.log");
            std::vector<std::string> args = {"-RootFolder=" + root};
            if (std::string(c.Name) == "command_line_megabyte") {
                args.push_back(std::string(size_t(1) << 20, 'a'));
                args.push_back("\xFF\xFE not text");
            }
            const auto t0 = std::chrono::steady_clock::now();
            {
                TfrmTunecrestMain form(args, root);
                form.ReadDisplaySettings();
                form.DoInitialise();
                form.show();
                QApplication::processEvents();
                form.PostInitialise();
                times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
                loaded = form.JukeboxList() ? form.JukeboxList()->GlobalList().Count() : -1;
                // Writing the settings after a settings dialog reads the file again on the
                // main thread, with the window on show.
                const auto w0 = std::chrono::steady_clock::now();
                form.WriteDisplaySettings();
                writes.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count());
                form.Controller().SetClosing();
            }
            SetErrorLogFile("");
        }
        std::sort(times.begin(), times.end());
        std::sort(writes.begin(), writes.end());
        std::printf("case=%s min_ms=%.1f median_ms=%.1f max_ms=%.1f tracks=%d settings_write_median_ms=%.1f\n", c.Name,
                    times.front(), times[1], times.back(), loaded, writes[1]);
        std::fflush(stdout);
    }
    SetDispatcher(nullptr);
    return 0;
}
