// The library's media database: switching it on and off, building it, and following
// the library's changes row by row (TcustomJukeboxList, jukebox_list.h).
#include "core/library/jukebox_list.h"

#include <filesystem>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/base/services.h"
#include "core/tags/playlist_files.h"

namespace tunecrest {

void TcustomJukeboxList::SwitchDatabase(bool on) {
    if (on == FdatabaseEnabled) return;
    SetDatabaseEnabled(on);
    if (!on) {
        CloseDatabase();
        return;
    }
    if (Floading) return;  // the load that is under way opens or builds it
    // Built on the save worker when the library saves in the background, so the playing
    // screen never waits on a large library's export.
    if (FsaveInBackground)
        ScheduleSave(false, false, true);
    else
        BuildDatabase();
}

void TcustomJukeboxList::BuildDatabase() {
    if (!FdatabaseEnabled) return;
    CloseDatabase();
    const std::string csv = DataFile("jukebox.csv"), database = DataFile("jukebox.mdb");
    std::string error;
    std::error_code ec;
    std::filesystem::create_directories(FdataFolder, ec);
    FdbRemovedFiles.clear();
    FdbWrites.clear();
    FdatabaseFollows = false;
    if (!ExportCSV(*FglobalList, csv, false, "", &error)) {
        LogError("Cannot export the library to " + csv + ": " + error);
        OpenDatabase();  // the previous database still answers
        return;
    }
    if (!Fdatabase->Build(database, csv)) {
        LogError("Cannot build " + database + ": " + Fdatabase->LastError());
        return;
    }
    FdatabaseFollows = true;
}

bool TcustomJukeboxList::NoteDatabaseChanges() {
    if (Ffiled.empty()) return false;
    const auto& items = FglobalList->Items();
    // Beyond this many tracks a rebuild is as quick and surely right.
    constexpr size_t kMostRows = 1000;
    // The list as filed, less the removed tracks, then the appended ones: anything else
    // (a reorder, an insertion) is rebuilt.
    const TfiledChange& change = FiledChange();
    if (change.Many || change.Removed.size() > kMostRows) return false;
    const size_t kept = change.Kept;
    std::vector<const TaudioTag*> removed;
    for (const size_t p : change.Removed) removed.push_back(Ffiled[p]);
    if (removed.empty() && FeditNotes.empty() && kept == items.size()) return false;  // an edit nobody noted
    if (removed.size() + FeditNotes.size() + (items.size() - kept) > kMostRows) return false;
    std::unordered_set<const TaudioTag*> removedSet(removed.begin(), removed.end());
    for (size_t i = kept; i < items.size(); ++i)
        if (removedSet.count(items[i].get())) return false;  // moved to the end
    // The rows stand under the names the tracks had when filed.
    std::unordered_map<const TaudioTag*, const TaudioTag*> before;
    for (const auto& [tag, copy] : FeditNotes) before.emplace(tag.get(), copy.get());
    auto filedName = [&before](const TaudioTag* tag) {
        const auto it = before.find(tag);
        return it == before.end() ? tag->Filename().str() : it->second->Filename().str();
    };
    auto write = [this](const TaudioTagPtr& tag) {
        for (const TaudioTagPtr& pending : FdbWrites)
            if (pending == tag) return;
        FdbWrites.push_back(tag);
    };
    for (const TaudioTag* tag : removed) {
        FdbRemovedFiles.push_back(filedName(tag));
        std::erase_if(FdbWrites, [tag](const TaudioTagPtr& pending) { return pending.get() == tag; });
    }
    for (const auto& [tag, copy] : FeditNotes) {
        if (removedSet.count(tag.get())) continue;
        FdbRemovedFiles.push_back(copy->Filename().str());
        write(tag);
    }
    for (size_t i = kept; i < items.size(); ++i) write(items[i]);
    return true;
}

bool TcustomJukeboxList::TakeDatabaseChanges(std::vector<std::string>& removedFiles, std::string& rows) {
    removedFiles = std::move(FdbRemovedFiles);
    std::vector<TaudioTagPtr> writes = std::move(FdbWrites);
    FdbRemovedFiles.clear();
    FdbWrites.clear();
    std::unordered_set<const TaudioTag*> writing;
    for (const TaudioTagPtr& tag : writes) writing.insert(tag.get());
    // Removing a file's rows removes those of every track of that name: the one the
    // library still has under it is written again. A name of several tracks is left
    // to a rebuild.
    FfileIndex->Ready();
    for (const std::string& file : removedFiles) {
        if (FsharedFileNames.count(file)) return false;
        int at = 0;
        if (!FfileIndex->Find(file, at)) continue;
        const TaudioTagPtr& tag = FfileIndex->Tag(at);
        if (writing.insert(tag.get()).second) writes.push_back(tag);
    }
    rows.clear();
    for (const TaudioTagPtr& tag : writes) {
        tag->GetCSVRow(rows);
        rows += ",\n";  // an empty playlist name
    }
    return true;
}

void TcustomJukeboxList::ApplyDatabaseChangesNow() {
    if (!DatabaseChangesPending()) return;
    std::vector<std::string> removedFiles;
    std::string rows;
    if (!TakeDatabaseChanges(removedFiles, rows)) {
        BuildDatabase();
        return;
    }
    TjukeboxDB writer;
    if (writer.ApplyChanges(DataFile("jukebox.mdb"), removedFiles, rows)) return;
    LogError("Cannot update " + DataFile("jukebox.mdb") + ": " + writer.LastError());
    BuildDatabase();
}

bool TcustomJukeboxList::OpenDatabase() { return Fdatabase->Open(DataFile("jukebox.mdb")); }

void TcustomJukeboxList::CloseDatabase() { Fdatabase->Close(); }

}  // namespace tunecrest
