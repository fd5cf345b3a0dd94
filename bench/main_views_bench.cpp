// The main window's views on a big library: the track list of an artist with 5,000
// tracks chosen in the browse tree of a 100,000-track library (formatted, numbered and
// ordered), one page of 12 covers read from pictures embedded in the tracks, fetched
// and scaled on the cells' workers (the longest main-thread step while they arrive is
// reported as "main_ms"), and the browse tree refreshed after a library change in
// libraries of 100,000 and 1,000,000 tracks (the longest main-thread step and the time
// until the new tree is on show).
// Links: tunecrest_mainwindow
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench/browse_bench_library.h"
#include "core/display/browse_tree.h"
#include "core/library/jukebox_list.h"
#include "core/display/tag_list_display_settings.h"
#include "core/base/text_utils.h"
#include "core/display/tree_nodes.h"
#include "mainwindow/views/browse_views.h"
#include "mainwindow/views/cover_matrix.h"
#include "mainwindow/views/list_display.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "playback/image_getter.h"
#include "skin/paint_regions.h"
#include "skin/touch_list_box.h"

using namespace tunecrest;

namespace {
constexpr int kTracks = 100000;
constexpr int kBigArtistTracks = 5000;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct BigLibrary {
    std::filesystem::path folder;
    std::unique_ptr<TlocalJukeboxList> lib;
    BigLibrary() {
        folder = std::filesystem::temp_directory_path() / ("main_views_bench_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        lib = std::make_unique<TlocalJukeboxList>();
        lib->SetDataFolder(folder.string());
        auto& global = lib->GlobalList();
        global.BeginUpdate();
        for (int i = 0; i < kTracks; ++i) {
            const bool big = i < kBigArtistTracks;
            const int album = big ? i / 20 : i / 12, artist = album / 3;
            auto t = std::make_shared<TaudioTag>();
            t->SetFilename(Format("/music/%d/%d/%d.mp3", artist, album, i));
            t->SetArtist(big ? std::string("Big Band") : Format("%c Artist %05d", 'A' + artist % 26, artist));
            t->SetTitle(Format("%c Track %d", 'A' + i % 30, i));
            t->SetAlbum(Format("Album %05d", album));
            t->SetTrackNo(uint32_t(i % 12 + 1));
            t->SetDuration(200);
            t->SetMediaType(1);
            global.Add(std::move(t));
        }
        global.EndUpdate();
    }
    ~BigLibrary() {
        lib.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

void BM_ChooseArtistOf5000InA100kLibrary(benchmark::State& state) {
    static BigLibrary library;
    TcustomJukeboxListViewer2 viewer;
    TmyTreeModel tree;
    viewer.SetJukeboxList(library.lib.get());
    viewer.SetDisplayMode(DisplayModes({dmArtists, dmTitles, dmAlbums}));
    viewer.Rebuild(tree);
    TmyNode* big = nullptr;
    TmyNode* letter = viewer.NodeForKey('B');
    for (int i = 0; letter && i < letter->Children().Count() && !big; ++i)
        if (letter->Children().Items(i)->Caption == "Big Band") big = letter->Children().Items(i);
    if (!big) {
        state.SkipWithError("no artist node");
        return;
    }
    TformatStringContainer formats;
    ResetFormatStrings(formats);
    const TfontContainer fonts = DefaultFontStore(fsLists);
    TtagListDisplaySettings settings;
    TlistContext context{&formats, &fonts, &settings, viewer.DisplayMode()};
    for (auto _ : state) {
        TtrackRows rows = ChooseTrackRows(big, context);
        benchmark::DoNotOptimize(rows.Tracks.data());
        if (rows.Count() != kBigArtistTracks) state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_ChooseArtistOf5000InA100kLibrary)->Unit(benchmark::kMillisecond);

// A file that starts with an ID3v2.3 tag holding a JPEG picture, then a little audio.
void WriteTrackWithPicture(const std::filesystem::path& file, int hue) {
    QImage image(600, 600, QImage::Format_RGB888);
    image.fill(QColor::fromHsv(hue, 180, 200));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    std::string frame;
    frame += '\0';
    frame += "image/jpeg";
    frame += '\0';
    frame += '\3';
    frame += '\0';
    frame.append(jpeg.constData(), size_t(jpeg.size()));
    std::string tag = "APIC";
    const uint32_t n = uint32_t(frame.size());
    for (int shift : {24, 16, 8, 0}) tag += char((n >> shift) & 0xFF);
    tag += std::string(2, '\0');
    tag += frame;
    const uint32_t size = uint32_t(tag.size());
    std::string header = "ID3";
    header += '\3';
    header += '\0';
    header += '\0';
    for (int shift : {21, 14, 7, 0}) header += char((size >> shift) & 0x7F);
    std::ofstream out(file, std::ios::binary);
    out << header << tag << std::string(4096, '\xFF');
}

void BM_CoverPageOf12EmbeddedPictures(benchmark::State& state) {
    App();
    auto previous = SetDispatcher(std::make_shared<TqtDispatcher>());
    const auto folder =
        std::filesystem::temp_directory_path() / ("main_views_covers_" + std::to_string(getpid()));
    TaudioTagAlbumList albumList;
    TcoverAlbums albums;
    for (int i = 0; i < 24; ++i) {
        const auto dir = folder / std::to_string(i);
        std::filesystem::create_directories(dir);
        WriteTrackWithPicture(dir / "1.mp3", i * 15);
        auto t = std::make_shared<TaudioTag>();
        t->SetFilename((dir / "1.mp3").string());
        t->SetArtist("Artist");
        t->SetAlbum(Format("Album %02d", i));
        t->SetTitle("Song");
        albums.push_back(albumList.AddTag(t));
    }
    const TfontContainer fonts = DefaultFontStore(fsLists);
    TpaintRegionContainer matrix;
    matrix.resize(800, 600);
    matrix.SetMatrix(4, 3);
    TcoverMatrixView view(matrix, fonts);
    view.SetAlbums(albums);
    double longest = 0;
    int page = 0;
    for (auto _ : state) {
        view.ShowFrom((page++ % 2) * 12);
        for (;;) {
            const auto start = std::chrono::steady_clock::now();
            QApplication::processEvents();
            longest = std::max(
                longest,
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            bool busy = false;
            for (int i = 0; i < matrix.RegionCount(); ++i)
                busy = busy || static_cast<TimagePaintRegion*>(matrix.GetRegion(i))->ImageGetter().Busy();
            if (!busy) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(matrix.grab());
        longest = std::max(
            longest,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["main_ms"] = longest;
    SetDispatcher(previous);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_CoverPageOf12EmbeddedPictures)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window's tree refreshed as a library change notice does: the main thread's steps
// are the refresh call and every turn of the event loop until the new tree is on show
// and the replaced one freed.
void BM_BrowseTreeRefresh(benchmark::State& state) {
    App();
    bench::TbrowseBenchLibrary& library = bench::TbrowseBenchLibrary::OfSize(int(state.range(0)));
    const TfontContainer fonts = DefaultFontStore(fsLists);
    TtouchTreeView tree;
    tree.resize(400, 800);
    TbrowseTreeView view(tree, fonts);
    view.SetJukeboxList(library.lib.get());
    view.Viewer().SetDisplayMode(0xCFF);  // the main window's default set
    view.BuildTreeView();
    while (view.Building()) QApplication::processEvents();
    double longest = 0;
    int64_t steps = 0;
    auto since = [](std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        view.BuildTreeView();
        longest = std::max(longest, since(start));
        ++steps;
        while (view.Building()) {
            start = std::chrono::steady_clock::now();
            QApplication::processEvents();
            longest = std::max(longest, since(start));
            ++steps;
        }
    }
    state.counters["longest_step_ms"] = longest;
    state.counters["steps"] = double(steps) / double(state.iterations());
    state.counters["rows"] = tree.Count();
}
BENCHMARK(BM_BrowseTreeRefresh)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
