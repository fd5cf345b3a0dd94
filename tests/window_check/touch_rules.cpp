#include "window_check/touch_rules.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QScroller>
#include <QSlider>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>
#include <QTest>
#include <QTreeView>
#include <QWindow>
#include <functional>

#include "skin/display_controls.h"
#include "skin/html_label.h"
#include "skin/html_text.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"

namespace tunecrest::test {

namespace {

std::string Str(const QString& s) { return s.toStdString(); }

// Whether a swipe on `target` scrolls: a scroller with its gesture grabbed (asking for
// the gesture of a target without a scroller would make one).
bool Swipes(QObject* target)
{
    if (!QScroller::hasScroller(target)) return false;
    const Qt::GestureType type = QScroller::grabbedGesture(target);
    return type != Qt::GestureType(0) && type != Qt::CustomGesture;
}

std::string Size(QSize s) { return std::to_string(s.width()) + "x" + std::to_string(s.height()); }

// `text` in quotes, its first 40 characters.
std::string Quoted(const QString& text)
{
    std::string quoted = "\"";
    quoted += Str(text.left(40));
    quoted += '"';
    return quoted;
}

// The text as drawn: accelerator marks taken out.
QString Drawn(QString text)
{
    text.replace(QLatin1String("&&"), QString(QChar(1)));
    text.remove('&');
    text.replace(QChar(1), '&');
    return text;
}

QString TextOf(const QWidget& w)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(&w)) return Drawn(b->text());
    if (auto* l = qobject_cast<const QLabel*>(&w)) return l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(&w)) return Drawn(g->title());
    if (auto* b = dynamic_cast<const TmySkinButton*>(&w)) return QString::fromStdString(b->Caption());
    if (auto* l = dynamic_cast<const ThtmlLabel*>(&w)) return QString::fromStdString(l->Caption());
    return {};
}

bool OwnName(const QWidget& w) { return !w.objectName().isEmpty() && !w.objectName().startsWith("qt_"); }

// Whether `w` sits inside a scroll area's viewport below `window` (it scrolls into view).
bool InScrolledArea(const QWidget& w, const QWidget& window)
{
    for (const QWidget* p = w.parentWidget(); p && p != &window; p = p->parentWidget())
        if (auto* area = qobject_cast<const QAbstractScrollArea*>(p->parentWidget()); area && area->viewport() == p)
            return true;
    return false;
}

// The part of `w` the window shows, in the window's coordinates.
QRect VisiblePart(const QWidget& w, const QWidget& window)
{
    QRect r(w.mapTo(&window, QPoint(0, 0)), w.size());
    for (const QWidget* p = w.parentWidget(); p; p = p->parentWidget()) {
        r &= QRect(p->mapTo(&window, QPoint(0, 0)), p->size());
        if (p == &window) break;
    }
    return r;
}

// A swipe's scroller holds presses back until the finger lifts and hands them on to the
// widget it finds under that point on the screen, which for windows the check keeps off
// the screen may be another window's. A probe goes to its widget itself, so the scrollers
// of the widget and around it step aside meanwhile.
class TscrollersAside {
public:
    explicit TscrollersAside(QWidget* from)
    {
        for (QWidget* p = from; p; p = p->parentWidget())
            if (Swipes(p)) {
                Fscrollers.emplace_back(p, QScroller::scroller(p)->scrollerProperties());
                QScroller::ungrabGesture(p);
            }
    }
    ~TscrollersAside()
    {
        for (auto& [target, properties] : Fscrollers) {
            QScroller::grabGesture(target, QScroller::LeftMouseButtonGesture);
            QScroller::scroller(target)->setScrollerProperties(properties);
        }
    }

private:
    std::vector<std::pair<QWidget*, QScrollerProperties>> Fscrollers;
};

class Tchecker {
public:
    Tchecker(QWidget& window, const QRect& screen, const QWidget* owner)
        : Fwindow(window), Fscreen(screen), Fowner(owner)
    {
    }

    std::vector<TtouchFault> Run()
    {
        CheckWindow();
        for (QWidget* w : Fwindow.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&Fwindow) || w->isWindow()) continue;
            CheckWidget(*w);
        }
        return std::move(Ffaults);
    }

private:
    void Fault(const QWidget& w, const char* rule, std::string text)
    {
        Ffaults.push_back({&w == &Fwindow ? "the window" : WidgetName(w), rule, std::move(text)});
    }

    void CheckWindow()
    {
        const QRect frame = Fwindow.frameGeometry();
        if (frame.width() > Fscreen.width() || frame.height() > Fscreen.height())
            Fault(Fwindow, "fit", "is " + Size(frame.size()) + ", larger than the " + Size(Fscreen.size()) + " screen");
        else if (!Fscreen.contains(frame))
            Fault(Fwindow, "fit", "reaches past the screen's edge (at " + std::to_string(frame.x()) + "," +
                                      std::to_string(frame.y()) + ")");
        if (!Fowner) return;
        const QWindow* handle = Fwindow.windowHandle();
        if (!Fwindow.parentWidget() && (!handle || !handle->transientParent()))
            Fault(Fwindow, "above", "has no owner window, so it can fall behind the main window");
        // Centred on the owner, unless the screen's edge moved it.
        const QRect owner = Fowner->frameGeometry();
        const QPoint offset = frame.center() - owner.center();
        const bool clamped = frame.left() == Fscreen.left() || frame.top() == Fscreen.top() ||
                             frame.right() == Fscreen.right() || frame.bottom() == Fscreen.bottom();
        if ((std::abs(offset.x()) > 2 || std::abs(offset.y()) > 2) && !clamped)
            Fault(Fwindow, "centre", "opens " + std::to_string(offset.x()) + "," + std::to_string(offset.y()) +
                                         " px off the main window's centre");
    }

    // Whether the window shows all of `w` (a control in a scroll area scrolls into view).
    void CheckShownWhole(const QWidget& w)
    {
        if (InScrolledArea(w, Fwindow)) return;
        const QRect part = VisiblePart(w, Fwindow);
        if (part.size() != w.size())
            Fault(w, "fit", "shows " + Size(part.size()) + " of its " + Size(w.size()) + ": cut off by the window");
    }

    void MinHeight(const QWidget& w, int height, const char* what = "is")
    {
        if (height < kFingerSize)
            Fault(w, "size", std::string(what) + " " + std::to_string(height) + " px high (needs " +
                                 std::to_string(kFingerSize) + ")");
    }
    void MinWidth(const QWidget& w, int width, const char* what = "is")
    {
        if (width < kFingerSize)
            Fault(w, "size", std::string(what) + " " + std::to_string(width) + " px wide (needs " +
                                 std::to_string(kFingerSize) + ")");
    }

    void TextWidth(const QWidget& w, const QString& text, const QFont& font, int room)
    {
        const int needed = QFontMetrics(font).horizontalAdvance(text);
        if (needed > room)
            Fault(w, "text", Quoted(text) + " needs " + std::to_string(needed) + " px, has " + std::to_string(room));
    }

    void CheckWidget(QWidget& w)
    {
        const bool enabled = w.isEnabled();
        if (auto* b = qobject_cast<QAbstractButton*>(&w)) return CheckButton(*b, enabled);
        if (auto* b = dynamic_cast<TmySkinButton*>(&w)) {
            CheckShownWhole(w);
            if (enabled) {
                MinHeight(w, b->height());
                MinWidth(w, b->width());
            }
            if (!b->CaptionFits())
                Fault(w, "text", "caption \"" + b->Caption().substr(0, 40) + "\" does not fit its " +
                                     Size(b->size()));
            return;
        }
        if (auto* l = qobject_cast<QLabel*>(&w)) return CheckLabel(*l);
        if (auto* b = dynamic_cast<TScrollBanner3*>(&w)) {
            // A banner that stands still draws its whole text inside itself.
            if (b->Moving()) return;
            const double drawn = MeasureHTMLText(b->StillText(), b->Font()).width() * b->StillScale();
            if (drawn > b->width())
                Fault(w, "text", "markup \"" + StripHTMLTags(b->StillText()).substr(0, 40) + "\" needs " +
                                     std::to_string(int(drawn)) + " px, has " + std::to_string(b->width()));
            return;
        }
        if (auto* l = dynamic_cast<ThtmlLabel*>(&w)) {
            const QSize needed = l->sizeHint();
            if ((!l->WordWrap() && needed.width() > l->width()) || needed.height() > l->height() + 1)
                Fault(w, "text", "markup \"" + l->Caption().substr(0, 40) + "\" needs " + Size(needed) + ", has " +
                                     Size(l->size()));
            return;
        }
        if (auto* g = qobject_cast<QGroupBox*>(&w)) {
            QFont bold = g->font();
            TextWidth(w, Drawn(g->title()), bold, g->width() - 24);
            return;
        }
        if (!enabled) return;
        if (auto* c = qobject_cast<QComboBox*>(&w)) return CheckCombo(*c);
        if (auto* s = qobject_cast<QAbstractSpinBox*>(&w)) return CheckSpin(*s);
        if (auto* e = qobject_cast<QLineEdit*>(&w)) {
            if (e->isReadOnly() || qobject_cast<QAbstractSpinBox*>(e->parentWidget()) ||
                qobject_cast<QComboBox*>(e->parentWidget()))
                return;
            CheckShownWhole(w);
            MinHeight(w, e->height());
            return;
        }
        if (auto* t = qobject_cast<QTabBar*>(&w)) return CheckTabs(*t);
        if (auto* s = qobject_cast<QScrollBar*>(&w)) return CheckScrollBar(*s);
        if (auto* s = qobject_cast<QSlider*>(&w)) {
            MinHeight(w, s->orientation() == Qt::Horizontal ? s->height() : s->width(), "its groove is");
            return;
        }
        if (auto* m = qobject_cast<QMenuBar*>(&w)) {
            for (QAction* a : m->actions())
                if (a->isVisible()) MinHeight(w, m->actionGeometry(a).height(), "an item is");
            return;
        }
        if (auto* h = qobject_cast<QHeaderView*>(&w)) {
            if (h->sectionsClickable() && h->orientation() == Qt::Horizontal) MinHeight(w, h->height(), "its heading is");
            return;
        }
        if (auto* v = qobject_cast<QAbstractItemView*>(&w)) return CheckItemView(*v);
        if (auto* a = qobject_cast<QAbstractScrollArea*>(&w)) {
            // Text and picture areas: a swipe scrolls them when there is more to see.
            if (a->verticalScrollBar()->maximum() > 0 && !Swipes(a->viewport()))
                Fault(w, "swipe", "does not scroll with a swipe");
            return;
        }
        if (auto* l = dynamic_cast<TcustomTouchListBox*>(&w)) {
            if (l->ItemHeight() < kFingerSize)
                Fault(w, "row", "rows are " + std::to_string(l->ItemHeight()) + " px high (needs " +
                                    std::to_string(kFingerSize) + ")");
            if (!Swipes(l)) Fault(w, "swipe", "does not scroll with a swipe");
            return;
        }
        if (auto* s = dynamic_cast<TmySkinScrollBar*>(&w)) {
            const int across = s->Kind() == msbVertical ? s->width() : s->height();
            if (across < kFingerSize) Fault(w, "size", "is " + std::to_string(across) + " px across (needs 48)");
            if (s->HasThumb() && s->PartLength(TmySkinScrollBar::spThumb) < kFingerSize)
                Fault(w, "size", "its thumb is " + std::to_string(s->PartLength(TmySkinScrollBar::spThumb)) +
                                     " px long (needs 48)");
            return;
        }
    }

    void CheckButton(QAbstractButton& b, bool enabled)
    {
        if (qobject_cast<QTabBar*>(b.parentWidget())) {
            // The tab bar's scroll arrows: tabs that do not fit.
            if (b.isVisibleTo(&Fwindow)) Fault(b, "fit", "the tabs do not fit their bar (scroll arrows shown)");
            return;
        }
        CheckShownWhole(b);
        const bool box = qobject_cast<QCheckBox*>(&b) || qobject_cast<QRadioButton*>(&b);
        if (enabled) {
            MinHeight(b, b.height());
            if (!box) MinWidth(b, b.width());
            if (box && !WholeRowTaps(b)) Fault(b, "row", "only its box and text take a tap, not its whole row");
        }
        const QString text = Drawn(b.text());
        if (text.isEmpty()) return;
        if (auto* push = qobject_cast<QPushButton*>(&b)) {
            QStyleOptionButton opt;
            opt.initFrom(push);
            opt.text = push->text();
            opt.icon = push->icon();
            opt.iconSize = push->iconSize();
            const QRect contents = push->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, push);
            const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
            TextWidth(b, text, b.font(), contents.width() - icon);
        } else if (box) {
            QStyleOptionButton opt;
            opt.initFrom(&b);
            opt.text = b.text();
            const auto element =
                qobject_cast<QCheckBox*>(&b) ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
            const QRect contents = b.style()->subElementRect(element, &opt, &b);
            TextWidth(b, text, b.font(), contents.width());
        } else if (b.sizeHint().width() > b.width()) {
            Fault(b, "text", Quoted(text) + " needs " + std::to_string(b.sizeHint().width()) +
                                 " px, has " + std::to_string(b.width()));
        }
    }

    // A press at the far end of the row must press the button; the release goes
    // elsewhere, so nothing is clicked. The events go to the button itself, past any
    // swipe's scroller (which hands a tap on only once the finger lifts).
    bool WholeRowTaps(QAbstractButton& b)
    {
        if (b.isDown()) return true;
        TscrollersAside aside(b.parentWidget());
        const QPointF farEnd(b.width() - 3, b.height() - 3), away(-40, -40);
        QMouseEvent press(QEvent::MouseButtonPress, farEnd, b.mapToGlobal(farEnd), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&b, &press);
        const bool down = b.isDown();
        QMouseEvent release(QEvent::MouseButtonRelease, away, b.mapToGlobal(away), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&b, &release);
        b.setDown(false);
        return down;
    }

    void CheckLabel(QLabel& l)
    {
        if (l.text().isEmpty() || !l.pixmap().isNull()) return;
        if (InScrolledArea(l, Fwindow)) return;
        CheckShownWhole(l);
        if (l.wordWrap()) {
            const int needed = l.heightForWidth(l.width());
            if (needed > l.height() + 1)
                Fault(l, "text", Quoted(l.text()) + " needs " + std::to_string(needed) +
                                     " px of height, has " + std::to_string(l.height()));
            return;
        }
        const QSize needed = l.sizeHint();
        if (needed.width() > l.width() || needed.height() > l.height() + 1)
            Fault(l, "text", Quoted(l.text()) + " needs " + Size(needed) + ", has " + Size(l.size()));
    }

    void CheckCombo(QComboBox& c)
    {
        CheckShownWhole(c);
        MinHeight(c, c.height());
        QStyleOptionComboBox opt;
        opt.initFrom(&c);
        opt.editable = c.isEditable();
        const QRect field = c.style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, &c);
        if (!c.isEditable()) TextWidth(c, c.currentText(), c.font(), field.width());
        if (c.count() == 0) return;
        // The rows of the open list.
        c.showPopup();
        QAbstractItemView* view = c.view();
        const int row = view->visualRect(view->model()->index(0, c.modelColumn(), view->rootIndex())).height();
        c.hidePopup();
        if (row < kFingerSize)
            Fault(c, "row", "its list's rows are " + std::to_string(row) + " px high (needs 48)");
    }

    void CheckSpin(QAbstractSpinBox& s)
    {
        CheckShownWhole(s);
        MinHeight(s, s.height());
        if (s.isReadOnly()) return;
        if (s.property("keypadEntry").toBool()) return;
        if (s.buttonSymbols() == QAbstractSpinBox::NoButtons) {
            Fault(s, "keypad", "takes a number with no keypad entry");
            return;
        }
        QStyleOptionSpinBox opt;
        opt.initFrom(&s);
        opt.buttonSymbols = s.buttonSymbols();
        opt.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown | QStyle::SC_SpinBoxFrame |
                          QStyle::SC_SpinBoxEditField;
        const QRect up = s.style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxUp, &s);
        if (up.height() < kFingerSize || up.width() < kFingerSize)
            Fault(s, "keypad", "is set with " + Size(up.size()) + " arrows and has no keypad entry");
    }

    void CheckTabs(QTabBar& t)
    {
        const bool across = t.shape() == QTabBar::RoundedNorth || t.shape() == QTabBar::RoundedSouth ||
                            t.shape() == QTabBar::TriangularNorth || t.shape() == QTabBar::TriangularSouth;
        for (int i = 0; i < t.count(); ++i) {
            if (!t.isTabVisible(i)) continue;
            const QRect r = t.tabRect(i);
            const std::string name = "tab \"" + Str(Drawn(t.tabText(i))) + "\"";
            if (t.isTabEnabled(i) && (across ? r.height() : r.width()) < kFingerSize)
                Ffaults.push_back({WidgetName(t), "size",
                                   name + " is " + std::to_string(across ? r.height() : r.width()) +
                                       " px " + (across ? "high" : "wide") + " (needs 48)"});
            if (!t.rect().contains(r))
                Ffaults.push_back({WidgetName(t), "fit", name + " lies outside its bar"});
            else if ((across ? r.width() : r.height()) <
                     QFontMetrics(t.font()).horizontalAdvance(Drawn(t.tabText(i))) + 16)
                Ffaults.push_back({WidgetName(t), "text", name + " is squeezed: its text is cut"});
        }
    }

    void CheckScrollBar(QScrollBar& s)
    {
        if (s.maximum() <= s.minimum()) return;
        const int across = s.orientation() == Qt::Vertical ? s.width() : s.height();
        if (across < kFingerSize) Fault(s, "size", "is " + std::to_string(across) + " px across (needs 48)");
        QStyleOptionSlider opt;
        opt.initFrom(&s);
        opt.orientation = s.orientation();
        opt.minimum = s.minimum();
        opt.maximum = s.maximum();
        opt.sliderPosition = s.sliderPosition();
        opt.sliderValue = s.value();
        opt.singleStep = s.singleStep();
        opt.pageStep = s.pageStep();
        opt.subControls = QStyle::SC_All;
        const QRect thumb = s.style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, &s);
        const int length = s.orientation() == Qt::Vertical ? thumb.height() : thumb.width();
        if (length < kFingerSize)
            Fault(s, "size", "its thumb is " + std::to_string(length) + " px long (needs 48)");
    }

    void CheckItemView(QAbstractItemView& v)
    {
        QAbstractItemModel* model = v.model();
        if (!model) return;
        if (!Swipes(v.viewport())) Fault(v, "swipe", "does not scroll with a swipe");
        // The first rows of every level shown.
        int smallest = INT_MAX;
        bool parents = false;
        std::function<void(const QModelIndex&, int)> walk = [&](const QModelIndex& parent, int depth) {
            const int rows = std::min(model->rowCount(parent), 6);
            for (int r = 0; r < rows; ++r) {
                const QModelIndex index = model->index(r, 0, parent);
                const QRect rect = v.visualRect(index);
                if (rect.isValid() && rect.height() > 0) smallest = std::min(smallest, rect.height());
                if (model->hasChildren(index)) {
                    parents = true;
                    if (depth < 3) walk(index, depth + 1);
                }
            }
        };
        walk(v.rootIndex(), 0);
        if (smallest < kFingerSize)
            Fault(v, "row", "rows are " + std::to_string(smallest) + " px high (needs 48)");
        if (auto* tree = qobject_cast<QTreeView*>(&v); tree && parents && tree->itemsExpandable()) {
            if (tree->indentation() < kFingerSize)
                Fault(v, "size", "its expanders are " + std::to_string(tree->indentation()) + " px wide (needs 48)");
            else
                CheckBranchTaps(*tree);
        }
    }

    // The expander column of `branch` as drawn: its arrow is large enough for a finger to
    // find (the ink that differs from the column's corner at least 16 px each way).
    void CheckBranchArrow(QTreeView& tree, const QModelIndex& branch)
    {
        if (tree.selectionModel() && tree.selectionModel()->isSelected(branch)) return;
        const QRect row = tree.visualRect(branch);
        const QRect column(row.left() - tree.indentation(), row.top(), tree.indentation(), row.height());
        const QImage shot = tree.viewport()->grab(column).toImage();
        const QColor back = shot.pixelColor(1, 1);
        QRect ink;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (std::abs(c.red() - back.red()) + std::abs(c.green() - back.green()) + std::abs(c.blue() - back.blue()) > 96)
                    ink |= QRect(x, y, 1, 1);
            }
        if (ink.width() < 16 || ink.height() < 16)
            Fault(tree, "size", "its expander arrows are drawn " + Size(ink.size()) + " (a finger needs 16x16 to find them)");
    }

    // A tap at either edge of the first wholly shown branch row's expander column opens
    // or closes it, on the tree's viewport.
    void CheckBranchTaps(QTreeView& tree)
    {
        QAbstractItemModel* model = tree.model();
        QModelIndex branch;
        for (int r = 0; r < model->rowCount(tree.rootIndex()) && !branch.isValid(); ++r) {
            const QModelIndex index = model->index(r, 0, tree.rootIndex());
            if (model->hasChildren(index) && tree.viewport()->rect().contains(tree.visualRect(index))) branch = index;
        }
        if (!branch.isValid() || !tree.rootIsDecorated()) return;
        CheckBranchArrow(tree, branch);
        TscrollersAside aside(tree.viewport());
        for (const int into : {2, tree.indentation() - 3}) {
            // Where the row is now: closing a branch may scroll the tree.
            tree.scrollTo(branch);
            const QRect row = tree.visualRect(branch);
            const bool was = tree.isExpanded(branch);
            const QPoint at(row.left() - tree.indentation() + into, row.center().y());
            QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, at);
            for (int i = 0; i < 5; ++i) QApplication::processEvents();
            if (tree.isExpanded(branch) == was)
                Fault(tree, "size", "a tap " + std::to_string(into) +
                                        " px into a branch's expander column does not " +
                                        (was ? "close" : "open") + " it");
            tree.setExpanded(branch, was);
        }
    }

    QWidget& Fwindow;
    QRect Fscreen;
    const QWidget* Fowner;
    std::vector<TtouchFault> Ffaults;
};

}  // namespace

std::string WidgetName(const QWidget& w)
{
    if (OwnName(w)) return Str(w.objectName());
    std::string name = w.metaObject()->className();
    if (const QString text = TextOf(w).simplified(); !text.isEmpty()) name += " \"" + Str(text.left(32)) + "\"";
    for (const QWidget* p = w.parentWidget(); p; p = p->parentWidget())
        if (OwnName(*p)) {
            name += " in " + Str(p->objectName());
            break;
        }
    return name;
}

std::vector<TtouchFault> TouchFaults(QWidget& window, const QRect& screen, const QWidget* owner)
{
    return Tchecker(window, screen, owner).Run();
}

}  // namespace tunecrest::test
