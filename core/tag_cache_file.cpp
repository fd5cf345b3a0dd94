#include "core/tag_cache_file.h"

#include "core/safe_file.h"

namespace tunecrest {

// Interim layout until the library's tag-list file writer serves the cache: "TCv0", a
// signed 32-bit count, then per tag its texts (32-bit length and bytes), its numbers and
// its extra-field lines. A file of another layout reads as damaged, so the folder is
// simply scanned file by file and the cache rewritten.
namespace {

const char kMagic[] = "TCv0";
constexpr uint32_t kMaxText = 1u << 16;
constexpr int32_t kMaxTags = 1 << 20;

void WriteCacheText(TbyteWriter& w, const std::string& text) {
    const std::string_view cut = std::string_view(text).substr(0, kMaxText);
    w.WriteU32(uint32_t(cut.size()));
    w.WriteBytes(cut);
}

bool ReadCacheText(TbyteReader& r, std::string& text) {
    uint32_t size = 0;
    std::string_view bytes;
    if (!r.ReadU32(size) || size > kMaxText || !r.ReadBytes(size, bytes)) return false;
    text.assign(bytes);
    return true;
}

}  // namespace

bool SaveTagCacheFile(const std::string& fileName, const std::vector<TaudioTagPtr>& tags, std::string* error) {
    TbyteWriter w;
    w.WriteBytes(std::string_view(kMagic, 4));
    w.WriteI32(int32_t(tags.size()));
    for (const TaudioTagPtr& tag : tags) {
        for (const std::string* text : {&tag->Filename(), &tag->Artist(), &tag->Title(), &tag->Album(),
                                        &tag->Comment(), &tag->Date(), &tag->GenreString(), &tag->TagType()})
            WriteCacheText(w, *text);
        for (uint32_t value : {tag->TrackNo(), tag->GenreID(), tag->BitRate(), tag->Duration(), tag->SampleRate(),
                               tag->Channels(), tag->MediaType(), tag->Data()})
            w.WriteU32(value);
        w.WriteDouble(tag->ModDate());
        w.WriteI32(int32_t(tag->ExtraFields().Count()));
        for (int i = 0; i < tag->ExtraFields().Count(); ++i) WriteCacheText(w, tag->ExtraFields().Strings(i));
    }
    return SafeWriteFile(fileName, w.Bytes(), error);
}

bool LoadTagCacheFile(const std::string& fileName, std::vector<TaudioTagPtr>& tags) {
    tags.clear();
    std::string data;
    if (!ReadFileBytes(fileName, data, nullptr, uint64_t(1) << 30)) return false;
    TbyteReader r(data);
    std::string_view magic;
    int32_t count = 0;
    if (!r.ReadBytes(4, magic) || magic != std::string_view(kMagic, 4) || !r.ReadI32(count) || count < 0 ||
        count > kMaxTags)
        return false;
    for (int32_t n = 0; n < count; ++n) {
        auto tag = std::make_shared<TaudioTag>();
        std::string texts[8];
        uint32_t values[8] = {};
        double modDate = 0;
        int32_t extraCount = 0;
        for (std::string& text : texts)
            if (!ReadCacheText(r, text)) return tags.clear(), false;
        for (uint32_t& value : values)
            if (!r.ReadU32(value)) return tags.clear(), false;
        if (!r.ReadDouble(modDate) || !r.ReadI32(extraCount) || extraCount < 0 || size_t(extraCount) > r.Remaining())
            return tags.clear(), false;
        tag->SetFilename(texts[0]);
        tag->SetArtist(texts[1]);
        tag->SetTitle(texts[2]);
        tag->SetAlbum(texts[3]);
        tag->SetComment(texts[4]);
        tag->SetDate(texts[5]);
        tag->SetGenreString(texts[6]);
        tag->SetTagType(texts[7]);
        tag->SetTrackNo(values[0]);
        tag->SetGenreID(values[1]);
        tag->SetBitRate(values[2]);
        tag->SetDuration(values[3]);
        tag->SetSampleRate(values[4]);
        tag->SetChannels(values[5]);
        tag->SetMediaType(values[6]);
        tag->SetData(values[7]);
        tag->SetModDate(modDate);
        for (int32_t i = 0; i < extraCount; ++i) {
            std::string line;
            if (!ReadCacheText(r, line)) return tags.clear(), false;
            tag->ExtraFields().Add(line);
        }
        tags.push_back(std::move(tag));
    }
    return r.AtEnd() || (tags.clear(), false);
}

}  // namespace tunecrest
