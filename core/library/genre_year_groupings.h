#pragma once
// The library by genre and by year or decade. Each genre or year keeps its tracks and
// its own artist and album groupings, so that a browse tree can show its artists and
// albums below it.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/library/album_artist_groupings.h"

namespace tunecrest {

inline constexpr const char* kUndefinedGenre = "[Undefined]";
inline constexpr const char* kNoYear = "[No Year]";
inline constexpr const char* kNoDecade = "[No Decade]";

// A genre or a year: its tracks, artists and albums.
class TaudioTagCategory : public TaudioTagList {
public:
    TaudioTagCategory();
    bool UseAlbums = true;
    bool UseArtists = true;
    // Set while an index file fills the artist and album lists, so Add files nothing twice.
    bool Loading = false;
    // Asking for either makes the artists and albums an index file left for later.
    TaudioTagArtistList& Artists() {
        MakeLists();
        return *Fartists;
    }
    const TaudioTagArtistList& Artists() const {
        MakeLists();
        return *Fartists;
    }
    TaudioTagAlbumList& Albums() {
        MakeLists();
        return *Falbums;
    }
    const TaudioTagAlbumList& Albums() const {
        MakeLists();
        return *Falbums;
    }
    void Add(TaudioTagPtr tag) override;
    void Clear() override;

    // Artists and albums read from an index file, made the first time either is asked
    // for: a browse tree opens a few genres and years, and making the artists and albums
    // of every one of them took a quarter of a library's loading time.
    class TdeferredLists {
    public:
        virtual ~TdeferredLists() = default;
        // Fills `artists` and `albums` (their update brackets open) from the category's
        // `tracks`, then closes the brackets and links the albums to the artists.
        // `keys`, when given, names for each of `tracks` the track the stored lists knew
        // (a stand-in holds a track's fields as they were then).
        virtual void Make(TaudioTagArtistList& artists, TaudioTagAlbumList& albums,
                          const std::vector<TaudioTagPtr>& tracks,
                          const std::vector<const TaudioTag*>* keys = nullptr) = 0;
    };
    // A track that came into or left the category while its artists and albums waited.
    struct TdeferredTrack {
        TaudioTagPtr Tag;
        // The track with its fields as the waiting lists hold it; null when it came in since.
        TaudioTagPtr StandIn;
    };
    // Runs `edit` on the tracks noted so far, under the lock the lists are made under, when
    // the lists still wait; false (and nothing run) when they are made. The edit changes
    // the category's tracks and notes each track it takes out or puts in: when the lists
    // are made they are made as stored from the tracks as they were, and the noted tracks
    // are then moved as an edit files them (FileDeferredEdits), so a change costs no
    // making of lists nobody has asked for yet.
    bool EditWhileDeferred(const std::function<void(std::vector<TdeferredTrack>& noted)>& edit);
    // The artists and albums come from `lists` when first asked for; until then their
    // update brackets stay open. Any track added to the category makes them first, so
    // they always match its tracks. Safe to ask for from several threads.
    void DeferLists(std::unique_ptr<TdeferredLists> lists);
    bool ListsDeferred() const { return FlistsDeferred.load(std::memory_order_acquire); }
    // Closes the update brackets of the category and of its artists and albums (those
    // left for later stay open).
    void CloseUpdates();
    // Puts the tracks in title order when tracks came in since the last time.
    void SortByTitle();
    // Tells the category that its tracks are in title order (after tracks were put in
    // at their places one by one), so the next change notice does not check it again.
    void KeepTitleOrder() {
        FtitleOrderStale = false;
        FsortedCount = Count();
    }

private:
    void MakeLists() const {
        if (ListsDeferred()) MakeDeferredLists();
    }
    void MakeDeferredLists() const;
    bool FtitleOrderStale = false;
    int FsortedCount = 0;
    std::unique_ptr<TaudioTagArtistList> Fartists;
    std::unique_ptr<TaudioTagAlbumList> Falbums;
    mutable std::atomic<bool> FlistsDeferred{false};
    mutable std::unique_ptr<TdeferredLists> FdeferredLists;
    mutable std::vector<TdeferredTrack> FdeferredTracks;
};

// Moves the tracks noted while a category's lists waited in the lists just made (the
// category's `tracks` as they are now): grouping_edits.cpp.
void FileDeferredEdits(TaudioTagArtistList& artists, TaudioTagAlbumList& albums, const TaudioTagList& tracks,
                       const std::vector<TaudioTagCategory::TdeferredTrack>& noted);
using TaudioTagCategoryPtr = std::shared_ptr<TaudioTagCategory>;

// Makes the artists and albums that index files left for later, of the categories given
// and in their order, on a thread of its own, so that a browse tree that shows them finds
// them made instead of making each as it comes to it. A category the tree reaches first
// is made there as before (the two never make one twice); a track of such a category is
// never stamped by the thread (see TtagStampPause). Stopping lets the category being made
// finish without waiting for it (the main thread never waits for a whole category);
// destruction waits.
class TcategoryListsAhead {
public:
    TcategoryListsAhead() = default;
    ~TcategoryListsAhead();
    TcategoryListsAhead(const TcategoryListsAhead&) = delete;
    TcategoryListsAhead& operator=(const TcategoryListsAhead&) = delete;
    // Stops a thread under way, then starts one when any of `categories` has lists to make.
    // `made`, when given, is called on that thread after each category's lists are made;
    // `done`, when given, runs on that thread once it has made them all (not when stopped).
    // False when no thread was needed.
    bool Start(std::vector<TaudioTagCategoryPtr> categories,
               std::function<void(const TaudioTagCategoryPtr& category)> made = {},
               std::function<void()> done = nullptr);
    void Stop();
    // Waits until every thread started has ended.
    void Wait();
    // A thread was started and has not been stopped (it may have finished its work).
    bool Started() const { return !Fthreads.empty() && !Fthreads.back().Stop->load(); }
    // A thread is still at work.
    bool Running() const {
        return std::any_of(Fthreads.begin(), Fthreads.end(), [](const Tthread& thread) {
            return thread.Done.wait_for(std::chrono::seconds(0)) == std::future_status::timeout;
        });
    }

private:
    struct Tthread {
        std::shared_ptr<std::atomic<bool>> Stop;
        std::future<void> Done;
    };
    std::vector<Tthread> Fthreads;
};

class TaudioTagGenre : public TaudioTagCategory {
public:
    const std::string& Genre() const { return Title(); }
};
class TaudioTagYear : public TaudioTagCategory {
public:
    const std::string& Year() const { return Title(); }
};

// The grouping lists of genres and of years: the name list is rebuilt and every
// category sorted by title at each change notice.
class TaudioTagCategoryList : public TaudioTagListList {
public:
  // Whether the browse tree shows each category's artists and albums. Only stored:
  // every new category files both (a category's own switches decide its filing).
  bool UseAlbums = true;
  bool UseArtists = true;
  // Files a tag under its category key; returns that category.
  TaudioTagCategory* AddTag(const TaudioTagPtr& tag);
  // Links one category's albums to its artists anew and rebuilds its display names
  // (after tracks were added to it).
  static void RelinkArtists(TaudioTagCategory& category);
  // Every category links its albums to its artists and rebuilds its display names.
  void BuildArtists();
  // The category names with their categories, sorted without regard to case.
  const TmyStringList& Names() const { return Fnames; }
  void GetNames(TmyStringList& list) const { list.Assign(Fnames); }
  TaudioTagCategoryPtr GetCategory(int index) const;
  TaudioTagCategoryPtr FindCategory(const std::string& name) const;
  // The name AddTag files the tag under, and the category of that name (or null).
  std::string CategoryKey(TaudioTag& tag) const { return KeyOf(tag); }
  TaudioTagCategoryPtr FindCategoryOf(TaudioTag& tag) const;
  // A new, empty category of that name, added (used by the index files).
  TaudioTagCategoryPtr CreateCategory(const std::string& name);
  // The name AddTag files a tag under (an untitled track may take its file name).
  std::string FilingKey(TaudioTag& tag) const { return KeyOf(tag); }
  void Clear() override;
  void Changed() override;

  // The genre ("IXGR") or year ("IXYR") index file: per category its name, the
  // positions of its tracks in the global list, then its artists as a whole "IXAR"
  // stream and its albums as a whole "IXAL" stream (grouping_index_files.cpp).
  void SaveToStream(TbyteWriter& w) const;
  // The signature and the count, the start of SaveToStream (see TindexFileWriter).
  void SaveHeadToStream(TbyteWriter& w) const;
  // Clears the grouping and rebuilds it from the stream against `master`; on damage
  // false with a reason and an empty grouping.
  bool LoadFromStream(TbyteReader& r, const TaudioTagList& master, std::string* error = nullptr);
  bool SaveToFile(const std::string& name, std::string* error = nullptr) const;
  bool LoadFromFile(const std::string& name, const TaudioTagList& master, std::string* error = nullptr);
  // The index file read and checked, not yet filed: LoadFromFile in steps, so that the
  // file is read before any grouping is touched and several threads fill the categories.
  struct TstoredIndex;
  // Null, with a reason, when the file cannot be used; the grouping is left as it is.
  // `masterCount` -1: the library is still loading, and the caller checks the largest
  // position the file holds once it has.
  std::shared_ptr<const TstoredIndex> ReadIndexFile(const std::string& name, int masterCount,
                                                    std::string* error = nullptr) const;
  // Filling the grouping from a file ReadIndexFile took against `master` (no category
  // shares anything with another). StartLoad clears the grouping and makes the
  // categories, in the file's order; FillNext fills one category no thread has taken yet,
  // false when none is left, and may run on several threads at once; FinishLoad fills
  // what is left and closes the load. StartLoad and FinishLoad run on the thread that
  // owns the grouping. `link`: each category also links its albums to its artists, as
  // BuildArtists would.
  class Tload;
  struct TloadDelete {
      void operator()(Tload* load) const;
  };
  using TloadPtr = std::unique_ptr<Tload, TloadDelete>;
  TloadPtr StartLoad(std::shared_ptr<const TstoredIndex> stored, const TaudioTagList& master, bool link);
  static bool FillNext(Tload& load);
  void FinishLoad(TloadPtr load);

protected:
    TaudioTagCategoryList();
    // The signature of the grouping's index file.
    virtual std::string_view IndexMagic() const = 0;
    // The name a tag is filed under.
    virtual std::string KeyOf(TaudioTag& tag) const = 0;
    virtual TaudioTagCategoryPtr NewCategory() const = 0;

private:
    TmyStringList Fnames;
};

class TaudioTagGenreList : public TaudioTagCategoryList {
public:
    TaudioTagCategoryPtr GetGenre(int index) const { return GetCategory(index); }
    TaudioTagCategoryPtr FindGenre(const std::string& name) const { return FindCategory(name); }

protected:
    // The genre text, or "[Undefined]" (a tag without title then takes its file name).
    std::string KeyOf(TaudioTag& tag) const override;
    TaudioTagCategoryPtr NewCategory() const override { return std::make_shared<TaudioTagGenre>(); }
    std::string_view IndexMagic() const override { return "IXGR"; }
};

enum TaudioTagYearMode { ymYears, ymDecades };

class TaudioTagYearList : public TaudioTagCategoryList {
public:
    TaudioTagYearMode Mode = ymYears;
    TaudioTagCategoryPtr GetYear(int index) const { return GetCategory(index); }
    TaudioTagCategoryPtr FindYear(const std::string& name) const { return FindCategory(name); }

protected:
    // The year of the date text ("1987"), or its decade ("1980's"); "[No Year]" or
    // "[No Decade]" when the date holds no year.
    std::string KeyOf(TaudioTag& tag) const override;
    TaudioTagCategoryPtr NewCategory() const override { return std::make_shared<TaudioTagYear>(); }
    std::string_view IndexMagic() const override { return "IXYR"; }
};

}  // namespace tunecrest
