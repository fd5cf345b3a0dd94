// The library saving itself in the background: a save is made in short main-thread
// slices from what changed and written by the save worker, copying what did not
// change from the files on disk (TcustomJukeboxList, jukebox_list.h).
#include "core/library/jukebox_list.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/base/csv_text.h"
#include "core/base/services.h"
#include "core/library/grouping_index_writer.h"
#include "core/library/jukebox_list_index_names.h"
#include "core/library/jukebox_list_save_run.h"
#include "core/tags/list_file_io.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tag_stream.h"

namespace tunecrest {

void TcustomJukeboxList::ForgetListFile() {
    FlistMaps.clear();
    FlistLedger->Forget();
}

void TcustomJukeboxList::ForgetIndexFiles() {
    for (TindexFileState& file : FindexFiles) {
        file.Maps.clear();
        file.Ledger->Forget();
    }
}

TaudioTagListList* TcustomJukeboxList::IndexGrouping(size_t file) const {
    TaudioTagListList* const groupings[] = {FalbumList.get(), FartistList.get(), FtitleList.get(), FgenreList.get(),
                                            FyearList.get()};
    return file < std::size(groupings) ? groupings[file] : nullptr;
}

void TcustomJukeboxList::FollowListFile() {
    const bool indexMaps = std::any_of(FindexFiles.begin(), FindexFiles.end(),
                                       [](const TindexFileState& file) { return !file.Maps.empty(); });
    if (FlistMaps.empty() && !indexMaps) return;
    const auto& items = FglobalList->Items();
    // Beyond this many tracks removed or edited, the whole file is made anew anyway.
    constexpr size_t kMostChanges = 20000;
    const auto forget = [this] {
        ForgetListFile();
        ForgetIndexFiles();
    };
    if (!FcdTracks.empty()) return forget();
    // The positions of the list as filed that changed: a track removed, or one edited.
    struct Tchange {
        size_t Position;
        bool Removed;
    };
    const TfiledChange& change = FiledChange();
    if (change.Many || change.Removed.size() > kMostChanges) return forget();
    const size_t kept = change.Kept;
    std::vector<Tchange> changes;
    changes.reserve(change.Removed.size() + FeditNotes.size());
    for (const size_t p : change.Removed) changes.push_back({p, true});
    // A change nobody noted may have changed any track.
    if (changes.empty() && FeditNotes.empty() && kept == items.size()) return forget();
    // A track taken out moves every later one: the positions in the index files change.
    if (!changes.empty()) ForgetIndexFiles();
    for (const auto& [tag, before] : FeditNotes) {
        const int32_t p = before->StoredPosition();
        if (p >= 0 && size_t(p) < Ffiled.size() && Ffiled[size_t(p)] == tag.get()) {
            changes.push_back({size_t(p), false});
            continue;
        }
        // Noted before it was ever filed: only a track added now is written anew anyway.
        if (std::find(items.begin() + std::ptrdiff_t(kept), items.end(), tag) == items.end()) return forget();
    }
    if (changes.size() > kMostChanges) return forget();
    // By position; at one position a removal holds over an edit.
    std::sort(changes.begin(), changes.end(), [](const Tchange& a, const Tchange& b) {
        return a.Position != b.Position ? a.Position < b.Position : a.Removed > b.Removed;
    });
    for (TlistFileMap& map : FlistMaps) {
        std::vector<TlistFilePiece> pieces;
        size_t position = 0, next = 0;
        for (const TlistFilePiece& piece : map.Pieces) {
            const size_t end = position + piece.Count;
            while (position < end) {
                // The unchanged tracks up to the next change inside this piece.
                while (next < changes.size() && changes[next].Position < position) ++next;
                const size_t stop = next < changes.size() ? std::min(end, changes[next].Position) : end;
                if (stop > position) {
                    const int64_t first = piece.Fresh() ? -1 : piece.First + int64_t(position - (end - piece.Count));
                    AppendListFilePiece(pieces, {first, uint32_t(stop - position)});
                    position = stop;
                    continue;
                }
                if (!changes[next].Removed) AppendListFilePiece(pieces, {-1, 1});
                ++position;
                ++next;
            }
        }
        if (position != Ffiled.size()) return forget();  // the map was not of this list
        AppendListFilePiece(pieces, {-1, uint32_t(items.size() - kept)});
        map.Pieces = std::move(pieces);
    }
}

namespace {
// The check value of a grouping's entry for `list`: its names as the index file holds
// them and its track count.
uint64_t EntryCheck(const TaudioTagList& list, bool albums, TbyteWriter& scratch) {
    scratch.Bytes().clear();
    WriteText(scratch, list.Title());
    if (albums) {
        const auto* album = dynamic_cast<const TaudioTagAlbum*>(&list);
        WriteText(scratch, album ? album->AlbumArtist : std::string());
    }
    return IndexEntryCheck(scratch.Bytes(), int32_t(list.Count()));
}

// Tracks (or index pieces) made between two looks at the clock.
constexpr size_t kTracksPerClockCheck = 32;
// Pieces of one index entry made between two looks at the clock (each at most a few
// thousand positions).
constexpr size_t kEntryPiecesPerClockCheck = 4;
// Records made anew (at most, or a fiftieth of the list) when the rest are copied from
// the list file as it is; beyond them the whole file is made anew.
constexpr size_t kMostFreshRecords = 20000;

}  // namespace

void TcustomJukeboxList::ScheduleSave(bool list, bool indexes, bool database) {
    ++FchangeCount;
    FpendingList |= list;
    FpendingIndexes |= indexes;
    FpendingDatabase |= database;
    PostSaveStep();
}

void TcustomJukeboxList::PostSaveStep() {
    if (FsavePosted) return;
    FsavePosted = true;
    std::weak_ptr<bool> alive = Falive;
    Dispatcher().Post([this, alive] {
        const auto live = alive.lock();
        if (!live || !*live) return;
        FsavePosted = false;
        SaveStep();
    });
}

bool TcustomJukeboxList::BackgroundWorkPending() const {
    // A step still posted finds nothing to do unless something is pending.
    return Frun || FworkerResults > 0 || FpendingList || FpendingIndexes || FpendingDatabase ||
           DatabaseChangesPending();
}

void TcustomJukeboxList::SetSaveSliceTime(std::chrono::microseconds time) {
    FsaveSliceTime = time.count() < 0 ? kSaveSliceTime : time;
}

void TcustomJukeboxList::SetSaveMemory(size_t blockBytes, size_t blocks) {
    FsaveBlockBytes = std::max<size_t>(blockBytes, 64);
    FsaveBlocks = std::max<size_t>(blocks, 1);
    FblockPool.reset();  // a save under way keeps the one it has
}

void TcustomJukeboxList::RestartSave() {
    if (!Frun) return;
    // A list file already handed to the worker is written as it was then.
    FpendingList |= Frun->List && !Frun->ListHanded;
    FpendingIndexes |= Frun->Indexes;
    FpendingDatabase |= Frun->Database;
    // Its temporary files, hundreds of megabytes at a million tracks, are removed on
    // the worker, after the blocks already handed to it.
    Fworker->Run([run = std::move(Frun)]() mutable { run.reset(); });
    Frun.reset();
}

void TcustomJukeboxList::SaveStep() {
    // In the middle of a change the lists are not what will be saved; its end runs the
    // change handler, which asks again.
    if (FglobalList->UpdateCount() > 0 || Floading) return;
    const auto& items = FglobalList->Items();
    // Changed while being prepared: what it was to write is written from the new state.
    if (Frun && (Frun->Change != FchangeCount || Frun->ItemsData != items.data() || Frun->ItemsCount != items.size()))
        RestartSave();
    if (!Frun) {
        if (!FpendingList && !FpendingIndexes && !FpendingDatabase && !DatabaseChangesPending()) return;
        if (!Fworker) Fworker = std::make_unique<TbackgroundWorker>();
        if (!FblockPool) FblockPool = std::make_shared<TsaveBlockPool>(FsaveBlockBytes, FsaveBlocks);
        if (FfinishingSaves) FblockPool->NeverWait();
        std::weak_ptr<bool> alive = Falive;
        Fwake = [this, alive] {
            Dispatcher().Post([this, alive] {
                const auto live = alive.lock();
                if (live && *live && Frun) PostSaveStep();
            });
        };
        Frun = std::make_shared<TsaveRun>();
        TsaveRun& run = *Frun;
        run.Change = FchangeCount;
        run.ItemsData = items.data();
        run.ItemsCount = items.size();
        run.List = FpendingList && !FdataFolder.empty();
        // A new list file takes the index files on disk with it: they are written again.
        run.Indexes = (FpendingIndexes || run.List) && !FdataFolder.empty();
        run.Database = FpendingDatabase && FdatabaseEnabled;
        FpendingList = FpendingIndexes = FpendingDatabase = false;
        if (run.Database) {
            // The rebuild holds every change up to it.
            FdbRemovedFiles.clear();
            FdbWrites.clear();
        }
        run.DatabaseFile = DataFile("jukebox.mdb");
        if (run.List) {
            for (const auto& tag : FcdTracks) run.CdTracks.insert(tag.get());
            const TtagListHeader header{FglobalList->Title(), FglobalList->Active(), FglobalList->PlayMode(),
                                        FglobalList->Filename()};
            // A few tracks written anew (their records made here), the rest copied.
            size_t fresh = 0, covered = 0;
            if (!FlistMaps.empty())
                for (const TlistFilePiece& piece : FlistMaps.back().Pieces) {
                    covered += piece.Count;
                    if (piece.Fresh()) fresh += piece.Count;
                }
            if (!FlistMaps.empty() && run.CdTracks.empty() && covered == items.size() &&
                fresh <= std::max<size_t>(kMostFreshRecords, items.size() / 50)) {
                run.Patch = std::make_unique<TlistFilePatch>();
                run.Patch->Base = FlistMaps.back().Write;
                run.Patch->Pieces = FlistMaps.back().Pieces;
                run.Patch->FreshLengths.reserve(fresh);
                TbyteWriter head;
                WriteTagListHeader(header, int32_t(items.size()), head);
                run.Patch->Head = std::move(head.Bytes());
            } else {
                run.Library = std::make_unique<TfileStream>(DataFile("jukebox.dat"), *Fworker, FblockPool, Fwake);
                TbyteWriter& head = run.Library->Record();
                WriteTagListHeader(header, int32_t(items.size()), head);
                run.CountOffset = head.Bytes().size() - sizeof(int32_t);  // the head ends with the count
                run.HeadBytes = head.Bytes().size();
                run.Library->Keep(false);
                if (run.CdTracks.empty()) {
                    run.Lengths = std::make_shared<std::vector<uint32_t>>();
                    run.Lengths->reserve(items.size());
                }
            }
        }
        if (run.Database) {
            run.Csv = std::make_unique<TfileStream>(DataFile("jukebox.csv"), *Fworker, FblockPool, Fwake);
            std::string& header = run.Csv->Record().Bytes();
            GetCSVHeader(header);
            header += "\n";
            run.Csv->Keep(false);
        }
        // Blocks ready for the files made whole (a save that copies needs none).
        const bool wholeIndexes =
            run.Indexes && std::any_of(FindexFiles.begin(), FindexFiles.end(),
                                       [](const TindexFileState& file) { return file.Maps.empty(); });
        if (run.Library || run.Csv || wholeIndexes) Fworker->Run([pool = FblockPool] { pool->Fill(); });
    }
    const bool done = SaveSlice(*Frun);
    // Its records made, the list file is written while the rest is made.
    if (Frun->List && !Frun->ListHanded && Frun->Stage >= 1) HandListToWorker(Frun);
    if (!done) {
        // A run waiting for a block goes on when the worker gives one back.
        if (!Frun->Waiting) PostSaveStep();
        return;
    }
    std::shared_ptr<TsaveRun> ready = std::move(Frun);
    if (std::any_of(ready->IndexSaves.begin(), ready->IndexSaves.end(), [](const auto& save) { return save.Started; })) {
        FlastSaveEntriesMade = 0;
        for (const auto& save : ready->IndexSaves)
            if (save.Started)
                FlastSaveEntriesMade += save.Patch ? save.Patch->FreshLengths.size() : save.Map->Lists.size();
    }
    HandToWorker(std::move(ready));
    // Asked for while the run was under way without a change that restarts it (a file
    // found changed on disk by the worker, a database update that failed): the run just
    // handed over does not hold it, so the next one starts now.
    if (FpendingList || FpendingIndexes || FpendingDatabase || DatabaseChangesPending()) PostSaveStep();
}

bool TcustomJukeboxList::SaveSlice(TsaveRun& run) {
    const auto start = std::chrono::steady_clock::now();
    const auto sliceTime = FsaveSliceTime;
    auto timeUp = [&] { return std::chrono::steady_clock::now() - start >= sliceTime; };
    auto wait = [&] { return !(run.Waiting = true); };
    run.Waiting = false;
    const std::vector<TaudioTagPtr>& tags = FglobalList->Items();
    if (run.Stage == 0) {
        if (run.List && run.Patch) {
            // Run.Next is the list position where the piece being made starts.
            TlistFilePatch& patch = *run.Patch;
            while (run.Piece < patch.Pieces.size()) {
                const TlistFilePiece& piece = patch.Pieces[run.Piece];
                for (size_t n = 0; piece.Fresh() && run.InPiece < piece.Count; ++n) {
                    if (n == kTracksPerClockCheck) {
                        if (timeUp()) return false;
                        n = 0;
                    }
                    TbyteWriter& record = run.Scratch;
                    record.Bytes().clear();
                    WriteAudioTagRecord(record, *tags[run.Next + run.InPiece++]);
                    patch.Fresh += record.Bytes();
                    patch.FreshLengths.push_back(uint32_t(record.Bytes().size()));
                }
                run.Next += piece.Count;
                ++run.Piece;
                run.InPiece = 0;
            }
        } else if (run.List) {
            if (!run.Library->Resume()) return wait();
            while (run.Next < tags.size()) {
                const size_t end = std::min(tags.size(), run.Next + kTracksPerClockCheck);
                while (run.Next < end) {
                    const TaudioTag& tag = *tags[run.Next++];
                    if (!run.CdTracks.empty() && run.CdTracks.count(&tag)) continue;
                    TbyteWriter& record = run.Library->Record();
                    WriteAudioTagRecord(record, tag);
                    if (run.Lengths) run.Lengths->push_back(uint32_t(record.Bytes().size()));
                    ++run.Written;
                    if (!run.Library->Keep()) return wait();
                }
                if (run.Next < tags.size() && timeUp()) return false;
            }
            run.Library->Flush();
        }
        run.Stage = 1;
        run.Next = 0;
        if (timeUp()) return false;
    }
    if (run.Stage == 1) {
        if (run.Indexes && IndexesWanted() && !run.ListsAsked) {
            run.ListsAsked = true;
            MakeCategoryListsAhead(run);
        }
        // Whether the run waits for the lists of `list` (a genre or year) to be made.
        const auto waitForLists = [&](const TaudioTagList& list) {
            if (!run.ListsAhead || !run.ListsMaking.count(&list)) return false;
            const auto& category = static_cast<const TaudioTagCategory&>(list);
            return category.ListsDeferred() && run.ListsAhead->Running();
        };
        if (run.Indexes && IndexesWanted()) {
            const std::pair<const char*, TaudioTagListList*> files[] = {
                {"albums.idx", FalbumList.get()}, {"artists.idx", FartistList.get()},
                {"titles.idx", FtitleList.get()}, {"genres.idx", FgenreList.get()},
                {"years.idx", FyearList.get()}};
            // A bounded piece at a time: a large library has hundreds of thousands of
            // albums, and a genre many thousands of tracks.
            if (run.Index && !run.Index->Resume()) return wait();
            // Makes the rest of the entry under way, a few pieces between looks at the
            // clock; false when the slice's time ran out first (the next one goes on).
            const auto makeEntry = [&](TsaveRun::TindexSave& save, bool albums) {
                TbyteWriter& bytes = save.EntryBytes;
                for (size_t n = 1; save.Entry->WriteNext(bytes); ++n)
                    if (n % kEntryPiecesPerClockCheck == 0 && timeUp()) return false;
                save.Entry.reset();
                TlistFilePatch& patch = *save.Patch;
                patch.Fresh += bytes.Bytes();
                patch.FreshLengths.push_back(uint32_t(bytes.Bytes().size()));
                patch.FreshChecks.push_back(EntryCheck(*save.Map->Lists.back(), albums, run.Scratch));
                AppendListFilePiece(patch.Pieces, {-1, 1});
                bytes.Bytes().clear();
                return true;
            };
            while (run.Next < std::size(files)) {
                const TaudioTagListList& grouping = *files[run.Next].second;
                TsaveRun::TindexSave& save = run.IndexSaves[run.Next];
                if (!save.Started) {
                    // A genre or year file written whole waits until every list is made.
                    if (FindexFiles[run.Next].Maps.empty())
                        for (int i = 0; i < grouping.Count(); ++i)
                            if (waitForLists(*grouping.GetList(i))) return wait();
                    save.Started = true;
                    save.Map = std::make_shared<TindexFileMap>();
                    save.Map->Lists.reserve(size_t(grouping.Count()));
                    save.Map->Changes.reserve(size_t(grouping.Count()));
                    if (!FindexFiles[run.Next].Maps.empty()) {
                        save.Old = FindexFiles[run.Next].Maps.back();
                        save.Patch = std::make_unique<TlistFilePatch>();
                        save.Patch->Base = save.Old->Write;
                        TbyteWriter head;
                        TindexFileWriter(grouping).WriteNext(head);
                        save.Patch->Head = std::move(head.Bytes());
                    } else {
                        run.IndexWriter = std::make_unique<TindexFileWriter>(grouping);
                        run.Index = std::make_unique<TfileStream>(DataFile(files[run.Next].first), *Fworker,
                                                                  FblockPool, Fwake);
                    }
                }
                if (save.Patch) {
                    // An entry whose list is where it was, unchanged, is copied (the worker
                    // checks its name and track count); any other is made here.
                    constexpr size_t kLookAhead = 16;
                    TlistFilePatch& patch = *save.Patch;
                    if (save.Entry && !makeEntry(save, run.Next == 0)) return false;
                    const TindexFileMap& old = *save.Old;
                    for (size_t n = 0; save.At < size_t(grouping.Count()); ++n) {
                        if (n == kTracksPerClockCheck) {
                            if (timeUp()) return false;
                            n = 0;
                        }
                        const size_t oldAt = save.OldAt;
                        const int i = int(save.At++);
                        const TaudioTagListPtr list = grouping.GetList(i);
                        save.Map->Lists.push_back(list.get());
                        save.Map->Changes.push_back(list->ChangeCount());
                        size_t j = save.OldAt;
                        const size_t last = std::min(old.Lists.size(), j + kLookAhead);
                        while (j < last && old.Lists[j] != list.get()) ++j;
                        if (j < last) {
                            save.OldAt = j + 1;
                            if (old.Changes[j] == list->ChangeCount()) {
                                patch.Checks.push_back(EntryCheck(*list, run.Next == 0, run.Scratch));
                                AppendListFilePiece(patch.Pieces, {int64_t(j), 1});
                                continue;
                            }
                        }
                        // A changed genre or year whose artists and albums its index file
                        // left for later: they are being made on their own thread, or are
                        // made here first (several milliseconds), which starts a slice of
                        // its own.
                        const auto* category = dynamic_cast<const TaudioTagCategory*>(list.get());
                        const bool waitLists = category && waitForLists(*category);
                        if (waitLists || (category && category->ListsDeferred() && save.YieldedAt != size_t(i) &&
                                          std::chrono::steady_clock::now() - start >= sliceTime / 8)) {
                            save.YieldedAt = size_t(i);
                            --save.At;
                            save.OldAt = oldAt;
                            save.Map->Lists.pop_back();
                            save.Map->Changes.pop_back();
                            return waitLists ? wait() : false;
                        }
                        save.Entry = std::make_unique<TindexFileWriter>(grouping, i);
                        save.EntryBytes.Bytes().clear();
                        if (!makeEntry(save, run.Next == 0)) return false;
                        // Such an entry may have taken the slice's time already.
                        if (timeUp()) return false;
                        n = 0;
                    }
                } else {
                    bool more = true;
                    for (size_t n = 0; more && n < kTracksPerClockCheck; ++n) {
                        more = run.IndexWriter->WriteNext(run.Index->Record());
                        if (!run.Index->Keep()) return wait();
                    }
                    if (more) {
                        if (timeUp()) return false;
                        continue;
                    }
                    run.Index->Flush();
                    save.Stream = std::move(run.Index);
                    run.IndexWriter.reset();
                    // The lists as written, for the next save to copy their entries.
                    for (int i = 0; i < grouping.Count(); ++i) {
                        const TaudioTagListPtr list = grouping.GetList(i);
                        save.Map->Lists.push_back(list.get());
                        save.Map->Changes.push_back(list->ChangeCount());
                    }
                }
                ++run.Next;
                if (timeUp()) return false;
            }
        } else if (run.Indexes && FenableIndexes) {
            run.RemoveIndexFiles = true;
        }
        run.Stage = 2;
        run.Next = 0;
    }
    if (run.Stage == 2) {
        // The export holds the whole global list, CD tracks too.
        if (run.Database) {
            if (!run.Csv->Resume()) return wait();
            while (run.Next < tags.size()) {
                const size_t end = std::min(tags.size(), run.Next + kTracksPerClockCheck);
                while (run.Next < end) {
                    std::string& row = run.Csv->Record().Bytes();
                    tags[run.Next++]->GetCSVRow(row);
                    row += ",\n";  // an empty playlist name
                    if (!run.Csv->Keep()) return wait();
                }
                if (run.Next < tags.size() && timeUp()) return false;
            }
            run.Csv->Flush();
        }
        run.Stage = 3;
    }
    return true;
}

void TcustomJukeboxList::SetLoading(bool loading) {
    Floading = loading;
    // A save asked for while loading waits for the load to end.
    if (!loading && FsaveInBackground &&
        (FpendingList || FpendingIndexes || FpendingDatabase || DatabaseChangesPending()))
        PostSaveStep();
}

void TcustomJukeboxList::MakeCategoryListsAhead(TsaveRun& run) {
    std::vector<TaudioTagCategoryPtr> wanted;
    for (const size_t k : {size_t(3), size_t(4)}) {
        const TaudioTagListList& grouping = *IndexGrouping(k);
        // The entries copied from the file on disk need no lists: unchanged since written.
        std::unordered_map<const TaudioTagList*, uint64_t> copied;
        const auto& maps = FindexFiles[k].Maps;
        if (!maps.empty())
            for (size_t i = 0; i < maps.back()->Lists.size(); ++i)
                copied.emplace(maps.back()->Lists[i], maps.back()->Changes[i]);
        for (int i = 0; i < grouping.Count(); ++i) {
            auto category = std::dynamic_pointer_cast<TaudioTagCategory>(grouping.GetList(i));
            if (!category || !category->ListsDeferred()) continue;
            const auto known = copied.find(category.get());
            if (!maps.empty() && known != copied.end() && known->second == category->ChangeCount()) continue;
            run.ListsMaking.insert(category.get());
            wanted.push_back(std::move(category));
        }
    }
    if (wanted.empty()) return;
    run.ListsAhead = std::make_unique<TcategoryListsAhead>();
    std::weak_ptr<bool> alive = Falive;
    // Once made, the run goes on: a step is asked for whatever the run is doing then
    // (one that is not waiting has a step asked for already, and asking twice is one).
    run.ListsAhead->Start(std::move(wanted), {}, [this, alive] {
        Dispatcher().Post([this, alive] {
            const auto live = alive.lock();
            if (live && *live && Frun) PostSaveStep();
        });
    });
}

void TcustomJukeboxList::LearnFilesOnDisk() {
    if (FdataFolder.empty() || !FsaveInBackground) return;
    if (!Fworker) Fworker = std::make_unique<TbackgroundWorker>();
    std::array<std::shared_ptr<TlistFileLedger>, std::size(kIndexFiles)> indexLedgers;
    for (size_t k = 0; k < indexLedgers.size(); ++k) indexLedgers[k] = FindexFiles[k].Ledger;
    FlearnStop->store(true);
    FlearnStop = std::make_shared<std::atomic<bool>>(false);
    Fworker->Run([folder = FdataFolder, ledger = FlistLedger, indexLedgers, stop = FlearnStop] {
        LearnListFile((std::filesystem::path(folder) / "jukebox.dat").string(), *ledger, FindListFileRecords,
                      stop.get());
        for (size_t k = 0; k < indexLedgers.size(); ++k)
            LearnListFile((std::filesystem::path(folder) / kIndexFiles[k]).string(), *indexLedgers[k],
                          kIndexFinders[k], stop.get());
    });
}


void TcustomJukeboxList::FinishPendingSaves() {
    // Reading the files ahead of a change is of no use now: it ends at once.
    FlearnStop->store(true);
    // Play counts waiting for their write after a burst of requests.
    if (*FpopularSavePending) {
        *FpopularSavePending = false;
        if (!FpopularLoadFailed && !FdataFolder.empty()) SavePopularList();
    }
    if (FglobalList->UpdateCount() > 0 || Floading) {
        // In the middle of a change the lists are not what a save is made from: a list
        // change asked for is written whole as the list stands, and the index files, then
        // older than it, are not used at the next start.
        const bool list = FpendingList || (Frun && Frun->List);
        const bool database = FpendingDatabase || DatabaseChangesPending() || (Frun && Frun->Database);
        RestartSave();
        FpendingList = FpendingIndexes = FpendingDatabase = false;
        FdbRemovedFiles.clear();
        FdbWrites.clear();
        if (Fworker) Fworker->Wait();
        TakeWorkerResults();
        if (list && !FdataFolder.empty()) WriteGlobalList();
        // A database that misses changes must not be taken as current at the next start.
        if (database && !FdataFolder.empty()) {
            CloseDatabase();
            std::error_code ec;
            std::filesystem::remove(DataFile("jukebox.mdb"), ec);
        }
        return;
    }
    // The save is made as it would have been in the background, without slices: what
    // did not change is copied, and nothing that is not pending is written.
    const auto sliceTime = std::exchange(FsaveSliceTime, std::chrono::hours(24));
    FfinishingSaves = true;
    if (FblockPool) FblockPool->NeverWait();
    // A stale copy plan (a file changed under the library) makes the next round write
    // that file whole, which cannot be stale again.
    for (int round = 0; round < 3; ++round) {
        if (Frun && Frun->Database) RestartSave();
        if (FpendingDatabase) {
            // A rebuild takes seconds in a large library: left to the next start, which
            // builds a database that is not there.
            FpendingDatabase = false;
            FdatabaseFollows = false;
            FdbRemovedFiles.clear();
            FdbWrites.clear();
            if (!FdataFolder.empty()) {
                CloseDatabase();
                std::error_code ec;
                std::filesystem::remove(DataFile("jukebox.mdb"), ec);
            }
        }
        while (Frun || FpendingList || FpendingIndexes || DatabaseChangesPending()) {
            SaveStep();
            if (!Frun || !Frun->Waiting) continue;
            // No block is waited for; lists being made on their own thread are.
            if (!Frun->ListsAhead) break;
            Frun->ListsAhead->Wait();
        }
        if (Fworker) Fworker->Wait();
        TakeWorkerResults();
        if (!Frun && !FpendingList && !FpendingIndexes && !FpendingDatabase && !DatabaseChangesPending()) break;
    }
    FsaveSliceTime = sliceTime;
    FfinishingSaves = false;
    if (Fworker) Fworker->Wait();  // the database's second name, let go by the last result
}

}  // namespace tunecrest
