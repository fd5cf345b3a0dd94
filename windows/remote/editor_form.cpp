#include "windows/remote/editor_form.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "skin/modal_runner.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

TeditorForm::TeditorForm(const char* objectName, const QString& caption, QWidget* parent) : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(caption);
    // The touch look of the other editors: the skin's colours, finger-sized fields,
    // check boxes and lists.
    StyleEditorDialog(*this);
    QFont f = font();
    f.setPointSize(std::max(f.pointSize(), 11));
    setFont(f);
    Fbody = new QVBoxLayout(this);
    Fbody->setContentsMargins(12, 12, 12, 12);
    Fbody->setSpacing(8);
}

QPushButton* TeditorForm::AddButton(QBoxLayout* row, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setMinimumHeight(kEditorButtonHeight);
    button->setMinimumWidth(96);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

void TeditorForm::AddOkCancel(const char* okName, const QString& okCaption) {
    auto* row = new QHBoxLayout();
    row->addStretch(1);
    btnOK = AddButton(row, okName, okCaption);
    btnOK->setDefault(true);
    btnCancel = AddButton(row, "btnCancel", "Cancel");
    Fbody->addLayout(row);
    connect(btnOK, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

}  // namespace tunecrest
