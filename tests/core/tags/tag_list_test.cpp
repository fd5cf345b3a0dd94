#include "core/tags/tag_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "core/base/append_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/system_services.h"
#include "support/date_formats.h"
#include "support/tags.h"
#include "support/temp_dir.h"

using namespace tunecrest;
namespace fs = std::filesystem;

using test::MakeTag;
using test::Titles;

TEST(TagList, MaxRefusesAndRaisesOnceForEachRefusal) {
    TaudioTagList list;
    list.SetMax(3);
    int exceeded = 0, changes = 0;
    list.OnMaxExceeded = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++exceeded;
    };
    list.OnChange = [&](TObject*) { ++changes; };
    for (const char* t : {"a", "b", "c"}) list.Add(MakeTag("X", t));
    EXPECT_EQ(exceeded, 0);
    list.Add(MakeTag("X", "d"));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(exceeded, 1);
    EXPECT_EQ(changes, 4);  // the refusal runs the change notice too
    // Later changes do not raise it again.
    list.Move(0, 2);
    list.Delete(0);
    EXPECT_EQ(exceeded, 1);
    // Inside an update bracket the refusal is raised once, at the end.
    list.BeginUpdate();
    list.Add(MakeTag("X", "e"));
    list.Add(MakeTag("X", "f"));
    EXPECT_EQ(exceeded, 1);
    list.EndUpdate();
    EXPECT_EQ(exceeded, 2);
    EXPECT_EQ(list.Count(), 3);
    // Max 0 never refuses; Insert does not check the limit.
    list.SetMax(0);
    for (int i = 0; i < 5; ++i) list.Add(MakeTag("Y", std::to_string(i)));
    EXPECT_EQ(list.Count(), 8);
    list.SetMax(2);
    list.Insert(MakeTag("Z", "z"), 0);
    EXPECT_EQ(list.Count(), 9);
    EXPECT_EQ(exceeded, 2);
}

TEST(TagList, NumberingSequenceAndDuplicates) {
    TaudioTagList list;
    auto first = MakeTag("A", "one");
    list.Add(first);
    EXPECT_EQ(first->TrackIndex(), 1);
    auto numbered = MakeTag("A", "two");
    numbered->SetTrackIndex(41);
    list.Add(numbered);
    EXPECT_EQ(numbered->TrackIndex(), 41);  // keeps its number
    auto next = MakeTag("A", "three");
    list.Add(next);
    EXPECT_EQ(next->TrackIndex(), 42);
    EXPECT_EQ(next->Sequence(), 3u);
    // A clone starts unnumbered and is numbered again.
    list.AddCopy(next);
    EXPECT_EQ(list.GetTag(3)->TrackIndex(), 43);
    EXPECT_NE(list.GetTag(3), next);
    list.ResetSequence();
    list.Insert(MakeTag("B", "x"), -5);
    EXPECT_EQ(list.GetTag(0)->Sequence(), 1u);
    EXPECT_EQ(list.GetTag(0)->TrackIndex(), 0);  // Insert does not number

    TaudioTagList queue;
    queue.SetNoDuplicates(true);
    int changes = 0;
    queue.OnChange = [&](TObject*) { ++changes; };
    queue.Add(MakeTag("Band", "Song", 0, "/a.mp3"));
    queue.Add(MakeTag("BAND", "song", 0, "/other.mp3"));
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_EQ(changes, 1);  // an ignored duplicate changes nothing
    queue.Add(nullptr);
    EXPECT_EQ(changes, 1);
}

// Lists filled on several threads at once leave their shared tags' numbers alone.
TEST(TagList, StampPauseLeavesTheTagsNumbersAlone) {
    TaudioTagList first, second;
    const auto a = std::make_shared<TaudioTag>(), b = std::make_shared<TaudioTag>();
    first.Add(a);
    EXPECT_EQ(a->TrackIndex(), 1);
    EXPECT_EQ(a->Sequence(), 1u);
    {
        const TtagStampPause outer;
        {
            const TtagStampPause inner;
            second.Add(b);
        }
        EXPECT_TRUE(TtagStampPause::Active()) << "the outer pause still holds";
        second.Add(a);
        // Another thread stamps as ever.
        std::thread([&] {
            EXPECT_FALSE(TtagStampPause::Active());
            TaudioTagList third;
            third.Add(std::make_shared<TaudioTag>());
            EXPECT_EQ(third.GetTag(0)->TrackIndex(), 1);
        }).join();
    }
    EXPECT_FALSE(TtagStampPause::Active());
    EXPECT_EQ(b->TrackIndex(), 0);
    EXPECT_EQ(b->Sequence(), 0u);
    EXPECT_EQ(a->TrackIndex(), 1);
    EXPECT_EQ(a->Sequence(), 1u);
    EXPECT_EQ(second.Count(), 2);
    const auto c = std::make_shared<TaudioTag>();
    second.Add(c);
    EXPECT_EQ(c->TrackIndex(), 2) << "the number after the tag before it";
    EXPECT_EQ(c->Sequence(), 3u) << "the list counts the tags it took while paused";
}

TEST(TagList, IndexOperationsAndLimits) {
    TaudioTagList list;
    for (const char* t : {"a", "b", "c", "d", "e"}) list.Add(MakeTag("X", t));
    list.Insert(MakeTag("X", "f"), 99);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    list.Move(0, 3);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"b", "c", "d", "a", "e", "f"}));
    list.MoveUp(0);
    list.MoveDown(5);
    list.Move(-1, 2);
    list.Move(2, 6);
    list.Delete(6);
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 6);
    list.MoveUp(3);
    list.MoveDown(0);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"c", "b", "a", "d", "e", "f"}));
    list.Remove(list.GetTag(1).get());
    EXPECT_EQ(list.GetTag(5), nullptr);
    EXPECT_EQ(list.GetTag(-1), nullptr);
    EXPECT_EQ(list.IndexOf(list.GetTag(4).get()), 4);

    TaudioTagList copy;
    copy.Assign(list, false, false);
    EXPECT_EQ(copy.GetTag(0), list.GetTag(0));  // shared
    copy.Assign(list, true, false);
    EXPECT_NE(copy.GetTag(0), list.GetTag(0));  // cloned
    copy.AppendList(list, false);
    EXPECT_EQ(copy.Count(), 10);
}

TEST(TagList, SummariesAndHash) {
    TaudioTagList list;
    EXPECT_EQ(list.Hash(), "0");
    list.Add(MakeTag("abba", "Waterloo", 170));
    list.Add(MakeTag("ABBA", "", 200));
    list.Add(MakeTag("", "Intro", 30));
    list.GetTag(2)->SetAlbum("Éclat");
    EXPECT_EQ(list.TotalDuration(), 400u);
    EXPECT_EQ(list.ArtistCount(), 2);
    EXPECT_EQ(list.Hash(), "aW##IÉ17030");

    TaudioTagList album;
    album.SetTitle("Gold");
    std::string artist = "unchanged";
    album.GetAlbumArtist(artist);
    EXPECT_EQ(artist, "unchanged");
    for (const char* a : {"Band", "Band"}) {
        album.Add(MakeTag(a, "t"));
        album.GetTag(album.Count() - 1)->SetAlbum("GOLD");
    }
    album.GetAlbumArtist(artist);
    EXPECT_EQ(artist, "Band");
    album.Add(MakeTag("Other", "t"));  // not on the album: the walk stops before it
    album.GetAlbumArtist(artist);
    EXPECT_EQ(artist, "Band");
    album.Insert(MakeTag("band", "t"), 1);
    album.GetTag(1)->SetAlbum("Gold");
    album.GetAlbumArtist(artist);
    EXPECT_EQ(artist, "Compilation");  // artists compare exactly
}

TEST(TagList, SearchesAndDisplayLists) {
    TaudioTagList list;
    list.Add(MakeTag("Band", "Hello", 61, "/m/1.mp3"));
    list.Add(MakeTag("Crew", "Say hello", 0, "/m/2.mp3"));
    auto video = MakeTag("", "Help clip", 5, "/v/3.mp4");
    video->SetMediaType(mkVideo);
    list.Add(video);
    auto untyped = MakeTag("Nobody", "Hey", 1, "/cd/track01.cda");
    untyped->SetMediaType(0);
    list.Add(untyped);

    TmyStringList found;
    list.SearchText("he", found, nullptr, false, mkAll, false);
    EXPECT_EQ(found.ToVector(), (std::vector<std::string>{"Hello - Band", "Help clip - ", }));
    TmyStringList seen;
    seen.SetCaseSensitive(true);
    seen.SetSorted(true);
    list.SearchText("hello", found, &seen, false, mkAudio, true);
    EXPECT_EQ(found.ToVector(), (std::vector<std::string>{"Hello - Band", "Say hello - Crew"}));
    list.SearchText("HELLO", found, &seen, true, mkAudio, true);
    EXPECT_EQ(found.Count(), 2);  // already seen
    EXPECT_EQ(found.ObjectAs<TaudioTag>(0), list.GetTag(0));

    list.FindByTrackIndex("2", found, mkAll);
    EXPECT_EQ(found.ToVector(), (std::vector<std::string>{"Say hello - Crew"}));
    list.FindByTrackIndex("junk", found, mkAll);
    EXPECT_EQ(found.Count(), 0);

    TmyStringList lines;
    list.GetDisplayListEx(lines, false, mkAudio, true, tdfArtistTitleDuration);
    EXPECT_EQ(lines.ToVector(), (std::vector<std::string>{"001 : Band - Hello [1:01]", "002 : Crew - Say hello [0:00]",
                                                          "004 : Nobody - Hey [0:01]"}));
    SetCdTrackTest([](const std::string& f) { return f.rfind("/cd/", 0) == 0; });
    list.SetDisplayFormat(tdfTitle);
    list.GetDisplayList(lines, true, mkAll);
    SetCdTrackTest(nullptr);
    EXPECT_EQ(lines.ToVector(), (std::vector<std::string>{"Hello", "Say hello", "Help clip"}));

    // Without a test of its own, the program's CD drive set tells which tracks are on a CD.
    struct TcdAt : TsystemServices {
        std::vector<std::string> ListCDDrives() override { return {"/cd/"}; }
    };
    SetSystemServices(std::make_shared<TcdAt>());
    RefreshCDDrives();
    list.GetDisplayList(lines, true, mkAll);
    EXPECT_EQ(lines.ToVector(), (std::vector<std::string>{"Hello", "Say hello", "Help clip"}));
    list.GetDisplayList(lines, false, mkAll);
    EXPECT_EQ(lines.Count(), 4);
    SetSystemServices(nullptr);
    RefreshCDDrives();
    list.GetDisplayList(lines, true, mkAll);
    EXPECT_EQ(lines.Count(), 4);
}

TEST(TagList, ProgressEventsAndBulkOperations) {
    test::TempDir dir;
    const std::string present = (dir.Path() / "present.mp3").string();
    ASSERT_TRUE(SafeWriteFile(present, "x"));
    TaudioTagList list;
    list.SetListProcessFactor(0);
    EXPECT_EQ(list.ListProcessFactor(), 1);
    list.SetListProcessFactor(2);
    std::vector<std::string> log;
    list.OnListProcessStart = [&](TObject*, const std::string& text) { log.push_back("start " + text); };
    list.OnListProcess = [&](TObject*, int i, int n, const TaudioTagPtr&) {
        log.push_back(std::to_string(i) + "/" + std::to_string(n));
    };
    list.OnListProcessFinished = [&](TObject*) { log.push_back("end"); };

    TmyStringList items;
    items.AddObject("a", MakeTag("A", "1", 0, present));
    items.AddObject("not a tag", std::make_shared<TObject>());
    items.AddObject("b", MakeTag("B", "2", 0, (dir.Path() / "gone.mp3").string()));
    auto radio = MakeTag("Radio", "Station", 0, "http://example.invalid/stream");
    radio->SetMediaType(mkURL);
    items.AddObject("c", radio);
    items.AddObject("d", MakeTag("D", "4", 0, "relative-missing.mp3"));
    list.AddTags(items, false, false);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(log, (std::vector<std::string>{"start Adding Files...", "4/5", "end"}));

    log.clear();
    list.RemoveMissingFiles();
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"1", "Station"}));  // the address stays
    EXPECT_EQ(log, (std::vector<std::string>{"start Removing Missing Files...", "2/4", "4/4", "end"}));

    // Merging refreshes known tags through the index and clones unknown ones.
    TmyStringList index;
    index.SetCaseSensitive(true);
    index.SetSorted(true);
    for (const auto& tag : list.Items()) index.AddObject(tag->Filename().str(), tag);
    TaudioTagList scanned;
    auto refreshed = MakeTag("A", "1 (new title)", 0, present);
    scanned.Add(refreshed);
    scanned.Add(MakeTag("New", "Track", 0, "/m/new.mp3"));
    scanned.Add(MakeTag("Case", "Differs", 0, (dir.Path() / "PRESENT.mp3").string()));
    std::vector<std::pair<bool, TaudioTagPtr>> found;
    list.OnTagFound = [&](TObject*, bool modified, const TaudioTagPtr& tag) { found.emplace_back(modified, tag); };
    const TaudioTagPtr known = list.GetTag(0);
    const int knownIndex = known->TrackIndex();
    log.clear();
    list.MergeList(scanned, index);
    EXPECT_EQ(log, (std::vector<std::string>{"start Merging List...", "2/3", "end"}));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(known->Title(), "1 (new title)");
    EXPECT_EQ(known->TrackIndex(), knownIndex);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].second, known);
    EXPECT_EQ(found[1].second, scanned.GetTag(1));
    EXPECT_NE(list.GetTag(2), scanned.GetTag(1));
    // Merging reports every tag as found, none as modified.
    for (const auto& [modified, tag] : found) EXPECT_FALSE(modified) << tag->Title();

    // A bare list reads no tags from files.
    list.AddFiles({present, (dir.Path() / "none.mp3").string()}, true);
    EXPECT_EQ(list.Count(), 4);
}

TEST(TagList, ActiveAndModeEvents) {
    TaudioTagList list;
    int active = 0, mode = 0;
    list.OnActiveChanged = [&](TObject*) { ++active; };
    list.OnModeChanged = [&](TObject*) { ++mode; };
    EXPECT_TRUE(list.IsLoop());
    EXPECT_FALSE(list.IsRandom());
    list.SetLoop(true);
    EXPECT_EQ(mode, 0);
    list.SetRandom(true);
    list.SetLoop(false);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(list.PlayMode(), ModeSet(lmRandom));
    list.SetActive(true);
    list.SetActive(true);
    list.SetActive(false);
    EXPECT_EQ(active, 2);
}

TEST(TagList, SettingsReadTheirDefaultsUntilSetAndKeepEachValue) {
    TaudioTagList list;
    EXPECT_EQ(list.Filename(), "");
    EXPECT_EQ(list.DataFileName(), "tagcache.ubf");
    EXPECT_EQ(list.VideoFileMask(), "%t");
    EXPECT_EQ(list.AudioFileMask(), "%t - %a - %n");
    EXPECT_EQ(list.MediaSupportLevel(), 0xFFFFFFFFu);
    EXPECT_FALSE(list.SaveDataFiles());
    EXPECT_TRUE(list.UseVideoFileMask());
    EXPECT_FALSE(list.UseAudioFileMask());
    EXPECT_TRUE(list.AlbumFromParentFolder());
    EXPECT_TRUE(list.ArtistFromParentFolder());
    EXPECT_FALSE(list.OverrideTagInfo());
    EXPECT_EQ(list.ListProcessFactor(), 1);
    EXPECT_EQ(list.StoredSize(), 0);
    EXPECT_EQ(list.RandomOrder().Count(), 0);

    // Setting one value leaves every other at its default; a value set back to its
    // default reads as the default.
    list.SetAudioFileMask("%a - %t");
    EXPECT_EQ(list.AudioFileMask(), "%a - %t");
    EXPECT_EQ(list.VideoFileMask(), "%t");
    EXPECT_EQ(list.DataFileName(), "tagcache.ubf");
    EXPECT_TRUE(list.AlbumFromParentFolder());
    list.SetAlbumFromParentFolder(false);
    list.SetMediaSupportLevel(3);
    list.SetFilename("/media/cd/");
    list.SetListProcessFactor(0);  // at least 1
    EXPECT_EQ(list.ListProcessFactor(), 1);
    list.SetListProcessFactor(25);
    list.SetStoredSize(1234);
    EXPECT_FALSE(list.AlbumFromParentFolder());
    EXPECT_TRUE(list.ArtistFromParentFolder());
    EXPECT_EQ(list.MediaSupportLevel(), 3u);
    EXPECT_EQ(list.Filename(), "/media/cd/");
    EXPECT_EQ(list.ListProcessFactor(), 25);
    EXPECT_EQ(list.StoredSize(), 1234);
    list.SetAudioFileMask("%t - %a - %n");
    EXPECT_EQ(list.AudioFileMask(), "%t - %a - %n");

    // A second list is not touched by the first one's values.
    TaudioTagList other;
    EXPECT_EQ(other.AudioFileMask(), "%t - %a - %n");
    EXPECT_TRUE(other.AlbumFromParentFolder());
    EXPECT_EQ(other.Filename(), "");
    other.SetDataFileName("");
    EXPECT_EQ(other.DataFileName(), "");
    EXPECT_EQ(list.DataFileName(), "tagcache.ubf");
}

TEST(TagList, HistoryStampsAndSavesLines) {
    test::TempDir dir;
    test::TscopedDateFormats locale("%d.%m.%Y", "%H:%M:%S");
    SetClock([] { return EncodeDate(2024, 1, 2) + EncodeTime(3, 4, 5, 0); });
    TaudioTagHistoryList history;
    auto video = MakeTag("Band", "Song", 0, "/m/song.mp3");
    video->SetMediaType(mkVideo);
    history.Add(video);
    SetClock(nullptr);
    EXPECT_EQ(video->ModDate(), EncodeDate(2024, 1, 2) + EncodeTime(3, 4, 5, 0));
    const std::string file = (dir.Path() / "new" / "history.txt").string();
    ASSERT_TRUE(history.SaveToTextFile(file));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(file, text));
    EXPECT_EQ(text, "02.01.2024 03:04:05 : Band - Song (/m/song.mp3)\n");
}

// The history keeps its latest entries in memory; its file keeps every line of the
// run, the first written anew and the rest appended, as a rewrite of the whole
// history would give them.
TEST(TagList, HistoryCappedInMemoryFileAppendedAndRewrittenAtFirstWrite) {
    test::TempDir dir;
    const std::string file = (dir.Path() / "history.txt").string();
    ASSERT_TRUE(SafeWriteFile(file, "a line of an earlier run\n"));
    SetClock([] { return EncodeDate(2024, 1, 2) + EncodeTime(3, 4, 5, 0); });
    TaudioTagHistoryList history;
    history.SetOwnsObjects(true);
    int changes = 0;
    history.OnChange = [&](TObject*) { ++changes; };
    std::string expected;
    const int played = TaudioTagHistoryList::kKeptEntries + 5;
    for (int i = 0; i < played; ++i) {
        auto tag = MakeTag("Band", "Song " + std::to_string(i), 0, "/m/" + std::to_string(i) + ".mp3");
        history.Add(tag);
        expected += tag->GetDisplayText(tdfTimeArtistTitleFilename) + "\n";
        if (i % 100 == 0 || i >= played - 3) {
            ASSERT_TRUE(history.AppendLastToTextFile(file));
        }
    }
    SetClock(nullptr);
    EXPECT_EQ(changes, played);  // one notice a track, also when the oldest leaves
    ASSERT_EQ(history.Count(), TaudioTagHistoryList::kKeptEntries);
    EXPECT_EQ(history.GetTag(0)->Title(), "Song 5");
    std::string text;
    ASSERT_TRUE(ReadFileBytes(file, text));
    EXPECT_EQ(text, expected);  // calls skipped in between are made up at the next one
    // A FIFO in its place is refused without blocking.
    const std::string fifo = (dir.Path() / "fifo.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    EXPECT_FALSE(AppendFileBytes(fifo, "x\n", &error));
    EXPECT_FALSE(error.empty());
}
