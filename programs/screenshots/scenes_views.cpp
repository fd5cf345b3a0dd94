// Scenes of the main window's views: the demo library's artists and albums (each with
// its cover) browsed as a tree and as a cover matrix, a track playing and a queue, at the
// two screen sizes the jukebox mostly runs at.
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <algorithm>

#include "core/library/jukebox_list.h"
#include "core/display/tree_nodes.h"
#include "demo_library.h"
#include "mainwindow/program/qt_dispatcher.h"
#include "playback/image_getter.h"
#include "scenes.h"
#include "silent_player.h"
#include "skin/paint_regions.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

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

// What a scene adds to the views: nothing, the volume bar at the top with the position
// bar, the main menu and a track playing, or that with the View menu open.
enum Textras { exNone, exBarsAndMenu, exMenuOpen };

QImage RenderViews(const TsceneContext& ctx, int width, int height, int mode, Textras extras = exNone) {
    TsceneFolder root("tunecrest-views");
    if (root.Path().empty()) return {};
    MakeDemoLibrary(root.Path());
    auto previous = SetDispatcher(std::make_shared<TqtDispatcher>());
    QImage image;
    {
        TsilentJukeboxForm form(root.Path());
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
                                         ? FindListNode(form.Layout().Tree->Nodes(), "Midnight Tones")
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
