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

TfileStamp StampOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, int64_t(st.st_size), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

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

// Whether a whole record ends with its track number as WriteAudioTagRecord writes it:
// the property "TrackIndex" in its smallest integer form, not zero (a track read without
// a number is numbered when loaded, so its record would not be what a write gives),
// then the ends of the properties and of the children.
bool EndsWithTrackNumber(std::string_view record) {
    static constexpr std::string_view kName("\x0aTrackIndex", 11);
    const size_t n = record.size();
    if (n < kName.size() + 4 || record[n - 1] != 0 || record[n - 2] != 0) return false;
    const struct {
        uint8_t Type;
        size_t Bytes;
    } forms[] = {{vaInt8, 1}, {vaInt16, 2}, {vaInt32, 4}};
    for (const auto& form : forms) {
        const size_t valueAt = n - 2 - form.Bytes;
        if (valueAt < kName.size() + 1 + 15) break;
        if (uint8_t(record[valueAt - 1]) != form.Type) continue;
        if (record.substr(valueAt - 1 - kName.size(), kName.size()) != kName) continue;
        return std::any_of(record.begin() + std::ptrdiff_t(valueAt),
                           record.begin() + std::ptrdiff_t(valueAt + form.Bytes), [](char c) { return c != 0; });
    }
    return false;
}

}  // namespace

bool StampOfFile(int fd, TfileStamp& stamp) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp = StampOf(st);
    return true;
}

bool StampOfFile(const std::string& path, TfileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp = StampOf(st);
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

bool FindListFileRecords(int fd, uint64_t size, uint32_t records, uint64_t& headBytes,
                         std::vector<uint32_t>& lengths) {
    constexpr size_t kFirstWindow = size_t(4) << 20, kLargestWindow = size_t(256) << 20;
    lengths.clear();
    lengths.reserve(records);
    std::string window(size_t(std::min<uint64_t>(size, kFirstWindow)), '\0');
    uint64_t windowStart = 0;
    const auto fill = [&](uint64_t from) {
        windowStart = from;
        window.resize(size_t(std::min<uint64_t>(window.size(), size - from)));
        return ReadAt(fd, window.data(), window.size(), from);
    };
    if (!fill(0)) return false;
    TbyteReader head(window);
    std::string_view magic;
    std::string text;
    uint8_t flag = 0;
    int32_t count = 0;
    if (!head.ReadBytes(4, magic) || magic != "UATL" || !ReadText(head, text) || !head.ReadU8(flag) ||
        !head.ReadU8(flag) || !ReadText(head, text) || !head.ReadI32(count) || count < 0 ||
        uint32_t(count) != records)
        return false;
    headBytes = head.Position();
    uint64_t position = headBytes;
    size_t capacity = window.size();
    while (lengths.size() < records) {
        const size_t at = size_t(position - windowStart);
        TbyteReader r(std::string_view(window).substr(at));
        std::string_view start;
        TcomponentReader record(r);
        if (r.ReadBytes(kAudioTagRecordStart.size(), start) && start == kAudioTagRecordStart &&
            record.SkipRest(nullptr) && r.Position() <= UINT32_MAX) {
            const std::string_view bytes = std::string_view(window).substr(at, r.Position());
            if (!EndsWithTrackNumber(bytes)) return false;
            lengths.push_back(uint32_t(bytes.size()));
            position += bytes.size();
            continue;
        }
        // Cut short by the end of the window, or not a record this system writes.
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

TlistPatchResult WriteListFilePatch(const std::string& path, const TlistFilePatch& patch, uint64_t write,
                                    TlistFileLedger& ledger, int64_t& size, std::string* error) {
    const TlistFileLedger::Tstate state = ledger.Get();
    if (state.Write == 0 || state.Write != patch.Base) return TlistPatchResult::lprStale;
    const TfdCloser old{OpenRegularFile(path)};
    TfileStamp stamp;
    if (old.Fd < 0 || !StampOfFile(old.Fd, stamp) || !(stamp == state.Stamp)) return TlistPatchResult::lprStale;
    uint64_t headBytes = state.HeadBytes;
    std::shared_ptr<const std::vector<uint32_t>> lengths = state.Lengths;
    if (!lengths) {
        auto found = std::make_shared<std::vector<uint32_t>>();
        if (!FindListFileRecords(old.Fd, uint64_t(stamp.Size), state.Records, headBytes, *found))
            return TlistPatchResult::lprStale;
        lengths = std::move(found);
    } else {
        uint64_t total = headBytes;
        for (const uint32_t length : *lengths) total += length;
        if (lengths->size() != state.Records || total != uint64_t(stamp.Size)) return TlistPatchResult::lprStale;
    }
    // The plan must fit the file and its fresh records.
    uint64_t freshCount = 0, records = 0;
    for (const TlistFilePiece& piece : patch.Pieces) {
        if (!piece.Fresh() && uint64_t(piece.First) + piece.Count > lengths->size()) return TlistPatchResult::lprStale;
        if (piece.Fresh()) freshCount += piece.Count;
        records += piece.Count;
    }
    uint64_t freshBytes = 0;
    for (const uint32_t length : patch.FreshLengths) freshBytes += length;
    if (freshCount != patch.FreshLengths.size() || freshBytes != patch.Fresh.size()) return TlistPatchResult::lprStale;

    auto written = std::make_shared<std::vector<uint32_t>>();
    written->reserve(size_t(records));
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
        }
        out.AppendFrom(old.Fd, cursorOffset, bytes);
        cursor = first + piece.Count;
        cursorOffset += bytes;
    }
    // Changed on disk while it was copied: what was copied may be part old, part new.
    TfileStamp after;
    if (!StampOfFile(old.Fd, after) || !(after == stamp)) return TlistPatchResult::lprStale;
    if (!out.Commit(error)) return TlistPatchResult::lprFailed;
    size = int64_t(patch.Head.size());
    for (const uint32_t length : *written) size += length;
    TfileStamp made;
    if (StampOfFile(path, made) && made.Size == size)
        ledger.Set({write, made, uint32_t(written->size()), patch.Head.size(), std::move(written)});
    else
        ledger.Forget();
    return TlistPatchResult::lprWritten;
}

}  // namespace tunecrest
