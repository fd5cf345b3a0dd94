#include "core/tags/tag_stream.h"

#include <cstring>

#include "core/tags/component_stream.h"
#include "core/tags/list_file_io.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
constexpr std::string_view kExtraFieldsProperty = "ExtraFields.Strings";

void WriteTextProperty(TcomponentWriter& cw, const char* name, std::string_view value) {
    if (!value.empty()) cw.WriteString(name, value);
}

// Unsigned 32-bit properties are stored as the signed 32-bit value with the same bits,
// in its smallest form.
void WriteUInt32Property(TcomponentWriter& cw, const char* name, uint32_t value) {
    cw.WriteInteger(name, int32_t(value));
}

bool WrongKind(std::string* error, std::string_view name) {
    return ReadFailure(error, "property " + std::string(name) + " of a TaudioTag record holds a value of the wrong kind");
}
using TtextSetter = void (TaudioTag::*)(std::string_view);
using TpooledSetter = void (TaudioTag::*)(const TpooledText&);
using TnumberSetter = void (TaudioTag::*)(uint32_t);
struct TpropertySlot {
    std::string_view Name;
    TtextSetter Text;
    TnumberSetter Number;
    // Texts the pool keeps: their place among the last ones read (see PooledText).
    TpooledSetter Pooled = nullptr;
    int Recent = -1;
};
// Every property a record may hold; those with no setter are handled by name.
const TpropertySlot kProperties[] = {
    {"Filename", &TaudioTag::SetFilename, nullptr},
    {"Artist", nullptr, nullptr, &TaudioTag::SetArtist, 0},
    {"Title", &TaudioTag::SetTitle, nullptr},
    {"Album", nullptr, nullptr, &TaudioTag::SetAlbum, 1},
    {"Comment", &TaudioTag::SetComment, nullptr},
    {"TrackNo", nullptr, &TaudioTag::SetTrackNo},
    {"Date", nullptr, nullptr, &TaudioTag::SetDate, 2},
    {"GenreID", nullptr, &TaudioTag::SetGenreID},
    {"GenreString", nullptr, nullptr, &TaudioTag::SetGenreString, 3},
    {"BitRate", nullptr, &TaudioTag::SetBitRate},
    {"Duration", nullptr, &TaudioTag::SetDuration},
    {"SampleRate", nullptr, &TaudioTag::SetSampleRate},
    {"Channels", nullptr, &TaudioTag::SetChannels},
    {"ChannelMode", nullptr, nullptr},
    {"TagType", nullptr, nullptr, &TaudioTag::SetTagType, 4},
    {"ModDate", nullptr, nullptr},
    {"MediaType", nullptr, &TaudioTag::SetMediaType},
    {"Data", nullptr, &TaudioTag::SetData},
    {"ExtraFields.Strings", nullptr, nullptr},
    {"TrackIndex", nullptr, nullptr},
};
constexpr size_t kPooledProperties = 5;

// The pool's copy of a pooled property's text. Tracks come in runs that share these
// texts (an album's tracks, one after the other): each thread keeps the last one read
// of each property and takes it again without asking the pool.
const TpooledText& PooledText(int recent, std::string_view text) {
    thread_local TpooledText last[kPooledProperties];
    TpooledText& kept = last[size_t(recent)];
    if (kept.Text() != text) kept = text;
    return kept;
}

// Whether two names of `n` bytes, at least a word long and at most two, are the same:
// their first and last words (which may overlap), without a call.
template <typename Word>
bool SameEnds(const char* a, const char* b, size_t n) {
    Word x0, y0, x1, y1;
    std::memcpy(&x0, a, sizeof(Word));
    std::memcpy(&y0, b, sizeof(Word));
    std::memcpy(&x1, a + n - sizeof(Word), sizeof(Word));
    std::memcpy(&y1, b + n - sizeof(Word), sizeof(Word));
    return ((x0 ^ y0) | (x1 ^ y1)) == 0;
}

// Whether two property names are the same (every name here is four bytes or longer).
bool SameName(std::string_view a, std::string_view b) {
    const size_t n = a.size();
    if (n != b.size()) return false;
    if (n > 16) return a == b;
    if (n >= 8) return SameEnds<uint64_t>(a.data(), b.data(), n);
    if (n >= 4) return SameEnds<uint32_t>(a.data(), b.data(), n);
    return a == b;
}

// Names are matched exactly first (what this system writes), then without regard to case.
// Records hold their properties in table order, so the search starts after the last hit.
int PropertyIndex(std::string_view name, int after) {
    const int count = int(std::size(kProperties));
    for (int k = 1; k <= count; ++k) {
        const int i = (after + k) % count;
        if (SameName(name, kProperties[i].Name)) return i;
    }
    for (int i = 0; i < count; ++i)
        if (SameText(name, kProperties[i].Name)) return i;
    return -1;
}
}  // namespace

void WriteAudioTagRecord(TbyteWriter& w, const TaudioTag& tag) {
    TcomponentWriter cw(w);
    cw.BeginComponent(kAudioTagClassName, "");
    if (const TfileNameText file = tag.Filename(); !file.empty()) cw.WriteString("Filename", file.Folder(), file.Name());
    WriteTextProperty(cw, "Artist", tag.Artist());
    WriteTextProperty(cw, "Title", tag.Title());
    WriteTextProperty(cw, "Album", tag.Album());
    WriteTextProperty(cw, "Comment", tag.Comment());
    WriteUInt32Property(cw, "TrackNo", tag.TrackNo());
    WriteTextProperty(cw, "Date", tag.Date());
    WriteUInt32Property(cw, "GenreID", tag.GenreID());
    WriteTextProperty(cw, "GenreString", tag.GenreString());
    WriteUInt32Property(cw, "BitRate", tag.BitRate());
    WriteUInt32Property(cw, "Duration", tag.Duration());
    WriteUInt32Property(cw, "SampleRate", tag.SampleRate());
    WriteUInt32Property(cw, "Channels", tag.Channels());
    WriteTextProperty(cw, "TagType", tag.TagType());
    cw.WriteDate("ModDate", tag.ModDate());
    WriteUInt32Property(cw, "MediaType", tag.MediaType());
    WriteUInt32Property(cw, "Data", tag.Data());
    if (tag.ExtraFields().Count() > 0) cw.WriteStringList(kExtraFieldsProperty, tag.ExtraFields().ToVector());
    cw.WriteInteger("TrackIndex", tag.TrackIndex());
    cw.EndComponent();
}

namespace {
bool ReadTagRecord(TbyteReader& r, TaudioTag& tag, TcomponentValue& value, std::string* error, bool& foreign,
                   bool skipForeign);
}  // namespace

bool ReadAudioTagRecord(TbyteReader& r, TaudioTag& tag, std::string* error) {
    TcomponentValue value;
    return ReadAudioTagRecord(r, tag, value, error);
}

bool ReadAudioTagRecord(TbyteReader& r, TaudioTag& tag, TcomponentValue& value, std::string* error) {
    bool foreign = false;
    return ReadTagRecord(r, tag, value, error, foreign, false);
}

bool ReadAudioTagRecord(TbyteReader& r, TaudioTag& tag, TcomponentValue& value, std::string* error,
                        bool& foreign) {
    return ReadTagRecord(r, tag, value, error, foreign, true);
}

namespace {
bool ReadTagRecord(TbyteReader& r, TaudioTag& tag, TcomponentValue& value, std::string* error, bool& foreign,
                   bool skipForeign) {
    foreign = false;
    TcomponentReader cr(r);
    // The start this system writes is taken whole, without reading the names into texts.
    const size_t start = r.Position();
    std::string_view head;
    std::string className, componentName;
    if (r.ReadBytes(kAudioTagRecordStart.size(), head) && head == kAudioTagRecordStart) {
        className = kAudioTagClassName;
    } else {
        r.Seek(start);
        if (!cr.BeginComponent(className, componentName, error)) return false;
    }
    if (!SameText(className, kAudioTagClassName)) {
        const std::string reason = "a record of class \"" + className + "\" where a TaudioTag was expected";
        if (skipForeign) {
            if (!cr.SkipRest(error)) return false;
            foreign = true;
        }
        return ReadFailure(error, reason);
    }
    std::string_view name;
    int last = -1;
    while (true) {
        bool atEnd = false;
        if (!cr.NextProperty(name, atEnd, error)) return false;
        if (atEnd) break;
        if (!cr.ReadValueInPlace(value, error)) return false;
        const int index = PropertyIndex(name, last);
        if (index < 0)
            return ReadFailure(error, "unknown property \"" + LegacyTextToUtf8(name) + "\" in a TaudioTag record");
        last = index;
        const TpropertySlot& slot = kProperties[size_t(index)];
        if (slot.Pooled) {
            if (value.Kind != TcomponentValue::vkString) return WrongKind(error, name);
            (tag.*slot.Pooled)(PooledText(slot.Recent, value.Text));
        } else if (slot.Text) {
            if (value.Kind != TcomponentValue::vkString) return WrongKind(error, name);
            (tag.*slot.Text)(value.Text);
        } else if (slot.Number) {
            if (value.Kind != TcomponentValue::vkInteger) return WrongKind(error, name);
            (tag.*slot.Number)(uint32_t(value.Integer));
        } else if (slot.Name == std::string_view("TrackIndex")) {
            if (value.Kind != TcomponentValue::vkInteger) return WrongKind(error, name);
            tag.SetTrackIndex(int32_t(value.Integer));
        } else if (slot.Name == std::string_view("ModDate")) {
            if (value.Kind != TcomponentValue::vkFloat) return WrongKind(error, name);
            tag.SetModDate(value.Float);
        } else if (slot.Name == kExtraFieldsProperty) {
            if (value.Kind != TcomponentValue::vkStringList) return WrongKind(error, name);
            TmyStringList& extra = tag.ExtraFields();
            extra.BeginUpdate();
            extra.Clear();
            for (const auto& line : value.Lines) extra.Add(line);
            extra.EndUpdate();
        }
        // ChannelMode is derived from Channels; a stored value is ignored.
    }
    return cr.EndComponent(error);
}
}  // namespace

}  // namespace tunecrest
