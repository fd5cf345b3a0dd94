#include "core/library/genre_year_groupings.h"

#include <chrono>
#include <mutex>
#include <unordered_set>

#include "core/base/shared_utils.h"
#include "core/library/load_threads.h"
#include "core/base/text_utils.h"

namespace tunecrest {

TaudioTagCategory::TaudioTagCategory()
    : Fartists(std::make_unique<TaudioTagArtistList>()), Falbums(std::make_unique<TaudioTagAlbumList>()) {
    SetNoRandomRebuild(true);
    Fartists->UseCompilations = true;
    Fartists->UseNoName = false;
}

namespace {
// Held while a category's deferred artists and albums are made (seldom, and briefly).
// The lists' change notices may ask for them again on the same thread.
std::recursive_mutex gDeferredListsLock;
}  // namespace

void TaudioTagCategory::DeferLists(std::unique_ptr<TdeferredLists> lists) {
    std::lock_guard lock(gDeferredListsLock);
    FdeferredLists = std::move(lists);
    FdeferredTracks.clear();
    FlistsDeferred.store(FdeferredLists != nullptr, std::memory_order_release);
}

void TaudioTagCategory::MakeDeferredLists() const {
    std::lock_guard lock(gDeferredListsLock);
    // Null when another thread made them meanwhile, or when this thread is making them.
    const std::unique_ptr<TdeferredLists> lists = std::move(FdeferredLists);
    if (!lists) return;
    const std::vector<TdeferredTrack> noted = std::move(FdeferredTracks);
    FdeferredTracks.clear();
    if (noted.empty()) {
        lists->Make(*Fartists, *Falbums, Items());
    } else {
        // The tracks as the stored lists knew them: those noted stand in as they were,
        // those that came in since are left to FileDeferredEdits.
        std::unordered_set<const TaudioTag*> moved;
        for (const TdeferredTrack& track : noted) moved.insert(track.Tag.get());
        std::vector<TaudioTagPtr> tracks;
        std::vector<const TaudioTag*> keys;
        tracks.reserve(size_t(Count()) + noted.size());
        keys.reserve(size_t(Count()) + noted.size());
        for (const TaudioTagPtr& tag : Items())
            if (!moved.count(tag.get())) {
                tracks.push_back(tag);
                keys.push_back(tag.get());
            }
        for (const TdeferredTrack& track : noted)
            if (track.StandIn) {
                tracks.push_back(track.StandIn);
                keys.push_back(track.Tag.get());
            }
        lists->Make(*Fartists, *Falbums, tracks, &keys);
        FileDeferredEdits(*Fartists, *Falbums, *this, noted);
    }
    FlistsDeferred.store(false, std::memory_order_release);
}

bool TaudioTagCategory::EditWhileDeferred(const std::function<void(std::vector<TdeferredTrack>& noted)>& edit) {
    std::lock_guard lock(gDeferredListsLock);
    if (!FdeferredLists) return false;
    edit(FdeferredTracks);
    return true;
}

TcategoryListsAhead::~TcategoryListsAhead() {
    Stop();
    Wait();
}

bool TcategoryListsAhead::Start(std::vector<TaudioTagCategoryPtr> categories,
                                std::function<void(const TaudioTagCategoryPtr& category)> made,
                                std::function<void()> done) {
    Stop();
    std::erase_if(categories, [](const TaudioTagCategoryPtr& c) { return !c || !c->ListsDeferred(); });
    if (categories.empty()) return false;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto ended = StartLoadThread(
        [stop, categories = std::move(categories), made = std::move(made), done = std::move(done)] {
            {
                const TtagStampPause pause;
                for (const TaudioTagCategoryPtr& category : categories) {
                    if (stop->load(std::memory_order_relaxed)) return;
                    const TaudioTagCategory& lists = *category;
                    lists.Artists();  // makes both lists
                    if (made) made(category);
                }
            }
            if (done) done();
        },
        true);
    Fthreads.push_back({std::move(stop), std::move(ended)});
    return true;
}

void TcategoryListsAhead::Stop() {
    for (Tthread& thread : Fthreads) thread.Stop->store(true, std::memory_order_relaxed);
    // Threads that have ended are let go; one still making a category ends by itself.
    std::erase_if(Fthreads, [](const Tthread& thread) {
        return thread.Done.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
}

void TcategoryListsAhead::Wait() {
    for (Tthread& thread : Fthreads) thread.Done.wait();
    Fthreads.clear();
}

void TaudioTagCategory::CloseUpdates() {
    if (!ListsDeferred()) {
        if (Falbums->UpdateCount() > 0) Falbums->EndUpdate();
        if (Fartists->UpdateCount() > 0) Fartists->EndUpdate();
    }
    if (UpdateCount() > 0) EndUpdate();
}

void TaudioTagCategory::Add(TaudioTagPtr tag) {
    // Deferred lists are made against the tracks the category holds: before one more.
    MakeLists();
    if (tag && UseArtists && !Loading) {
        Fartists->AddTag(tag);
        if (UseAlbums) Falbums->AddTag(tag);
    }
    FtitleOrderStale = true;
    TaudioTagList::Add(std::move(tag));
}

void TaudioTagCategory::Clear() {
    DeferLists(nullptr);
    Fartists->Clear();
    Falbums->Clear();
    TaudioTagList::Clear();
    FtitleOrderStale = false;
    FsortedCount = 0;
}

void TaudioTagCategory::SortByTitle() {
    if (!FtitleOrderStale && FsortedCount == Count()) return;
    SortBy(tstTitle);
    FtitleOrderStale = false;
    FsortedCount = Count();
}

TaudioTagCategoryList::TaudioTagCategoryList() {
    FwritesListNames = false;
    Fnames.SetSorted(true);
    Fnames.SetDuplicates(Tduplicates::dupIgnore);
}

TaudioTagCategoryPtr TaudioTagCategoryList::CreateCategory(const std::string& name) {
    // Every genre and year files its artists and albums, whatever the list's switches:
    // they only tell the browse tree what to show, so that turning a display mode on
    // later finds the artists and albums there (also in the index files).
    TaudioTagCategoryPtr category = NewCategory();
    category->SetTitle(name);
    // Filled inside its own update bracket, closed by the list's change notice.
    category->BeginUpdate();
    category->Artists().BeginUpdate();
    category->Albums().BeginUpdate();
    AddList(category);
    return category;
}

TaudioTagCategory* TaudioTagCategoryList::AddTag(const TaudioTagPtr& tag) {
    if (!tag) return nullptr;
    const std::string key = KeyOf(*tag);
    auto category = std::static_pointer_cast<TaudioTagCategory>(FindListCached(key));
    if (!category) category = CreateCategory(key);
    category->Add(tag);
    return category.get();
}

TaudioTagCategoryPtr TaudioTagCategoryList::FindCategoryOf(TaudioTag& tag) const {
    return std::static_pointer_cast<TaudioTagCategory>(FindListCached(KeyOf(tag)));
}

void TaudioTagCategoryList::RelinkArtists(TaudioTagCategory& category) {
    TaudioTagArtistList& artists = category.Artists();
    for (int i = 0; i < artists.Count(); ++i)
        if (const auto artist = artists.GetArtist(i)) artist->Albums().Clear();
    artists.BuildFromList(category.Albums());
    // The links are made anew; the names only change with the artists.
    artists.ApplyMappingsToNew();
}

void TaudioTagCategoryList::BuildArtists() {
    SortPending();
    for (const auto& list : Flists) {
        auto category = std::static_pointer_cast<TaudioTagCategory>(list);
        category->Artists().BuildFromList(category->Albums());
        category->Artists().ApplyMappings();
    }
}

TaudioTagCategoryPtr TaudioTagCategoryList::GetCategory(int index) const {
    return std::static_pointer_cast<TaudioTagCategory>(GetList(index));
}

TaudioTagCategoryPtr TaudioTagCategoryList::FindCategory(const std::string& name) const {
    return std::static_pointer_cast<TaudioTagCategory>(FindList(name));
}

void TaudioTagCategoryList::Clear() {
    TaudioTagListList::Clear();
    Fnames.Clear();
}

void TaudioTagCategoryList::Changed() {
    if (UpdateCount() > 0 || Fdestroying) return;
    Fnames.BeginUpdate();
    Fnames.Clear();
    for (const auto& list : Flists) {
        auto category = std::static_pointer_cast<TaudioTagCategory>(list);
        category->CloseUpdates();
        Fnames.AddObject(category->Title(), category);
        category->SortByTitle();
    }
    Fnames.EndUpdate();
    TaudioTagListList::Changed();
}

std::string TaudioTagGenreList::KeyOf(TaudioTag& tag) const {
    if (!tag.GenreString().empty()) return tag.GenreString();
    if (tag.Title().empty()) tag.SetTitle(tag.FilePart());
    return kUndefinedGenre;
}

std::string TaudioTagYearList::KeyOf(TaudioTag& tag) const {
    const int year = YearOfDateText(tag.Date());
    if (year <= 0) return Mode == ymDecades ? kNoDecade : kNoYear;
    return Mode == ymDecades ? std::to_string(year / 10) + "0's" : std::to_string(year);
}

}  // namespace tunecrest
