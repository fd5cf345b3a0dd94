#include "windows/event_rules.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "skin/touch_list_box.h"

namespace tunecrest {

void SetCurrentRowInCode(QListWidget& list, int row) {
    const QSignalBlocker quiet(list);
    list.setCurrentRow(row);
    // The view repaints from its selection model, which was not blocked.
}

void SetCurrentRowInCode(QComboBox& combo, int row) {
    const QSignalBlocker quiet(combo);
    combo.setCurrentIndex(row);
}

void SetCurrentRowInCode(TcustomTouchListBox& list, int row) {
    // The touch list reports every move of its current row; a move made by code is not
    // a choice, so the handler is held back while it happens.
    TNotifyEvent handler = std::move(list.OnItemIndexChange);
    list.OnItemIndexChange = nullptr;
    list.SetItemIndex(row);
    list.OnItemIndexChange = std::move(handler);
}

void SetCheckInCode(QAbstractButton& box, bool checked) {
    if (box.isChecked() == checked) return;
    box.setChecked(checked);
    emit box.clicked(checked);
}

void SetCheckDetached(QAbstractButton& box, bool checked) {
    const QSignalBlocker quiet(box);
    box.setChecked(checked);
}

void SetEditTextInCode(QLineEdit& edit, const std::string& text) {
    edit.setText(QString::fromStdString(text));
}

}  // namespace tunecrest
