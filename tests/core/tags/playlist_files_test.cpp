// M3U export and import, and the comma-separated export.
#include "core/tags/playlist_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/base/csv_text.h"
#include "core/tags/playlist_text.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "support/special_files.h"
#include "support/date_formats.h"
#include "support/temp_dir.h"

using namespace tunecrest;

namespace {

TaudioTagPtr Tag(const std::string& file, const std::string& artist, const std::string& title, uint32_t seconds) {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetFilename(file);
    tag->SetArtist(artist);
    tag->SetTitle(title);
    tag->SetDuration(seconds);
    return tag;
}

std::string Slurp(const std::string& path) {
    std::string data;
    ReadFileBytes(path, data);
    return data;
}

// Makes a tag of every existing file, as a tagger would.
class TfileTagList : public TaudioTagList {
public:
    TaudioTagPtr CreateTagFromFile(const std::string& fileName) override {
        auto tag = std::make_shared<TaudioTag>();
        tag->SetFilename(fileName);
        Add(tag);
        return tag;
    }
};

}  // namespace

TEST(M3U, ExtendedExportMatchesByteForByteAndAppendsWithoutASecondHeader) {
    test::TempDir dir;
    const std::string name = dir.File("out.m3u");
    TaudioTagList list;
    list.Add(Tag("/m/a.mp3", "Band", "Song", 215));
    list.Add(Tag("/m/b.mp3", "", "Only Title", 5));
    list.Add(Tag("/m/c.mp3", "Solo", "", 61));
    ASSERT_TRUE(ExportM3U(list, name, false, true, true));
    EXPECT_EQ(Slurp(name),
              "#EXTM3U\n"
              "#EXTINF:0,Dummy Entry\n"
              "DoesNotExist\n"
              "#EXTINF:215,Band - Song\n"
              "/m/a.mp3\n"
              "#EXTINF:5,Only Title\n"
              "/m/b.mp3\n"
              "#EXTINF:61,Solo\n"
              "/m/c.mp3\n");
    EXPECT_EQ(list.Filename(), name);

    TaudioTagList more;
    more.Add(Tag("/m/d.mp3", "X", "Y", 1));
    ASSERT_TRUE(ExportM3U(more, name, true, false, true));
    const std::string text = Slurp(name);
    EXPECT_EQ(text.find("#EXTM3U", 1), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 25), "#EXTINF:1,X - Y\n/m/d.mp3\n");

    ASSERT_TRUE(ExportM3U(more, name, false, false, false));
    EXPECT_EQ(Slurp(name), "/m/d.mp3\n");
    std::string error;
    EXPECT_FALSE(ExportM3U(more, dir.File("none/x.m3u"), false, false, true, &error));
    EXPECT_FALSE(error.empty());
}

TEST(M3U, LineBreaksInTagsOrFileNamesPlantNoEntries) {
    test::TempDir dir;
    for (const char* f : {"good.mp3", "planted.mp3"}) std::ofstream(dir.File(f)) << "x";
    TaudioTagList list;
    // A crafted tag tries to add a file and an address of its own.
    list.Add(Tag(dir.File("good.mp3"), "Band\r\n" + dir.File("planted.mp3"), "Song\nhttp://example.invalid/x", 10));
    list.Add(Tag(dir.File("good.mp3") + "\n" + dir.File("planted.mp3"), "A", "B", 20));
    const std::string name = dir.File("out.m3u");
    const std::string log = dir.File("log.log");
    SetErrorLogFile(log);
    ASSERT_TRUE(ExportM3U(list, name, false, false, true));
    SetErrorLogFile("");
    EXPECT_EQ(Slurp(name), "#EXTM3U\n#EXTINF:10,Band  " + dir.File("planted.mp3") +
                               " - Song http://example.invalid/x\n" + dir.File("good.mp3") + "\n");
    EXPECT_NE(Slurp(log).find("Playlist export skips a file name holding a line break"), std::string::npos);
    // Read back, the playlist names the one good file only.
    TfileTagList back;
    ASSERT_TRUE(LoadFromPlaylistFile(back, name, false));
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.GetTag(0)->Filename(), dir.File("good.mp3"));
}

TEST(M3U, EveryKindOfLineBreakInTagsAndNamesKeepsOneEntryPerTrack) {
    test::TempDir dir;
    std::ofstream(dir.File("good.mp3")) << "x";
    const std::vector<std::string> breaks = {"\r", "\n", "\r\n", "\n\r", "\v", "\f", "\x1C", "\x1D", "\x1E",
                                             "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"};
    TaudioTagList list;
    std::string all;
    for (const auto& b : breaks) all += "x" + b + "/planted.mp3";
    list.Add(Tag(dir.File("good.mp3"), "Band" + all, "Song" + all, 7));
    for (const auto& b : breaks) list.Add(Tag(dir.File("good.mp3") + b + "/planted.mp3", "A" + b, "B" + b, 1));
    const std::string name = dir.File("out.m3u");
    for (const bool extended : {true, false}) {
        SetErrorLogFile(dir.File("log.log"));
        ASSERT_TRUE(ExportM3U(list, name, false, false, extended));
        SetErrorLogFile("");
        const std::string text = Slurp(name);
        // Split at every break any reader of playlists knows: one entry line per track
        // that could be written (the names holding breaks are left out), plus the header
        // and "#EXTINF" lines.
        size_t lines = 0;
        for (size_t i = 0, start = 0; i <= text.size(); ++i) {
            const size_t n = i < text.size() ? LineBreakAt(text, i) : 1;
            if (n == 0) continue;
            if (i > start) ++lines;
            i += n - 1;
            start = i + 1;
        }
        EXPECT_EQ(lines, extended ? 3u : 1u) << text;
        EXPECT_EQ(text.find("\r"), std::string::npos);
        TfileTagList back;
        ASSERT_TRUE(LoadFromPlaylistFile(back, name, false));
        ASSERT_EQ(back.Count(), 1);
        EXPECT_EQ(back.GetTag(0)->Filename(), dir.File("good.mp3"));
    }
}

TEST(M3U, AppendingToAPlaylistThatCannotBeReadReplacesNothing) {
    test::TempDir dir;
    TaudioTagList list;
    list.Add(Tag("/m/a.mp3", "Band", "Song", 215));
    // Above the size limit (sparse), a folder, a FIFO: each exists and cannot be read.
    const std::string huge = dir.File("huge.m3u");
    ASSERT_TRUE(SafeWriteFile(huge, "#EXTM3U\n/m/old.mp3\n"));
    std::filesystem::resize_file(huge, (uint64_t(256) << 20) + 1);
    const std::string folder = dir.File("folder.m3u");
    std::filesystem::create_directory(folder);
    const std::string fifo = test::MakeFifo(dir.File("fifo.m3u"));
    for (const std::string& name : {huge, folder, fifo}) {
        std::string error;
        EXPECT_FALSE(ExportM3U(list, name, true, false, true, &error)) << name;
        EXPECT_EQ(error.rfind("Cannot append to " + name, 0), 0u) << error;
        EXPECT_FALSE(ExportCSV(list, name, true, "Party", &error)) << name;
        EXPECT_EQ(error.rfind("Cannot append to " + name, 0), 0u) << error;
    }
    EXPECT_EQ(std::filesystem::file_size(huge), (uint64_t(256) << 20) + 1);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
    // A missing file is simply started.
    EXPECT_TRUE(ExportM3U(list, dir.File("new.m3u"), true, false, true));
    EXPECT_EQ(Slurp(dir.File("new.m3u")), "#EXTM3U\n#EXTINF:215,Band - Song\n/m/a.mp3\n");
}

TEST(M3U, ImportResolvesRelativeEntriesAndSkipsMissingFiles) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "lists" / "sub");
    std::filesystem::create_directories(dir.Path() / "music");
    for (const char* f : {"lists/beside.mp3", "lists/sub/deeper.mp3", "music/up.mp3"})
        std::ofstream(dir.File(f)) << "x";
    const std::string playlist = dir.File("lists/party.m3u");
    std::ofstream(playlist) << "#EXTM3U\r\n#EXTINF:1,A\r\nbeside.mp3\r\nsub\\deeper.mp3\r\n../music/up.mp3\r\n"
                            << "missing.mp3\r\n" << dir.File("music/up.mp3") << "\r\n";
    TfileTagList list;
    list.Add(Tag("/kept.mp3", "", "", 0));
    ASSERT_TRUE(LoadFromPlaylistFile(list, playlist, true));
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.GetTag(1)->Filename(), dir.File("lists/beside.mp3"));
    EXPECT_EQ(list.GetTag(2)->Filename(), dir.File("lists/sub/deeper.mp3"));
    EXPECT_EQ(list.GetTag(3)->Filename(), dir.File("music/up.mp3"));
    EXPECT_EQ(list.GetTag(4)->Filename(), dir.File("music/up.mp3"));
    EXPECT_EQ(list.Filename(), playlist);

    EXPECT_FALSE(LoadFromPlaylistFile(list, dir.File("nothing.m3u"), false));
    EXPECT_EQ(list.Count(), 5);
}

TEST(M3U, ImportConvertsBackslashesOnlyInWindowsNames) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "lists" / "sub");
    // Linux names that hold a backslash: beside the playlist and absolute elsewhere.
    for (const char* f : {"lists/AC\\DC - Live.mp3", "lists/sub/win.mp3", "odd\\name.mp3"})
        std::ofstream(dir.File(f)) << "x";
    const std::string playlist = dir.File("lists/mixed.m3u");
    std::ofstream(playlist) << "AC\\DC - Live.mp3\n"  // exists as written: kept
                            << "sub\\win.mp3\n"       // no such file: a Windows relative name
                            << dir.File("odd\\name.mp3") << "\n"
                            << "\\lists\\sub\\win.mp3\n";  // rooted Windows name: "/lists/sub/win.mp3"
    TfileTagList list;
    ASSERT_TRUE(LoadFromPlaylistFile(list, playlist, false));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetTag(0)->Filename(), dir.File("lists/AC\\DC - Live.mp3"));
    EXPECT_EQ(list.GetTag(1)->Filename(), dir.File("lists/sub/win.mp3"));
    EXPECT_EQ(list.GetTag(2)->Filename(), dir.File("odd\\name.mp3"));

    const auto names =
        ParsePlaylistEntries("C:\\Music\\a.mp3\n\\\\server\\share\\b.mp3\n/x/c\\d.mp3\n", "/pl");
    ASSERT_EQ(names.size(), 3u);
    EXPECT_TRUE(names[0].ends_with("C:/Music/a.mp3")) << names[0];
    EXPECT_EQ(names[1], "/server/share/b.mp3");
    EXPECT_EQ(names[2], "/x/c\\d.mp3");
}

TEST(CsvExport, AwkwardFieldsMatchByteForByteAndReadBack) {
    test::TempDir dir;
    const std::string name = dir.File("export.csv");
    auto tag = Tag("/m/x.mp3", "A, B", "Say \"Hi\"", 60);
    tag->SetComment(" pad");
    tag->SetDate("2001");
    tag->SetTrackNo(3);
    tag->SetBitRate(128);
    tag->SetSampleRate(44100);
    tag->SetChannels(2);
    tag->SetMediaType(1);
    tag->ExtraFields().Add("k=v,w");
    TaudioTagList list;
    list.Add(tag);
    test::TscopedDateFormats locale;
    ASSERT_TRUE(ExportCSV(list, name, false, "Mix, 1"));
    const std::string header =
        "Filename,PathPart,FilePart,ExtPart,AlbumPath,Title,Artist,Album,Comment,TagDate,GenreID,GenreString,"
        "TrackNo,BitRate,Duration,SampleRate,Channels,ChannelMode,MediaType,TagType,TrackIndex,ModDate,"
        "ExtraFields,PlaylistName\n";
    const std::string row =
        "/m/x.mp3,/m/,x.mp3,mp3,/m/[No Album],\"Say \"\"Hi\"\"\",\"A, B\",,\" pad\",2001,255,,3,128,60000,44100,2,"
        "Stereo,1,,1,1899-12-30,\"\"\"k=v,w\"\"\",\"Mix, 1\"\n";
    EXPECT_EQ(Slurp(name), header + row);

    const auto rows = ReadCSVRows(Slurp(name));
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[1].size(), 24u);
    EXPECT_EQ(rows[1][5], "Say \"Hi\"");
    EXPECT_EQ(rows[1][8], " pad");
    EXPECT_EQ(rows[1][22], "\"k=v,w\"");
    EXPECT_EQ(rows[1][23], "Mix, 1");

    ASSERT_TRUE(ExportCSV(list, name, true, "Two"));
    EXPECT_EQ(ReadCSVRows(Slurp(name)).size(), 3u);
    TaudioTagList empty;
    ASSERT_TRUE(ExportCSV(empty, name, false, ""));
    EXPECT_EQ(Slurp(name), header);
}
