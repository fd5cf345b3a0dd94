// The library scan and the media search window, over media files the tests write (text
// files that the tagger double reads): new and changed files reach the library only when
// the scan completes, a full rescan replaces the list, Stop leaves the library and its
// files exactly as they were, progress arrives through the dispatcher, and the scan window
// scans audio then video and stops both at once.
#include "windows/search/media_scan.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <chrono>
#include <fstream>
#include <sstream>

#include "core/jukebox/global_prefs.h"
#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "core/tags/tag_list_files.h"
#include "core/tags/tagger_loader.h"
#include "support/pump_events.h"
#include "support/fake_tagger.h"
#include "support/groupings_image.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "skin/skin_forms.h"
#include "windows/dialogs/file_chooser.h"
#include "windows/search/music_search_form.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using Titles = std::vector<std::string>;

TqueueDispatcher& Queue() {
    return dynamic_cast<TqueueDispatcher&>(Dispatcher());
}

// Runs the posted calls until `done` holds (at most ten seconds).
bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Queue().WaitAndProcess(20);
        QCoreApplication::processEvents();
    }
    return true;
}

std::string FileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

Titles SortedTitles(const TaudioTagList& list) {
    Titles out;
    for (const auto& tag : list.Items()) out.push_back(tag->Title());
    std::sort(out.begin(), out.end());
    return out;
}

struct MediaScan : ::testing::Test {
    test::TempDir dir;
    fs::path music = dir.Path() / "Music", videos = dir.Path() / "Videos", data = dir.Path() / "Data";
    fs::path gate = dir.Path() / "gate";
    TlocalJukeboxList lib;

    void SetUp() override {
        Dispatcher();  // the queue dispatcher belongs to this thread
        const fs::path plugins = dir.Path() / "TagPlugins";
        for (const fs::path& p : {plugins, music, videos, data}) fs::create_directories(p);
        test::InstallFakeTagger(plugins, "fake", "Description=Fake\nExtensions=fake\nMediaFlags=3\n");
        TaggerLoader().SetPluginFolder(plugins.string());
        ASSERT_EQ(TaggerLoader().PluginCount(), 1);
        lib.SetDataFolder(data.string());
        lib.AudioFolders().Add(music.string());
    }
    void TearDown() override {
        Queue().ProcessPendingCalls();
        TaggerLoader().SetPluginFolder("");
    }
    fs::path Media(const fs::path& folder, const std::string& name, const std::string& text) {
        fs::create_directories(folder);
        const fs::path file = folder / name;
        test::WriteTextFile(file, text);
        return file;
    }
    // Scans the library's audio folders and waits for the end; true when it completed.
    bool Scan(TmediaScanRequest request, std::vector<TmediaScanProgress>* progress = nullptr) {
        TmediaScan scan(lib);
        std::optional<bool> finished;
        scan.OnFinished = [&](bool completed) { finished = completed; };
        if (progress) scan.OnProgress = [&](const TmediaScanProgress& p) { progress->push_back(p); };
        if (request.Folders.empty()) request.Folders = {music.string()};
        EXPECT_TRUE(scan.Start(request));
        EXPECT_TRUE(lib.IsUpdating);
        EXPECT_FALSE(scan.Start(request)) << "one scan at a time";
        EXPECT_TRUE(PumpUntil([&] { return finished.has_value(); }));
        EXPECT_FALSE(lib.IsUpdating);
        return finished.value_or(false);
    }
};

TEST_F(MediaScan, NewAndChangedFilesJoinTheLibraryWhenTheScanCompletes) {
    Media(music / "A", "a.fake", "Title=Alpha\nArtist=X\n");
    const fs::path b = Media(music / "B", "b.fake", "Title=Beta\nArtist=Y\n");
    ASSERT_TRUE(Scan({}));
    ASSERT_EQ(SortedTitles(lib.GlobalList()), (Titles{"Alpha", "Beta"}));
    const TaudioTagPtr alpha = lib.GlobalList().GetTag(0);

    // One new file, one changed file (a later time stamp), one unchanged.
    Media(music / "C", "c.fake", "Title=Gamma\nArtist=Z\n");
    test::WriteTextFile(b, "Title=Beta Two\nArtist=W\n");
    const timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, b.c_str(), later, 0), 0);
    std::vector<TmediaScanProgress> progress;
    ASSERT_TRUE(Scan({}, &progress));
    EXPECT_EQ(SortedTitles(lib.GlobalList()), (Titles{"Alpha", "Beta Two", "Gamma"}));
    EXPECT_EQ(lib.GlobalList().GetTag(0), alpha) << "known tracks keep their objects";
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().NewFiles, 1);
    EXPECT_EQ(progress.back().ModifiedFiles, 1);
    // The changed track moved to its new artist in the groupings, as a full filing files it.
    EXPECT_TRUE(lib.ArtistList().FindArtist("W"));
    EXPECT_FALSE(lib.ArtistList().FindArtist("Y"));
    const std::string groupings = test::GroupingsImage(lib);
    lib.ReprocessTags();
    EXPECT_EQ(test::GroupingsImage(lib), groupings);
    for (int i = 0; i < lib.GlobalList().Count(); ++i)
        EXPECT_EQ(lib.GlobalList().GetTag(i)->TrackIndex(), i + 1) << "numbered by place";
    // The scan writes no tag caches into the music folders.
    EXPECT_FALSE(fs::exists(music / "A" / "tagcache.ubf"));
}

// With the library saved in the background, a scan that drops a missing file renumbers
// the tracks after it without an edit note for each: "jukebox.dat" is written with their
// new numbers, as writing the whole list gives it, not copied from the file before.
TEST_F(MediaScan, RenumberedTracksAreSavedWithTheirNewNumbers) {
    lib.SetSaveInBackground(true);
    lib.AutoSaveGlobal = true;
    Media(music / "A", "a.fake", "Title=Alpha\nArtist=X\n");
    const fs::path b = Media(music / "B", "b.fake", "Title=Beta\nArtist=Y\n");
    Media(music / "C", "c.fake", "Title=Gamma\nArtist=Z\n");
    Media(music / "D", "d.fake", "Title=Delta\nArtist=Z\n");
    ASSERT_TRUE(Scan({}));
    ASSERT_TRUE(PumpUntil([&] { return !lib.BackgroundWorkPending(); }));
    const auto whole = [&] {
        TbyteWriter w;
        SaveTagListToStream(lib.GlobalList(), w);
        return w.Bytes();
    };
    ASSERT_EQ(FileBytes(data / "jukebox.dat"), whole());
    fs::remove(b);
    TmediaScanRequest remove;
    remove.RemoveMissing = true;
    ASSERT_TRUE(Scan(remove));
    ASSERT_TRUE(PumpUntil([&] { return !lib.BackgroundWorkPending(); }));
    ASSERT_EQ(lib.GlobalList().Count(), 3);
    for (int i = 0; i < lib.GlobalList().Count(); ++i) ASSERT_EQ(lib.GlobalList().GetTag(i)->TrackIndex(), i + 1);
    EXPECT_EQ(FileBytes(data / "jukebox.dat"), whole());
    TaudioTagList read;
    ASSERT_TRUE(LoadTagListFromFile(read, (data / "jukebox.dat").string(), false));
    for (int i = 0; i < read.Count(); ++i) EXPECT_EQ(read.GetTag(i)->TrackIndex(), i + 1);
}

TEST_F(MediaScan, FullRescanReplacesAndRemoveMissingDropsGoneFiles) {
    const fs::path a = Media(music, "a.fake", "Title=Alpha\n");
    Media(music, "b.fake", "Title=Beta\n");
    ASSERT_TRUE(Scan({}));
    fs::remove(a);
    TmediaScanRequest keep;
    ASSERT_TRUE(Scan(keep));
    EXPECT_EQ(SortedTitles(lib.GlobalList()), (Titles{"Alpha", "Beta"})) << "an added scan keeps gone files";
    TmediaScanRequest remove;
    remove.RemoveMissing = true;
    ASSERT_TRUE(Scan(remove));
    EXPECT_EQ(SortedTitles(lib.GlobalList()), (Titles{"Beta"}));

    Media(music, "c.fake", "Title=Gamma\n");
    auto stale = std::make_shared<TaudioTag>();
    stale->SetFilename((dir.Path() / "elsewhere.fake").string());
    stale->SetTitle("Stale");
    stale->SetMediaType(1);
    lib.GlobalList().Add(stale);
    TmediaScanRequest full;
    full.FullRescan = true;
    ASSERT_TRUE(Scan(full));
    EXPECT_EQ(SortedTitles(lib.GlobalList()), (Titles{"Beta", "Gamma"}));
}

TEST_F(MediaScan, StopLeavesTheLibraryAndItsFilesAsTheyWere) {
    Media(music / "A", "a.fake", "Title=Alpha\n");
    ASSERT_TRUE(Scan({}));
    ASSERT_TRUE(lib.SaveGlobalList());
    const std::string saved = FileBytes(data / "jukebox.dat");
    const std::vector<TaudioTagPtr> before = lib.GlobalList().Items();

    // A changed known file, a new file that holds the reader, and more behind it.
    test::WriteTextFile(music / "A" / "a.fake", "Title=Alpha Changed\n");
    const timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (music / "A" / "a.fake").c_str(), later, 0), 0);
    Media(music / "B", "b.fake", "Gate=" + gate.string() + "\nTitle=Beta\n");
    for (int i = 0; i < 5; ++i) Media(music / "C", "c" + std::to_string(i) + ".fake", "Title=C\n");

    for (bool full : {false, true}) {
        fs::remove(gate);
        TmediaScan scan(lib);
        std::optional<bool> finished;
        scan.OnFinished = [&](bool completed) { finished = completed; };
        TmediaScanRequest request;
        request.Folders = {music.string()};
        request.FullRescan = full;
        ASSERT_TRUE(scan.Start(request));
        ASSERT_TRUE(PumpUntil([&] { return fs::path(scan.Progress().Folder).filename() == "B"; }));
        scan.Stop();
        EXPECT_TRUE(scan.StopRequested());
        test::WriteTextFile(gate, "");
        ASSERT_TRUE(PumpUntil([&] { return finished.has_value(); }));
        EXPECT_FALSE(*finished);
        EXPECT_EQ(lib.GlobalList().Items(), before) << "full rescan " << full;
        EXPECT_EQ(lib.GlobalList().GetTag(0)->Title(), "Alpha") << "the known track took no new values";
        EXPECT_FALSE(lib.IsUpdating);
    }
    Queue().ProcessPendingCalls();
    EXPECT_EQ(FileBytes(data / "jukebox.dat"), saved);
    for (const char* folder : {"A", "B", "C"}) EXPECT_FALSE(fs::exists(music / folder / "tagcache.ubf"));
}

TEST_F(MediaScan, DestroyingARunningScanAppliesNothing) {
    Media(music, "b.fake", "Gate=" + gate.string() + "\nTitle=Beta\n");
    {
        TmediaScan scan(lib);
        bool finished = false;
        scan.OnFinished = [&](bool) { finished = true; };
        TmediaScanRequest request;
        request.Folders = {music.string()};
        ASSERT_TRUE(scan.Start(request));
        test::WriteTextFile(gate, "");
    }
    Queue().ProcessPendingCalls();
    EXPECT_EQ(lib.GlobalList().Count(), 0);
    EXPECT_FALSE(lib.IsUpdating);
}

struct MediaSearchWindow : MediaScan {
    void SetUp() override {
        test::App();
        MediaScan::SetUp();
    }
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TfrmMusicSearch& Form(QDialog& d) {
    return dynamic_cast<TfrmMusicSearch&>(d);
}

TEST_F(MediaSearchWindow, ScanWindowScansAudioThenVideoAndCloses) {
    lib.SetVideoSupport(true);
    lib.VideoFolders().Add(videos.string());
    Media(music, "a.fake", "Title=Alpha\n");
    // A track whose file is gone: the simple scan ("Run Scan") starts the list afresh.
    auto stale = std::make_shared<TaudioTag>();
    stale->SetFilename((music / "gone.fake").string());
    stale->SetTitle("Gone");
    stale->SetMediaType(1);
    lib.GlobalList().Add(stale);
    // Video titles come from the file name (the video mask "%t").
    Media(videos, "Clip.fake", "Title=Ignored\nMediaType=2\n");
    runner->Push([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Media Search");
        EXPECT_EQ(Form(d).btnScanAll->text().toStdString(), "Run Scan");
        EXPECT_TRUE(Form(d).cbFullRescan->isChecked());
        EXPECT_TRUE(PumpUntil([&] { return !d.isVisible(); }));
    });
    EXPECT_TRUE(ShowMediaSearch(&lib, true));
    EXPECT_EQ(SortedTitles(lib.GlobalList()), (Titles{"Alpha"}));
    EXPECT_EQ(SortedTitles(lib.VideoList()), (Titles{"Clip"}));
}

TEST_F(MediaSearchWindow, StopDuringTheAudioScanSkipsTheVideoScanAndChangesNothing) {
    lib.SetVideoSupport(true);
    lib.VideoFolders().Add(videos.string());
    Media(music, "a.fake", "Gate=" + gate.string() + "\nTitle=Alpha\n");
    Media(videos, "v.fake", "Title=Clip\nMediaType=2\n");
    runner->Push([&](QDialog& d) {
        TfrmMusicSearch& form = Form(d);
        ASSERT_TRUE(PumpUntil([&] { return form.Scanning(); }));
        EXPECT_FALSE(form.btnClose->isEnabled());
        form.close();
        EXPECT_TRUE(form.isVisible()) << "no closing while a scan runs";
        ASSERT_TRUE(form.btnStop->isEnabled());
        QTest::mouseClick(form.btnStop, Qt::LeftButton);
        test::WriteTextFile(gate, "");
        EXPECT_TRUE(PumpUntil([&] { return !d.isVisible(); }));
    });
    EXPECT_FALSE(ShowMediaSearch(&lib, true));
    EXPECT_EQ(lib.GlobalList().Count(), 0);
    EXPECT_EQ(lib.VideoList().Count(), 0);
}

TEST_F(MediaSearchWindow, OptionsDialogShowsVideoOnlyWithVideoSupportAndAppliesTheMasks) {
    runner->Push([&](QDialog& d) {
        TfrmMusicSearch& form = Form(d);
        EXPECT_FALSE(form.gbVideoMask->isVisibleTo(&form));
        EXPECT_FALSE(form.tcFolders->isTabVisible(1));
        EXPECT_FALSE(form.tcImports->isTabVisible(1));
        EXPECT_TRUE(form.btnScanSelected->isVisible());
        EXPECT_EQ(form.btnScanAll->text().toStdString(), "Scan All");
        EXPECT_FALSE(form.cbFullRescan->isChecked());
        EXPECT_EQ(form.clbFolders->count(), 1);
        form.cbUseAudioMask->setChecked(true);
        form.edAudioMask->setText("%a - %t");
        form.cbAdvanced->setChecked(false);
        EXPECT_FALSE(form.btnScanSelected->isVisible());
        QTest::mouseClick(form.btnClose, Qt::LeftButton);
    });
    bool advanced = true;
    EditMediaSearchOptions(&lib, advanced);
    EXPECT_FALSE(advanced);
    EXPECT_TRUE(lib.GlobalList().UseAudioFileMask());
    EXPECT_EQ(lib.GlobalList().AudioFileMask(), "%a - %t");
}

// Dressed for touch like the other editors: the skin's panel colour, buttons a finger hits,
// the whole window on a 1280 x 800 screen, and the masks typed on the on-screen keyboard.
TEST_F(MediaSearchWindow, TheWindowIsDressedForTouch) {
    SetFormSkinColors({RGBColor(104, 88, 78), RGBColor(40, 34, 30), clWhite});
    class TmaskPrompt : public Tprompt {
    public:
        std::optional<std::string> AskText(const std::string&, const std::string& caption,
                                           const std::string& initial) override {
            Asked.push_back(caption + "|" + initial);
            return std::string("%a - %t");
        }
        std::vector<std::string> Asked;
    };
    auto prompt = std::make_shared<TmaskPrompt>();
    const auto previous = SetPrompt(prompt);
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    runner->Push([&](QDialog& d) {
        TfrmMusicSearch& form = Form(d);
        EXPECT_EQ(form.palette().color(QPalette::Window), QColor(40, 34, 30));
        for (QPushButton* b : form.findChildren<QPushButton*>())
            if (b->isVisible()) EXPECT_GE(b->height(), 44) << b->objectName().toStdString();
        // The tabs of both pages show their captions whole.
        for (QTabBar* tabs : {form.tcFolders, form.tcImports}) {
            form.pcMain->setCurrentWidget(tabs->parentWidget());
            QCoreApplication::processEvents();
            EXPECT_GE(tabs->height(), 44) << tabs->objectName().toStdString();
        }
        EXPECT_LE(form.minimumSizeHint().width(), 1280);
        EXPECT_LE(form.minimumSizeHint().height(), 770);  // a title bar still fits in 800
        form.pcMain->setCurrentWidget(form.tsFileMasks);
        QTest::mouseClick(form.edAudioMask, Qt::LeftButton);
        EXPECT_EQ(form.edAudioMask->text().toStdString(), "%a - %t");
        QTest::mouseClick(form.btnClose, Qt::LeftButton);
    });
    bool advanced = true;
    EditMediaSearchOptions(&lib, advanced);
    SetPrompt(previous);
    ASSERT_EQ(prompt->Asked.size(), 1u);
    EXPECT_EQ(prompt->Asked[0].substr(0, prompt->Asked[0].find('|')), "Audio Folders Scan Mask");
    EXPECT_EQ(lib.GlobalList().AudioFileMask(), "%a - %t");
}

// Import files are chosen several at once in the touch chooser.
TEST_F(MediaSearchWindow, ImportFilesAreChosenSeveralAtOnce) {
    const fs::path lists = dir.Path() / "lists";
    fs::create_directories(lists);
    for (const char* name : {"bar.csv", "club.csv", "notes.txt"}) test::WriteTextFile(lists / name, "x");
    const auto previous = SetPrompt(std::make_shared<TskinnedPrompt>());
    runner->Push([&](QDialog& d) {
        TfrmMusicSearch& form = Form(d);
        form.pcMain->setCurrentWidget(form.tsImports);
        runner->Push([&](QDialog& chooser) {
            auto& c = dynamic_cast<TfrmFileChooser&>(chooser);
            c.OpenFolder(lists.string());
            ASSERT_TRUE(test::Pump([&] { return !c.Listing(); }, 30000));  // the folder is read on a thread
            for (const char* name : {"club.csv", "bar.csv"}) {
                const auto found = c.lbEntries->findItems(name, Qt::MatchExactly);
                ASSERT_EQ(found.size(), 1);
                QTest::mouseClick(c.lbEntries->viewport(), Qt::LeftButton, {},
                                  c.lbEntries->visualItemRect(found[0]).center());
            }
            QTest::mouseClick(c.btnOK, Qt::LeftButton, {}, c.btnOK->rect().center());
        });
        QTest::mouseClick(form.btnAddFile, Qt::LeftButton);
        EXPECT_EQ(form.lbImports->count(), 2);
        QTest::mouseClick(form.btnClose, Qt::LeftButton);
    });
    bool advanced = true;
    EditMediaSearchOptions(&lib, advanced);
    SetPrompt(previous);
    ASSERT_EQ(lib.AudioImportList().Count(), 2);
    EXPECT_EQ(lib.AudioImportList().Strings(0), (lists / "bar.csv").string());
    EXPECT_EQ(lib.AudioImportList().Strings(1), (lists / "club.csv").string());
}

}  // namespace
}  // namespace tunecrest
