// Stand-ins for pieces built elsewhere; see jukebox_pending.h.
#include "core/jukebox_pending.h"

#include <filesystem>
#include <sstream>

#include "core/tag_list_list.h"
#include "core/safe_file.h"
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

bool LoadListListFile(TaudioTagListList& lists, const std::string& fileName, bool keep, bool* damaged) {
    std::string text;
    lists.BeginUpdate();
    if (!keep) lists.Clear();
    bool ok = ReadFileText(fileName, text, damaged);
    if (ok) {
        std::istringstream in(text);
        std::string magic, count;
        ok = std::getline(in, magic) && magic == kListListMagic && std::getline(in, count);
        const int n = ok ? StrToIntDef(count, -1) : -1;
        ok = ok && n >= 0;
        for (int i = 0; ok && i < n; ++i) {
            auto list = std::make_shared<TaudioTagList>();
            list->SetOwnsObjects(true);
            ok = ReadTags(*list, in, true);
            if (ok) lists.AddList(list);
        }
        if (!ok && damaged) *damaged = true;
    }
    lists.EndUpdate();
    return ok;
}

bool SaveListListFile(const TaudioTagListList& lists, const std::string& fileName, std::string* error) {
    std::ostringstream out;
    out << kListListMagic << '\n' << lists.Count() << '\n';
    for (int i = 0; i < lists.Count(); ++i) WriteTags(*lists.GetList(i), out);
    return SafeWriteFile(fileName, out.str(), error);
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
