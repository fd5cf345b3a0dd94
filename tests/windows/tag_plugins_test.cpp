#include "windows/dialogs/tag_plugins.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>

#include "core/tags/tagger_loader.h"
#include "dialog_test_support.h"
#include "support/fake_tagger.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

using test::As;
using test::Rows;

struct TagPlugins : test::DialogTest {
    TagPlugins()
    {
        folder = dir.Path().string() + "/";
        test::InstallFakeTagger(dir.Path(), "beta", "Description=Beta Reader\nTypes=Beta Audio\nExtensions=ogg,flac\n");
        test::InstallFakeTagger(dir.Path(), "alpha",
                                "Description=Alpha Reader\nTypes=Alpha Audio\nExtensions=mp3,wma\nVersion=515\n");
        loader.SetPluginFolder(folder);
    }
    test::TempDir dir;
    std::string folder;
    TtaggerLoader loader;
};

void Check(QListWidget* list, int row, bool on)
{
    list->setCurrentRow(row);
    list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

TEST_F(TagPlugins, SwitchingAPluginOffDropsItsExtensionsAtOnce)
{
    ASSERT_EQ(loader.PluginCount(), 2);
    runner->Push([this](QDialog& d) {
        auto& w = As<TfrmPlugins>(d);
        EXPECT_EQ(w.windowTitle(), "Tag Reader Plugins");
        EXPECT_EQ(Rows(w.lbPlugins), (std::vector<std::string>{"Alpha Reader", "Beta Reader"}));
        EXPECT_EQ(w.lbPlugins->item(0)->checkState(), Qt::Checked);
        EXPECT_EQ(Rows(w.lbExtensions), (std::vector<std::string>{"mp3", "wma", "ogg", "flac"}));
        Check(w.lbPlugins, 0, false);
        EXPECT_FALSE(loader.GetPlugin(0)->Enabled);
        EXPECT_EQ(Rows(w.lbExtensions), (std::vector<std::string>{"ogg", "flac"}));
        EXPECT_EQ(loader.FindPluginRecord("/m/song.mp3"), nullptr);
        EXPECT_EQ(w.memoInformation->toPlainText().toStdString(),
                  "Description          : Alpha Reader\n"
                  "Supported File Types : Alpha Audio\n"
                  "Supported Extensions : mp3,wma\n"
                  "Version              : 2.3");
        Check(w.lbPlugins, 0, true);
        EXPECT_EQ(Rows(w.lbExtensions), (std::vector<std::string>{"mp3", "wma", "ogg", "flac"}));
        w.lbPlugins->setCurrentRow(1);
        EXPECT_TRUE(w.memoInformation->toPlainText().startsWith("Description          : Beta Reader\n"));
        PressButton(*w.btnConfigure);  // the plug-in's own dialog (the double has none to show)
        PressButton(*w.btnClose);
    });
    ShowPluginsWindow(loader);
    EXPECT_TRUE(loader.GetPlugin(0)->Enabled);
}

TEST_F(TagPlugins, FolderDialogAppliesOnApplyAndOkOnly)
{
    test::TempDir other;
    test::InstallFakeTagger(other.Path(), "gamma", "Description=Gamma Reader\nExtensions=aac\n");
    const std::string otherFolder = other.Path().string() + "/";
    auto previous = SetFolderChooser([&](const std::string& title, const std::string& start) {
        EXPECT_EQ(title, "Plugins Folder");
        EXPECT_EQ(start, folder);
        return std::optional<std::string>(otherFolder);
    });

    runner->Push([&](QDialog& d) {
        auto& w = As<TfrmConfigurePlugins>(d);
        EXPECT_EQ(w.windowTitle(), "Tag Read Plugins Configuration");
        EXPECT_EQ(w.edFolder->text().toStdString(), folder);
        EXPECT_FALSE(w.btnApply->isEnabled());
        PressButton(*w.btnBrowse);
        EXPECT_EQ(w.edFolder->text().toStdString(), otherFolder);
        EXPECT_TRUE(w.btnApply->isEnabled());
        EXPECT_EQ(loader.PluginFolder(), folder);  // nothing applied yet
        PressButton(*w.btnCancel);
    });
    std::string chosen = folder;
    ConfigurePlugins(chosen, loader);
    EXPECT_EQ(chosen, folder);
    EXPECT_EQ(loader.PluginCount(), 2);

    runner->Push([&](QDialog& d) {
        auto& w = As<TfrmConfigurePlugins>(d);
        PressButton(*w.btnBrowse);
        PressButton(*w.btnApply);
        EXPECT_FALSE(w.btnApply->isEnabled());
        EXPECT_EQ(loader.PluginCount(), 1);
        // Cancel after Apply: the applied folder stays, and the caller is told so.
        PressButton(*w.btnCancel);
    });
    ConfigurePlugins(chosen, loader);
    EXPECT_EQ(chosen, otherFolder);

    runner->Push([&](QDialog& d) {
        auto& w = As<TfrmConfigurePlugins>(d);
        w.edFolder->setText(QString::fromStdString(folder));
        PressButton(*w.btnOK);
    });
    ConfigurePlugins(chosen, loader);
    EXPECT_EQ(chosen, folder);
    EXPECT_EQ(loader.PluginCount(), 2);
    SetFolderChooser(previous);
}

TEST_F(TagPlugins, TheFolderDialogOpensThePluginList)
{
    TtaggerLoader::SetPluginsDialog([](TtaggerLoader& l) { ShowPluginsWindow(l); });
    runner->Push([](QDialog& d) { PressButton(*As<TfrmConfigurePlugins>(d).btnConfigurePlugins); });
    runner->Push([](QDialog& d) { PressButton(*As<TfrmPlugins>(d).btnClose); });
    runner->AllowOpen = true;  // the folder dialog stays open under the list
    std::string chosen = folder;
    ConfigurePlugins(chosen, loader);
    TtaggerLoader::SetPluginsDialog(nullptr);
    EXPECT_EQ(runner->Names, (std::vector<std::string>{"frmConfigurePlugins", "frmPlugins"}));
}

}  // namespace
}  // namespace tunecrest
