#include "windows/dialogs/url_list_editor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "skin/component_owner.h"
#include "skin/modal_runner.h"

namespace tunecrest {

TfrmEditURLs::TfrmEditURLs(QWidget* parent) : TfrmPlainDialog("Edit URLs", parent)
{
    setObjectName("frmEditURLs");
    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(12);
    grid->addWidget(MakeLabel(Body(), "URL IDs"), 0, 0);
    lbURLs = CreateComponent<QListWidget>(this, Body());
    lbURLs->setObjectName("lbURLs");
    grid->addWidget(lbURLs, 1, 0, 1, 2);
    auto* side = new QVBoxLayout();
    btnAdd = MakeButton(Body(), "btnAdd", "&Add", 130);
    btnUpdate = MakeButton(Body(), "btnUpdate", "&Update", 130);
    btnDelete = MakeButton(Body(), "btnDelete", "&Delete", 130);
    side->addWidget(btnAdd);
    side->addWidget(btnUpdate);
    side->addWidget(btnDelete);
    side->addStretch(1);
    grid->addLayout(side, 1, 2);
    grid->addWidget(MakeLabel(Body(), "ID : (a nice name to display rather than a URL)"), 2, 0, 1, 3);
    edID = CreateComponent<QLineEdit>(this, Body());
    edID->setObjectName("edID");
    grid->addWidget(edID, 3, 0, 1, 3);
    grid->addWidget(MakeLabel(Body(), "URL : (the full url eg: http://radio.example.net:8000/stream)"), 4, 0,
                    1, 3);
    edURL = CreateComponent<QLineEdit>(this, Body());
    edURL->setObjectName("edURL");
    grid->addWidget(edURL, 5, 0, 1, 3);
    BodyLayout()->addLayout(grid);
    UseKeyboardEntry(edID, "Station name");
    UseKeyboardEntry(edURL, "Station address (URL)");
    AddOkCancel(btnOK, btnCancel, false);

    btnAdd->OnClick = [this](TObject*) { AddClick(); };
    btnUpdate->OnClick = [this](TObject*) { UpdateClick(); };
    btnDelete->OnClick = [this](TObject*) { DeleteClick(); };
    QObject::connect(lbURLs, &QListWidget::currentRowChanged, this, [this](int row) { RowClicked(row); });
    FURLs.OnChange = [this](TObject*) { Refill(); };
    resize(640, 620);
}

void TfrmEditURLs::Refill()
{
    const int row = lbURLs->currentRow();
    const QSignalBlocker block(lbURLs);
    lbURLs->clear();
    for (const std::string& name : FURLs.GetNames()) lbURLs->addItem(QString::fromStdString(name));
    if (row >= 0 && row < lbURLs->count()) lbURLs->setCurrentRow(row);
}

void TfrmEditURLs::RowClicked(int row)
{
    if (row < 0 || row >= FURLs.Count()) return;
    edID->setText(QString::fromStdString(FURLs.GetName(row)));
    edURL->setText(QString::fromStdString(FURLs.GetURL(row)));
}

void TfrmEditURLs::AddClick()
{
    const std::string id = edID->text().toStdString(), url = edURL->text().toStdString();
    if (id.empty() || url.empty()) return;
    FURLs.SetURL(id, url);
}

void TfrmEditURLs::UpdateClick()
{
    const std::string id = edID->text().toStdString(), url = edURL->text().toStdString();
    if (id.empty() || url.empty() || FURLs.IndexOfName(id) < 0) return;
    FURLs.SetURL(id, url);
}

void TfrmEditURLs::DeleteClick()
{
    const int row = lbURLs->currentRow();
    if (row >= 0 && row < FURLs.Count()) FURLs.Delete(row);
}

bool EditURLs(TurlList* list)
{
    if (!list) return false;
    TfrmEditURLs form;
    form.URLs().Assign(*list);
    if (!IsOk(RunModal(form))) return false;
    list->Assign(form.URLs());
    return true;
}

}  // namespace tunecrest
