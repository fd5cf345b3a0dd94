#include "core/tags/tag_list_rules.h"

#include <algorithm>

#include "core/base/ini_file.h"
#include "core/base/shared_utils.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"

namespace tunecrest {

// ---- sorted text list ----

int TsortedTextList::Compare(std::string_view a, std::string_view b) const {
    return FcaseSensitive ? a.compare(b) : CompareText(a, b);
}

void TsortedTextList::Add(const std::string& text) {
    const auto it = std::lower_bound(Fitems.begin(), Fitems.end(), text,
                                     [this](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
    if (it != Fitems.end() && Compare(*it, text) == 0) return;
    Fitems.insert(it, text);
}

bool TsortedTextList::Contains(std::string_view text) const {
    const auto it = std::lower_bound(Fitems.begin(), Fitems.end(), text,
                                     [this](const std::string& a, std::string_view b) { return Compare(a, b) < 0; });
    return it != Fitems.end() && Compare(*it, text) == 0;
}

std::string TsortedTextList::CommaText() const { return tunecrest::CommaText(Fitems); }

void TsortedTextList::SetCommaText(std::string_view text) {
    Clear();
    for (const std::string& item : SplitCommaText(text)) Add(item);
}

// ---- one filter ----

void TtagListRules::Clear() {
    Artists.Clear();
    Paths.Clear();
    Genres.Clear();
    FromYear = 0;
    ToYear = 9999;
    UseArtists = UsePaths = UseGenres = UseYear = false;
    NotYear = NotGenres = NotPaths = NotArtist = false;
}

void TtagListRules::Assign(const TtagListRules* source) {
    const TtagListRules fresh;
    const TtagListRules& s = source ? *source : fresh;
    if (&s == this) return;
    Artists = s.Artists;
    Paths = s.Paths;
    Genres = s.Genres;
    FromYear = s.FromYear;
    ToYear = s.ToYear;
    UseArtists = s.UseArtists;
    UsePaths = s.UsePaths;
    UseGenres = s.UseGenres;
    UseYear = s.UseYear;
    NotYear = s.NotYear;
    NotGenres = s.NotGenres;
    NotPaths = s.NotPaths;
    NotArtist = s.NotArtist;
    Name = s.Name;
}

bool TtagListRules::PassesGenre(std::string_view genre) const {
    return !UseGenres || Genres.Contains(genre) != NotGenres;
}

bool TtagListRules::PassesYear(std::string_view date) const {
    if (!UseYear) return true;
    const int year = YearOfDateText(date);
    return (year >= 0 && year >= FromYear && year <= ToYear) != NotYear;
}

bool TtagListRules::PassesArtist(std::string_view artist) const {
    return !UseArtists || Artists.Contains(artist) != NotArtist;
}

bool TtagListRules::PassesPath(std::string_view fileName) const {
    if (!UsePaths) return true;
    const bool found = std::any_of(Paths.Items().begin(), Paths.Items().end(),
                                   [fileName](const std::string& p) { return StartsText(p, fileName); });
    return found != NotPaths;
}

void TtagListRules::ApplyRules(const TaudioTagList& source, TaudioTagList& dest, bool copies) {
    dest.BeginUpdate();
    if (OnStatus) OnStatus(this, "Applying Rules");
    std::vector<TaudioTagPtr> working = source.Items();
    auto pass = [&](bool use, auto test) {
        if (!use) return;
        std::vector<TaudioTagPtr> kept;
        for (size_t i = 0; i < working.size(); ++i) {
            if (OnProgress) OnProgress(this, int(i), int(working.size()) - 1, working[i]);
            if (test(*working[i])) kept.push_back(working[i]);
        }
        working = std::move(kept);
    };
    pass(UseGenres, [this](const TaudioTag& t) { return PassesGenre(t.GenreString()); });
    pass(UseYear, [this](const TaudioTag& t) { return PassesYear(t.Date()); });
    pass(UseArtists, [this](const TaudioTag& t) { return PassesArtist(t.Artist()); });
    pass(UsePaths, [this](const TaudioTag& t) { return PassesPath(t.Filename().str()); });
    dest.Clear();
    for (const auto& tag : working) dest.Add(copies ? tag->Clone() : tag);
    dest.EndUpdate();
    if (OnFinished) OnFinished(this);
}

template <typename Reader>
void TtagListRules::ReadWith(Reader read) {
    auto readBool = [&read](const char* key) { return StrToBool(read(key, "0")); };
    Artists.SetCommaText(read("Artists", ""));
    UseArtists = readBool("UseArtists");
    Genres.SetCommaText(read("Genres", ""));
    UseGenres = readBool("UseGenres");
    Paths.SetCommaText(read("Paths", ""));
    UsePaths = readBool("UsePaths");
    UseYear = readBool("UseYear");
    FromYear = StrToIntDef(read("FromYear", "0"), 0);
    ToYear = StrToIntDef(read("ToYear", "9999"), 9999);
    NotArtist = readBool("NotArtist");
    NotGenres = readBool("NotGenres");
    NotYear = readBool("NotYear");
    NotPaths = readBool("NotPaths");
}

template <typename Writer>
void TtagListRules::WriteWith(Writer write) const {
    write("Artists", Artists.CommaText());
    write("UseArtists", BoolToStr(UseArtists));
    write("Genres", Genres.CommaText());
    write("UseGenres", BoolToStr(UseGenres));
    write("Paths", Paths.CommaText());
    write("UsePaths", BoolToStr(UsePaths));
    write("UseYear", BoolToStr(UseYear));
    write("FromYear", std::to_string(FromYear));
    write("ToYear", std::to_string(ToYear));
    write("NotArtist", BoolToStr(NotArtist));
    write("NotGenres", BoolToStr(NotGenres));
    write("NotYear", BoolToStr(NotYear));
    write("NotPaths", BoolToStr(NotPaths));
}

void TtagListRules::LoadFromIni(const TiniFile& ini, const std::string& section) {
    ReadWith([&](const char* key, const char* def) { return ini.ReadString(section, key, def); });
}

void TtagListRules::SaveToIni(TiniFile& ini, const std::string& section) const {
    WriteWith([&](const char* key, const std::string& value) { ini.WriteString(section, key, value); });
}

void TtagListRules::LoadFromIniAt(const TiniFile& ini, int sectionIndex) {
    ReadWith([&](const char* key, const char* def) { return ini.ReadStringAt(sectionIndex, key, def); });
}

void TtagListRules::SaveToIniAt(TiniFile& ini, int sectionIndex) const {
    WriteWith([&](const char* key, const std::string& value) { ini.WriteStringAt(sectionIndex, key, value); });
}

// ---- the named filters ----

void TtagListRulesCollection::Changed() {
    if (FupdateCount == 0 && OnChange) OnChange(this);
}

void TtagListRulesCollection::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0) Changed();
}

void TtagListRulesCollection::Add(std::unique_ptr<TtagListRules> rules) {
    if (!rules) return;
    Frules.push_back(std::move(rules));
    Changed();
}

void TtagListRulesCollection::Delete(TtagListRules* rules) {
    const int i = IndexOf(rules);
    if (i < 0) return;
    Frules.erase(Frules.begin() + i);
    Changed();
}

void TtagListRulesCollection::Clear() {
    Frules.clear();
    Changed();
}

TtagListRules* TtagListRulesCollection::GetRules(int index) const {
    return index >= 0 && index < Count() ? Frules[size_t(index)].get() : nullptr;
}

int TtagListRulesCollection::IndexOf(const TtagListRules* rules) const {
    for (size_t i = 0; i < Frules.size(); ++i)
        if (Frules[i].get() == rules) return int(i);
    return -1;
}

TtagListRules* TtagListRulesCollection::FindByName(std::string_view name) const {
    for (auto it = Frules.rbegin(); it != Frules.rend(); ++it)
        if (SameText((*it)->Name, name)) return it->get();
    return nullptr;
}

std::vector<std::pair<std::string, TtagListRules*>> TtagListRulesCollection::GetNames() const {
    std::vector<std::pair<std::string, TtagListRules*>> names;
    for (const auto& r : Frules) names.emplace_back(r->Name, r.get());
    return names;
}

void TtagListRulesCollection::LoadFromFile(const std::string& fileName) {
    BeginUpdate();
    Clear();
    const TiniFile ini(fileName);
    FunreadFile = ini.ReadFailed() ? fileName : std::string();
    for (int i = 0; i < ini.SectionCount(); ++i) {
        auto rules = std::make_unique<TtagListRules>();
        rules->LoadFromIniAt(ini, i);
        rules->Name = ini.SectionName(i);
        Add(std::move(rules));
    }
    EndUpdate();
}

bool TtagListRulesCollection::SaveToFile(const std::string& fileName, std::string* error) const {
    if (!FunreadFile.empty() && fileName == FunreadFile) return RefuseUnreadFile(fileName, error);
    TiniFile ini;
    ini.Rename(fileName, false);
    for (const auto& r : Frules) r->SaveToIniAt(ini, ini.AddSection(r->Name));
    return ini.UpdateFile(error);
}

}  // namespace tunecrest
