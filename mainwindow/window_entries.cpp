#include "mainwindow/window_entries.h"

#include <memory>

#include "mainwindow/main_form.h"
#include "mainwindow/song_search_queue.h"
#include "windows/search/song_search_form.h"

namespace tunecrest {

void InstallWindowEntries(TfrmBaseJukebox& form) { form.SetDialogEntries(std::make_unique<TwindowEntries>(form)); }

void TwindowEntries::ShowSongSearch(int mode) {
    TcustomlocalJukeboxList* list = Form().JukeboxList();
    if (!list) return;
    TguardedSongQueue queue(*list, Form().Guards());
    queue.PlayNext = [this] { Form().PlayerNext(); };
    queue.ShowStatus = [this](const std::string& text) { Form().ShowStatus(text); };
    tunecrest::ShowSongSearch(list, &queue, mode, FsongSearchMode);
}

}  // namespace tunecrest
