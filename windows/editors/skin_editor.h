#pragma once
// The skin editor ("Skins"): the main window's button and panel colours, every named
// font and colour of its font stores, loading another installed skin and exporting the
// current skin as a new skin folder. Fonts and colours are edited on copies that reach
// the window only on Apply or OK; loading a skin rebuilds the copies from the new skin,
// so an OK afterwards never writes the old skin's fonts over it.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/display/color.h"
#include "core/display/font_store.h"

class QCheckBox;
class QFontComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tunecrest {

class TmyJvColorComboBox;

// What the editor needs of the main window.
class TskinEditorHost {
public:
    virtual ~TskinEditorHost() = default;
    // The window's editable font stores, in order.
    virtual std::vector<TfontContainer*> FontStores() = 0;
    virtual TColor ButtonColor() const = 0;
    virtual TColor PanelColor() const = 0;
    virtual TColor DefaultButtonColor() const = 0;
    virtual TColor DefaultPanelColor() const = 0;
    virtual std::string SkinsFolder() const = 0;
    // Loads a skin file; `done` runs once it is applied (perhaps later).
    virtual void SetSkinFile(const std::string& file, std::function<void(bool ok)> done) = 0;
    // Writes the current skin as `skinFile` with its pictures beside it.
    virtual bool ExportSkin(const std::string& skinFile, std::string* error) = 0;
    // The skin file the window wears now (empty: none), which an export never replaces.
    virtual std::string CurrentSkinFile() const { return ""; }
    // Writes the window's colours and fonts into that skin file. False with a reason.
    virtual bool KeepLook(std::string* error)
    {
        if (error) *error = "the window keeps no skin";
        return false;
    }
    virtual void ApplyListAppearance() = 0;
    virtual void ApplyColors(TColor buttonColor, TColor panelColor) = 0;
};

struct TskinRec {
    std::string Title, Description, FileName, Creator;
};
// The skins of `skinsFolder`: each subfolder with a "skin.usk" (title from its "Info"
// section, else the folder's name), and "Default" (added when missing) first, the rest
// by title without regard to case.
std::vector<TskinRec> ListSkins(const std::string& skinsFolder);
// A name for a new skin folder: not empty, not "." or "..", no path separator, no control
// character, no character a file name on a shared drive cannot hold, at most 200 bytes.
bool ValidSkinExportName(const std::string& name);
// The skins that come with the program ("Default", "Classic", in any case: a folder of
// that name on a shared drive is the same folder).
bool IsShippedSkinName(const std::string& name);
// Why colours and fonts edited on the skin in `skinFile` cannot be kept in it (empty:
// they can): no skin in use, a skin that comes with the program (every installation
// writes it afresh), or a skin whose folder cannot be written.
std::string WhyLookCannotBeKept(const std::string& skinFile);

// One editable store: the window's (not owned) and the editor's working copy.
struct TfcRec {
    TfontContainer* Store;
    std::unique_ptr<TfontContainer> Copy;
};

class TfrmJukeboxSkin : public QDialog {
public:
    explicit TfrmJukeboxSkin(TskinEditorHost& host, QWidget* parent = nullptr);
    ~TfrmJukeboxSkin() override;

    // Copies of the stores, the colours and the tree from the window; flags cleared.
    void LoadFromHost();
    void RefreshSkinList();
    void Apply();
    bool Modified() const { return Fmodified; }
    bool FontsChanged() const { return FfontsChanged; }
    bool ColorsChanged() const { return FcolorsChanged; }
    const std::vector<TfcRec>& Stores() const { return Fstores; }
    const std::vector<TskinRec>& Skins() const { return Fskins; }
    TColor ButtonColorValue() const { return FbuttonColor; }
    TColor PanelColorValue() const { return FpanelColor; }
    void SetButtonColorValue(TColor color);
    void SetPanelColorValue(TColor color);

    // Selected in the tree: a font item, a colour item, or nothing.
    TfontItem* SelectedFont() const;
    TcolorItem* SelectedColor() const;
    void SelectItem(int store, bool font, int index);
    void MatchCurrentSet();
    void MatchAllSets();
    void LoadSkinClicked();
    void ExportSkinClicked();

    QTabWidget* pcSkin;
    QPushButton *pnlButtonColor, *pnlPanelColor, *btnDefaultButtonColor, *btnDefaultPanelColor;
    QTreeWidget* tvFonts;
    QGroupBox* gbFontAttributes;
    QFontComboBox* cboFontName;
    TmyJvColorComboBox* cboFontColor;
    QCheckBox *cbBold, *cbItalic;
    QSpinBox* seFontSize;
    QPushButton* btnSelectFont;
    QGroupBox* gbColorAttributes;
    TmyJvColorComboBox* cboColor;
    QPushButton* btnGetDefaults;
    QLabel* pnlSample;
    QLabel* lblCurrentSet;
    QPushButton *btnMatchCurrentSet, *btnMatchAllSets;
    QCheckBox *cbMatchName, *cbMatchStyle, *cbMatchColor, *cbMatchSize;
    QListWidget* lbSkins;
    QPushButton* btnLoadSkin;
    QPlainTextEdit* mmoDetails;
    QLineEdit* edExportName;
    QPushButton* btnExportSkin;
    QPushButton *btnOK, *btnCancel, *btnApply;
    // Where the edits go: kept in the skin in use, or why they last only until the
    // program closes.
    QLabel* lblKeepLook;

private:
    void BuildTree();
    void ShowSelection();
    void FontEdited(const std::function<void(TFont&)>& change);
    void UpdateSample();
    void PaintColorButton(QPushButton* button, TColor color);
    void MarkFonts();
    void MarkColors();
    // The editor's own dress from the skin's colours (again after a skin is loaded).
    void Dress();
    void ShowKeepNote();

    TskinEditorHost& Fhost;
    std::vector<TfcRec> Fstores;
    std::vector<TskinRec> Fskins;
    TColor FbuttonColor = clGray, FpanelColor = clGray;
    bool Fmodified = false, FfontsChanged = false, FcolorsChanged = false;
    bool Fshowing = false;
    std::shared_ptr<bool> Falive = std::make_shared<bool>(true);
};

// Opens the editor on the window; with OK and any change the edits are applied.
// True for OK.
bool EditJukeboxSkin(TskinEditorHost& host);

}  // namespace tunecrest
