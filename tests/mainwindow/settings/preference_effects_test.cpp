// What the preferences change on the running window: the keyboard's key size and the
// backspace glyph of the shipped skins, the single-touch multi-select of every list,
// the mouse tracking of the lists and cover matrices, the cover's click, the cover art
// folder searched first, the tree rebuilt after a mapping change, and the view settings'
// "Set Defaults".
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/jukebox/global_prefs.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/views/cover_matrix.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"
#include "mainwindow/views/track_views.h"
#include "mainwindow/entries/window_entries.h"
#include "mainwindow/skin/main_window_skin.h"
#include "skin/html_label.h"
#include "skin/image_list.h"
#include "skin/keyboard.h"
#include "skin/paint_regions.h"
#include "skin/skin_button.h"
#include "skin/skin_pictures.h"
#include "skin/touch_list_box.h"
#include "support/fake_media_player.h"
#include "support/scripted_modal_runner.h"
#include "support/tags.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/tree_text.h"
#include "windows/dialogs/dialog_form.h"
#include "windows/dialogs/view_settings.h"
#include "windows/settings/preferences_dialog.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

class TprefsEffectsForm : public TfrmCustomTunecrest {
public:
    explicit TprefsEffectsForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/")
    {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

TfrmPreferences& Prefs(QDialog& d) { return dynamic_cast<TfrmPreferences&>(d); }
void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

struct PrefsRig {
    test::TempDir dir;
    std::string root;
    std::shared_ptr<test::TscriptedModalRunner> runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
    std::unique_ptr<TprefsEffectsForm> form;
    int keySize = GlobalPrefs().KeySize();
    bool single = GlobalPrefs().SingleClickMultiSelect();
    int delay = GlobalPrefs().SingleClickMultiSelectDelay();
    PrefsRig()
    {
        test::App();
        root = (dir.Path() / "root").string();
        fs::create_directories(root + "/Settings");
        TaggerLoader().SetPluginFolder((fs::path(TUNECREST_BIN_DIR) / "TagPlugins").string());
        form = std::make_unique<TprefsEffectsForm>(std::vector<std::string>{"-RootFolder=" + root});
        InstallWindowEntries(*form);
        form->DoInitialise();
    }
    ~PrefsRig()
    {
        form->Controller().SetClosing();
        form.reset();
        TaggerLoader().SetPluginFolder("");
        GlobalPrefs().BeginUpdate();
        GlobalPrefs().SetKeySize(keySize);
        GlobalPrefs().SetSingleClickMultiSelect(single);
        GlobalPrefs().SetSingleClickMultiSelectDelay(delay);
        GlobalPrefs().EndUpdate();
    }
    // Opens the preferences through the window's action and answers with `change`, then OK.
    void Preferences(std::function<void(TfrmPreferences&)> change)
    {
        runner->Push([change](QDialog& d) {
            change(Prefs(d));
            Click(Prefs(d).btnOK);
        });
        ASSERT_TRUE(form->RunAction("actnSettingsGeneral"));
        ASSERT_EQ(runner->Pending(), 0);
    }
};

TEST(PreferenceEffects, KeySizeReachesTheKeyboardAtOnceAndTheShippedSkinsGiveBackspaceItsGlyph)
{
    PrefsRig r;
    for (const char* skin : {"Default", "Classic"}) {
        ASSERT_TRUE(r.form->LoadSkin((fs::path(TUNECREST_BIN_DIR) / "Skins" / skin).string()));
        TmySkinButton* backspace = Keyboard().Key(39);
        ASSERT_EQ(Keyboard().KeyCode(39), kKeyBackspace);
        EXPECT_FALSE(backspace->Glyph().isNull()) << skin << ": the backspace key shows neither caption nor glyph";
        EXPECT_FALSE(backspace->ShowCaption());
    }
    r.Preferences([](TfrmPreferences& p) { p.seKeySize->setValue(70); });
    EXPECT_EQ(GlobalPrefs().KeySize(), 70);
    EXPECT_EQ(Keyboard().KeyboardWidth(), 770);
    EXPECT_EQ(Keyboard().KeyboardHeight(), 350);
    EXPECT_EQ(Keyboard().Key(48)->geometry(), QRect(700, 280, 70, 70));
    EXPECT_EQ(Keyboard().KeyFontSize(), 23);
    // A skin loaded afterwards keeps the size the preferences hold.
    ASSERT_TRUE(r.form->LoadSkin((fs::path(TUNECREST_BIN_DIR) / "Skins" / "Default").string()));
    EXPECT_EQ(Keyboard().KeyboardWidth(), 770);
    EXPECT_EQ(Keyboard().Key(47)->geometry(), QRect(490, 280, 140, 70));
}

TEST(PreferenceEffects, SingleTouchMultiSelectAndItsDelayReachEveryListOfTheWindow)
{
    PrefsRig r;
    TmainLayout& layout = r.form->Layout();
    const std::vector<TcustomTouchListBox*> lists = {layout.Tree, layout.TrackList, layout.QueueList};
    r.Preferences([](TfrmPreferences& p) {
        p.cbSingleClickMultiSelect->setChecked(true);
        p.seClickDelay->setValue(800);
    });
    for (TcustomTouchListBox* list : lists) {
        EXPECT_TRUE(list->SingleClickMultiSelect) << list->objectName().toStdString();
        EXPECT_EQ(list->SingleClickMultiSelectDelay, 800u) << list->objectName().toStdString();
    }
    r.Preferences([](TfrmPreferences& p) {
        p.cbSingleClickMultiSelect->setChecked(false);
        p.seClickDelay->setValue(250);
    });
    for (TcustomTouchListBox* list : lists) {
        EXPECT_FALSE(list->SingleClickMultiSelect) << list->objectName().toStdString();
        EXPECT_EQ(list->SingleClickMultiSelectDelay, 250u) << list->objectName().toStdString();
    }
}

TEST(PreferenceEffects, TrackMouseCoverFolderFirstAndTheCoversClickTakeEffect)
{
    PrefsRig r;
    TmainLayout& layout = r.form->Layout();
    r.Preferences([](TfrmPreferences& p) {
        p.cbTrackMouse->setChecked(true);
        p.cbCoverArtFolderFirst->setChecked(true);
        p.cboCoverArtClick->setCurrentIndex(1);
    });
    for (TcustomTouchListBox* list : {static_cast<TcustomTouchListBox*>(layout.Tree),
                                      static_cast<TcustomTouchListBox*>(layout.TrackList),
                                      static_cast<TcustomTouchListBox*>(layout.QueueList)})
        EXPECT_TRUE(list->TrackMouse) << list->objectName().toStdString();
    EXPECT_TRUE(layout.CoverMatrix->TrackMouse());
    EXPECT_TRUE(layout.ArtistCoverMatrix->TrackMouse());
    EXPECT_TRUE(layout.CoverFileFirst);
    EXPECT_TRUE(layout.Covers().CoverFileFirst);
    EXPECT_TRUE(layout.ArtistCovers().CoverFileFirst);

    // "On Single Click": a touch on the now-playing cover starts the screen saver.
    TdialogEntries& entries = r.form->DialogEntries();
    EXPECT_FALSE(entries.ScreenSaverVisible());
    QTest::mouseClick(layout.NowPlayingCover, Qt::LeftButton);
    EXPECT_TRUE(entries.ScreenSaverVisible());
    entries.CloseScreenSaver();
    // "Never": the cover is just a picture again.
    r.Preferences([](TfrmPreferences& p) {
        p.cbTrackMouse->setChecked(false);
        p.cboCoverArtClick->setCurrentIndex(0);
    });
    QTest::mouseClick(layout.NowPlayingCover, Qt::LeftButton);
    EXPECT_FALSE(entries.ScreenSaverVisible());
    EXPECT_FALSE(layout.TrackList->TrackMouse);
    EXPECT_FALSE(layout.CoverMatrix->TrackMouse());
    // "On Double Click": one click does nothing, two start it.
    r.Preferences([](TfrmPreferences& p) { p.cboCoverArtClick->setCurrentIndex(2); });
    QTest::mouseClick(layout.NowPlayingCover, Qt::LeftButton);
    EXPECT_FALSE(entries.ScreenSaverVisible());
    QTest::mouseDClick(layout.NowPlayingCover, Qt::LeftButton);
    EXPECT_TRUE(entries.ScreenSaverVisible());
    entries.CloseScreenSaver();
}

bool TreeHas(TtouchTreeView& tree, const std::string& caption)
{
    const std::vector<std::string> lines = test::Describe(tree.Nodes());
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(caption + " #") != std::string::npos; });
}

TEST(PreferenceEffects, AChangedArtistMappingRebuildsTheTree)
{
    PrefsRig r;
    TcustomlocalJukeboxList& library = *r.form->JukeboxList();
    library.GlobalList().BeginUpdate();
    library.GlobalList().Add(test::MakeLibraryTag("/m/b/1.mp3", "The Band", "Weight", "Big Pink", "Rock", "1968", 1));
    library.GlobalList().EndUpdate();
    library.ArtistList().MapThe = true;
    library.ArtistList().MappingsNoDuplicates = false;
    library.ArtistList().ApplyMappings();
    r.form->Layout().Browse().Viewer().SetDisplayMode(DisplayModes({dmArtists}));
    r.form->BuildTreeView();
    TtouchTreeView& tree = *r.form->Layout().Tree;
    ASSERT_TRUE(TreeHas(tree, "The Band")) << testing::PrintToString(test::Describe(tree.Nodes()));
    // A rebuilt tree is made of new nodes; an OK that changes no mapping keeps the old ones.
    const TmyNode* first = tree.Nodes().Items(0);
    r.Preferences([](TfrmPreferences& p) { p.cbTrackMouse->setChecked(!p.cbTrackMouse->isChecked()); });
    EXPECT_EQ(tree.Nodes().Items(0), first);
    r.Preferences([](TfrmPreferences& p) { p.cbNoDuplicates->setChecked(true); });
    EXPECT_TRUE(library.ArtistList().MappingsNoDuplicates);
    ASSERT_GT(tree.Nodes().Count(), 0);
    EXPECT_NE(tree.Nodes().Items(0), first) << "the tree was not rebuilt";
    EXPECT_TRUE(TreeHas(tree, "The Band"));
}

// "Set Defaults" of the view settings gives every format string its default back; Cancel
// undoes it with the rest.
TEST(PreferenceEffects, ViewSettingsSetDefaultsResetsTheFormatStrings)
{
    PrefsRig r;
    TformatStringContainer& formats = r.form->Layout().FormatStrings;
    ASSERT_GT(formats.Items().Count(), 0);
    const std::string original = formats.Items().Items(0)->formatString;
    formats.Items().Items(0)->formatString = "<b>%title%</b>";
    for (bool ok : {false, true}) {
        r.runner->Push([ok](QDialog& d) {
            auto& w = dynamic_cast<TfrmViewSettings&>(d);
            PressButton(*w.btnSetDefaults);
            PressButton(ok ? *w.btnOK : *w.btnCancel);
        });
        r.form->RunAction("actnViewOptions");
        ASSERT_EQ(r.runner->Pending(), 0);
        EXPECT_EQ(formats.Items().Items(0)->formatString, ok ? original : "<b>%title%</b>") << ok;
    }
}

// The skin's "FontShadows" draws the list headings with a shadow, and its "Icon" sections
// replace the list icons; the next skin without them shows the built-in icons again.
TEST(PreferenceEffects, SkinShadowsAndIconsReachTheWindow)
{
    PrefsRig r;
    const fs::path shipped = fs::path(TUNECREST_BIN_DIR) / "Skins";
    ASSERT_TRUE(r.form->LoadSkin((shipped / "Classic").string()));
    ASSERT_TRUE(r.form->Skin().FontShadows());
    EXPECT_EQ(r.form->Layout().TrackListHeader->LabelStyle(), lsShadow);
    EXPECT_EQ(r.form->Layout().QueueHeader->LabelStyle(), lsShadow);
    ASSERT_TRUE(r.form->LoadSkin((shipped / "Default").string()));
    EXPECT_EQ(r.form->Layout().TrackListHeader->LabelStyle(), lsNormal);

    TimageList& icons = ListIcons();
    ASSERT_GT(icons.Count(), 1);
    const QImage builtIn = icons.Image(0);
    const fs::path folder = r.dir.Path() / "Skins" / "Notes";
    fs::create_directories(folder);
    QImage note(16, 16, QImage::Format_RGB32);
    note.fill(Qt::green);
    note.setPixel(8, 8, qRgb(200, 10, 10));
    ASSERT_TRUE(SaveSkinImage((folder / "note.bmp").string(), note));
    std::ofstream(folder / "skin.usk", std::ios::binary) << "[Icon0]\r\nFilename=note.bmp\r\nTransparentColor=clLime\r\n";
    ASSERT_TRUE(r.form->LoadSkin(folder.string()));
    EXPECT_EQ(icons.TransparentColor(0), clLime);
    EXPECT_EQ(icons.Image(0).pixel(icons.Width() / 2, icons.Height() / 2), qRgb(200, 10, 10));
    ASSERT_TRUE(r.form->LoadSkin((shipped / "Default").string()));
    EXPECT_EQ(icons.Image(0), builtIn);
    EXPECT_EQ(icons.TransparentColor(0), clFuchsia);
}

}  // namespace
}  // namespace tunecrest
