#pragma once
// The XML persistence objects of string lists and tags.
#include <string>

#include "core/tags/audio_tag.h"
#include "core/base/string_lists.h"
#include "core/tags/tag_list.h"
#include "core/tags/xml_persistence.h"

namespace tunecrest {

class TstringListXMLer;

// A string list that can be exchanged as XML; the hooks run before its lines are
// saved and before they are loaded.
class TXMLerStringList : public TmyStringList {
public:
    TXMLerStringList();
    ~TXMLerStringList() override;
    virtual void BeforeSave() {}
    virtual void BeforeLoad() {}
    TstringListXMLer& XMLer() { return *Fxmler; }

private:
    std::unique_ptr<TstringListXMLer> Fxmler;
};

// One pair "string" = line per line of its list.
class TstringListXMLer : public TmyCustomXMLer {
public:
    explicit TstringListXMLer(TmyStringList& owner) : Fowner(owner) {}
    std::string GetXMLClassName() const override { return "TXMLerStringList"; }
    void SaveToStrings(TpairList& list) override;
    void LoadFromStrings(const TpairList& list) override;

private:
    TmyStringList& Fowner;
};

// A tag's values as pairs, its extra fields as a child object.
class TaudioTagXML : public TmyCustomXMLer {
public:
    explicit TaudioTagXML(TaudioTag& owner) : Fowner(owner), FextraFields(owner.ExtraFields()) {}
    std::string GetXMLClassName() const override { return kAudioTagXMLName; }
    void SaveToStrings(TpairList& list) override;
    void LoadFromStrings(const TpairList& list) override;
    void GetChildXMLers(std::vector<TmyCustomXMLer*>& list) override;
    TmyCustomXMLer* LoadChildNode(const pugi::xml_node& node) override;

    static constexpr const char* kAudioTagXMLName = "TaudioTag";

private:
    TaudioTag& Fowner;
    TstringListXMLer FextraFields;
};

// A list's settings as pairs ("Title", "Active", "RandomPlay", "Loop",
// "ResetOnActivate"), its tags as child objects.
class TaudioTagListXMLer : public TmyCustomXMLer {
public:
    explicit TaudioTagListXMLer(TaudioTagList& owner) : Fowner(owner) {}
    std::string GetXMLClassName() const override { return "TaudioTagList"; }
    void SaveToStrings(TpairList& list) override;
    void LoadFromStrings(const TpairList& list) override;
    void GetChildXMLers(std::vector<TmyCustomXMLer*>& list) override;
    void BeginLoad() override { Fowner.BeginUpdate(); }
    void EndLoad() override { Fowner.EndUpdate(); }
    // A "TaudioTag" element becomes a new tag added to the list.
    TmyCustomXMLer* LoadChildNode(const pugi::xml_node& node) override;

private:
    TaudioTagList& Fowner;
    std::vector<std::unique_ptr<TaudioTagXML>> Fchildren;
};

}  // namespace tunecrest
