#include "windows/search/history_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "skin/modal_runner.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

std::string HistoryPlayTime(double playTime) {
    const double fraction = playTime - std::floor(playTime);
    const int minutes = int(std::lround(fraction * 24 * 60)) % (24 * 60);
    return Format("%2.2d:%2.2d", minutes / 60, minutes % 60);
}

bool DeleteHistoryFile(TcustomlocalJukeboxList& library, int row) {
    TaudioTagList& history = library.Jukebox()->History();
    const TaudioTagPtr tag = history.GetTag(row);
    if (!tag) return false;
    const std::string name = tag->Filename().str();
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) return false;
    if (!Prompt().AskYesNo(
            "Are you sure you want to delete " + name +
                " from your system?\rThis action will permanently delete the file from your system.",
            "Confirm Delete", false))
        return false;
    // Only a regular file is deleted, and only a file that is really gone leaves the lists.
    if (!std::filesystem::is_regular_file(name, ec) || !std::filesystem::remove(name, ec) || ec) {
        Prompt().ShowMessage("Unable to delete file : " + name, "Error");
        return false;
    }
    history.Remove(tag.get());
    TaudioTagList& global = library.GlobalList();
    global.BeginUpdate();
    for (int i = global.Count() - 1; i >= 0; --i)
        if (global.GetTag(i)->Filename() == name) global.Delete(i);
    global.EndUpdate();
    return true;
}

TfrmHistory::TfrmHistory(TcustomlocalJukeboxList& library, QWidget* parent)
    : QDialog(parent), Flibrary(library) {
    setObjectName("frmHistory");
    setWindowTitle("History List");
    auto* layout = new QVBoxLayout(this);
    lvHistory = new QTreeWidget(this);
    lvHistory->setObjectName("lvHistory");
    lvHistory->setRootIsDecorated(false);
    lvHistory->setHeaderLabels({"Play Time", "Artist", "Title", "Filename"});
    lvHistory->setSelectionMode(QAbstractItemView::SingleSelection);
    lvHistory->header()->resizeSection(0, 90);
    lvHistory->header()->resizeSection(1, 180);
    lvHistory->header()->resizeSection(2, 220);
    layout->addWidget(lvHistory, 1);
    auto* bottom = new QHBoxLayout();
    btnDelete = new QPushButton("&Delete", this);
    btnDelete->setObjectName("btnDelete");
    btnDelete->setToolTip("Delete file from Disk and Database");
    btnDelete->setMinimumSize(96, kTouchHeight);
    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    btnClose->setDefault(true);
    btnClose->setMinimumSize(96, kTouchHeight);
    bottom->addWidget(btnDelete);
    bottom->addStretch(1);
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);
    connect(btnDelete, &QPushButton::clicked, this, [this] { DeletePressed(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { done(mrOk); });
    resize(820, 520);
    StyleEditorDialog(*this);
}

void TfrmHistory::Fill() {
    lvHistory->clear();
    const TaudioTagList& history = Flibrary.Jukebox()->History();
    QList<QTreeWidgetItem*> rows;
    for (const TaudioTagPtr& tag : history.Items()) {
        rows.push_back(new QTreeWidgetItem(QStringList{
            QString::fromStdString(HistoryPlayTime(tag->ModDate())), QString::fromStdString(tag->Artist()),
            QString::fromStdString(tag->Title()), QString::fromStdString(tag->Filename().str())}));
    }
    lvHistory->addTopLevelItems(rows);
}

void TfrmHistory::DeletePressed() {
    QTreeWidgetItem* item = lvHistory->currentItem();
    if (!item) return;
    const int row = lvHistory->indexOfTopLevelItem(item);
    if (DeleteHistoryFile(Flibrary, row)) Fill();
}

void ShowHistory(TcustomlocalJukeboxList* library) {
    if (!library) return;
    TfrmHistory form(*library);
    form.Fill();
    TaudioTagList& history = library->Jukebox()->History();
    auto previous = history.OnChange;
    history.OnChange = [&form, previous](TObject* sender) {
        if (previous) previous(sender);
        form.Fill();
    };
    RunModal(form);
    history.OnChange = previous;
}

}  // namespace tunecrest
