// The product layout's own controls on the window's side: the view options that show and
// hide the stacker panel, the song title banner, the queue-CD, search and back buttons, the
// extra gap and the volume and track-position bars (stored under the layout's keys, locked
// as party play says); the back button's three actions; the stacker panel's line; the
// pause button's paused state; and the menu bar's height from "MenuSize".
#include <QMenuBar>
#include <algorithm>
#include <string>

#include "core/jukebox/jukebox.h"
#include "mainwindow/list_display.h"
#include "mainwindow/main_form.h"
#include "skin/skin_button.h"

namespace tunecrest {

namespace {

// The back button's actions, by its mode: the previous track to the queue, the current
// track from its start, the previous track to the head of the queue.
constexpr const char* kBackActions[] = {"actnQueuePreviousTrack", "actnControlRestartTrack",
                                        "actnQueuepreviousTrackAtTop"};
constexpr const char* kBackModeActions[] = {"actnViewBackPrevious", "actnViewBackRestart",
                                            "actnViewBackPreviousAtTop"};
constexpr const char* kVolumeModeActions[] = {"actnViewVolumeNone", "actnViewVolumeTop", "actnViewVolumePopup"};

}  // namespace

const std::vector<std::string>& LayoutViewActionNames() {
    static const std::vector<std::string> names = {
        "actnViewSongTitle",    "actnViewStacker",     "actnViewQueueCDButton", "actnViewSearchButton",
        "actnViewBackButton",   "actnViewAddGap",      "actnViewTrackPosition", "actnViewVolumeNone",
        "actnViewVolumeTop",    "actnViewVolumePopup", "actnViewBackPrevious",  "actnViewBackRestart",
        "actnViewBackPreviousAtTop"};
    return names;
}

void TfrmBaseJukebox::BindLayoutActions() {
    auto bind = [this](const char* name, std::function<void(Taction&)> handler) {
        if (Taction* a = Factions->Find(name); a && !a->OnExecute) a->OnExecute = std::move(handler);
    };
    // A view option of the layout: refused under party play (which sets the options it
    // locks), else changed, shown and kept for the settings.
    auto option = [this, bind](const char* name, std::function<void(TlayoutViewOptions&, const Taction&)> change) {
        bind(name, [this, change](Taction& a) {
            if (PartyPlayEnabled()) {
                ShowStatus("Not available in Party Play Mode");
                return;
            }
            change(FviewOptions, a);
            ApplyViewOptions();
            UpdateCheckMarks();
            FsettingsStore->MarkChanged();
        });
    };
    option("actnViewSongTitle", [](TlayoutViewOptions& o, const Taction&) { o.SongTitleVisible = !o.SongTitleVisible; });
    option("actnViewStacker", [](TlayoutViewOptions& o, const Taction&) { o.StackerVisible = !o.StackerVisible; });
    option("actnViewQueueCDButton", [](TlayoutViewOptions& o, const Taction&) { o.QueueCDButton = !o.QueueCDButton; });
    option("actnViewSearchButton", [](TlayoutViewOptions& o, const Taction&) { o.SearchButton = !o.SearchButton; });
    option("actnViewBackButton", [](TlayoutViewOptions& o, const Taction&) { o.BackButton = !o.BackButton; });
    option("actnViewAddGap", [](TlayoutViewOptions& o, const Taction&) { o.AddGap = !o.AddGap; });
    option("actnViewTrackPosition",
           [](TlayoutViewOptions& o, const Taction&) { o.TrackPositionMode = o.TrackPositionMode != 0 ? 0 : 1; });
    for (const char* name : kVolumeModeActions)
        option(name, [](TlayoutViewOptions& o, const Taction& a) { o.VolumeMode = a.Tag; });
    for (const char* name : kBackModeActions)
        option(name, [](TlayoutViewOptions& o, const Taction& a) { o.BackButtonMode = a.Tag; });
    // The pop-up volume bar's own button.
    bind("actnViewVolumePopupShow", [this](Taction&) {
        if (Flayout) Flayout->SetVolumePopupVisible(!Flayout->VolumePopupVisible());
        UpdateLayoutCheckMarks();
    });
    // The back button: the action its mode names, under that action's own guards. Party
    // play hides the button, and its action is refused with it.
    bind("actnControlBack", [this](Taction&) {
        if (PartyPlayEnabled()) {
            ShowStatus("Not available in Party Play Mode");
            return;
        }
        const int mode = std::clamp(FviewOptions.BackButtonMode, 0, 2);
        Factions->ExecuteByName(kBackActions[mode]);
    });
    Fcontroller.OnStackerChanged = [this] { RefreshStackerTitle(); };
    // The stacker's switch shows the stacker's state, also after a refused touch.
    if (Flayout)
        Flayout->StackerButton->OnClick = [this](TObject*) {
            if (Flayout->RunAction) Flayout->RunAction("actnStackerEnabled");
            RefreshStackerTitle();
        };
}

void TfrmBaseJukebox::UpdateLayoutCheckMarks() {
    auto check = [this](const char* name, bool on) { SetActionChecked(name, on); };
    check("actnViewSongTitle", FviewOptions.SongTitleVisible);
    check("actnViewStacker", FviewOptions.StackerVisible);
    check("actnViewQueueCDButton", FviewOptions.QueueCDButton);
    check("actnViewSearchButton", FviewOptions.SearchButton);
    check("actnViewBackButton", FviewOptions.BackButton);
    check("actnViewAddGap", FviewOptions.AddGap);
    check("actnViewTrackPosition", FviewOptions.TrackPositionMode != 0);
    for (int i = 0; i < 3; ++i) {
        check(kVolumeModeActions[i], FviewOptions.VolumeMode == i);
        check(kBackModeActions[i], FviewOptions.BackButtonMode == i);
    }
    check("actnViewVolumePopupShow", Flayout && Flayout->VolumePopupVisible());
    // The pop-up's own command is offered while there is a pop-up bar.
    if (Taction* a = Factions->Find("actnViewVolumePopupShow")) a->Visible = FviewOptions.VolumeMode == 2;
}

void TfrmBaseJukebox::RefreshStackerTitle() {
    if (!Flayout || !Flist || Closing()) return;
    TcustomJukebox& jukebox = *Flist->Jukebox();
    const bool enabled = jukebox.Stacker().Active();
    std::string state = enabled ? jukebox.StackerStatusText() : "";
    // Before the first track of this run the jukebox still holds its start marker, which
    // is no name to show: the cartridge that plays next, else the stacker waits.
    if (state == kStartCartridgeMarker)
        state = jukebox.NextCartridgeName().empty() ? "Inactive" : jukebox.NextCartridgeName();
    Flayout->SetStackerTitle(StackerTitleText(Flayout->ListFonts, state), enabled);
}

void TfrmBaseJukebox::SetMenuSize(int size) {
    Fsettings.MenuSize = std::clamp(size, 16, 60);
    ApplyMenuColors(FmenuPanelColor, FmenuTextColor);
}

int TfrmBaseJukebox::MenuBarHeight() const {
    // A finger needs 48 pixels; a larger menu size makes the bar higher.
    return std::max(kMinMenuHeight, Fsettings.MenuSize + 4);
}

}  // namespace tunecrest
