#include "skin/skin_pictures.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/base/safe_file.h"
#include "core/base/text_utils.h"
#include "playback/picture_decoders.h"
#include "skin/skin_colors.h"

namespace tunecrest {

namespace {

uint32_t U32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

// An uncompressed BMP whose pixel rows run past the end of the file was cut short (an
// interrupted copy). The decoder would fill the missing rows with black and call it a
// picture; a skin must not wear that.
bool BmpCutShort(const std::string& b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || U32(b, 14) < 40) return false;
    const int64_t offset = U32(b, 10);
    const int64_t width = int32_t(U32(b, 18));
    const int64_t height = int32_t(U32(b, 22));
    const int64_t bits = uint8_t(b[28]) | uint8_t(b[29]) << 8;
    const uint32_t compression = U32(b, 30);
    if (compression != 0 && compression != 3) return false;  // run-length data has no fixed size
    const int64_t stride = (std::abs(width) * bits + 31) / 32 * 4;
    return offset + stride * std::abs(height) > int64_t(b.size());
}

// A run-length compressed BMP (4 or 8 bits a pixel), which our own decoder reads under its
// bounds rather than the toolkit's.
bool IsRunLengthBmp(const std::string& b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || U32(b, 14) < 40) return false;
    const uint32_t compression = U32(b, 30);
    return compression == 1 || compression == 2;
}

// The decoder's picture as a skin bitmap.
QImage FromDecoded(const Tbitmap& b) {
    QImage image(b.Width(), b.Height(), QImage::Format_RGB888);
    for (int y = 0; y < b.Height(); ++y) std::memcpy(image.scanLine(y), b.ScanLine(y), size_t(b.BytesPerLine()));
    return image;
}

}  // namespace

QImage LoadSkinImage(const std::string& path, std::string* reason) {
    std::string bytes, error;
    int code = 0;
    if (!ReadFileBytes(path, bytes, &error, uint64_t(kMaxSkinImageBytes), &code)) {
        if (reason) *reason = code == ENOENT ? "missing" : error;
        return QImage();
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead()) {
        if (reason) *reason = "not a picture";
        return QImage();
    }
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSkinImageSide || size.height() > kMaxSkinImageSide ||
                           int64_t(size.width()) * size.height() > kMaxSkinImagePixels)) {
        if (reason) *reason = "picture too large (" + std::to_string(size.width()) + " x " +
                              std::to_string(size.height()) + ")";
        return QImage();
    }
    if (BmpCutShort(bytes)) {
        if (reason) *reason = "damaged picture (cut short)";
        return QImage();
    }
    if (IsRunLengthBmp(bytes)) {
        Tbitmap decoded;
        std::string why;
        if (!DecodeBmp(bytes, decoded, &why)) {
            if (reason) *reason = "damaged picture (" + why + ")";
            return QImage();
        }
        return ToSkinBitmap(FromDecoded(decoded));
    }
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.width() < 1 || image.height() < 1) {
        if (reason) *reason = "damaged picture (" + reader.errorString().toStdString() + ")";
        return QImage();
    }
    return ToSkinBitmap(image);
}

bool IsJpegFile(const std::string& path) {
    std::string head, error;
    uint64_t size = 0;
    if (!ReadFileHead(path, 3, head, size, &error)) return false;
    return head.size() == 3 && uint8_t(head[0]) == 0xFF && uint8_t(head[1]) == 0xD8 && uint8_t(head[2]) == 0xFF;
}

bool SaveSkinImage(const std::string& path, const QImage& image, std::string* error) {
    if (image.isNull()) {
        if (error) *error = "no picture to write to " + path;
        return false;
    }
    const std::string ext = UpperCase(std::filesystem::path(path).extension().string());
    const bool jpeg = ext == ".JPG" || ext == ".JPEG";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, jpeg ? "JPEG" : "BMP");
    if (jpeg) writer.setQuality(92);
    // Skin pictures keep exact colours in a BMP: the recolouring rules read exact bytes.
    if (!writer.write(jpeg ? image.convertToFormat(QImage::Format_RGB32) : image)) {
        if (error) *error = "cannot encode " + path + ": " + writer.errorString().toStdString();
        return false;
    }
    std::string reason;
    if (!SafeWriteFile(path, std::string_view(bytes.constData(), size_t(bytes.size())), &reason)) {
        if (error) *error = reason;
        return false;
    }
    return true;
}

bool TskinImageCache::Stamp(const std::string& path, int64_t& size, int64_t& time) {
    std::error_code ec;
    const auto s = std::filesystem::file_size(path, ec);
    if (ec) return false;
    const auto t = std::filesystem::last_write_time(path, ec);
    if (ec) return false;
    size = int64_t(s);
    time = int64_t(t.time_since_epoch().count());
    return true;
}

QImage TskinImageCache::Load(const std::string& path, std::string* reason) {
    int64_t size = -1, time = 0;
    const bool exists = Stamp(path, size, time);
    {
        std::lock_guard lock(Fmutex);
        auto it = Fentries.find(path);
        if (exists && it != Fentries.end() && it->second.Size == size && it->second.Time == time) {
            if (reason) *reason = it->second.Reason;
            it->second.Used = ++Fclock;
            return it->second.Image;
        }
    }
    Tentry entry;
    entry.Size = size;
    entry.Time = time;
    entry.Image = LoadSkinImage(path, &entry.Reason);
    if (reason) *reason = entry.Reason;
    std::lock_guard lock(Fmutex);
    ++Fdecodes;
    // A missing file is not remembered: it may appear at any time.
    if (exists) {
        entry.Used = ++Fclock;
        Tentry& held = Fentries[path];
        Fbytes -= held.Image.sizeInBytes();
        held = entry;
        Fbytes += held.Image.sizeInBytes();
        Trim();
    }
    return entry.Image;
}

void TskinImageCache::Trim() {
    while (Fbytes > FbyteLimit && !Fentries.empty()) {
        auto oldest = Fentries.begin();
        for (auto it = Fentries.begin(); it != Fentries.end(); ++it)
            if (it->second.Used < oldest->second.Used) oldest = it;
        Fbytes -= oldest->second.Image.sizeInBytes();
        Fentries.erase(oldest);
    }
}

void TskinImageCache::SetByteLimit(int64_t bytes) {
    std::lock_guard lock(Fmutex);
    FbyteLimit = bytes;
    Trim();
}

int64_t TskinImageCache::Bytes() const {
    std::lock_guard lock(Fmutex);
    return Fbytes;
}

bool TskinImageCache::IsCurrent(const std::string& path) const {
    int64_t size = -1, time = 0;
    if (!Stamp(path, size, time)) return false;
    std::lock_guard lock(Fmutex);
    auto it = Fentries.find(path);
    return it != Fentries.end() && it->second.Size == size && it->second.Time == time;
}

void TskinImageCache::Clear() {
    std::lock_guard lock(Fmutex);
    Fentries.clear();
    Fbytes = 0;
}

int TskinImageCache::Count() const {
    std::lock_guard lock(Fmutex);
    return int(Fentries.size());
}

int TskinImageCache::DecodeCount() const {
    std::lock_guard lock(Fmutex);
    return Fdecodes;
}

}  // namespace tunecrest
