// The JPEG picture of an ID3 version 2 tag (versions 2.2 to 2.4): the APIC frame (PIC
// in 2.2) is found by walking the frames, with the text encoding, MIME type and
// description skipped and unsynchronisation undone. Every read is bounded by the tag.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/tags/audio_tag.h"

namespace tunecrest {

namespace {

bool IsJpegStart(std::string_view b, size_t at) {
    return at + 3 <= b.size() && uint8_t(b[at]) == 0xFF && uint8_t(b[at + 1]) == 0xD8 && uint8_t(b[at + 2]) == 0xFF;
}

size_t FindJpegStart(std::string_view b, size_t from) {
    for (size_t i = from; i + 3 <= b.size(); ++i)
        if (IsJpegStart(b, i)) return i;
    return std::string_view::npos;
}

// Undoes unsynchronisation: every 0x00 that follows 0xFF is dropped.
std::string Resynchronise(std::string_view b) {
    std::string out;
    out.reserve(b.size());
    for (size_t i = 0; i < b.size(); ++i) {
        out += b[i];
        if (uint8_t(b[i]) == 0xFF && i + 1 < b.size() && b[i + 1] == '\0') ++i;
    }
    return out;
}

bool SynchSafe(std::string_view b, size_t at, uint32_t& value) {
    value = 0;
    for (size_t i = 0; i < 4; ++i) {
        const uint8_t c = uint8_t(b[at + i]);
        if (c & 0x80) return false;
        value = (value << 7) | c;
    }
    return true;
}

uint32_t BigEndian(std::string_view b, size_t at, int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) value = (value << 8) | uint8_t(b[at + size_t(i)]);
    return value;
}

// The picture bytes of one APIC/PIC frame body; empty when it holds no JPEG.
std::string PictureOfFrame(std::string_view data, bool twoTwo) {
    if (data.empty()) return "";
    const uint8_t encoding = uint8_t(data[0]);
    size_t pos = 1;
    if (twoTwo) {
        pos += 3;  // image format, such as "JPG"
    } else {
        const size_t end = data.find('\0', pos);
        if (end == std::string_view::npos) return "";
        pos = end + 1;
    }
    ++pos;  // picture type
    if (pos > data.size()) return "";
    // The description ends with one zero byte, or two at an even offset for UTF-16.
    if (encoding == 1 || encoding == 2) {
        size_t i = pos;
        while (i + 1 < data.size() && !(data[i] == '\0' && data[i + 1] == '\0')) i += 2;
        pos = i + 2;
    } else {
        const size_t end = data.find('\0', pos);
        pos = end == std::string_view::npos ? data.size() : end + 1;
    }
    if (pos < data.size() && IsJpegStart(data, pos)) return std::string(data.substr(pos));
    // A description written wrongly: look for the start of the JPEG in the frame.
    const size_t start = FindJpegStart(data, 1);
    return start == std::string_view::npos ? "" : std::string(data.substr(start));
}

}  // namespace

bool ExtractId3Jpeg(std::string_view file, uint64_t fileSize, std::string& jpeg) {
    jpeg.clear();
    if (file.size() < 10 || file.substr(0, 3) != "ID3") return false;
    const uint8_t major = uint8_t(file[3]);
    const uint8_t flags = uint8_t(file[5]);
    uint32_t size = 0;
    if (!SynchSafe(file, 6, size)) return false;
    const uint64_t tagSize = uint64_t(size) + 10 + ((flags & 0x10) ? 10 : 0);
    // A tag that claims the whole file (or more) is not believed.
    if (tagSize >= fileSize || tagSize > file.size()) return false;
    if (major < 2 || major > 4) return false;

    std::string body(file.substr(10, size));
    if ((flags & 0x80) && major < 4) body = Resynchronise(body);
    size_t pos = 0;
    if ((flags & 0x40) && major == 3) {
        if (body.size() < 4) return false;
        pos = 4 + size_t(BigEndian(body, 0, 4));
    } else if ((flags & 0x40) && major == 4) {
        uint32_t ext = 0;
        if (body.size() < 4 || !SynchSafe(body, 0, ext)) return false;
        pos = ext;
    }

    const size_t headerSize = major == 2 ? 6 : 10;
    const size_t idSize = major == 2 ? 3 : 4;
    bool sawPictureFrame = false;
    while ((flags & 0x40) == 0 || major != 2) {  // 2.2 with bit 6 is compressed: frames unreadable
        if (pos + headerSize > body.size() || body[pos] == '\0') break;
        const std::string_view id(body.data() + pos, idSize);
        uint32_t frameSize = 0;
        if (major == 2)
            frameSize = BigEndian(body, pos + 3, 3);
        else if (major == 3)
            frameSize = BigEndian(body, pos + 4, 4);
        else if (!SynchSafe(body, pos + 4, frameSize))
            break;
        const uint8_t format = major == 2 ? 0 : uint8_t(body[pos + 9]);
        pos += headerSize;
        if (frameSize > body.size() - pos) break;  // runs past the tag: stop
        std::string_view data(body.data() + pos, frameSize);
        pos += frameSize;
        if (id != (major == 2 ? std::string_view("PIC") : std::string_view("APIC"))) continue;
        std::string unsynced;
        if (major == 3) {
            if (format & 0xC0) continue;  // compressed or encrypted
            if (format & 0x20) data.remove_prefix(std::min<size_t>(1, data.size()));
        } else if (major == 4) {
            if (format & 0x0C) continue;  // compressed or encrypted
            if (format & 0x40) data.remove_prefix(std::min<size_t>(1, data.size()));
            if (format & 0x01) data.remove_prefix(std::min<size_t>(4, data.size()));
            if ((format & 0x02) || (flags & 0x80)) {
                unsynced = Resynchronise(data);
                data = unsynced;
            }
        }
        sawPictureFrame = true;
        std::string picture = PictureOfFrame(data, major == 2);
        if (!picture.empty()) {
            jpeg = std::move(picture);
            return true;
        }
    }
    // Frames that could not be walked: after a JPEG MIME type, the first JPEG start.
    if (sawPictureFrame) return false;
    const size_t mime = body.find("image/jp");
    if (mime == std::string::npos) return false;
    const size_t start = FindJpegStart(body, mime);
    if (start == std::string::npos) return false;
    jpeg = body.substr(start);
    return true;
}

}  // namespace tunecrest
