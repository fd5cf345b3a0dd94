#include "core/base/safe_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <utility>

namespace tunecrest {

namespace {
std::atomic<TfileSync> FfileSync{&::fsync};

bool Fail(std::string* error, const std::string& what, int err) {
    if (error) *error = what + ": " + std::strerror(err);
    return false;
}

// The file a write to `path` must replace: symbolic links are followed (a bounded number
// of times) so that the link itself stays a link. A dangling link leads to the name it
// points at, which the write then creates.
bool ResolveWriteTarget(const std::string& path, std::string& target, std::string* error) {
    namespace fs = std::filesystem;
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) return Fail(error, "Cannot write " + path, errno);
        if (size_t(n) >= link.size()) return Fail(error, "Cannot write " + path, ENAMETOOLONG);
        link.resize(size_t(n));
        const fs::path next(link);
        target = next.is_absolute() ? next.string() : (fs::path(target).parent_path() / next).string();
    }
    return Fail(error, "Cannot write " + path, ELOOP);
}

// Makes a finished rename durable: the folder's entry is on disk, not only the data.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    FfileSync.load()(fd);
    ::close(fd);
}
}  // namespace

TfileSync SetFileSync(TfileSync sync) { return FfileSync.exchange(sync ? sync : &::fsync); }

bool SafeWriteFile(const std::string& path, std::string_view data, std::string* error) {
    TsafeFileWriter writer(path);
    writer.Append(data);
    return writer.Commit(error);
}

TsafeFileWriter::TsafeFileWriter(std::string path) : Fpath(std::move(path)) {}

TsafeFileWriter::~TsafeFileWriter() {
    if (!Fcommitted) Discard();
}

bool TsafeFileWriter::Fail(const std::string& what, int err) {
    Ffailed = true;
    Ferror = what + ": " + std::strerror(err);
    Discard();
    return false;
}

void TsafeFileWriter::Discard() {
    if (Ffd >= 0) ::close(Ffd);
    Ffd = -1;
    if (!Ftemp.empty()) ::unlink(Ftemp.c_str());
    Ftemp.clear();
}

bool TsafeFileWriter::Open() {
    namespace fs = std::filesystem;
    if (!ResolveWriteTarget(Fpath, Fresolved, &Ferror)) {
        Ffailed = true;
        return false;
    }
    const fs::path target(Fresolved);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string name = ".";
    name += target.filename().string();
    name += ".XXXXXX";
    std::string tmpl = (folder / name).string();
    Ffd = mkstemp(tmpl.data());
    if (Ffd < 0) return Fail("Cannot write " + Fpath, errno);
    Ftemp = std::move(tmpl);
    // Keep the permissions of the file being replaced; new files get the usual 0644.
    struct stat st {};
    const mode_t mode = (stat(Fresolved.c_str(), &st) == 0) ? (st.st_mode & 07777) : 0644;
    fchmod(Ffd, mode);
    return true;
}

bool TsafeFileWriter::Append(std::string_view data) {
    if (!Write(data, -1)) return false;
    Fappended += data.size();
    StartWriteOut();
    return true;
}

namespace {
// Written out to the disk in pieces of this size while a file is made.
constexpr uint64_t kWriteOutBytes = uint64_t(8) << 20;
}  // namespace

void TsafeFileWriter::StartWriteOut() {
    if (Ffd < 0 || Fappended - FwrittenOut < kWriteOutBytes) return;
    // Only a start: the flush of Commit still makes the file durable. A file system that
    // cannot do this is flushed by Commit alone.
    ::sync_file_range(Ffd, off64_t(FwrittenOut), off64_t(Fappended - FwrittenOut), SYNC_FILE_RANGE_WRITE);
    FwrittenOut = Fappended;
}

bool TsafeFileWriter::AppendFrom(int fd, uint64_t offset, uint64_t length) {
    if (Ffailed || Fcommitted) return false;
    if (Ffd < 0 && !Open()) return false;
    bool inKernel = true;
    std::string buffer;
    while (length > 0) {
        if (inKernel) {
            loff_t from = loff_t(offset);
            const ssize_t n =
                ::copy_file_range(fd, &from, Ffd, nullptr, size_t(std::min<uint64_t>(length, kWriteOutBytes)), 0);
            if (n > 0) {
                offset += uint64_t(n);
                length -= uint64_t(n);
                Fappended += uint64_t(n);
                StartWriteOut();
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            // Another file system, a kernel without it, or a source shorter than asked:
            // read and written here, which also tells a short source from a failure.
            inKernel = false;
            continue;
        }
        if (buffer.empty()) buffer.resize(size_t(1) << 20);
        const ssize_t n = ::pread(fd, buffer.data(), size_t(std::min<uint64_t>(length, buffer.size())), off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail("Cannot read what " + Fpath + " is copied from", errno);
        if (n == 0) return Fail("Cannot copy into " + Fpath + ": the source ends early", EIO);
        if (!Append(std::string_view(buffer.data(), size_t(n)))) return false;
        offset += uint64_t(n);
        length -= uint64_t(n);
    }
    return true;
}

bool TsafeFileWriter::Patch(uint64_t offset, std::string_view data) { return Write(data, int64_t(offset)); }

bool TsafeFileWriter::Write(std::string_view data, int64_t offset) {
    if (Ffailed || Fcommitted) return false;
    if (Ffd < 0 && !Open()) return false;
    size_t written = 0;
    while (written < data.size()) {
        const char* from = data.data() + written;
        const size_t size = data.size() - written;
        const ssize_t n = offset < 0 ? ::write(Ffd, from, size) : ::pwrite(Ffd, from, size, off_t(offset) + off_t(written));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail("Cannot write " + Fpath, errno);
        }
        written += size_t(n);
    }
    return true;
}

bool TsafeFileWriter::Commit(std::string* error) { return Commit(error, nullptr); }

bool TsafeFileWriter::Commit(std::string* error, const std::function<void()>& beforeReplace) {
    if (Fcommitted) return true;
    if (!Ffailed && (Ffd >= 0 || Open())) {
        if (FfileSync.load()(Ffd) != 0 && errno != EINVAL) {
            Fail("Cannot write " + Fpath, errno);
        } else if (::close(std::exchange(Ffd, -1)) != 0) {
            Fail("Cannot write " + Fpath, errno);
        } else {
            if (beforeReplace) beforeReplace();
            if (::rename(Ftemp.c_str(), Fresolved.c_str()) != 0) {
                Fail("Cannot replace " + Fpath, errno);
            } else {
                Ftemp.clear();
                Fcommitted = true;
                const std::string folder = std::filesystem::path(Fresolved).parent_path().string();
                SyncFolder(folder.empty() ? "." : folder);
                return true;
            }
        }
    }
    if (error) *error = Ferror;
    return false;
}

int RemoveAbandonedWrites(const std::string& folder, std::chrono::seconds olderThan) {
    namespace fs = std::filesystem;
    // mkstemp's six letters are ASCII letters and digits.
    const auto isTemporary = [](const std::string& name) {
        constexpr size_t kSuffix = 7;  // ".XXXXXX"
        if (name.size() < 1 + 1 + kSuffix || name[0] != '.' || name[name.size() - kSuffix] != '.') return false;
        return std::all_of(name.end() - 6, name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        });
    };
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    int removed = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code fileError;
        if (!isTemporary(name) || !it->is_regular_file(fileError)) continue;
        const auto written = it->last_write_time(fileError);
        if (fileError || now - written < olderThan) continue;
        if (fs::remove(it->path(), fileError)) ++removed;
    }
    return removed;
}

int OpenRegularFile(const std::string& path, std::string* error, int* errorCode) {
    if (errorCode) *errorCode = 0;
    auto fail = [&](int err, const std::string& reason) {
        if (errorCode) *errorCode = err;
        if (error) *error = "Cannot read " + path + ": " + reason;
        return -1;
    };
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return fail(errno, std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(err, std::strerror(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL,
                    S_ISDIR(st.st_mode) ? "it is a folder" : "not a regular file");
    }
    // Reads of a regular file never block; clear the flag all the same.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

namespace {
// Reads from `fd` until the end or `maxBytes`; `tooLarge` tells whether more followed.
bool ReadUpTo(int fd, uint64_t maxBytes, uint64_t sizeHint, std::string& data, bool& tooLarge, int& err) {
    data.clear();
    tooLarge = false;
    data.resize(size_t(std::min<uint64_t>(sizeHint, maxBytes)) + 1);
    size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            if (got > maxBytes) break;
            data.resize(size_t(std::min<uint64_t>(uint64_t(data.size()) * 2 + 4096, maxBytes + 1)));
        }
        const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            data.clear();
            return false;
        }
        if (n == 0) break;
        got += size_t(n);
    }
    if (got > maxBytes) {
        tooLarge = true;
        got = size_t(maxBytes);
    }
    data.resize(got);
    return true;
}
}  // namespace

bool ReadFileBytes(const std::string& path, std::string& data, std::string* error, uint64_t maxBytes,
                   int* errorCode) {
    data.clear();
    const int fd = OpenRegularFile(path, error, errorCode);
    if (fd < 0) return false;
    struct stat st {};
    ::fstat(fd, &st);
    if (uint64_t(st.st_size) > maxBytes) {
        ::close(fd);
        if (errorCode) *errorCode = EFBIG;
        if (error) *error = "Cannot read " + path + ": file too large";
        return false;
    }
    // Read to the end rather than to the stated size: files of the kernel's own
    // folders state 0 bytes.
    bool tooLarge = false;
    int err = 0;
    const bool ok = ReadUpTo(fd, maxBytes, uint64_t(st.st_size), data, tooLarge, err);
    ::close(fd);
    if (!ok) {
        if (errorCode) *errorCode = err;
        return Fail(error, "Cannot read " + path, err);
    }
    if (tooLarge) {
        data.clear();
        if (errorCode) *errorCode = EFBIG;
        if (error) *error = "Cannot read " + path + ": file too large";
        return false;
    }
    return true;
}

namespace {
constexpr size_t kLargePage = size_t(2) << 20;

size_t WholeLargePages(size_t size) { return (std::max<size_t>(size, 1) + kLargePage - 1) / kLargePage * kLargePage; }

// The block kept while TlargeBlockReuse objects live.
struct TkeptBlock {
    std::mutex Lock;
    int Scopes = 0;
    char* Block = nullptr;
    size_t Size = 0;  // whole large pages
};

TkeptBlock& Kept() {
    static TkeptBlock* kept = new TkeptBlock;  // never destroyed: blocks may go back during exit
    return *kept;
}
}  // namespace

TlargeBlockReuse::TlargeBlockReuse() {
    TkeptBlock& kept = Kept();
    const std::lock_guard<std::mutex> guard(kept.Lock);
    ++kept.Scopes;
}

TlargeBlockReuse::~TlargeBlockReuse() {
    TkeptBlock& kept = Kept();
    char* block = nullptr;
    size_t size = 0;
    {
        const std::lock_guard<std::mutex> guard(kept.Lock);
        if (--kept.Scopes == 0) {
            std::swap(block, kept.Block);
            std::swap(size, kept.Size);
        }
    }
    if (block) ::munmap(block, size);
}

char* MapLargeBlock(size_t& size) {
    size = WholeLargePages(size);
    {
        TkeptBlock& kept = Kept();
        const std::lock_guard<std::mutex> guard(kept.Lock);
        if (kept.Block && kept.Size >= size) {
            // Its first pages serve; the rest stays kept.
            char* const block = kept.Block;
            kept.Block = kept.Size > size ? block + size : nullptr;
            kept.Size -= size;
            return block;
        }
    }
    void* block = ::mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
    // Aligned to a large page; the slack on either side goes back at once.
    const uintptr_t start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
    if (aligned > start) ::munmap(block, aligned - start);
    if (const size_t after = kLargePage - (aligned - start)) ::munmap(reinterpret_cast<void*>(aligned + size), after);
    char* const data = reinterpret_cast<char*>(aligned);
    ::madvise(data, size, MADV_HUGEPAGE);
    return data;
}

void UnmapLargeBlock(char* block, size_t size) {
    if (!block) return;
    size = WholeLargePages(size);
    {
        TkeptBlock& kept = Kept();
        const std::lock_guard<std::mutex> guard(kept.Lock);
        if (kept.Scopes > 0 && kept.Size < size) {
            // The larger one is kept; the other goes back.
            std::swap(block, kept.Block);
            std::swap(size, kept.Size);
        }
    }
    if (block) ::munmap(block, size);
}

void TfileBytes::Release() {
    UnmapLargeBlock(Fmapped, Fcapacity);
    Fmapped = nullptr;
    Fsize = Fcapacity = 0;
    Fcopy.clear();
    Fcopy.shrink_to_fit();
}

bool TfileBytes::Read(const std::string& path, uint64_t maxBytes, std::string* error) {
    Release();
    const int fd = OpenRegularFile(path, error);
    if (fd < 0) return false;
    struct stat st {};
    ::fstat(fd, &st);
    const uint64_t stated = uint64_t(st.st_size);
    if (stated > maxBytes) {
        ::close(fd);
        if (error) *error = "Cannot read " + path + ": file too large";
        return false;
    }
    // A small file is read into the heap, which takes its memory back for what comes
    // next; memory of its own is worth its page faults only for a large one. One byte
    // more than stated shows a file that grew meanwhile.
    constexpr uint64_t kOwnMemoryFrom = uint64_t(256) << 10;
    const size_t capacity = size_t(stated) + 1;
    size_t mapped = capacity;
    char* const block = stated >= kOwnMemoryFrom ? MapLargeBlock(mapped) : nullptr;
    if (!block) {
        ::close(fd);
        return ReadFileBytes(path, Fcopy, error, maxBytes);
    }
    Fmapped = block;
    Fcapacity = mapped;
    while (Fsize < capacity) {
        const ssize_t n = ::read(fd, Fmapped + Fsize, capacity - Fsize);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            Release();
            return Fail(error, "Cannot read " + path, err);
        }
        if (n == 0) break;
        Fsize += size_t(n);
    }
    ::close(fd);
    if (Fsize == capacity) {
        Release();
        return ReadFileBytes(path, Fcopy, error, maxBytes);
    }
    return true;
}

bool ReadFileHead(const std::string& path, uint64_t maxBytes, std::string& data, uint64_t& fileSize,
                  std::string* error) {
    data.clear();
    fileSize = 0;
    const int fd = OpenRegularFile(path, error);
    if (fd < 0) return false;
    struct stat st {};
    ::fstat(fd, &st);
    fileSize = uint64_t(st.st_size);
    bool tooLarge = false;
    int err = 0;
    const bool ok = ReadUpTo(fd, maxBytes, std::min(fileSize, maxBytes), data, tooLarge, err);
    ::close(fd);
    if (!ok) return Fail(error, "Cannot read " + path, err);
    return true;
}

void TbyteWriter::WriteDouble(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteLE(bits, 8);
}

}  // namespace tunecrest
