#include "windows/editors/editor_form.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLineEdit>
#include <algorithm>
#include <QPushButton>

#include "core/jukebox/global_prefs.h"
#include "core/base/services.h"
#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "skin/skin_colors.h"
#include "skin/skin_forms.h"
#include "skin/touch_dress.h"
#include "windows/dialogs/dialog_form.h"

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

namespace {

// Dresses the window for touch whenever it shows (widgets made after it was styled
// included).
class TtouchShowDress : public QObject {
public:
    explicit TtouchShowDress(QWidget& dialog) : QObject(&dialog), Fdialog(dialog) { dialog.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show) DressForTouch(Fdialog);
        return false;
    }

private:
    QWidget& Fdialog;
};

}  // namespace

void StyleEditorDialog(QWidget& dialog)
{
    if (!dialog.property("touchStyled").toBool()) {
        dialog.setProperty("touchStyled", true);
        // A dialog is a skinned form: no frame (a heading shows the title), the skin's
        // panel picture behind its controls.
        if (qobject_cast<QDialog*>(&dialog) && !dialog.isVisible()) {
            dialog.setWindowFlag(Qt::FramelessWindowHint, true);
            dialog.setProperty(kWantsHeading, true);
        }
        WearFormPanel(dialog);
        new TtouchShowDress(dialog);
    }
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
    // The plain dialogs' touch style, and the same for the widgets only these windows
    // use: push buttons in the button colour, drop-down lists and trees like fields.
    const TColor panel = ColorToRGB(colors.ColorB);
    const TColor button = ColorToRGB(colors.ColorA);
    const bool darkPanel = (GetRValue(panel) * 299 + GetGValue(panel) * 587 + GetBValue(panel) * 114) / 1000 < 128;
    const TColor field = darkPanel ? DarkenColor(panel, 45) : LightenColor(panel, 80);
    const TColor border = darkPanel ? LightenColor(panel, 35) : DarkenColor(panel, 35);
    const QString buttonText = ToQColor(ReadableTextOn(colors.CaptionFontColor, button)).name();
    const QString fieldText = ToQColor(ReadableTextOn(ReadableTextOn(colors.CaptionFontColor, panel), field)).name();
    QString extra = R"(
QPushButton { background: %BUTTON%; color: %BUTTONTEXT%; border: 1px solid %BORDER%; border-radius: 8px;
  min-height: 46px; padding: 0 16px; font-weight: bold; }
QPushButton:pressed { background: %BORDER%; }
QPushButton:disabled { color: %BORDER%; }
QComboBox, QTimeEdit, QTreeWidget, QFontComboBox { background: %FIELD%; color: %FIELDTEXT%;
  border: 1px solid %BORDER%; border-radius: 6px; selection-background-color: %BUTTON%;
  selection-color: %BUTTONTEXT%; }
QComboBox, QTimeEdit { min-height: 46px; padding: 0 8px; }
QComboBox::drop-down { width: 44px; }
QComboBox QAbstractItemView { background: %FIELD%; color: %FIELDTEXT%; outline: 0; }
QComboBox QAbstractItemView::item { min-height: 48px; padding: 0 10px; }
QComboBox QAbstractItemView::item:selected { background: %BUTTON%; color: %BUTTONTEXT%; }
QTreeView::item, QTreeWidget::item { min-height: 48px; }
QTreeWidget::indicator { width: 28px; height: 28px; }
QHeaderView::section { background: %PANEL%; color: %FIELDTEXT%; border: none; padding: 6px; min-height: 36px;
  font-weight: bold; }
QMenuBar { background: %PANEL%; color: %FIELDTEXT%; }
QMenuBar::item { padding: 17px 20px; background: transparent; }
QMenuBar::item:selected, QMenuBar::item:pressed { background: %BUTTON%; color: %BUTTONTEXT%; }
QMenu { background: %FIELD%; color: %FIELDTEXT%; border: 1px solid %BORDER%; }
QMenu::item { min-height: 48px; padding: 0 28px; }
QMenu::item:selected { background: %BUTTON%; color: %BUTTONTEXT%; }
QMenu::item:disabled { color: %BORDER%; }
QMenu::separator { height: 1px; background: %BORDER%; margin: 4px 8px; }
QToolBar { background: %PANEL%; border: none; spacing: 6px; padding: 4px; }
QToolButton { background: %BUTTON%; color: %BUTTONTEXT%; border: 1px solid %BORDER%; border-radius: 8px;
  min-height: 48px; padding: 0 14px; font-weight: bold; }
QToolButton:pressed { background: %BORDER%; }
QToolButton:disabled { color: %BORDER%; }
QToolButton[popupMode="1"] { padding-right: 36px; }
QToolButton::menu-button { width: 32px; border-left: 1px solid %BORDER%; }
QSplitter::handle { background: %BORDER%; }
QSplitter::handle:horizontal { width: 10px; }
QSplitter::handle:vertical { height: 10px; }
QStatusBar { background: %PANEL%; color: %FIELDTEXT%; min-height: 36px; }
QStatusBar QLabel { color: %FIELDTEXT%; padding: 0 8px; }
)";
    extra.replace("%BUTTONTEXT%", buttonText)
        .replace("%BUTTON%", ToQColor(button).name())
        .replace("%BORDER%", ToQColor(border).name())
        .replace("%FIELDTEXT%", fieldText)
        .replace("%FIELD%", ToQColor(field).name())
        .replace("%PANEL%", ToQColor(panel).name());
    dialog.setStyleSheet(DialogStyleSheet(colors) + extra);
    QFont font = dialog.font();
    font.setPointSize(std::max(font.pointSize(), 11));
    dialog.setFont(font);
    DressForTouch(dialog);
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

namespace {
class TkeyboardEntryFilter : public QObject {
public:
    TkeyboardEntryFilter(QLineEdit* edit, std::string prompt) : QObject(edit), Fedit(edit), Fprompt(std::move(prompt)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != Fedit || event->type() != QEvent::MouseButtonRelease ||
            !GlobalPrefs().OnScreenKeyboardsEnabled() || !Fedit->isEnabled() || Fedit->isReadOnly())
            return false;
        const QString title = Fedit->window() ? Fedit->window()->windowTitle() : QString();
        if (const auto answer = Prompt().AskText(title.toStdString(), Fprompt, Fedit->text().toStdString())) {
            Fedit->setText(QString::fromStdString(*answer));
            Q_EMIT Fedit->textEdited(Fedit->text());
        }
        return true;
    }

private:
    QLineEdit* Fedit;
    std::string Fprompt;
};
}  // namespace

void UseKeyboardEntry(QLineEdit* edit, const std::string& prompt)
{
    edit->installEventFilter(new TkeyboardEntryFilter(edit, prompt));
}

}  // namespace tunecrest
