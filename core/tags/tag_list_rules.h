#pragma once
// Random Play Filters: one filter narrows the library down by genre, year range,
// artist and folder, each test switched on separately and optionally negated.
// The named filters of a library are kept in "rules.dat", one INI section each.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/event_lists.h"

namespace tunecrest {

class TiniFile;
class TaudioTag;
class TaudioTagPtr;
class TaudioTagList;

// A sorted list of texts without duplicates, compared with or without regard to case.
class TsortedTextList {
public:
    explicit TsortedTextList(bool caseSensitive) : FcaseSensitive(caseSensitive) {}
    // Inserts in order; a text already present is not added again.
    void Add(const std::string& text);
    bool Contains(std::string_view text) const;
    void Clear() { Fitems.clear(); }
    int Count() const { return int(Fitems.size()); }
    const std::vector<std::string>& Items() const { return Fitems; }
    // The list as one comma-separated text: an item holding a space, a comma, a double
    // quote or nothing at all is enclosed in double quotes with its quotes doubled.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);

private:
    int Compare(std::string_view a, std::string_view b) const;
    bool FcaseSensitive;
    std::vector<std::string> Fitems;
};

class TtagListRules : public TObject {
public:
    bool UseArtists = false;
    bool UsePaths = false;
    bool UseGenres = false;
    bool UseYear = false;
    int ToYear = 9999;
    int FromYear = 0;
    TsortedTextList Artists{false};
    TsortedTextList Paths{false};
    TsortedTextList Genres{false};
    bool NotYear = false;
    bool NotGenres = false;
    bool NotPaths = false;
    bool NotArtist = false;
    std::string Name;
    // Raised per tested tag (index, last index, tag), when filtering starts ("Applying
    // Rules") and when it ends.
    std::function<void(TObject* Sender, int Index, int Count, const TaudioTagPtr& Tag)> OnProgress;
    std::function<void(TObject* Sender, const std::string& Text)> OnStatus;
    TNotifyEvent OnFinished;

    void Clear();
    // Copies every value and the name; nullptr gives the values of a fresh filter.
    void Assign(const TtagListRules* source);
    bool HasRules() const { return UseArtists || UsePaths || UseGenres || UseYear; }

    // The four tests, each only when its Use flag is set, each negated by its Not flag.
    bool PassesGenre(std::string_view genre) const;
    bool PassesYear(std::string_view date) const;
    bool PassesArtist(std::string_view artist) const;
    bool PassesPath(std::string_view fileName) const;
    // Fills `dest` (inside one update bracket) with the tags of `source` that pass the
    // genre, year, artist and folder tests in that order; clones when `copies`.
    void ApplyRules(const TaudioTagList& source, TaudioTagList& dest, bool copies);

    void LoadFromIni(const TiniFile& ini, const std::string& section);
    void SaveToIni(TiniFile& ini, const std::string& section) const;
    // The same through the index of a section, for files that repeat a section name.
    void LoadFromIniAt(const TiniFile& ini, int sectionIndex);
    void SaveToIniAt(TiniFile& ini, int sectionIndex) const;

private:
    template <typename Reader>
    void ReadWith(Reader read);
    template <typename Writer>
    void WriteWith(Writer write) const;
};

class TtagListRulesCollection : public TObject {
public:
    TNotifyEvent OnChange;

    void Add(std::unique_ptr<TtagListRules> rules);
    // Removes and frees the filter; notifies only when it was present.
    void Delete(TtagListRules* rules);
    void Clear();
    int Count() const { return int(Frules.size()); }
    TtagListRules* GetRules(int index) const;
    int IndexOf(const TtagListRules* rules) const;
    // The last filter of that name (without regard to case), or nullptr.
    TtagListRules* FindByName(std::string_view name) const;
    bool Exists(std::string_view name) const { return FindByName(name) != nullptr; }
    std::vector<std::pair<std::string, TtagListRules*>> GetNames() const;

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();

    // Every section of the file, in file order, is one filter named after its section.
    // A file that exists but cannot be read gives no filters and is not written again
    // until a load has read it.
    void LoadFromFile(const std::string& fileName);
    // Writes every filter into a section of its own, even when two share a name.
    // False (with a reason) when the file cannot be written; the old file is kept then.
    bool SaveToFile(const std::string& fileName, std::string* error = nullptr) const;

private:
    void Changed();
    std::vector<std::unique_ptr<TtagListRules>> Frules;
    std::string FunreadFile;  // the file the last load could not read
    int FupdateCount = 0;
};

}  // namespace tunecrest
