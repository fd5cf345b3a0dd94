#include "windows/dialogs/help_viewer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include <QCoreApplication>
#include <QFontInfo>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
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

TEST_F(Help, OpensTheFileAndTellsAGuestNoPath)
{
    TmyHH help;
    help.SetFileName(file);
    EXPECT_TRUE(help.ShowHelp());
    EXPECT_EQ(opener->Opened, std::vector<std::string>{file});
    EXPECT_TRUE(prompt->Messages.empty());

    help.SetFileName(dir.File("missing.html"));
    EXPECT_FALSE(help.ShowHelp());
    EXPECT_EQ(opener->Opened.size(), 1u);  // a missing file is never handed over
    EXPECT_EQ(prompt->Messages, std::vector<std::string>{"Help|The help is not installed."});
}

// A kiosk without a browser: the help shows inside the program, and its links within the
// page work.
TEST_F(Help, WithoutADesktopViewerTheProgramShowsTheHelpItself)
{
    std::string page = "<html><body><p><a href=\"#end\">Go to the end</a></p>";
    for (int i = 0; i < 200; ++i) page += "<p>Line " + std::to_string(i) + "</p>";
    page += "<h2><a name=\"end\">The end</a></h2></body></html>";
    std::ofstream(file) << page;
    opener->Answer = false;
    runner->Push([](QDialog& d) {
        auto& viewer = test::As<TfrmHelpViewer>(d);
        EXPECT_EQ(viewer.windowTitle(), "Help");
        EXPECT_TRUE(viewer.tbHelp->toPlainText().contains("Go to the end"));
        EXPECT_TRUE(viewer.tbHelp->isReadOnly());
        EXPECT_EQ(viewer.tbHelp->verticalScrollBar()->value(), 0);
        QTextCursor link = viewer.tbHelp->document()->find("Go to the end");
        ASSERT_FALSE(link.isNull());
        const QRect at = viewer.tbHelp->cursorRect(link);
        QTest::mouseClick(viewer.tbHelp->viewport(), Qt::LeftButton, {}, at.center() - QPoint(at.width() / 2 + 8, 0));
        EXPECT_GT(viewer.tbHelp->verticalScrollBar()->value(), 0) << "the link within the page did not scroll";
        PressButton(*viewer.btnClose);
    });
    TmyHH help;
    help.SetFileName(file);
    EXPECT_TRUE(help.ShowHelp());
    EXPECT_EQ(runner->Names, std::vector<std::string>{"frmHelpViewer"});
    EXPECT_TRUE(prompt->Messages.empty()) << prompt->Messages.front();
}

// Sets environment variables for one scope.
class TscopedEnvironment {
public:
    void Set(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        Fold.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    ~TscopedEnvironment()
    {
        for (auto it = Fold.rbegin(); it != Fold.rend(); ++it) {
            if (it->second) setenv(it->first, it->second->c_str(), 1);
            else unsetenv(it->first);
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> Fold;
};

// The program's own help page: its contents links reach their sections inside the viewer.
TEST_F(Help, TheProgramsHelpPageFollowsItsContentsLinks)
{
    opener->Answer = false;
    runner->Push([](QDialog& d) {
        auto& viewer = test::As<TfrmHelpViewer>(d);
        viewer.resize(900, 600);
        QCoreApplication::processEvents();
        QTextCursor link = viewer.tbHelp->document()->find("Folders and Files");
        ASSERT_FALSE(link.isNull());
        const QRect at = viewer.tbHelp->cursorRect(link);
        QTest::mouseClick(viewer.tbHelp->viewport(), Qt::LeftButton, {}, at.center() - QPoint(at.width() / 2 + 8, 0));
        EXPECT_GT(viewer.tbHelp->verticalScrollBar()->value(), 0) << "the contents link did not reach its section";
        PressButton(*viewer.btnClose);
    });
    TmyHH help;
    help.SetFileName((std::filesystem::path(TUNECREST_BIN_DIR) / "Docs" / "tunecrest.html").string());
    EXPECT_TRUE(help.ShowHelp());
}

// A finger on the program's help page: readable text, every link a target at least 48
// pixels high (its lines spaced so that no two targets overlap), and a tap near the top
// or the bottom edge of a target follows the link as a tap on its letters does.
TEST_F(Help, EveryLinkOfTheHelpPageIsAFingerHighTarget)
{
    opener->Answer = false;
    runner->Push([](QDialog& d) {
        auto& viewer = test::As<TfrmHelpViewer>(d);
        QTextBrowser& page = *viewer.tbHelp;
        QCoreApplication::processEvents();
        QTextCursor body = page.document()->find("full-screen touch-screen jukebox");
        ASSERT_FALSE(body.isNull());
        EXPECT_GE(QFontInfo(body.charFormat().font()).pixelSize(), 18);
        const std::vector<ThelpLinkTarget> targets = HelpLinkTargets(*page.document(), kHelpLinkLineHeight);
        ASSERT_GE(targets.size(), 10u);
        for (size_t i = 0; i < targets.size(); ++i) {
            const ThelpLinkTarget& t = targets[i];
            SCOPED_TRACE(t.Href.toStdString());
            EXPECT_GE(t.Rect.height(), 48);
            EXPECT_GE(t.Rect.width(), 48);
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(t.Rect.adjusted(0, 0.5, 0, -0.5).intersects(targets[j].Rect))
                    << "overlaps " << targets[j].Href.toStdString();
            // Where the link leads, from where the target shows.
            QScrollBar& bar = *page.verticalScrollBar();
            const int shown = std::max(0, int(t.Rect.top()) - 100);
            bar.setValue(shown);
            page.scrollToAnchor(QUrl(t.Href).fragment());
            const int reached = bar.value();
            ASSERT_NE(reached, shown);
            for (const qreal y : {t.Rect.top() + 2, t.Rect.bottom() - 2}) {
                bar.setValue(shown);
                const QPoint at(int(t.Rect.center().x()), int(y) - bar.value());
                EXPECT_EQ(viewer.LinkAt(at), t.Href);
                QTest::mouseClick(page.viewport(), Qt::LeftButton, {}, at);
                QCoreApplication::processEvents();
                EXPECT_EQ(bar.value(), reached) << "a tap " << y - t.Rect.top() << " px into the target";
            }
        }
        // Between the lines, away from every link, nothing is followed.
        page.verticalScrollBar()->setValue(0);
        QTextCursor plain = page.document()->find("Guests pick tracks by touch");
        const QRect words = page.cursorRect(plain);
        EXPECT_TRUE(viewer.LinkAt(words.center()).isEmpty());
        QTest::mouseClick(page.viewport(), Qt::LeftButton, {}, words.center());
        QCoreApplication::processEvents();
        EXPECT_EQ(page.verticalScrollBar()->value(), 0);
        PressButton(*viewer.btnClose);
    });
    TmyHH help;
    help.SetFileName((std::filesystem::path(TUNECREST_BIN_DIR) / "Docs" / "tunecrest.html").string());
    EXPECT_TRUE(help.ShowHelp());
}

TEST(HelpViewerOnTheDesktop, AViewerNeedsTheOpenerAndAProgramForWebPages)
{
    test::TempDir dir;
    const std::string bin = dir.File("bin"), data = dir.File("data"), home = dir.File("home");
    for (const std::string& folder : {bin, data + "/applications", home}) std::filesystem::create_directories(folder);
    TscopedEnvironment env;
    env.Set("PATH", bin);
    env.Set("HOME", home);
    env.Set("XDG_CONFIG_HOME", home + "/.config");
    env.Set("XDG_DATA_DIRS", data);
    EXPECT_FALSE(DesktopHasHtmlViewer()) << "no opener";
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nexit 0\n";
    std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
    EXPECT_FALSE(DesktopHasHtmlViewer()) << "an opener with nothing to open web pages: a kiosk";
    std::ofstream(data + "/applications/mimeinfo.cache") << "[MIME Cache]\nimage/png=viewer.desktop;\ntext/html=\n";
    EXPECT_FALSE(DesktopHasHtmlViewer());
    std::ofstream(data + "/applications/mimeinfo.cache") << "[MIME Cache]\ntext/html=browser.desktop;\n";
    EXPECT_TRUE(DesktopHasHtmlViewer());
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
