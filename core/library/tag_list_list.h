#pragma once
// Lists of tag lists: the named playlists, the stacker cartridges and the album,
// artist, genre and year groupings. Member lists are kept in title order (without
// regard to case, equal titles allowed); a file index finds the member tags by file
// name. Groupings point at the global list's tags and never own them.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/base/lazy_map.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"

namespace tunecrest {

using TaudioTagListPtr = std::shared_ptr<TaudioTagList>;
using TlistPlaylistChangeEvent = std::function<void(TObject* Sender, TaudioTagList* List)>;

class TaudioTagListList : public TObject {
public:
    TaudioTagListList() = default;
    ~TaudioTagListList() override;
    TaudioTagListList(const TaudioTagListList&) = delete;
    TaudioTagListList& operator=(const TaudioTagListList&) = delete;

    TeventSlot<TNotifyEvent> OnChange;
    TeventSlot<TNotifyEvent> OnActiveChanged;
    TeventSlot<TlistPlaylistChangeEvent> OnPlaylistChange;

    bool OwnsObjects = false;
    bool Active() const { return Factive; }
    void SetActive(bool value);
    bool ListsOwnObjects() const { return FlistsOwnObjects; }
    void SetListsOwnObjects(bool value);

    // Files the list under its title, hooks its change and mode events (unless
    // `hookEvents` is false: a list that only points at another grouping's members)
    // and runs the change notice.
    void AddList(TaudioTagListPtr list, bool hookEvents = true);
    // A new list of clones of `source`'s tags under `title`.
    TaudioTagListPtr AddCopyOfList(const TaudioTagList& source, const std::string& title);
    virtual void Delete(int index);
    virtual void Remove(const TaudioTagList* list);
    virtual void Clear();
    int Count() const { return int(Flists.size()); }
    TaudioTagListPtr GetList(int index) const;
    // Every member, in order.
    const std::vector<TaudioTagListPtr>& Lists() const {
        SortPending();
        return Flists;
    }
    // The first member of that title (without regard to case), or nullptr. Found by
    // halving the members in title order: no table of every title is kept beside them
    // (a large library has hundreds of thousands of albums and artists, and as many more
    // in its genres and years).
    TaudioTagListPtr FindList(std::string_view title) const;
    // The index of the first member of that title, or -1.
    int IndexOfTitle(std::string_view title) const;
    // FindList for the filing of tracks: the member used last is tried first, since a
    // library lists the tracks of one album, artist or genre together.
    TaudioTagListPtr FindListCached(std::string_view title) const;
    int IndexOfList(const TaudioTagList* list) const;
    std::vector<std::string> GetTitles() const;
    int TrackCount() const;
    uint64_t TotalDuration() const;
    // The first member that holds the tag (the same object).
    TaudioTagListPtr FindListOfTag(const TaudioTag* tag) const;
    // Every member tag of that file name (exact), through the file index.
    std::vector<TaudioTagPtr> FindTagsOfFile(const std::string& fileName) const;
    void RenameList(TaudioTagList* list, const std::string& title);
    // Puts the members of that title (without regard to case) in the order of `rank`,
    // equal ranks as they are: for a grouping whose members of one title are in the
    // order their first tracks have in the library.
    void OrderTitleRun(std::string_view title, const std::function<int64_t(const TaudioTagList&)>& rank) const;

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FupdateCount; }
    // Unless updating: renews the file index, writes each tag's list name, raises OnChange.
    virtual void Changed();

protected:
    virtual void DoChange();
    void Unhook(TaudioTagList& list);
    // Puts the lists added inside the current update bracket into title order. Lists
    // added while updating are appended and ordered once, so that filing a library
    // does not move the vector at every new album; every reader of `Flists` by
    // position calls this first (the change notice does it too).
    void SortPending() const;
    bool Fdestroying = false;
    // Playlists and cartridges tell their tags which list they were filed under. The
    // groupings share the global list's tags with each other, where that name would only
    // say which grouping changed last, so they leave it alone.
    bool FwritesListNames = true;
    mutable std::vector<TaudioTagListPtr> Flists;

private:
    int InsertPosition(std::string_view title) const;
    // Flists[0, FsortedCount) is in title order; the rest was appended while updating.
    mutable size_t FsortedCount = 0;
    bool Factive = false;
    bool FlistsOwnObjects = false;
    mutable bool FfileIndexStale = true;  // (with the flags above: no padding)
    int FupdateCount = 0;
    // Every member tag by file name, sorted; rebuilt on first use after a change.
    mutable std::vector<std::pair<std::string, TaudioTagPtr>> FfileIndex;
    mutable std::weak_ptr<TaudioTagList> FlastFound;
    // The change and mode handler AddList gives the members.
    TeventSlot<TNotifyEvent> FmemberChanged;
};

enum TplaylistListMode { plmNormal, plmStacker };

class TaudioTagPlaylistList : public TaudioTagListList {
public:
    TplaylistListMode Mode = plmNormal;
    TaudioTagListPtr Current() const { return Fcurrent.lock(); }
    void SetCurrent(const TaudioTagListPtr& list) { Fcurrent = list; }
    void Delete(int index) override;
    void Remove(const TaudioTagList* list) override;

private:
    std::weak_ptr<TaudioTagList> Fcurrent;
};

}  // namespace tunecrest
