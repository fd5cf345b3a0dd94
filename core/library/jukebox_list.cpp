// The library: made and destroyed, its smaller data files (video list, playlists, play
// counts, stations, rules), query rules, settings, and the local form (jukebox_list.h).
#include "core/library/jukebox_list.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "core/base/ini_file.h"
#include "core/base/process_end.h"
#include "core/base/services.h"
#include "core/library/jukebox_data_files.h"
#include "core/tags/tagger_loader.h"

namespace tunecrest {

namespace {

// Comma text: items separated by ",", an item with a comma, a quote or surrounding
// blanks is quoted with doubled inner quotes.
std::string ToCommaText(const TmyStringList& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        const std::string& item = list.Strings(i);
        if (i) out += ',';
        const bool quote = item.empty() || item.find_first_of(",\" ") != std::string::npos;
        if (!quote) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) out += c == '"' ? std::string("\"\"") : std::string(1, c);
        out += '"';
    }
    return out;
}

void FromCommaText(TmyStringList& list, const std::string& text) {
    list.BeginUpdate();
    list.Clear();
    size_t i = 0;
    while (i < text.size()) {
        std::string item;
        if (text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i];
            }
            while (i < text.size() && text[i] != ',') ++i;
        } else {
            const size_t end = std::min(text.find(',', i), text.size());
            item = Trim(text.substr(i, end - i));
            i = end;
        }
        list.Add(item);
        if (i < text.size()) ++i;  // the comma
    }
    list.EndUpdate();
}

TDateTime FileDate(const std::string& fileName) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(fileName, ec);
    if (ec) return 0;
    const auto sys = std::chrono::file_clock::to_sys(time);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count();
    return UnixToDateTime(std::time_t(ns / 1000000000), ns % 1000000000);
}

}  // namespace

template <typename Step>
void TcustomJukeboxList::Guarded(const char* name, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        Prompt().ShowMessage(std::string(name) + ":\r\n\r\n" + e.what(), "Application Error");
    }
}

TcustomJukeboxList::TcustomJukeboxList() : FpopularSavePending(std::make_shared<bool>(false)) {
    Guarded("Error Creating FaudioFolders", [this] { FaudioFolders = std::make_unique<TmyStringList>(); });
    Guarded("Error Creating FvideoFolders", [this] { FvideoFolders = std::make_unique<TmyStringList>(); });
    Guarded("Error Creating FalbumList", [this] { FalbumList = std::make_unique<TaudioTagAlbumList>(); });
    Guarded("Error Creating FartistList", [this] { FartistList = std::make_unique<TaudioTagArtistList>(); });
    Guarded("Error Creating FtitleList", [this] {
        FtitleList = std::make_unique<TaudioTagArtistList>();
        FtitleList->IsAlphaList = true;
    });
    Guarded("Error Creating FglobalList", [this] {
        FglobalList = std::make_unique<TaudioTagList>();
        FglobalList->SetOwnsObjects(true);
        FglobalList->SetMediaSupportLevel(1);
        FglobalList->OnChange = [this](TObject*) { ProcessTags(); };
        FglobalList->OnListProcessStart = [this](TObject*, const std::string& text) { ProcessStart(text); };
        FglobalList->OnListProcess = [this](TObject*, int i, int n, const TaudioTagPtr& t) { Process(i, n, t); };
        FglobalList->OnListProcessFinished = [this](TObject*) { ProcessFinished(); };
    });
    Guarded("Error Creating Fplaylists", [this] {
        Fplaylists = std::make_unique<TaudioTagPlaylistList>();
        Fplaylists->SetListsOwnObjects(true);
        Fplaylists->SetActive(true);
        Fplaylists->OnChange = [this](TObject*) { PlaylistsChanged(); };
        Fplaylists->OnPlaylistChange = [this](TObject*, TaudioTagList* list) {
            if (AutoSavePlaylists && !FloadingPlaylists && !FplaylistsLoadFailed) SavePlaylists();
            if (Fevents && Fevents->OnPlaylistListChange) Fevents->OnPlaylistListChange(this, list);
        };
    });
    Guarded("Error Creating FvideoList", [this] {
        FvideoList = std::make_unique<TaudioTagList>();
        FvideoList->SetOwnsObjects(true);
        FvideoList->SetMediaSupportLevel(2);
        FvideoList->SetNoChangeOnSort(true);
        FvideoList->OnChange = [this](TObject*) { ProcessVideo(); };
        FvideoList->OnListProcessStart = FglobalList->OnListProcessStart;
        FvideoList->OnListProcess = FglobalList->OnListProcess;
        FvideoList->OnListProcessFinished = FglobalList->OnListProcessFinished;
    });
    Guarded("Error Creating FgenreList", [this] { FgenreList = std::make_unique<TaudioTagGenreList>(); });
    Guarded("Error Creating FvideoGenreList", [this] {
        FvideoGenreList = std::make_unique<TaudioTagGenreList>();
        FvideoGenreList->UseAlbums = false;
        FvideoGenreList->UseArtists = false;
    });
    FyearList = std::make_unique<TaudioTagYearList>();
    FfileIndex = std::make_unique<TfileNameIndex>();
    FvideoFileIndex = std::make_unique<TfileNameIndex>();
    FurlList = std::make_unique<TurlList>();
    FurlList->OnChange = [this](TObject*) {
        if (Fevents && Fevents->OnURLsChange) Fevents->OnURLsChange(this);
        if (FloadingURLs || !AutoSaveURLs) return;
        const std::string name = DataFile("internetradio.dat");
        SaveList(name, [&](std::string* e) { return FurlList->SaveToFile(name, e); });
    };
    FpopularList = std::make_unique<TpopularityTagList>();
    FruleSets = std::make_unique<TtagListRulesCollection>();
    FaudioImportList = std::make_unique<TmyStringList>();
    FvideoImportList = std::make_unique<TmyStringList>();
    Fdatabase = std::make_unique<TjukeboxDB>();
    Fdatabase->SetFileIndex(FfileIndex.get());
    FdbRules = std::make_unique<TdbRulesList>();
}

TcustomJukeboxList::~TcustomJukeboxList() {
    FfreeNotices.Notify(this);
    *Falive = false;
    // Saves still under way and counts waiting for their write are not lost.
    FinishPendingSaves();
    if (FglobalList) FglobalList->OnChange = nullptr;
    if (FvideoList) FvideoList->OnChange = nullptr;
    if (Fplaylists) Fplaylists->OnChange = nullptr, Fplaylists->OnPlaylistChange = nullptr;
    if (FurlList) FurlList->OnChange = nullptr;
    if (ProcessEnding()) {
        // Everything is saved and the process is about to end: the tracks and the lists
        // that file them are left to the system rather than freed one by one.
        KeepUntilProcessEnds(std::move(FglobalList));
        KeepUntilProcessEnds(std::move(FvideoList));
        KeepUntilProcessEnds(std::move(FalbumList));
        KeepUntilProcessEnds(std::move(FartistList));
        KeepUntilProcessEnds(std::move(FtitleList));
        KeepUntilProcessEnds(std::move(FgenreList));
        KeepUntilProcessEnds(std::move(FyearList));
        KeepUntilProcessEnds(std::move(FvideoGenreList));
        KeepUntilProcessEnds(std::move(FfileIndex));
        KeepUntilProcessEnds(std::move(FvideoFileIndex));
    }
}

std::string TcustomJukeboxList::DataFile(const std::string& name) const {
    return (std::filesystem::path(FdataFolder) / name).string();
}

void TcustomJukeboxList::SetVideoSupport(bool on) {
    const uint32_t level = FglobalList->MediaSupportLevel();
    FglobalList->SetMediaSupportLevel(on ? level | 2u : level & ~2u);
    // The tagger plug-ins are chosen by the media kinds the library takes (a change
    // reloads them, so an unchanged level is not passed again).
    if (TaggerLoader().MediaSupportLevel() != FglobalList->MediaSupportLevel())
        TaggerLoader().SetMediaSupportLevel(FglobalList->MediaSupportLevel());
}

void TcustomJukeboxList::ProcessStart(const std::string& text) {
    if (Fevents && Fevents->OnListProcessStart) Fevents->OnListProcessStart(this, text);
}

void TcustomJukeboxList::Process(int index, int count, const TaudioTagPtr& tag) {
    if (Fevents && Fevents->OnListProcess) Fevents->OnListProcess(this, index, count, tag);
}

void TcustomJukeboxList::ProcessFinished() {
    if (Fevents && Fevents->OnListProcessFinished) Fevents->OnListProcessFinished(this);
}

bool TcustomJukeboxList::SaveList(const std::string& fileName, const std::function<bool(std::string*)>& save) {
    std::error_code ec;
    std::filesystem::create_directories(FdataFolder, ec);
    std::string error;
    if (save(&error)) return true;
    LogError("Cannot write " + fileName + ": " + error);
    return false;
}

bool TcustomJukeboxList::SaveVideoList() { return SaveListFile(*FvideoList, DataFile("vidlist.dat")); }

bool TcustomJukeboxList::SavePlaylists() { return SaveListsFile(*Fplaylists, DataFile("playlists.dat")); }

bool TcustomJukeboxList::SavePopularList() {
    TaudioTagList counts;
    for (int i = 0; i < FpopularList->Count(); ++i) counts.Add(FpopularList->GetTag(i));
    return SaveListFile(counts, DataFile("poplist.dat"));
}

void TcustomJukeboxList::LoadInternetRadio() {
    const std::string name = DataFile("internetradio.dat");
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) return;
    FloadingURLs = true;
    FurlList->LoadFromFile(name);
    FloadingURLs = false;
}

void TcustomJukeboxList::LoadRules() {
    FruleSets->LoadFromFile(DataFile("rules.dat"));
    FdbRules->LoadFromFile(DataFile("dbrules.dat"));
}

bool TcustomJukeboxList::SaveRules() {
    const std::string rules = DataFile("rules.dat"), dbRules = DataFile("dbrules.dat");
    const bool ok = SaveList(rules, [&](std::string* e) { return FruleSets->SaveToFile(rules, e); });
    return SaveList(dbRules, [&](std::string* e) { return FdbRules->SaveToFile(dbRules, e); }) && ok;
}

void TcustomJukeboxList::SaveAll() {
    SaveGlobalList();
    SavePlaylists();
}

void TcustomJukeboxList::CountPlay(const TaudioTag& tag) {
    FpopularList->Add(tag.Clone());
    // A damaged play-count file is kept until it can be read again.
    if (FpopularLoadFailed || *FpopularSavePending) return;
    *FpopularSavePending = true;
    std::weak_ptr<bool> pending = FpopularSavePending;
    Dispatcher().Post([this, pending] {
        const auto alive = pending.lock();
        if (!alive || !*alive) return;
        *alive = false;
        SavePopularList();
    });
}

TDateTime TcustomJukeboxList::GetJukeboxFileDate() const { return FileDate(DataFile("jukebox.dat")); }
TDateTime TcustomJukeboxList::GetPlaylistsFileDate() const { return FileDate(DataFile("playlists.dat")); }

const TdbRules* TcustomJukeboxList::FindDBRule(const std::string& name) const {
    return FdbRules->RuleByName(name).get();
}

bool TcustomJukeboxList::RunQueryRule(const TdbRules& rule, TaudioTagList& dest) {
    if (!Fdatabase->Connected() && !OpenDatabase()) {
        dest.Clear();
        const std::string reason = Fdatabase->LastError().empty() ? "Not Connected" : Fdatabase->LastError();
        Prompt().ShowMessage(QueryErrorText(reason + "\r\n"), kQueryErrorTitle);
        return false;
    }
    return FillFromQueryRule(rule, *Fdatabase, dest);
}

// ---- Settings -------------------------------------------------------------------

void TcustomJukeboxList::LoadSettings(const TiniFile& ini, const std::string& section) {
    FromCommaText(*FaudioFolders, ini.ReadString(section, "AudioFolders", ""));
    FromCommaText(*FvideoFolders, ini.ReadString(section, "VideoFolders", ""));
    FromCommaText(*FaudioImportList, ini.ReadString(section, "AudioImportList", ""));
    FromCommaText(*FvideoImportList, ini.ReadString(section, "VideoImportList", ""));
    TaudioTagList& g = *FglobalList;
    g.SetUseAudioFileMask(ini.ReadBool(section, "UseAudioMask", false));
    g.SetAudioFileMask(ini.ReadString(section, "AudioMask", g.AudioFileMask()));
    g.SetUseVideoFileMask(ini.ReadBool(section, "UseVideoMask", false));
    g.SetVideoFileMask(ini.ReadString(section, "VideoMask", g.VideoFileMask()));
    g.SetAlbumFromParentFolder(ini.ReadBool(section, "AlbumFromParentFolder", g.AlbumFromParentFolder()));
    g.SetArtistFromParentFolder(ini.ReadBool(section, "ArtistFromParentFolder", g.ArtistFromParentFolder()));
    g.SetOverrideTagInfo(ini.ReadBool(section, "AlwaysOverrideWithFileMasks", false));
    FartistList->MapThe = ini.ReadBool(section, "ArtistMappingsMapThe", true);
    FartistList->MappingsNoDuplicates = ini.ReadBool(section, "ArtistMappingsNoDuplicates", false);
    FyearList->Mode = ini.ReadInteger(section, "YearMode", 0) == 1 ? ymDecades : ymYears;
    FenableIndexes = ini.ReadBool(section, "EnableIndexes", true);
    SetDatabaseEnabled(ini.ReadBool(section, "DatabaseEnabled", false));
    FvideoList->SetVideoFileMask(ini.ReadString(section, "VideoListMask", "%t"));
    FvideoList->SetAlbumFromParentFolder(ini.ReadBool(section, "VideoListFolderAsGenre", true));
}

void TcustomJukeboxList::SaveSettings(TiniFile& ini, const std::string& section) const {
    ini.WriteString(section, "AudioFolders", ToCommaText(*FaudioFolders));
    ini.WriteString(section, "VideoFolders", ToCommaText(*FvideoFolders));
    ini.WriteString(section, "AudioImportList", ToCommaText(*FaudioImportList));
    ini.WriteString(section, "VideoImportList", ToCommaText(*FvideoImportList));
    const TaudioTagList& g = *FglobalList;
    ini.WriteBool(section, "UseAudioMask", g.UseAudioFileMask());
    ini.WriteString(section, "AudioMask", g.AudioFileMask());
    ini.WriteBool(section, "UseVideoMask", g.UseVideoFileMask());
    ini.WriteString(section, "VideoMask", g.VideoFileMask());
    ini.WriteBool(section, "AlbumFromParentFolder", g.AlbumFromParentFolder());
    ini.WriteBool(section, "ArtistFromParentFolder", g.ArtistFromParentFolder());
    ini.WriteBool(section, "AlwaysOverrideWithFileMasks", g.OverrideTagInfo());
    ini.WriteBool(section, "ArtistMappingsMapThe", FartistList->MapThe);
    ini.WriteBool(section, "ArtistMappingsNoDuplicates", FartistList->MappingsNoDuplicates);
    ini.WriteInteger(section, "YearMode", FyearList->Mode == ymDecades ? 1 : 0);
    ini.WriteBool(section, "EnableIndexes", FenableIndexes);
    ini.WriteBool(section, "DatabaseEnabled", FdatabaseEnabled);
    ini.WriteString(section, "VideoListMask", FvideoList->VideoFileMask());
    ini.WriteBool(section, "VideoListFolderAsGenre", FvideoList->AlbumFromParentFolder());
}

// ---- The local form -------------------------------------------------------------

TcustomlocalJukeboxList::TcustomlocalJukeboxList() {
    Fjukebox = std::make_unique<TlocalJukebox>();
    Fjukebox->SetOwner(this);
    auto relay = [this](TaudioTagList& list) {
        list.OnListProcessStart = [this](TObject*, const std::string& text) { ProcessStart(text); };
        list.OnListProcess = [this](TObject*, int i, int n, const TaudioTagPtr& t) { Process(i, n, t); };
        list.OnListProcessFinished = [this](TObject*) { ProcessFinished(); };
    };
    relay(Fjukebox->Queue());
    relay(Fjukebox->Playlist());
    relay(Fjukebox->RandomList());
}

TcustomlocalJukeboxList::~TcustomlocalJukeboxList() {
    Fdestroying = true;
    Fjukebox.reset();
}

void TcustomlocalJukeboxList::JukeboxDestroyed(TcustomJukebox* jukebox) {
    if (jukebox == Fjukebox.get() && !Fdestroying) Fjukebox.release();
}

void TcustomlocalJukeboxList::SetVideoSupport(bool on) {
    TcustomJukeboxList::SetVideoSupport(on);
    if (Fjukebox) Fjukebox->Queue().SetMediaSupportLevel(GlobalList().MediaSupportLevel());
}

void TcustomlocalJukeboxList::SetEvents(TcustomJukeboxListEvents* events) {
    TcustomJukeboxList::SetEvents(events);
    if (!Fjukebox) return;
    Fjukebox->SetPlayerEvents(events ? events->PlayerEvents : nullptr);
    Fjukebox->SetEvents(events ? events->JukeboxEvents : nullptr);
}

void TcustomlocalJukeboxList::SetLoading(bool loading) {
    TcustomJukeboxList::SetLoading(loading);
    if (Fjukebox) Fjukebox->SetLibraryLoading(loading);
}

void TcustomlocalJukeboxList::ProcessTags() {
    TcustomJukeboxList::ProcessTags();
    if (Fjukebox) Fjukebox->RefillRandomList();
}

void TcustomlocalJukeboxList::PlaylistsChanged() {
    TcustomJukeboxList::PlaylistsChanged();
    if (Fjukebox) Fjukebox->PlaylistsChanged();
}

void TcustomlocalJukeboxList::LoadSettings(const TiniFile& ini, const std::string& section) {
    TcustomJukeboxList::LoadSettings(ini, section);
    if (Fjukebox) Fjukebox->LoadSettings(ini, section);
}

void TcustomlocalJukeboxList::SaveSettings(TiniFile& ini, const std::string& section) const {
    TcustomJukeboxList::SaveSettings(ini, section);
    if (Fjukebox) Fjukebox->SaveSettings(ini, section);
}

}  // namespace tunecrest
