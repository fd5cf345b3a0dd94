// What the library writes by itself after a change, and what it leaves alone: edits
// inside a playlist, the internet-radio stations, the video list and the index files.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/library/jukebox_list.h"
#include "core/library/jukebox_data_files.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list_files.h"
#include "core/library/url_list.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest {
namespace {

using test::MakeLibraryTag;
using test::MakeTag;
namespace fs = std::filesystem;

std::vector<std::string> StoredPlaylist(const std::string& file, const std::string& title) {
    TaudioTagPlaylistList lists;
    lists.SetListsOwnObjects(true);
    EXPECT_EQ(LoadListsFile(lists, file), TlistFileState::lfsLoaded);
    const auto list = lists.FindList(title);
    return list ? test::Titles(*list) : std::vector<std::string>{"(no list)"};
}

TEST(LibraryAutoSave, EditInsideAPlaylistRewritesThePlaylistsFileAndIsReportedOnce) {
    test::TempDir dir;
    TlocalJukeboxList lib;
    lib.SetDataFolder(dir.Path().string());
    lib.AutoSavePlaylists = true;
    std::vector<std::string> changed;
    int setChanges = 0;
    TcustomJukeboxListEvents events;
    events.OnPlaylistListChange = [&](TObject*, TaudioTagList* list) { changed.push_back(list->Title()); };
    events.OnPlaylistsChange = [&](TObject*) { ++setChanges; };
    lib.SetEvents(&events);
    auto party = std::make_shared<TaudioTagList>();
    party->SetTitle("Party");
    lib.Playlists().AddList(party);
    EXPECT_EQ(setChanges, 1);
    const std::string file = lib.DataFile("playlists.dat");
    EXPECT_EQ(StoredPlaylist(file, "Party"), std::vector<std::string>{});

    party->Add(MakeTag("A", "One"));
    EXPECT_EQ(changed, std::vector<std::string>{"Party"});
    EXPECT_EQ(StoredPlaylist(file, "Party"), std::vector<std::string>{"One"});
    party->Add(MakeTag("A", "Two"));
    party->MoveUp(1);
    EXPECT_EQ(StoredPlaylist(file, "Party"), (std::vector<std::string>{"Two", "One"}));
    party->SetRandom(true);
    EXPECT_EQ(changed.size(), 4u);
    EXPECT_EQ(setChanges, 1) << "an edit inside a playlist is no change of the set";
    TaudioTagPlaylistList stored;
    ASSERT_EQ(LoadListsFile(stored, file), TlistFileState::lfsLoaded);
    EXPECT_TRUE(stored.FindList("Party")->IsRandom()) << "the play mode is written too";

    // Without auto-save the event still comes, the file stays.
    lib.AutoSavePlaylists = false;
    party->Add(MakeTag("A", "Three"));
    EXPECT_EQ(changed.size(), 5u);
    EXPECT_EQ(StoredPlaylist(file, "Party"), (std::vector<std::string>{"Two", "One"}));
    lib.SetEvents(nullptr);
}

TEST(LibraryAutoSave, InternetRadioStationsAreWrittenAfterEachChangeOnlyWithAutoSave) {
    test::TempDir dir;
    const std::string file = dir.File("internetradio.dat");
    {
        TlocalJukeboxList lib;
        lib.SetDataFolder(dir.Path().string());
        lib.SetInternetRadioURL("Quiet", "http://127.0.0.1/quiet");
        EXPECT_FALSE(fs::exists(file)) << "written without auto-save";
    }
    TlocalJukeboxList lib;
    lib.SetDataFolder(dir.Path().string());
    lib.AutoSaveURLs = true;
    int changes = 0;
    TcustomJukeboxListEvents events;
    events.OnURLsChange = [&](TObject*) { ++changes; };
    lib.SetEvents(&events);
    lib.SetInternetRadioURL("Local", "http://127.0.0.1:8000/a");
    lib.SetInternetRadioURL("Other", "http://127.0.0.1:8000/b");
    EXPECT_EQ(changes, 2);
    auto stored = [&] {
        TurlList urls;
        urls.LoadFromFile(file);
        return urls.GetValue("Local") + "|" + urls.GetValue("Other");
    };
    EXPECT_EQ(stored(), "http://127.0.0.1:8000/a|http://127.0.0.1:8000/b");
    lib.SetInternetRadioURL("Local", "http://127.0.0.1:8000/c");
    EXPECT_EQ(stored(), "http://127.0.0.1:8000/c|http://127.0.0.1:8000/b");
    lib.DeleteInternetRadioURL("Other");
    EXPECT_EQ(stored(), "http://127.0.0.1:8000/c|");

    // Loading the stations is no change to write back.
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
    const auto written = fs::last_write_time(file);
    TlocalJukeboxList fresh;
    fresh.SetDataFolder(dir.Path().string());
    fresh.AutoSaveURLs = true;
    fresh.LoadInternetRadio();
    EXPECT_EQ(fresh.URLList().GetValue("Local"), "http://127.0.0.1:8000/c");
    EXPECT_EQ(fs::last_write_time(file), written);
    lib.SetEvents(nullptr);
}

TEST(LibraryAutoSave, VideoListChangeRebuildsItsIndexAndGenresAndWritesTheList) {
    test::TempDir dir;
    TlocalJukeboxList lib;
    lib.SetDataFolder(dir.Path().string());
    lib.SetVideoSupport(true);
    lib.AutoSaveVideoList = true;
    int videoChanges = 0, globalChanges = 0;
    std::vector<std::string> texts;
    TcustomJukeboxListEvents events;
    events.OnVideoListChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &lib);
        ++videoChanges;
    };
    events.OnGlobalListChange = [&](TObject*) { ++globalChanges; };
    events.OnListProcessStart = [&](TObject*, const std::string& text) { texts.push_back(text); };
    lib.SetEvents(&events);

    auto clip = [](const std::string& file, const std::string& title, const std::string& genre) {
        auto tag = MakeLibraryTag(file, "", title, "", genre);
        tag->SetMediaType(mkVideo);
        return tag;
    };
    lib.VideoList().BeginUpdate();
    lib.VideoList().Add(clip("/v/b.mkv", "Bravo", "Drama"));
    lib.VideoList().Add(clip("/v/a.mkv", "Alpha", "Comedy"));
    lib.VideoList().Add(clip("/v/c.mkv", "Charlie", "drama"));
    lib.VideoList().EndUpdate();
    EXPECT_EQ(videoChanges, 1);
    EXPECT_EQ(globalChanges, 0);
    EXPECT_EQ(texts, std::vector<std::string>{"Processing Video File Information"});
    ASSERT_EQ(lib.VideoFileIndex().Count(), 3);
    EXPECT_EQ(lib.VideoFileIndex().Strings(0), "/v/a.mkv");
    int at = -1;
    ASSERT_TRUE(lib.VideoFileIndex().Find("/v/c.mkv", at));
    EXPECT_EQ(lib.VideoFileIndex().Tag(at), lib.VideoList().GetTag(2));
    EXPECT_EQ(lib.VideoGenreList().GetTitles(), (std::vector<std::string>{"Comedy", "Drama"}));
    const auto drama = lib.VideoGenreList().FindList("DRAMA");
    ASSERT_TRUE(drama);
    EXPECT_EQ(test::Titles(*drama), (std::vector<std::string>{"Bravo", "Charlie"}));

    TaudioTagList stored;
    ASSERT_TRUE(LoadTagListFromFile(stored, lib.DataFile("vidlist.dat"), false));
    EXPECT_EQ(test::Titles(stored), (std::vector<std::string>{"Bravo", "Alpha", "Charlie"}));

    // A removal renews index and genres; the list is written again.
    lib.VideoList().Delete(1);
    EXPECT_EQ(videoChanges, 2);
    EXPECT_EQ(lib.VideoFileIndex().Count(), 2);
    EXPECT_EQ(lib.VideoFileIndex().IndexOf("/v/a.mkv"), -1);
    EXPECT_EQ(lib.VideoGenreList().GetTitles(), std::vector<std::string>{"Drama"});
    ASSERT_TRUE(LoadTagListFromFile(stored, lib.DataFile("vidlist.dat"), false));
    EXPECT_EQ(stored.Count(), 2);

    // Loading the list processes it without writing it back.
    fs::last_write_time(lib.DataFile("vidlist.dat"), fs::last_write_time(lib.DataFile("vidlist.dat")) -
                                                         std::chrono::hours(1));
    const auto written = fs::last_write_time(lib.DataFile("vidlist.dat"));
    lib.LoadVideoList();
    EXPECT_EQ(videoChanges, 3);
    EXPECT_EQ(lib.VideoFileIndex().Count(), 2);
    EXPECT_EQ(fs::last_write_time(lib.DataFile("vidlist.dat")), written);
    // Without video support nothing is written.
    lib.SetVideoSupport(false);
    lib.VideoList().Clear();
    EXPECT_EQ(fs::last_write_time(lib.DataFile("vidlist.dat")), written);
    EXPECT_EQ(lib.VideoFileIndex().Count(), 0);
    lib.SetEvents(nullptr);
}

// With the index files switched off the groupings come from the library alone: no
// index file is written, and index files already there are neither read nor touched.
TEST(LibraryAutoSave, IndexFilesSwitchedOffAreNeitherWrittenNorRead) {
    const char* names[] = {"albums.idx", "artists.idx", "titles.idx", "genres.idx", "years.idx"};
    auto fill = [](TcustomJukeboxList& lib, const std::string& album) {
        lib.GlobalList().BeginUpdate();
        lib.GlobalList().Add(MakeLibraryTag("/m/1.mp3", "Ann", "Dawn", album, "Rock", "1999"));
        lib.GlobalList().Add(MakeLibraryTag("/m/2.mp3", "Bob", "Rain", album, "Jazz", "2004"));
        lib.GlobalList().EndUpdate();
    };
    test::TempDir dir;
    {
        TlocalJukeboxList off;
        off.SetDataFolder(dir.Path().string());
        off.AutoSaveGlobal = true;
        off.SetEnableIndexes(false);
        fill(off, "First");
        off.SaveGlobalList();
        EXPECT_TRUE(fs::exists(dir.File("jukebox.dat")));
        for (const char* name : names) EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    }
    // Index files of another library of three tracks: a library that reads them would
    // file the tracks under "Stale".
    test::TempDir other;
    {
        TlocalJukeboxList on;
        on.SetDataFolder(other.Path().string());
        fill(on, "Stale");
        on.GlobalList().Add(MakeLibraryTag("/m/3.mp3", "Cy", "Snow", "Stale", "Pop", "2010"));
    }
    const auto stale = [&] {
        for (const char* name : names) fs::copy_file(other.File(name), dir.File(name), fs::copy_options::overwrite_existing);
    };
    stale();

    TlocalJukeboxList off;
    off.SetDataFolder(dir.Path().string());
    off.AutoSaveGlobal = true;
    off.SetEnableIndexes(false);
    std::vector<std::string> texts;
    TcustomJukeboxListEvents events;
    events.OnListProcessStart = [&](TObject*, const std::string& text) { texts.push_back(text); };
    off.SetEvents(&events);
    off.LoadIndexes();
    EXPECT_EQ(off.AlbumList().GetTitles(), std::vector<std::string>{"First"});
    for (const auto& text : texts) EXPECT_EQ(text.find("Index"), std::string::npos) << text;
    // None is written; the library file written takes away the index files beside it,
    // which are not of it (a start with the switch on would take them for its own).
    off.GlobalList().Add(MakeLibraryTag("/m/3.mp3", "Cy", "Snow", "Second", "Pop", "2010"));
    off.SaveGlobalList();
    EXPECT_EQ(off.AlbumList().GetTitles(), (std::vector<std::string>{"First", "Second"}));
    for (const char* name : names) EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    off.SetEvents(nullptr);

    // Switched on, such files are read (the check that they would have been).
    stale();
    TlocalJukeboxList on;
    on.SetDataFolder(dir.Path().string());
    on.LoadIndexes();
    EXPECT_EQ(on.AlbumList().GetTitles(), std::vector<std::string>{"Stale"});
}

}  // namespace
}  // namespace tunecrest
