#pragma once
// Reading and writing the bitmaps of a skin folder. A skin comes from anywhere (copied
// from another machine, edited by hand), so its pictures are read with limits: a file
// too large, a picture of absurd size or a damaged one is refused with a reason, never
// decoded into a huge allocation. Decoded pictures are kept in a cache, so switching
// back to a skin costs no decoding, and the cache may be filled from a worker thread.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include <QImage>

namespace tunecrest {

// Skin pictures larger than this are refused unread.
constexpr int64_t kMaxSkinImageBytes = int64_t(32) << 20;
// Neither side of a skin picture may exceed this, nor its area kMaxSkinImagePixels.
constexpr int kMaxSkinImageSide = 8192;
constexpr int64_t kMaxSkinImagePixels = int64_t(16) << 20;

// Reads and decodes a skin picture (BMP, PNG or JPEG, told by its content) into the
// skin format (ToSkinBitmap). A null image, with a reason, when the file is missing,
// no regular file, too large, of an unknown kind, too big a picture or damaged.
QImage LoadSkinImage(const std::string& path, std::string* reason = nullptr);

// Writes `image` as a BMP, or as a JPEG when the name ends in ".jpg" or ".jpeg"
// (any case), through SafeWriteFile. False with a reason when it cannot.
bool SaveSkinImage(const std::string& path, const QImage& image, std::string* error = nullptr);

// True when the file starts like a JPEG picture.
bool IsJpegFile(const std::string& path);

// Decoded skin pictures by file, each valid while the file keeps its size and time.
// A failure is remembered too (with its reason) until the file changes. The pictures
// held stay under a byte limit (the least recently used go first), so switching among
// many skins over a long run does not keep every one of them. Safe to use from several
// threads.
class TskinImageCache {
public:
    static constexpr int64_t kDefaultByteLimit = int64_t(96) << 20;
    void SetByteLimit(int64_t bytes);
    // The bytes of the pictures held.
    int64_t Bytes() const;
    QImage Load(const std::string& path, std::string* reason = nullptr);
    // True when `path` is cached and still current (a Load would not read the file).
    bool IsCurrent(const std::string& path) const;
    void Clear();
    int Count() const;
    // How many times a file was read and decoded (tests and benchmarks).
    int DecodeCount() const;

private:
    struct Tentry {
        int64_t Size = -1;
        int64_t Time = 0;
        QImage Image;
        std::string Reason;
        uint64_t Used = 0;  // the use clock at the last load
    };
    // Drops the least recently used pictures until the rest fit the limit (under Fmutex).
    void Trim();
    static bool Stamp(const std::string& path, int64_t& size, int64_t& time);

    mutable std::mutex Fmutex;
    std::map<std::string, Tentry> Fentries;
    int Fdecodes = 0;
    int64_t Fbytes = 0, FbyteLimit = kDefaultByteLimit;
    uint64_t Fclock = 0;
};

}  // namespace tunecrest
