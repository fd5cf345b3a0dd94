// The counted references that hold tracks: a track lives while any reference (or a shared
// object made from one) holds it and goes with the last; one made by std::make_shared is
// taken over while references hold it, as often as they come and go, and never freed under
// the shared pointer that still owns it; references move between threads.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "core/base/string_lists.h"
#include "core/tags/audio_tag.h"
#include "core/tags/tag_list.h"

namespace tunecrest {
namespace {

// A track that tells when it goes.
struct WatchedTag : TaudioTag {
    explicit WatchedTag(std::atomic<int>* gone) : Gone(gone) {}
    ~WatchedTag() override { ++*Gone; }
    std::atomic<int>* Gone;
};

TEST(AudioTagRefs, ATrackLivesWhileAnyReferenceHoldsIt) {
    TaudioTagPtr tag = NewAudioTag();
    tag->SetTitle("Held");
    EXPECT_EQ(tag.use_count(), 1);
    TaudioTagPtr copy = tag;
    EXPECT_EQ(tag.use_count(), 2);
    EXPECT_EQ(copy, tag);
    TaudioTagPtr moved = std::move(copy);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(tag.use_count(), 2);
    // A shared object made from a reference holds a count of its own.
    std::shared_ptr<TObject> object = tag;
    EXPECT_EQ(tag.use_count(), 3);
    tag.reset();
    moved.reset();
    EXPECT_EQ(std::dynamic_pointer_cast<TaudioTag>(object)->Title(), "Held");
    TaudioTagPtr back = std::dynamic_pointer_cast<TaudioTag>(object);
    EXPECT_EQ(back.use_count(), 2);
    object.reset();
    EXPECT_EQ(back.use_count(), 1);
    EXPECT_EQ(back->Title(), "Held");
    // A list's copy of a clone is a track of its own.
    const TaudioTagPtr clone = back->Clone();
    EXPECT_NE(clone, back);
    EXPECT_EQ(clone.use_count(), 1);
    EXPECT_EQ(clone->Title(), "Held");
}

TEST(AudioTagRefs, ATrackOfASharedPointerIsTakenOverAndNeverFreedUnderIt) {
    std::atomic<int> gone{0};
    {
        std::shared_ptr<TaudioTag> owner = std::make_shared<WatchedTag>(&gone);
        TaudioTagList list;
        list.Add(owner);  // taken over
        list.Add(owner);  // the same track twice
        EXPECT_EQ(list.GetTag(0), list.GetTag(1));
        EXPECT_EQ(list.GetTag(0).get(), owner.get());
        // References come and go while the owner keeps it: it stays.
        list.Clear();
        EXPECT_EQ(gone, 0);
        // Taken over again, as often as references come back.
        { TaudioTagPtr again = owner; }
        TaudioTagPtr again = owner;
        EXPECT_EQ(again.use_count(), 1);
        owner.reset();
        EXPECT_EQ(gone, 0) << "the reference holds it now";
        std::shared_ptr<TObject> object = again;
        again.reset();
        EXPECT_EQ(gone, 0) << "the shared object holds it";
        object.reset();
        EXPECT_EQ(gone, 1);
    }
    EXPECT_EQ(gone, 1);
    // A shared pointer that outlives every reference frees the track itself, once.
    {
        std::shared_ptr<TaudioTag> owner = std::make_shared<WatchedTag>(&gone);
        { TaudioTagPtr held = owner; }
        EXPECT_EQ(gone, 1);
    }
    EXPECT_EQ(gone, 2);
}

TEST(AudioTagRefs, ReferencesMoveBetweenThreads) {
    constexpr int kTracks = 64, kThreads = 4, kRounds = 2000;
    std::atomic<int> gone{0};
    std::vector<TaudioTagPtr> tracks;
    std::vector<std::shared_ptr<TaudioTag>> owners;
    for (int i = 0; i < kTracks; ++i) {
        owners.push_back(std::make_shared<WatchedTag>(&gone));
        tracks.push_back(i % 2 ? TaudioTagPtr(owners.back()) : NewAudioTag());
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&tracks, &owners, t] {
            std::vector<TaudioTagPtr> mine;
            for (int r = 0; r < kRounds; ++r) {
                const int i = (r * 7 + t * 13) % kTracks;
                mine.push_back(r % 3 ? tracks[size_t(i)] : TaudioTagPtr(owners[size_t(i)]));
                if (mine.size() > 16) mine.erase(mine.begin());
            }
        });
    for (auto& thread : threads) thread.join();
    for (const TaudioTagPtr& tag : tracks) EXPECT_EQ(tag.use_count(), 1);
    tracks.clear();
    EXPECT_EQ(gone, 0) << "the owners still hold the tracks made by make_shared";
    owners.clear();
    EXPECT_EQ(gone, kTracks);
}

}  // namespace
}  // namespace tunecrest
