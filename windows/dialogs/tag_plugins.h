#pragma once
// The tag-reader plug-in windows: the folder dialog (where the tagger loader looks for
// its plug-ins) and the plug-in list ("Tag Reader Plugins": switch plug-ins on and off,
// see the extensions in use, each plug-in's information, open its own settings).
#include <functional>
#include <optional>
#include <string>

#include "windows/dialogs/dialog_form.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace tunecrest {

class TtaggerLoader;

class TfrmPlugins : public TfrmPlainDialog {
public:
    explicit TfrmPlugins(TtaggerLoader& loader, QWidget* parent = nullptr);

    // Both lists from the loader: the plug-ins checked as they are enabled, and the
    // extension map.
    void FillLists();
    // A touch on the list: plug-ins whose check differs from their state are switched
    // (the extension map follows), then the selected plug-in's information shows.
    void PluginsClicked();
    void ConfigureClick();

    QListWidget* lbPlugins;
    QListWidget* lbExtensions;
    QPlainTextEdit* memoInformation;
    TmySkinButton* btnConfigure;
    TmySkinButton* btnClose;

private:
    TtaggerLoader& Floader;
};

// The plug-in list on `loader`, shown modally.
void ShowPluginsWindow(TtaggerLoader& loader);

class TfrmConfigurePlugins : public TfrmPlainDialog {
public:
    explicit TfrmConfigurePlugins(TtaggerLoader& loader, QWidget* parent = nullptr);

    // Gives the edit's folder to the loader (which reloads its plug-ins).
    void ApplyClick();
    void BrowseClick();

    QLineEdit* edFolder;
    TmySkinButton* btnBrowse;
    TmySkinButton* btnConfigurePlugins;
    TmySkinButton* btnOK;
    TmySkinButton* btnCancel;
    TmySkinButton* btnApply;

private:
    TtaggerLoader& Floader;
};

// Asks for a folder under `title` starting at `folder`; nullopt when cancelled. The
// default is the desktop's folder dialog; tests install their own.
using TfolderChooser = std::function<std::optional<std::string>(const std::string& title, const std::string& folder)>;
TfolderChooser SetFolderChooser(TfolderChooser chooser);
std::optional<std::string> ChooseFolder(const std::string& title, const std::string& folder);

// Shows the folder dialog with `folder`; afterwards `folder` is the loader's plug-in
// folder, whatever the dialog did.
void ConfigurePlugins(std::string& folder, TtaggerLoader& loader);

}  // namespace tunecrest
