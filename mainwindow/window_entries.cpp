#include "mainwindow/window_entries.h"

#include <memory>

#include "mainwindow/main_form.h"
#include "windows/library/library_windows.h"

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

void TwindowEntries::ShowPlaylistEditor() {
    FlibraryWindows->ShowEditor();
}
void TwindowEntries::ShowPlaylistDisplay() {
    FlibraryWindows->ShowDisplay();
}
void TwindowEntries::ShowStackerList() {
    FlibraryWindows->ShowStacker();
}
bool TwindowEntries::ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album) {
    return FlibraryWindows->ChooseAlbum(showCDLists, album);
}

void InstallWindowEntries(TfrmBaseJukebox& form) {
    form.SetDialogEntries(std::make_unique<TwindowEntries>(form));
}

}  // namespace tunecrest
