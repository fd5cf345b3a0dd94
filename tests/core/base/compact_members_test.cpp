// The compact members that keep a library's many tags and lists small: event slots,
// pooled texts, lazily made maps.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/base/event_lists.h"
#include "core/base/event_slot.h"
#include "core/base/lazy_map.h"
#include "core/base/pooled_text.h"

using namespace tunecrest;

namespace {
using TtextEvent = std::function<void(TObject* Sender, const std::string& Text)>;
void NoHandler(TObject*) {}
}  // namespace

TEST(EventSlot, SetCallCopyAndClear) {
    TeventSlot<TtextEvent> slot;
    EXPECT_FALSE(slot);
    slot(nullptr, "ignored");  // an unset void event does nothing

    std::vector<std::string> seen;
    slot = [&seen](TObject*, const std::string& text) { seen.push_back(text); };
    ASSERT_TRUE(slot);
    slot(nullptr, "one");

    TeventSlot<TtextEvent> copy = slot;  // shares the handler
    copy(nullptr, "two");
    slot = nullptr;
    EXPECT_FALSE(slot);
    EXPECT_TRUE(copy);
    copy(nullptr, "three");
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two", "three"}));

    TeventSlot<TtextEvent> moved = std::move(copy);
    EXPECT_FALSE(copy);
    EXPECT_TRUE(moved);

    // Null function pointers and empty std::functions leave the slot unset.
    TeventSlot<TNotifyEvent> notify = static_cast<void (*)(TObject*)>(nullptr);
    EXPECT_FALSE(notify);
    notify = TNotifyEvent();
    EXPECT_FALSE(notify);
    notify = &NoHandler;
    EXPECT_TRUE(notify);

    // A handler with a result: an unset slot throws as an empty std::function does.
    TeventSlot<std::function<int(int)>> twice;
    EXPECT_THROW(twice(1), std::bad_function_call);
    twice = [](int v) { return v * 2; };
    EXPECT_EQ(twice(21), 42);
}

TEST(EventSlot, KeptInAStdFunctionAndRestored) {
    // Code that parks a handler in a std::function and puts it back gets the slot as it
    // was: an unset slot stays unset rather than becoming a handler that does nothing.
    TeventSlot<TNotifyEvent> unset;
    TNotifyEvent parked = unset;
    TeventSlot<TNotifyEvent> restored = parked;
    EXPECT_FALSE(restored);

    int calls = 0;
    TeventSlot<TNotifyEvent> set = [&calls](TObject*) { ++calls; };
    parked = set;
    restored = parked;
    ASSERT_TRUE(restored);
    restored(nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(restored.ToFunction() ? 1 : 0, 1);
    EXPECT_FALSE(unset.ToFunction());
}

TEST(EventSlot, HandlerMayClearOrReplaceItsOwnSlot) {
    // The handler's block is held for the call; the sanitizer build sees any use after free.
    TeventSlot<TNotifyEvent> slot;
    std::string trace = "x";
    slot = [&slot, &trace](TObject*) {
        slot = nullptr;
        trace += " cleared";  // the closure (holding `trace`) is still alive here
    };
    slot(nullptr);
    EXPECT_FALSE(slot);
    EXPECT_EQ(trace, "x cleared");

    slot = [&slot, &trace](TObject*) {
        slot = [&trace](TObject*) { trace += " second"; };
        trace += " first";
    };
    slot(nullptr);
    slot(nullptr);
    EXPECT_EQ(trace, "x cleared first second");
}

TEST(PooledText, EqualTextsShareOneCopy) {
    TpooledText a, b, c;
    EXPECT_EQ(a.Text(), "");
    a = "Singer/Songwriter";
    b = std::string("Singer/") + "Songwriter";
    c = "Rock";
    EXPECT_EQ(a.Text(), "Singer/Songwriter");
    EXPECT_EQ(&a.Text(), &b.Text());
    EXPECT_NE(&a.Text(), &c.Text());
    b = "rock";  // case matters
    EXPECT_EQ(b.Text(), "rock");
    EXPECT_NE(&b.Text(), &c.Text());
    EXPECT_EQ(a.Text(), "Singer/Songwriter");  // the others keep their text
    a = "";
    EXPECT_EQ(a.Text(), "");
    const TpooledText copy = c;
    EXPECT_EQ(&copy.Text(), &c.Text());
}

TEST(PooledText, ManyTextsKeepTheirPlaceAsThePoolGrows) {
    // A large library pools hundreds of thousands of artists and albums: the pool grows
    // many times, and every text pooled before keeps its value and its one copy.
    constexpr int kTexts = 20000;
    std::vector<TpooledText> first(kTexts);
    for (int i = 0; i < kTexts; ++i) first[size_t(i)] = "growth artist " + std::to_string(i);
    for (int i = kTexts - 1; i >= 0; --i) {
        TpooledText again;
        again = "growth artist " + std::to_string(i);
        ASSERT_EQ(first[size_t(i)].Text(), "growth artist " + std::to_string(i));
        ASSERT_EQ(&again.Text(), &first[size_t(i)].Text()) << i;
    }
}

TEST(PooledText, ThreadsPoolTheSameTexts) {
    // Tags are made on scan threads too: every thread gets the one pooled copy of a text.
    constexpr int kThreads = 4, kTexts = 200;
    std::vector<std::vector<const std::string*>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &seen] {
            // Each thread meets the texts in its own order, then notes where each one lies.
            for (int i = 0; i < kTexts; ++i) {
                const std::string wanted = "pooled " + std::to_string((i * 7 + t * 31) % kTexts);
                TpooledText text;
                text = wanted;
                if (text.Text() != wanted) ADD_FAILURE() << wanted;
            }
            for (int i = 0; i < kTexts; ++i) {
                TpooledText text;
                text = "pooled " + std::to_string(i);
                seen[size_t(t)].push_back(&text.Text());
            }
        });
    for (auto& thread : threads) thread.join();
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[size_t(t)], seen[0]) << "thread " << t;
}

TEST(LazyMap, LooksUpBeforeAndAfterItsFirstEntry) {
    TlazyMap<std::unordered_map<std::string, int>> map;
    EXPECT_TRUE(map.empty());
    EXPECT_TRUE(map.find("a") == map.end());
    map["a"] = 1;
    map.emplace("b", 2);
    EXPECT_FALSE(map.empty());
    ASSERT_TRUE(map.find("b") != map.end());
    EXPECT_EQ(map.find("b")->second, 2);
    EXPECT_TRUE(map.find("c") == map.end());
    int entries = 0;
    for (auto it = map.begin(); it != map.end();) it = (++entries, map.erase(it));
    EXPECT_EQ(entries, 2);
    EXPECT_TRUE(map.empty());
    map["a"] = 1;
    map.clear();
    EXPECT_TRUE(map.empty());
    EXPECT_TRUE(map.find("a") == map.end());

    TlazyMap<std::unordered_map<std::string, int>> unmade;  // walked before its first entry
    EXPECT_TRUE(unmade.begin() == unmade.end());
}
