#include "mainwindow/media_scan.h"

#include <chrono>

#include "core/jukebox_list.h"
#include "core/services.h"
#include "core/tag_list.h"
#include "mainwindow/dialog_entries.h"

namespace tunecrest {

namespace {
constexpr auto kStatusInterval = std::chrono::milliseconds(250);
}

TbackgroundScan::TbackgroundScan(TcustomJukeboxList& library, bool full, TstatusEvent status,
                                 std::function<void()> finished)
    : Falive(std::make_shared<std::atomic<bool>>(true)),
      Fdone(std::make_shared<std::atomic<bool>>(false)),
      Ffound(std::make_shared<TaudioTagList>()) {
    // Everything the worker needs is copied here, on the main thread.
    std::vector<std::string> folders;
    for (int i = 0; i < library.AudioFolders().Count(); ++i)
        folders.push_back(library.AudioFolders().Strings(i));
    const TaudioTagList& target = library.GlobalList();
    TaudioTagList& found = *Ffound;
    found.SetUseAudioFileMask(target.UseAudioFileMask());
    found.SetAudioFileMask(target.AudioFileMask());
    found.SetUseVideoFileMask(target.UseVideoFileMask());
    found.SetVideoFileMask(target.VideoFileMask());
    found.SetAlbumFromParentFolder(target.AlbumFromParentFolder());
    found.SetArtistFromParentFolder(target.ArtistFromParentFolder());
    found.SetMediaSupportLevel(target.MediaSupportLevel());
    found.SetOverrideTagInfo(target.OverrideTagInfo());
    found.SetSaveDataFiles(target.SaveDataFiles());
    library.IsUpdating = true;

    auto alive = Falive;
    auto post = [alive, status](const std::string& text) {
        if (!status) return;
        Dispatcher().Post([alive, status, text] {
            if (*alive) status(text);
        });
    };
    auto last = std::make_shared<std::chrono::steady_clock::time_point>();
    found.OnDirProcess = [post, last](TObject*, const std::string& folder) {
        const auto now = std::chrono::steady_clock::now();
        if (now - *last < kStatusInterval) return;
        *last = now;
        post("Scanning " + folder);
    };
    TcustomJukeboxList* lib = &library;
    post("Scanning the music folders");
    Fworker = std::thread([alive, done = Fdone, list = Ffound, folders, lib, full, post, finished] {
        try {
            list->AddFolders(folders, false, nullptr);
        } catch (const std::exception& e) {
            LogError(std::string("The media scan failed: ") + e.what());
        }
        list->OnDirProcess = nullptr;
        Dispatcher().Post([alive, done, list, lib, full, finished] {
            if (!*alive) return;
            try {
                MergeInto(*lib, *list, full);
            } catch (const std::exception& e) {
                LogError(std::string("The scanned tracks could not be added: ") + e.what());
            }
            lib->IsUpdating = false;
            *done = true;
            if (finished) finished();
        });
    });
}

TbackgroundScan::~TbackgroundScan() {
    *Falive = false;
    Ffound->StopScan();
    if (Fworker.joinable()) Fworker.join();
}

void TbackgroundScan::Stop() {
    Ffound->StopScan();
}

void TbackgroundScan::MergeInto(TcustomJukeboxList& library, TaudioTagList& found, bool full) {
    TaudioTagList& target = library.GlobalList();
    target.BeginUpdate();
    if (full) target.Clear();
    if (full)
        target.AppendList(found, false);
    else
        target.MergeList(found, library.FileIndex());
    for (int i = 0; i < target.Count(); ++i) target.GetTag(i)->SetTrackIndex(i);
    target.EndUpdate();
}

void TdialogEntries::ShowMediaSearch(TcustomJukeboxList& library, bool, bool fullRescan,
                                     std::function<void(const std::string&)> status,
                                     std::function<void()> finished) {
    if (Fscan && Fscan->Running()) return;
    Fscan.reset();  // a finished scan's thread is joined here
    Fscan = std::make_shared<TbackgroundScan>(library, fullRescan, std::move(status), std::move(finished));
}

}  // namespace tunecrest
