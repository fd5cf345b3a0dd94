#include "core/tags/tag_list.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <typeinfo>

#include "core/base/append_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
TcdTrackTest& CdTrackTest() {
    static TcdTrackTest test;
    return test;
}

bool InMask(const TaudioTag& tag, uint32_t mask) { return (tag.MediaType() & mask) != 0; }

// The first character of a text (a whole UTF-8 sequence), "#" for an empty text.
std::string FirstChar(const std::string& s) {
    if (s.empty()) return "#";
    size_t n = 1;
    while (n < s.size() && n < 4 && (uint8_t(s[n]) & 0xC0) == 0x80) ++n;
    return s.substr(0, n);
}
}  // namespace

void SetCdTrackTest(TcdTrackTest test) { CdTrackTest() = std::move(test); }
bool IsCdTrack(const std::string& fileName) {
    // Without a test of its own, a track is on a CD when it lies on a drive of the
    // program's CD drive set.
    return CdTrackTest() ? CdTrackTest()(fileName) : IsOnCDDrive(fileName);
}

namespace {
thread_local bool tStampsPaused = false;
}  // namespace

TtagStampPause::TtagStampPause() : Fwas(tStampsPaused) { tStampsPaused = true; }
TtagStampPause::~TtagStampPause() { tStampsPaused = Fwas; }
bool TtagStampPause::Active() { return tStampsPaused; }

TaudioTagList::TaudioTagList() = default;
TaudioTagList::~TaudioTagList() = default;

const TaudioTagList::Trare& TaudioTagList::Defaults() {
    static const Trare kDefaults;
    return kDefaults;
}

TaudioTagList::Trare& TaudioTagList::EditRare() {
    if (!Frare) {
        Frare = std::make_unique<Trare>();
        Frare->Random.Base = uint32_t(Fitems.size());
    }
    return *Frare;
}

const TrandomPointerList& TaudioTagList::RandomOrder() const { return Rare().Random.Order; }

void TaudioTagList::SetListProcessFactor(int v) {
    v = std::max(v, 1);
    if (Frare || v != Defaults().ListProcessFactor) EditRare().ListProcessFactor = v;
}

void TaudioTagList::SetStoredSize(int64_t v) {
    if (Frare || v != Defaults().StoredSize) EditRare().StoredSize = v;
}

TaudioTagPtr TaudioTagList::GetTag(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return Fitems[size_t(index)];
}

int TaudioTagList::IndexOf(const TaudioTag* tag) const {
    for (int i = 0; i < Count(); ++i)
        if (Fitems[size_t(i)].get() == tag) return i;
    return -1;
}

uint64_t TaudioTagList::TotalDuration() const {
    uint64_t total = 0;
    for (const auto& tag : Fitems) total += tag->Duration();
    return total;
}

int TaudioTagList::ArtistCount() const {
    std::set<std::string> artists;
    for (const auto& tag : Fitems) artists.insert(UpperCase(tag->Artist()));
    return int(artists.size());
}

void TaudioTagList::AppendItem(TaudioTagPtr tag) {
    Fitems.push_back(std::move(tag));
    NoteAppended(Fitems.back());
}

void TaudioTagList::NumberAfter(TaudioTag& tag, const TaudioTag* last) {
    if (!tStampsPaused && tag.TrackIndex() == 0) tag.SetTrackIndex(last ? last->TrackIndex() + 1 : 1);
}

void TaudioTagList::NoteAppended(const TaudioTagPtr& tag) {
    ++FinsertionCounter;
    if (!tStampsPaused) tag->SetSequence(FinsertionCounter);
    NoteRandomAdd(tag);
}

void TaudioTagList::Add(TaudioTagPtr tag) {
    if (!tag) return;
    if (FnoDuplicates) {
        for (const auto& known : Fitems)
            if (SameText(known->Title(), tag->Title()) && SameText(known->Artist(), tag->Artist())) return;
    }
    if (Fmax > 0 && Count() >= Fmax) {
        FmaxExceeded = true;
    } else {
        NumberAfter(*tag, Fitems.empty() ? nullptr : Fitems.back().get());
        AppendItem(std::move(tag));
    }
    Changed();
}

bool TaudioTagList::AdoptLoaded(std::vector<TaudioTagPtr>& tags, size_t spare) {
    // A list of another kind files each track through its own Add; a limit or a check
    // for duplicates may refuse some.
    if (typeid(*this) != typeid(TaudioTagList) || !Fitems.empty() || FnoDuplicates || Fmax > 0 ||
        std::find(tags.begin(), tags.end(), nullptr) != tags.end())
        return false;
    Fitems.swap(tags);
    tags.clear();
    Reserve(spare);
    // What Add does for each track, in the same order.
    for (size_t i = 0; i < Fitems.size(); ++i) {
        NumberAfter(*Fitems[i], i == 0 ? nullptr : Fitems[i - 1].get());
        NoteAppended(Fitems[i]);
        Changed();
    }
    return true;
}

void TaudioTagList::Insert(TaudioTagPtr tag, int index) {
    if (!tag) return;
    index = std::clamp(index, 0, Count());
    ++FinsertionCounter;
    tag->SetSequence(FinsertionCounter);
    NoteRandomAdd(tag);
    Fitems.insert(Fitems.begin() + index, std::move(tag));
    Changed();
}

void TaudioTagList::AddCopy(const TaudioTagPtr& tag) {
    if (tag) Add(tag->Clone());
}

void TaudioTagList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    NoteRandomRemove(Fitems[size_t(index)]);
    Fitems.erase(Fitems.begin() + index);
    Changed();
}

void TaudioTagList::Remove(const TaudioTag* tag) {
    const int index = IndexOf(tag);
    if (index >= 0) Delete(index);
}

void TaudioTagList::Clear() {
    Fitems.clear();
    if (Frare) Frare->Random.Order.Clear();
    ResetRandomChanges();
    FrandomReplaced = true;
    Changed();
}

void TaudioTagList::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) return;
    TaudioTagPtr tag = std::move(Fitems[size_t(from)]);
    Fitems.erase(Fitems.begin() + from);
    Fitems.insert(Fitems.begin() + to, std::move(tag));
    Changed();
}

void TaudioTagList::MoveUp(int index) {
    if (index > 0) Move(index, index - 1);
}

void TaudioTagList::MoveDown(int index) {
    if (index < Count() - 1) Move(index, index + 1);
}

void TaudioTagList::Assign(const TaudioTagList& source, bool copies, bool keep) {
    if (&source == this) return;
    BeginUpdate();
    if (!keep) Clear();
    for (const auto& tag : source.Fitems) {
        if (copies)
            AddCopy(tag);
        else
            Add(tag);
    }
    EndUpdate();
}

void TaudioTagList::AddTags(const TmyStringList& items, bool keep, bool copies) {
    SetStatus("Adding Files...");
    BeginUpdate();
    if (!keep) Clear();
    for (int i = 0; i < items.Count(); ++i) {
        const TaudioTagPtr tag = items.ObjectAs<TaudioTag>(i);
        if (!tag) continue;
        if (copies)
            AddCopy(tag);
        else
            Add(tag);
        DoListProcess(i + 1, items.Count(), tag);
    }
    EndUpdate();
    DoListProcessFinished();
}

void TaudioTagList::AddFiles(const std::vector<std::string>& names, bool keep) {
    SetStatus("Adding Files...");
    if (!keep) Clear();
    const int count = int(names.size());
    for (int i = 0; i < count; ++i) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(names[size_t(i)], ec)) continue;
        const TaudioTagPtr tag = CreateTagFromFile(names[size_t(i)]);
        DoListProcess(i + 1, count, tag);
    }
    DoListProcessFinished();
}

void TaudioTagList::MergeList(const TaudioTagList& source, const TmyStringList& index) {
    SetStatus("Merging List...");
    const std::vector<TaudioTagPtr> tags = source.Fitems;  // the source may be this list
    BeginUpdate();
    for (size_t i = 0; i < tags.size(); ++i) {
        const TaudioTagPtr& tag = tags[i];
        int at = -1;
        TaudioTagPtr known;
        if (index.Find(tag->Filename().str(), at)) known = index.ObjectAs<TaudioTag>(at);
        if (known) {
            tag->AssignTagInfo(*known);
            if (OnTagFound) OnTagFound(this, false, known);
        } else {
            AddCopy(tag);
            if (OnTagFound) OnTagFound(this, false, tag);
        }
        DoListProcess(int(i) + 1, int(tags.size()), tag);
    }
    EndUpdate();
    DoListProcessFinished();
}

void TaudioTagList::RemoveMissingFiles() {
    SetStatus("Removing Missing Files...");
    BeginUpdate();
    const int count = Count();
    int position = 0;
    for (int i = 0; i < count; ++i) {
        const TaudioTagPtr tag = Fitems[size_t(position)];
        // An internet-radio address is no file.
        const bool address = (tag->MediaType() & mkURL) != 0 || tag->Filename().find("://") != std::string::npos;
        std::error_code ec;
        if (!address && !std::filesystem::exists(tag->Filename().str(), ec))
            Delete(position);
        else
            ++position;
        DoListProcess(i + 1, count, tag);
    }
    EndUpdate();
    DoListProcessFinished();
}

void TaudioTagList::SearchText(const std::string& text, TmyStringList& dest, TmyStringList* seen, bool keep,
                               uint32_t mediaMask, bool anywhere) const {
    const std::string wanted = UpperCase(text);
    dest.BeginUpdate();
    if (!keep) dest.Clear();
    for (const auto& tag : Fitems) {
        if (!InMask(*tag, mediaMask)) continue;
        if (seen && seen->IndexOf(tag->Filename().str()) >= 0) continue;
        const std::string title = UpperCase(tag->Title());
        const size_t at = title.find(wanted);
        if (anywhere ? at == std::string::npos : at != 0) continue;
        dest.AddObject(tag->Title() + " - " + tag->Artist(), tag);
        if (seen) seen->AddObject(tag->Filename().str(), tag);
    }
    dest.EndUpdate();
}

void TaudioTagList::FindByTrackIndex(const std::string& number, TmyStringList& dest, uint32_t mediaMask) const {
    const int wanted = StrToIntDef(number, 0);
    dest.BeginUpdate();
    dest.Clear();
    for (const auto& tag : Fitems)
        if (InMask(*tag, mediaMask) && tag->TrackIndex() == wanted)
            dest.AddObject(tag->Title() + " - " + tag->Artist(), tag);
    dest.EndUpdate();
}

void TaudioTagList::GetDisplayList(TmyStringList& dest, bool skipCDTracks, uint32_t mediaMask) const {
    GetDisplayListEx(dest, skipCDTracks, mediaMask, false, FdisplayFormat);
}

void TaudioTagList::GetDisplayListEx(TmyStringList& dest, bool skipCDTracks, uint32_t mediaMask, bool numbered,
                                     TtagDisplayFormat format) const {
    dest.BeginUpdate();
    dest.Clear();
    for (int i = 0; i < Count(); ++i) {
        const TaudioTagPtr& tag = Fitems[size_t(i)];
        if (tag->MediaType() != 0 && !InMask(*tag, mediaMask)) continue;
        if (skipCDTracks && IsCdTrack(tag->Filename().str())) continue;
        std::string line = tag->GetDisplayText(format);
        if (numbered) line = Format("%3.3d : ", i + 1) + line;
        dest.AddObject(line, tag);
    }
    dest.EndUpdate();
}

void TaudioTagList::GetAlbumArtist(std::string& artist) const {
    for (size_t i = 0; i < Fitems.size() && SameText(Fitems[i]->Album(), Title()); ++i) {
        if (i == 0)
            artist = Fitems[i]->Artist();
        else if (Fitems[i]->Artist() != Fitems[0]->Artist())
            artist = "Compilation";
    }
}

std::string TaudioTagList::Hash() const {
    if (Fitems.empty()) return "0";
    const TaudioTag& first = *Fitems.front();
    const TaudioTag& last = *Fitems.back();
    return FirstChar(first.Artist()) + FirstChar(first.Title()) + FirstChar(first.Album()) +
           FirstChar(last.Artist()) + FirstChar(last.Title()) + FirstChar(last.Album()) +
           Format("%u%u", first.Duration(), last.Duration());
}

void TaudioTagList::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount <= 0) {
        FupdateCount = 0;
        Changed();
    }
}

void TaudioTagList::Changed() {
    ++FchangeCount;
    if (FupdateCount == 0) {
        if (Fsorted && !FsortDone) SortItems(FsortType);
        FollowRandomOrder();
        FplayPosition = 0;
        DoChange();
        if (FmaxExceeded) {
            // Raised once per refusal: later changes do not repeat it.
            FmaxExceeded = false;
            if (OnMaxExceeded) OnMaxExceeded(this);
        }
    }
    FsortDone = false;
}

void TaudioTagList::NoteRandomAdd(const TaudioTagPtr& tag) {
    // Without random state there is no order to follow: the next play builds it anew.
    if (!Frare) return;
    TrandomState& random = Frare->Random;
    ++random.Adds;
    if (random.Order.Count() > 0 && !FnoRandomRebuild) random.Added.push_back(tag);
}

void TaudioTagList::NoteRandomRemove(const TaudioTagPtr& tag) {
    if (!Frare) return;
    TrandomState& random = Frare->Random;
    ++random.Removes;
    if (random.Order.Count() > 0 && !FnoRandomRebuild) random.Removed.push_back(tag);
}

void TaudioTagList::ResetRandomChanges() {
    FrandomReplaced = false;
    if (!Frare) return;
    TrandomState& random = Frare->Random;
    random.Added.clear();
    random.Removed.clear();
    random.Adds = random.Removes = 0;
    random.Base = uint32_t(Fitems.size());
}

void TaudioTagList::FollowRandomOrder() {
    if (!FnoRandomRebuild && Frare) {
        // A list replaced as a whole, or changed by a way the bookkeeping does not see,
        // gets a new order when it is next played from; otherwise the pending order
        // follows the tags added and removed, so a change costs what it changed.
        TrandomState& random = Frare->Random;
        if (FrandomReplaced || size_t(random.Base) + random.Adds != Fitems.size() + random.Removes)
            random.Order.Clear();
        else
            random.Order.Follow(random.Added, random.Removed);
    }
    ResetRandomChanges();
}

void TaudioTagList::DoChange() {
    if (OnChange) OnChange(this);
}

void TaudioTagList::SetStatus(const std::string& text) {
    if (OnListProcessStart) OnListProcessStart(this, text);
}

void TaudioTagList::DoListProcess(int index, int count, const TaudioTagPtr& tag) {
    if (OnListProcess && index % ListProcessFactor() == 0) OnListProcess(this, index, count, tag);
}

void TaudioTagList::DoListProcessFinished() {
    if (OnListProcessFinished) OnListProcessFinished(this);
}

void TaudioTagList::SetSorted(bool v) {
    Fsorted = v;
    if (v) Sort();
}

void TaudioTagList::SetSortType(TaudioTagSortType v) {
    if (FsortType == v) return;
    FsortType = v;
    if (Fsorted) Sort();
}

void TaudioTagList::SetSortOrder(TaudioTagSortOrder v) {
    if (FsortOrder == v) return;
    FsortOrder = v;
    Sort();
}

void TaudioTagList::SetActive(bool v) {
    if (Factive == v) return;
    Factive = v;
    if (v && IsResetOnActivate()) FplayPosition = 0;
    if (OnActiveChanged) OnActiveChanged(this);
}

void TaudioTagList::SetPlayMode(TaudioTagListMode v) {
    if (FplayMode == v) return;
    FplayMode = v;
    if (OnModeChanged) OnModeChanged(this);
}

void TaudioTagList::SetModeFlag(TaudioTagListModes mode, bool value) {
    SetPlayMode(value ? TaudioTagListMode(FplayMode | ModeSet(mode))
                      : TaudioTagListMode(FplayMode & ~ModeSet(mode)));
}

void TaudioTagHistoryList::Add(TaudioTagPtr tag) {
    if (!tag) return;
    tag->SetModDate(Now());
    ++Fadded;
    if (Count() < kKeptEntries) {
        TaudioTagList::Add(std::move(tag));
        return;
    }
    // One change notice for the new entry and the oldest one leaving.
    BeginUpdate();
    TaudioTagList::Add(std::move(tag));
    while (Count() > kKeptEntries) Delete(0);
    EndUpdate();
}

bool TaudioTagHistoryList::AppendLastToTextFile(const std::string& fileName, std::string* error) {
    if (FappendedFile != fileName) {
        FappendedFile.clear();
        if (!SaveToTextFile(fileName, error)) return false;
        FappendedFile = fileName;
        Fwritten = Fadded;
        return true;
    }
    const uint64_t pending = std::min<uint64_t>(Fadded - Fwritten, uint64_t(Count()));
    std::string lines;
    for (int i = Count() - int(pending); i < Count(); ++i)
        lines += GetTag(i)->GetDisplayText(tdfTimeArtistTitleFilename) + "\n";
    std::string reason;
    if (lines.empty() || AppendFileBytes(fileName, lines, &reason)) {
        Fwritten = Fadded;
        return true;
    }
    FappendedFile.clear();
    if (error) *error = reason;
    return false;
}

void TaudioTagHistoryList::GetDisplayList(TmyStringList& dest) const {
    GetDisplayListEx(dest, false, mkAll, false, tdfTimeArtistTitleFilename);
}

bool TaudioTagHistoryList::SaveToTextFile(const std::string& fileName, std::string* error) const {
    TmyStringList lines;
    GetDisplayList(lines);
    const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    return SafeWriteFile(fileName, lines.Text(), error);
}

}  // namespace tunecrest
