// Skins on the main window, read through the skin file reader: the shipped skins,
// pictures named in any case, missing and damaged pictures, damaged skin files,
// switching skins while running, and writing the look back as a skin folder.
#include "mainwindow/skin/main_window_skin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "core/jukebox/global_prefs.h"
#include "core/base/services.h"
#include "mainwindow/window/main_form.h"
#include "skin/component_owner.h"
#include "skin/image_list.h"
#include "skin/keyboard.h"
#include "skin/skin_button.h"
#include "skin/qt_color.h"
#include "skin/skin_forms.h"
#include "skin/small_dialogs.h"
#include "skin/skin_panel.h"
#include "skin/skin_pictures.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"
#include "support/fake_media_player.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

class TskinForm : public TfrmCustomTunecrest {
public:
    explicit TskinForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/") {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A root whose skins folder holds copies of the two shipped skins, and the window on it.
class MainWindowSkin : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        root = Fdir.Path() / "root";
        fs::create_directories(root / "Settings");
        fs::create_directories(skins());
        for (const char* skin : {"Default", "Classic"})
            fs::copy(fs::path(TUNECREST_BIN_DIR) / "Skins" / skin, skins() / skin, fs::copy_options::recursive);
        Fform = std::make_unique<TskinForm>(std::vector<std::string>{"-RootFolder=" + root.string()});
        Fform->resize(1024, 700);
        SetErrorLogFile(Fdir.File("log.log"));
    }
    void TearDown() override {
        SetErrorLogFile("");
        Fform.reset();
    }
    fs::path skins() const { return root / "Skins"; }
    TskinForm& form() { return *Fform; }
    template <typename T>
    T* Get(const char* name) {
        return form().findChild<T*>(name);
    }
    QImage Shipped(const std::string& skin, const std::string& file) {
        return LoadSkinImage((skins() / skin / file).string());
    }
    // A skin folder holding `text` as its skin.usk.
    fs::path MakeSkin(const std::string& name, const std::string& text) {
        const fs::path folder = skins() / name;
        fs::create_directories(folder);
        std::ofstream(folder / "skin.usk", std::ios::binary) << text;
        return folder;
    }
    std::string Log() { return ReadAll(Fdir.File("log.log")); }
    QImage Look() {
        form().show();
        QApplication::processEvents();
        return form().grab().toImage();
    }

    test::TempDir Fdir;
    fs::path root;
    std::unique_ptr<TskinForm> Fform;
};

TEST_F(MainWindowSkin, ShippedSkinsLoadThroughTheReaderIntoEveryComponentAndThePreferences) {
    for (const char* name : {"Default", "Classic"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(form().LoadSkin((skins() / name).string()));
        TskinFile file;
        ASSERT_TRUE(file.LoadFromFile((skins() / name / "skin.usk").string()));
        // The generator wrote it through the same writer: read and written again, byte
        // for byte the same.
        EXPECT_EQ(file.GetText(), ReadAll((skins() / name / "skin.usk").string()));
        const TColor button = *file.ButtonColor(), panel = *file.PanelColor();
        for (const TskinComponent& c : MainWindowSkinComponents()) {
            auto* control = dynamic_cast<TskinnedControl*>(Get<QWidget>(c.Name));
            if (!control) continue;
            EXPECT_EQ(control->SkinBitmap(), Shipped(name, file.Image(c.Bitmap))) << c.Name;
        }
        EXPECT_EQ(Get<TmySkinButton>("btnPlay")->ButtonSkinColors().Color1(), button);
        EXPECT_EQ(Get<TmySkinButton>("btnPlay")->OuterSkinColors().Color1(), panel);
        EXPECT_EQ(Get<TmySkinPanel>("pnlButtons")->SkinColors().Color1(), panel);
        EXPECT_EQ(Get<TmySkinScrollBar>("sbQueue")->ButtonSkinColors().Color1(), button);
        EXPECT_EQ(form().Skin().FontShadows(), file.FontShadows());
        // The list store holds the skin's colours.
        TfontContainer lists = DefaultFontStore(fsLists);
        file.LoadFontStore(lists);
        EXPECT_EQ(form().Skin().FontStores().Lists().Colors().FindByName("Background")->color,
                  lists.Colors().FindByName("Background")->color);
        // The shared resources the dialogs and the keyboard read.
        TglobalPrefs& prefs = GlobalPrefs();
        EXPECT_EQ(prefs.FontContainer(), &form().Skin().FontStores().Lists());
        EXPECT_EQ(prefs.BitmapContainer(), &form().Skin().Bitmaps());
        EXPECT_TRUE(prefs.HasBitmap(0));
        EXPECT_TRUE(prefs.HasBitmap(1)) << "the backspace glyph is the store's second bitmap";
        EXPECT_TRUE(prefs.HasBitmap(2)) << "the forms' panel picture";
        EXPECT_FALSE(prefs.HasBitmap(3));
        EXPECT_EQ(FormPanelPicture(), Get<TmySkinPanel>("pnlVolume")->EffectiveSkin());
        EXPECT_EQ(prefs.SkinScrollBar(), form().Skin().TemplateScrollBar());
        EXPECT_EQ(form().Skin().TemplateScrollBar()->SkinBitmap(), Get<TmySkinScrollBar>("sbQueue")->SkinBitmap());
        ASSERT_NE(prefs.SkinButton(), nullptr);
        EXPECT_EQ(prefs.SkinButton(), SkinTemplateButton());
        EXPECT_EQ(prefs.SkinButton()->SkinBitmap(), Shipped(name, "KeyboardKey_Image.bmp"));
        EXPECT_EQ(FormSkinColors().ColorA, button);
        EXPECT_EQ(FormSkinColors().ColorB, panel);
        // The format language finds its fonts by their codes.
        EXPECT_NE(prefs.FontContainer()->Items().FindByMask("FAR"), nullptr);
    }
}

TEST_F(MainWindowSkin, PictureNamesAndSectionsMatchWithoutRegardToCase) {
    const fs::path folder = MakeSkin("Mixed", "[BTNPLAY]\r\nImage=button_image.bmp\r\n[SBQUEUE]\r\nImage=Bar.BMP\r\n");
    fs::copy_file(skins() / "Classic" / "Button_Image.bmp", folder / "BUTTON_IMAGE.BMP");
    fs::copy_file(skins() / "Classic" / "ScrollBarVertical_image.bmp", folder / "bar.bmp");
    ASSERT_TRUE(form().LoadSkin(folder.string()));
    EXPECT_EQ(Get<TmySkinButton>("btnPlay")->SkinBitmap(), Shipped("Classic", "Button_Image.bmp"));
    EXPECT_EQ(Get<TmySkinScrollBar>("sbQueue")->SkinBitmap(), Shipped("Classic", "ScrollBarVertical_image.bmp"));
    EXPECT_EQ(Log(), "");
}

TEST_F(MainWindowSkin, MissingOrDamagedPicturesFallBackToTheDefaultSkinsAndAreLogged) {
    const fs::path folder = MakeSkin("Broken", "[Colors]\r\nButtonColor=$00112233\r\nPanelColor=nonsense\r\n"
                                               "[btnPlay]\r\nImage=gone.bmp\r\n"
                                               "[btnStop]\r\nImage=bad.bmp\r\n"
                                               "[btnNext]\r\nImage=../Classic/Button_Image.bmp\r\n"
                                               "[pnlButtons]\r\nImage=cut.bmp\r\n"
                                               "[Keyboard]\r\nKeyImage=gone.bmp\r\n");
    std::ofstream(folder / "bad.bmp") << "these are not pixels";
    const std::string panel = ReadAll((skins() / "Classic" / "Panel_Image.bmp").string());
    std::ofstream(folder / "cut.bmp", std::ios::binary) << panel.substr(0, panel.size() / 2);
    ASSERT_TRUE(form().LoadSkin(folder.string()));

    const QImage defaultButton = Shipped("Default", "Button_Image.bmp");
    for (const char* name : {"btnPlay", "btnStop", "btnNext"}) {
        auto* b = Get<TmySkinButton>(name);
        EXPECT_TRUE(b->SkinBitmap().isNull()) << name;
        EXPECT_EQ(b->EffectiveSkin(), defaultButton) << name;
    }
    EXPECT_EQ(Get<TmySkinPanel>("pnlButtons")->EffectiveSkin(), Shipped("Default", "Panel_Image.bmp"));
    EXPECT_EQ(GlobalPrefs().SkinButton()->SkinBitmap(), Shipped("Default", "KeyboardKey_Image.bmp"));
    // A good colour is taken, a damaged one gives the default.
    EXPECT_EQ(form().Skin().ButtonColor(), TColor(0x00112233));
    EXPECT_EQ(form().Skin().PanelColor(), form().Skin().DefaultPanelColorValue);

    const std::string log = Log();
    EXPECT_NE(log.find("the picture of btnPlay \"gone.bmp\" is missing; the Default skin's picture is used"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("the picture of btnStop not a picture"), std::string::npos) << log;
    EXPECT_NE(log.find("the picture of btnNext \"../Classic/Button_Image.bmp\" is not a file of the skin folder"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("the picture of pnlButtons damaged picture (cut short)"), std::string::npos) << log;
    EXPECT_NE(log.find("PanelColor is no colour"), std::string::npos) << log;
}

TEST_F(MainWindowSkin, SkinWithOnlyColoursRecoloursAndKeepsTheBuiltInPictures) {
    ASSERT_TRUE(form().LoadSkin((skins() / "Classic").string()));
    // A control the window owns but no skin names takes the colours as well.
    auto* extra = CreateComponent<TmySkinPanel>(&form(), &form());
    extra->SetupFinished();
    const fs::path folder = MakeSkin("Plain", "[Colors]\r\nButtonColor=clRed\r\nPanelColor=clNavy\r\n");
    ASSERT_TRUE(form().LoadSkin(folder.string()));
    EXPECT_EQ(extra->SkinColors().Color1(), clNavy);
    EXPECT_EQ(FindComponent(&form(), "btnPlay"), Get<QObject>("btnPlay"));
    for (const TskinComponent& c : MainWindowSkinComponents()) {
        auto* control = dynamic_cast<TskinnedControl*>(Get<QWidget>(c.Name));
        if (!control) continue;
        EXPECT_TRUE(control->SkinBitmap().isNull()) << c.Name;
        EXPECT_FALSE(control->EffectiveSkin().isNull()) << c.Name;
    }
    EXPECT_EQ(Get<TmySkinButton>("btnPlay")->ButtonSkinColors().Color1(), clRed);
    EXPECT_EQ(Get<TmySkinPanel>("pnlNowPlaying")->SkinColors().Color1(), clNavy);
    EXPECT_EQ(Log(), "");
}

TEST_F(MainWindowSkin, DamagedSkinFilesGiveTheBuiltInLookWithTheDefaultColours) {
    ASSERT_TRUE(form().LoadSkin((skins() / "Classic").string()));
    std::string binary = ReadAll((skins() / "Classic" / "Button_Image.bmp").string());
    for (const std::string& text : {binary, std::string(kMaxSkinFileSize + 1, 'x')}) {
        const fs::path folder = MakeSkin("Damaged", text);
        std::string error;
        EXPECT_FALSE(form().Skin().LoadSkin((folder / "skin.usk").string(), &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(form().Skin().ButtonColor(), form().Skin().DefaultButtonColorValue);
        EXPECT_EQ(form().Skin().SkinFile(), "");
        auto* play = Get<TmySkinButton>("btnPlay");
        EXPECT_TRUE(play->SkinBitmap().isNull());
        EXPECT_EQ(play->EffectiveSkin(), Shipped("Default", "Button_Image.bmp"));
    }
    EXPECT_NE(Log().find("Skin not loaded"), std::string::npos);
    // The Default skin itself unreadable: the controls keep what they have and nothing
    // breaks.
    std::ofstream(skins() / "Default" / "skin.usk", std::ios::binary) << binary;
    TmainWindowSkin skin(form());
    skin.SetDefaultSkinFile((skins() / "Default" / "skin.usk").string());
    EXPECT_TRUE(skin.LoadSkin((skins() / "Classic" / "skin.usk").string()));
    EXPECT_TRUE(Get<TmySkinButton>("btnPlay")->DefaultSkinBitmap().isNull());
    EXPECT_EQ(Get<TmySkinButton>("btnPlay")->SkinBitmap(), Shipped("Classic", "Button_Image.bmp"));
}

TEST_F(MainWindowSkin, SwitchingSkinsAtRunTimeReappliesColoursFontsAndPictures) {
    auto dispatcher = std::make_shared<TqueueDispatcher>();
    SetDispatcher(dispatcher);
    auto change = [&](const std::string& name) {
        form().SetSkinFile(name);
        form().Skin().WaitForWorker();
        dispatcher->ProcessPendingCalls();
    };
    change("Default/skin.usk");
    EXPECT_EQ(form().Settings().SkinFile, "Default/skin.usk");
    const TColor defaultBackground = form().Skin().FontStores().Lists().Colors().FindByName("Background")->color;

    // The pictures are decoded on the worker; the window changes only when the main
    // thread applies them.
    form().SetSkinFile("Classic/skin.usk");
    form().Skin().WaitForWorker();
    EXPECT_EQ(Get<TmySkinButton>("btnPlay")->ButtonSkinColors().Color1(), TColor(RGBColor(78, 88, 104)));
    EXPECT_EQ(dispatcher->ProcessPendingCalls(), 1);
    EXPECT_EQ(form().Settings().SkinFile, "Classic/skin.usk");
    EXPECT_EQ(Get<TmySkinButton>("btnPlay")->ButtonSkinColors().Color1(), TColor(0xA86D4A));
    EXPECT_EQ(Get<TmySkinButton>("btnPlay")->SkinBitmap(), Shipped("Classic", "Button_Image.bmp"));
    EXPECT_EQ(Get<TmySkinScrollBar>("sbQueue")->SkinBitmap(), Shipped("Classic", "ScrollBarVertical_image.bmp"));
    EXPECT_TRUE(form().Skin().FontShadows());
    EXPECT_NE(form().Skin().FontStores().Lists().Colors().FindByName("Background")->color, defaultBackground);
    EXPECT_EQ(FormSkinColors().ColorA, TColor(0xA86D4A));
    EXPECT_EQ(form().palette().color(QPalette::Window), ToQColor(0x754939));
    const int decodes = form().Skin().ImageCache().DecodeCount();

    // Back to Default: every picture comes from the cache.
    change("Default/skin.usk");
    EXPECT_EQ(form().Skin().ImageCache().DecodeCount(), decodes);
    EXPECT_EQ(form().Skin().FontStores().Lists().Colors().FindByName("Background")->color, defaultBackground);
    EXPECT_FALSE(form().Skin().FontShadows());

    // A skin without fonts takes the window's default fonts, not the last skin's.
    change("Classic/skin.usk");
    MakeSkin("NoFonts", "[Colors]\r\nButtonColor=clGreen\r\n");
    change("NoFonts/skin.usk");
    EXPECT_EQ(form().Skin().FontStores().Lists().Colors().FindByName("Background")->color,
              DefaultFontStore(fsLists).Colors().FindByName("Background")->color);
    EXPECT_EQ(Get<TmySkinButton>("btnPlay")->ButtonSkinColors().Color1(), clGreen);

    // A skin that is not there becomes the Default skin.
    change("Gone/skin.usk");
    EXPECT_EQ(form().Settings().SkinFile, "Default/skin.usk");
    EXPECT_EQ(form().Skin().SkinFile(), (skins() / "Default" / "skin.usk").string());
    // A window closed while a change is on its way: the change is dropped, and the
    // preferences no longer point at what the window owned.
    form().SetSkinFile("Default/skin.usk");
    form().Skin().WaitForWorker();
    Fform.reset();
    EXPECT_EQ(dispatcher->ProcessPendingCalls(), 1);
    EXPECT_EQ(GlobalPrefs().FontContainer(), nullptr);
    EXPECT_EQ(GlobalPrefs().BitmapContainer(), nullptr);
    EXPECT_EQ(GlobalPrefs().SkinScrollBar(), nullptr);
    SetDispatcher(nullptr);
}

TEST_F(MainWindowSkin, ListIconsAreReplacedFromTheSkinAndWrittenBack) {
    TimageList icons(16, 16);
    QImage blank(16, 16, QImage::Format_RGB32);
    blank.fill(Qt::black);
    for (int i = 0; i < 3; ++i) icons.Add(blank);
    form().Skin().SetIconList(&icons);
    const fs::path folder = MakeSkin("Icons", "[Icon1]\r\nFilename=note.bmp\r\nTransparentColor=clLime\r\n");
    QImage note(16, 16, QImage::Format_RGB32);
    note.fill(Qt::green);
    note.setPixel(8, 8, qRgb(200, 10, 10));
    ASSERT_TRUE(SaveSkinImage((folder / "note.bmp").string(), note));
    ASSERT_TRUE(form().LoadSkin(folder.string()));
    // Icon0 is missing, so no icon is read: the icons are a run from 0.
    EXPECT_NE(icons.Image(1).pixel(8, 8), qRgb(200, 10, 10));
    std::ofstream(folder / "skin.usk", std::ios::binary)
        << "[Icon0]\r\nFilename=note.bmp\r\nTransparentColor=clLime\r\n";
    ASSERT_TRUE(form().LoadSkin(folder.string()));
    EXPECT_EQ(icons.Image(0).pixel(8, 8), qRgb(200, 10, 10));
    EXPECT_EQ(icons.TransparentColor(0), clLime);
    const fs::path target = Fdir.Path() / "WithIcons";
    ASSERT_TRUE(form().Skin().SaveSkin((target / "skin.usk").string()));
    TskinFile saved;
    ASSERT_TRUE(saved.LoadFromFile((target / "skin.usk").string()));
    ASSERT_EQ(saved.Icons().size(), 3u);
    EXPECT_EQ(saved.Icons()[0], (TskinIcon{"icons0_image.bmp", clLime}));
    EXPECT_EQ(LoadSkinImage((target / "icons0_image.bmp").string()).pixel(8, 8), qRgb(200, 10, 10));
    form().Skin().SetIconList(nullptr);
}

TEST_F(MainWindowSkin, SavedIntoAnEmptyFolderLoadsBackToTheSameLook) {
    ASSERT_TRUE(form().LoadSkin((skins() / "Classic").string()));
    const QImage classic = Look();
    const fs::path target = Fdir.Path() / "Export" / "Night";
    std::string error;
    ASSERT_TRUE(form().Skin().SaveSkin((target / "skin.usk").string(), &error)) << error;
    // The window's own pictures, and the shipped templates the carried-over sections name.
    for (const char* file : {"btnPlay_Image.bmp", "pnlButtons_Image.bmp", "sbQueue_image.bmp", "KeyboardKey_Image.bmp",
                             "CheckButton_Image.bmp", "MultiButton_image.bmp"})
        EXPECT_TRUE(fs::is_regular_file(target / file)) << file;
    TskinFile saved;
    ASSERT_TRUE(saved.LoadFromFile((target / "skin.usk").string()));
    EXPECT_EQ(saved.Info().Title, "Classic");
    EXPECT_EQ(saved.Image("btnPlay"), "btnPlay_Image.bmp");
    EXPECT_EQ(saved.StretchDraw("pnlButtons"), false);

    ASSERT_TRUE(form().LoadSkin((skins() / "Default").string()));
    EXPECT_NE(Look(), classic);
    ASSERT_TRUE(form().LoadSkin(target.string()));
    EXPECT_EQ(Look(), classic);
    EXPECT_EQ(form().Skin().FontShadows(), true);
}

TEST_F(MainWindowSkin, ListPictureThatIsAJpegIsSavedAsJpg) {
    const fs::path folder = MakeSkin("Photo", "[lstQueue]\r\nBackImage=stage.jpg\r\n");
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(QColor(40, 60, 90));
    ASSERT_TRUE(SaveSkinImage((folder / "stage.jpg").string(), photo));
    ASSERT_TRUE(form().LoadSkin(folder.string()));
    auto* list = Get<TcustomTouchListBox>("lstQueue");
    ASSERT_FALSE(list->BackgroundImage().isNull());
    const fs::path target = Fdir.Path() / "Copy";
    ASSERT_TRUE(form().Skin().SaveSkin((target / "skin.usk").string()));
    EXPECT_TRUE(IsJpegFile((target / "lstQueue_BackImage.jpg").string()));
    TskinFile saved;
    ASSERT_TRUE(saved.LoadFromFile((target / "skin.usk").string()));
    EXPECT_EQ(saved.Image("lstQueue", "BackImage"), "lstQueue_BackImage.jpg");
}

TEST_F(MainWindowSkin, FailedSaveIsShownAndLeavesNoSkinFile) {
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto previous = SetPrompt(prompt);
    ASSERT_TRUE(form().LoadSkin((skins() / "Classic").string()));
    std::ofstream(Fdir.File("plain.txt")) << "x";
    std::string error;
    EXPECT_FALSE(form().Skin().SaveSkin(Fdir.File("plain.txt") + "/Skin/skin.usk", &error));
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(prompt->Messages.size(), 1u);
    EXPECT_EQ(prompt->Messages[0], "ERROR|An error occured while saving the skin");
    // A folder that cannot take the pictures: stopped before the skin file.
    const fs::path locked = Fdir.Path() / "Locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (access(locked.c_str(), W_OK) != 0) {
        EXPECT_FALSE(form().Skin().SaveSkin((locked / "skin.usk").string()));
        EXPECT_FALSE(fs::exists(locked / "skin.usk"));
        EXPECT_EQ(prompt->Messages.size(), 2u);
    }
    SetPrompt(previous);
}

}  // namespace
}  // namespace tunecrest
