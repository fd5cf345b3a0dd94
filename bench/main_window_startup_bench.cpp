// Start-up of the jukebox as its owner meets it: the realistic library of
// bench/realistic_library.h (100,000 tracks; TUNECREST_STARTUP_TRACKS sets another size,
// e.g. 1000000) is written once, then every run starts a new process that builds the main
// window phase by phase as the program does (the start-up window, construction, settings,
// initialisation with the library load, show) and then browses once: it opens "[Genres]"
// and taps the largest genre, whose tracks fill the track list.
//
// On an X server (DISPLAY set; run it on a desktop with a window manager) the start-up is
// timed to the moment the server shows the window's picture, read back from the server by
// the parent, from the moment it started the process; the tap likewise, to the moment the
// server shows the new track list. Without a display the window is built offscreen and
// the times are those of the program's own first paint.
//
// Reported as min/median/max of the runs (TUNECREST_STARTUP_RUNS, 3 by default) beside the
// targets at a million tracks: a painted window within 800 ms, the tree complete within
// 1000 ms, at most 500 MB resident in the running window and after one browse, the large
// genre shown within 100 ms of the tap.
//
// TUNECREST_STARTUP_ROOT keeps the library in that folder for later runs (and for a
// profiler started on `--child FOLDER 0`); TUNECREST_STARTUP_BREAKDOWN=1 prints where the
// memory of the running window goes.
// Links: tunecrest_mainwindow X11::X11
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/heap_in_use.h"
#include "bench/realistic_library.h"
#include "bench/window_timing.h"
#include "bench/x_screen.h"
#include "core/base/services.h"
#include "core/display/tree_nodes.h"
#include "core/library/jukebox_list.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "mainwindow/views/track_views.h"
#include "skin/touch_list_box.h"
#include "windows/about_box.h"

#if defined(TUNECREST_MIMALLOC)
#include <mimalloc.h>
#endif

using namespace tunecrest;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using bench::RunIdle;
using bench::RunUntil;
using bench::TpaintCounter;

namespace {

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : fallback;
}

int Tracks() {
    return EnvNumber("TUNECREST_STARTUP_TRACKS", 100000);
}

double ResidentMb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

double MsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Nanoseconds of the monotonic clock, which the parent and the child share.
long long Stamp(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// ---- where the memory goes (TUNECREST_STARTUP_BREAKDOWN=1) ------------------------
// Bytes each structure of the running window holds, walked and counted as the heap
// rounds each block (its size class), printed to standard error.

size_t Block(size_t bytes) {
    if (bytes == 0) return 0;
#if defined(TUNECREST_MIMALLOC)
    return mi_good_size(bytes);
#else
    return (bytes + 15) & ~size_t(15);
#endif
}
size_t HeapText(const std::string& s) {
    return s.capacity() > 15 ? Block(s.capacity() + 1) : 0;
}
template <typename V>
size_t VectorBytes(const V& v) {
    return Block(v.capacity() * sizeof(typename V::value_type));
}

struct Tbreakdown {
    std::vector<std::pair<std::string, double>> Rows;
    void Add(const std::string& name, size_t bytes) { Rows.emplace_back(name, double(bytes) / 1048576.0); }
};

// A grouping's own memory: each member list object (made by make_shared), its vector of
// tracks and the vector of members; `nested` also walks what each member holds inside.
size_t ListListBytes(const TaudioTagListList& lists, size_t memberSize, size_t* trackVectors = nullptr) {
    size_t bytes = Block(sizeof(TaudioTagListList)) + VectorBytes(lists.Lists());
    for (const auto& list : lists.Lists()) {
        bytes += Block(memberSize + 16);
        const size_t items = VectorBytes(list->Items());
        bytes += items;
        if (trackVectors) *trackVectors += items;
    }
    return bytes;
}

// A node's child list exists once it had children.
size_t NodeBytes(const TmyNodeList& nodes, size_t& count) {
    size_t bytes = VectorBytes(std::vector<void*>(size_t(nodes.Count())));
    for (int i = 0; i < nodes.Count(); ++i) {
        const TmyNode& node = *nodes.Items(i);
        ++count;
        bytes += Block(sizeof(TmyNode)) + HeapText(node.Caption);
        if (node.HasChildren()) bytes += Block(sizeof(TmyNodeList)) + NodeBytes(node.Children(), count);
    }
    return bytes;
}

void PrintBreakdown(TfrmTunecrestMain& form, double rss, double beforeLoad) {
    TcustomJukeboxList& lib = *form.JukeboxList();
    Tbreakdown b;
    const auto& tracks = lib.GlobalList().Items();
    size_t texts = 0, others = 0;
    for (const auto& t : tracks) {
        // The title and the name within the folder share one block: their sizes, each text
        // and its zero byte (the folders are pooled).
        const size_t own = t->Title().size() + t->Filename().Name().size();
        texts += own ? Block(8 + own + 2) : 0;
        others += HeapText(t->Comment()) + HeapText(t->Caption()) + HeapText(t->ListName());
    }
    b.Add("track records (TaudioTag with its share count)", tracks.size() * Block(sizeof(TaudioTag) + 16));
    b.Add("titles and names within the folder (one block a track)", texts);
    b.Add("comments, captions, list names (heap part)", others);
    b.Add("global list", VectorBytes(tracks));
    b.Add("video list", VectorBytes(lib.VideoList().Items()));
    // Counting it makes an order left for later: it is taken after the resident figure.
    b.Add("(file-name index, made here when deferred)",
          size_t(lib.FileIndex().Count()) * sizeof(TaudioTagPtr));
    size_t albumTracks = 0, artistTracks = 0, titleTracks = 0, genreTracks = 0, yearTracks = 0, nested = 0;
    b.Add("albums", ListListBytes(lib.AlbumList(), sizeof(TaudioTagAlbum), &albumTracks));
    size_t artistAlbums = 0;
    for (const auto& a : lib.ArtistList().Lists())
        artistAlbums += Block(sizeof(TaudioTagAlbumList)) +
                        VectorBytes(static_cast<TaudioTagArtist&>(*a).Albums().Lists());
    b.Add("artists", ListListBytes(lib.ArtistList(), sizeof(TaudioTagArtist), &artistTracks) + artistAlbums);
    b.Add("title index", ListListBytes(lib.TitleList(), sizeof(TaudioTagArtist), &titleTracks));
    auto categories = [&](const TaudioTagCategoryList& list, size_t& own) {
        size_t bytes = ListListBytes(list, sizeof(TaudioTagCategory), &own);
        for (const auto& c : list.Lists()) {
            auto& cat = static_cast<TaudioTagCategory&>(*c);
            if (cat.ListsDeferred()) continue;
            bytes += ListListBytes(cat.Artists(), sizeof(TaudioTagArtist), &nested);
            bytes += ListListBytes(cat.Albums(), sizeof(TaudioTagAlbum), &nested);
        }
        return bytes;
    };
    b.Add("genres (with artists and albums made)", categories(lib.GenreList(), genreTracks));
    b.Add("years (with artists and albums made)", categories(lib.YearList(), yearTracks));
    b.Add("  of the groupings: track vectors",
          albumTracks + artistTracks + titleTracks + genreTracks + yearTracks + nested);
    if (TcustomJukebox* jukebox = static_cast<TcustomlocalJukeboxList&>(lib).Jukebox()) {
        b.Add("random list", VectorBytes(jukebox->RandomList().Items()));
        b.Add("random order", size_t(jukebox->RandomList().RandomOrder().Count()) * sizeof(TaudioTagPtr));
    }
    size_t nodes = 0;
    b.Add("browse tree nodes", NodeBytes(form.Layout().Browse().Tree().Nodes(), nodes));
    b.Add("the window before the library loaded (resident)", size_t(beforeLoad * 1048576));
    double sum = 0;
    for (const auto& [name, mb] : b.Rows) {
        if (name[0] != ' ' && name[0] != '(') sum += mb;  // parts and rows made here are not added
        std::fprintf(stderr, "%-50s %8.1f MB\n", name.c_str(), mb);
    }
    std::fprintf(stderr, "%-50s %8.1f MB\n", "sum of the above", sum);
    std::fprintf(stderr,
                 "sizes: track %zu, list %zu, album %zu, artist %zu, category %zu, node %zu, node list %zu\n",
                 sizeof(TaudioTag), sizeof(TaudioTagList), sizeof(TaudioTagAlbum), sizeof(TaudioTagArtist),
                 sizeof(TaudioTagCategory), sizeof(TmyNode), sizeof(TmyNodeList));
    const TmyNodeList& top = form.Layout().Browse().Tree().Nodes();
    for (int i = 0; i < top.Count(); ++i) {
        size_t count = 0;
        NodeBytes(top.Items(i)->Children(), count);
        std::fprintf(stderr, "  node \"%s\": %zu below\n", top.Items(i)->Caption.c_str(), count);
    }
    std::fprintf(stderr, "%-50s %8.1f MB (%zu tree nodes, %zu tracks, %zu B a track)\n", "resident", rss,
                 nodes, tracks.size(),
                 tracks.empty() ? size_t(0) : size_t(rss * 1048576 / double(tracks.size())));
#if defined(TUNECREST_MIMALLOC)
    // What the heap holds free: given back, the rest is in use.
    mi_collect(true);
    std::fprintf(stderr, "%-50s %8.1f MB\n", "resident once the heap gave back its free pages", ResidentMb());
#endif
}


// A finger on the tree's row of `node`, as a person taps it: the row is scrolled into
// view first (as a swipe would), then pressed and released at its middle.
bool TapNode(TtouchTreeView& tree, TmyNode* node) {
    tree.RebuildVisible();
    const int row = tree.Model().RowOf(node);
    if (row < 0) return false;
    if (row < tree.TopIndex() || row >= tree.TopIndex() + tree.VisibleRowCount()) tree.SetTopIndex(row);
    QApplication::processEvents();
    const QPointF at(tree.width() / 2.0, (row - tree.TopIndex()) * tree.ItemHeight() + tree.ItemHeight() / 2.0);
    const QPointF global = tree.mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&tree, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&tree, &release);
    return true;
}

// One start-up in this process; `forkedAt` is when the parent started it (0: started by
// hand, timed from here). Prints "window=<id>" as soon as the window exists, then one
// line of figures, each in ms from the fork, or MB.
int RunChild(const std::string& root, long long forkedAt) {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    const bool onX = std::getenv("DISPLAY") != nullptr;
    if (!onX) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TUNECREST_AUDIO_SINK", "fakesink", 0);
    const auto start = forkedAt > 0 ? Clock::time_point(std::chrono::nanoseconds(forkedAt)) : Clock::now();
    QApplication app(argc, argv);
    InstallQtDispatcher();
    const auto t0 = Clock::now();
    // As the program starts: the start-up window shows the phases, then the window.
    TfrmTunecrestAbout2 about;
    auto form = std::make_unique<TfrmTunecrestMain>(std::vector<std::string>{"-RootFolder=" + root}, root);
    form->SetProgressWindow(&about);
    const auto t1 = Clock::now();
    double beforeLoad = 0;
    {
        TprogressScope progress(&about, "Tunecrest is Starting Up");
        form->ReadDisplaySettings();
        beforeLoad = ResidentMb();
        form->DoInitialise();
    }
    form->HideProgress();
    const auto t2 = Clock::now();
    TpaintCounter formPaints(*form);
    form->show();
    form->update();
    std::printf("window=%lu\n", static_cast<unsigned long>(form->winId()));
    std::fflush(stdout);
    form->PostInitialise();
    RunUntil([&] { return formPaints.Paints > 0; }, std::chrono::seconds(30));
    QApplication::processEvents();
    const auto painted = Clock::now();
    const double paintedRss = ResidentMb();
    if (form->JukeboxList()->GlobalList().Count() != Tracks()) {
        std::fprintf(stderr, "the library did not load\n");
        return 1;
    }
    // The tree is built in steps through the event loop once the window is on show.
    TbrowseTreeView& browse = form->Layout().Browse();
    if (!RunUntil([&] { return !browse.Building(); }, std::chrono::seconds(120))) {
        std::fprintf(stderr, "the browse tree was not complete within 120 s\n");
        return 1;
    }
    const auto treeDone = Clock::now();
    // A moment of idle loop, as a running window has, then the memory it keeps.
    RunIdle(std::chrono::milliseconds(300));
    const double runningRss = ResidentMb();

    // One browse: "[Genres]" opened, then the largest genre tapped.
    TtouchTreeView& tree = browse.Tree();
    TmyNode* genres = browse.Viewer().NodeOfKind(bcGenres);
    if (!genres || !TapNode(tree, genres)) {
        std::fprintf(stderr, "no [Genres] node to tap\n");
        return 1;
    }
    RunIdle(std::chrono::milliseconds(200));
    TmyNode* largest = nullptr;
    int largestCount = -1;
    for (int i = 0; i < genres->Children().Count(); ++i) {
        TmyNode* node = genres->Children().Items(i);
        if (const auto* genre = node->DataAs<TaudioTagList>(); genre && genre->Count() > largestCount) {
            largest = node;
            largestCount = genre->Count();
        }
    }
    if (!largest) {
        std::fprintf(stderr, "no genre under [Genres]\n");
        return 1;
    }
    TtouchListBox& trackList = form->Layout().Lists().TrackList();
    TpaintCounter trackPaints(trackList);
    const QPoint corner = trackList.mapTo(form.get(), QPoint(0, 0));
    bench::TxScreen screen;
    const auto trackPicture = [&] {
        return screen.Rows(form->winId(), corner.x(), corner.y(), trackList.width(), trackList.height(), 4);
    };
    const std::vector<uint32_t> before = onX ? trackPicture() : std::vector<uint32_t>{};
    const auto tapped = Clock::now();
    TapNode(tree, largest);
    const int paintsBefore = trackPaints.Paints;
    const bool shown = RunUntil(
        [&] {
            if (trackList.Count() != largestCount || trackPaints.Paints == paintsBefore) return false;
            if (!onX || !screen.Open()) return true;
            const std::vector<uint32_t> now = trackPicture();
            return !now.empty() && now != before;
        },
        std::chrono::seconds(30));
    const auto tapShown = Clock::now();
    if (!shown) {
        std::fprintf(stderr, "the tapped genre's %d tracks were not shown within 30 s\n", largestCount);
        return 1;
    }
    RunIdle(std::chrono::milliseconds(300));
    const double browsedRss = ResidentMb();
    std::printf(
        "process_ms=%.1f create_ms=%.1f load_ms=%.1f painted_ms=%.1f tree_ms=%.1f painted_rss_mb=%.1f "
        "rss_mb=%.1f browsed_rss_mb=%.1f tap_ms=%.1f genre_tracks=%d heap_mb=%.1f\n",
        MsBetween(start, t0), MsBetween(t0, t1), MsBetween(t1, t2), MsBetween(start, painted),
        MsBetween(start, treeDone), paintedRss, runningRss, browsedRss, MsBetween(tapped, tapShown),
        largestCount, double(HeapInUseBytes()) / 1048576.0);
    std::fflush(stdout);
    if (std::getenv("TUNECREST_STARTUP_BREAKDOWN")) PrintBreakdown(*form, ResidentMb(), beforeLoad);
    form->Controller().SetClosing();
    // The process ends here: tearing a million tracks down is not part of a start.
    _exit(0);
}

struct Tfigures {
    double ProcessMs = 0, CreateMs = 0, LoadMs = 0, PaintedMs = 0, TreeMs = 0, PaintedRss = 0, Rss = 0,
           BrowsedRss = 0, TapMs = 0, Heap = 0;
    int GenreTracks = 0;
    // When the X server first showed the window's picture, in ms from the fork; -1 when
    // there is no X server to ask.
    double ShownMs = -1;
};

// Reads what the child prints while asking the X server, every millisecond or so, for
// the picture of the child's window once it has named it.
bool Spawn(const std::string& self, const std::string& root, Tfigures& f) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const auto forked = Clock::now();
    const std::string stamp = std::to_string(Stamp(forked));
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(self.c_str(), self.c_str(), "--child", root.c_str(), stamp.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::optional<bench::TxScreen> screen;
    if (std::getenv("DISPLAY")) screen.emplace();
    std::string out;
    unsigned long window = 0;
    char buffer[512];
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const bool watching = window && screen && screen->Open() && f.ShownMs < 0;
        if (poll(&p, 1, watching ? 1 : 100) > 0) {
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            out.append(buffer, size_t(n));
            if (!window)
                if (const size_t at = out.find("window="); at != std::string::npos && out.find('\n', at) != std::string::npos)
                    window = std::strtoul(out.c_str() + at + 7, nullptr, 10);
        }
        if (watching) {
            // The window's picture: a few rows across it, as the screen shows them. A
            // window that is mapped but not painted shows a single colour.
            int width = 0, height = 0;
            if (screen->Size(window, width, height) &&
                bench::TxScreen::Colours(screen->Rows(window, 0, 0, width, height, 8)) >= 16)
                f.ShownMs = MsBetween(forked, Clock::now());
        }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    const size_t figures = out.find("process_ms=");
    if (figures == std::string::npos) return false;
    return std::sscanf(out.c_str() + figures,
                       "process_ms=%lf create_ms=%lf load_ms=%lf painted_ms=%lf tree_ms=%lf painted_rss_mb=%lf "
                       "rss_mb=%lf browsed_rss_mb=%lf tap_ms=%lf genre_tracks=%d heap_mb=%lf",
                       &f.ProcessMs, &f.CreateMs, &f.LoadMs, &f.PaintedMs, &f.TreeMs, &f.PaintedRss, &f.Rss,
                       &f.BrowsedRss, &f.TapMs, &f.GenreTracks, &f.Heap) == 11;
}

void PrintRow(const char* name, std::vector<double> values, const char* unit, const char* target) {
    std::sort(values.begin(), values.end());
    std::printf("%-48s %9.1f %9.1f %9.1f %-3s %s\n", name, values.front(), values[values.size() / 2],
                values.back(), unit, target);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], std::atoll(argv[3]));
    const int runs = EnvNumber("TUNECREST_STARTUP_RUNS", 3);
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<Tfigures> all;
    {
        const bench::TrealisticRoot root("TUNECREST_STARTUP_ROOT", "tunecrest-startup-", Tracks());
        if (!bench::RunFreshProcesses(runs, "start-up", [&](Tfigures& f) { return Spawn(self, root.Path().string(), f); },
                                      all))
            return 1;
    }
    auto column = [&](double Tfigures::*field) { return bench::Column(all, field); };
    const bool million = Tracks() >= 1000000;
    const bool onX = all.front().ShownMs >= 0;
    std::printf("start-up at %d tracks, %d fresh processes%s %9s %9s %9s\n", Tracks(), runs,
                onX ? ", on the X server" : " (offscreen)", "min", "median", "max");
    PrintRow("process start to the window's construction", column(&Tfigures::ProcessMs), "ms", "");
    PrintRow("window construction", column(&Tfigures::CreateMs), "ms", "");
    PrintRow("settings and initialise (the library load)", column(&Tfigures::LoadMs), "ms", "");
    PrintRow("start-up to the window's first paint", column(&Tfigures::PaintedMs), "ms",
             million && !onX ? "target <= 800 ms" : "");
    if (onX)
        PrintRow("start-up to the picture shown by the X server", column(&Tfigures::ShownMs), "ms",
                 million ? "target <= 800 ms" : "");
    PrintRow("start-up until the browse tree is complete", column(&Tfigures::TreeMs), "ms",
             million ? "target <= 1000 ms" : "");
    PrintRow("resident memory when painted", column(&Tfigures::PaintedRss), "MB", "");
    PrintRow("resident memory of the running window", column(&Tfigures::Rss), "MB", million ? "target <= 500 MB" : "");
    PrintRow("resident memory after one browse", column(&Tfigures::BrowsedRss), "MB",
             million ? "target <= 500 MB" : "");
    char tapName[96];
    std::snprintf(tapName, sizeof tapName, "tap the largest genre (%d tracks) -> %s", all.front().GenreTracks,
                  onX ? "shown" : "painted");
    PrintRow(tapName, column(&Tfigures::TapMs), "ms", million ? "target <= 100 ms" : "");
    PrintRow("heap committed", column(&Tfigures::Heap), "MB", "");
    return 0;
}
