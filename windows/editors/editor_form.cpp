#include "windows/editors/editor_form.h"

#include <QBoxLayout>
#include <QPushButton>

#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "skin/skin_forms.h"

namespace tunecrest {

QPushButton* TouchButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setMinimumHeight(kTouchHeight);
    button->setMinimumWidth(96);
    button->setAutoDefault(false);
    return button;
}

void StyleEditorDialog(QWidget& dialog)
{
    const TformSkinColors colors = FormSkinColors();
    QPalette palette = dialog.palette();
    palette.setColor(QPalette::Window, ToQColor(colors.ColorB));
    palette.setColor(QPalette::WindowText, ToQColor(colors.CaptionFontColor));
    palette.setColor(QPalette::Button, ToQColor(colors.ColorA));
    palette.setColor(QPalette::ButtonText, ToQColor(colors.CaptionFontColor));
    palette.setColor(QPalette::Base, QColor(250, 250, 250));
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, ToQColor(colors.ColorA));
    palette.setColor(QPalette::HighlightedText, ToQColor(colors.CaptionFontColor));
    dialog.setPalette(palette);
    dialog.setAutoFillBackground(true);
    QFont font = dialog.font();
    font.setPointSize(std::max(font.pointSize(), 11));
    dialog.setFont(font);
}

QBoxLayout* AddOkCancelRow(QDialog& dialog, QBoxLayout& layout, QPushButton** ok, QPushButton** cancel)
{
    auto* row = new QHBoxLayout();
    row->addStretch(1);
    QPushButton* okButton = TouchButton(&dialog, "btnOK", "&OK");
    QPushButton* cancelButton = TouchButton(&dialog, "btnCancel", "&Cancel");
    okButton->setDefault(true);
    QObject::connect(okButton, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(mrOk); });
    QObject::connect(cancelButton, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(mrCancel); });
    row->addWidget(okButton);
    row->addWidget(cancelButton);
    layout.addLayout(row);
    if (ok) *ok = okButton;
    if (cancel) *cancel = cancelButton;
    return row;
}

}  // namespace tunecrest
