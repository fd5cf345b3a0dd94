#pragma once
// One way to write every file the system writes: the bytes go to a temporary file in
// the same folder, are flushed to disk and renamed over the target. A failed write
// reports why, never leaves a truncated file and never destroys the previous one.
#include <bit>
#include <chrono>
#include <functional>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace tunecrest {

// Writes `data` to `path` safely. Returns false and fills `error` (if given) on failure.
// When `path` is a symbolic link, the file it leads to is replaced (in that file's own
// folder) and the link stays a link.
bool SafeWriteFile(const std::string& path, std::string_view data, std::string* error = nullptr);

// The call that flushes a written file, and then its folder, to the disk (fsync by
// default). Returns the one it replaces; tests put their own in to see the flushes or to
// make one fail.
using TfileSync = int (*)(int fd);
TfileSync SetFileSync(TfileSync sync);

// The same for a file written as it is made: Append adds bytes to a temporary file in
// the target's folder, Commit flushes it to disk and renames it over the target. A
// writer destroyed without a Commit removes its temporary file and leaves the target
// as it was. After a failed Append the rest are ignored and Commit reports the failure.
class TsafeFileWriter {
public:
    explicit TsafeFileWriter(std::string path);
    ~TsafeFileWriter();
    TsafeFileWriter(const TsafeFileWriter&) = delete;
    TsafeFileWriter& operator=(const TsafeFileWriter&) = delete;

    bool Append(std::string_view data);
    // Appends `length` bytes of the open file `fd` from `offset` (copied inside the
    // kernel where it can); false, as a failed Append, when they cannot all be copied.
    bool AppendFrom(int fd, uint64_t offset, uint64_t length);
    // Overwrites bytes already appended at `offset` (a count known only at the end).
    bool Patch(uint64_t offset, std::string_view data);
    bool Commit(std::string* error = nullptr);
    // The same, running `beforeReplace` once the file is on the disk, just before it takes
    // the target's place (files that must not outlive the old target go there).
    bool Commit(std::string* error, const std::function<void()>& beforeReplace);

private:
    bool Open();
    // Appends (a negative offset) or overwrites at `offset`.
    bool Write(std::string_view data, int64_t offset);
    bool Fail(const std::string& what, int err);
    void Discard();
    // Starts the writing out to the disk of what was appended since the last start, once
    // it is a few megabytes: a large file is then mostly on the disk by the time it is
    // complete, and the flush of Commit waits for little more than the rest.
    void StartWriteOut();
    std::string Fpath, Fresolved, Ftemp, Ferror;
    int Ffd = -1;
    bool Ffailed = false, Fcommitted = false;
    uint64_t Fappended = 0, FwrittenOut = 0;
};

// Removes the temporary files that safe writes into `folder` left behind when the
// program was stopped in the middle of one (".name.XXXXXX", as the writers name them),
// if they were last written more than `olderThan` ago: a save still being written by
// this program is younger. Returns how many were removed.
int RemoveAbandonedWrites(const std::string& folder, std::chrono::seconds olderThan);

// Opens `path` for reading without ever blocking: a FIFO, socket or device where a data
// file belongs would otherwise hang the reader. Anything that is not a regular file is
// refused. Returns the descriptor (the caller closes it), or -1 with a reason in `error`
// and the cause in `errorCode` (errno, ENOENT for a missing file).
int OpenRegularFile(const std::string& path, std::string* error = nullptr, int* errorCode = nullptr);

// Reads a whole regular file into `data`. Returns false (with a reason) when it cannot be
// read, is no regular file or is larger than `maxBytes`. `errorCode` receives the cause
// (ENOENT when the file is missing, so that callers can tell missing from unreadable).
bool ReadFileBytes(const std::string& path, std::string& data, std::string* error = nullptr,
                   uint64_t maxBytes = uint64_t(1) << 32, int* errorCode = nullptr);

// A whole regular file read into memory, which goes back to the system the moment the
// bytes are dropped when the file is large: a large file read once (a grouping index)
// does not leave its size behind in the heap. Fails as ReadFileBytes fails.
// Memory of its own for one large block that is filled once and given back whole: in
// large pages where the system grants them (on some systems a first touch of each small
// page costs more than filling it), aligned to them, `size` rounded up to whole large
// pages. Null when no memory could be mapped. Its bytes are not cleared: a block may be
// one given back before (see TlargeBlockReuse).
char* MapLargeBlock(size_t& size);
// `size` as given to MapLargeBlock, rounded or not.
void UnmapLargeBlock(char* block, size_t size);

// While one of these lives (on any thread), the largest block given back is kept for the
// next MapLargeBlock it can serve, instead of going back to the system: its pages are in
// memory already, where a new block's are cleared first (a large page at a time). Loading
// a library maps one such block after another. The kept block goes back when the last
// one ends.
class TlargeBlockReuse {
public:
    TlargeBlockReuse();
    ~TlargeBlockReuse();
    TlargeBlockReuse(const TlargeBlockReuse&) = delete;
    TlargeBlockReuse& operator=(const TlargeBlockReuse&) = delete;
};

// For a vector reserved once to its full size and dropped whole: from 256 KB on, its
// memory comes from MapLargeBlock; smaller ones from the heap.
template <typename T>
struct TlargeBlockAllocator {
    using value_type = T;
    static constexpr size_t kMappedFrom = size_t(256) << 10;
    TlargeBlockAllocator() = default;
    template <typename U>
    TlargeBlockAllocator(const TlargeBlockAllocator<U>&) {}
    T* allocate(size_t n) {
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        size_t size = n * sizeof(T);
        if (size < kMappedFrom) return static_cast<T*>(::operator new(size));
        char* block = MapLargeBlock(size);
        if (!block) throw std::bad_alloc();
        return reinterpret_cast<T*>(block);
    }
    void deallocate(T* p, size_t n) {
        if (n * sizeof(T) < kMappedFrom)
            ::operator delete(p);
        else
            UnmapLargeBlock(reinterpret_cast<char*>(p), n * sizeof(T));
    }
    friend bool operator==(const TlargeBlockAllocator&, const TlargeBlockAllocator&) { return true; }
};

class TfileBytes {
public:
    TfileBytes() = default;
    ~TfileBytes() { Release(); }
    TfileBytes(const TfileBytes&) = delete;
    TfileBytes& operator=(const TfileBytes&) = delete;

    bool Read(const std::string& path, uint64_t maxBytes, std::string* error = nullptr);
    std::string_view View() const { return Fmapped ? std::string_view(Fmapped, Fsize) : std::string_view(Fcopy); }

private:
    void Release();
    char* Fmapped = nullptr;
    size_t Fsize = 0, Fcapacity = 0;
    std::string Fcopy;  // a file whose size the system does not state, or that grew
};

// Reads at most `maxBytes` from the start of a regular file; `fileSize` receives its size.
bool ReadFileHead(const std::string& path, uint64_t maxBytes, std::string& data, uint64_t& fileSize,
                  std::string* error = nullptr);

// A little-endian byte sink used by the binary writers; hand its bytes to SafeWriteFile.
class TbyteWriter {
public:
    void WriteU8(uint8_t v) { Fbytes.push_back(char(v)); }
    void WriteI16(int16_t v) { WriteLE(uint64_t(uint16_t(v)), 2); }
    void WriteI32(int32_t v) { WriteLE(uint64_t(uint32_t(v)), 4); }
    void WriteU32(uint32_t v) { WriteLE(v, 4); }
    void WriteI64(int64_t v) { WriteLE(uint64_t(v), 8); }
    void WriteDouble(double v);
    void WriteBytes(std::string_view bytes) { Fbytes.append(bytes); }
    const std::string& Bytes() const { return Fbytes; }
    std::string& Bytes() { return Fbytes; }

private:
    void WriteLE(uint64_t v, int n) {
        char bytes[8];
        for (int i = 0; i < n; ++i) bytes[i] = char((v >> (8 * i)) & 0xFF);
        Fbytes.append(bytes, size_t(n));
    }
    std::string Fbytes;
};

// A bounds-checked little-endian reader: every read checks the remaining length and
// reports failure instead of reading past the end. The reads are inline: list files
// make several of them per property of every track.
class TbyteReader {
public:
    explicit TbyteReader(std::string_view data) : Fdata(data) {}
    bool ReadU8(uint8_t& v) {
        if (Fpos >= Fdata.size()) return false;
        v = static_cast<uint8_t>(Fdata[Fpos++]);
        return true;
    }
    bool ReadI16(int16_t& v) { return ReadAs<uint16_t>(v); }
    bool ReadI32(int32_t& v) { return ReadAs<uint32_t>(v); }
    bool ReadU32(uint32_t& v) { return ReadAs<uint32_t>(v); }
    bool ReadI64(int64_t& v) { return ReadAs<uint64_t>(v); }
    bool ReadDouble(double& v) {
        uint64_t x;
        if (!ReadLE(x)) return false;
        std::memcpy(&v, &x, sizeof v);
        return true;
    }
    bool ReadBytes(size_t n, std::string_view& out) {
        if (Remaining() < n) return false;
        out = Fdata.substr(Fpos, n);
        Fpos += n;
        return true;
    }
    size_t Position() const { return Fpos; }
    size_t Remaining() const { return Fdata.size() - Fpos; }
    // All the data the reader reads from, whatever its position.
    std::string_view Data() const { return Fdata; }
    bool AtEnd() const { return Fpos >= Fdata.size(); }
    bool Seek(size_t pos) {
        if (pos > Fdata.size()) return false;
        Fpos = pos;
        return true;
    }

private:
    // Reads an unsigned little-endian integer of sizeof(U) bytes.
    template <typename U>
    bool ReadLE(U& v) {
        if (Remaining() < sizeof(U)) return false;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&v, Fdata.data() + Fpos, sizeof(U));
        } else {
            v = 0;
            for (size_t i = 0; i < sizeof(U); ++i)
                v |= U(static_cast<unsigned char>(Fdata[Fpos + i])) << (8 * i);
        }
        Fpos += sizeof(U);
        return true;
    }
    template <typename U, typename T>
    bool ReadAs(T& v) {
        U x;
        if (!ReadLE(x)) return false;
        v = static_cast<T>(x);
        return true;
    }
    std::string_view Fdata;
    size_t Fpos = 0;
};

}  // namespace tunecrest
