#include "windows/dialogs/shortcut_list.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "dialog_test_support.h"

namespace tunecrest {
namespace {

using test::As;

const char* const kHead =
    "Shortcuts\n"
    "=========\n"
    "Use these while using the application, or send the keys from another application.\n"
    "\n"
    "Messages\n"
    "========\n"
    "Send the message number 1024 (WM_USER) through the window-message layer to Window Class \"Jukebox Main\" "
    "with the wParam values listed below.\n"
    "\n";

TEST(ShortcutListText, CategoriesSortedLinesSortedPartsJoined)
{
    const std::vector<TshortcutEntry> actions = {
        {"Queue", "Move &Up", "Ctrl+U", 301},
        {"Control", "&Stop", "Ctrl+S", 3},
        {"Queue", "&Clear", "", 304},           // a message only
        {"Control", "Restar&t Track", "", 5},
        {"Queue", "Add to Top of Queue", "", 0},  // neither: not listed
        {"Help", "&Help", "F1", 0},             // a shortcut only
        {"queue", "&Delete", "Ctrl+D", 0},      // one heading per name, without regard to case
    };
    EXPECT_EQ(ShortcutListText(actions, "Jukebox Main"),
              std::string(kHead) +
                  "Control\n"
                  "=======\n"
                  "    Restart Track         : Message: 5\n"
                  "    Stop                  : Shortcut: Ctrl+S, Message: 3\n"
                  "\n"
                  "Help\n"
                  "====\n"
                  "    Help                  : Shortcut: F1\n"
                  "\n"
                  "Queue\n"
                  "=====\n"
                  "    Clear                 : Message: 304\n"
                  "    Delete                : Shortcut: Ctrl+D\n"
                  "    Move Up               : Shortcut: Ctrl+U, Message: 301\n"
                  "\n");
    EXPECT_EQ(ShortcutListText({}, "Jukebox Main"), kHead);
}

TEST(ShortcutListText, ALongCaptionRunsPastItsColumn)
{
    const std::string text =
        ShortcutListText({{"Playlists", "Add Current Track to Playlist", "Ctrl+Y", 0}}, "W");
    EXPECT_NE(text.find("    Add Current Track to Playlist: Shortcut: Ctrl+Y\n"), std::string::npos);
}

struct ShortcutWindow : test::DialogTest {};

TEST_F(ShortcutWindow, ShowsTheTextReadOnlyInAFixedFont)
{
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmShortcuts>(d);
        EXPECT_EQ(w.windowTitle(), "Shortcut List");
        EXPECT_TRUE(w.memoShortcuts->isReadOnly());
        EXPECT_TRUE(QFontInfo(w.memoShortcuts->font()).fixedPitch());
        EXPECT_TRUE(w.memoShortcuts->toPlainText().contains("    Stop                  : Shortcut: Ctrl+S"));
        PressButton(*w.btnClose);
    });
    ShowShortcuts({{"Control", "&Stop", "Ctrl+S", 0}}, "Jukebox Main");
    EXPECT_EQ(runner->Pending(), 0);
}

}  // namespace
}  // namespace tunecrest
