// Scenes of the main window's views: the demo library's artists (with a few more albums,
// each with a cover drawn here) browsed as a tree and as a cover matrix, a track playing
// and a queue, at the two screen sizes the jukebox mostly runs at.
#include <stdlib.h>

#include <QApplication>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/jukebox_list.h"
#include "core/tag_list_files.h"
#include "core/tree_nodes.h"
#include "mainwindow/main_form.h"
#include "mainwindow/qt_dispatcher.h"
#include "playback/image_getter.h"
#include "scenes.h"
#include "silent_player.h"
#include "skin/paint_regions.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

class TviewsForm : public TfrmCustomTunecrest {
  public:
    explicit TviewsForm(const std::string& root) : TfrmCustomTunecrest({"-RootFolder=" + root}, root) {
        FormCreate();
    }

  protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new TsilentPlayer; }
};

struct TdemoAlbum {
    const char* Artist;
    const char* Album;
    const char* Genre;
    const char* Year;
    int Hue;  // of the cover; -1: the album has no cover
    std::vector<const char*> Titles;
};

// The demo library's three albums first, then a few more so the matrix fills a page.
const std::vector<TdemoAlbum>& DemoAlbums() {
    static const std::vector<TdemoAlbum> albums = {
        {"The Night Owls",
         "Midnight Tones",
         "Jazz",
         "2026",
         220,
         {"Moonrise", "Quiet Streets", "Last Tram", "Neon Rain"}},
        {"Copper Lane",
         "Square Dance",
         "Country",
         "2026",
         28,
         {"First Step", "Barn Lights", "Fiddle Run", "Home Again"}},
        {"Saw Theory",
         "Edges",
         "Electronic",
         "2026",
         300,
         {"Sharp Turn", "Ramp Up", "Long Slide", "Cut Off"}},
        {"Harbour Lights",
         "Salt and Signal",
         "Rock",
         "2019",
         195,
         {"Lighthouse", "Undertow", "Pier Dance", "Northbound", "Flare"}},
        {"Velvet Static",
         "Afterglow",
         "Pop",
         "2021",
         340,
         {"Glow", "Paper Hearts", "Slow Motion", "Streetlight"}},
        {"Mira Solane",
         "Paper Moons",
         "Folk",
         "2018",
         45,
         {"Lantern", "Paper Moons", "River Song", "Wildflower"}},
        {"The Brass Foxes",
         "Last Orders",
         "Soul",
         "2017",
         10,
         {"Last Orders", "Tip Jar", "Closing Time", "One More"}},
        {"Nova Drift",
         "Orbit Lines",
         "Electronic",
         "2022",
         260,
         {"Liftoff", "Orbit Lines", "Apogee", "Re-entry"}},
        {"Juniper Road",
         "Wide Open",
         "Country",
         "2020",
         95,
         {"Wide Open", "Dust Devil", "Porch Light", "Long Haul"}},
        {"Kid Ampere", "Voltage", "Rock", "2023", -1, {"Voltage", "Live Wire", "Short Circuit"}},
        {"Lowland Choir", "Evensong", "Classical", "2016", 160, {"Evensong", "Vespers", "Nocturne"}},
        {"Dusty Pilots",
         "Runway Blues",
         "Blues",
         "2015",
         18,
         {"Runway Blues", "Tailwind", "Holding Pattern", "Touchdown"}},
    };
    return albums;
}

// A cover drawn from code: a gradient, a few bold shapes and the title.
QImage DrawCover(const TdemoAlbum& album, int index) {
    const int size = 320;
    QImage image(size, size, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, size, size);
    g.setColorAt(0, QColor::fromHsv(album.Hue, 170, 200));
    g.setColorAt(1, QColor::fromHsv((album.Hue + 40) % 360, 220, 70));
    p.fillRect(image.rect(), g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(QColor(255, 255, 255, 28 + 10 * i));
        const int r = 40 + ((index * 37 + i * 53) % 110);
        p.drawEllipse(QPoint((index * 71 + i * 97) % size, (index * 43 + i * 61) % size), r, r);
    }
    p.setPen(QColor(255, 255, 255, 235));
    QFont f("DejaVu Sans", 26, QFont::Bold);
    p.setFont(f);
    p.drawText(QRect(20, size - 130, size - 40, 80), Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap,
               QString::fromUtf8(album.Album).toUpper());
    f.setPointSize(13);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(20, size - 46, size - 40, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(album.Artist));
    return image;
}

// A root with the library's list file and the album folders holding their covers.
void MakeLibrary(const std::filesystem::path& root) {
    std::filesystem::create_directories(root / "Data");
    std::filesystem::create_directories(root / "Settings");
    TaudioTagList list;
    int index = 0;
    for (const auto& album : DemoAlbums()) {
        const auto folder = root / "Music" / album.Artist / album.Album;
        std::filesystem::create_directories(folder);
        if (album.Hue >= 0)
            DrawCover(album, index).save(QString::fromStdString((folder / "Folder.bmp").string()), "BMP");
        uint32_t track = 1;
        for (const char* title : album.Titles) {
            auto tag = std::make_shared<TaudioTag>();
            tag->SetArtist(album.Artist);
            tag->SetAlbum(album.Album);
            tag->SetTitle(title);
            tag->SetTrackNo(track);
            tag->SetGenreString(album.Genre);
            tag->SetDate(album.Year);
            tag->SetDuration(150 + (track * 47 + uint32_t(index) * 31) % 180);
            tag->SetMediaType(1);
            tag->SetFilename((folder / (std::to_string(track) + " " + title + ".ogg")).string());
            list.Add(tag);
            ++track;
        }
        ++index;
    }
    SaveTagListToFile(list, (root / "Data" / "jukebox.dat").string(), false);
}

TmyNode* FindAlbumNode(TmyNodeList& nodes, const std::string& title) {
    for (int i = 0; i < nodes.Count(); ++i) {
        TmyNode* node = nodes.Items(i);
        if (auto* album = node->DataAs<TaudioTagAlbum>(); album && album->Title() == title) return node;
        if (TmyNode* found = FindAlbumNode(node->Children(), title)) return found;
    }
    return nullptr;
}

// The artist's node under its letter.
TmyNode* FindArtistNode(TmyNodeList& nodes, const std::string& name) {
    for (int i = 0; i < nodes.Count(); ++i) {
        TmyNode* node = nodes.Items(i);
        if (node->DataAs<TaudioTagArtist>() && node->Caption == name && node->Parent() &&
            node->Parent()->Tag >= 0)
            return node;
        if (node->Tag < 0 || node->Tag >= bcOther) continue;  // letters only
        if (TmyNode* found = FindArtistNode(node->Children(), name)) return found;
    }
    return nullptr;
}

// Lets the cover cells' workers finish and hand their pictures back.
void WaitForCovers(TviewsForm& form) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (std::chrono::steady_clock::now() < until) {
        QApplication::processEvents();
        if (!form.Layout().PicturesPending()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QApplication::processEvents();
}

// What a scene adds to the views: nothing, the volume bar at the top with the position
// bar, the main menu and a track playing, or that with the View menu open.
enum Textras { exNone, exBarsAndMenu, exMenuOpen };

QImage RenderViews(const TsceneContext& ctx, int width, int height, int mode, Textras extras = exNone) {
    char pattern[] = "/tmp/tunecrest-views-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return {};
    const std::string root = std::string(made) + "/";
    MakeLibrary(root);
    auto previous = SetDispatcher(std::make_shared<TqtDispatcher>());
    QImage image;
    {
        TviewsForm form(root);
        form.LoadSkin(ctx.SkinFolder.string());
        form.ApplySkinColors(ctx.PanelColor, ctx.ButtonColor, ctx.FontColor);
        form.Settings().FullScreen = false;
        form.Settings().ViewKind = mode;
        form.resize(width, height);
        auto* list = form.JukeboxList();
        list->SetRandomPlayActive(false);
        form.DoInitialise();
        const auto& items = list->GlobalList().Items();
        for (int i : {4, 9, 14, 21, 30, 37})
            if (i < int(items.size())) list->AddToQueue(*items[size_t(i)]);
        form.PlayerPlay();
        form.setAttribute(Qt::WA_DontShowOnScreen, true);
        form.show();
        QApplication::processEvents();
        if (mode == bmCovers) {
            auto& covers = form.Layout().Covers();
            if (covers.AlbumOfCell(4)) {
                form.Layout().CoverMatrix->SetFocusedRegion(4);
                covers.OnAlbumClick(covers.AlbumOfCell(4));
            }
        } else if (TmyNode* chosen = mode == bmTree
                                         ? FindAlbumNode(form.Layout().Tree->Nodes(), "Midnight Tones")
                                         : FindArtistNode(form.Layout().Tree->Nodes(), "Harbour Lights")) {
            // In the artists mode the artist is chosen; in the tree mode one of its albums.
            chosen->ExpandParents();
            form.Layout().Tree->RebuildVisible();
            form.Layout().Tree->SelectNode(chosen, mode == bmTree);
            form.TreeSelectionChanged(chosen);
        }
        form.Layout().TrackList->SetItemIndex(1);
        form.Layout().QueueList->SetItemIndex(-1);
        QMenu* openMenu = nullptr;
        if (extras != exNone) {
            form.ViewOptions().VolumeMode = 1;
            form.ViewOptions().TrackPositionMode = 1;
            form.ApplyViewOptions();
            form.SetMainMenuVisible(true);
            form.PlayerTimeChanged(61000, 215000);
            QApplication::processEvents();
            if (extras == exMenuOpen)
                for (QAction* a : form.MainMenuBar()->actions())
                    if (a->text() == "View") openMenu = a->menu();
        }
        WaitForCovers(form);
        image = GrabWidget(form);
        if (openMenu) {
            // The open menu is a window of its own: drawn over the form where it drops down.
            QAction* title = openMenu->menuAction();
            const QRect at = form.MainMenuBar()->actionGeometry(title);
            const QPoint corner = form.MainMenuBar()->mapTo(&form, at.bottomLeft());
            TfrmBaseJukebox::SyncMenu(*openMenu, form.Actions());
            openMenu->ensurePolished();
            openMenu->adjustSize();
            openMenu->setAttribute(Qt::WA_DontShowOnScreen, true);
            openMenu->show();
            QApplication::processEvents();
            const QImage shown = openMenu->grab().toImage();
            QPainter p(&image);
            p.drawImage(QPoint(std::max(0, std::min(corner.x(), image.width() - shown.width())), corner.y()), shown);
            openMenu->hide();
        }
        form.Controller().SetClosing();
    }
    SetDispatcher(previous);
    std::error_code ec;
    std::filesystem::remove_all(made, ec);
    return image;
}

TsceneRegistrar tree1280({"views", "tree_1280x800", "Browse tree, album chosen, 1280x800",
                          [](const TsceneContext& ctx) { return RenderViews(ctx, 1280, 800, bmTree); }});
TsceneRegistrar tree1920({"views", "tree_1920x1080", "Browse tree, album chosen, 1920x1080",
                          [](const TsceneContext& ctx) { return RenderViews(ctx, 1920, 1080, bmTree); }});
TsceneRegistrar covers1280({"views", "covers_1280x800", "Cover matrix, album chosen, 1280x800",
                            [](const TsceneContext& ctx) { return RenderViews(ctx, 1280, 800, bmCovers); }});
TsceneRegistrar covers1920({"views", "covers_1920x1080", "Cover matrix, album chosen, 1920x1080",
                            [](const TsceneContext& ctx) { return RenderViews(ctx, 1920, 1080, bmCovers); }});
TsceneRegistrar bars1280({"views", "bars_menu_1280x800", "Volume and position bars, timer and main menu, 1280x800",
                          [](const TsceneContext& ctx) { return RenderViews(ctx, 1280, 800, bmTree, exBarsAndMenu); }});
TsceneRegistrar menu1920({"views", "menu_open_1920x1080", "The View menu open over the window, 1920x1080",
                          [](const TsceneContext& ctx) { return RenderViews(ctx, 1920, 1080, bmTree, exMenuOpen); }});
TsceneRegistrar artists1280({"views", "artists_covers_1280x800", "Artists with their covers, 1280x800",
                             [](const TsceneContext& ctx) {
                                 return RenderViews(ctx, 1280, 800, bmArtistsAndCovers);
                             }});

}  // namespace

}  // namespace tunecrest
