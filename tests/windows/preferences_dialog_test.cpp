#include "windows/settings/preferences_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QWindow>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <deque>
#include <sstream>

#include "core/library/album_artist_groupings.h"
#include "core/jukebox/global_prefs.h"
#include "core/library/jukebox_list.h"
#include "support/browse_library.h"
#include "support/keyboard_typing.h"
#include "support/recording_prompt.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"
#include "windows/password_entry.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;
using test::TypeOnKeyboard;

void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
TfrmPreferences& Form(QDialog& d) { return dynamic_cast<TfrmPreferences&>(d); }

class TtextPrompt : public test::TrecordingPrompt {
public:
    std::optional<std::string> AskText(const std::string& title, const std::string& caption,
                                       const std::string& initial) override
    {
        Asked.push_back(title + "|" + caption + "|" + initial);
        if (Texts.empty()) return std::nullopt;
        std::string t = Texts.front();
        Texts.pop_front();
        return t;
    }
    std::deque<std::string> Texts;
    std::vector<std::string> Asked;
};

// Every field away from its default, so a field the dialog drops shows up.
TprefsRec Unusual()
{
    TprefsRec r;
    r.CoverArtFolder = "/covers/";
    r.CoverArtFolderFirst = true;
    r.OnlyCoverArtFolder = true;
    r.ScreenSaverEnabled = true;
    r.ScreenSaverTimeout = 17;
    r.CoverArtSize = 420;
    r.UseRandomImages = true;
    r.RandomImagesFolder = "/pictures/";
    r.SlideShow = true;
    r.SlideTime = 45;
    r.SlideTimeUnit = 0;
    r.ShowClock = true;
    r.CoverArtClick = 2;
    r.NoMappingDuplicates = true;
    r.MapThe = true;
    r.ConfirmExit = true;
    r.ShutdownOnExit = true;
    r.DefaultToShutdown = true;
    r.KeyboardsOn = false;
    r.KeySize = 85;
    r.BackButtonAction = 2;
    r.TrackMouse = true;
    r.MenuHeight = 33;
    r.HideCursorWithMenu = true;
    r.ScreenSaverOffDuringVideo = false;
    return r;
}

// The record's fields as one text, to compare two records.
std::string Text(const TprefsRec& r)
{
    std::ostringstream o;
    o << r.CoverArtFolder << r.CoverArtFolderFirst << r.OnlyCoverArtFolder << r.ScreenSaverEnabled << ' '
      << r.ScreenSaverTimeout << ' ' << r.CoverArtSize << r.UseRandomImages << r.RandomImagesFolder << r.SlideShow
      << ' ' << r.SlideTime << ' ' << int(r.SlideTimeUnit) << r.ShowClock << r.CoverArtClick
      << r.HideSlideShowPanels << r.MappingsChanged << r.NoMappingDuplicates << r.MapThe << r.ConfirmExit
      << r.ShutdownOnExit << r.DefaultToShutdown << r.KeyboardsOn << ' ' << r.KeySize << ' ' << r.BackButtonAction
      << r.TrackMouse << ' ' << r.MenuHeight << r.HideCursorWithMenu << r.ScreenSaverOffDuringVideo;
    return o.str();
}

struct Preferences : ::testing::Test {
    void SetUp() override
    {
        test::App();
        previousPrompt = SetPrompt(prompt);
        keySize = GlobalPrefs().KeySize();
        keyboards = GlobalPrefs().OnScreenKeyboardsEnabled();
    }
    void TearDown() override
    {
        SetPrompt(previousPrompt);
        GlobalPrefs().SetKeySize(keySize);
        GlobalPrefs().SetOnScreenKeyboardsEnabled(keyboards);
    }
    std::shared_ptr<TtextPrompt> prompt = std::make_shared<TtextPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    int keySize = 0;
    bool keyboards = false;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

// Without a library the dialog still shows and keeps the record's values: OK must not
// turn them into the dialog's design defaults.
TEST_F(Preferences, WithoutALibraryOkKeepsEveryValue)
{
    TprefsRec rec = Unusual();
    const std::string before = Text(rec);
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_EQ(f.edCoverArtFolder->text(), "/covers/");
        EXPECT_FALSE(f.tsArtists->isEnabled());
        EXPECT_TRUE(f.cbNoDuplicates->isChecked());
        Click(f.btnOK);
    });
    EXPECT_TRUE(ShowPreferences(rec, "General"));
    EXPECT_EQ(Text(rec), before);
    EXPECT_EQ(GlobalPrefs().KeySize(), 85);
    EXPECT_FALSE(GlobalPrefs().OnScreenKeyboardsEnabled());
}

TEST_F(Preferences, WithALibraryEveryFieldSurvivesOk)
{
    test::BrowseLibrary library;
    TprefsRec rec = Unusual();
    rec.JukeboxList = library.lib.get();
    const std::string before = Text(rec);
    runner->Push([](QDialog& d) { Click(Form(d).btnOK); });
    EXPECT_TRUE(ShowPreferences(rec, "General"));
    EXPECT_EQ(Text(rec), before);
}

TEST_F(Preferences, CancelChangesNothing)
{
    TprefsRec rec = Unusual();
    const std::string before = Text(rec);
    const int size = GlobalPrefs().KeySize();
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        f.seKeySize->setValue(11);
        f.edCoverArtFolder->setText("/elsewhere/");
        f.cbScreenSaverEnabled->setChecked(false);
        Click(f.btnCancel);
    });
    EXPECT_FALSE(ShowPreferences(rec, "General"));
    EXPECT_EQ(Text(rec), before);
    EXPECT_EQ(GlobalPrefs().KeySize(), size);
}

TEST_F(Preferences, PagesBackButtonAndHiddenGroups)
{
    TprefsRec rec;
    rec.BackButtonAction = 5;
    rec.HideExitGroup = true;
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_EQ(f.windowTitle(), "Preferences");
        EXPECT_EQ(f.pcPreferences->currentWidget(), f.tsScreenSaver);
        EXPECT_EQ(f.cboBackButton->currentText(), "Add Previous Track to the Queue");
        EXPECT_TRUE(f.gbExit->isHidden());
        EXPECT_FALSE(f.gbBackButton->isHidden());
        EXPECT_FALSE(f.cbScreenSaverOffDuringVideo->isHidden());
        Click(f.btnCancel);
    });
    ShowPreferences(rec, "screensaver");
    // The main window has no back button and hides that group: the video option, on the
    // screen saver's page, can still be set by a touch.
    rec.HideBackButtonGroup = true;
    rec.ScreenSaverOffDuringVideo = false;
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_EQ(f.pcPreferences->currentWidget(), f.tsGeneral);
        EXPECT_TRUE(f.gbBackButton->isHidden());
        QTest::mouseClick(f.pcPreferences->tabBar(), Qt::LeftButton, {},
                          f.pcPreferences->tabBar()->tabRect(f.pcPreferences->indexOf(f.tsScreenSaver)).center());
        ASSERT_TRUE(f.cbScreenSaverOffDuringVideo->isVisible());
        QTest::mouseClick(f.cbScreenSaverOffDuringVideo, Qt::LeftButton, {},
                          QPoint(12, f.cbScreenSaverOffDuringVideo->height() / 2));
        Click(f.btnOK);
    });
    EXPECT_TRUE(ShowPreferences(rec, "General"));
    EXPECT_TRUE(rec.ScreenSaverOffDuringVideo);
}

TEST_F(Preferences, ScreenSaverControlsFollowTheirSwitches)
{
    EXPECT_FALSE(ScreenSaverActive(false, 0));
    EXPECT_TRUE(ScreenSaverActive(false, 1));
    EXPECT_TRUE(ScreenSaverActive(true, 0));
    TprefsRec rec;
    rec.ScreenSaverEnabled = false;
    rec.CoverArtClick = 0;
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_FALSE(f.gbScreenSaverSettings->isEnabled());
        EXPECT_FALSE(f.pnlSlideShowFolder->isEnabled());
        EXPECT_FALSE(f.seTimeout->isEnabled());
        EXPECT_FALSE(f.seSlideTime->isEnabled());
        // A cover-art click starts the saver: its settings wake up, the time-out does not.
        f.cboCoverArtClick->setCurrentIndex(1);
        EXPECT_TRUE(f.gbScreenSaverSettings->isEnabled());
        EXPECT_FALSE(f.seTimeout->isEnabled());
        EXPECT_FALSE(f.gbSlideShow->isEnabled()) << "cover art without the no-cover-art box";
        f.cbUseRandomImages->setChecked(true);
        EXPECT_TRUE(f.gbSlideShow->isEnabled());
        f.cbUseRandomImages->setChecked(false);
        f.cboSaverType->setCurrentIndex(1);
        EXPECT_TRUE(f.gbSlideShow->isEnabled());
        f.cbScreenSaverEnabled->setChecked(true);
        EXPECT_TRUE(f.seTimeout->isEnabled());
        // Exit options: each lower box needs the one above.
        EXPECT_FALSE(f.cbShutdownOnExit->isEnabled());
        f.cbConfirmExit->setChecked(true);
        f.cbShutdownOnExit->setChecked(true);
        f.cbDefaultToShutdown->setChecked(true);
        f.cbConfirmExit->setChecked(false);
        EXPECT_FALSE(f.cbShutdownOnExit->isChecked());
        EXPECT_FALSE(f.cbDefaultToShutdown->isChecked());
        Click(f.btnOK);
    });
    EXPECT_TRUE(ShowPreferences(rec, "ScreenSaver"));
    EXPECT_EQ(rec.CoverArtClick, 1);
    EXPECT_TRUE(rec.SlideShow);
    EXPECT_TRUE(rec.ScreenSaverEnabled);
    EXPECT_FALSE(rec.ShutdownOnExit);
}

// Without a keyboard on the touch screen, a touch on a folder field asks for the text
// in the text-entry window; with the on-screen keyboards off it is left to the field.
TEST_F(Preferences, FolderFieldsTypeThroughTheTextEntry)
{
    TprefsRec rec;
    prompt->Texts = {"/media/covers/"};
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
        QTest::mouseClick(f.edCoverArtFolder, Qt::LeftButton);
        EXPECT_EQ(f.edCoverArtFolder->text(), "/media/covers/");
        GlobalPrefs().SetOnScreenKeyboardsEnabled(false);
        QTest::mouseClick(f.edCoverArtFolder, Qt::LeftButton);
        Click(f.btnOK);
    });
    EXPECT_TRUE(ShowPreferences(rec, "General"));
    EXPECT_EQ(prompt->Asked, (std::vector<std::string>{"Preferences|Cover Art Folder:|"}));
    EXPECT_EQ(rec.CoverArtFolder, "/media/covers/");
}

// The text entry stays on top of the dialog that asked, not of the full-screen main window
// behind it: it is that dialog's transient, and the dialog has the focus again after it.
TEST_F(Preferences, TheTextEntryStaysWithTheDialogThatAsked)
{
    SetPrompt(std::make_shared<TskinnedPrompt>());
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    QWidget mainWindow;
    mainWindow.resize(1280, 800);
    mainWindow.show();
    TprefsRec rec;
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        runner->Push([&](QDialog& entry) {
            ASSERT_NE(entry.windowHandle(), nullptr);
            EXPECT_EQ(entry.windowHandle()->transientParent(), f.windowHandle());
            TypeOnKeyboard("/");
            test::Press(dynamic_cast<TfrmPassword2&>(entry).btnOK);
        });
        QTest::mouseClick(f.edCoverArtFolder, Qt::LeftButton);
        EXPECT_EQ(f.edCoverArtFolder->text(), "/");
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &f; }, 2000));
        Click(f.btnOK);
    });
    EXPECT_TRUE(ShowPreferences(rec, "General"));
    EXPECT_EQ(rec.CoverArtFolder, "/");
}

TEST_F(Preferences, ArtistMappingsEditedAndApplied)
{
    test::BrowseLibrary library;
    TaudioTagArtistList& artists = library.lib->ArtistList();
    artists.SetMappings({"Zed=Zed Z"});
    TprefsRec rec;
    rec.JukeboxList = library.lib.get();
    prompt->Texts = {"ABBA!", "Yello Band"};
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_TRUE(f.tsArtists->isEnabled());
        EXPECT_TRUE(f.lbArtists->findItems("[Not Tagged]", Qt::MatchExactly).isEmpty());
        EXPECT_EQ(f.lbMappings->count(), 1);
        f.lbArtists->setCurrentItem(f.lbArtists->findItems("Abba", Qt::MatchExactly).value(0));
        Click(f.btnStandardMap);
        Click(f.btnCustomMap);
        f.lbMappings->setCurrentRow(0);
        Click(f.btnDeleteMap);
        f.lbArtists->setCurrentItem(f.lbArtists->findItems("Yello", Qt::MatchExactly).value(0));
        Click(f.btnStandardMap);
        f.lbMappings->setCurrentRow(2);
        Click(f.btnEditMap);
        Click(f.btnOK);
    });
    EXPECT_TRUE(ShowPreferences(rec, "General"));
    EXPECT_TRUE(rec.MappingsChanged);
    EXPECT_EQ(artists.Mappings().ToVector(), (std::vector<std::string>{"Abba=", "Abba=ABBA!", "Yello=Yello Band"}));
    EXPECT_EQ(prompt->Asked[0],
              "Mapping for Abba|Enter Mapped Name (leave blank for default mapping of LastName, FirstName)|");
    EXPECT_EQ(prompt->Asked[1].substr(prompt->Asked[1].size() - 1), "|");

    // Only "No Duplicates" changed: still a mapping change, the lines stay.
    rec.MappingsChanged = false;
    runner->Push([](QDialog& d) {
        Form(d).cbNoDuplicates->setChecked(true);
        Click(Form(d).btnOK);
    });
    EXPECT_TRUE(ShowPreferences(rec, "General"));
    EXPECT_TRUE(rec.MappingsChanged);
    EXPECT_TRUE(rec.NoMappingDuplicates);
    EXPECT_EQ(artists.Mappings().Count(), 3);
}

// The mapping prompt offers "leave blank": on the touch screen's text entry, OK with the
// text cleared is an answer (the default mapping), not "Blank Entry".
TEST_F(Preferences, AMappingLeftBlankOnTheTouchScreenIsTaken)
{
    SetPrompt(std::make_shared<TskinnedPrompt>());
    test::BrowseLibrary library;
    library.lib->ArtistList().SetMappings({"Abba=ABBA!"});
    TprefsRec rec;
    rec.JukeboxList = library.lib.get();
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        f.lbMappings->setCurrentRow(0);
        runner->Push([](QDialog& entry) {
            auto& w = dynamic_cast<TfrmPassword2&>(entry);
            EXPECT_EQ(w.edPassword->text(), "ABBA!");
            test::Press(Keyboard().Key(48));  // "Clr"
            test::Press(w.btnOK);
            EXPECT_FALSE(w.isVisible());
        });
        Click(f.btnEditMap);
        EXPECT_EQ(f.lbMappings->item(0)->text(), "Abba=");
        Click(f.btnOK);
    });
    EXPECT_TRUE(ShowPreferences(rec, "General"));
    EXPECT_EQ(library.lib->ArtistList().Mappings().ToVector(), std::vector<std::string>{"Abba="});
}

}  // namespace
}  // namespace tunecrest
