#include "core/library/list_file_patch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/base/safe_file.h"
#include "core/tags/component_stream.h"
#include "core/tags/list_file_io.h"
#include "core/tags/tag_stream.h"

namespace tunecrest {

namespace {

// Closes the descriptor at the end of its scope.
struct TfdCloser {
    int Fd;
    ~TfdCloser() {
        if (Fd >= 0) ::close(Fd);
    }
};

// Reads exactly `n` bytes at `offset`; false when the file ends before them or a read fails.
bool ReadAt(int fd, char* to, size_t n, uint64_t offset) {
    while (n > 0) {
        const ssize_t got = ::pread(fd, to, n, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        to += got;
        n -= size_t(got);
        offset += uint64_t(got);
    }
    return true;
}

// Whether a whole record is the one a write of its track gives: read as the library reads
// it, written again as the library writes it, the same bytes; and with a track number (a
// track read without one is numbered when loaded, so a write gives another record).
bool IsWritersOwnRecord(std::string_view record, TcomponentValue& value, TbyteWriter& again) {
    TaudioTag tag;
    TbyteReader r(record);
    if (!ReadAudioTagRecord(r, tag, value) || !r.AtEnd() || tag.TrackIndex() == 0) return false;
    again.Bytes().clear();
    WriteAudioTagRecord(again, tag);
    return again.Bytes() == record;
}

}  // namespace

TheldFile::~TheldFile() {
    if (Ffd >= 0) ::close(Ffd);
}

TfileStamp StampOfStat(const struct stat& st) {
    return {st.st_dev, st.st_ino, int64_t(st.st_size), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

bool StampOfFile(int fd, TfileStamp& stamp) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp = StampOfStat(st);
    return true;
}

bool StampOfFile(const std::string& path, TfileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp = StampOfStat(st);
    return true;
}

void AppendListFilePiece(std::vector<TlistFilePiece>& pieces, TlistFilePiece piece) {
    if (piece.Count == 0) return;
    if (!pieces.empty()) {
        TlistFilePiece& last = pieces.back();
        if (last.Fresh() && piece.Fresh()) {
            last.Count += piece.Count;
            return;
        }
        if (!last.Fresh() && !piece.Fresh() && last.First + int64_t(last.Count) == piece.First) {
            last.Count += piece.Count;
            return;
        }
    }
    pieces.push_back(piece);
}

namespace {

std::atomic<TpatchCopyWatch> gCopyWatch{nullptr};

// Set while LearnListFile reads a file: the reading ends when it is set.
thread_local const std::atomic<bool>* tStopScan = nullptr;

// Reads the head and `records` entries of a file through a window of it, growing the
// window for an entry larger than it. `head` reads the head and gives the count it
// states; `entry` reads one entry from the reader's position (false when the window ends
// inside it, or it is no entry of the kind) and may give its check value.
template <typename Head, typename Entry>
bool ScanEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes, std::vector<uint32_t>& lengths,
                 std::vector<uint64_t>& checks, Head head, Entry entry) {
    constexpr size_t kFirstWindow = size_t(4) << 20, kLargestWindow = size_t(256) << 20;
    lengths.clear();
    checks.clear();
    lengths.reserve(records);
    std::string window(size_t(std::min<uint64_t>(size, kFirstWindow)), '\0');
    uint64_t windowStart = 0;
    const auto fill = [&](uint64_t from) {
        windowStart = from;
        window.resize(size_t(std::min<uint64_t>(window.size(), size - from)));
        return ReadAt(fd, window.data(), window.size(), from);
    };
    if (!fill(0)) return false;
    TbyteReader first(window);
    int64_t count = -1;
    if (!head(first, count) || count != int64_t(records)) return false;
    headBytes = first.Position();
    uint64_t position = headBytes;
    size_t capacity = window.size();
    while (lengths.size() < records) {
        if (tStopScan && (lengths.size() & 4095) == 0 && tStopScan->load(std::memory_order_relaxed)) return false;
        const size_t at = size_t(position - windowStart);
        TbyteReader r(std::string_view(window).substr(at));
        uint64_t check = 0;
        bool refused = false;
        if (entry(r, check, refused) && r.Position() <= UINT32_MAX) {
            lengths.push_back(uint32_t(r.Position()));
            checks.push_back(check);
            position += r.Position();
            continue;
        }
        if (refused) return false;
        // Cut short by the end of the window, or not an entry of this kind.
        if (windowStart + window.size() >= size) return false;
        if (at == 0) {
            if (capacity >= kLargestWindow) return false;
            capacity *= 2;
        }
        window.resize(capacity);
        if (!fill(position)) return false;
    }
    return position == size;
}

bool SkipText(TbyteReader& r) {
    int32_t length = 0;
    std::string_view bytes;
    return r.ReadI32(length) && length >= 0 && r.ReadBytes(size_t(length), bytes);
}

bool ReadStreamHead(TbyteReader& r, std::string_view magic, int32_t& count) {
    std::string_view bytes;
    return r.ReadBytes(4, bytes) && bytes == magic && r.ReadI32(count) && count >= 0;
}

// An entry of a grouping index: its names, its track block and, for a category, its
// artists' and albums' streams; the check of its names and track count.
bool ReadIndexEntry(TbyteReader& r, int names, bool category, uint64_t* check) {
    const size_t start = r.Position();
    for (int i = 0; i < names; ++i)
        if (!SkipText(r)) return false;
    const size_t namesEnd = r.Position();
    int32_t tracks = 0;
    std::string_view positions;
    if (!ReadStreamHead(r, "IXTL", tracks) || !r.ReadBytes(size_t(tracks) * 4, positions)) return false;
    if (check) *check = IndexEntryCheck(r.Data().substr(start, namesEnd - start), tracks);
    if (!category) return true;
    for (const auto& [magic, inner] : {std::pair{"IXAR", 1}, std::pair{"IXAL", 2}}) {
        int32_t count = 0;
        if (!ReadStreamHead(r, magic, count)) return false;
        for (int32_t i = 0; i < count; ++i)
            if (!ReadIndexEntry(r, inner, false, nullptr)) return false;
    }
    return true;
}

template <typename Magic>
bool FindIndexEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes, std::vector<uint32_t>& lengths,
                      std::vector<uint64_t>& checks, Magic magicOk, int names, bool category) {
    return ScanEntries(
        fd, size, records, headBytes, lengths, checks,
        [&](TbyteReader& r, int64_t& count) {
            std::string_view magic;
            int32_t n = 0;
            if (!r.ReadBytes(4, magic) || !magicOk(magic) || !r.ReadI32(n) || n < 0) return false;
            count = n;
            return true;
        },
        [&](TbyteReader& r, uint64_t& check, bool&) { return ReadIndexEntry(r, names, category, &check); });
}

}  // namespace

uint64_t IndexEntryCheck(std::string_view names, int32_t tracks) {
    // FNV-1a over the name bytes, then the count.
    uint64_t hash = 14695981039346656037ull;
    const auto add = [&](unsigned char c) { hash = (hash ^ c) * 1099511628211ull; };
    for (const char c : names) add(static_cast<unsigned char>(c));
    for (int i = 0; i < 4; ++i) add(static_cast<unsigned char>(uint32_t(tracks) >> (8 * i)));
    return hash;
}

bool FindAlbumIndexEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                           std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks) {
    return FindIndexEntries(
        fd, size, records, headBytes, lengths, checks, [](std::string_view m) { return m == "IXAL"; }, 2, false);
}

bool FindArtistIndexEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                            std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks) {
    return FindIndexEntries(
        fd, size, records, headBytes, lengths, checks, [](std::string_view m) { return m == "IXAR"; }, 1, false);
}

bool FindCategoryIndexEntries(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                              std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks) {
    return FindIndexEntries(
        fd, size, records, headBytes, lengths, checks,
        [](std::string_view m) { return m == "IXGR" || m == "IXYR"; }, 1, true);
}

bool FindListFileRecords(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                         std::vector<uint32_t>& lengths, std::vector<uint64_t>& checks) {
    TcomponentValue value;
    TbyteWriter again;
    const bool found = ScanEntries(
        fd, size, records, headBytes, lengths, checks,
        [](TbyteReader& r, int64_t& count) {
            std::string_view magic;
            std::string text;
            uint8_t flag = 0;
            int32_t n = 0;
            if (!r.ReadBytes(4, magic) || magic != "UATL" || !ReadText(r, text) || !r.ReadU8(flag) ||
                !r.ReadU8(flag) || !ReadText(r, text) || !r.ReadI32(n) || n < 0)
                return false;
            count = n;
            return true;
        },
        [&](TbyteReader& r, uint64_t&, bool& refused) {
            std::string_view start;
            TcomponentReader record(r);
            if (!r.ReadBytes(kAudioTagRecordStart.size(), start) || start != kAudioTagRecordStart ||
                !record.SkipRest(nullptr))
                return false;
            // A whole record, but not as a write makes it: nothing more to read.
            refused = !IsWritersOwnRecord(r.Data().substr(0, r.Position()), value, again);
            return !refused;
        });
    checks.clear();  // records have none
    return found;
}

TlistPatchResult WriteListFilePatch(const std::string& path, const TlistFilePatch& patch, uint64_t write,
                                    TlistFileLedger& ledger, int64_t& size, std::string* error,
                                    TentryFinder find, const std::function<void()>& beforeReplace) {
    const TlistFileLedger::Tstate state = ledger.Get();
    if (state.Write == 0 || state.Write != patch.Base) return TlistPatchResult::lprStale;
    // The file as the ledger holds it: by its name, or held open after losing it.
    const TfdCloser opened{state.Held ? -1 : OpenRegularFile(path)};
    const int oldFd = state.Held ? state.Held->Fd() : opened.Fd;
    TfileStamp stamp;
    if (oldFd < 0 || !StampOfFile(oldFd, stamp) || !(stamp == state.Stamp)) return TlistPatchResult::lprStale;
    uint64_t headBytes = state.HeadBytes;
    std::shared_ptr<const std::vector<uint32_t>> lengths = state.Lengths;
    std::shared_ptr<const std::vector<uint64_t>> checks = state.Checks;
    if (!lengths || (!patch.Checks.empty() && !checks)) {
        auto found = std::make_shared<std::vector<uint32_t>>();
        auto foundChecks = std::make_shared<std::vector<uint64_t>>();
        if (!find(oldFd, uint64_t(stamp.Size), state.Records, headBytes, *found, *foundChecks))
            return TlistPatchResult::lprStale;
        lengths = std::move(found);
        checks = foundChecks->empty() ? nullptr : std::move(foundChecks);
    } else {
        uint64_t total = headBytes;
        for (const uint32_t length : *lengths) total += length;
        if (lengths->size() != state.Records || total != uint64_t(stamp.Size) ||
            (checks && checks->size() != lengths->size()))
            return TlistPatchResult::lprStale;
    }
    // The plan must fit the file and its fresh records.
    uint64_t freshCount = 0, records = 0;
    for (const TlistFilePiece& piece : patch.Pieces) {
        if (!piece.Fresh() && uint64_t(piece.First) + piece.Count > lengths->size()) return TlistPatchResult::lprStale;
        if (piece.Fresh()) freshCount += piece.Count;
        records += piece.Count;
    }
    // Each entry copied must be what the library takes it for.
    if (!patch.Checks.empty()) {
        if (!checks || checks->size() != lengths->size() || patch.Checks.size() != records - freshCount)
            return TlistPatchResult::lprStale;
        size_t next = 0;
        for (const TlistFilePiece& piece : patch.Pieces)
            for (uint32_t i = 0; !piece.Fresh() && i < piece.Count; ++i)
                if ((*checks)[size_t(piece.First) + i] != patch.Checks[next++]) return TlistPatchResult::lprStale;
    }
    uint64_t freshBytes = 0;
    for (const uint32_t length : patch.FreshLengths) freshBytes += length;
    if (freshCount != patch.FreshLengths.size() || freshBytes != patch.Fresh.size()) return TlistPatchResult::lprStale;

    auto written = std::make_shared<std::vector<uint32_t>>();
    written->reserve(size_t(records));
    // The new file's checks: those of the records copied, and of the fresh ones as given.
    auto writtenChecks = std::make_shared<std::vector<uint64_t>>();
    const bool keepChecks = checks && patch.FreshChecks.size() == patch.FreshLengths.size();
    if (keepChecks) writtenChecks->reserve(size_t(records));
    TsafeFileWriter out(path);
    out.Append(patch.Head);
    // Where the next record of the old file starts, walked forward from the head.
    size_t cursor = 0;
    uint64_t cursorOffset = headBytes;
    size_t nextFresh = 0;
    uint64_t freshOffset = 0;
    for (const TlistFilePiece& piece : patch.Pieces) {
        if (piece.Fresh()) {
            uint64_t bytes = 0;
            for (uint32_t i = 0; i < piece.Count; ++i) {
                bytes += patch.FreshLengths[nextFresh];
                if (keepChecks) writtenChecks->push_back(patch.FreshChecks[nextFresh]);
                written->push_back(patch.FreshLengths[nextFresh++]);
            }
            out.Append(std::string_view(patch.Fresh).substr(size_t(freshOffset), size_t(bytes)));
            freshOffset += bytes;
            continue;
        }
        const size_t first = size_t(piece.First);
        if (first < cursor) cursor = 0, cursorOffset = headBytes;
        for (; cursor < first; ++cursor) cursorOffset += (*lengths)[cursor];
        uint64_t bytes = 0;
        for (size_t i = first; i < first + piece.Count; ++i) {
            bytes += (*lengths)[i];
            written->push_back((*lengths)[i]);
            if (keepChecks) writtenChecks->push_back((*checks)[i]);
        }
        out.AppendFrom(oldFd, cursorOffset, bytes);
        cursor = first + piece.Count;
        cursorOffset += bytes;
        if (const TpatchCopyWatch watch = gCopyWatch.load()) watch(path);
    }
    // Changed on disk while it was copied: what was copied may be part old, part new.
    TfileStamp after;
    if (!StampOfFile(oldFd, after) || !(after == stamp)) return TlistPatchResult::lprStale;
    if (!out.Commit(error, beforeReplace)) return TlistPatchResult::lprFailed;
    size = int64_t(patch.Head.size());
    for (const uint32_t length : *written) size += length;
    TfileStamp made;
    if (!StampOfFile(path, made) || made.Size != size)
        ledger.Forget();
    else if (checks && !keepChecks)  // its records found again when next copied from
        ledger.Set({write, made, uint32_t(written->size()), 0, nullptr, nullptr});
    else
        ledger.Set({write, made, uint32_t(written->size()), patch.Head.size(), std::move(written),
                    keepChecks ? std::move(writtenChecks) : nullptr});
    return TlistPatchResult::lprWritten;
}

TpatchCopyWatch SetPatchCopyWatch(TpatchCopyWatch watch) { return gCopyWatch.exchange(watch); }

bool LearnListFile(const std::string& path, TlistFileLedger& ledger, TentryFinder find,
                   const std::atomic<bool>* stop) {
    const TlistFileLedger::Tstate state = ledger.Get();
    if (state.Write == 0 || state.Lengths) return false;
    const TfdCloser opened{state.Held ? -1 : OpenRegularFile(path)};
    const int fd = state.Held ? state.Held->Fd() : opened.Fd;
    TfileStamp stamp;
    // Another file now: the next patch finds it stale and writes it whole.
    if (fd < 0 || !StampOfFile(fd, stamp) || !(stamp == state.Stamp)) return false;
    uint64_t headBytes = 0;
    auto lengths = std::make_shared<std::vector<uint32_t>>();
    auto checks = std::make_shared<std::vector<uint64_t>>();
    tStopScan = stop;
    const bool found = find(fd, uint64_t(stamp.Size), state.Records, headBytes, *lengths, *checks);
    tStopScan = nullptr;
    if (stop && stop->load()) return false;
    if (!found) {
        ledger.SetIf(state.Write, {});
        return false;
    }
    TfileStamp after;
    if (!StampOfFile(fd, after) || !(after == stamp)) return false;
    TlistFileLedger::Tstate learnt = state;
    learnt.HeadBytes = headBytes;
    learnt.Lengths = std::move(lengths);
    learnt.Checks = checks->empty() ? nullptr : std::move(checks);
    return ledger.SetIf(state.Write, std::move(learnt));
}

void ReleaseListFile(const std::string& path, TlistFileLedger& ledger) {
    const TlistFileLedger::Tstate state = ledger.Get();
    const int fd = state.Held ? -1 : OpenRegularFile(path);
    TfileStamp stamp;
    const bool ours = fd >= 0 && state.Write != 0 && StampOfFile(fd, stamp) && stamp == state.Stamp;
    ::unlink(path.c_str());
    // Released before: whatever has the name now is no file of the library's.
    if (state.Held) return;
    TfileStamp released;
    if (!ours || !StampOfFile(fd, released)) {
        if (fd >= 0) ::close(fd);
        if (state.Write != 0) ledger.SetIf(state.Write, {});
        return;
    }
    // Losing its name moved its change time: the stamp is taken again.
    TlistFileLedger::Tstate kept = state;
    kept.Stamp = released;
    kept.Held = std::make_shared<const TheldFile>(fd);
    ledger.SetIf(state.Write, std::move(kept));
}

}  // namespace tunecrest
