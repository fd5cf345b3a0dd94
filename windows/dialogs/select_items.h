#pragma once
// The select-items dialog: picks one or more strings, with the objects attached to them,
// from a list (the genres or artists of a Random Play Filter, for example). A touch on
// a row selects or deselects it.
#include <string>

#include "windows/dialogs/dialog_form.h"

class QGroupBox;
class QListWidget;

namespace tunecrest {

class TmyStringList;

class TfrmSelectItem : public TfrmPlainDialog {
public:
    explicit TfrmSelectItem(QWidget* parent = nullptr);

    QGroupBox* gbItemList;
    QListWidget* lbItems;
    TmySkinButton* btnOK;
    TmySkinButton* btnCancel;
};

// Shows `items` under `prompt` in a window titled `caption`. `target` is emptied first;
// on OK with a current row, every selected item is appended to it with its object, in
// list order, and the answer is True. Otherwise the answer is False and `target` stays
// empty.
bool SelectItems(const std::string& caption, const std::string& prompt, const TmyStringList& items,
                 TmyStringList& target);

}  // namespace tunecrest
