#include "mainwindow/window_entries.h"

#include <memory>

#include "mainwindow/main_form.h"
#include "mainwindow/song_search_queue.h"
#include "windows/library/library_windows.h"
#include "windows/remote/action_button_pad_form.h"
#include "windows/remote/remote_editors.h"
#include "windows/search/song_search_form.h"

namespace tunecrest {

TwindowEntries::TwindowEntries(TfrmBaseJukebox& form) : Fform(form) {
    FlibraryWindows = std::make_unique<TlibraryWindows>([this] {
        TlibraryWindowsSetup setup;
        setup.Library = Fform.JukeboxList();
        setup.Player = Fform.Controller().Player();
        setup.Owner = &Fform;
        setup.CartridgeFolder = Fform.Folders().CartridgesFolder();
        return setup;
    });
}

TwindowEntries::~TwindowEntries() = default;

void TwindowEntries::ShowActionButtonPad(TactionButtonPad& pad) { tunecrest::ShowActionButtonPad(pad); }

bool TwindowEntries::EditLaunchers(TappLauncherList& list, const std::string& caption) {
    return EditAppLauncherList(list, caption);
}

void TwindowEntries::ShowPlaylistEditor() { FlibraryWindows->ShowEditor(); }
void TwindowEntries::ShowPlaylistDisplay() { FlibraryWindows->ShowDisplay(); }
void TwindowEntries::ShowStackerList() { FlibraryWindows->ShowStacker(); }
bool TwindowEntries::ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album) {
    return FlibraryWindows->ChooseAlbum(showCDLists, album);
}

void InstallWindowEntries(TfrmBaseJukebox& form) {
    form.SetDialogEntries(std::make_unique<TwindowEntries>(form));
    // The remote-control actions' Edit operations open their dialogs.
    InstallRemoteEditors();
}

void TwindowEntries::ShowSongSearch(int mode) {
    TcustomlocalJukeboxList* list = Form().JukeboxList();
    if (!list) return;
    TguardedSongQueue queue(*list, Form().Guards());
    queue.PlayNext = [this] { Form().PlayerNext(); };
    queue.ShowStatus = [this](const std::string& text) { Form().ShowStatus(text); };
    tunecrest::ShowSongSearch(list, &queue, mode, FsongSearchMode);
}

}  // namespace tunecrest
