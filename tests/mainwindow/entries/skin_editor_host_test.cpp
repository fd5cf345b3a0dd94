#include "mainwindow/entries/skin_editor_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/skin/main_window_skin.h"
#include "core/display/skin_file.h"
#include "skin/qt_color.h"
#include "skin/skin_forms.h"
#include "skin/color_panels.h"
#include "support/fake_media_player.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

class TskinForm : public TfrmCustomTunecrest {
public:
    explicit TskinForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/")
    {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
TfrmJukeboxSkin& Editor(QDialog& d) { return dynamic_cast<TfrmJukeboxSkin&>(d); }

// Runs the main thread's pending work until the skin change has been applied.
void WaitForSkin(TfrmBaseJukebox& form, const bool& done)
{
    for (int i = 0; i < 200 && !done; ++i) {
        form.Skin().WaitForWorker();
        if (auto* queue = dynamic_cast<TqueueDispatcher*>(&Dispatcher())) queue->ProcessPendingCalls();
        QCoreApplication::processEvents();
    }
}

// A root folder with Settings and Skins, the shipped Default skin copied into it.
std::string MakeSkinRoot(const test::TempDir& dir)
{
    const std::string root = (dir.Path() / "root").string();
    fs::create_directories(root + "/Settings");
    fs::create_directories(root + "/Skins");
    fs::copy(fs::path(TUNECREST_BIN_DIR) / "Skins" / "Default", root + "/Skins/Default", fs::copy_options::recursive);
    return root;
}

void ShowOnDefaultSkin(TskinForm& form, const std::string& root)
{
    form.resize(900, 600);
    ASSERT_TRUE(form.LoadSkin(root + "/Skins/Default"));
    form.show();
    QCoreApplication::processEvents();
}

// Colours and a font changed in the editor reach the window; the skin exported with
// them and loaded back looks exactly the same.
TEST(SkinEditorOnTheWindow, EditExportAndLoadBack)
{
    test::App();
    test::TempDir dir;
    const std::string root = MakeSkinRoot(dir);
    TskinForm form({"-RootFolder=" + root});
    ShowOnDefaultSkin(form, root);

    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    auto previousCall = SetColorDialogCall([](QWidget*, TColor) { return std::optional<TColor>(RGBColor(150, 40, 30)); });
    TmainWindowSkinHost host(form);
    runner->Push([](QDialog& d) {
        auto& f = Editor(d);
        Click(f.pnlButtonColor);
        f.SelectItem(0, true, 4);  // Lists - Title
        f.cbBold->setChecked(true);
        f.seFontSize->setValue(19);
        Click(f.btnOK);
    });
    ASSERT_TRUE(EditJukeboxSkin(host));
    SetColorDialogCall(previousCall);
    EXPECT_EQ(form.Skin().ButtonColor(), RGBColor(150, 40, 30));
    const TFont title = form.Skin().FontStores().Lists().Items().Items(4)->font();
    EXPECT_TRUE(title.Bold);
    EXPECT_EQ(title.Size, 19);
    QCoreApplication::processEvents();
    const QImage edited = form.grab().toImage();

    runner->Push([](QDialog& d) {
        auto& f = Editor(d);
        f.edExportName->setText("Evening");
        Click(f.btnExportSkin);
        Click(f.btnCancel);
    });
    EditJukeboxSkin(host);
    ASSERT_TRUE(fs::exists(root + "/Skins/Evening/skin.usk"));
    EXPECT_EQ(TiniFile(root + "/Skins/Evening/skin.usk").ReadString("Info", "Title", ""), "Evening");

    // Another skin, then the exported one again.
    ASSERT_TRUE(form.LoadSkin((fs::path(TUNECREST_BIN_DIR) / "Skins" / "Classic").string()));
    QCoreApplication::processEvents();
    EXPECT_NE(form.grab().toImage(), edited);
    bool loaded = false, ok = false;
    host.SetSkinFile("Evening/skin.usk", [&](bool result) {
        loaded = true;
        ok = result;
    });
    WaitForSkin(form, loaded);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(ok);
    EXPECT_EQ(form.Settings().SkinFile, "Evening/skin.usk");
    EXPECT_EQ(form.Skin().ButtonColor(), RGBColor(150, 40, 30));
    EXPECT_EQ(form.Skin().FontStores().Lists().Items().Items(4)->font(), title);
    QCoreApplication::processEvents();
    const QImage reloaded = form.grab().toImage();
    ASSERT_EQ(reloaded.size(), edited.size());
    EXPECT_TRUE(reloaded == edited) << "the exported skin looks different once loaded";
}

std::string FileText(const std::string& file)
{
    std::string text;
    ReadFileBytes(file, text);
    return text;
}

// Loading a skin from the editor dresses the editor in it too; edits on a skin of the
// user's own are kept in its file (a new window loading it looks the same), while a skin
// that comes with the program stays as it came and the editor says so.
TEST(SkinEditorOnTheWindow, LoadedSkinDressesTheEditorAndEditsAreKeptInTheSkinInUse)
{
    test::App();
    test::TempDir dir;
    const std::string root = MakeSkinRoot(dir);
    fs::copy(fs::path(TUNECREST_BIN_DIR) / "Skins" / "Classic", root + "/Skins/Evening", fs::copy_options::recursive);
    TskinForm form({"-RootFolder=" + root});
    ShowOnDefaultSkin(form, root);
    const std::string defaultSkin = FileText(root + "/Skins/Default/skin.usk");

    auto runner = std::make_shared<test::TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    auto previousCall = SetColorDialogCall([](QWidget*, TColor) { return std::optional<TColor>(RGBColor(20, 120, 60)); });
    TmainWindowSkinHost host(form);
    TskinFile evening;
    ASSERT_TRUE(evening.LoadFromFile(root + "/Skins/Evening/skin.usk"));
    const TColor classicPanel = evening.PanelColor().value_or(clBlack);
    runner->Push([&](QDialog& d) {
        auto& f = Editor(d);
        EXPECT_NE(f.lblKeepLook->text().indexOf("comes with the program"), -1) << f.lblKeepLook->text().toStdString();
        // The Default skin edited: applied to the window, its file left as it came.
        f.SelectItem(0, true, 4);
        f.cbItalic->setChecked(true);
        Click(f.btnApply);
        EXPECT_TRUE(form.Skin().FontStores().Lists().Items().Items(4)->font().Italic);
        EXPECT_EQ(FileText(root + "/Skins/Default/skin.usk"), defaultSkin);

        f.pcSkin->setCurrentIndex(1);
        for (int row = 0; row < f.lbSkins->count(); ++row)
            if (f.Skins()[size_t(row)].FileName.find("Evening") != std::string::npos) f.lbSkins->setCurrentRow(row);
        Click(f.btnLoadSkin);
        form.Skin().WaitForWorker();
        for (int i = 0; i < 200 && form.Skin().SkinFile().find("Evening") == std::string::npos; ++i) {
            form.Skin().WaitForWorker();
            if (auto* queue = dynamic_cast<TqueueDispatcher*>(&Dispatcher())) queue->ProcessPendingCalls();
            QCoreApplication::processEvents();
        }
        ASSERT_NE(form.Skin().SkinFile().find("Evening"), std::string::npos);
        // The editor now wears the loaded skin's panel colour, not the old skin's.
        EXPECT_EQ(f.palette().color(QPalette::Window), ToQColor(classicPanel));
        EXPECT_NE(f.lblKeepLook->text().indexOf("keep these colours and fonts in the skin \"Evening\""), -1)
            << f.lblKeepLook->text().toStdString();

        f.pcSkin->setCurrentIndex(0);
        Click(f.pnlButtonColor);
        f.SelectItem(0, true, 4);
        f.cbBold->setChecked(true);
        f.seFontSize->setValue(21);
        Click(f.btnOK);
    });
    ASSERT_TRUE(EditJukeboxSkin(host));
    SetColorDialogCall(previousCall);
    EXPECT_EQ(form.Skin().ButtonColor(), RGBColor(20, 120, 60));

    // A window started afresh on that skin has the edited look.
    TskinForm again({"-RootFolder=" + root});
    ASSERT_TRUE(again.LoadSkin(root + "/Skins/Evening"));
    EXPECT_EQ(again.Skin().ButtonColor(), RGBColor(20, 120, 60));
    const TFont title = again.Skin().FontStores().Lists().Items().Items(4)->font();
    EXPECT_TRUE(title.Bold);
    EXPECT_EQ(title.Size, 21);
    EXPECT_EQ(FileText(root + "/Skins/Default/skin.usk"), defaultSkin);
}

}  // namespace
}  // namespace tunecrest
