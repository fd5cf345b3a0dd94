#include "windows/search/media_scan.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <unordered_set>

#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "core/base/string_lists.h"
#include "core/tags/tag_list.h"
#include "core/tags/tag_list_importers.h"
#include "core/tags/tagger_loader.h"

namespace tunecrest {

struct TmediaScan::Trun {
    TmediaScanRequest Request;
    std::shared_ptr<TmediaScan*> Owner;
    std::atomic<bool> StopFlag{false};
    std::atomic<int> NewFiles{0}, ModifiedFiles{0};
    // Worker side.
    TaudioTagList Scan;                  // what the folders hold now
    std::vector<TaudioTagPtr> Snapshot;  // the list's tracks when the scan started
    TmyStringList Known;                 // file name -> a copy of the track, for the scan
    std::vector<std::pair<TaudioTagPtr, TaudioTagPtr>> Changed;  // library track, new values
    std::unordered_set<const TaudioTag*> Missing;
    TaudioTagList Imported;
    std::vector<std::string> ImportFiles;
    bool Completed = false;
    // Progress handed over.
    std::mutex Lock;
    TmediaScanProgress Latest;
    std::atomic<bool> PostPending{false};
};

TmediaScan::TmediaScan(TcustomJukeboxList& library)
    : Flibrary(library), Fself(std::make_shared<TmediaScan*>(this)) {}

TmediaScan::~TmediaScan() {
    *Fself = nullptr;
    if (Frun) {
        Frun->StopFlag = true;
        Flibrary.IsUpdating = false;
    }
    Fworker.Wait();
}

bool TmediaScan::StopRequested() const {
    return Frun && Frun->StopFlag;
}

void TmediaScan::Stop() {
    if (Frun) Frun->StopFlag = true;
}

bool TmediaScan::Start(const TmediaScanRequest& request) {
    if (Frun) return false;
    auto run = std::make_shared<Trun>();
    run->Request = request;
    run->Owner = Fself;
    TaudioTagList& target = request.Video ? Flibrary.VideoList() : Flibrary.GlobalList();
    // The scan list reads files as the target would, and keeps no tag caches: a scan that
    // is stopped must leave nothing behind.
    TaudioTagList& scan = run->Scan;
    scan.SetOwnsObjects(true);
    scan.SetNoRandomRebuild(true);
    scan.SetListProcessFactor(5);
    scan.SetDataFileName("tagcache.ubf");
    scan.SetSaveDataFiles(false);
    scan.SetUseAudioFileMask(target.UseAudioFileMask());
    scan.SetAudioFileMask(target.AudioFileMask());
    scan.SetUseVideoFileMask(target.UseVideoFileMask());
    scan.SetVideoFileMask(target.VideoFileMask());
    scan.SetAlbumFromParentFolder(target.AlbumFromParentFolder());
    scan.SetArtistFromParentFolder(target.ArtistFromParentFolder());
    scan.SetMediaSupportLevel(target.MediaSupportLevel());
    scan.SetOverrideTagInfo(target.OverrideTagInfo());
    // The tagger loader is shared: its level is set here, never from the worker.
    if (TaggerLoader().MediaSupportLevel() != target.MediaSupportLevel())
        TaggerLoader().SetMediaSupportLevel(target.MediaSupportLevel());
    if (!request.FullRescan || request.RemoveMissing) run->Snapshot = target.Items();
    if (request.Imports) {
        const TmyStringList& imports =
            request.Video ? Flibrary.VideoImportList() : Flibrary.AudioImportList();
        for (int i = 0; i < imports.Count(); ++i) run->ImportFiles.push_back(imports.Strings(i));
    }
    Flibrary.IsUpdating = true;
    Fprogress = TmediaScanProgress{};
    Frun = run;
    Fworker.Run([run] { Work(run); });
    return true;
}

void TmediaScan::Work(const std::shared_ptr<Trun>& run) {
    Trun& r = *run;
    TaudioTagList& scan = r.Scan;
    auto setAction = [&](const std::string& text) {
        {
            std::lock_guard lock(r.Lock);
            r.Latest.Action = text;
        }
        PostProgress(run);
    };
    // The scan list's events run here, on the worker: they only note the figures.
    scan.OnDirProcess = [&](TObject*, const std::string& folder) {
        if (r.StopFlag) scan.StopScan();
        {
            std::lock_guard lock(r.Lock);
            r.Latest.Folder = folder;
        }
        PostProgress(run);
    };
    scan.OnListProcessStart = [&](TObject*, const std::string& text) { setAction(text); };
    scan.OnListProcess = [&](TObject*, int index, int count, const TaudioTagPtr&) {
        if (r.StopFlag) scan.StopScan();
        {
            std::lock_guard lock(r.Lock);
            r.Latest.Position = index;
            r.Latest.Max = count;
        }
        PostProgress(run);
    };
    scan.OnTagFound = [&](TObject*, bool modified, const TaudioTagPtr&) {
        (modified ? r.ModifiedFiles : r.NewFiles).fetch_add(1);
    };

    if (r.Request.RemoveMissing) {
        setAction("Removing Missing Files...");
        for (const TaudioTagPtr& tag : r.Snapshot) {
            if (r.StopFlag) break;
            const std::string name = tag->Filename().str();
            std::error_code ec;
            // Internet-radio addresses are not files and stay.
            if (name.find("://") == std::string::npos && !std::filesystem::exists(name, ec))
                r.Missing.insert(tag.get());
        }
    }
    // Known files are scanned against copies, so that the library's tracks change only
    // when the scan has completed.
    std::vector<std::pair<TaudioTagPtr, TaudioTagPtr>> copies;
    if (!r.Request.FullRescan && !r.StopFlag) {
        r.Known.SetCaseSensitive(true);
        copies.reserve(r.Snapshot.size());
        for (const TaudioTagPtr& tag : r.Snapshot) {
            if (r.Missing.count(tag.get())) continue;
            TaudioTagPtr copy = tag->Clone();
            r.Known.AddObject(tag->Filename().str(), copy);
            copies.emplace_back(tag, copy);
        }
        r.Known.SetSorted(true);
    }
    if (!r.StopFlag) {
        const TmyStringList* known = r.Request.FullRescan ? nullptr : &r.Known;
        scan.AddFolders(r.Request.Folders, false, known);
    }
    if (!r.StopFlag) {
        for (auto& [original, copy] : copies)
            if (copy->ModDate() != original->ModDate()) r.Changed.emplace_back(original, copy);
        if (!r.ImportFiles.empty()) {
            setAction("Importing Files...");
            auto importers = CreateImporterList();
            for (const std::string& file : r.ImportFiles) {
                if (r.StopFlag) break;
                try {
                    importers->ImportFile(file, r.Imported);
                } catch (const std::exception& e) {
                    LogError("Cannot import " + file + ": " + e.what());
                }
            }
        }
    }
    r.Completed = !r.StopFlag;
    // The events capture locals of this call: they go before the list leaves the worker.
    scan.OnDirProcess = nullptr;
    scan.OnListProcessStart = nullptr;
    scan.OnListProcess = nullptr;
    scan.OnTagFound = nullptr;
    Dispatcher().Post([run] {
        if (TmediaScan* self = *run->Owner) self->Finish(run);
    });
}

void TmediaScan::PostProgress(const std::shared_ptr<Trun>& run) {
    // At most one report waits for the main thread; it shows the figures as they are
    // when it runs, so a fast scan costs the event loop one call at a time.
    if (run->PostPending.exchange(true)) return;
    Dispatcher().Post([run] {
        run->PostPending = false;
        if (TmediaScan* self = *run->Owner; self && self->Frun == run) self->TakeProgress(*run);
    });
}

void TmediaScan::TakeProgress(Trun& run) {
    {
        std::lock_guard lock(run.Lock);
        Fprogress = run.Latest;
    }
    Fprogress.NewFiles = run.NewFiles;
    Fprogress.ModifiedFiles = run.ModifiedFiles;
    if (OnProgress) OnProgress(Fprogress);
}

void TmediaScan::Finish(const std::shared_ptr<Trun>& run) {
    if (Frun != run) return;
    TakeProgress(*run);
    const bool completed = run->Completed && !run->StopFlag;
    if (completed) Apply(*run);
    Flibrary.IsUpdating = false;
    Frun.reset();
    Fprogress.Action = "None";
    if (OnFinished) OnFinished(completed);
}

void TmediaScan::Apply(Trun& run) {
    TaudioTagList& target = run.Request.Video ? Flibrary.VideoList() : Flibrary.GlobalList();
    if (!run.Request.Video) Flibrary.MarkGlobalListUserChange();
    target.BeginUpdate();
    if (run.Request.FullRescan) {
        target.Clear();
    } else {
        // The library moves only the edited tracks in its groupings when told of each edit.
        for (auto& [original, values] : run.Changed) {
            if (run.Request.Video)
                values->AssignTagInfo(*original);
            else
                Flibrary.EditTrack(original, *values);
        }
        if (!run.Missing.empty()) {
            // Walks from the end, so each removal leaves the positions still to visit.
            for (int i = target.Count() - 1; i >= 0; --i)
                if (run.Missing.count(target.GetTag(i).get())) target.Delete(i);
        }
    }
    const int known = target.Count();  // the tracks after these are new, their records made anyway
    target.Reserve(size_t(run.Scan.Count()));
    for (const TaudioTagPtr& tag : run.Scan.Items()) target.Add(tag);
    if (run.Imported.Count() > 0) {
        TmyStringList index;
        index.SetCaseSensitive(true);
        for (const TaudioTagPtr& tag : target.Items()) index.AddObject(tag->Filename().str(), tag);
        index.SetSorted(true);
        // Merging copies the imported values into the tracks already known.
        if (!run.Request.Video)
            for (const TaudioTagPtr& imported : run.Imported.Items()) {
                int at = 0;
                if (index.Find(imported->Filename().str(), at)) Flibrary.NoteTrackEdit(index.ObjectAs<TaudioTag>(at));
            }
        target.MergeList(run.Imported, index);
    }
    // Every track is numbered by its place in the list. A known track's number that
    // changes is a change of its record that no edit note tells the library of.
    int position = 0;
    bool renumbered = false;
    for (const TaudioTagPtr& tag : target.Items())
        if (tag->TrackIndex() != ++position) {
            tag->SetTrackIndex(position);
            renumbered |= position <= known;
        }
    if (renumbered && !run.Request.Video) Flibrary.RewriteListFileAtNextSave();
    target.EndUpdate();
}

}  // namespace tunecrest
