#pragma once
// The column window of the media-library report: which columns the CSV file has, in
// which order, and which extra tag fields follow them. Edits copies; OK hands them back.
#include <string>
#include <vector>

#include "windows/dialogs/dialog_form.h"

class QListWidget;

namespace tunecrest {

class TmediaLibraryReport;

class TfrmMediaLibraryReport : public TfrmPlainDialog {
public:
    explicit TfrmMediaLibraryReport(QWidget* parent = nullptr);

    void SetFields(const std::vector<std::string>& available, const std::vector<std::string>& selected,
                   const std::vector<std::string>& extra);
    const std::vector<std::string>& Selected() const { return Fselected; }
    const std::vector<std::string>& Extra() const { return Fextra; }

    // ">" the chosen available fields, ">>" all of them, "<<" none, "<" drop the chosen.
    void AddChosen();
    void AddAll();
    void RemoveAll();
    void RemoveChosen();
    // Asks for a field name; a non-empty answer is added.
    void AddExtraField();
    void RemoveExtraField();
    // Moves the current row of `list` (selected or extra fields) one place.
    void MoveRow(QListWidget* list, int delta);

    QListWidget* lbAvailable;
    QListWidget* lbSelected;
    QListWidget* lbExtra;
    TmySkinButton* btnAdd;
    TmySkinButton* btnAddAll;
    TmySkinButton* btnRemoveAll;
    TmySkinButton* btnRemove;
    TmySkinButton* btnSelectedUp;
    TmySkinButton* btnSelectedDown;
    TmySkinButton* btnAddExtra;
    TmySkinButton* btnRemoveExtra;
    TmySkinButton* btnExtraUp;
    TmySkinButton* btnExtraDown;
    TmySkinButton* btnOK;
    TmySkinButton* btnCancel;

private:
    void Refill();
    std::vector<std::string>& Fields(QListWidget* list) { return list == lbExtra ? Fextra : Fselected; }

    std::vector<std::string> Favailable, Fselected, Fextra;
};

// Edits the report's selected and extra fields from `available`; True on OK.
bool EditMediaLibraryReport(TmediaLibraryReport& report, const std::vector<std::string>& available);

}  // namespace tunecrest
