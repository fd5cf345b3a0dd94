#include "core/tags/tag_xml.h"

#include "core/base/exceptions.h"
#include "core/base/shared_utils.h"
#include "core/base/text_utils.h"

namespace tunecrest {

TXMLerStringList::TXMLerStringList() : Fxmler(std::make_unique<TstringListXMLer>(*this)) {}
TXMLerStringList::~TXMLerStringList() = default;

void TstringListXMLer::SaveToStrings(TpairList& list) {
    if (auto* owner = dynamic_cast<TXMLerStringList*>(&Fowner)) owner->BeforeSave();
    for (int i = 0; i < Fowner.Count(); ++i) list.push_back(MakePair("string", Fowner.Strings(i)));
}

void TstringListXMLer::LoadFromStrings(const TpairList& list) {
    if (auto* owner = dynamic_cast<TXMLerStringList*>(&Fowner)) owner->BeforeLoad();
    Fowner.BeginUpdate();
    Fowner.Clear();
    std::string name, value;
    for (const auto& pair : list) {
        SplitPair(pair, name, value);
        if (SameText(name, "string")) Fowner.Add(value);
    }
    Fowner.EndUpdate();
}

namespace {
// A damaged time stamp in a stored list reads as no date rather than failing the load.
TDateTime ModDateFromStamp(std::string_view stamp) {
    try {
        return StampToDateTime(stamp);
    } catch (const Exception&) {
        return 0;
    }
}
}  // namespace

void TaudioTagXML::SaveToStrings(TpairList& list) {
    const TaudioTag& t = Fowner;
    list.push_back(MakePair("Filename", t.Filename().str()));
    list.push_back(MakePair("Artist", t.Artist()));
    list.push_back(MakePair("Title", t.Title()));
    list.push_back(MakePair("Album", t.Album()));
    list.push_back(MakePair("Comment", t.Comment()));
    list.push_back(MakePair("TrackNo", std::to_string(t.TrackNo())));
    list.push_back(MakePair("Date", t.Date()));
    list.push_back(MakePair("GenreID", std::to_string(t.GenreID())));
    list.push_back(MakePair("GenreString", t.GenreString()));
    list.push_back(MakePair("BitRate", std::to_string(t.BitRate())));
    list.push_back(MakePair("Duration", std::to_string(t.Duration())));
    list.push_back(MakePair("SampleRate", std::to_string(t.SampleRate())));
    list.push_back(MakePair("Channels", std::to_string(t.Channels())));
    list.push_back(MakePair("TagType", t.TagType()));
    list.push_back(MakePair("ModDate", FormatTimeStamp(t.ModDate())));
    list.push_back(MakePair("MediaType", std::to_string(t.MediaType())));
    list.push_back(MakePair("Data", std::to_string(t.Data())));
    list.push_back(MakePair("TrackIndex", std::to_string(t.TrackIndex())));
}

void TaudioTagXML::LoadFromStrings(const TpairList& list) {
    TaudioTag& t = Fowner;
    const auto number = [&](const char* name, int64_t def) {
        return uint32_t(StrToInt64Def(PairValue(list, name), def));
    };
    t.SetFilename(PairValue(list, "Filename"));
    t.SetArtist(PairValue(list, "Artist"));
    t.SetTitle(PairValue(list, "Title"));
    t.SetAlbum(PairValue(list, "Album"));
    t.SetComment(PairValue(list, "Comment"));
    t.SetTrackNo(number("TrackNo", 0));
    t.SetDate(PairValue(list, "Date"));
    t.SetGenreID(number("GenreID", 255));
    t.SetGenreString(PairValue(list, "GenreString"));
    t.SetBitRate(number("BitRate", 0));
    t.SetDuration(number("Duration", 0));
    t.SetSampleRate(number("SampleRate", 0));
    t.SetChannels(number("Channels", 0));
    t.SetTagType(PairValue(list, "TagType"));
    t.SetModDate(ModDateFromStamp(PairValue(list, "ModDate")));
    t.SetMediaType(number("MediaType", 0));
    t.SetData(number("Data", 0));
    t.SetTrackIndex(int32_t(StrToInt64Def(PairValue(list, "TrackIndex"), 0)));
}

void TaudioTagXML::GetChildXMLers(std::vector<TmyCustomXMLer*>& list) { list.push_back(&FextraFields); }

TmyCustomXMLer* TaudioTagXML::LoadChildNode(const pugi::xml_node& node) {
    return LoadObjectFromNode(node, FextraFields) ? &FextraFields : nullptr;
}

namespace {
bool PairBool(const TpairList& list, const char* name) { return StrToInt64Def(PairValue(list, name), 0) != 0; }
}  // namespace

void TaudioTagListXMLer::SaveToStrings(TpairList& list) {
    list.push_back(MakePair("Title", Fowner.Title()));
    list.push_back(MakeBoolPair("Active", Fowner.Active()));
    list.push_back(MakeBoolPair("RandomPlay", Fowner.IsRandom()));
    list.push_back(MakeBoolPair("Loop", Fowner.IsLoop()));
    list.push_back(MakeBoolPair("ResetOnActivate", Fowner.IsResetOnActivate()));
}

void TaudioTagListXMLer::LoadFromStrings(const TpairList& list) {
    Fowner.BeginUpdate();
    Fowner.SetTitle(PairValue(list, "Title"));
    Fowner.SetActive(PairBool(list, "Active"));
    Fowner.SetRandom(PairBool(list, "RandomPlay"));
    Fowner.SetLoop(PairBool(list, "Loop"));
    Fowner.SetResetOnActivate(PairBool(list, "ResetOnActivate"));
    Fowner.EndUpdate();
}

void TaudioTagListXMLer::GetChildXMLers(std::vector<TmyCustomXMLer*>& list) {
    Fchildren.clear();
    for (const auto& tag : Fowner.Items()) {
        Fchildren.push_back(std::make_unique<TaudioTagXML>(*tag));
        list.push_back(Fchildren.back().get());
    }
}

TmyCustomXMLer* TaudioTagListXMLer::LoadChildNode(const pugi::xml_node& node) {
    if (!SameText(node.name(), TaudioTagXML::kAudioTagXMLName)) return nullptr;
    TaudioTagPtr tag = NewAudioTag();
    TaudioTagXML xmler(*tag);
    LoadChildNodes(node, xmler);
    Fowner.Add(tag);
    return this;
}

}  // namespace tunecrest
