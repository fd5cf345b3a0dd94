#include "windows/editors/skin_editor.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QAbstractItemView>
#include <QLabel>
#include <QListView>
#include <QTabWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

#include "core/base/ini_file.h"
#include "skin/color_panels.h"
#include "skin/qt_color.h"
#include "windows/editors/color_chooser.h"
#include "support/recording_prompt.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::TscriptedModalRunner;

void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
TfrmJukeboxSkin& Form(QDialog& d) { return dynamic_cast<TfrmJukeboxSkin&>(d); }

TfontContainer Store(const std::string& name, TColor color, const std::vector<std::string>& fonts, bool background)
{
    TfontContainer store;
    store.NiceName = name;
    for (const std::string& f : fonts) {
        TfontItem& item = store.Items().Add();
        item.NiceName = f;
        TFont font;
        font.Name = "Arial";
        font.Size = 10;
        font.Color = color;
        item.SetFont(font);
    }
    if (background) {
        TcolorItem& c = store.Colors().Add();
        c.NiceName = "Background";
        c.color = clNavy;
    }
    return store;
}

std::string Saved(const TfontContainer& store)
{
    TiniFile ini;
    store.Items().SaveFonts(ini, "Fonts");
    store.Colors().SaveColors(ini, "Colors");
    return ini.GetText();
}

class TfakeHost : public TskinEditorHost {
public:
    explicit TfakeHost(std::string folder) : Folder(std::move(folder))
    {
        Stores.push_back(std::make_unique<TfontContainer>(Store("Lists", clWhite, {"Artist", "Title"}, true)));
        Stores.push_back(std::make_unique<TfontContainer>(Store("Song Title", clYellow, {"Title", "Album"}, false)));
    }
    std::vector<TfontContainer*> FontStores() override
    {
        std::vector<TfontContainer*> s;
        for (auto& p : Stores) s.push_back(p.get());
        return s;
    }
    TColor ButtonColor() const override { return Button; }
    TColor PanelColor() const override { return Panel; }
    TColor DefaultButtonColor() const override { return clMaroon; }
    TColor DefaultPanelColor() const override { return clTeal; }
    std::string SkinsFolder() const override { return Folder; }
    void SetSkinFile(const std::string& file, std::function<void(bool)> done) override
    {
        Loaded.push_back(file);
        Pending = std::move(done);
    }
    // The new skin arrives: its fonts replace the window's.
    void FinishLoad()
    {
        Stores[0]->Assign(Store("Lists", clLime, {"Artist", "Title"}, true));
        Button = clGreen;
        if (Pending) Pending(true);
        Pending = nullptr;
    }
    // As the window does: the written skin carries over the Info of the skin in use.
    bool ExportSkin(const std::string& skinFile, std::string*) override
    {
        Exported.push_back(skinFile);
        TiniFile ini(skinFile);
        ini.WriteString("Info", "Title", CurrentTitle);
        ini.WriteString("Info", "Description", "The skin in use");
        return ini.UpdateFile();
    }
    std::string CurrentSkinFile() const override { return Current; }
    std::string CurrentTitle = "Default";
    std::string Current;
    void ApplyListAppearance() override { ++ListAppearance; }
    void ApplyColors(TColor button, TColor panel) override
    {
        ++ColorApplies;
        Button = button;
        Panel = panel;
    }

    std::string Folder;
    std::vector<std::unique_ptr<TfontContainer>> Stores;
    TColor Button = clBlue, Panel = clBlack;
    std::vector<std::string> Loaded, Exported;
    std::function<void(bool)> Pending;
    int ListAppearance = 0, ColorApplies = 0;
};

void WriteSkin(const fs::path& folder, const std::string& title, const std::string& creator = "")
{
    fs::create_directories(folder);
    TiniFile ini((folder / "skin.usk").string());
    if (!title.empty()) ini.WriteString("Info", "Title", title);
    if (!creator.empty()) ini.WriteString("Info", "Creator", creator);
    ini.WriteString("Info", "Description", "A skin");
    ASSERT_TRUE(ini.UpdateFile());
}

struct SkinEditor : ::testing::Test {
    void SetUp() override
    {
        test::App();
        previousPrompt = SetPrompt(prompt);
    }
    void TearDown() override { SetPrompt(previousPrompt); }
    test::TempDir dir;
    TfakeHost host{dir.Path().string()};
    std::shared_ptr<test::TrecordingPrompt> prompt = std::make_shared<test::TrecordingPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(SkinEditor, SkinListDefaultFirstThenByTitle)
{
    WriteSkin(dir.Path() / "Blue", "");
    WriteSkin(dir.Path() / "Default", "Default");
    WriteSkin(dir.Path() / "amber", "amber", "Sam");
    fs::create_directories(dir.Path() / "Empty");
    std::vector<std::string> titles;
    for (const TskinRec& s : ListSkins(dir.Path().string())) titles.push_back(s.Title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Default", "amber", "Blue"}));
    fs::remove_all(dir.Path() / "Default");
    const auto skins = ListSkins(dir.Path().string());
    ASSERT_EQ(skins.size(), 3u);
    EXPECT_EQ(skins[0].Title, "Default");
    EXPECT_EQ(skins[0].FileName, (dir.Path() / "Default" / "skin.usk").string());
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        f.lbSkins->setCurrentRow(1);
        EXPECT_EQ(f.mmoDetails->toPlainText(), "Creator : Sam\nDescription : A skin");
        f.lbSkins->setCurrentRow(2);
        EXPECT_EQ(f.mmoDetails->toPlainText(), "Description : A skin");
        Click(f.btnCancel);
    });
    EditJukeboxSkin(host);
}

TEST(SkinExportName, HostileNamesRefused)
{
    for (const char* good : {"My Skin", "Bar-2026", "Blue.v2", "\xC3\x89t\xC3\xA9"}) EXPECT_TRUE(ValidSkinExportName(good)) << good;
    for (const std::string& bad : {std::string(""), std::string("."), std::string(".."), std::string("../x"),
                                  std::string("a/b"), std::string("a\\b"), std::string("tab\there"),
                                  std::string("nl\n"), std::string("x:y"), std::string("what?"), std::string("dot."),
                                  std::string(" lead"), std::string(300, 'a'), std::string("a\x7f", 2)})
        EXPECT_FALSE(ValidSkinExportName(bad)) << bad;
}

TEST_F(SkinEditor, CancelAndOkWithoutChangeApplyNothing)
{
    const std::string before = Saved(*host.Stores[0]);
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_EQ(f.windowTitle(), "Skins");
        EXPECT_EQ(f.tvFonts->topLevelItemCount(), 2);
        f.SelectItem(0, true, 0);
        f.cbBold->setChecked(true);
        Click(f.btnDefaultButtonColor);
        Click(f.btnCancel);
    });
    EXPECT_FALSE(EditJukeboxSkin(host));
    EXPECT_EQ(Saved(*host.Stores[0]), before);
    EXPECT_EQ(host.Button, clBlue);
    runner->Push([](QDialog& d) { Click(Form(d).btnOK); });
    EXPECT_TRUE(EditJukeboxSkin(host));
    EXPECT_EQ(host.ListAppearance, 0);
    EXPECT_EQ(host.ColorApplies, 0);
}

TEST_F(SkinEditor, OkAppliesFontsAndColours)
{
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        f.SelectItem(1, true, 1);
        EXPECT_EQ(f.gbFontAttributes->title(), "Font Attributes : Song Title - Album");
        f.cbBold->setChecked(true);
        f.seFontSize->setValue(22);
        f.SelectItem(0, false, 0);
        EXPECT_FALSE(f.gbColorAttributes->isHidden());
        EXPECT_TRUE(f.gbFontAttributes->isHidden());
        Click(f.btnDefaultPanelColor);
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditJukeboxSkin(host));
    const TFont album = host.Stores[1]->Items().Items(1)->font();
    EXPECT_TRUE(album.Bold);
    EXPECT_EQ(album.Size, 22);
    EXPECT_FALSE(host.Stores[1]->Items().Items(0)->font().Bold);
    EXPECT_EQ(host.ListAppearance, 1);
    EXPECT_EQ(host.ColorApplies, 1);
    EXPECT_EQ(host.Panel, clTeal);
    EXPECT_EQ(host.Button, clBlue);
}

// Lightness apart of two colours: text must stand out from what it is drawn on.
int Contrast(const QColor& a, const QColor& b) { return std::abs(a.lightness() - b.lightness()); }

TEST_F(SkinEditor, FontAndColourChoosersReadWellAndTheEditorFitsTheScreen)
{
    const auto previousCall = SetColorDialogCall([](QWidget* parent, TColor c) { return ChooseColor(parent, c); });
    const TColor blue = ChooserSwatchColors()[13];
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        // A font and then a colour item: the window stays within a 1280 x 800 screen, with
        // room for a window manager's title bar.
        f.SelectItem(0, true, 0);
        EXPECT_LE(f.minimumSizeHint().height(), 770);
        EXPECT_LE(f.height(), 770);
        f.SelectItem(0, false, 0);
        EXPECT_LE(f.minimumSizeHint().height(), 770);
        f.SelectItem(0, true, 1);

        // Select Font: its lists show dark text on a light field, its labels read on the panel.
        runner->Push([](QDialog& fontDialog) {
            EXPECT_EQ(fontDialog.objectName(), "dlgSelectFont");
            for (QListView* list : fontDialog.findChildren<QListView*>()) {
                list->ensurePolished();
                EXPECT_GT(Contrast(list->palette().color(QPalette::Text), list->palette().color(QPalette::Base)), 120);
            }
            for (QLabel* label : fontDialog.findChildren<QLabel*>()) {
                if (!label->isVisible()) continue;
                label->ensurePolished();
                EXPECT_GT(Contrast(label->palette().color(QPalette::WindowText),
                                   fontDialog.palette().color(QPalette::Window)),
                          100)
                    << label->text().toStdString();
            }
            fontDialog.reject();
        });
        Click(f.btnSelectFont);

        // The colour list: rows a finger hits, and the entry that opens the colour chooser.
        EXPECT_GE(f.cboFontColor->RowHeight(), 48);
        const int last = f.cboFontColor->count() - 1;
        EXPECT_EQ(f.cboFontColor->itemText(last), "Choose a Color...");
        runner->Push([&](QDialog& chooser) {
            auto& c = dynamic_cast<TfrmSelectColor&>(chooser);
            EXPECT_EQ(c.windowTitle(), "Select Color");
            for (QPushButton* swatch : c.Swatches) {
                EXPECT_GE(swatch->width(), 48);
                EXPECT_GE(swatch->height(), 44);
            }
            for (QLabel* label : c.findChildren<QLabel*>())
                if (label != c.pnlPreview)
                    EXPECT_GT(Contrast(label->palette().color(QPalette::WindowText),
                                       c.palette().color(QPalette::Window)),
                              100);
            Click(c.Swatches[13]);
            EXPECT_EQ(c.pnlPreview->text(), ToQColor(blue).name().toUpper());
            Click(c.btnOK);
        });
        f.cboFontColor->showPopup();
        QAbstractItemView* view = f.cboFontColor->view();
        view->scrollToBottom();
        QCoreApplication::processEvents();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(last, 0)).center());
        QCoreApplication::processEvents();
        EXPECT_EQ(f.SelectedFont()->font().Color, blue);

        // The object colours' swatches open the same chooser.
        runner->Push([&](QDialog& chooser) {
            auto& c = dynamic_cast<TfrmSelectColor&>(chooser);
            EXPECT_EQ(c.Color(), clBlue);  // the host's button colour
            Click(c.Swatches[0]);
            Click(c.btnOK);
        });
        Click(f.pnlButtonColor);
        EXPECT_EQ(f.ButtonColorValue(), ChooserSwatchColors()[0]);
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditJukeboxSkin(host));
    EXPECT_EQ(runner->Pending(), 0);
    EXPECT_EQ(host.Stores[0]->Items().Items(1)->font().Color, blue);
    EXPECT_EQ(host.Button, ChooserSwatchColors()[0]);
    SetColorDialogCall(previousCall);
}

TEST_F(SkinEditor, MatchAllSetsCopiesOnlyTheTickedAttributes)
{
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        f.SelectItem(0, true, 1);  // Lists - Title
        f.cbBold->setChecked(true);
        f.seFontSize->setValue(30);
        f.cbMatchName->setChecked(true);
        f.cbMatchSize->setChecked(true);
        Click(f.btnMatchAllSets);
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditJukeboxSkin(host));
    const TFont title = host.Stores[1]->Items().Items(0)->font();
    EXPECT_EQ(title.Size, 30);
    EXPECT_FALSE(title.Bold) << "style was not ticked";
    EXPECT_EQ(title.Color, clYellow) << "colour was not ticked";
    EXPECT_EQ(host.Stores[1]->Items().Items(1)->font().Size, 10) << "Album has no match in Lists";
}

// Loading a skin replaces the window's fonts; OK afterwards must not put the editor's
// copies of the old skin back over them, even when the new skin arrives late.
TEST_F(SkinEditor, LoadSkinRebuildsTheCopies)
{
    WriteSkin(dir.Path() / "Green", "Green");
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        f.SelectItem(0, true, 0);
        f.cbItalic->setChecked(true);
        f.pcSkin->setCurrentIndex(1);
        f.lbSkins->setCurrentRow(1);
        Click(f.btnLoadSkin);
        host.FinishLoad();
        EXPECT_EQ(f.ButtonColorValue(), clGreen);
        EXPECT_EQ(f.Stores()[0].Copy->Items().Items(0)->font().Color, clLime);
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditJukeboxSkin(host));
    ASSERT_EQ(host.Loaded.size(), 1u);
    EXPECT_EQ(host.Loaded[0], (dir.Path() / "Green" / "skin.usk").string());
    EXPECT_EQ(host.Stores[0]->Items().Items(0)->font().Color, clLime);
    EXPECT_FALSE(host.Stores[0]->Items().Items(0)->font().Italic);
    EXPECT_EQ(host.ListAppearance, 0);
    EXPECT_EQ(host.ColorApplies, 0);

    // A load that finishes after the editor closed touches nothing of it.
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        f.lbSkins->setCurrentRow(0);
        Click(f.btnLoadSkin);
        Click(f.btnCancel);
    });
    EditJukeboxSkin(host);
    host.FinishLoad();
}

// An exported skin is listed under its new name; the shipped skins and the skin in use
// are never replaced, whatever the answer would be.
TEST_F(SkinEditor, ExportNamesTheNewSkinAndNeverReplacesShippedOrCurrentSkins)
{
    WriteSkin(dir.Path() / "Default", "Default");
    WriteSkin(dir.Path() / "Classic", "Classic");
    WriteSkin(dir.Path() / "Evening", "Evening");
    host.Current = (dir.Path() / "Evening" / "skin.usk").string();
    host.CurrentTitle = "Evening";
    prompt->Answer = true;
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        f.edExportName->setText("Bar Night");
        Click(f.btnExportSkin);
        ASSERT_EQ(host.Exported.size(), 1u);
        EXPECT_EQ(f.lbSkins->findItems("Bar Night", Qt::MatchExactly).size(), 1);
        EXPECT_EQ(f.lbSkins->findItems("Evening", Qt::MatchExactly).size(), 1) << "listed twice under the old title";
        for (const char* refused : {"Default", "Classic", "classic", "Evening"}) {
            f.edExportName->setText(refused);
            Click(f.btnExportSkin);
        }
        EXPECT_EQ(host.Exported.size(), 1u);
        Click(f.btnCancel);
    });
    EditJukeboxSkin(host);
    const TiniFile exported((dir.Path() / "Bar Night" / "skin.usk").string());
    EXPECT_EQ(exported.ReadString("Info", "Title", ""), "Bar Night");
    EXPECT_EQ(exported.ReadString("Info", "Description", ""), "The skin in use") << "the rest of Info is kept";
    for (const char* kept : {"Default", "Classic", "Evening"})
        EXPECT_EQ(TiniFile((dir.Path() / kept / "skin.usk").string()).ReadString("Info", "Description", ""), "A skin")
            << kept;
    ASSERT_EQ(prompt->Messages.size(), 4u);
    EXPECT_EQ(prompt->Messages[0],
              "Export Skin|The skin \"Default\" comes with the program and cannot be replaced.  Please enter another name.");
    EXPECT_EQ(prompt->Messages[3],
              "Export Skin|The skin \"Evening\" is in use and cannot be replaced.  Please enter another name.");
    EXPECT_TRUE(prompt->Questions.empty());
}

TEST_F(SkinEditor, ExportRefusesHostileNamesAndAsksBeforeReplacing)
{
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        for (const char* bad : {"..", "../Escape", "a/b", "x\ty"}) {
            f.edExportName->setText(bad);
            Click(f.btnExportSkin);
        }
        EXPECT_TRUE(host.Exported.empty());
        f.edExportName->setText("Bar Night");
        Click(f.btnExportSkin);
        ASSERT_EQ(host.Exported.size(), 1u);
        EXPECT_EQ(f.lbSkins->findItems("Bar Night", Qt::MatchExactly).size(), 1);
        // The same name again: asked, and No keeps the folder as it is.
        prompt->Answer = false;
        Click(f.btnExportSkin);
        EXPECT_EQ(host.Exported.size(), 1u);
        prompt->Answer = true;
        Click(f.btnExportSkin);
        EXPECT_EQ(host.Exported.size(), 2u);
        Click(f.btnCancel);
    });
    EditJukeboxSkin(host);
    ASSERT_EQ(prompt->Messages.size(), 4u);
    EXPECT_EQ(prompt->Messages[0], "Invalid Filename|The name you have entered is not valid for filenames.");
    EXPECT_EQ(prompt->Questions.size(), 2u);
    EXPECT_EQ(prompt->Questions[0], "A skin named \"Bar Night\" already exists.  Do you want to replace it?");
    EXPECT_TRUE(fs::exists(dir.Path() / "Bar Night" / "skin.usk"));
    EXPECT_FALSE(fs::exists(dir.Path().parent_path() / "Escape"));
    std::vector<std::string> entries;
    for (const auto& e : fs::directory_iterator(dir.Path())) entries.push_back(e.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string>{"Bar Night"});
}

}  // namespace
}  // namespace tunecrest
