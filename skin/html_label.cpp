#include "skin/html_label.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

#include "skin/html_text.h"

namespace tunecrest {

ThtmlLabel::ThtmlLabel(QWidget* parent) : QWidget(parent) {}

void ThtmlLabel::Changed() {
    updateGeometry();
    if (FautoSize) resize(FwordWrap ? QSize(width(), sizeHint().height()) : sizeHint());
    update();
}

void ThtmlLabel::SetCaption(const std::string& value) {
    if (value == Fcaption) return;
    Fcaption = value;
    Changed();
}

void ThtmlLabel::SetLabelFont(const TFont& value) {
    Ffont = value;
    Changed();
}

void ThtmlLabel::SetLabelStyle(TlabelStyle value) {
    Fstyle = value;
    Changed();
}

void ThtmlLabel::SetAlignment(int value) {
    Falignment = value;
    update();
}

void ThtmlLabel::SetWordWrap(bool value) {
    FwordWrap = value;
    Changed();
}

void ThtmlLabel::SetAutoSize(bool value) {
    FautoSize = value;
    if (value) Changed();
}

QSize ThtmlLabel::StyleMargin() const {
    switch (Fstyle) {
        case lsShadow:
            return {2, 2};
        case lsBorder:
            return {1, 3};
        default:
            return {isEnabled() ? 0 : 1, isEnabled() ? 0 : 1};
    }
}

QSize ThtmlLabel::sizeHint() const {
    // An empty caption measures as one blank, so that an empty label keeps its height.
    const std::string& text = Fcaption.empty() ? std::string(" ") : Fcaption;
    const QSize margin = StyleMargin();
    const int wrapWidth = FwordWrap ? width() - margin.width() : 0;
    return MeasureHTMLText(text, Ffont, wrapWidth, FwordWrap) + margin;
}

int ThtmlLabel::heightForWidth(int width) const {
    const std::string& text = Fcaption.empty() ? std::string(" ") : Fcaption;
    const QSize margin = StyleMargin();
    return MeasureHTMLText(text, Ffont, std::max(1, width - margin.width()), FwordWrap).height() + margin.height();
}

void ThtmlLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) Changed();
    QWidget::changeEvent(event);
}

void ThtmlLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QSize margin = StyleMargin();
    const QRect area = rect().adjusted(0, 0, -margin.width(), -margin.height());
    ThtmlTextLayout layout;
    layout.Layout(Fcaption, Ffont, area.width(), FwordWrap);
    auto draw = [&](int dx, int dy, bool force, TColor color) {
        layout.Draw(painter, area.translated(dx, dy), Falignment, force, color);
    };
    if (!isEnabled()) {
        draw(1, 1, true, clBtnHighlight);
        draw(0, 0, true, clBtnShadow);
        return;
    }
    switch (Fstyle) {
        case lsNormal:
            draw(0, 0, false, clBlack);
            break;
        case lsShadow:
            draw(2, 2, true, clBlack);
            draw(0, 0, false, clBlack);
            break;
        case lsBorder:
            for (const QPoint offset : {QPoint(1, 1), QPoint(-1, 1), QPoint(-1, 3), QPoint(1, 3)})
                draw(offset.x(), offset.y(), true, clBlack);
            draw(0, 2, false, clBlack);
            break;
    }
}

}  // namespace tunecrest
