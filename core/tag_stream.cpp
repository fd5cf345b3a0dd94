#include "core/tag_stream.h"

#include "core/component_stream.h"
#include "core/list_file_io.h"
#include "core/text_utils.h"

namespace tunecrest {

namespace {
constexpr std::string_view kExtraFieldsProperty = "ExtraFields.Strings";

void WriteTextProperty(TcomponentWriter& cw, const char* name, const std::string& value) {
    if (!value.empty()) cw.WriteString(name, value);
}

// Unsigned 32-bit properties are stored as the signed 32-bit value with the same bits,
// in its smallest form.
void WriteUInt32Property(TcomponentWriter& cw, const char* name, uint32_t value) {
    cw.WriteInteger(name, int32_t(value));
}

bool WrongKind(std::string* error, const std::string& name) {
    return ReadFailure(error, "property " + name + " of a TaudioTag record holds a value of the wrong kind");
}
}  // namespace

void WriteAudioTagRecord(TbyteWriter& w, const TaudioTag& tag) {
    TcomponentWriter cw(w);
    cw.BeginComponent(kAudioTagClassName, "");
    WriteTextProperty(cw, "Filename", tag.Filename());
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

bool ReadAudioTagRecord(TbyteReader& r, TaudioTag& tag, std::string* error) {
    TcomponentReader cr(r);
    std::string className, componentName;
    if (!cr.BeginComponent(className, componentName, error)) return false;
    if (!SameText(className, kAudioTagClassName))
        return ReadFailure(error, "a record of class \"" + className + "\" where a TaudioTag was expected");
    std::string name;
    TcomponentValue value;
    while (true) {
        bool atEnd = false;
        if (!cr.NextProperty(name, atEnd, error)) return false;
        if (atEnd) break;
        if (!cr.ReadValue(value, error)) return false;
        const bool isText = value.Kind == TcomponentValue::vkString;
        const bool isInteger = value.Kind == TcomponentValue::vkInteger;
        using TtextSetter = void (TaudioTag::*)(const std::string&);
        using TnumberSetter = void (TaudioTag::*)(uint32_t);
        static const std::pair<const char*, TtextSetter> kTexts[] = {
            {"Filename", &TaudioTag::SetFilename}, {"Artist", &TaudioTag::SetArtist},
            {"Title", &TaudioTag::SetTitle},       {"Album", &TaudioTag::SetAlbum},
            {"Comment", &TaudioTag::SetComment},   {"Date", &TaudioTag::SetDate},
            {"GenreString", &TaudioTag::SetGenreString}, {"TagType", &TaudioTag::SetTagType}};
        static const std::pair<const char*, TnumberSetter> kNumbers[] = {
            {"TrackNo", &TaudioTag::SetTrackNo},       {"GenreID", &TaudioTag::SetGenreID},
            {"BitRate", &TaudioTag::SetBitRate},       {"Duration", &TaudioTag::SetDuration},
            {"SampleRate", &TaudioTag::SetSampleRate}, {"Channels", &TaudioTag::SetChannels},
            {"MediaType", &TaudioTag::SetMediaType},   {"Data", &TaudioTag::SetData}};
        bool known = false;
        for (const auto& [propName, setter] : kTexts) {
            if (!SameText(name, propName)) continue;
            if (!isText) return WrongKind(error, name);
            (tag.*setter)(value.String);
            known = true;
            break;
        }
        if (known) continue;
        for (const auto& [propName, setter] : kNumbers) {
            if (!SameText(name, propName)) continue;
            if (!isInteger) return WrongKind(error, name);
            (tag.*setter)(uint32_t(value.Integer));
            known = true;
            break;
        }
        if (known) continue;
        if (SameText(name, "TrackIndex")) {
            if (!isInteger) return WrongKind(error, name);
            tag.SetTrackIndex(int32_t(value.Integer));
        } else if (SameText(name, "ModDate")) {
            if (value.Kind != TcomponentValue::vkFloat) return WrongKind(error, name);
            tag.SetModDate(value.Float);
        } else if (SameText(name, kExtraFieldsProperty)) {
            if (value.Kind != TcomponentValue::vkStringList) return WrongKind(error, name);
            TmyStringList& extra = tag.ExtraFields();
            extra.BeginUpdate();
            extra.Clear();
            for (const auto& line : value.Lines) extra.Add(line);
            extra.EndUpdate();
        } else if (SameText(name, "ChannelMode")) {
            // Derived from Channels; a stored value is ignored.
        } else {
            return ReadFailure(error, "unknown property \"" + name + "\" in a TaudioTag record");
        }
    }
    return cr.EndComponent(error);
}

}  // namespace tunecrest
