#pragma once
// The URL list editor: edits the internet-radio stations (a display name and its
// address each) on a working copy, handed back to the caller only on OK.
#include <string>

#include "core/library/url_list.h"
#include "windows/dialogs/dialog_form.h"

class QListWidget;
class QLineEdit;

namespace tunecrest {

class TfrmEditURLs : public TfrmPlainDialog {
public:
    explicit TfrmEditURLs(QWidget* parent = nullptr);

    // The working list; every change of it refills the list of IDs.
    TurlList& URLs() { return FURLs; }

    // Add: both edits filled, the ID gets the URL (added when new). Update: the same,
    // only for an ID that is already there. Delete: the selected row.
    void AddClick();
    void UpdateClick();
    void DeleteClick();

    QListWidget* lbURLs;
    QLineEdit* edID;
    QLineEdit* edURL;
    TmySkinButton* btnAdd;
    TmySkinButton* btnUpdate;
    TmySkinButton* btnDelete;
    TmySkinButton* btnOK;
    TmySkinButton* btnCancel;

private:
    void Refill();
    void RowClicked(int row);

    TurlList FURLs;
};

// Edits `list`; nothing happens without one. True when the changes were kept (OK).
bool EditURLs(TurlList* list);

}  // namespace tunecrest
