// The default scan entry, used until a scan window is installed: the library's audio
// folders scanned on a worker with the scan object of the scan window, so a stopped scan
// changes nothing and the screen is never held; progress goes to `status`.
#include "core/library/jukebox_list.h"
#include "mainwindow/window/dialog_entries.h"
#include "windows/search/media_scan.h"

namespace tunecrest {

void TdialogEntries::ShowMediaSearch(TcustomJukeboxList& library, bool, bool fullRescan,
                                     std::function<void(const std::string&)> status,
                                     std::function<void()> finished) {
    if (Fscan && Fscan->Running()) return;
    Fscan = std::make_shared<TmediaScan>(library);
    Fscan->OnProgress = [status](const TmediaScanProgress& p) {
        if (status) status(p.Folder.empty() ? "Scanning the music folders" : "Scanning " + p.Folder);
    };
    Fscan->OnFinished = [finished](bool) {
        if (finished) finished();
    };
    TmediaScanRequest request;
    for (int i = 0; i < library.AudioFolders().Count(); ++i) request.Folders.push_back(library.AudioFolders().Strings(i));
    request.FullRescan = fullRescan;
    if (status) status("Scanning the music folders");
    Fscan->Start(request);
}

}  // namespace tunecrest
