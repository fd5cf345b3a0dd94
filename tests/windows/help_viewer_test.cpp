#include "windows/dialogs/help_viewer.h"

#include <gtest/gtest.h>

#include <fstream>

#include <QCoreApplication>
#include <QWidget>

#include "dialog_test_support.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

struct TrecordingHelpOpener : ThelpOpener {
    bool Open(const std::string& fileName) override
    {
        Opened.push_back(fileName);
        return Answer;
    }
    std::vector<std::string> Opened;
    bool Answer = true;
};

struct Help : test::DialogTest {
    Help()
    {
        std::ofstream(file) << "<html><body>Help</body></html>";
        previous = SetHelpOpener(opener);
    }
    ~Help() override { SetHelpOpener(previous); }
    test::TempDir dir;
    std::string file = dir.File("tunecrest.html");
    std::shared_ptr<TrecordingHelpOpener> opener = std::make_shared<TrecordingHelpOpener>();
    std::shared_ptr<ThelpOpener> previous;
};

TEST_F(Help, OpensTheFileAndTellsWhenItCannot)
{
    TmyHH help;
    help.SetFileName(file);
    EXPECT_TRUE(help.ShowHelp());
    EXPECT_EQ(opener->Opened, std::vector<std::string>{file});
    EXPECT_TRUE(prompt->Messages.empty());

    opener->Answer = false;
    EXPECT_FALSE(help.ShowHelp());
    help.SetFileName(dir.File("missing.html"));
    EXPECT_FALSE(help.ShowHelp());
    EXPECT_EQ(opener->Opened.size(), 2u);  // a missing file is never handed over
    ASSERT_EQ(prompt->Messages.size(), 2u);
    EXPECT_EQ(prompt->Messages[0], "Help|The help file " + file + " could not be opened.");
    EXPECT_EQ(prompt->Messages[1], "Help|The help file " + dir.File("missing.html") + " cannot be found.");
}

TEST_F(Help, HookedContextHelpOpensTheFileAndAMissingFileStaysUnhooked)
{
    TmyHH help;
    help.SetFileName(dir.File("missing.html"));
    help.HookHelp();
    EXPECT_FALSE(help.Hooked());
    EXPECT_TRUE(prompt->Messages.empty());

    help.SetFileName(file);
    help.HookHelp();
    EXPECT_TRUE(help.Hooked());
    QWidget widget;
    QEvent request(QEvent::WhatsThis);
    QCoreApplication::sendEvent(&widget, &request);
    EXPECT_EQ(opener->Opened, std::vector<std::string>{file});
    help.UnhookHelp();
    QCoreApplication::sendEvent(&widget, &request);
    EXPECT_EQ(opener->Opened.size(), 1u);
}

}  // namespace
}  // namespace tunecrest
