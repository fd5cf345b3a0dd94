#include "windows/library/library_windows.h"

#include "core/library/jukebox_list.h"
#include "skin/modal_runner.h"
#include "windows/library/choose_cd.h"
#include "windows/library/playlist_display.h"
#include "windows/library/playlist_editor.h"
#include "windows/library/stacker_list.h"

namespace tunecrest {

namespace {

// Runs `mine` after whatever handler the slot held, while `alive` says the windows exist.
template <typename Slot, typename Handler>
void Chain(Slot& slot, const std::shared_ptr<bool>& alive, Handler mine) {
    Slot previous = slot;
    slot = [previous, weak = std::weak_ptr<bool>(alive), mine](auto... args) {
        if (previous) previous(args...);
        if (auto live = weak.lock(); live && *live) mine(args...);
    };
}

}  // namespace

TlibraryWindows::TlibraryWindows(std::function<TlibraryWindowsSetup()> setup) : Fsetup(std::move(setup)) {}

TlibraryWindows::~TlibraryWindows() {
    *Falive = false;
}

void TlibraryWindows::Bind() {
    const TlibraryWindowsSetup setup = Fsetup ? Fsetup() : TlibraryWindowsSetup{};
    TcustomlocalJukeboxList* library = setup.Library;
    TcustomJukebox* jukebox = library ? library->Jukebox() : nullptr;
    if (Feditor) {
        Feditor->SetJukebox(jukebox);
        Feditor->SetPlaybackVisible(setup.Player);
        Feditor->SetProgressWindow(setup.Progress);
        Feditor->SetAddCartridgeAction(setup.AddCartridge);
        Feditor->SetLoadCartridgeAction(setup.LoadCartridge);
        Feditor->SetSaveCartridgeAction(setup.SaveCartridge);
    }
    if (Fstacker) {
        Fstacker->SetJukebox(jukebox);
        Fstacker->SetProgressWindow(setup.Progress);
        Fstacker->SetCartridgeFolder(setup.CartridgeFolder);
        Fstacker->SetMissingArtistText(setup.MissingArtist);
        Fstacker->SetListColor(setup.ListColor);
        Fstacker->SetShowAddCartridge(setup.AddCartridge);
        Fstacker->SetShowLoadCartridge(setup.LoadCartridge);
        Fstacker->SetShowSaveCartridge(setup.SaveCartridge);
        if (setup.Skin) Fstacker->SetSkin(setup.Skin);
        if (setup.ScrollBarSkin) Fstacker->SetScrollBarSkin(setup.ScrollBarSkin);
        if (setup.TreeImages) Fstacker->SetTreeImages(setup.TreeImages);
    }
    if (Fdisplay) Fdisplay->ShowPlaylist(jukebox);
    if (library && library != Fhooked) HookEvents(*library);
}

void TlibraryWindows::HookEvents(TcustomlocalJukeboxList& library) {
    TcustomJukeboxListEvents* listEvents = library.Events();
    TcustomJukebox* jukebox = library.Jukebox();
    TcustomJukeboxEvents* jukeboxEvents = jukebox ? jukebox->Events() : nullptr;
    if (!listEvents || !jukeboxEvents) return;
    Fhooked = &library;
    // A hidden window's tree is built again when it is shown, not at every change.
    Chain(listEvents->OnGlobalListChange, Falive, [this](TObject*) {
        if (Feditor && Feditor->isVisible()) Feditor->UpdatePlaylistTree();
        if (Fstacker && Fstacker->isVisible()) Fstacker->RefreshStackerTree();
    });
    Chain(listEvents->OnPlaylistsChange, Falive, [this](TObject*) {
        if (Feditor) Feditor->RefreshPlaylistCollection();
        if (Fdisplay) Fdisplay->ShowPlaylist(Fdisplay->Jukebox());
    });
    Chain(listEvents->OnPlaylistListChange, Falive, [this](TObject*, TaudioTagList*) {
        if (Feditor) Feditor->PlaylistChanged();
        if (Fdisplay) Fdisplay->ShowPlaylist(Fdisplay->Jukebox());
    });
    Chain(jukeboxEvents->OnPlaylistChange, Falive, [this](TObject*) {
        if (Feditor) Feditor->RefreshInfo();
    });
    Chain(jukeboxEvents->OnStackerChange, Falive, [this](TObject*) {
        if (Feditor) Feditor->RefreshStackerList();
        if (Fstacker) Fstacker->UpdateStackerStatus();
    });
    Chain(jukeboxEvents->OnStackerListChange, Falive, [this](TObject*, TaudioTagList*) {
        if (Feditor) Feditor->RefreshInfo();
        if (Fstacker) Fstacker->UpdateStackerStatus();
    });
    Chain(jukeboxEvents->OnActivePreloadedListChanged, Falive, [this](TObject*, TaudioTagList* list) {
        if (Feditor) Feditor->SelectActivePlaylist(list);
        if (Fdisplay) Fdisplay->ShowPlaylist(Fdisplay->Jukebox());
    });
}

TfrmNewPlaylistEditor& TlibraryWindows::Editor() {
    if (!Feditor) {
        Feditor = std::make_unique<TfrmNewPlaylistEditor>();
        Bind();
        Feditor->RefreshPlaylistCollection();
        Feditor->RefreshStackerList();
    }
    return *Feditor;
}

TfrmStackerList& TlibraryWindows::Stacker() {
    if (!Fstacker) {
        Fstacker = std::make_unique<TfrmStackerList>();
        Bind();
    }
    return *Fstacker;
}

TfrmPlaylist& TlibraryWindows::Display() {
    if (!Fdisplay) {
        // A tool window of the main window, centred on it when first shown.
        const TlibraryWindowsSetup setup = Fsetup ? Fsetup() : TlibraryWindowsSetup{};
        Fdisplay = std::make_unique<TfrmPlaylist>(setup.Owner);
        Bind();
    }
    return *Fdisplay;
}

void TlibraryWindows::ShowEditor() {
    TfrmNewPlaylistEditor& editor = Editor();
    if (!editor.isVisible()) PlaceOverOwner(editor);
    editor.show();
    editor.raise();
}

void TlibraryWindows::ShowStacker() {
    RunModal(Stacker());
}

void TlibraryWindows::ShowDisplay() {
    TfrmPlaylist& display = Display();
    if (!display.isVisible()) PlaceOverOwner(display);
    display.show();
    display.raise();
}

void TlibraryWindows::LoadSettings(const TiniFile& ini) {
    Editor().LoadSettings(ini, "PlaylistEditor");
    Stacker().LoadLayout(ini, "Stacker");
}

void TlibraryWindows::SaveSettings(TiniFile& ini) const {
    if (Feditor) Feditor->SaveSettings(ini, "PlaylistEditor");
    if (Fstacker) Fstacker->SaveLayout(ini, "Stacker");
}

bool TlibraryWindows::ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album) {
    const TlibraryWindowsSetup setup = Fsetup ? Fsetup() : TlibraryWindowsSetup{};
    return ChooseCD(setup.Library ? setup.Library->Jukebox() : nullptr, showCDLists, album, clBlack);
}

}  // namespace tunecrest
