#include "core/tags/audio_tag.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "core/tags/genre_table.h"
#include "core/base/safe_file.h"
#include "core/base/shared_utils.h"
#include "core/tags/tagger_loader.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace fs = std::filesystem;

std::string FormatMS(int64_t seconds) { return Format("%lld:%2.2lld", (long long)(seconds / 60), (long long)(seconds % 60)); }

void GetAudioTagFieldNames(TmyStringList& list) {
    static const char* const kNames[kImportFieldCount] = {"Filename", "Artist",   "Title",      "Album",
                                                          "Comment",  "TrackNo",  "Date",       "Genre",
                                                          "BitRate",  "Duration", "SampleRate", "Channels",
                                                          "TagType",  "MediaType"};
    list.BeginUpdate();
    list.Clear();
    for (const char* name : kNames) list.Add(name);
    list.EndUpdate();
}

TaudioTag::TaudioTag() = default;

TaudioTag::~TaudioTag() {
    ::operator delete(Ftexts);
}

// ---- the title and the file name ----

TaudioTag::Ttexts* TaudioTag::Ttexts::Make(std::string_view title, std::string_view name) {
    if (title.empty() && name.empty()) return nullptr;
    if (title.size() >= UINT32_MAX || name.size() >= UINT32_MAX) throw std::length_error("a tag's text is too long");
    auto* texts = static_cast<Ttexts*>(::operator new(sizeof(Ttexts) + title.size() + name.size() + 2));
    texts->TitleSize = uint32_t(title.size());
    texts->NameSize = uint32_t(name.size());
    char* to = const_cast<char*>(texts->Title());
    if (!title.empty()) std::memcpy(to, title.data(), title.size());
    to[title.size()] = '\0';
    to = const_cast<char*>(texts->Name());
    if (!name.empty()) std::memcpy(to, name.data(), name.size());
    to[name.size()] = '\0';
    return texts;
}

void TaudioTag::SetTexts(std::string_view title, std::string_view name) {
    if (Ftexts && title == std::string_view(Ftexts->Title(), Ftexts->TitleSize) &&
        name == std::string_view(Ftexts->Name(), Ftexts->NameSize))
        return;
    Ttexts* made = Ttexts::Make(title, name);  // made first: `title` or `name` may point into the old block
    ::operator delete(Ftexts);
    Ftexts = made;
}

void TaudioTag::SetTitle(std::string_view v) {
    SetTexts(v, Filename().Name());
}

void TaudioTag::SetFilename(std::string_view v) {
    // The folder, shared by the tracks of an album, is pooled; the name within it is kept
    // with the title.
    const size_t slash = v.rfind('/');
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : v.substr(0, slash + 1);
    SetTexts(Title(), v.substr(folder.size()));
    Ffolder = folder;
}

// ---- references ----

namespace {
// The tracks taken over from shared pointers, each with one shared pointer that keeps it
// while references hold it.
struct TtakenOver {
    std::mutex Lock;
    std::unordered_map<const TaudioTag*, std::shared_ptr<TaudioTag>> Tracks;
};
TtakenOver& TakenOver() {
    static TtakenOver* table = new TtakenOver;  // never destroyed: tracks may outlive static objects
    return *table;
}

[[noreturn]] void RefusedReference() {
    std::fprintf(stderr, "A track held only by its owner was taken by a reference: made by NewAudioTag?\n");
    std::abort();
}
}  // namespace

TaudioTagPtr NewAudioTag() {
    auto* tag = new TaudioTag;
    tag->Fkeeper.store(TaudioTag::kKeptByRefs, std::memory_order_relaxed);
    TaudioTagPtr ref;
    ref.Ftag = tag;
    TaudioTagPtr::AddRef(tag);
    return ref;
}

TaudioTagPtr::TaudioTagPtr(TaudioTag* tag) : Ftag(tag) {
    if (tag && tag->Fkeeper.load(std::memory_order_acquire) == TaudioTag::kKeptByOwner) RefusedReference();
    AddRef(tag);
}

TaudioTagPtr::TaudioTagPtr(const std::shared_ptr<TaudioTag>& tag) : Ftag(tag.get()) {
    if (!Ftag) return;
    if (Ftag->Fkeeper.load(std::memory_order_acquire) != TaudioTag::kKeptByRefs) {
        TtakenOver& table = TakenOver();
        std::lock_guard<std::mutex> guard(table.Lock);
        if (Ftag->Fkeeper.load(std::memory_order_relaxed) == TaudioTag::kKeptByOwner) {
            table.Tracks[Ftag] = tag;
            Ftag->Fkeeper.store(TaudioTag::kKeptByTable, std::memory_order_relaxed);
        }
        AddRef(Ftag);
        return;
    }
    AddRef(Ftag);
}

void TaudioTagPtr::Release(TaudioTag* tag) noexcept {
    if (!tag || tag->Frefs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    if (tag->Fkeeper.load(std::memory_order_acquire) == TaudioTag::kKeptByRefs) {
        delete tag;
        return;
    }
    // A track taken over: the table lets it go, unless a reference took it again meanwhile.
    std::shared_ptr<TaudioTag> kept;
    {
        TtakenOver& table = TakenOver();
        std::lock_guard<std::mutex> guard(table.Lock);
        if (tag->Frefs.load(std::memory_order_relaxed) != 0) return;
        const auto found = table.Tracks.find(tag);
        if (found == table.Tracks.end()) return;
        kept = std::move(found->second);
        table.Tracks.erase(found);
        tag->Fkeeper.store(TaudioTag::kKeptByOwner, std::memory_order_relaxed);
    }
    // `kept` lets go of the track here, outside the lock (its destructor may free others).
}

TaudioTagPtr::operator std::shared_ptr<TObject>() const {
    if (!Ftag) return nullptr;
    AddRef(Ftag);
    return std::shared_ptr<TObject>(Ftag, [](TObject* object) { Release(static_cast<TaudioTag*>(object)); });
}

TaudioTagPtr::operator std::shared_ptr<TaudioTag>() const {
    if (!Ftag) return nullptr;
    AddRef(Ftag);
    return std::shared_ptr<TaudioTag>(Ftag, [](TaudioTag* tag) { Release(tag); });
}

void TaudioTag::CopyValuesTo(TaudioTag& dest) const {
    dest.SetTexts(Title(), Filename().Name());
    dest.Ffolder = Ffolder;
    dest.Fartist = Fartist;
    dest.Falbum = Falbum;
    dest.SetComment(Comment());
    dest.SetTrackNo(FtrackNo);
    dest.Fdate = Fdate;
    dest.FgenreID = FgenreID;
    dest.FgenreString = FgenreString;
    dest.FbitRate = FbitRate;
    dest.Fduration = Fduration;
    dest.FsampleRate = FsampleRate;
    dest.Fchannels = Fchannels;
    dest.FtagType = FtagType;
    dest.FmodDate = FmodDate;
    dest.FmediaType = FmediaType;
    dest.Fdata = Fdata;
    if (HasExtraFields() || dest.HasExtraFields()) dest.ExtraFields().Assign(ExtraFields());
}

TaudioTag::Textras& TaudioTag::Extras() {
    if (!Fextras) Fextras = std::make_unique<Textras>();
    return *Fextras;
}

TaudioTag::Trarer& TaudioTag::Rarer() {
    Textras& extras = Extras();
    if (!extras.Rarer) extras.Rarer = std::make_unique<Trarer>();
    return *extras.Rarer;
}

const std::string& TaudioTag::EmptyText() {
    static const std::string kEmpty;
    return kEmpty;
}

TmyStringList& TaudioTag::ExtraFields() {
    Trarer& rarer = Rarer();
    if (!rarer.ExtraFields) rarer.ExtraFields = std::make_unique<TmyStringList>();
    return *rarer.ExtraFields;
}

const TmyStringList& TaudioTag::ExtraFields() const {
    static const TmyStringList kNone;
    return HasExtraFields() ? *Fextras->Rarer->ExtraFields : kNone;
}

TaudioTagPtr TaudioTag::Clone() const {
    TaudioTagPtr copy = NewAudioTag();
    CopyValuesTo(*copy);
    return copy;
}

void TaudioTag::AssignTagInfo(TaudioTag& dest) const {
    if (&dest == this) return;
    CopyValuesTo(dest);
}

std::string TaudioTag::ChannelMode() const {
    switch (Fchannels) {
        case 0: return "Unknown";
        case 1: return "Mono";
        case 2: return "Stereo";
        default: return "Multi";
    }
}

bool TaudioTag::HasDisplayName() const { return FmediaType == mkVideo ? !Title().empty() : !Artist().empty(); }

std::string TaudioTag::GetDisplayText(TtagDisplayFormat format) const {
    // A video known by its title alone shows just that title.
    if (HasDisplayName() && Artist().empty()) format = tdfTitle;
    const std::string duration = FormatMS(Fduration);
    const char* a = Artist().c_str();
    const char* t = Title().c_str();
    switch (format) {
        case tdfArtistTitle: return Format("%s - %s", a, t);
        case tdfTitleArtist: return Format("%s - %s", t, a);
        case tdfArtistTitleDuration: return Format("%s - %s [%s]", a, t, duration.c_str());
        case tdfTitleArtistDuration: return Format("%s - %s [%s]", t, a, duration.c_str());
        case tdfTitleDuration: return Format("%s [%s]", t, duration.c_str());
        case tdfTrackTitleDuration: return Format("%3.3u : %s [%s]", FtrackNo, t, duration.c_str());
        case tdfTrackArtistTitleDuration:
            return Format("%3.3u : %s - %s [%s]", FtrackNo, a, t, duration.c_str());
        case tdfTrackArtistTitle: return Format("%3.3u : %s - %s", FtrackNo, a, t);
        case tdfTracktitle: return Format("%3.3u : %s", FtrackNo, t);
        case tdfArtistTitleAlbumTrack:
            if (Album().empty()) return Format("%s - %s", a, t);
            if (FtrackNo > 0) return Format("%s - %s [%s - Track %u]", a, t, Album().c_str(), FtrackNo);
            return Format("%s - %s [%s]", a, t, Album().c_str());
        case tdfTimeArtistTitleFilename:
            return Format("%s : %s - %s (%s)", FormatLocaleDateTime(FmodDate).c_str(), a, t,
                          Filename().str().c_str());
        case tdfTitle: return Title();
    }
    return Artist() + " - " + Title();
}

void TaudioTag::ReadFromPlugin(TtagSource& plugin) {
    Fartist = plugin.Artist();
    SetTitle(plugin.Title());
    Falbum = plugin.Album();
    SetComment(plugin.Comment());
    SetTrackNo(plugin.TrackNo());
    Fdate = plugin.Date();
    FgenreID = plugin.GenreID();
    FgenreString = plugin.GenreString();
    FbitRate = plugin.BitRate();
    Fduration = plugin.Duration();
    FsampleRate = plugin.SampleRate();
    Fchannels = plugin.Channels();
    FmediaType = plugin.MediaType();
    FtagType = plugin.TagType();
    const int count = plugin.ExtraFieldCount();
    if (count <= 0 && !HasExtraFields()) return;
    TmyStringList& extra = ExtraFields();
    extra.BeginUpdate();
    extra.Clear();
    for (int i = 0; i < count; ++i) {
        std::string name, value;
        plugin.GetExtraField(i, name, value);
        extra.Add(name + "=" + value);
    }
    extra.EndUpdate();
}

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The name of the folder `levels` above the file (1: the folder that holds it);
// empty when the path has no such folder (the root has no name).
std::string FolderNameAbove(const std::string& fileName, int levels) {
    size_t end = fileName.rfind('/');
    for (int level = 1; level < levels && end != std::string::npos && end > 0; ++level)
        end = fileName.rfind('/', end - 1);
    if (end == std::string::npos || end == 0) return "";
    const size_t start = fileName.rfind('/', end - 1);
    return fileName.substr(start == std::string::npos ? 0 : start + 1,
                           end - (start == std::string::npos ? 0 : start + 1));
}

}  // namespace

void TaudioTag::ApplyFileMask(const std::string& mask, bool albumFromParentFolder, uint32_t mediaSupportLevel,
                              bool artistFromParentFolder) {
    // A mask may cover folder levels; either separator is taken in a stored mask.
    std::string folderMask = mask;
    int levels = 0;
    for (char& c : folderMask)
        if (IsSeparator(c)) {
            c = '/';
            ++levels;
        }
    // The last levels+1 path components, without the extension.
    const std::string fileName = Filename().str();
    size_t start = fileName.size();
    int found = 0;
    while (found <= levels && start > 0) {
        const size_t at = fileName.rfind('/', start - 1);
        if (at == std::string::npos) {
            start = 0;
            break;
        }
        start = at;
        ++found;
    }
    std::string text = fileName.substr(start < fileName.size() && fileName[start] == '/' ? start + 1 : start);
    const size_t lastSlash = text.rfind('/');
    const size_t dot = text.rfind('.');
    if (dot != std::string::npos && (lastSlash == std::string::npos || dot > lastSlash)) text.erase(dot);

    TmyStringList values;
    MatchFileMask(text, folderMask, values);
    auto valueOf = [&](const char* key) { return values.Values(key); };
    if (const std::string v = valueOf("%a"); !v.empty()) Fartist = v;
    if (const std::string v = valueOf("%b"); !v.empty()) Falbum = v;
    if (const std::string v = valueOf("%t"); !v.empty()) SetTitle(v);
    if (const std::string v = valueOf("%g"); !v.empty()) FgenreString = v;
    const int64_t number = StrToInt64Def(valueOf("%n"), 0);
    if (number > 0 && number <= int64_t(UINT32_MAX)) SetTrackNo(uint32_t(number));

    if (albumFromParentFolder) {
        // A video library files its videos by folder: the folder is the genre.
        if (mediaSupportLevel == 2)
            FgenreString = FolderNameAbove(fileName, 1);
        else
            Falbum = FolderNameAbove(fileName, 1);
        if (artistFromParentFolder && mediaSupportLevel != 2) Fartist = FolderNameAbove(fileName, 2);
    } else if (artistFromParentFolder) {
        Fartist = FolderNameAbove(fileName, 1);
    }
    FgenreID = GenresList().GenreIDOf(FgenreString.Text());
}

void TaudioTag::SetFieldsFromColumns(const std::vector<int>& columns, const std::vector<std::string>& values) {
    if (columns.size() != size_t(kImportFieldCount)) return;
    auto field = [&](int i) -> std::string {
        const int column = columns[size_t(i)];
        return column >= 0 && size_t(column) < values.size() ? values[size_t(column)] : std::string();
    };
    // Numbers that are not numbers (or do not fit) read 0.
    auto number = [&](int i) -> uint32_t {
        const int64_t v = StrToInt64Def(field(i), 0);
        return v >= 0 && v <= int64_t(UINT32_MAX) ? uint32_t(v) : 0;
    };
    SetFilename(field(0));
    Fartist = field(1);
    SetTitle(field(2));
    Falbum = field(3);
    SetComment(field(4));
    SetTrackNo(number(5));
    Fdate = field(6);
    FgenreString = field(7);
    FbitRate = number(8);
    Fduration = number(9);
    FsampleRate = number(10);
    Fchannels = number(11);
    FtagType = field(12);
    // A missing or unknown kind is audio: -1 would read as every kind at once.
    const int kind = MediaKindFromName(field(13));
    FmediaType = kind > 0 ? uint32_t(kind) : mkAudio;
}

std::string TaudioTag::PathPart() const {
    return std::string(Filename().Folder());
}

std::string TaudioTag::FilePart() const {
    return std::string(Filename().Name());
}

std::string TaudioTag::ExtPart() const {
    const std::string file = FilePart();
    const size_t dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : file.substr(dot + 1);
}

std::string TaudioTag::AlbumPath() const { return PathPart() + (Album().empty() ? "[No Album]" : Album()); }

void TaudioTag::GetCSVRow(std::string& row) const {
    std::vector<std::string> extra = ExtraFields().ToVector();
    row += QuoteCSVField(Filename().str());
    for (const std::string& text : {PathPart(), FilePart(), ExtPart(), AlbumPath(), Title().str(), Artist(),
                                     Album(), Comment(), Date()})
        row.append(1, ',').append(QuoteCSVField(text));
    row += Format(",%u", FgenreID);
    row.append(1, ',').append(QuoteCSVField(FgenreString.Text()));
    row += Format(",%u,%u,%llu,%u,%u", FtrackNo, FbitRate, (unsigned long long)Fduration * 1000ULL, FsampleRate,
                  Fchannels);
    row.append(1, ',').append(QuoteCSVField(ChannelMode()));
    row += Format(",%u", FmediaType);
    row.append(1, ',').append(QuoteCSVField(FtagType.Text()));
    row += Format(",%d", FtrackIndex);
    row.append(1, ',').append(QuoteCSVField(FormatLocaleDate(FmodDate)));
    row.append(1, ',').append(QuoteCSVField(JoinCSV(extra)));
}

namespace {

// One folder's file names, for cover lookups: exact first, then without regard to
// case (cover files come from other systems as "Folder.JPG" or "folder.jpg").
class TfolderNames {
public:
    explicit TfolderNames(const fs::path& folder) : Ffolder(folder) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code fileEc;
            if (!it->is_regular_file(fileEc)) continue;
            Fnames.push_back(it->path().filename().string());
        }
        std::sort(Fnames.begin(), Fnames.end());
    }
    std::string Find(const std::string& name) const {
        if (std::binary_search(Fnames.begin(), Fnames.end(), name)) return (Ffolder / name).string();
        for (const std::string& n : Fnames)
            if (SameText(n, name)) return (Ffolder / n).string();
        return "";
    }
    std::string FirstWithExtension(const char* ext) const {
        for (const std::string& n : Fnames)
            if (n.size() > std::char_traits<char>::length(ext) && EndsText(ext, n)) return (Ffolder / n).string();
        return "";
    }
    bool Empty() const { return Ffolder.empty(); }

private:
    fs::path Ffolder;
    std::vector<std::string> Fnames;
};

// Tag text that would lead a file name out of its folder.
bool UnsafeNamePart(const std::string& s) {
    return s == "." || s == ".." || s.find('/') != std::string::npos || s.find('\\') != std::string::npos ||
           s.find('\0') != std::string::npos;
}

}  // namespace

std::string TaudioTag::FindCoverFile(const std::string& coverFolder, bool coverFolderOnly) const {
    const std::string& a = Artist();
    const std::string& b = Album();
    const bool aOk = !UnsafeNamePart(a), bOk = !UnsafeNamePart(b);
    struct Tcandidate {
        std::string Name;
        bool Usable;
    };
    const Tcandidate candidates[] = {
        {a + " - " + b, aOk && bOk},
        {b + " - " + a, aOk && bOk},
        {a + " - (" + b + ")", aOk && bOk},
        {b + " - (" + a + ")", aOk && bOk},
        {"(" + a + ") - " + b, aOk && bOk},
        {"(" + b + ") - " + a, aOk && bOk},
        {"(" + a + ") - (" + b + ")", aOk && bOk},
        {"(" + b + ") - (" + a + ")", aOk && bOk},
        {"Compilation - " + b, bOk},
        {"Compilation - (" + b + ")", bOk},
        {"Soundtrack - " + b, bOk},
        {"Soundtrack - (" + b + ")", bOk},
        {b, bOk},
        {a, aOk},
        {"Folder", true},
    };
    const std::string pathPart = PathPart();
    const TfolderNames coverNames(coverFolder.empty() ? fs::path() : fs::path(coverFolder));
    const TfolderNames fileNames(pathPart.empty() ? fs::path() : fs::path(pathPart));
    for (const Tcandidate& c : candidates) {
        if (!c.Usable) continue;
        for (const TfolderNames* names : {&coverNames, &fileNames}) {
            if (names->Empty() || (names == &fileNames && coverFolderOnly)) continue;
            for (const char* ext : {".jpg", ".bmp"})
                if (std::string found = names->Find(c.Name + ext); !found.empty()) return found;
        }
    }
    if (std::string found = fileNames.FirstWithExtension(".jpg"); !found.empty()) return found;
    return fileNames.FirstWithExtension(".bmp");
}

namespace {
// The JPEG picture of an ID3v2 tag at the very start of the file.
bool ReadId3Picture(const std::string& fileName, std::string& jpeg) {
    try {
        // Read through the shared opener: a FIFO or device named as a track never blocks.
        std::string header;
        uint64_t fileSize = 0;
        if (!ReadFileHead(fileName, 10, header, fileSize) || header.size() < 10) return false;
        if (header.compare(0, 3, "ID3") != 0) return false;
        uint64_t size = 0;
        for (int i = 6; i < 10; ++i) size = (size << 7) | (uint8_t(header[size_t(i)]) & 0x7F);
        const uint64_t tagSize = size + 10 + ((uint8_t(header[5]) & 0x10) ? 10 : 0);
        if (tagSize >= fileSize) return false;
        std::string bytes;
        if (!ReadFileHead(fileName, tagSize, bytes, fileSize) || bytes.size() != tagSize) return false;
        return ExtractId3Jpeg(bytes, fileSize, jpeg);
    } catch (const std::exception&) {
        jpeg.clear();
        return false;
    }
}
}  // namespace

bool TaudioTag::GetEmbeddedPicture(std::string& jpeg) const {
    jpeg.clear();
    const std::string fileName = Filename().str();
    if (ReadId3Picture(fileName, jpeg)) return true;
    // Every other format (and ID3 tags elsewhere in the file) through the tagger
    // plug-in for the file's extension; only JPEG pictures are covers here.
    std::string bytes, mime;
    if (!TaggerLoader().ReadEmbeddedPicture(fileName, bytes, mime)) return false;
    if (bytes.size() < 3 || bytes.compare(0, 3, "\xFF\xD8\xFF") != 0) return false;
    jpeg = std::move(bytes);
    return true;
}

bool TaudioTag::LoadCoverImage(TcoverPicture& picture, bool fileFirst, bool useEmbedded,
                               const std::string& coverFolder, bool coverFolderOnly) const {
    picture.Clear();
    auto loadEmbedded = [&] {
        std::string jpeg;
        if (!GetEmbeddedPicture(jpeg)) return false;
        picture.Bytes = std::move(jpeg);
        return true;
    };
    auto loadFile = [&](const std::string& name) {
        picture.Clear();
        std::string bytes;
        if (name.empty() || !ReadFileBytes(name, bytes, nullptr, uint64_t(64) << 20)) return false;
        picture.FileName = name;
        picture.Bytes = std::move(bytes);
        return !picture.Empty();
    };
    if (!fileFirst) {
        if (useEmbedded && loadEmbedded()) return true;
        return loadFile(FindCoverFile(coverFolder, coverFolderOnly));
    }
    const std::string name = FindCoverFile(coverFolder, coverFolderOnly);
    if (!name.empty()) return loadFile(name);
    return useEmbedded && loadEmbedded();
}

}  // namespace tunecrest
