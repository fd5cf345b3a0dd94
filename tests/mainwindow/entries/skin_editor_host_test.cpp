#include "mainwindow/entries/skin_editor_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/skin/main_window_skin.h"
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

// Colours and a font changed in the editor reach the window; the skin exported with
// them and loaded back looks exactly the same.
TEST(SkinEditorOnTheWindow, EditExportAndLoadBack)
{
    test::App();
    test::TempDir dir;
    const std::string root = (dir.Path() / "root").string();
    fs::create_directories(root + "/Settings");
    fs::create_directories(root + "/Skins");
    fs::copy(fs::path(TUNECREST_BIN_DIR) / "Skins" / "Default", root + "/Skins/Default", fs::copy_options::recursive);
    TskinForm form({"-RootFolder=" + root});
    form.resize(900, 600);
    ASSERT_TRUE(form.LoadSkin(root + "/Skins/Default"));
    form.show();
    QCoreApplication::processEvents();

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

}  // namespace
}  // namespace tunecrest
