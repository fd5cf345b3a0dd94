#include "windows/dialogs/media_library_report.h"

#include <algorithm>

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "core/library/library_reports.h"
#include "core/base/services.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"

namespace tunecrest {

namespace {

QListWidget* List(QObject* owner, QWidget* parent, const char* name)
{
    auto* list = CreateComponent<QListWidget>(owner, parent);
    list->setObjectName(name);
    return list;
}

bool Contains(const std::vector<std::string>& list, const std::string& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

TfrmMediaLibraryReport::TfrmMediaLibraryReport(QWidget* parent) : TfrmPlainDialog("Media Library Report", parent)
{
    setObjectName("frmMediaLibraryReport");
    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(10);
    grid->addWidget(MakeLabel(Body(), "Available Fields:"), 0, 0);
    grid->addWidget(MakeLabel(Body(), "Selected Fields:"), 0, 2);
    grid->addWidget(MakeLabel(Body(), "Extra Fields:"), 0, 4);
    lbAvailable = List(this, Body(), "lbAvailable");
    lbAvailable->setSelectionMode(QAbstractItemView::MultiSelection);
    lbSelected = List(this, Body(), "lbSelected");
    lbSelected->setSelectionMode(QAbstractItemView::MultiSelection);
    lbExtra = List(this, Body(), "lbExtra");
    grid->addWidget(lbAvailable, 1, 0);
    grid->addWidget(lbSelected, 1, 2);
    grid->addWidget(lbExtra, 1, 4);

    auto* moves = new QVBoxLayout();
    btnAdd = MakeButton(Body(), "btnAdd", ">", 64);
    btnAddAll = MakeButton(Body(), "btnAddAll", ">>", 64);
    btnRemoveAll = MakeButton(Body(), "btnRemoveAll", "<<", 64);
    btnRemove = MakeButton(Body(), "btnRemove", "<", 64);
    moves->addStretch(1);
    for (TmySkinButton* b : {btnAdd, btnAddAll, btnRemoveAll, btnRemove}) moves->addWidget(b);
    moves->addStretch(1);
    grid->addLayout(moves, 1, 1);

    auto* selectedOrder = new QHBoxLayout();
    btnSelectedUp = MakeButton(Body(), "btnSelectedUp", "Move Up", 120);
    btnSelectedDown = MakeButton(Body(), "btnSelectedDown", "Move Down", 120);
    selectedOrder->addWidget(btnSelectedUp);
    selectedOrder->addWidget(btnSelectedDown);
    grid->addLayout(selectedOrder, 2, 2);
    auto* extraButtons = new QGridLayout();
    btnAddExtra = MakeButton(Body(), "btnAddExtra", "&Add Extra Field", 180);
    btnRemoveExtra = MakeButton(Body(), "btnRemoveExtra", "Remove Extra Field", 180);
    btnExtraUp = MakeButton(Body(), "btnExtraUp", "Move Up", 120);
    btnExtraDown = MakeButton(Body(), "btnExtraDown", "Move Down", 120);
    extraButtons->addWidget(btnExtraUp, 0, 0);
    extraButtons->addWidget(btnExtraDown, 1, 0);
    extraButtons->addWidget(btnRemoveExtra, 1, 1);
    extraButtons->addWidget(btnAddExtra, 0, 1);
    grid->addLayout(extraButtons, 2, 4);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(1, 1);
    BodyLayout()->addLayout(grid);

    AddOkCancel(btnOK, btnCancel, false);

    btnAdd->OnClick = [this](TObject*) { AddChosen(); };
    btnAddAll->OnClick = [this](TObject*) { AddAll(); };
    btnRemoveAll->OnClick = [this](TObject*) { RemoveAll(); };
    btnRemove->OnClick = [this](TObject*) { RemoveChosen(); };
    btnAddExtra->OnClick = [this](TObject*) { AddExtraField(); };
    btnRemoveExtra->OnClick = [this](TObject*) { RemoveExtraField(); };
    btnSelectedUp->OnClick = [this](TObject*) { MoveRow(lbSelected, -1); };
    btnSelectedDown->OnClick = [this](TObject*) { MoveRow(lbSelected, +1); };
    btnExtraUp->OnClick = [this](TObject*) { MoveRow(lbExtra, -1); };
    btnExtraDown->OnClick = [this](TObject*) { MoveRow(lbExtra, +1); };
    resize(900, 640);
}

void TfrmMediaLibraryReport::SetFields(const std::vector<std::string>& available,
                                       const std::vector<std::string>& selected,
                                       const std::vector<std::string>& extra)
{
    Favailable = available;
    Fselected = selected;
    Fextra = extra;
    Refill();
}

void TfrmMediaLibraryReport::Refill()
{
    auto fill = [](QListWidget* list, const std::vector<std::string>& values, int current) {
        list->clear();
        for (const std::string& value : values) list->addItem(QString::fromStdString(value));
        if (current >= 0 && current < list->count()) list->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    };
    std::vector<std::string> notSelected;
    for (const std::string& field : Favailable)
        if (!Contains(Fselected, field)) notSelected.push_back(field);
    fill(lbAvailable, notSelected, -1);
    fill(lbSelected, Fselected, lbSelected->currentRow());
    fill(lbExtra, Fextra, lbExtra->currentRow());
}

void TfrmMediaLibraryReport::AddChosen()
{
    for (int i = 0; i < lbAvailable->count(); ++i)
        if (lbAvailable->item(i)->isSelected()) Fselected.push_back(lbAvailable->item(i)->text().toStdString());
    Refill();
}

void TfrmMediaLibraryReport::AddAll()
{
    for (const std::string& field : Favailable)
        if (!Contains(Fselected, field)) Fselected.push_back(field);
    Refill();
}

void TfrmMediaLibraryReport::RemoveAll()
{
    Fselected.clear();
    Refill();
}

void TfrmMediaLibraryReport::RemoveChosen()
{
    std::vector<std::string> kept;
    for (int i = 0; i < lbSelected->count() && i < int(Fselected.size()); ++i)
        if (!lbSelected->item(i)->isSelected()) kept.push_back(Fselected[size_t(i)]);
    Fselected = std::move(kept);
    Refill();
}

void TfrmMediaLibraryReport::AddExtraField()
{
    const std::optional<std::string> name = Prompt().AskText("Add Field", "Enter an Extra Field Tag", "");
    if (!name || name->empty()) return;
    Fextra.push_back(*name);
    Refill();
}

void TfrmMediaLibraryReport::RemoveExtraField()
{
    const int row = lbExtra->currentRow();
    if (row < 0 || row >= int(Fextra.size())) return;
    Fextra.erase(Fextra.begin() + row);
    Refill();
}

void TfrmMediaLibraryReport::MoveRow(QListWidget* list, int delta)
{
    std::vector<std::string>& fields = Fields(list);
    const int row = list->currentRow(), to = row + delta;
    if (row < 0 || to < 0 || to >= int(fields.size())) return;
    std::swap(fields[size_t(row)], fields[size_t(to)]);
    list->setCurrentRow(to, QItemSelectionModel::NoUpdate);
    Refill();
    list->setCurrentRow(to, QItemSelectionModel::ClearAndSelect);
}

bool EditMediaLibraryReport(TmediaLibraryReport& report, const std::vector<std::string>& available)
{
    TfrmMediaLibraryReport form;
    form.SetFields(available, report.SelectedFields, report.ExtraFields);
    if (!IsOk(RunModal(form))) return false;
    report.SelectedFields = form.Selected();
    report.ExtraFields = form.Extra();
    return true;
}

}  // namespace tunecrest
