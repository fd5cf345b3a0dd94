#include "windows/dialogs/tag_plugins.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "core/base/services.h"
#include "core/tags/tagger_loader.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"

namespace tunecrest {

namespace {

TfolderChooser& FolderChooser()
{
    static TfolderChooser chooser;
    return chooser;
}

}  // namespace

TfolderChooser SetFolderChooser(TfolderChooser chooser)
{
    TfolderChooser previous = std::move(FolderChooser());
    FolderChooser() = std::move(chooser);
    return previous;
}

std::optional<std::string> ChooseFolder(const std::string& title, const std::string& folder)
{
    if (FolderChooser()) return FolderChooser()(title, folder);
    std::optional<std::string> chosen = Prompt().ChooseFolder(title, folder);
    if (!chosen || chosen->empty()) return std::nullopt;
    if (chosen->back() != '/') chosen->push_back('/');
    return chosen;
}

// ---- the plug-in list

TfrmPlugins::TfrmPlugins(TtaggerLoader& loader, QWidget* parent)
    : TfrmPlainDialog("Tag Reader Plugins", parent), Floader(loader)
{
    setObjectName("frmPlugins");
    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(12);
    grid->addWidget(MakeLabel(Body(), "Plugin"), 0, 0);
    grid->addWidget(MakeLabel(Body(), "Enabled Extensions"), 0, 1);
    lbPlugins = CreateComponent<QListWidget>(this, Body());
    lbPlugins->setObjectName("lbPlugins");
    lbExtensions = CreateComponent<QListWidget>(this, Body());
    lbExtensions->setObjectName("lbExtensions");
    lbExtensions->setSelectionMode(QAbstractItemView::NoSelection);
    lbExtensions->setFixedWidth(200);
    grid->addWidget(lbPlugins, 1, 0);
    grid->addWidget(lbExtensions, 1, 1);
    grid->addWidget(MakeLabel(Body(), "Information"), 2, 0, 1, 2);
    memoInformation = CreateComponent<QPlainTextEdit>(this, Body());
    memoInformation->setObjectName("memoInformation");
    memoInformation->setReadOnly(true);
    memoInformation->setFont(ScreenFont(TFont{"Courier New", clWindowText, 11, false}));
    memoInformation->setFixedHeight(130);
    memoInformation->setLineWrapMode(QPlainTextEdit::NoWrap);
    grid->addWidget(memoInformation, 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    BodyLayout()->addLayout(grid);
    btnConfigure = AddButton("btnConfigure", "Con&figure");
    btnClose = AddCloseButton("&Close");
    btnConfigure->OnClick = [this](TObject*) { ConfigureClick(); };
    QObject::connect(lbPlugins, &QListWidget::itemChanged, this, [this] { PluginsClicked(); });
    QObject::connect(lbPlugins, &QListWidget::currentRowChanged, this, [this] { PluginsClicked(); });
    resize(860, 560);
    FillLists();
}

void TfrmPlugins::FillLists()
{
    const int row = lbPlugins->currentRow();
    {
        const QSignalBlocker block(lbPlugins);
        lbPlugins->clear();
        for (int i = 0; i < Floader.PluginCount(); ++i) {
            const TtaggerPlugin* plugin = Floader.GetPlugin(i);
            auto* item = new QListWidgetItem(QString::fromStdString(plugin->Description()), lbPlugins);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(plugin->Enabled ? Qt::Checked : Qt::Unchecked);
        }
        if (row >= 0 && row < lbPlugins->count()) lbPlugins->setCurrentRow(row);
    }
    std::vector<std::string> extensions;
    Floader.GetExtensions(extensions);
    lbExtensions->clear();
    for (const std::string& extension : extensions) lbExtensions->addItem(QString::fromStdString(extension));
}

void TfrmPlugins::PluginsClicked()
{
    bool changed = false;
    for (int i = 0; i < lbPlugins->count() && i < Floader.PluginCount(); ++i) {
        const bool checked = lbPlugins->item(i)->checkState() == Qt::Checked;
        if (checked != Floader.GetPlugin(i)->Enabled) {
            Floader.SetPluginEnabled(i, checked);
            changed = true;
        }
    }
    if (changed) FillLists();
    memoInformation->setPlainText(QString::fromStdString(Floader.GetPluginInformation(lbPlugins->currentRow())));
}

void TfrmPlugins::ConfigureClick()
{
    const int row = lbPlugins->currentRow();
    if (row >= 0) Floader.ConfigurePlugin(row, uintptr_t(winId()));
}

void ShowPluginsWindow(TtaggerLoader& loader)
{
    TfrmPlugins form(loader);
    RunModal(form);
}

// ---- the folder dialog

TfrmConfigurePlugins::TfrmConfigurePlugins(TtaggerLoader& loader, QWidget* parent)
    : TfrmPlainDialog("Tag Read Plugins Configuration", parent), Floader(loader)
{
    setObjectName("frmConfigurePlugins");
    BodyLayout()->addWidget(MakeLabel(Body(), "Tag Reader Plugins Folder :"));
    auto* row = new QHBoxLayout();
    edFolder = CreateComponent<QLineEdit>(this, Body());
    edFolder->setObjectName("edFolder");
    btnBrowse = MakeButton(Body(), "btnBrowse", "...", 72);
    row->addWidget(edFolder, 1);
    row->addWidget(btnBrowse);
    BodyLayout()->addLayout(row);
    btnConfigurePlugins = MakeButton(Body(), "btnConfigurePlugins", "Configure Tag Reader &Plugins");
    BodyLayout()->addWidget(btnConfigurePlugins, 0, Qt::AlignLeft);
    BodyLayout()->addStretch(1);
    UseKeyboardEntry(edFolder, "Tag Reader Plugins Folder");
    AddButtonSpace();
    btnOK = AddButton("btnOK", "&OK");
    btnCancel = AddButton("btnCancel", "&Cancel", mrCancel);
    btnApply = AddButton("btnApply", "&Apply");
    btnApply->setEnabled(false);
    SetCancelButton(btnCancel);
    btnBrowse->OnClick = [this](TObject*) { BrowseClick(); };
    btnApply->OnClick = [this](TObject*) { ApplyClick(); };
    btnOK->OnClick = [this](TObject*) {
        ApplyClick();
        done(mrOk);
    };
    btnConfigurePlugins->OnClick = [this](TObject*) { Floader.ShowPluginsDialog(); };
    QObject::connect(edFolder, &QLineEdit::textChanged, this, [this] { btnApply->setEnabled(true); });
    resize(640, 300);
}

void TfrmConfigurePlugins::ApplyClick()
{
    Floader.SetPluginFolder(edFolder->text().toStdString());
    btnApply->setEnabled(false);
}

void TfrmConfigurePlugins::BrowseClick()
{
    if (std::optional<std::string> folder = ChooseFolder("Plugins Folder", edFolder->text().toStdString()))
        edFolder->setText(QString::fromStdString(*folder));
}

void ConfigurePlugins(std::string& folder, TtaggerLoader& loader)
{
    TfrmConfigurePlugins form(loader);
    {
        const QSignalBlocker block(form.edFolder);
        form.edFolder->setText(QString::fromStdString(folder));
    }
    RunModal(form);
    folder = loader.PluginFolder();
}

}  // namespace tunecrest
