#include "skin/touch_dress.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QApplication>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QScroller>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <cctype>
#include <vector>

#include "core/base/services.h"
#include "core/jukebox/global_prefs.h"
#include "skin/screen_fonts.h"
#include "skin/small_dialogs.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

// Marks a widget as dressed, so that dressing a window again leaves it alone.
bool FirstDress(QWidget& w, const char* what)
{
    if (w.property(what).toBool()) return false;
    w.setProperty(what, true);
    return true;
}

// Draws a tree's expander as an arrow a finger can see: a filled triangle, pointing right
// when the branch is closed and down when it is open, filling much of the 48-pixel
// column that takes the tap. Everything else is drawn by the application's own style.
class TtouchBranchStyle : public QProxyStyle {
public:
    TtouchBranchStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element != PE_IndicatorBranch || !(option->state & State_Children))
            return QProxyStyle::drawPrimitive(element, option, painter, widget);
        const int size = std::min({kTouchExpanderArrow, option->rect.width() - 8, option->rect.height() - 8});
        if (size < 6) return QProxyStyle::drawPrimitive(element, option, painter, widget);
        const QPointF c = QRectF(option->rect).center();
        const qreal h = size / 2.0, d = size * 0.4;  // half its width and half its depth
        QPolygonF arrow;
        if (option->state & State_Open)
            arrow << QPointF(c.x() - h, c.y() - d) << QPointF(c.x() + h, c.y() - d) << QPointF(c.x(), c.y() + d);
        else
            arrow << QPointF(c.x() - d, c.y() - h) << QPointF(c.x() - d, c.y() + h) << QPointF(c.x() + d, c.y());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(Qt::NoPen);
        painter->setBrush(option->palette.color(QPalette::Text));
        painter->drawPolygon(arrow);
        painter->restore();
    }
};

// A press anywhere on a check box's or radio button's row presses it, and a release on
// the row clicks it; a release off the row lets it go unclicked.
class TwholeRowTap : public QObject {
public:
    explicit TwholeRowTap(QAbstractButton* button) : QObject(button), Fbutton(button) {}

    bool eventFilter(QObject*, QEvent* e) override
    {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                auto* m = static_cast<QMouseEvent*>(e);
                if (m->button() != Qt::LeftButton || !Fbutton->isEnabled()) return false;
                Fpressed = true;
                Fbutton->setDown(true);
                return true;
            }
            case QEvent::MouseMove:
                if (!Fpressed) return false;
                Fbutton->setDown(Fbutton->rect().contains(static_cast<QMouseEvent*>(e)->position().toPoint()));
                return true;
            case QEvent::MouseButtonRelease: {
                auto* m = static_cast<QMouseEvent*>(e);
                if (!Fpressed || m->button() != Qt::LeftButton) return false;
                Fpressed = false;
                Fbutton->setDown(false);
                if (Fbutton->rect().contains(m->position().toPoint())) Fbutton->click();
                return true;
            }
            case QEvent::Hide:
            case QEvent::EnabledChange:
                if (Fpressed) {
                    Fpressed = false;
                    Fbutton->setDown(false);
                }
                return false;
            default: return false;
        }
    }

private:
    QAbstractButton* Fbutton;
    bool Fpressed = false;
};

// The label just before `widget` in `layout` or a layout inside it: the cell on its left
// in a grid, the item before it in a row or column.
QLabel* LabelBefore(QLayout& layout, const QWidget& widget)
{
    for (int i = 0; i < layout.count(); ++i) {
        QLayoutItem* item = layout.itemAt(i);
        if (QLayout* inner = item->layout()) {
            if (QLabel* label = LabelBefore(*inner, widget)) return label;
            continue;
        }
        if (item->widget() != &widget) continue;
        if (auto* grid = qobject_cast<QGridLayout*>(&layout)) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(i, &row, &column, &rows, &columns);
            QLayoutItem* left = column > 0 ? grid->itemAtPosition(row, column - 1) : nullptr;
            return left ? qobject_cast<QLabel*>(left->widget()) : nullptr;
        }
        if (auto* form = qobject_cast<QFormLayout*>(&layout))
            return qobject_cast<QLabel*>(form->labelForField(const_cast<QWidget*>(&widget)));
        return i > 0 ? qobject_cast<QLabel*>(layout.itemAt(i - 1)->widget()) : nullptr;
    }
    return nullptr;
}

// The label a form gives a spin box: its buddy label, else the label before it.
QString SpinCaption(QAbstractSpinBox& spin)
{
    for (QLabel* label : spin.window()->findChildren<QLabel*>())
        if (label->buddy() == &spin) return label->text();
    for (QWidget* p = spin.parentWidget(); p; p = p->parentWidget())
        if (QLayout* layout = p->layout())
            if (QLabel* label = LabelBefore(*layout, spin)) return label->text();
    return {};
}

QString Plain(QString text)
{
    text.remove('&');
    while (text.endsWith(':') || text.endsWith(' ')) text.chop(1);
    return text;
}

std::string RangeText(int min, int max) { return std::to_string(min) + " to " + std::to_string(max); }

// Asks for the box's value on the keyboard and puts a valid answer in.
void AskValue(QAbstractSpinBox& spin)
{
    const std::string title = spin.window()->windowTitle().toStdString();
    const QString caption = Plain(SpinCaption(spin));
    auto* time = qobject_cast<QDateTimeEdit*>(&spin);
    auto* number = qobject_cast<QSpinBox*>(&spin);
    std::string prompt = caption.isEmpty() ? title : caption.toStdString();
    if (time) prompt += " (hours:minutes)";
    if (number) prompt += " (" + RangeText(number->minimum(), number->maximum()) + ")";
    const std::optional<std::string> answer = Prompt().AskText(title, prompt, spin.text().toStdString());
    if (!answer) return;
    if (time) {
        const std::optional<int> seconds = ParseKeypadTime(*answer);
        if (!seconds) {
            Prompt().ShowMessage("\"" + *answer + "\" is not a time of day: type hours and minutes, such as 18:30.",
                                 title);
            return;
        }
        time->setTime(QTime(0, 0).addSecs(*seconds));
    } else if (number) {
        const std::optional<int> value = ParseKeypadNumber(*answer, number->minimum(), number->maximum());
        if (!value) {
            Prompt().ShowMessage("\"" + *answer + "\" is not a number from " +
                                     RangeText(number->minimum(), number->maximum()) + ".",
                                 title);
            return;
        }
        number->setValue(*value);
    }
    Q_EMIT spin.editingFinished();
}

// A tap on the box (or the edit inside it) asks for the value while the on-screen
// keyboards are on; with them off the box takes typing as usual.
class TkeypadTap : public QObject {
public:
    explicit TkeypadTap(QAbstractSpinBox* spin) : QObject(spin), Fspin(spin) {}

    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonRelease &&
            e->type() != QEvent::MouseButtonDblClick)
            return false;
        if (!GlobalPrefs().OnScreenKeyboardsEnabled() || !Fspin->isEnabled() || Fspin->isReadOnly()) return false;
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() != Qt::LeftButton) return false;
        if (e->type() == QEvent::MouseButtonRelease) AskValue(*Fspin);
        return true;
    }

private:
    QAbstractSpinBox* Fspin;
};

// The window's title as a heading on top of a dialog that has no frame to show it.
class TdialogHeading : public QObject {
public:
    TdialogHeading(QWidget& dialog, QBoxLayout& layout) : QObject(&dialog), Fdialog(dialog)
    {
        Flabel = new QLabel(&dialog);
        Flabel->setObjectName("lblHeading");
        Flabel->setFont(ScreenFont(BoldArial(15)));
        Flabel->setMinimumHeight(36);
        Flabel->setWordWrap(true);
        Flabel->setText(dialog.windowTitle());
        layout.insertWidget(0, Flabel);
        dialog.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::WindowTitleChange) Flabel->setText(Fdialog.windowTitle());
        return false;
    }

private:
    QWidget& Fdialog;
    QLabel* Flabel;
};

void AddHeading(QWidget& dialog)
{
    if (!dialog.property(kWantsHeading).toBool() || !dialog.windowFlags().testFlag(Qt::FramelessWindowHint)) return;
    auto* box = qobject_cast<QBoxLayout*>(dialog.layout());
    if (!box || box->direction() != QBoxLayout::TopToBottom) return;
    dialog.setProperty(kWantsHeading, false);
    new TdialogHeading(dialog, *box);
}

// Rows of a drop-down list a finger can pick, whatever style the list wears.
class TtouchRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(0, kTouchRowHeight));
    }
};

class TtouchScroll : public QScrollArea {
public:
    explicit TtouchScroll(QWidget* parent) : QScrollArea(parent)
    {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setAutoFillBackground(false);
        viewport()->setAutoFillBackground(false);
    }
    QSize sizeHint() const override
    {
        if (!widget()) return QScrollArea::sizeHint();
        QSize size = widget()->sizeHint().expandedTo(widget()->minimumSizeHint());
        if (widget()->hasHeightForWidth()) size.setHeight(widget()->heightForWidth(size.width()));
        return size;
    }
    QSize minimumSizeHint() const override
    {
        if (!widget()) return QScrollArea::minimumSizeHint();
        const QSize content = widget()->minimumSizeHint();
        // Never narrower than the content with a scroll bar beside it; as low as a few rows.
        return {content.width() + verticalScrollBar()->sizeHint().width(), std::min(content.height(), 150)};
    }
};

std::string Trimmed(const std::string& text)
{
    size_t a = 0, b = text.size();
    while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
    return text.substr(a, b - a);
}

bool AllDigits(const std::string& text)
{
    if (text.empty()) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

std::optional<int> ParseKeypadNumber(const std::string& text, int min, int max)
{
    std::string t = Trimmed(text);
    bool negative = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t.erase(0, 1);
    }
    if (!AllDigits(t) || t.size() > 9) return std::nullopt;
    const int value = negative ? -std::stoi(t) : std::stoi(t);
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<int> ParseKeypadTime(const std::string& text)
{
    const std::string t = Trimmed(text);
    std::vector<std::string> parts;
    if (t.find_first_of(":.") != std::string::npos) {
        std::string part;
        for (char c : t) {
            if (c == ':' || c == '.') {
                parts.push_back(part);
                part.clear();
            } else {
                part += c;
            }
        }
        parts.push_back(part);
        if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
        for (const std::string& p : parts)
            if (!AllDigits(p) || p.size() > 2) return std::nullopt;
    } else {
        // Digits alone: hours, then two digits each of minutes and seconds.
        if (!AllDigits(t) || t.size() > 6) return std::nullopt;
        const size_t hours = t.size() % 2 == 1 ? 1 : std::min<size_t>(2, t.size());
        parts.push_back(t.substr(0, hours));
        for (size_t i = hours; i < t.size(); i += 2) parts.push_back(t.substr(i, 2));
    }
    const int h = std::stoi(parts[0]);
    const int m = parts.size() > 1 ? std::stoi(parts[1]) : 0;
    const int s = parts.size() > 2 ? std::stoi(parts[2]) : 0;
    if (h > 23 || m > 59 || s > 59) return std::nullopt;
    return h * 3600 + m * 60 + s;
}

QScrollArea* MakeTouchScroll(QWidget* parent, QWidget* content)
{
    auto* scroll = new TtouchScroll(parent);
    scroll->setWidget(content);
    content->setAutoFillBackground(false);
    EnableSwipe(*scroll);
    return scroll;
}

void UseKeypadEntry(QAbstractSpinBox& spin)
{
    if (!FirstDress(spin, "keypadEntry")) return;
    spin.setButtonSymbols(QAbstractSpinBox::NoButtons);
    auto* tap = new TkeypadTap(&spin);
    spin.installEventFilter(tap);
    for (QLineEdit* edit : spin.findChildren<QLineEdit*>()) edit->installEventFilter(tap);
}

void EnableSwipe(QWidget& target)
{
    if (!FirstDress(target, "swipeScroll")) return;
    QScroller::grabGesture(&target, QScroller::LeftMouseButtonGesture);
    QScrollerProperties properties = QScroller::scroller(&target)->scrollerProperties();
    // A list stops at its ends rather than springing past them, and a finger that
    // wanders a little still taps.
    properties.setScrollMetric(QScrollerProperties::OvershootDragResistanceFactor, 0.2);
    properties.setScrollMetric(QScrollerProperties::OvershootScrollDistanceFactor, 0.05);
    // A press is held back this long (seconds) to tell a swipe from a tap or a hold.
    properties.setScrollMetric(QScrollerProperties::MousePressEventDelay, kSwipePressDelayMs / 1000.0);
    properties.setScrollMetric(QScrollerProperties::HorizontalOvershootPolicy,
                               QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff));
    QScroller::scroller(&target)->setScrollerProperties(properties);
}

void EnableSwipe(QAbstractScrollArea& area)
{
    if (auto* view = qobject_cast<QAbstractItemView*>(&area)) {
        view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    }
    EnableSwipe(*area.viewport());
}

void DressForTouch(QWidget& root)
{
    AddHeading(root);
    for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
        if (!qobject_cast<QCheckBox*>(button) && !qobject_cast<QRadioButton*>(button)) continue;
        if (FirstDress(*button, "wholeRowTap")) button->installEventFilter(new TwholeRowTap(button));
    }
    for (QAbstractSpinBox* spin : root.findChildren<QAbstractSpinBox*>()) UseKeypadEntry(*spin);
    for (QAbstractScrollArea* area : root.findChildren<QAbstractScrollArea*>()) EnableSwipe(*area);
    for (QWidget* w : root.findChildren<QWidget*>())
        if (auto* list = dynamic_cast<TcustomTouchListBox*>(w)) list->SetSwipeScroll();
    for (QTreeView* tree : root.findChildren<QTreeView*>()) {
        if (tree->indentation() < kTouchExpanderWidth) tree->setIndentation(kTouchExpanderWidth);
        if (FirstDress(*tree, "touchBranches")) {
            auto* style = new TtouchBranchStyle;
            style->setParent(tree);
            tree->setStyle(style);
        }
    }
    // A tool button learns its style's font and padding as it is polished, and its bar
    // would keep the size it had before; a bar's captions are never squeezed.
    for (QToolButton* tool : root.findChildren<QToolButton*>()) {
        tool->ensurePolished();
        tool->updateGeometry();
        if (qobject_cast<QToolBar*>(tool->parentWidget()) && !tool->text().isEmpty())
            tool->setMinimumWidth(tool->sizeHint().width());
    }
    // The drop-down's own row painter ignores row heights.
    for (QComboBox* combo : root.findChildren<QComboBox*>())
        if (FirstDress(*combo, "touchRows")) combo->setItemDelegate(new TtouchRowDelegate(combo));
}

}  // namespace tunecrest
