// The main window's own commands: the library's index files, focusing the lists, the
// clean-screen countdown, playlists made from the queue or fed the playing track, the
// queue's add-to-top, play-now and double-click modes, the view and settings toggles
// (hints, always on top, cover art, queue controls, keyboards, lock sizes, track numbers
// and details, the browse nodes), the play mode handed to the song search, the player's
// own settings and its type, and the video output's full screen and filters.
//
// Every check mark follows the state it shows (UpdateCheckMarks runs after each command
// and before a menu opens), and the settings these commands change are stored at close.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QScreen>
#include <QSplitter>

#include "core/display/browse_tree.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/services.h"
#include "mainwindow/clean_screen.h"
#include "mainwindow/main_form.h"
#include "mainwindow/queue_actions.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/touch_list_box.h"
#include "windows/about_box.h"

namespace tunecrest {

namespace {

// With "Show Hints" off no control of the window shows a hint: the tool-tip requests of
// the window's widgets are dropped before they reach them.
class ThintFilter : public QObject {
  public:
    explicit ThintFilter(const QWidget& form, const bool& shown) : Fform(form), Fshown(shown) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || Fshown || !watched->isWidgetType()) return false;
        const auto* widget = static_cast<QWidget*>(watched);
        return widget == &Fform || Fform.isAncestorOf(widget);
    }

  private:
    const QWidget& Fform;
    const bool& Fshown;
};

// The caption without its accelerator marks, as a hint.
QString HintOf(const std::string& caption) {
    QString text = QString::fromStdString(caption);
    text.replace("&&", "\x01");
    text.remove('&');
    text.replace("\x01", "&");
    return text;
}

// The browse node shown by each view toggle, by the toggle's Tag.
constexpr const char* kNodeActions[] = {"actnViewJukeboxArtists",   "actnViewJukeboxTracks",
                                        "actnViewJukeboxAlbums",    "actnViewJukeboxPlaylists",
                                        "actnViewJukeboxCompilations", "actnViewJukeboxNotTagged",
                                        "actnViewJukeboxGenres",    "actnViewJukeboxVideos"};

}  // namespace

void TfrmBaseJukebox::BindWindowCommands() {
    auto bind = [this](const char* name, std::function<void(Taction&)> handler) {
        if (Taction* a = Factions->Find(name); a && !a->OnExecute)
            a->OnExecute = [this, handler = std::move(handler)](Taction& sender) {
                handler(sender);
                UpdateCheckMarks();
            };
    };
    // File.
    bind("actnFileEnableIndexes", [this](Taction&) {
        if (Flist) Flist->SetEnableIndexes(!Flist->EnableIndexes());
    });
    // The library's database answers the query rules of random play; the person switches
    // it here, and the choice is kept with the library's settings.
    bind("actnFileEnableDatabase", [this](Taction&) {
        if (Flist) Flist->SwitchDatabase(!Flist->DatabaseEnabled());
    });
    bind("actnFileRecreateIndexes", [this](Taction&) {
        // The library file and, with indexes on, the grouping index files written anew.
        if (Flist && !Flist->Jukebox()->LibraryLoading()) Flist->SaveGlobalList();
    });
    bind("actnFileShowWinamp", [this](Taction&) {
        // The engine is chosen at start; the stored choice counts from the next start.
        if (auto* product = dynamic_cast<TfrmCustomTunecrest*>(this))
            product->SetPlayerType(product->StoredPlayerType() == "WINAMP" ? "DSHOW" : "WINAMP");
    });
    bind("actnHelpAbout", [this](Taction&) {
        if (Fprogress) {
            if (!Fprogress->isVisible()) Fprogress->ShowAbout();
        } else {
            Fdialogs->ShowAbout();
        }
    });
    // Other.
    bind("actnActivateJukeboxList", [this](Taction&) {
        if (Flayout && Flayout->Tree) Flayout->Tree->setFocus(Qt::OtherFocusReason);
    });
    bind("actnActivateTrackList", [this](Taction&) {
        if (Flayout && Flayout->TrackList) Flayout->TrackList->setFocus(Qt::OtherFocusReason);
    });
    bind("actnActivateQueueList", [this](Taction&) {
        if (FqueueList) FqueueList->setFocus(Qt::OtherFocusReason);
    });
    bind("actnCleanScreen", [this](Taction&) { ShowCleanScreen(); });
    bind("actnSongScrollerClick", [this](Taction&) {
        const std::vector<std::string> items = {"Toggle Song Title Scrolling", "Add Track to Playlist"};
        const int picked = Fdialogs->SelectString("What do you want to do?", items, 0);
        if (picked == 0) Factions->ExecuteByName("actnSettingsScrollSongTitle");
        if (picked == 1) Factions->ExecuteByName("actnPlaylistsAddCurrentTrackToPlaylist");
    });
    bind("actnSearch", [this](Taction&) { Fdialogs->ShowSongSearch(PlayMode()); });
    // Playlists.
    bind("actnPlaylistsShow", [this](Taction&) { Fdialogs->ShowPlaylistDisplay(); });
    auto choosePlaylist = [this]() -> TaudioTagListPtr {
        if (!Flist || Flist->Playlists().Count() == 0) return nullptr;
        std::vector<std::string> names;
        for (const auto& list : Flist->Playlists().Lists()) names.push_back(list->Title());
        const int picked = Fdialogs->SelectString("Select a playlist...", names, 0);
        if (picked < 0 || picked >= int(names.size())) return nullptr;
        return Flist->Playlists().Lists()[size_t(picked)];
    };
    bind("actnPlaylistsActivate", [this, choosePlaylist](Taction&) {
        if (const TaudioTagListPtr list = choosePlaylist()) Flist->ActivatePlaylist(list->Title());
    });
    bind("actnPlaylistsAddCurrentTrackToPlaylist", [this, choosePlaylist](Taction&) {
        const TaudioTagPtr track = Fcontroller.CurrentTrack();
        if (!track) return;
        if (const TaudioTagListPtr list = choosePlaylist()) {
            Flist->MarkPlaylistsUserChange();
            list->AddCopy(track);
            ShowStatus("Added \"" + track->Title() + "\" to " + list->Title());
        }
    });
    // Queue.
    auto focusedTrack = [this]() -> TaudioTagPtr {
        if (!Flayout || !Flist) return nullptr;
        const TtrackRows& rows = Flayout->Lists().Rows();
        const int row = Flayout->TrackList->ItemIndex();
        if (!rows.Source || row < 0 || row >= int(rows.Tracks.size())) return nullptr;
        return rows.Tracks[size_t(row)];
    };
    bind("actnQueueAddToTop", [this, focusedTrack](Taction&) {
        const TaudioTagPtr tag = focusedTrack();
        if (!tag) return;
        TtouchListBox& list = *Flayout->TrackList;
        list.BeginUpdate();
        auto& queue = Flist->Jukebox()->Queue();
        queue.BeginUpdate();
        Flist->InsertInQueue(*tag);
        queue.EndUpdate();
        list.SetItemIndex(-1);
        list.EndUpdate();
    });
    bind("actnQueueQueueAndPlay", [this, focusedTrack](Taction&) {
        const TaudioTagPtr tag = focusedTrack();
        if (!tag) return;
        const int row = Flayout->TrackList->ItemIndex();
        Flist->PlayNow(*tag);
        Flayout->TrackList->SetSelected(row, false);
    });
    bind("actnQueuepreviousTrackAtTop", [this](Taction&) {
        if (Flist) TqueueActions(*Flist).PreviousTrack(true);
    });
    bind("actnQueueNoDuplicates", [this](Taction&) {
        if (!Flist) return;
        Flist->SetQueueNoDuplicates(!Flist->Jukebox()->Queue().NoDuplicates());
        Fsettings.NoQueueDuplications = Flist->Jukebox()->Queue().NoDuplicates();
    });
    bind("actnQueueKeepTrackCount", [this](Taction& a) {
        Fsettings.KeepQueueTrackCount = a.Checked;
        QueueChanged();
    });
    bind("actnQueueMakePlaylist", [this](Taction&) {
        if (!Flist) return;
        const auto name = Prompt().AskText("Make Playlist", "Enter a name for the playlist...", "");
        if (!name) return;
        if (name->empty()) {
            Prompt().ShowMessage("A playlist needs a name; no playlist was made.", "Make Playlist");
            return;
        }
        Flist->MarkPlaylistsUserChange();
        if (auto made = Flist->Playlists().AddCopyOfList(Flist->Jukebox()->Queue(), *name)) made->SetActive(false);
        ShowStatus("Playlist \"" + *name + "\" made from the queue");
    });
    bind("actnQueueDCNone", [this](Taction&) { Fsettings.QueueDoubleClick = 0; });
    bind("actnQueueDCMoveToTop", [this](Taction&) { Fsettings.QueueDoubleClick = 1; });
    bind("actnQueueDCPlayNow", [this](Taction&) { Fsettings.QueueDoubleClick = 2; });
    // Settings.
    bind("actnSettingsAutoPlay", [this](Taction&) { Fsettings.AutoPlay = !Fsettings.AutoPlay; });
    bind("actnSettingsRestoreTrack", [this](Taction&) { Fsettings.RestoreAtStartup = !Fsettings.RestoreAtStartup; });
    bind("actnSettingsAlwaysOnTop", [this](Taction&) { SetAlwaysOnTopOn(!Fsettings.AlwaysOnTop); });
    bind("actnSettingsShowHints", [this](Taction&) { SetShowHints(!Fsettings.ShowHints); });
    bind("actnSettingsPlayer", [this](Taction&) {
        auto* player = Fcontroller.Player();
        if (!player) return;
        player->ShowConfig();
        // What the player's dialog changed is kept at once.
        FsettingsStore->MarkChanged();
        WriteDisplaySettings();
    });
    bind("actnSettingsPMQueue", [this](Taction&) { Fsettings.QueueMode = 0; });
    bind("actnSettingsPMInstantPlay", [this](Taction&) { Fsettings.QueueMode = 1; });
    // Video: only with a video output.
    bind("actnVideoFullScreen", [this](Taction&) {
        auto* player = Fcontroller.Player();
        if (TcustomVideoPlayer* video = player ? player->VideoPlayer() : nullptr)
            video->SetFullScreen(!video->IsFullScreen());
    });
    bind("actnVideoConfigureFilters", [this](Taction&) {
        auto* player = Fcontroller.Player();
        if (TcustomVideoPlayer* video = player ? player->VideoPlayer() : nullptr) video->ShowFiltersWindow();
    });
    // View.
    bind("actnViewCoverArt", [this](Taction&) { SetShowCoverArt(!Fsettings.CoverArtVisible); });
    bind("actnViewKeyboards", [](Taction&) {
        GlobalPrefs().SetOnScreenKeyboardsEnabled(!GlobalPrefs().OnScreenKeyboardsEnabled());
    });
    bind("actnViewLockSizes", [this](Taction&) { SetLockSizes(!Fsettings.GeometryLock); });
    bind("actnViewTrackNumbers", [this](Taction& a) {
        Fsettings.TrackNumbers = !a.Checked;
        if (!Flayout) return;
        // Both lists are formatted again (each display setting reports its change).
        Flayout->TrackListDisplay.SetDisplayTrackNumbers(Fsettings.TrackNumbers);
        Flayout->QueueListDisplay.SetDisplayTrackNumbers(Fsettings.TrackNumbers);
        // The numbering is chosen with the rows: the shown node or album is chosen again.
        const auto album = std::dynamic_pointer_cast<TaudioTagAlbum>(Flayout->Lists().Rows().Source);
        if (TmyNode* node = Flayout->Browse().SelectedNode(); node && node->Data == Flayout->Lists().Rows().Source)
            TreeSelectionChanged(node);
        else if (album)
            Flayout->Lists().ShowAlbum(album);
    });
    bind("actnViewTrackDetails", [this](Taction&) {
        Fsettings.ShowTrackDetails = !Fsettings.ShowTrackDetails;
        if (Flayout) Flayout->Lists().ShowTrackDetails = Fsettings.ShowTrackDetails;
    });
    bind("actnViewExtendedTrackDetails", [this](Taction&) {
        Fsettings.ExtendedTrackDetails = !Fsettings.ExtendedTrackDetails;
        if (Flayout) Flayout->Lists().ExtendedTrackDetails = Fsettings.ExtendedTrackDetails;
    });
    for (const char* name : kNodeActions)
        bind(name, [this](Taction& a) {
            const uint32_t bit = uint32_t(1) << a.Tag;
            SetBrowseDisplayMode(BrowseDisplayMode() ^ bit);
        });

    // Track numbers are on until the settings say otherwise.
    Fsettings.TrackNumbers = Factions->Get("actnViewTrackNumbers").Checked;
    // A double click on the queue runs what the double-click mode says.
    if (FqueueList) FqueueList->OnDblClick = [this](TObject*) { QueueDoubleClicked(); };
    // The skinned buttons tell what they do while hints are on.
    if (Flayout)
        for (TmySkinButton* b : Flayout->Buttons) {
            const QVariant action = b->property("actionName");
            if (b->toolTip().isEmpty() && action.isValid())
                if (const Taction* a = Factions->Find(action.toString().toStdString()))
                    b->setToolTip(HintOf(a->Hint.empty() ? a->Caption : a->Hint));
        }
    FhintFilter = std::make_unique<ThintFilter>(*this, Fsettings.ShowHints);
    qApp->installEventFilter(FhintFilter.get());
}

void TfrmBaseJukebox::QueueDoubleClicked() {
    // A double click is a touch on the queue's move: it is allowed exactly when the move
    // actions are (party play's "Disable Move Functions" hides them), and "Play Now" also
    // needs Next; then the action runs as a touch does, under the same guards.
    const int mode = Fsettings.QueueDoubleClick;
    if (mode != 1 && mode != 2) return;
    auto allowed = [this](const char* name) {
        const Taction* a = Factions->Find(name);
        return a && a->Visible && a->Enabled;
    };
    if (!allowed("actnQueueMoveTop") || (mode == 2 && !allowed("actnControlNext"))) {
        if (PartyPlayEnabled()) ShowStatus("Not available in Party Play Mode");
        return;
    }
    TouchAction(mode == 1 ? "actnQueueMoveTop" : "actnQueuePlayNow");
}

void TfrmBaseJukebox::SetRepeatTrack(bool on) {
    if (Flist) Flist->SetRepeatTrack(on);
    UpdateCheckMarks();
}

void TfrmBaseJukebox::ToggleStackerEnabled() {
    if (!Flist) return;
    Flist->SetStackerActive(!Flist->Jukebox()->Stacker().Active());
    Fsettings.StackerEnabled = Flist->Jukebox()->Stacker().Active();
    ShowStatus(std::string("Stacker ") + (Fsettings.StackerEnabled ? "Enabled" : "Disabled"));
    RefreshStackerTitle();
    UpdateCheckMarks();
}

void TfrmBaseJukebox::SetShowQueueControls(bool on) {
    FqueueControlsShown = on;
    // The person's own choice is stored; what party play forces is not.
    if (!PartyPlayEnabled()) Fsettings.QueueControlsVisible = on;
    ShowQueueButtons();
    if (Taction* a = Factions->Find("actnViewQueueControls")) a->Checked = on;
}

void TfrmBaseJukebox::ShowQueueButtons() {
    // Each queue button is shown while the queue controls are and its action is visible;
    // the other buttons of party play's actions follow their actions too.
    ApplyButtonVisibility();
}

uint32_t TfrmBaseJukebox::RadioStationsMode() const { return DisplayModeBit(dmRadioStations); }

void TfrmBaseJukebox::SetShowCoverArt(bool on) {
    Fsettings.CoverArtVisible = on;
    if (Flayout && Flayout->NowPlayingCover) Flayout->NowPlayingCover->setVisible(on);
    if (Taction* a = Factions->Find("actnViewCoverArt")) a->Checked = on;
}

void TfrmBaseJukebox::SetShowHints(bool on) {
    Fsettings.ShowHints = on;
    if (Taction* a = Factions->Find("actnSettingsShowHints")) a->Checked = on;
}

void TfrmBaseJukebox::SetAlwaysOnTopOn(bool on) {
    const bool current = (windowFlags() & Qt::WindowStaysOnTopHint) != 0;
    Fsettings.AlwaysOnTop = on;
    if (Taction* a = Factions->Find("actnSettingsAlwaysOnTop")) a->Checked = on;
    if (current == on) return;
    // Changing the flag takes the window off the screen; a shown window comes back at once,
    // in the state it had (full screen stays full screen). The screen saver always stays
    // on top of the window, on top or not.
    const bool shown = isVisible();
    const Qt::WindowStates state = windowState();
    // The toolkit moves the window back by its frame's corner, which a window manager may
    // not have reported yet: the window would creep down and right at every change (and
    // every start with the setting on). Its own bounds are put back instead.
    const bool normal = (state & (Qt::WindowFullScreen | Qt::WindowMaximized | Qt::WindowMinimized)) == 0;
    const QRect bounds = normal ? geometry() : FnormalBounds;
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (normal && bounds.isValid()) {
        FplacingWindow = true;
        setGeometry(bounds);
        FplacingWindow = false;
    }
    if (shown) {
        setWindowState(state);
        show();
        raise();
    }
}

void TfrmBaseJukebox::SetLockSizes(bool on) {
    Fsettings.GeometryLock = on;
    if (Taction* a = Factions->Find("actnViewLockSizes")) a->Checked = on;
    // Only the splitters are held. TmySkinSplitter has no meta-object of its own, so Qt's
    // findChildren<TmySkinSplitter*> would match every widget; the type is asked per widget.
    for (QSplitter* s : findChildren<QSplitter*>()) s->setEnabled(!on);
    for (QWidget* w : findChildren<QWidget*>())
        if (auto* s = dynamic_cast<TmySkinSplitter*>(w)) s->setEnabled(!on);
    ApplySizeLock(on);
}

void TfrmBaseJukebox::ApplySizeLock(bool on) {
    // A window that is not full screen keeps its size while locked.
    if (on && !IsFullScreen()) {
        setFixedSize(normalGeometry().isValid() ? normalGeometry().size() : size());
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

QWidget* TfrmBaseJukebox::CleanScreenWindow() const {
    auto* window = static_cast<TcleanScreenWindow*>(FcleanScreen.get());
    return window && !window->Finished() ? window : nullptr;
}

void TfrmBaseJukebox::ShowCleanScreen() {
    if (CleanScreenWindow()) return;
    auto window = std::make_unique<TcleanScreenWindow>(Fsettings.ScreenCleanTimeout, CleanScreenClock);
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        window->setGeometry(screen->geometry());
    window->showMaximized();
    FcleanScreen = std::move(window);
}

void TfrmBaseJukebox::ApplyWindowSettings() {
    SetShowHints(Fsettings.ShowHints);
    SetShowCoverArt(Fsettings.CoverArtVisible);
    if (!PartyPlayEnabled()) SetShowQueueControls(Fsettings.QueueControlsVisible);
    SetAlwaysOnTopOn(Fsettings.AlwaysOnTop);
    SetLockSizes(Fsettings.GeometryLock);
    if (Flayout) {
        Flayout->TrackListDisplay.SetDisplayTrackNumbers(Fsettings.TrackNumbers);
        Flayout->QueueListDisplay.SetDisplayTrackNumbers(Fsettings.TrackNumbers);
        Flayout->Lists().KeepTrackCount = Fsettings.KeepQueueTrackCount;
    }
    UpdateCheckMarks();
}

void TfrmBaseJukebox::CollectWindowSettings() {
    // The jukebox's switches as they are now, so a change made in this run is kept.
    if (Flist) {
        Fsettings.RandomPlayEnabled = Flist->Jukebox()->RandomPlayActive();
        Fsettings.StackerEnabled = Flist->Jukebox()->Stacker().Active();
        Fsettings.NoQueueDuplications = Flist->Jukebox()->Queue().NoDuplicates();
    }
}

void TfrmBaseJukebox::SetActionChecked(const char* name, bool on) {
    if (Taction* a = Factions->Find(name)) a->Checked = on;
}

void TfrmBaseJukebox::UpdateCheckMarks() {
    auto check = [this](const char* name, bool on) { SetActionChecked(name, on); };
    if (Flist) {
        const auto& jukebox = *Flist->Jukebox();
        check("actnFileEnableIndexes", Flist->EnableIndexes());
        check("actnFileEnableDatabase", Flist->DatabaseEnabled());
        check("actnControlRepeatPlay", jukebox.RepeatTrack());
        check("actnQueueLoop", jukebox.LoopQueue());
        check("actnQueueNoDuplicates", Flist->Jukebox()->Queue().NoDuplicates());
        check("actnRandomPlayEnabled", jukebox.RandomPlayActive());
        check("actnStackerEnabled", Flist->Jukebox()->Stacker().Active());
    }
    check("actnQueueKeepTrackCount", Fsettings.KeepQueueTrackCount);
    check("actnQueueDCNone", Fsettings.QueueDoubleClick == 0);
    check("actnQueueDCMoveToTop", Fsettings.QueueDoubleClick == 1);
    check("actnQueueDCPlayNow", Fsettings.QueueDoubleClick == 2);
    check("actnSettingsAutoPlay", Fsettings.AutoPlay);
    check("actnSettingsRestoreTrack", Fsettings.RestoreAtStartup);
    check("actnSettingsShowTimeRemaining", Fsettings.ShowTimeRemaining);
    check("actnSettingsAlwaysOnTop", Fsettings.AlwaysOnTop);
    check("actnSettingsShowHints", Fsettings.ShowHints);
    check("actnSettingsShowMessages", Fsettings.ShowMessages);
    check("actnSettingsMenuByPassword", Fsettings.MainMenuPasswordProtected);
    check("actnSettingsPMQueue", PlayMode() == 0);
    check("actnSettingsPMInstantPlay", PlayMode() == 1);
    check("actnViewMainMenu", IsMainMenuVisible());
    check("actnViewQueueControls", FqueueControlsShown);
    check("actnViewCoverArt", Fsettings.CoverArtVisible);
    check("actnViewKeyboards", GlobalPrefs().OnScreenKeyboardsEnabled());
    check("actnViewFullScreen", IsFullScreen());
    check("actnViewLockSizes", Fsettings.GeometryLock);
    check("actnViewTrackNumbers", Fsettings.TrackNumbers);
    check("actnViewTrackDetails", Fsettings.ShowTrackDetails);
    check("actnViewExtendedTrackDetails", Fsettings.ExtendedTrackDetails);
    const uint32_t nodes = BrowseDisplayMode();
    for (const char* name : kNodeActions)
        if (Taction* a = Factions->Find(name)) a->Checked = (nodes & (uint32_t(1) << a->Tag)) != 0;
    if (auto* player = Fcontroller.Player())
        if (TcustomVideoPlayer* video = player->VideoPlayer()) check("actnVideoFullScreen", video->IsFullScreen());
    if (auto* product = dynamic_cast<TfrmCustomTunecrest*>(this))
        check("actnFileShowWinamp", product->StoredPlayerType() == "WINAMP");
    UpdateLayoutCheckMarks();
}

}  // namespace tunecrest
