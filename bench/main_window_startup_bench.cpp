// Start-up of the jukebox with a 100,000-track library (TUNECREST_STARTUP_TRACKS sets
// another size, e.g. 1000000), each start in a fresh process of its own as the program
// meets it: the library is made and saved once, then every run starts a new process that
// builds the main window phase by phase (construction, settings, initialisation with the
// library load, show and the first paint), waits until the browse tree holds all its
// nodes, and reports its times and resident memory. The parent prints each figure as
// min/median/max of the runs (TUNECREST_STARTUP_RUNS, 3 by default) beside its target.
// Targets at a million tracks: a painted window within 800 ms, the tree complete within
// 1000 ms, at most 500 MB resident.
// Links: tunecrest_mainwindow
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/heap_in_use.h"
#include "core/base/services.h"
#include "core/display/tree_nodes.h"
#include "core/library/jukebox_list.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "skin/touch_list_box.h"

#if defined(TUNECREST_MIMALLOC)
#include <mimalloc.h>
#endif

using namespace tunecrest;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : fallback;
}

int Tracks() {
    return EnvNumber("TUNECREST_STARTUP_TRACKS", 100000);
}

void FillLibrary(TaudioTagList& list) {
    list.BeginUpdate();
    for (int i = 0; i < Tracks(); ++i) {
        const int album = i / 12, artist = album / 4;
        auto tag = std::make_shared<TaudioTag>();
        tag->SetArtist("Artist " + std::to_string(artist));
        tag->SetAlbum("Album " + std::to_string(album));
        tag->SetTitle("Title " + std::to_string(i));
        tag->SetDate(std::to_string(1960 + album % 60));
        tag->SetGenreString("Genre " + std::to_string(artist % 40));
        tag->SetFilename("/music/Artist " + std::to_string(artist) + "/Album " + std::to_string(album) + "/" +
                         std::to_string(i % 12 + 1) + " Title " + std::to_string(i) + ".mp3");
        tag->SetMediaType(mkAudio);
        list.Add(tag);
    }
    list.EndUpdate();
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
    size_t names = 0, titles = 0, others = 0;
    for (const auto& t : tracks) {
        names += HeapText(t->Filename());
        titles += HeapText(t->Title());
        others += HeapText(t->Comment()) + HeapText(t->Caption()) + HeapText(t->ListName());
    }
    b.Add("track records (TaudioTag with its share count)", tracks.size() * Block(sizeof(TaudioTag) + 16));
    b.Add("file names (heap part)", names);
    b.Add("titles (heap part)", titles);
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

// One start-up in this process; `forkedAt` is when the parent started it. Prints one line
// of figures, each in ms from the fork, or MB.
int RunChild(const std::string& root, long long forkedAt) {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TUNECREST_AUDIO_SINK", "fakesink", 0);
    // 0: started by hand, timed from here.
    const auto start = forkedAt > 0 ? Clock::time_point(std::chrono::nanoseconds(forkedAt)) : Clock::now();
    QApplication app(argc, argv);
    InstallQtDispatcher();
    const auto t0 = Clock::now();
    auto form = std::make_unique<TfrmTunecrestMain>(std::vector<std::string>{"-RootFolder=" + root}, root);
    const auto t1 = Clock::now();
    form->ReadDisplaySettings();
    const double beforeLoad = ResidentMb();
    form->DoInitialise();
    const auto t2 = Clock::now();
    form->show();
    form->update();
    QApplication::processEvents();
    form->PostInitialise();
    QApplication::processEvents();
    const auto painted = Clock::now();
    const double paintedRss = ResidentMb();
    if (form->JukeboxList()->GlobalList().Count() != Tracks()) {
        std::fprintf(stderr, "the library did not load\n");
        return 1;
    }
    // The tree is built in steps through the event loop once the window is on show.
    TbrowseTreeView& browse = form->Layout().Browse();
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    while (browse.Building() && Clock::now() < deadline)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (browse.Building()) {
        std::fprintf(stderr, "the browse tree was not complete within 120 s\n");
        return 1;
    }
    const auto treeDone = Clock::now();
    // A moment of idle loop, as a running window has, then the memory it keeps.
    for (const auto idle = Clock::now() + std::chrono::milliseconds(200); Clock::now() < idle;)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    std::printf(
        "process_ms=%.1f create_ms=%.1f load_ms=%.1f painted_ms=%.1f tree_ms=%.1f painted_rss_mb=%.1f "
        "rss_mb=%.1f heap_mb=%.1f\n",
        MsBetween(start, t0), MsBetween(t0, t1), MsBetween(t1, t2), MsBetween(start, painted),
        MsBetween(start, treeDone), paintedRss, ResidentMb(), double(HeapInUseBytes()) / 1048576.0);
    std::fflush(stdout);
    if (std::getenv("TUNECREST_STARTUP_BREAKDOWN")) PrintBreakdown(*form, ResidentMb(), beforeLoad);
    form->Controller().SetClosing();
    // The process ends here: tearing a million tracks down is not part of a start.
    _exit(0);
}

struct Tfigures {
    double ProcessMs = 0, CreateMs = 0, LoadMs = 0, PaintedMs = 0, TreeMs = 0, PaintedRss = 0, Rss = 0,
           Heap = 0;
};

bool Spawn(const std::string& self, const std::string& root, Tfigures& f) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const std::string stamp = std::to_string(Stamp(Clock::now()));
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(self.c_str(), self.c_str(), "--child", root.c_str(), stamp.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    return std::sscanf(
               out.c_str(),
               "process_ms=%lf create_ms=%lf load_ms=%lf painted_ms=%lf tree_ms=%lf painted_rss_mb=%lf "
               "rss_mb=%lf heap_mb=%lf",
               &f.ProcessMs, &f.CreateMs, &f.LoadMs, &f.PaintedMs, &f.TreeMs, &f.PaintedRss, &f.Rss,
               &f.Heap) == 8;
}

void PrintRow(const char* name, std::vector<double> values, const char* unit, const char* target) {
    std::sort(values.begin(), values.end());
    std::printf("%-44s %9.1f %9.1f %9.1f %-3s %s\n", name, values.front(), values[values.size() / 2],
                values.back(), unit, target);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], std::atoll(argv[3]));
    const int runs = EnvNumber("TUNECREST_STARTUP_RUNS", 3);
    // TUNECREST_STARTUP_ROOT keeps the library in that folder for later runs (and for a
    // profiler started on `--child FOLDER 0`).
    const char* kept = std::getenv("TUNECREST_STARTUP_ROOT");
    const fs::path root =
        kept ? fs::path(kept) : fs::temp_directory_path() / ("tunecrest-startup-" + std::to_string(getpid()));
    fs::create_directories(root / "Data");
    if (!kept || !fs::exists(root / "Data" / "jukebox.dat")) {
        TlocalJukeboxList lib;
        lib.SetDataFolder((root / "Data").string() + "/");
        FillLibrary(lib.GlobalList());
        lib.SaveAll();
    }
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<Tfigures> all;
    for (int i = 0; i < runs; ++i) {
        Tfigures f;
        if (!Spawn(self, root.string(), f)) {
            std::fprintf(stderr, "start-up run %d failed\n", i + 1);
            if (!kept) fs::remove_all(root);
            return 1;
        }
        all.push_back(f);
    }
    if (!kept) fs::remove_all(root);
    auto column = [&](double Tfigures::*field) {
        std::vector<double> v;
        for (const Tfigures& f : all) v.push_back(f.*field);
        return v;
    };
    const bool million = Tracks() >= 1000000;
    std::printf("start-up at %d tracks, %d fresh processes      %9s %9s %9s\n", Tracks(), runs, "min",
                "median", "max");
    PrintRow("process start to the window's construction", column(&Tfigures::ProcessMs), "ms", "");
    PrintRow("window construction", column(&Tfigures::CreateMs), "ms", "");
    PrintRow("settings and initialise (the library load)", column(&Tfigures::LoadMs), "ms", "");
    PrintRow("start-up to a painted window", column(&Tfigures::PaintedMs), "ms",
             million ? "target <= 800 ms" : "");
    PrintRow("start-up until the browse tree is complete", column(&Tfigures::TreeMs), "ms",
             million ? "target <= 1000 ms" : "");
    PrintRow("resident memory when painted", column(&Tfigures::PaintedRss), "MB", "");
    PrintRow("resident memory of the running window", column(&Tfigures::Rss), "MB",
             million ? "target <= 500 MB" : "");
    PrintRow("heap committed", column(&Tfigures::Heap), "MB", "");
    return 0;
}
