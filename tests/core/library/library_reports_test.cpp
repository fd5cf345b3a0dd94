#include "core/library/library_reports.h"

#include <gtest/gtest.h>

#include "core/library/album_artist_groupings.h"
#include "core/base/document_opener.h"
#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list.h"
#include "core/tags/tag_list_importers.h"
#include "support/tags.h"
#include "support/temp_dir.h"

using namespace tunecrest;

namespace {

TaudioTagPtr Tag(const std::string& file, const std::string& artist, const std::string& title,
                 const std::string& album) {
    auto tag = test::MakeTag(artist, title, 0, file);
    tag->SetAlbum(album);
    return tag;
}

struct TrecordingOpener : TdocumentOpener {
    std::vector<std::string> Opened;
    bool OpenDocument(const std::string& fileName, std::string&) override {
        Opened.push_back(fileName);
        return true;
    }
};

class LibraryReports : public ::testing::Test {
protected:
    void SetUp() override {
        Ftracks = {
            Tag("/m/ABBA/Gold/sos.mp3", "ABBA", "SOS", "Gold"),
            Tag("/m/ABBA/Hits/sos.mp3", "ABBA", "sos", "Hits"),     // other album: no duplicate
            Tag("/m/ABBA/loose/sos.mp3", "ABBA", "SOS", ""),        // no album: duplicate of both
            Tag("/m/ABBA/Gold/waterloo.mp3", "ABBA", "Waterloo", "Gold"),
            Tag("/m/Zed/z.mp3", "Zed", "", "Zzz"),
            Tag("/m/B/untitled.mp3", "", "Song", "Bee"),
            Tag("/m/A/untitled.mp3", "", "Song", "Aye"),
        };
        for (const auto& t : Ftracks) {
            Flist.Add(t);
            Falbums.AddTag(t);
            Fartists.AddTag(t);
        }
        Fartists.BuildFromList(Falbums);
        Fold = SetDocumentOpener(Fopener);
    }
    void TearDown() override { SetDocumentOpener(Fold); }

    std::vector<TaudioTagPtr> Ftracks;
    TaudioTagList Flist;
    TaudioTagAlbumList Falbums;
    TaudioTagArtistList Fartists;
    std::shared_ptr<TrecordingOpener> Fopener = std::make_shared<TrecordingOpener>();
    std::shared_ptr<TdocumentOpener> Fold;
    test::TempDir Fdir;
};

}  // namespace

TEST_F(LibraryReports, DuplicateTracksWithHeaderAndUnderline) {
    TduplicateTracksReport report;
    report.ArtistList = &Fartists;
    std::vector<int> progress;
    report.OnProgress = [&](TObject*, int index, int) { progress.push_back(index); };
    EXPECT_EQ(report.BuildText(),
              "Duplicate Tracks Report: 2 duplicate tracks found.\n"
              "\n"
              "ABBA - SOS\n"
              "==========\n"
              "/m/ABBA/Gold/sos.mp3\n"
              "/m/ABBA/loose/sos.mp3\n"
              "\n"
              "ABBA - sos\n"
              "==========\n"
              "/m/ABBA/Hits/sos.mp3\n"
              "/m/ABBA/loose/sos.mp3\n"
              "\n");
    EXPECT_EQ(int(progress.size()), Fartists.Count());
}

TEST_F(LibraryReports, InvalidTagsSortedAndEmptyWhenAllTagged) {
    TinvalidTagsReport report;
    report.TrackList = &Flist;
    EXPECT_EQ(report.BuildText(), "/m/A/untitled.mp3\n/m/B/untitled.mp3\n/m/Zed/z.mp3\n");
    TaudioTagList good;
    good.Add(Ftracks[0]);
    report.TrackList = &good;
    EXPECT_EQ(report.BuildText(), "");
}

TEST_F(LibraryReports, MissingCoversListsAlbumsPerArtist) {
    TmissingCoversReport report;
    report.ArtistList = &Fartists;
    report.CoverFinder = [](const TaudioTagAlbum& album) { return album.Title() != "Gold"; };
    EXPECT_EQ(report.BuildText(), "ABBA\n====\n    Gold [/m/ABBA/Gold/]\n\n");
    report.CoverFinder = [](const TaudioTagAlbum&) { return true; };
    EXPECT_EQ(report.BuildText(), "");
}

TEST_F(LibraryReports, MediaLibraryCsvHeadingFirstThenSortedRows) {
    TmediaLibraryReport report;
    Ftracks[0]->SetTrackNo(7);
    Ftracks[0]->SetDuration(125);
    Ftracks[0]->SetBitRate(192);
    Ftracks[0]->ExtraFields().Add("MOOD=up, beat");
    Ftracks[3]->SetModDate(EncodeDate(2023, 4, 5) + EncodeTime(8, 9, 10, 0));
    TaudioTagList list;
    list.Add(Ftracks[3]);
    list.Add(Ftracks[0]);
    report.TrackList = &list;
    report.SelectedFields = {"Title", "Track Number", "Duration", "Bit Rate", "Last Modified", "Media Type"};
    report.ExtraFields = {"MOOD"};
    EXPECT_EQ(report.BuildText(),
              "Title,Track Number,Duration,Bit Rate,Last Modified,Media Type,MOOD\n"
              "SOS,000007,2:05,192kbps,1899-12-30\t00:00,Audio,\"up, beat\"\n"
              "Waterloo,000000,0:00,0kbps,2023-04-05\t08:09,Audio,\n");

    report.FileName = Fdir.File("library.csv");
    ASSERT_TRUE(report.Execute());
    std::string written;
    ASSERT_TRUE(ReadFileBytes(report.FileName, written));
    EXPECT_EQ(written, report.BuildText());
    EXPECT_EQ(Fopener->Opened, std::vector<std::string>{report.FileName});

    std::string error;
    report.FileName = Fdir.File("missing-folder/library.csv");
    EXPECT_FALSE(report.Execute(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Fopener->Opened.size(), 1u);
}

TEST_F(LibraryReports, SettingsKeepTheFolderAndTheColumns) {
    auto list = CreateReportList();
    TmyStringList names;
    list->GetNames(names);
    EXPECT_EQ(names.ToVector(),
              (std::vector<std::string>{"Duplicate Tracks", "Invalid Tags", "Media Library", "Missing Album Covers"}));
    EXPECT_EQ(names.ObjectAs<TjukeboxTagReport>(2)->GetDefaultExtension(), "csv");
    EXPECT_EQ(list->Items(4), nullptr);

    auto media = std::dynamic_pointer_cast<TmediaLibraryReport>(list->Items(0));
    media->FileName = "/data/Reports/out.csv";
    media->SelectedFields = {"Track Number", "Title"};
    media->ExtraFields = {"A,B", "C"};
    list->Items(3)->FileName = "/elsewhere/dups.txt";
    TiniFile ini;
    list->SaveSettings(ini);
    auto loaded = CreateReportList();
    loaded->LoadSettings(ini);
    auto media2 = std::dynamic_pointer_cast<TmediaLibraryReport>(loaded->Items(0));
    EXPECT_EQ(media2->FileName, "/data/Reports/");
    EXPECT_EQ(media2->SelectedFields, media->SelectedFields);
    EXPECT_EQ(media2->ExtraFields, media->ExtraFields);
    EXPECT_EQ(loaded->Items(3)->FileName, "/elsewhere/");
    EXPECT_EQ(ini.ReadString("Media Library", "SelectedFields", ""), "Track Number,Title");

    int relayed = 0;
    loaded->OnProgress = [&](TObject* sender, int, int) { relayed += sender == loaded.get(); };
    loaded->Items(2)->TrackList = &Flist;
    loaded->Items(2)->BuildText();
    EXPECT_EQ(relayed, Flist.Count());
}

TEST(CsvImporter, HeadingsInAnyOrderAwkwardFieldsAndUnknownKinds) {
    test::TempDir dir;
    const std::string file = dir.File("tracks.CSV");
    ASSERT_TRUE(SafeWriteFile(file,
                              "TITLE,Bogus,filename,Artist,MediaType,TrackNo\r\n"
                              "\"Money, Money\",x,/m/a.mp3,\"Say \"\"hi\"\"\",Video,3\r\n"
                              "\"two\nlines\",,/m/b.mp3,B,Nonsense,x\r\n"
                              "Plain,,/m/c.mp3,C\r\n"));
    auto importers = CreateImporterList();
    EXPECT_EQ(importers->FileFilter(), "CSV Files (*.csv)|*.csv");
    std::vector<std::string> started;
    std::vector<std::pair<int, int>> progress;
    importers->OnImportStart = [&](TObject*, const std::string& text) { started.push_back(text); };
    importers->OnProgress = [&](TObject*, int i, int n) { progress.emplace_back(i, n); };
    TaudioTagList target;
    importers->ImportFile(file, target);
    ASSERT_EQ(target.Count(), 3);
    EXPECT_EQ(started, std::vector<std::string>{"Importing File " + file});
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}}));
    const auto& a = *target.Items()[0];
    EXPECT_EQ(a.Title(), "Money, Money");
    EXPECT_EQ(a.Artist(), "Say \"hi\"");
    EXPECT_EQ(a.Filename(), "/m/a.mp3");
    EXPECT_EQ(a.MediaType(), mkVideo);
    EXPECT_EQ(a.TrackNo(), 3u);
    EXPECT_EQ(a.Album(), "");
    EXPECT_EQ(target.Items()[1]->Title(), "two\nlines");
    EXPECT_EQ(target.Items()[1]->MediaType(), mkAudio);
    EXPECT_EQ(target.Items()[1]->TrackNo(), 0u);
    EXPECT_EQ(target.Items()[2]->MediaType(), mkAudio);

    // Header only, unknown extension, missing file: nothing imported.
    ASSERT_TRUE(SafeWriteFile(dir.File("empty.csv"), "Filename,Title\n"));
    ASSERT_TRUE(SafeWriteFile(dir.File("list.txt"), "Filename\n/m/x.mp3\n"));
    TmyStringList files;
    files.Add(dir.File("empty.csv"));
    files.Add(dir.File("list.txt"));
    files.Add(dir.File("gone.csv"));
    files.Add(dir.File("noext"));
    TaudioTagList none;
    importers->ImportFiles(files, none);
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(started.size(), 5u);
    EXPECT_EQ(importers->ImporterForExtension("CsV"), importers->Items(0));
    EXPECT_EQ(importers->ImporterForExtension("txt"), nullptr);
}
