// Scenes of the main window over the demo library: the browse tree with an album chosen
// and its tracks listed, one track playing a minute in and five more queued, at the two
// screen sizes the jukebox is mostly run at; and with every control of the layout shown
// (stacker panel, search, queue-CD and back buttons, the position bar, the pop-up volume).
#include <QApplication>

#include "core/library/jukebox_list.h"
#include "core/display/tree_nodes.h"
#include "demo_library.h"
#include "mainwindow/qt_dispatcher.h"
#include "scenes.h"
#include "silent_player.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

// `partyPlay`: switched on as a bar runs it, with the play controls hidden from guests.
// `allControls`: every optional control of the layout shown, the stacker on.
QImage RenderMain(const TsceneContext& ctx, int width, int height, bool partyPlay = false,
                  bool allControls = false) {
    TsceneFolder root("tunecrest-scene");
    if (root.Path().empty()) return {};
    MakeDemoLibrary(root.Path());
    // The cover of the playing track is read on a worker that hands it back through the
    // dispatcher, as in the program.
    auto previous = SetDispatcher(std::make_shared<TqtDispatcher>());
    QImage image;
    {
        TsilentJukeboxForm form(root.Path());
        form.LoadSkin(ctx.SkinFolder.string());
        form.ApplySkinColors(ctx.PanelColor, ctx.ButtonColor, ctx.FontColor);
        form.Settings().FullScreen = false;
        form.Settings().ViewKind = bmTree;
        form.resize(width, height);
        auto* list = form.JukeboxList();
        list->SetRandomPlayActive(false);
        form.DoInitialise();  // loads the library from its data folder
        // The first plays; the rest wait in the queue.
        for (const char* title :
             {"Lighthouse", "Barn Lights", "Paper Hearts", "Lamplighter", "Liftoff", "Wide Open"})
            if (TaudioTagPtr tag = FindTrack(list->GlobalList(), title)) list->AddToQueue(*tag);
        form.PlayerPlay();
        if (TaudioTagPtr playing = FindTrack(list->GlobalList(), "Lighthouse"))
            form.PlayerTimeChanged(61000, playing->Duration() * 1000);
        if (partyPlay) {
            form.PartyPlaySettings().SetHidePlayControls(true);
            form.SetPartyPlay(true);
        }
        if (allControls) {
            TlayoutViewOptions& options = form.ViewOptions();
            options.StackerVisible = options.QueueCDButton = options.SearchButton = options.BackButton = true;
            options.TrackPositionMode = 1;
            options.VolumeMode = 2;
            form.ApplyViewOptions();
            form.ToggleStackerEnabled();
        }
        form.setAttribute(Qt::WA_DontShowOnScreen, true);
        form.show();
        QApplication::processEvents();
        // An artist near the top of the tree opened at one album, whose tracks fill the
        // track list.
        if (TmyNode* album = FindListNode(form.Layout().Tree->Nodes(), "Square Dance")) {
            album->ExpandParents();
            form.Layout().Tree->RebuildVisible();
            form.Layout().Tree->SelectNode(album, true);
            form.TreeSelectionChanged(album);
        }
        form.Layout().QueueList->SetItemIndex(-1);
        if (allControls) form.Layout().SetVolumePopupVisible(true);
        WaitForCovers(form);
        image = GrabWidget(form);
        form.Controller().SetClosing();
    }
    SetDispatcher(previous);
    return image;
}

TsceneRegistrar main1280({"mainwindow", "main_1280x800", "Main window, playing, 1280x800",
                          [](const TsceneContext& ctx) { return RenderMain(ctx, 1280, 800); }});
TsceneRegistrar main1920({"mainwindow", "main_1920x1080", "Main window, playing, 1920x1080",
                          [](const TsceneContext& ctx) { return RenderMain(ctx, 1920, 1080); }});
TsceneRegistrar mainAll1280({"mainwindow", "main_all_controls_1280x800",
                             "Main window with every layout control shown, 1280x800",
                             [](const TsceneContext& ctx) { return RenderMain(ctx, 1280, 800, false, true); }});
TsceneRegistrar mainAll1920({"mainwindow", "main_all_controls_1920x1080",
                             "Main window with every layout control shown, 1920x1080",
                             [](const TsceneContext& ctx) { return RenderMain(ctx, 1920, 1080, false, true); }});
TsceneRegistrar mainParty({"mainwindow", "main_partyplay_1280x800", "Main window under party play, 1280x800",
                           [](const TsceneContext& ctx) { return RenderMain(ctx, 1280, 800, true); }});

}  // namespace

}  // namespace tunecrest
