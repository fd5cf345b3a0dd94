#include "mainwindow/window/main_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "core/tags/tagger_loader.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"
#include "support/fake_media_player.h"
#include "support/media_files.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

// The product window with the fake player in place of an engine.
class TtestForm : public TfrmCustomTunecrest {
public:
    TtestForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/") { FormCreate(); }
    test::FakeMediaPlayer* Fake = nullptr;

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = Fake = new test::FakeMediaPlayer; }
};

// Answers the open-file question with one file.
struct TanswerFilePrompt : Tprompt {
    explicit TanswerFilePrompt(std::string file) : File(std::move(file)) {}
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return File;
    }
    std::string File;
};

struct FormRig {
    test::TempDir dir;
    std::string root;
    FormRig() {
        test::App();
        root = (dir.Path() / "root").string();
        std::filesystem::create_directories(root + "/Settings");
        TaggerLoader().SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
    }
    ~FormRig() { TaggerLoader().SetPluginFolder(""); }
    void Seed(const std::string& text) {
        std::ofstream out(root + "/Settings/settings.ini");
        out << text;
    }
    std::string MakeFile(const std::string& name) {
        const auto path = dir.File(name);
        EXPECT_TRUE(test::MakeMediaFile(path, test::TmediaFormat::Wav, 0.5));
        return path;
    }
};

TEST(MainForm, StartsUpInOrderAndSavesAtClose) {
    FormRig r;
    r.Seed("[Geometry]\nLeft=900\nTop=10\nWidth=800\nHeight=600\nFullScreen=0\n"
           "[RandomPlay]\nEnabled=0\n[Preferences]\nUnknownKey=kept\n");
    {
        std::ofstream(r.root + "/Settings/mappings.txt") << "The Band=Band, The\n";
    }
    TtestForm form({"-RootFolder=" + r.root});
    EXPECT_EQ(form.Folders().RootFolder(), r.root + "/");
    for (const char* name : {"Data", "Settings", "Cartridges", "Reports", "Plugins", "Docs", "ControlPlugins", "Skins"})
        EXPECT_TRUE(std::filesystem::is_directory(r.root + "/" + name)) << name;
    ASSERT_NE(form.Fake, nullptr);
    ASSERT_NE(form.JukeboxList(), nullptr);
    EXPECT_EQ(form.JukeboxList()->Jukebox()->Player(), form.Fake);
    EXPECT_EQ(form.JukeboxList()->Jukebox()->Playlist().Title(), "RUNNING");
    EXPECT_EQ(form.JukeboxList()->ArtistList().Mappings().Count(), 1);
    form.ReadDisplaySettings();
    // Stored far right: the window keeps its width and is moved onto the screen.
    EXPECT_EQ(form.width(), 800);
    EXPECT_GE(form.x(), 0);
    form.DoInitialise();
    EXPECT_TRUE(form.Initialised());
    // The shipped tag reader stays loaded under the engine's support level.
    EXPECT_EQ(TaggerLoader().SupportLevel(), 2u);
    EXPECT_NE(TaggerLoader().FindPluginForFile(r.MakeFile("probe.wav")), nullptr);
    form.ProcessCommandLine({r.MakeFile("a.wav"), r.MakeFile("b.wav"), "/nonexistent.wav"});
    EXPECT_EQ(form.JukeboxList()->Jukebox()->Queue().Count(), 2);
    EXPECT_EQ(form.findChild<TtouchListBox*>("lstQueue")->Count(), 2);
    ASSERT_EQ(form.QueueLines().size(), 2u);
    EXPECT_NE(form.QueueLines()[0].find("a"), std::string::npos);
    form.PlayerPlay();
    ASSERT_TRUE(form.Controller().CurrentTrack());
    EXPECT_EQ(std::filesystem::path(form.Controller().CurrentTrack()->Filename().str()).filename(), "a.wav");
    form.close();
    EXPECT_TRUE(form.Closing());
    const TiniFile ini(r.root + "/Settings/settings.ini");
    EXPECT_EQ(ini.ReadInteger("Geometry", "Left", 0), 900);  // the stored geometry, not the clamped one
    EXPECT_EQ(ini.ReadString("Preferences", "UnknownKey", ""), "kept");
    EXPECT_TRUE(ini.ValueExists("Jukebox", "AudioFolders") || ini.SectionExists("Jukebox"));
    EXPECT_TRUE(std::filesystem::exists(r.root + "/Data/queue.dat"));
    EXPECT_EQ(form.Fake->Calls.back(), "PlayTag");  // nothing started during close
}

// A file named on the command line is queued; it is not filed into the library, which
// holds what its folders hold: after a restart the library still does not list it (the
// queue, saved as ever, still does). A file of the library is queued as its own track.
TEST(MainForm, CommandLineFilesAreQueuedWithoutJoiningTheLibrary) {
    FormRig r;
    r.Seed("[Geometry]\nFullScreen=0\n[RandomPlay]\nEnabled=0\n");
    const std::string known = r.MakeFile("known.wav"), outside = r.MakeFile("outside.wav");
    {
        TtestForm form({"-RootFolder=" + r.root});
        form.ReadDisplaySettings();
        form.DoInitialise();
        auto* list = form.JukeboxList();
        list->GlobalList().AddFiles({known}, true);
        ASSERT_EQ(list->GlobalList().Count(), 1);
        form.ProcessCommandLine({outside, known});
        ASSERT_EQ(list->Jukebox()->Queue().Count(), 2);
        EXPECT_EQ(list->Jukebox()->Queue().GetTag(0)->Filename(), outside);
        EXPECT_EQ(list->Jukebox()->Queue().GetTag(1)->Filename(), known);
        EXPECT_EQ(list->GlobalList().Count(), 1) << "the outside file joined the library";
        int index = -1;
        EXPECT_FALSE(list->FileIndex().Find(outside, index));
        // The queue-a-file action takes the same road.
        auto prompt = std::make_shared<TanswerFilePrompt>(outside);
        auto old = SetPrompt(prompt);
        EXPECT_TRUE(form.Actions().ExecuteByName("actnFileQueueFile"));
        SetPrompt(old);
        EXPECT_EQ(list->Jukebox()->Queue().Count(), 3);
        EXPECT_EQ(list->GlobalList().Count(), 1);
        form.close();
    }
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.DoInitialise();
    auto* list = form.JukeboxList();
    ASSERT_EQ(list->GlobalList().Count(), 1);
    EXPECT_EQ(list->GlobalList().GetTag(0)->Filename(), known);
    ASSERT_EQ(list->Jukebox()->Queue().Count(), 3);
    EXPECT_EQ(list->Jukebox()->Queue().GetTag(0)->Filename(), outside);
    form.close();
}

TEST(MainForm, SkinnedControlsTakeTheSkinAndStayTouchSized) {
    FormRig r;
    r.Seed("[Geometry]\nWidth=1024\nHeight=700\nFullScreen=0\n");
    TtestForm form({"-RootFolder=" + r.root});
    auto* play = form.findChild<TmySkinButton*>("btnPlay");
    auto* panel = form.findChild<TmySkinPanel*>("pnlButtons");
    auto* bar = form.findChild<TmySkinScrollBar*>("sbQueue");
    auto* list = form.findChild<TtouchListBox*>("lstQueue");
    ASSERT_TRUE(play && panel && bar && list);
    EXPECT_TRUE(play->IsSetUp());
    EXPECT_TRUE(panel->IsSetUp());
    // No skin here: nothing changes and the controls keep their default look.
    EXPECT_FALSE(form.LoadSkin(r.root + "/Skins"));
    EXPECT_TRUE(play->SkinBitmap().isNull());
    for (const char* skin : {"Default", "Classic"}) {
        const auto folder = std::filesystem::path(TUNECREST_BIN_DIR) / "Skins" / skin;
        ASSERT_TRUE(form.LoadSkin(folder.string())) << skin;
        EXPECT_FALSE(play->SkinBitmap().isNull()) << skin;
        EXPECT_FALSE(panel->SkinBitmap().isNull()) << skin;
        EXPECT_FALSE(bar->SkinBitmap().isNull()) << skin;
    }
    // The settings name a skin below the root's skins folder.
    std::filesystem::copy(std::filesystem::path(TUNECREST_BIN_DIR) / "Skins" / "Classic", r.root + "/Skins/Classic");
    form.Settings().SkinFile = "Classic/skin.usk";
    EXPECT_EQ(form.SkinFolder(), r.root + "/Skins/Classic");
    form.Settings().SkinFile = "Missing/skin.usk";
    EXPECT_EQ(form.SkinFolder(), "");
    form.ReadDisplaySettings();
    form.DoInitialise();
    form.show();
    QApplication::processEvents();
    for (QWidget* w : std::initializer_list<QWidget*>{play, form.findChild<TmySkinButton*>("btnStop"),
                                                      form.findChild<TmySkinButton*>("btnNext"), bar}) {
        EXPECT_GE(w->width(), 48) << w->objectName().toStdString();
        EXPECT_GE(w->height(), 48) << w->objectName().toStdString();
    }
    EXPECT_GE(list->ItemHeight(), 48);
    // The bound bar follows the list's range once the queue outgrows the rows shown.
    for (int i = 0; i < 30; ++i) form.ProcessCommandLine({r.MakeFile("q" + std::to_string(i) + ".wav")});
    QApplication::processEvents();
    EXPECT_EQ(list->Count(), int(form.QueueLines().size()));
    EXPECT_EQ(bar->Max(), list->MaxTopIndex());
    EXPECT_GT(bar->Max(), 0);
    form.Controller().SetClosing();
}

TEST(MainForm, ExitWithShutdownSavesAndClosesFirstAndOnlyAsksForPowerOffAfter) {
    FormRig r;
    r.Seed("[Preferences]\nConfirmExit=1\nShutdownOnExit=1\nDefaultToShutdown=1\n[Geometry]\nFullScreen=0\n");
    TtestForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.DoInitialise();
    form.show();
    // Without a person the question takes the preselected "Shut Down the computer".
    form.AskExitOrShutdown();
    EXPECT_TRUE(form.ShutdownRequested());
    EXPECT_TRUE(form.Closing()) << "the window closed and saved before any power-off";
    EXPECT_FALSE(form.JukeboxList()->BackgroundWorkPending()) << "no save is left for after the power-off";
    EXPECT_TRUE(TiniFile(r.root + "/Settings/settings.ini").ValueExists("Preferences", "AlwaysOnTop"));
}

TEST(MainForm, DialogEntriesSayTheWindowIsNotAvailableYet) {
    EXPECT_EQ(TdialogEntries::NotAvailableText("Preferences"), "The Preferences window is not available yet.");
    TdialogEntries entries;
    EXPECT_FALSE(entries.HasScreenSaver());
    // Without a person the pick-one question takes the preselected item.
    EXPECT_EQ(entries.SelectString("What do you want to do?", {"Exit", "Shut Down the computer"}, 1), 1);
    EXPECT_EQ(entries.SelectString("x", {}, 0), -1);
}

}  // namespace
}  // namespace tunecrest
