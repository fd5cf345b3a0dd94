// The layout's menu button, the one way into the menu for a finger: it pops the main
// menu up above itself, asks the menu's password when the menu is protected, and under
// party play is the party-play switch behind the party-play password.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QGuiApplication>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "core/tags/tagger_loader.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/layout/main_layout.h"
#include "skin/skin_button.h"
#include "support/fake_media_player.h"
#include "support/pump_events.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

class TmenuForm : public TfrmCustomTunecrest {
public:
    explicit TmenuForm(std::vector<std::string> args) : TfrmCustomTunecrest(std::move(args), "/nonexistent/") {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new test::FakeMediaPlayer; }
};

struct MenuRig {
    test::TempDir dir;
    std::string root;
    std::shared_ptr<test::TtypedPasswordPrompt> prompt = std::make_shared<test::TtypedPasswordPrompt>();
    std::shared_ptr<Tprompt> previous;
    MenuRig() {
        test::App();
        root = dir.File("root") + "/";
        std::filesystem::create_directories(root + "Settings");
        previous = SetPrompt(prompt);
    }
    ~MenuRig() { SetPrompt(previous); }
    void Seed(const std::string& text) { std::ofstream(root + "Settings/settings.ini") << text; }
};

void Touch(TmySkinButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); }

TEST(MenuButton, PopsTheMainMenuUpAboveItselfAtFingerSize) {
    MenuRig r;
    TmenuForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    form.show();
    TmySkinButton* button = form.Layout().MenuButton;
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->objectName(), "btnMenu");
    EXPECT_EQ(button->Caption(), "Menu");
    EXPECT_GE(button->height(), 48);
    EXPECT_GE(button->width(), 48);
    EXPECT_TRUE(button->isVisible());
    EXPECT_FALSE(form.MainMenuBar()->isVisible());  // the bar is hidden by default
    Touch(button);
    QMenu* menu = form.MainPopupMenu();
    ASSERT_TRUE(test::Pump([&] { return menu->isVisible(); }, 2000));
    // The popup holds every category; it opens above the button, not over it.
    std::vector<std::string> titles;
    for (QAction* a : menu->actions()) titles.push_back(a->text().toStdString());
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Settings"), titles.end());
    // It opens upwards from the bottom row and stays on the screen.
    EXPECT_LT(menu->geometry().top(), button->mapToGlobal(QPoint(0, 0)).y());
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(menu->geometry()));
    menu->hide();
    EXPECT_TRUE(r.prompt->Prompts.empty());
}

TEST(MenuButton, AProtectedMenuAsksItsPasswordAndPartyPlayAsksThePartyPassword) {
    MenuRig r;
    r.Seed("[MainMenu]\nVisible=0\nPasswordProtected=1\n[PartyPlay]\nPassword=Secret\n");
    TmenuForm form({"-RootFolder=" + r.root});
    form.ReadDisplaySettings();
    form.show();
    TmySkinButton* button = form.Layout().MenuButton;
    r.prompt->Typed = "wrong";
    Touch(button);
    EXPECT_FALSE(form.MainPopupMenu()->isVisible());
    EXPECT_FALSE(form.MainMenuBar()->isVisible());
    ASSERT_EQ(r.prompt->Prompts, std::vector<std::string>{"Enter the password to Show the Main Menu..."});
    r.prompt->Typed = "Secret";
    Touch(button);
    EXPECT_TRUE(form.MainMenuBar()->isVisible());

    // Party play: the button is the party-play switch; leaving needs the password.
    r.prompt->Typed = "Secret";
    ASSERT_TRUE(form.SetPartyPlay(true));
    EXPECT_EQ(button->Caption(), "Party Play");
    EXPECT_TRUE(button->isVisible());
    r.prompt->Typed = "wrong";
    Touch(button);
    EXPECT_TRUE(form.PartyPlayEnabled());
    EXPECT_FALSE(form.MainPopupMenu()->isVisible());
    EXPECT_EQ(r.prompt->Prompts.back(), "Enter the password to Disable Party Play Mode...");
    r.prompt->Typed = "Secret";
    Touch(button);
    EXPECT_FALSE(form.PartyPlayEnabled());
    EXPECT_EQ(button->Caption(), "Menu");
}

}  // namespace
}  // namespace tunecrest
