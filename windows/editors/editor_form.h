#pragma once
// What the editor and settings dialogs share: touch-sized push buttons, the skin's
// colours on a plain dialog, and the OK / Cancel row that closes it through the
// modal results.
#include <QDialog>
#include <QString>

#include <string>

class QBoxLayout;
class QLineEdit;
class QPushButton;

namespace tunecrest {

// Buttons at least 48 pixels high, so a finger hits them.
constexpr int kTouchHeight = 48;

QPushButton* TouchButton(QWidget* parent, const char* name, const QString& caption);
// The dialog's panel, button and text colours from the skin (FormSkinColors); list and
// edit fields stay light with dark text so long lists read well.
void StyleEditorDialog(QWidget& dialog);
// Adds "&OK" (btnOK, default, closes with mrOk) and "&Cancel" (btnCancel, mrCancel) at
// the right of a new row at the end of `layout`; returns the row for more buttons.
QBoxLayout* AddOkCancelRow(QDialog& dialog, QBoxLayout& layout, QPushButton** ok = nullptr,
                           QPushButton** cancel = nullptr);

// While the on-screen keyboards are on, a touch on `edit` asks for its text in the
// text-entry window under `prompt` (the touch screen has no keyboard of its own).
void UseKeyboardEntry(QLineEdit* edit, const std::string& prompt);

}  // namespace tunecrest
