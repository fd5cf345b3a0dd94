// Stand-ins for pieces built elsewhere; see jukebox_pending.h.
#include "core/jukebox_pending.h"

#include <filesystem>
#include <sstream>

#include "core/ini_file.h"
#include "core/safe_file.h"
#include "core/services.h"
#include "core/text_utils.h"

namespace tunecrest {

namespace {

constexpr const char* kListMagic = "TCLIST";
constexpr const char* kListListMagic = "TCLISTS";

void WriteTags(const TaudioTagList& list, std::ostringstream& out) {
    out << list.Title() << '\n' << (list.Active() ? 1 : 0) << '\n' << list.Count() << '\n';
    for (const auto& tag : list.Items())
        out << tag->Filename() << '\t' << tag->Artist() << '\t' << tag->Title() << '\t' << tag->Album() << '\t'
            << tag->Duration() << '\t' << tag->Data() << '\t' << tag->MediaType() << '\n';
}

bool ReadTags(TaudioTagList& list, std::istringstream& in, bool takeTitle) {
    std::string title, active, count;
    if (!std::getline(in, title) || !std::getline(in, active) || !std::getline(in, count)) return false;
    const int n = StrToIntDef(count, -1);
    if (n < 0) return false;
    if (takeTitle) list.SetTitle(title);
    list.SetActive(active == "1");
    for (int i = 0; i < n; ++i) {
        std::string line;
        if (!std::getline(in, line)) return false;
        const auto f = SplitString(line, '\t');
        if (f.size() != 7) return false;
        auto tag = std::make_shared<TaudioTag>();
        tag->SetFilename(f[0]);
        tag->SetArtist(f[1]);
        tag->SetTitle(f[2]);
        tag->SetAlbum(f[3]);
        tag->SetDuration(uint32_t(StrToInt64Def(f[4], 0)));
        tag->SetData(uint32_t(StrToInt64Def(f[5], 0)));
        tag->SetMediaType(uint32_t(StrToInt64Def(f[6], 1)));
        tag->SetStoredPosition(i);
        list.Add(tag);
    }
    return true;
}

bool ReadFileText(const std::string& fileName, std::string& text, bool* damaged) {
    if (damaged) *damaged = false;
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec)) return false;
    if (!ReadFileBytes(fileName, text)) {
        if (damaged) *damaged = true;
        return false;
    }
    return true;
}

}  // namespace

TaudioTagList* TaudioTagPlaylistList::GetList(int index) const {
    return index >= 0 && index < Count() ? Flists[size_t(index)].get() : nullptr;
}

int TaudioTagPlaylistList::IndexOf(const TaudioTagList* list) const {
    for (int i = 0; i < Count(); ++i)
        if (Flists[size_t(i)].get() == list) return i;
    return -1;
}

TaudioTagList* TaudioTagPlaylistList::FindTitle(const std::string& title) const {
    for (const auto& list : Flists)
        if (SameText(list->Title(), title)) return list.get();
    return nullptr;
}

void TaudioTagPlaylistList::Bind(TaudioTagList* list) {
    list->SetOwnsObjects(FlistsOwnObjects);
    list->OnChange = [this, list](TObject*) {
        if (OnPlaylistChange) OnPlaylistChange(this, list);
    };
    list->OnActiveChanged = list->OnChange;
}

TaudioTagList* TaudioTagPlaylistList::Add(std::unique_ptr<TaudioTagList> list) {
    TaudioTagList* raw = list.get();
    Bind(raw);
    Flists.push_back(std::move(list));
    Changed();
    return raw;
}

void TaudioTagPlaylistList::Remove(TaudioTagList* list) {
    const int index = IndexOf(list);
    if (index < 0) return;
    Flists.erase(Flists.begin() + index);
    Changed();
}

void TaudioTagPlaylistList::Clear() {
    Flists.clear();
    Changed();
}

void TaudioTagPlaylistList::SetActive(bool on) {
    if (Factive == on) return;
    Factive = on;
    if (OnActiveChanged) OnActiveChanged(this);
}

void TaudioTagPlaylistList::EndUpdate() {
    if (FupdateCount > 0 && --FupdateCount == 0 && Fpending) Changed();
}

void TaudioTagPlaylistList::Changed() {
    if (FupdateCount > 0) {
        Fpending = true;
        return;
    }
    Fpending = false;
    if (OnChange) OnChange(this);
}

bool TaudioTagPlaylistList::LoadFromFile(const std::string& fileName, bool keep, bool* damaged) {
    std::string text;
    BeginUpdate();
    if (!keep) Clear();
    bool ok = ReadFileText(fileName, text, damaged);
    if (ok) {
        std::istringstream in(text);
        std::string magic, count;
        ok = std::getline(in, magic) && magic == kListListMagic && std::getline(in, count);
        const int n = ok ? StrToIntDef(count, -1) : -1;
        ok = ok && n >= 0;
        for (int i = 0; ok && i < n; ++i) {
            auto list = std::make_unique<TaudioTagList>();
            list->SetOwnsObjects(FlistsOwnObjects);
            ok = ReadTags(*list, in, true);
            if (ok) Add(std::move(list));
        }
        if (!ok && damaged) *damaged = true;
    }
    EndUpdate();
    return ok;
}

bool TaudioTagPlaylistList::SaveToFile(const std::string& fileName, std::string* error) const {
    std::ostringstream out;
    out << kListListMagic << '\n' << Count() << '\n';
    for (const auto& list : Flists) WriteTags(*list, out);
    return SafeWriteFile(fileName, out.str(), error);
}

void TtagListRules::ApplyRules(const TaudioTagList& source, TaudioTagList& dest, bool copies) const {
    dest.BeginUpdate();
    dest.Clear();
    for (const auto& tag : source.Items())
        for (const auto& path : Paths)
            if (tag->Filename().starts_with(path)) {
                if (copies)
                    dest.AddCopy(tag);
                else
                    dest.Add(tag);
                break;
            }
    dest.EndUpdate();
}

void TtagListRules::LoadFromIni(const TiniFile& ini, const std::string& section) {
    const std::string paths = ini.ReadString(section, "Paths", "");
    Paths.clear();
    if (!paths.empty()) Paths = SplitString(paths, ',');
}

void TtagListRules::SaveToIni(TiniFile& ini, const std::string& section) const {
    std::string joined;
    for (const auto& path : Paths) joined += (joined.empty() ? "" : ",") + path;
    ini.WriteString(section, "Paths", joined);
}

void TpopularityTagList::CountPlay(const TaudioTag& tag) {
    TaudioTagPtr listed = FindFile(tag.Filename());
    if (!listed) {
        listed = tag.Clone();
        listed->SetData(0);
        Add(listed);
    }
    listed->SetData(listed->Data() + 1);
    listed->SetModDate(Now());
    Changed();
}

TaudioTagPtr TpopularityTagList::FindFile(const std::string& fileName) const {
    for (const auto& tag : Items())
        if (tag->Filename() == fileName) return tag;
    return nullptr;
}

bool LoadTagListFile(TaudioTagList& list, const std::string& fileName, bool keep, bool* damaged) {
    std::string text;
    list.BeginUpdate();
    if (!keep) list.Clear();
    bool ok = ReadFileText(fileName, text, damaged);
    if (ok) {
        std::istringstream in(text);
        std::string magic;
        ok = std::getline(in, magic) && magic == kListMagic && ReadTags(list, in, true);
        if (!ok && damaged) *damaged = true;
    }
    list.EndUpdate();
    list.DoListProcessFinished();
    return ok;
}

bool SaveTagListFile(const TaudioTagList& list, const std::string& fileName, std::string* error) {
    std::ostringstream out;
    out << kListMagic << '\n';
    WriteTags(list, out);
    return SafeWriteFile(fileName, out.str(), error);
}

}  // namespace tunecrest
