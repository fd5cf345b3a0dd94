#include "windows/dialogs/select_items.h"

#include <QGroupBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "core/base/string_lists.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"

namespace tunecrest {

TfrmSelectItem::TfrmSelectItem(QWidget* parent) : TfrmPlainDialog("Select Item", parent)
{
    setObjectName("frmSelectItem");
    SetSizeable(true);
    gbItemList = CreateComponent<QGroupBox>(this, Body());
    gbItemList->setObjectName("gbItemList");
    auto* layout = new QVBoxLayout(gbItemList);
    lbItems = CreateComponent<QListWidget>(this, gbItemList);
    lbItems->setObjectName("lbItems");
    layout->addWidget(lbItems);
    BodyLayout()->addWidget(gbItemList);
    AddOkCancel(btnOK, btnCancel, true);
    resize(460, 560);
}

bool SelectItems(const std::string& caption, const std::string& prompt, const TmyStringList& items,
                 TmyStringList& target)
{
    TfrmSelectItem form;
    form.SetCaption(caption);
    form.gbItemList->setTitle(QString::fromStdString(prompt));
    for (int i = 0; i < items.Count(); ++i) form.lbItems->addItem(QString::fromStdString(items.Strings(i)));
    form.lbItems->setSelectionMode(QAbstractItemView::MultiSelection);
    target.Clear();
    if (!IsOk(RunModal(form)) || form.lbItems->currentRow() < 0) return false;
    target.BeginUpdate();
    for (int i = 0; i < form.lbItems->count() && i < items.Count(); ++i)
        if (form.lbItems->item(i)->isSelected()) target.AddObject(items.Strings(i), items.Objects(i));
    target.EndUpdate();
    return true;
}

}  // namespace tunecrest
