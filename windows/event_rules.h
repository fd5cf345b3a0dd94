#pragma once
// The toolkit's event rules, kept in one place so that every window behaves alike:
//  - a current row set by code does not run the list's change handler (only a person's
//    choice does);
//  - a check set by code runs the box's click handler, as a person's click would (only
//    when the state changes); SetCheckDetached sets it without running the handler;
//  - an edit's change handler runs when code sets a different text.
// Windows connect their handlers as these helpers expect: a list's change handler to
// its current-row signal, a check box's click handler to clicked(), an edit's change
// handler to textChanged().
#include <string>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace tunecrest {

class TcustomTouchListBox;

void SetCurrentRowInCode(QListWidget& list, int row);
void SetCurrentRowInCode(QComboBox& combo, int row);
void SetCurrentRowInCode(TcustomTouchListBox& list, int row);

void SetCheckInCode(QAbstractButton& box, bool checked);
void SetCheckDetached(QAbstractButton& box, bool checked);

void SetEditTextInCode(QLineEdit& edit, const std::string& text);

}  // namespace tunecrest
