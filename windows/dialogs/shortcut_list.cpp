#include "windows/dialogs/shortcut_list.h"

#include <algorithm>
#include <map>

#include <QPlainTextEdit>

#include "core/base/shared_utils.h"
#include "core/base/text_utils.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/screen_fonts.h"

namespace tunecrest {

namespace {
bool TextLess(const std::string& a, const std::string& b) { return CompareText(a, b) < 0; }
}  // namespace

std::string ShortcutListText(const std::vector<TshortcutEntry>& actions, const std::string& windowClass)
{
    std::vector<std::string> lines = {
        "Shortcuts",
        "=========",
        "Use these while using the application, or send the keys from another application.",
        "",
        "Messages",
        "========",
        "Send the message number 1024 (WM_USER) through the window-message layer to Window Class \"" + windowClass +
            "\" with the wParam values listed below.",
        "",
    };
    // Categories in sorted order, each once, with their lines.
    std::map<std::string, std::vector<std::string>, decltype(&TextLess)> categories(&TextLess);
    for (const TshortcutEntry& action : actions) {
        const std::string shortcut = action.ShortCut.empty() ? "" : "Shortcut: " + action.ShortCut;
        const std::string message = action.Message == 0 ? "" : Format("Message: %d", action.Message);
        if (shortcut.empty() && message.empty()) continue;
        std::string line = Format("%-22s: ", StripAccelerators(action.Caption).c_str()) + shortcut;
        if (!shortcut.empty() && !message.empty()) line += ", ";
        line += message;
        categories[action.Category].push_back(std::move(line));
    }
    for (auto& [category, entries] : categories) {
        lines.push_back(category);
        lines.push_back(std::string(category.size(), '='));
        std::stable_sort(entries.begin(), entries.end(), TextLess);
        for (const std::string& entry : entries) lines.push_back("    " + entry);
        lines.emplace_back();
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

TfrmShortcuts::TfrmShortcuts(QWidget* parent) : TfrmPlainDialog("Shortcut List", parent)
{
    setObjectName("frmShortcuts");
    SetSizeable(true);
    memoShortcuts = CreateComponent<QPlainTextEdit>(this, Body());
    memoShortcuts->setObjectName("memoShortcuts");
    memoShortcuts->setReadOnly(true);
    TFont font{"Courier New", clWindowText, 11, false};
    memoShortcuts->setFont(ScreenFont(font));
    BodyLayout()->addWidget(memoShortcuts);
    btnClose = AddCloseButton("&Close");
    resize(900, 680);
}

void ShowShortcuts(const std::vector<TshortcutEntry>& actions, const std::string& windowClass)
{
    TfrmShortcuts form;
    form.memoShortcuts->setPlainText(QString::fromStdString(ShortcutListText(actions, windowClass)));
    RunModal(form);
}

}  // namespace tunecrest
