#include "core/library/tag_list_list.h"

#include <algorithm>

#include "core/base/text_utils.h"

namespace tunecrest {

TaudioTagListList::~TaudioTagListList() {
    Fdestroying = true;
    for (auto& l : Flists) Unhook(*l);
}

void TaudioTagListList::SetActive(bool value) {
    Factive = value;
    if (OnActiveChanged) OnActiveChanged(this);
}

void TaudioTagListList::SetListsOwnObjects(bool value) {
    FlistsOwnObjects = value;
    for (auto& l : Flists) l->SetOwnsObjects(value);
}

int TaudioTagListList::InsertPosition(std::string_view title) const {
    const auto it = std::upper_bound(Flists.begin(), Flists.end(), title, [](std::string_view t, const auto& l) {
        return CompareText(t, l->Title()) < 0;
    });
    return int(it - Flists.begin());
}

void TaudioTagListList::SortPending() const {
    if (FsortedCount >= Flists.size()) {
        FsortedCount = Flists.size();
        return;
    }
    const auto less = [](const TaudioTagListPtr& a, const TaudioTagListPtr& b) {
        return CompareText(a->Title(), b->Title()) < 0;
    };
    // Stable on both steps: lists of one title stay in the order they were added, after
    // those already there, as inserting each after its equals would have put them.
    const auto middle = Flists.begin() + std::ptrdiff_t(FsortedCount);
    // Lists mostly come in order (made from an index file, or an artist's albums taken from
    // the sorted album grouping): then they stay as they are, and nothing is sorted.
    if (std::is_sorted(middle, Flists.end(), less) && (middle == Flists.begin() || !less(*middle, *(middle - 1)))) {
        FsortedCount = Flists.size();
        return;
    }
    if (Flists.end() - middle < 64) {
        std::stable_sort(middle, Flists.end(), less);
    } else {
        // Many new lists (a whole library filed): sorted on keys kept beside them, so
        // most comparisons read no title (see TextSortPrefix).
        std::vector<std::pair<uint64_t, TaudioTagListPtr>> keyed;
        keyed.reserve(size_t(Flists.end() - middle));
        for (auto it = middle; it != Flists.end(); ++it) keyed.emplace_back(TextSortPrefix((*it)->Title()), std::move(*it));
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first < b.first;
            return CompareText(a.second->Title(), b.second->Title()) < 0;
        });
        auto out = middle;
        for (auto& entry : keyed) *out++ = std::move(entry.second);
    }
    const size_t sorted = FsortedCount, added = Flists.size() - FsortedCount;
    if (added * 32 < sorted) {
        // A few lists added to many (one new album among a library's): each finds its
        // place by halving, and the members after it move up in one pass. A merge would
        // compare a title with every member before its place, a whole grouping's worth
        // on the main thread at each track added.
        std::vector<TaudioTagListPtr> pending(std::make_move_iterator(middle), std::make_move_iterator(Flists.end()));
        std::vector<size_t> at(added);
        // After the equal titles already there, as the merge leaves them.
        for (size_t i = 0; i < added; ++i)
            at[i] = size_t(std::upper_bound(Flists.begin(), middle, pending[i], less) - Flists.begin());
        size_t end = sorted;  // members [0, end) are yet to move
        for (size_t i = added; i-- > 0;) {
            std::move_backward(Flists.begin() + std::ptrdiff_t(at[i]), Flists.begin() + std::ptrdiff_t(end),
                               Flists.begin() + std::ptrdiff_t(end + i + 1));
            Flists[at[i] + i] = std::move(pending[i]);
            end = at[i];
        }
    } else {
        std::inplace_merge(Flists.begin(), middle, Flists.end(), less);
    }
    FsortedCount = Flists.size();
}

int TaudioTagListList::IndexOfTitle(std::string_view title) const {
    SortPending();
    const auto it = std::lower_bound(Flists.begin(), Flists.end(), title, [](const auto& l, std::string_view t) {
        return CompareText(l->Title(), t) < 0;
    });
    return it != Flists.end() && SameText((*it)->Title(), title) ? int(it - Flists.begin()) : -1;
}

void TaudioTagListList::AddList(TaudioTagListPtr list, bool hookEvents) {
    if (!list) return;
    list->SetOwnsObjects(FlistsOwnObjects);
    if (hookEvents) {
        // One handler for every member and both events: a member reports itself as the
        // sender, so a grouping of ten thousand albums holds one handler, not twenty thousand.
        if (!FmemberChanged)
            FmemberChanged = [this](TObject* sender) {
                if (FupdateCount == 0 && !Fdestroying && OnPlaylistChange)
                    if (auto* member = dynamic_cast<TaudioTagList*>(sender)) OnPlaylistChange(this, member);
            };
        list->OnChange = FmemberChanged;
        list->OnModeChanged = FmemberChanged;
    }
    if (FupdateCount > 0) {
        Flists.push_back(std::move(list));  // ordered when the bracket closes
    } else {
        SortPending();
        Flists.insert(Flists.begin() + InsertPosition(list->Title()), std::move(list));
        FsortedCount = Flists.size();
    }
    Changed();
}

TaudioTagListPtr TaudioTagListList::AddCopyOfList(const TaudioTagList& source, const std::string& title) {
    auto list = std::make_shared<TaudioTagList>();
    list->Assign(source, true, false);
    list->SetTitle(title);
    AddList(list);
    return list;
}

void TaudioTagListList::Unhook(TaudioTagList& list) {
    list.OnChange = nullptr;
    list.OnModeChanged = nullptr;
}

void TaudioTagListList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    SortPending();
    Unhook(*Flists[size_t(index)]);
    FlastFound.reset();
    if (OwnsObjects) Flists[size_t(index)]->Clear();
    Flists.erase(Flists.begin() + index);
    FsortedCount = Flists.size();
    Changed();
}

void TaudioTagListList::Remove(const TaudioTagList* list) { Delete(IndexOfList(list)); }

void TaudioTagListList::Clear() {
    BeginUpdate();
    while (Count() > 0) Delete(Count() - 1);
    EndUpdate();
}

TaudioTagListPtr TaudioTagListList::GetList(int index) const {
    SortPending();
    return index >= 0 && index < Count() ? Flists[size_t(index)] : nullptr;
}

TaudioTagListPtr TaudioTagListList::FindList(std::string_view title) const {
    const int index = IndexOfTitle(title);
    return index < 0 ? nullptr : Flists[size_t(index)];
}

TaudioTagListPtr TaudioTagListList::FindListCached(std::string_view title) const {
    if (TaudioTagListPtr last = FlastFound.lock(); last && SameText(last->Title(), title)) return last;
    TaudioTagListPtr found = FindList(title);
    FlastFound = found;
    return found;
}

int TaudioTagListList::IndexOfList(const TaudioTagList* list) const {
    SortPending();
    for (size_t i = 0; i < Flists.size(); ++i)
        if (Flists[i].get() == list) return int(i);
    return -1;
}

std::vector<std::string> TaudioTagListList::GetTitles() const {
    SortPending();
    std::vector<std::string> titles;
    for (const auto& l : Flists) titles.push_back(l->Title());
    return titles;
}

int TaudioTagListList::TrackCount() const {
    int n = 0;
    for (const auto& l : Flists) n += l->Count();
    return n;
}

uint64_t TaudioTagListList::TotalDuration() const {
    uint64_t d = 0;
    for (const auto& l : Flists) d += l->TotalDuration();
    return d;
}

TaudioTagListPtr TaudioTagListList::FindListOfTag(const TaudioTag* tag) const {
    SortPending();
    for (const auto& l : Flists)
        if (l->IndexOf(tag) >= 0) return l;
    return nullptr;
}

std::vector<TaudioTagPtr> TaudioTagListList::FindTagsOfFile(const std::string& fileName) const {
    if (FfileIndexStale) {
        // Built on first use after a change: rebuilding it at every change notice
        // would cost a sort of the whole library each time a grouping is filed.
        FfileIndex.clear();
        SortPending();
        for (const auto& l : Flists)
            for (const auto& tag : l->Items()) FfileIndex.emplace_back(tag->Filename(), tag);
        std::stable_sort(FfileIndex.begin(), FfileIndex.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        FfileIndexStale = false;
    }
    std::vector<TaudioTagPtr> tags;
    auto it = std::lower_bound(FfileIndex.begin(), FfileIndex.end(), fileName,
                               [](const auto& e, const std::string& n) { return e.first < n; });
    for (; it != FfileIndex.end() && it->first == fileName; ++it) tags.push_back(it->second);
    return tags;
}

void TaudioTagListList::OrderTitleRun(std::string_view title,
                                       const std::function<int64_t(const TaudioTagList&)>& rank) const {
    SortPending();
    const auto less = [](const TaudioTagListPtr& l, std::string_view t) { return CompareText(l->Title(), t) < 0; };
    const auto first = std::lower_bound(Flists.begin(), Flists.end(), title, less);
    auto last = first;
    while (last != Flists.end() && SameText((*last)->Title(), title)) ++last;
    if (last - first < 2) return;
    std::stable_sort(first, last, [&](const auto& a, const auto& b) { return rank(*a) < rank(*b); });
}

void TaudioTagListList::RenameList(TaudioTagList* list, const std::string& title) {
    const int i = IndexOfList(list);
    if (i < 0) return;
    TaudioTagListPtr keep = Flists[size_t(i)];
    FlastFound.reset();
    Flists.erase(Flists.begin() + i);
    keep->SetTitle(title);
    Flists.insert(Flists.begin() + InsertPosition(title), std::move(keep));
    FsortedCount = Flists.size();
    Changed();
}

void TaudioTagListList::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0) Changed();
}

void TaudioTagListList::Changed() {
    if (FupdateCount > 0 || Fdestroying) return;
    SortPending();
    FfileIndexStale = true;
    FfileIndex.clear();
    if (FwritesListNames)
        for (const auto& l : Flists)
            for (const auto& tag : l->Items()) tag->SetListName(l->Title());
    DoChange();
}

void TaudioTagListList::DoChange() {
    if (OnChange) OnChange(this);
}

void TaudioTagPlaylistList::Delete(int index) {
    const TaudioTagListPtr list = GetList(index);
    if (list && list == Current()) Fcurrent.reset();
    TaudioTagListList::Delete(index);
}

void TaudioTagPlaylistList::Remove(const TaudioTagList* list) { Delete(IndexOfList(list)); }

}  // namespace tunecrest
