#pragma once
// The program's dialog entries: the windows of the windows/ folder behind the main
// window's entry points. Each window that exists overrides its entry here; the rest keep
// the defaults of TdialogEntries ("not available yet").
#include "mainwindow/dialog_entries.h"

namespace tunecrest {

class TfrmBaseJukebox;

class TwindowEntries : public TdialogEntries {
public:
    explicit TwindowEntries(TfrmBaseJukebox& form) : Fform(form) {}

    // The touch song search; the next search starts in the mode the last one ended in.
    void ShowSongSearch(int mode) override;

protected:
    TfrmBaseJukebox& Form() { return Fform; }

private:
    TfrmBaseJukebox& Fform;
    int FsongSearchMode = 0;
};

// Installs the program's entries on `form`.
void InstallWindowEntries(TfrmBaseJukebox& form);

}  // namespace tunecrest
