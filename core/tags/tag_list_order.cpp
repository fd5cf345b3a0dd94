// Sorting a tag list by one of its keys, and handing out its tracks for play in
// list order (once or looping) or in a random order that visits every track once
// before any repeats.
#include <algorithm>
#include <unordered_map>

#include "core/base/services.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

template <typename T>
int CompareNumbers(T a, T b) {
    return (a > b) - (a < b);  // never a difference: no overflow for large values
}

int CompareKeys(const TaudioTag& a, const TaudioTag& b, TaudioTagSortType sortType) {
    auto byTitle = [&] { return CompareText(a.Title(), b.Title()); };
    auto thenTitle = [&](int first) { return first != 0 ? first : byTitle(); };
    switch (sortType) {
        case tstTitle: return byTitle();
        case tstArtist: return thenTitle(CompareText(a.Artist(), b.Artist()));
        case tstAlbum: {
            int c = CompareText(a.Album(), b.Album());
            if (c == 0) c = CompareNumbers(a.TrackNo(), b.TrackNo());
            return thenTitle(c);
        }
        case tstTrackTitle: return thenTitle(CompareNumbers(a.TrackNo(), b.TrackNo()));
        case tstComment: return thenTitle(CompareText(a.Comment(), b.Comment()));
        case tstGenre: return thenTitle(CompareText(a.GenreString(), b.GenreString()));
        case tstYear: return thenTitle(CompareText(a.Date(), b.Date()));
        case tstDuration: return thenTitle(CompareNumbers(a.Duration(), b.Duration()));
        case tstSampleRate: return thenTitle(CompareNumbers(a.SampleRate(), b.SampleRate()));
        case tstBitrate: return thenTitle(CompareNumbers(a.BitRate(), b.BitRate()));
        case tstChannels: return thenTitle(CompareNumbers(a.Channels(), b.Channels()));
        case tstTagType: return thenTitle(CompareText(a.TagType(), b.TagType()));
        case tstTrackFilename: {
            const int c = CompareNumbers(a.TrackNo(), b.TrackNo());
            return c != 0 ? c : CompareText(a.Filename().str(), b.Filename().str());
        }
        case tstCaption: return CompareText(a.Caption(), b.Caption());
    }
    return 0;
}

// Sorting by title (or by number, then title) on precomputed keys (TextSortPrefix):
// only titles sharing their first eight letters are compared in full. The keys sit
// side by side, so a large list sorts without reaching into every tag at each
// comparison, in exactly the order of the plain stable sort.
struct TtitleKey {
    uint32_t Number;
    uint64_t Prefix, Prefix2;  // letters 1-8 and 9-16 (titles often share their first word)
    const TaudioTag* Tag;
    TaudioTagPtr* Item;
};

int CompareTitleKeys(const TtitleKey& a, const TtitleKey& b) {
    if (a.Number != b.Number) return a.Number < b.Number ? -1 : 1;
    if (a.Prefix != b.Prefix) return a.Prefix < b.Prefix ? -1 : 1;
    if (a.Prefix2 != b.Prefix2) return a.Prefix2 < b.Prefix2 ? -1 : 1;
    return CompareText(a.Tag->Title(), b.Tag->Title());
}

TtitleKey KeyOf(TaudioTagPtr& item, bool byNumber) {
    const std::string& title = item->Title();
    // Equal first keys mean equal folded letters where both titles have them: the next
    // eight letters then order them as the first eight would.
    const uint64_t next = title.size() > 8 ? TextSortPrefix(std::string_view(title).substr(8)) : 0;
    return TtitleKey{byNumber ? item->TrackNo() : 0u, TextSortPrefix(title), next, item.get(), &item};
}

// Where the sorted run at the start of `items` ends, as std::is_sorted_until finds it.
// Most lists checked are in order already, and their tracks lie all over the library:
// each comparison waits for two tags from memory unless they are asked for ahead.
template <typename Less>
std::vector<TaudioTagPtr>::iterator SortedUntil(std::vector<TaudioTagPtr>& items, Less less) {
    constexpr size_t kTagsAhead = 16, kTextAhead = 8;
    const size_t n = items.size();
    for (size_t i = 1; i < n; ++i) {
        if (i + kTagsAhead < n) items[i + kTagsAhead]->PrefetchSortKeys();
        if (i + kTextAhead < n) items[i + kTextAhead]->PrefetchTitleText();
        if (less(items[i], items[i - 1])) return items.begin() + std::ptrdiff_t(i);
    }
    return items.end();
}

// Below this many tracks the plain sort is as quick.
constexpr std::ptrdiff_t kKeyedSortMin = 64;

template <typename It>
void StableSortByTitleKeys(It first, It last, bool byNumber, int direction) {
    std::vector<TtitleKey> keys;
    keys.reserve(size_t(last - first));
    for (It it = first; it != last; ++it)
        keys.push_back(KeyOf(*it, byNumber));
    std::stable_sort(keys.begin(), keys.end(),
                     [direction](const TtitleKey& a, const TtitleKey& b) { return direction * CompareTitleKeys(a, b) < 0; });
    std::vector<TaudioTagPtr> sorted;
    sorted.reserve(keys.size());
    for (const TtitleKey& key : keys) sorted.push_back(std::move(*key.Item));
    std::move(sorted.begin(), sorted.end(), first);
}

}  // namespace

void TrandomPointerList::Rebuild(const std::vector<TaudioTagPtr>& items) {
    Fitems = items;
    Ffirst = 0;
    Fdrawn = 0;
}

void TrandomPointerList::DrawUntil(size_t index) const {
    // Each place takes an entry from strictly after it (Sattolo's shuffle, front to
    // back), so the whole order is a single cycle through all tracks and every track
    // leaves its place. The last place keeps what is left for it.
    const size_t n = Fitems.size();
    if (n == 0) return;
    const size_t last = std::min(index, n - 1);
    for (; Fdrawn <= last; ++Fdrawn) {
        const size_t after = n - 1 - Fdrawn;
        if (after == 0) continue;
        std::swap(Fitems[Fdrawn], Fitems[Fdrawn + 1 + size_t(Random(int(after)))]);
    }
}

void TrandomPointerList::Follow(const std::vector<TaudioTagPtr>& added, const std::vector<TaudioTagPtr>& removed) {
    if (Count() == 0) return;
    // Each added tag is put at the end and exchanged with a pending entry picked at
    // random, itself included: it lands at any pending place with equal chance, and a
    // random order stays random. An entry already drawn that it displaces goes to the
    // places still to be drawn, which are in no order that matters.
    for (const auto& tag : added) {
        Fitems.push_back(tag);
        const size_t pending = Fitems.size() - Ffirst;
        std::swap(Fitems.back(), Fitems[Ffirst + size_t(Random(int(pending)))]);
    }
    // Removals last: a tag added and removed again inside one update bracket is gone.
    if (!removed.empty()) {
        // One pass over the pending entries; each removal takes one entry of its tag.
        std::unordered_map<const TaudioTag*, size_t> leaving;
        for (const auto& tag : removed) ++leaving[tag.get()];
        size_t drawnLeaving = 0;
        size_t at = Ffirst;
        const auto kept = std::remove_if(Fitems.begin() + std::ptrdiff_t(Ffirst), Fitems.end(), [&](const TaudioTagPtr& t) {
            const bool drawn = at++ < Fdrawn;
            const auto it = leaving.find(t.get());
            if (it == leaving.end() || it->second == 0) return false;
            --it->second;
            drawnLeaving += drawn;
            return true;
        });
        Fitems.erase(kept, Fitems.end());
        Fdrawn -= std::min(Fdrawn, drawnLeaving);
    }
    if (Ffirst >= Fitems.size()) Clear();
}

TaudioTagPtr TrandomPointerList::TakeFirst() {
    if (Ffirst >= Fitems.size()) return nullptr;
    DrawUntil(Ffirst);
    TaudioTagPtr tag = std::move(Fitems[Ffirst++]);
    if (Ffirst == Fitems.size()) Clear();
    return tag;
}

TaudioTagPtr TrandomPointerList::Get(int index) const {
    if (index < 0 || size_t(index) >= Fitems.size() - Ffirst) return nullptr;
    DrawUntil(Ffirst + size_t(index));
    return Fitems[Ffirst + size_t(index)];
}

void TaudioTagList::SortItems(TaudioTagSortType sortType) {
    const int direction = FsortOrder == tsoAscending ? 1 : -1;
    const auto less = [&](const TaudioTagPtr& a, const TaudioTagPtr& b) {
        return direction * CompareKeys(*a, *b, sortType) < 0;
    };
    // A stable sort leaves a sorted list as it is; the groupings re-sort their lists at
    // every change notice, mostly when they already are in order or have a few tracks
    // appended. Only the part after the sorted run is sorted, then merged in: the same
    // order a stable sort of the whole list gives, at the cost of the tracks added.
    const auto sortedEnd = SortedUntil(Fitems, less);
    if (sortedEnd != Fitems.end()) {
        if ((sortType == tstTitle || sortType == tstTrackTitle) && Fitems.end() - sortedEnd >= kKeyedSortMin)
            StableSortByTitleKeys(sortedEnd, Fitems.end(), sortType == tstTrackTitle, direction);
        else
            std::stable_sort(sortedEnd, Fitems.end(), less);
        std::inplace_merge(Fitems.begin(), sortedEnd, Fitems.end(), less);
    }
    FsortDone = true;
}

void TaudioTagList::Sort() { SortBy(FsortType); }

void TaudioTagList::SortBy(TaudioTagSortType sortType) {
    if (Fitems.empty()) return;
    SortItems(sortType);
    if (FnoChangeOnSort)
        FsortDone = false;  // no change notice follows to clear it; the next change must sort again
    else
        Changed();
}

TaudioTagPtr TaudioTagList::PeekNext() {
    if (!Factive || Fitems.empty()) return nullptr;
    if (!IsRandom()) {
        if (FplayPosition >= Count() && IsLoop()) FplayPosition = 0;
        if (FplayPosition >= Count()) return nullptr;
        return Fitems[size_t(FplayPosition)];
    }
    TrandomPointerList& order = RandomState().Order;
    if (order.Count() == 0) {
        order.Rebuild(Fitems);
        ResetRandomChanges();  // the changes so far are in the new order already
    }
    return order.Get(0);
}

TaudioTagPtr TaudioTagList::GetNext() {
    if (!Factive || Fitems.empty()) return nullptr;
    TaudioTagPtr tag = PeekNext();
    if (IsRandom())
        RandomState().Order.TakeFirst();
    else if (tag)
        ++FplayPosition;
    return tag;
}

void TaudioTagList::Shuffle() {
    BeginUpdate();
    // Fisher-Yates in place: the same tags in a new order, none dropped by the
    // list's limit or duplicate check.
    for (size_t i = Fitems.size(); i-- > 1;) std::swap(Fitems[i], Fitems[size_t(Random(int(i) + 1))]);
    // Every tag is filed again in its new place, as adding it would: an unnumbered tag
    // takes the number after the tag before it, and each takes the next insertion sequence.
    for (size_t i = 0; i < Fitems.size(); ++i) {
        TaudioTag& tag = *Fitems[i];
        if (tag.TrackIndex() == 0) tag.SetTrackIndex(i == 0 ? 1 : Fitems[i - 1]->TrackIndex() + 1);
        tag.SetSequence(++FinsertionCounter);
    }
    EndUpdate();
}

}  // namespace tunecrest
