// The library's background save on its worker's side: the made files handed to the save
// worker, written into temporary files and renamed into place as one state of the
// library, and the results handed back to the main thread (TcustomJukeboxList,
// jukebox_list.h; the save is made in jukebox_list_saving.cpp).
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

namespace {
// The second name of the database a background rebuild replaces, until it is let go.
std::string RetiredDatabaseName(const std::string& databaseFile) { return databaseFile + ".old"; }
}  // namespace

void TcustomJukeboxList::TakeRunDatabaseChanges(TsaveRun& run) {
    // A rebuild holds every change; the rows of the tracks that changed, as they are now,
    // are a few and made at once.
    if (run.Database || !DatabaseChangesPending()) return;
    if (!FdatabaseEnabled) {
        FdbRemovedFiles.clear();
        FdbWrites.clear();
    } else if (TakeDatabaseChanges(run.DbRemovedFiles, run.DbRows)) {
        run.DbChanges = true;
    } else {
        FpendingDatabase = true;  // a rebuild follows this save
        PostSaveStep();
    }
}

void TcustomJukeboxList::PostWorkerResult(std::function<void()> result) {
    {
        std::lock_guard lock(FworkerResultQueue->Lock);
        FworkerResultQueue->Done.push_back(std::move(result));
    }
    std::weak_ptr<bool> alive = Falive;
    Dispatcher().Post([this, alive] {
        const auto live = alive.lock();
        if (live && *live) TakeWorkerResults();
    });
}

void TcustomJukeboxList::HandListToWorker(const std::shared_ptr<TsaveRun>& run) {
    // The list file goes to the worker as soon as its records are made, while the index
    // files are still being made here; the worker writes it first, and them after it.
    run->ListHanded = true;
    ++FworkerResults;
    const size_t total = FglobalList->Items().size();
    // The list as it is now stands to this write as it is.
    run->ListWrite = ++FlistWrites;
    if (run->CdTracks.empty()) {
        FlistMaps.push_back({run->ListWrite, {}});
        AppendListFilePiece(FlistMaps.back().Pieces, {0, uint32_t(total)});
    }
    if (run->Library) FglobalList->SetStoredSize(run->Library->Size());
    FlastSaveRecordsMade = run->Patch ? run->Patch->FreshLengths.size() : size_t(run->Written);
    std::array<std::shared_ptr<TlistFileLedger>, std::size(kIndexFiles)> indexLedgers;
    for (size_t k = 0; k < indexLedgers.size(); ++k) indexLedgers[k] = FindexFiles[k].Ledger;
    // Runs after the blocks of the file: the worker takes jobs in order.
    Fworker->Run([this, run, total, ledger = FlistLedger, listFile = DataFile("jukebox.dat"), indexLedgers,
                  folder = FdataFolder] {
        // The index files on disk are of the list file being replaced: they lose their names
        // first, so that no start ever takes them for the new one's.
        const auto releaseIndexFiles = [&] {
            for (size_t k = 0; k < indexLedgers.size(); ++k)
                ReleaseListFile((std::filesystem::path(folder) / kIndexFiles[k]).string(), *indexLedgers[k]);
        };
        std::vector<std::string> errors;
        std::string error;
        bool listWritten = true, listStale = false;
        int64_t storedSize = -1;
        // The file replaced stays open until the results are handed back: the last close
        // of a file of hundreds of megabytes frees its cached pages, which takes a while.
        const int replaced = OpenRegularFile(listFile);
        if (run->Patch) {
            switch (WriteListFilePatch(listFile, *run->Patch, run->ListWrite, *ledger, storedSize, &error,
                                       FindListFileRecords, releaseIndexFiles)) {
                case TlistPatchResult::lprWritten:
                    break;
                case TlistPatchResult::lprFailed:
                    errors.push_back("Cannot write " + listFile + ": " + error);
                    listWritten = false;
                    break;
                case TlistPatchResult::lprStale:
                    // Not the file the records were to be copied from: made anew instead.
                    listWritten = false;
                    listStale = true;
                    break;
            }
        } else {
            const std::shared_ptr<TsafeFileWriter>& file = run->Library->File();
            if (size_t(run->Written) != total) {
                TbyteWriter count;
                count.WriteI32(run->Written);
                file->Patch(run->CountOffset, count.Bytes());
            }
            if (!file->Commit(&error, releaseIndexFiles)) {
                errors.push_back("Cannot write " + run->Library->Path() + ": " + error);
                listWritten = false;
            } else {
                TfileStamp stamp;
                if (run->Lengths && StampOfFile(listFile, stamp))
                    ledger->Set({run->ListWrite, stamp, uint32_t(run->Lengths->size()), run->HeadBytes,
                                 std::move(run->Lengths), nullptr, nullptr});
                else
                    ledger->Forget();
            }
        }
        run->ListWritten = listWritten;
        const bool indexes = run->Indexes;
        const uint64_t listWrite = run->ListWrite;
        PostWorkerResult([this, errors, listWrite, listWritten, listStale, storedSize, indexes] {
            --FworkerResults;
            for (const auto& e : errors) LogError(e);
            // Written: the file on disk is this write; else the one before is still there.
            std::erase_if(FlistMaps, [&](const TlistFileMap& map) {
                return listWritten ? map.Write < listWrite : map.Write == listWrite;
            });
            if (listWritten && storedSize >= 0) FglobalList->SetStoredSize(storedSize);
            if (listStale) {
                ForgetListFile();
                FpendingList = true;
                FpendingIndexes |= indexes;  // not written before the list file is
                PostSaveStep();
            }
        });
        if (replaced >= 0) ::close(replaced);
    });
}

void TcustomJukeboxList::HandToWorker(std::shared_ptr<TsaveRun> run) {
    TakeRunDatabaseChanges(*run);
    const bool indexes = std::any_of(run->IndexSaves.begin(), run->IndexSaves.end(),
                                     [](const TsaveRun::TindexSave& save) { return save.Started; });
    if (!indexes && !run->RemoveIndexFiles && !run->Database && !run->DbChanges) return;
    ++FworkerResults;
    const std::string folder = FdataFolder;
    // The groupings as they are now stand to this write as it is (the list file's write,
    // when the run has one).
    if (!run->List) run->ListWrite = ++FlistWrites;
    std::array<std::shared_ptr<TlistFileLedger>, std::size(kIndexFiles)> indexLedgers;
    for (size_t k = 0; k < indexLedgers.size(); ++k) {
        indexLedgers[k] = FindexFiles[k].Ledger;
        if (!run->IndexSaves[k].Started) continue;
        run->IndexSaves[k].Map->Write = run->ListWrite;
        FindexFiles[k].Maps.push_back(run->IndexSaves[k].Map);
    }
    // Runs after the blocks of every file and after the list file: the worker takes jobs
    // in order.
    Fworker->Run([this, run, folder, indexLedgers] {
        std::vector<std::string> errors;
        std::error_code ec;
        std::string error;
        // The index files hold positions in the list file: written only after it.
        const bool listWritten = !run->List || run->ListWritten;
        // The rows of the tracks that changed go into the database while the index files
        // are written (each waits on its own file's flush). After "jukebox.dat", so the
        // database is not older than the list it holds; rows of a list that was not
        // written would make it hold what the list does not (a rebuild follows instead).
        std::future<std::string> rows;
        if (run->DbChanges && listWritten)
            rows = std::async(std::launch::async, [run] {
                TjukeboxDB writer;
                return writer.ApplyChanges(run->DatabaseFile, run->DbRemovedFiles, run->DbRows)
                           ? std::string()
                           : "Cannot update " + run->DatabaseFile + ": " + writer.LastError();
            });
        enum : uint8_t { kNone, kWritten, kFailed, kStale };
        std::array<uint8_t, std::size(kIndexFiles)> indexResults{};
        std::array<bool, std::size(kIndexFiles)> writtenWhole{};
        std::array<std::string, std::size(kIndexFiles)> indexErrors;
        const auto writeIndex = [&](size_t k) {
            TsaveRun::TindexSave& save = run->IndexSaves[k];
            indexResults[k] = kFailed;
            if (!listWritten) return;
            const std::string path = (std::filesystem::path(folder) / kIndexFiles[k]).string();
            std::string failure;
            if (save.Patch) {
                int64_t size = 0;
                switch (WriteListFilePatch(path, *save.Patch, run->ListWrite, *indexLedgers[k], size, &failure,
                                           kIndexFinders[k])) {
                    case TlistPatchResult::lprWritten:
                        indexResults[k] = kWritten;
                        break;
                    case TlistPatchResult::lprFailed:
                        indexErrors[k] = "Cannot write " + path + ": " + failure;
                        break;
                    case TlistPatchResult::lprStale:
                        indexResults[k] = kStale;
                        break;
                }
            } else if (save.Stream) {
                if (!save.Stream->File()->Commit(&failure)) {
                    indexErrors[k] = "Cannot write " + save.Stream->Path() + ": " + failure;
                    return;
                }
                indexResults[k] = kWritten;
                TfileStamp stamp;
                writtenWhole[k] = StampOfFile(path, stamp);
                if (writtenWhole[k])
                    indexLedgers[k]->Set(
                        {run->ListWrite, stamp, uint32_t(save.Map->Lists.size()), 0, nullptr, nullptr, nullptr});
                else
                    indexLedgers[k]->Forget();
                save.Stream.reset();
            }
        };
        // The files at once: each waits mostly on its own flush, and flushes made together
        // share the file system's commit.
        std::vector<std::future<void>> writing;
        for (size_t k = 0; k < run->IndexSaves.size(); ++k) {
            if (!run->IndexSaves[k].Started) continue;
            try {
                writing.push_back(std::async(std::launch::async, writeIndex, k));
            } catch (const std::system_error&) {
                writeIndex(k);  // no thread to be had: here
            }
        }
        for (auto& file : writing) file.get();
        for (const std::string& failure : indexErrors)
            if (!failure.empty()) errors.push_back(failure);
        if (run->RemoveIndexFiles)
            for (const char* file : kIndexFiles) std::filesystem::remove(std::filesystem::path(folder) / file, ec);
        bool built = false;
        if (run->Database) {
            const std::string& csvFile = run->Csv->Path();
            if (!run->Csv->File()->Commit(&error)) {
                errors.push_back("Cannot export the library to " + csvFile + ": " + error);
            } else {
                // The connection in use holds the old file open. A second name for it means
                // that closing that connection on the main thread does not make the file
                // system free a large file there; the name is removed here, afterwards.
                std::filesystem::remove(RetiredDatabaseName(run->DatabaseFile), ec);
                std::filesystem::create_hard_link(run->DatabaseFile, RetiredDatabaseName(run->DatabaseFile), ec);
                TjukeboxDB database;  // built beside the one in use and renamed over it
                built = database.Build(run->DatabaseFile, csvFile);
                if (!built) errors.push_back("Cannot build " + run->DatabaseFile + ": " + database.LastError());
            }
        }
        bool followed = !run->DbChanges || listWritten;
        if (rows.valid()) {
            const std::string failure = rows.get();
            followed = failure.empty();
            if (!followed) errors.push_back(failure);
        }
        const bool rebuilt = run->Database;
        const uint64_t listWrite = run->ListWrite;
        PostWorkerResult([this, errors, built, rebuilt, followed, database = run->DatabaseFile, listWrite,
                          indexResults] {
            --FworkerResults;
            for (const auto& e : errors) LogError(e);
            for (size_t k = 0; k < indexResults.size(); ++k) {
                if (indexResults[k] == kNone) continue;
                auto& maps = FindexFiles[k].Maps;
                if (indexResults[k] == kStale) {
                    // Not the file its entries were to be copied from: written whole next.
                    maps.clear();
                    FindexFiles[k].Ledger->Forget();
                    FpendingIndexes = true;
                    PostSaveStep();
                    continue;
                }
                const bool written = indexResults[k] == kWritten;
                std::erase_if(maps, [&](const std::shared_ptr<TindexFileMap>& map) {
                    return written ? map->Write < listWrite : map->Write == listWrite;
                });
            }
            // A rebuild holds the list as it was handed over; later changes were noted
            // or asked for a rebuild of their own.
            if (rebuilt && built && followed) FdatabaseFollows = true;
            if ((rebuilt && !built) || !followed) {
                // The database no longer holds the list as filed: the next change rebuilds
                // it, and a failed update (its old rows kept) is mended by a rebuild now.
                FdatabaseFollows = false;
                if (!followed && FdatabaseEnabled) ScheduleSave(false, false, true);
            }
            // The connection moves to the new file; queries until now ran on the old one.
            if (built && FdatabaseEnabled) Fdatabase->Open(database);
            if (Fworker)
                Fworker->Run([retired = RetiredDatabaseName(database)] {
                    std::error_code ignored;
                    std::filesystem::remove(retired, ignored);
                });
        });
        // The entries of an index file written whole are found now, while its bytes are
        // at hand, so that the next change copies them at once.
        for (size_t k = 0; k < writtenWhole.size(); ++k)
            if (writtenWhole[k])
                LearnListFile((std::filesystem::path(folder) / kIndexFiles[k]).string(), *indexLedgers[k],
                              kIndexFinders[k]);
    });
}

void TcustomJukeboxList::TakeWorkerResults() {
    std::vector<std::function<void()>> done;
    {
        std::lock_guard lock(FworkerResultQueue->Lock);
        done.swap(FworkerResultQueue->Done);
    }
    for (const auto& result : done) result();
}


}  // namespace tunecrest
