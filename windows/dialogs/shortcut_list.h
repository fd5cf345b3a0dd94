#pragma once
// The shortcut list: every keyboard shortcut and every window-message command of the
// main window's actions, in a read-only fixed-width text, so an operator can drive the
// jukebox from the keyboard or from another program.
#include <string>
#include <vector>

#include "windows/dialogs/dialog_form.h"

class QPlainTextEdit;

namespace tunecrest {

// What the list needs of one action.
struct TshortcutEntry {
    std::string Category;
    std::string Caption;   // with accelerator characters
    std::string ShortCut;  // key text such as "Ctrl+P"; empty for none
    int Message = 0;       // the wParam of the command message; 0 for none
};

// The text, one line per "\n": the shortcut and message headings, then per category
// (sorted) its heading, underline and sorted lines, each "%-22s: " and the parts.
std::string ShortcutListText(const std::vector<TshortcutEntry>& actions, const std::string& windowClass);

class TfrmShortcuts : public TfrmPlainDialog {
public:
    explicit TfrmShortcuts(QWidget* parent = nullptr);

    QPlainTextEdit* memoShortcuts;
    TmySkinButton* btnClose;
};

// Shows the list for the actions of the window of class `windowClass`.
void ShowShortcuts(const std::vector<TshortcutEntry>& actions, const std::string& windowClass);

}  // namespace tunecrest
