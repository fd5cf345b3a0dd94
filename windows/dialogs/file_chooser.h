#pragma once
// The one file and folder chooser of the touch screen: a skinned plain dialog with the
// current folder as a heading line, large rows of folders and files (a touch on a
// folder opens it), "Up", "Home" and "Music" to move about, the caller's filter as a
// choice of masks, and for saving a name edit that the on-screen keyboard fills. It
// starts in the folder the caller names, else the user's music folder, else home.
// A folder is read on a thread of its own and its rows are added in pieces, with the
// count shown, so a folder of a hundred thousand entries never holds the screen; each row
// keeps its name's bytes, so a name that is not UTF-8 is answered as it is on disk.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "windows/dialogs/dialog_form.h"
#include "windows/dialogs/file_choice.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QString;

namespace tunecrest {

enum class TchooserKind { ckOpenFile, ckSaveFile, ckFolder };

class TfrmFileChooser : public TfrmPlainDialog {
public:
    TfrmFileChooser(TchooserKind kind, const std::string& caption, const std::string& filter,
                    const std::string& folder, QWidget* parent = nullptr);
    ~TfrmFileChooser() override;

    TchooserKind Kind() const { return Fkind; }
    const std::string& Folder() const { return Ffolder; }
    // Shows `folder`'s entries (an unreadable folder shows none and says so). A folder read
    // within a few milliseconds shows at once; a larger one fills while the screen goes on.
    void OpenFolder(const std::string& folder);
    // True while the folder shown is still being read or its rows added.
    bool Listing() const;
    // The name of a row as the file system holds it.
    static std::string EntryName(const QListWidgetItem* item);
    // The masks of the filter entry chosen now.
    const std::vector<std::string>& Masks() const;
    // The body's colours, and the filter choice dressed like the fields.
    void ApplySkin() override;
    // What OK answered; empty until then.
    const std::string& Chosen() const { return Fchosen; }

    QLabel* lblFolder;
    QLabel* lblStatus;  // reading progress, or why the folder cannot be read
    TmySkinButton* btnUp;
    TmySkinButton* btnHome;
    TmySkinButton* btnMusic;
    QListWidget* lbEntries;
    QComboBox* cboFilter = nullptr;
    QLabel* lblFileName;
    QLineEdit* edFileName;
    TmySkinButton* btnOK;
    TmySkinButton* btnCancel;

private:
    struct Tjob;
    void StopListing();
    void ListingDone(uint64_t generation);
    void AddRows(uint64_t generation);
    // The line under the rows: how far the listing has got, or why the folder cannot be read.
    void ShowStatus(const QString& text, bool progress);
    void EntryClicked(QListWidgetItem* item);
    void EntryActivated(QListWidgetItem* item);
    void OkClicked();
    void UpdateOk();
    // The name in the edit of a save: the bytes of the row touched while the edit still
    // shows that row's name, else what was typed.
    std::string TypedName() const;

    TchooserKind Fkind;
    std::vector<TfileFilterEntry> Ffilters;
    std::string Ffolder;
    std::string FmusicFolder;
    std::string FhomeFolder;
    std::string Fchosen;
    // The reading of the folder shown, and the rows still to add.
    std::shared_ptr<Tjob> Fjob;
    uint64_t Fgeneration = 0;
    std::vector<TchooserEntry> Fpending;
    size_t FpendingNext = 0;
    bool FstatusIsProgress = false;
    // The file row touched last for a save: its shown name and its bytes.
    std::string FpickedShown, FpickedName;
};

// The entry routines the skinned prompt answers with: the chosen file or folder, or
// nullopt on Cancel. Saving over an existing file asks first.
std::optional<std::string> ChooseFileToOpen(const std::string& title, const std::string& filter,
                                            const std::string& folder);
std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& filter,
                                            const std::string& folder);
std::optional<std::string> ChooseFolderName(const std::string& title, const std::string& folder);

}  // namespace tunecrest
