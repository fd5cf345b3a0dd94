#pragma once
// The program's dialog entries: the windows of the windows/ folder behind the main
// window's entry points. Each window that exists overrides its entry here; the rest keep
// the defaults of TdialogEntries ("not available yet").
#include <memory>

#include "mainwindow/dialog_entries.h"

namespace tunecrest {

class TfrmBaseJukebox;
class TlibraryWindows;

class TwindowEntries : public TdialogEntries {
public:
    explicit TwindowEntries(TfrmBaseJukebox& form);
    ~TwindowEntries() override;

    void ShowActionButtonPad(TactionButtonPad& pad) override;
    bool EditLaunchers(TappLauncherList& list, const std::string& caption) override;
    void ShowPlaylistEditor() override;
    void ShowPlaylistDisplay() override;
    void ShowStackerList() override;
    bool ChooseAlbum(bool showCDLists, TaudioTagAlbumPtr& album) override;
    TlibraryWindows& LibraryWindows() { return *FlibraryWindows; }

    // The touch song search; the next search starts in the mode the last one ended in.
    void ShowSongSearch(int mode) override;

protected:
    TfrmBaseJukebox& Form() { return Fform; }

private:
    TfrmBaseJukebox& Fform;
    std::unique_ptr<TlibraryWindows> FlibraryWindows;
    int FsongSearchMode = 0;
};

// Installs the program's entries on `form`.
void InstallWindowEntries(TfrmBaseJukebox& form);

}  // namespace tunecrest
