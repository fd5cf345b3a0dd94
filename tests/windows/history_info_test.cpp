// The history window and the information window: a played file leaves the history and
// the library only once it is really deleted from the disk (a file that cannot be
// deleted changes nothing and says so), the window follows the history while it is
// shown, and the information report's figures for a fixture library.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "core/base/date_time.h"
#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "support/fake_tagger.h"
#include "support/recording_prompt.h"
#include "support/scripted_modal_runner.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/without_root.h"
#include "windows/library/jukebox_info.h"
#include "windows/search/history_window.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::MakeLibraryTag;
using test::MakeTag;
using Titles = std::vector<std::string>;

struct History : ::testing::Test {
    test::TempDir dir;
    TlocalJukeboxList lib;
    std::shared_ptr<test::TrecordingPrompt> prompt = std::make_shared<test::TrecordingPrompt>();
    std::shared_ptr<Tprompt> previous;
    fs::path songs = dir.Path() / "songs";

    void SetUp() override {
        previous = SetPrompt(prompt);
        SetClock([] { return EncodeDate(2026, 12, 8) + EncodeTime(21, 5, 0, 0); });
        lib.SetDataFolder((dir.Path() / "Data").string());
        fs::create_directories(songs);
        for (const char* name : {"a", "b"}) {
            const std::string file = (songs / (std::string(name) + ".mp3")).string();
            test::WriteTextFile(file, "x");
            lib.GlobalList().Add(MakeTag("X", name, 60, file));
            lib.Jukebox()->History().Add(MakeTag("X", name, 60, file));
        }
    }
    void TearDown() override {
        SetClock({});
        SetPrompt(previous);
    }
    Titles HistoryTitles() { return test::Titles(lib.Jukebox()->History()); }
};

TEST_F(History, AFileThatCannotBeDeletedStaysInTheHistoryAndTheLibrary) {
    const auto outcome = test::RunWithoutRoot(dir.Path(), [&] {
        fs::permissions(songs, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(DeleteHistoryFile(lib, 0));
        EXPECT_TRUE(fs::exists(songs / "a.mp3"));
        EXPECT_EQ(HistoryTitles(), (Titles{"a", "b"}));
        EXPECT_EQ(test::Titles(lib.GlobalList()), (Titles{"a", "b"}));
        EXPECT_EQ(prompt->Messages,
                  (std::vector<std::string>{"Error|Unable to delete file : " + (songs / "a.mp3").string()}));
    });
    if (outcome == test::TwithoutRoot::Unavailable) GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(outcome, test::TwithoutRoot::Passed);
}

TEST_F(History, DeletedOnlyAfterTheQuestionAndTheDeletion) {
    prompt->Answer = false;
    EXPECT_FALSE(DeleteHistoryFile(lib, 1));
    EXPECT_TRUE(fs::exists(songs / "b.mp3"));
    ASSERT_EQ(prompt->Questions.size(), 1u);
    EXPECT_EQ(prompt->Questions[0],
              "Are you sure you want to delete " + (songs / "b.mp3").string() +
                  " from your system?\rThis action will permanently delete the file from "
                  "your system.");
    prompt->Answer = true;
    EXPECT_TRUE(DeleteHistoryFile(lib, 1));
    EXPECT_FALSE(fs::exists(songs / "b.mp3"));
    EXPECT_EQ(HistoryTitles(), (Titles{"a"}));
    EXPECT_EQ(test::Titles(lib.GlobalList()), (Titles{"a"}));
    // A file that is already gone asks nothing and changes nothing.
    fs::remove(songs / "a.mp3");
    EXPECT_FALSE(DeleteHistoryFile(lib, 0));
    EXPECT_FALSE(DeleteHistoryFile(lib, 5));
    EXPECT_EQ(prompt->Questions.size(), 2u);
    EXPECT_EQ(HistoryTitles(), (Titles{"a"}));
}

TEST_F(History, WindowListsTheHistoryAndFollowsItWhileShown) {
    test::App();
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    runner->Push([&](QDialog& d) {
        auto* list = d.findChild<QTreeWidget*>("lvHistory");
        ASSERT_TRUE(list);
        EXPECT_EQ(d.windowTitle().toStdString(), "History List");
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(0).toStdString(), "21:05");
        EXPECT_EQ(list->topLevelItem(1)->text(2).toStdString(), "b");
        lib.Jukebox()->History().Add(MakeTag("Y", "c", 60, "/nowhere/c.mp3"));
        EXPECT_EQ(list->topLevelItemCount(), 3);
        list->setCurrentItem(list->topLevelItem(0));
        QTest::mouseClick(d.findChild<QPushButton*>("btnDelete"), Qt::LeftButton);
        EXPECT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(2).toStdString(), "b");
        QTest::mouseClick(d.findChild<QPushButton*>("btnClose"), Qt::LeftButton);
    });
    bool outside = false;
    lib.Jukebox()->History().OnChange = [&](TObject*) { outside = true; };
    ShowHistory(&lib);
    EXPECT_TRUE(outside) << "the previous handler keeps running";
    outside = false;
    lib.Jukebox()->History().Add(MakeTag("Z", "d"));
    EXPECT_TRUE(outside) << "and is put back";
    EXPECT_FALSE(fs::exists(songs / "a.mp3"));
}

TEST(JukeboxInfo, FiguresOfAFixtureLibrary) {
    EXPECT_EQ(InfoDuration(0), "0:00:00");
    EXPECT_EQ(InfoDuration(100 * 3600 + 61), "100:01:01") << "hours do not wrap into days";
    test::TempDir dir;
    TlocalJukeboxList lib;
    lib.SetDataFolder(dir.Path().string());
    TaudioTagList& global = lib.GlobalList();
    global.BeginUpdate();
    global.Add(MakeLibraryTag("/m/1.mp3", "Abba", "One", "Gold"));
    global.Add(MakeLibraryTag("/m/2.mp3", "Abba", "Two", "Gold"));
    global.Add(MakeLibraryTag("/m/3.mp3", "Cure", "Three", "Pornography"));
    global.GetTag(0)->SetDuration(90 * 3600);
    global.GetTag(1)->SetDuration(10 * 3600 + 59);
    global.GetTag(2)->SetDuration(1);
    global.EndUpdate();
    lib.Jukebox()->Queue().Add(MakeTag("Q", "q", 125));
    auto cartridge = std::make_shared<TaudioTagList>();
    cartridge->SetTitle("Box");
    cartridge->Add(MakeTag("S", "s1", 60));
    cartridge->Add(MakeTag("S", "s2", 60));
    lib.Jukebox()->Stacker().AddList(cartridge);
    const std::vector<std::string> expected = {"Global List Details",
                                               "  Track Count  : 3",
                                               "  Duration     : 100:01:00",
                                               "  Artist Count : 2",
                                               "  Album Count  : 2",
                                               "",
                                               "Queue Details",
                                               "  Track Count : 1",
                                               "  Duration    : 0:02:05",
                                               "",
                                               "Stacker Details (Disabled)",
                                               "  List Count  : 1",
                                               "  Track Count : 2",
                                               "  Duration    : 0:02:00",
                                               "",
                                               "Playlist Details",
                                               "  Active Playlist : [none]",
                                               "  Track Count     : 0",
                                               "  Duration        : 0:00:00"};
    EXPECT_EQ(JukeboxInfoLines(lib), expected);

    test::App();
    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    runner->Push([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Information");
        auto* memo = d.findChild<QPlainTextEdit*>("mmoInfo");
        ASSERT_TRUE(memo);
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_EQ(memo->toPlainText().split('\n').size(), int(expected.size()));
        EXPECT_EQ(memo->toPlainText().split('\n')[1].toStdString(), "  Track Count  : 3");
        QTest::mouseClick(d.findChild<QPushButton*>("btnClose"), Qt::LeftButton);
    });
    ShowJukeboxInfo(&lib);
    EXPECT_EQ(runner->Pending(), 0);
}

}  // namespace
}  // namespace tunecrest
