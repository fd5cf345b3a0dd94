#include "skin/color_panels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QAbstractItemView>
#include <QColorDialog>
#include <QEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include "core/display/color_text.h"
#include "playback/bitmap.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"

namespace tunecrest {

TColor LighterBy(TColor color, int amount)
{
    auto up = [amount](int c) { return std::min(255, c + int(std::lround((255 - c) * amount / 255.0))); };
    return RGBColor(uint8_t(up(GetRValue(color))), uint8_t(up(GetGValue(color))), uint8_t(up(GetBValue(color))));
}

TColor DarkerBy(TColor color, int amount)
{
    auto down = [amount](int c) { return std::max(0, c - (c * amount) / 256); };
    return RGBColor(uint8_t(down(GetRValue(color))), uint8_t(down(GetGValue(color))), uint8_t(down(GetBValue(color))));
}

void ResampleBilinear(const QImage& source, QImage& target)
{
    if (source.isNull() || target.isNull() || source.width() < 1 || source.height() < 1 || target.width() < 1 ||
        target.height() < 1 || source.format() != QImage::Format_BGR888 || target.format() != QImage::Format_BGR888)
        return;
    const int sw = source.width(), sh = source.height(), tw = target.width(), th = target.height();
    const int64_t xStep = int64_t(sw - 1) * 32768 / tw;
    const int64_t yStep = int64_t(sh - 1) * 32768 / th;
    for (int y = 0; y < th; ++y) {
        const int64_t py = y * yStep;
        const int fy = int(py & 0x7FFF);
        const int r = int(py >> 15);
        // A source one row high has no row below: the last row stands in for it.
        const int r2 = std::min(r + 1, sh - 1);
        const uint8_t* top = source.constScanLine(r);
        const uint8_t* bottom = source.constScanLine(r2);
        uint8_t* out = target.scanLine(y);
        for (int x = 0; x < tw; ++x) {
            const int64_t px = x * xStep;
            const int fx = int(px & 0x7FFF);
            const int c = int(px >> 15);
            const int c2 = std::min(c + 1, sw - 1);
            const int64_t a = (int64_t(fx) * (32768 - fy)) >> 15;
            const int64_t b = (32768 - fy) - a;
            const int64_t d = (int64_t(fx) * fy) >> 15;
            const int64_t e = fy - d;
            for (int ch = 0; ch < 3; ++ch)
                out[x * 3 + ch] = uint8_t((top[c * 3 + ch] * b + top[c2 * 3 + ch] * a + bottom[c * 3 + ch] * e +
                                           bottom[c2 * 3 + ch] * d) >> 15);
        }
    }
}

// ---- colour panel

TcustomColorPanel::TcustomColorPanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TcustomColorPanel::SetColor(TColor color) { Fcolor = color; Changed(); }
void TcustomColorPanel::SetFont(const TFont& font) { Ffont = font; update(); }
void TcustomColorPanel::SetCaption(const std::string& caption) { Fcaption = caption; update(); }
void TcustomColorPanel::SetBevelInner(TbevelCut value) { FbevelInner = value; Changed(); }
void TcustomColorPanel::SetBevelOuter(TbevelCut value) { FbevelOuter = value; Changed(); }
void TcustomColorPanel::SetBevelWidth(int value) { FbevelWidth = std::max(1, value); Changed(); }
void TcustomColorPanel::SetBorderWidth(int value) { FborderWidth = std::max(0, value); Changed(); }
void TcustomColorPanel::SetAlignment(TpanelAlignment value) { Falignment = value; update(); }
void TcustomColorPanel::SetVerticalAlignment(TpanelVerticalAlignment value) { FverticalAlignment = value; update(); }

int TcustomColorPanel::TotalBorder() const
{
    return (FbevelOuter != bvNone ? FbevelWidth : 0) + (FbevelInner != bvNone ? FbevelWidth : 0) + FborderWidth;
}

void TcustomColorPanel::PaintBevel(QPainter& p, const QRect& r, TbevelCut cut) const
{
    if (cut != bvLowered && cut != bvRaised) return;
    const bool raised = cut == bvRaised;
    const int w = FbevelWidth;
    const int l = r.left(), t = r.top(), rr = r.left() + r.width(), b = r.top() + r.height();
    auto quad = [&p](TColor c, QPoint p1, QPoint p2, QPoint p3, QPoint p4) {
        const QPoint points[4] = {p1, p2, p3, p4};
        p.setBrush(ToQColor(c));
        p.drawPolygon(points, 4);
    };
    p.setPen(Qt::NoPen);
    quad(raised ? LighterBy(Fcolor, 128) : DarkerBy(Fcolor, 96), {l, t}, {rr, t}, {rr - w, t + w}, {l + w, t + w});
    quad(raised ? LighterBy(Fcolor, 96) : DarkerBy(Fcolor, 64), {l, t}, {l + w, t + w}, {l + w, b - w}, {l, b});
    quad(raised ? DarkerBy(Fcolor, 64) : LighterBy(Fcolor, 64), {rr, t}, {rr, b}, {rr - w, b - w}, {rr - w, t + w});
    quad(raised ? DarkerBy(Fcolor, 96) : LighterBy(Fcolor, 128), {l, b}, {rr, b}, {rr - w, b - w}, {l + w, b - w});
}

void TcustomColorPanel::PaintCaption(QPainter& p, bool clearBackground)
{
    if (Fcaption.empty()) return;
    const int border = TotalBorder();
    const QRect area = rect().adjusted(border, border, -border, -border);
    int flags = Qt::TextSingleLine;
    flags |= Falignment == taLeftJustify ? Qt::AlignLeft : Falignment == taRightJustify ? Qt::AlignRight : Qt::AlignHCenter;
    flags |= FverticalAlignment == tvaTop ? Qt::AlignTop : FverticalAlignment == tvaBottom ? Qt::AlignBottom : Qt::AlignVCenter;
    p.setFont(ScreenFont(Ffont));
    const QString text = QString::fromStdString(Fcaption);
    if (!clearBackground) p.fillRect(p.boundingRect(area, flags, text).intersected(area), ToQColor(Fcolor));
    p.setPen(ScreenColor(Ffont.Color));
    p.drawText(area, flags, text);
}

void TcustomColorPanel::PaintPanel(QPainter& p)
{
    p.fillRect(rect(), ToQColor(Fcolor));
    PaintBevel(p, rect(), FbevelOuter);
    const int inset = FborderWidth + (FbevelOuter != bvNone ? FbevelWidth : 0);
    PaintBevel(p, rect().adjusted(inset, inset, -inset, -inset), FbevelInner);
    PaintContent(p);
}

void TcustomColorPanel::PaintContent(QPainter& p) { PaintCaption(p, true); }

void TcustomColorPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintPanel(p);
}

// ---- picture panel

TimageColorPanel::TimageColorPanel(QWidget* parent) : TcustomColorPanel(parent) {}

void TimageColorPanel::SetImage(const QImage& image)
{
    Fimage = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_BGR888);
    RebuildCache();
    update();
    if (OnImageChanged) OnImageChanged(this);
}

void TimageColorPanel::SetDrawCaption(bool value) { FdrawCaption = value; update(); }
void TimageColorPanel::SetTransparentCaption(bool value) { FtransparentCaption = value; update(); }
void TimageColorPanel::SetImageDrawStyle(TimageDrawStyle style) { Fstyle = style; Changed(); }
void TimageColorPanel::SetScaleImageWidth(int value) { FscaleWidth = std::max(0, value); Changed(); }
void TimageColorPanel::SetScaleImageHeight(int value) { FscaleHeight = std::max(0, value); Changed(); }
void TimageColorPanel::SetImageHorizontalAlignment(TpanelAlignment value) { FimageAlignment = value; update(); }
void TimageColorPanel::SetImageVerticalAlignment(TpanelVerticalAlignment value) { FimageVerticalAlignment = value; update(); }

void TimageColorPanel::Changed()
{
    Fcache = QImage();
    update();
}

QSize TimageColorPanel::DrawnSize() const
{
    const int border = TotalBorder();
    const int areaW = std::max(0, width() - 2 * border), areaH = std::max(0, height() - 2 * border);
    if (Fstyle != idsScale) return QSize(areaW, areaH);
    int boxW = areaW, boxH = areaH;
    if (FscaleWidth > 0 && FscaleHeight > 0 && FscaleWidth < areaW && FscaleHeight < areaH) {
        boxW = FscaleWidth;
        boxH = FscaleHeight;
    }
    if (boxW <= 0 || boxH <= 0) return QSize(0, 0);
    // A picture without height counts as square.
    const int pw = Fimage.height() > 0 ? Fimage.width() : 1, ph = Fimage.height() > 0 ? Fimage.height() : 1;
    const TpictureSize fitted = FitPictureSize(pw, ph, boxW, boxH);
    return QSize(fitted.Width, fitted.Height);
}

QRect TimageColorPanel::ImageRect() const
{
    const QSize size = DrawnSize();
    const int border = TotalBorder();
    const int x = FimageAlignment == taLeftJustify    ? border
                  : FimageAlignment == taRightJustify ? width() - border - size.width()
                                                      : (width() - size.width()) / 2;
    const int y = FimageVerticalAlignment == tvaTop      ? border
                  : FimageVerticalAlignment == tvaBottom ? height() - border - size.height()
                                                         : (height() - size.height()) / 2;
    return QRect(QPoint(x, y), size);
}

void TimageColorPanel::RebuildCache()
{
    const QSize size = DrawnSize();
    Fcache = QImage();
    Fpaintable = QImage();
    FcacheColor = Color();
    if (Fimage.isNull() || size.isEmpty()) return;
    Fcache = QImage(size, QImage::Format_BGR888);
    if (Fstyle == idsNormal && Fimage.size() != size) {
        // At its own size on the panel colour, centred in the area.
        Fcache.fill(ToQColor(Color()));
        QPainter p(&Fcache);
        p.drawImage(QPoint((size.width() - Fimage.width()) / 2, (size.height() - Fimage.height()) / 2), Fimage);
    } else if (Fimage.size() == size) {
        Fcache = Fimage.copy();
    } else {
        ResampleBilinear(Fimage, Fcache);
    }
    Fpaintable = Fcache.convertToFormat(QImage::Format_RGB32);
}

void TimageColorPanel::PaintContent(QPainter& p)
{
    if (!Fimage.isNull()) {
        if (Fcache.isNull() || Fcache.size() != DrawnSize() || FcacheColor != Color()) RebuildCache();
        if (!Fpaintable.isNull()) p.drawImage(ImageRect().topLeft(), Fpaintable);
    }
    if (FdrawCaption) PaintCaption(p, FtransparentCaption);
}

// ---- plain panel

TmyPanel::TmyPanel(QWidget* parent) : TcustomColorPanel(parent) {}

void TmyPanel::SetParentBackground(bool value)
{
    FparentBackground = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    update();
}

void TmyPanel::ApplySkinColors(TColor, TColor panelColor, TColor, TColor) { SetColor(panelColor); }

void TmyPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!FparentBackground) p.fillRect(rect(), ToQColor(Color()));
    // The desktop's panel: a one-pixel light top-left and dark bottom-right edge.
    p.setPen(ToQColor(LighterBy(Color(), 128)));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(ToQColor(DarkerBy(Color(), 96)));
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    PaintCaption(p, true);
}

// ---- colour combo

namespace {

constexpr TColor kStandardColors[20] = {
    TColor(0x000000), TColor(0x000080), TColor(0x008000), TColor(0x008080), TColor(0x800000),
    TColor(0x800080), TColor(0x808000), TColor(0x808080), TColor(0xC0C0C0), TColor(0x0000FF),
    TColor(0x00FF00), TColor(0x00FFFF), TColor(0xFF0000), TColor(0xFF00FF), TColor(0xFFFF00),
    TColor(0xFFFFFF), TColor(0xC0DCC0), TColor(0xF0CAA6), TColor(0xF0FBFF), TColor(0xA4A0A0)};

// Names beyond the sixteen of the colour text form.
constexpr const char* kExtraNames[4] = {"clMoneyGreen", "clSkyBlue", "clCream", "clMedGray"};
constexpr const char* kSystemNames[25] = {
    "clScrollBar",   "clBackground",      "clActiveCaption", "clInactiveCaption", "clMenu",
    "clWindow",      "clWindowFrame",     "clMenuText",      "clWindowText",      "clCaptionText",
    "clActiveBorder", "clInactiveBorder", "clAppWorkSpace",  "clHighlight",       "clHighlightText",
    "clBtnFace",     "clBtnShadow",       "clGrayText",      "clBtnText",         "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow",     "cl3DLight",       "clInfoText",        "clInfoBk"};
constexpr TColor kSystemBase = TColor(0xFF000000u);

constexpr int kColorRole = Qt::UserRole;
constexpr int kDialogRole = Qt::UserRole + 1;

TcolorDialogCall& DialogCall()
{
    static TcolorDialogCall call;
    return call;
}

std::optional<TColor> AskColor(QWidget* parent, TColor initial)
{
    if (DialogCall()) return DialogCall()(parent, initial);
    const QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
    if (!chosen.isValid()) return std::nullopt;
    return FromQColor(chosen);
}

class TcolorRowDelegate : public QStyledItemDelegate {
public:
    explicit TcolorRowDelegate(TmyJvColorComboBox* combo) : QStyledItemDelegate(combo), Fcombo(combo) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        p->save();
        p->fillRect(option.rect, selected ? ToQColor(Fcombo->HiliteColor()) : option.palette.base().color());
        const QColor textColor = selected ? ToQColor(Fcombo->HiliteText()) : option.palette.text().color();
        const QRect r = option.rect;
        p->setFont(Fcombo->font());
        p->setPen(textColor);
        if (Fcombo->IsDialogEntry(index.row())) {
            p->drawText(r.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                        QString::fromStdString(Fcombo->ColorDialogText()));
            p->restore();
            return;
        }
        const int h = std::max(4, r.height() - 6);
        const QRect swatch(r.left() + 3, r.top() + 2, Fcombo->ColorWidth(), h);
        p->fillRect(swatch.translated(2, 2), QColor(0x80, 0x80, 0x80));
        p->fillRect(swatch, ScreenColor(Fcombo->ColorAt(index.row())));
        p->setPen(textColor);
        p->drawRect(swatch.adjusted(0, 0, -1, -1));
        const std::string text = Fcombo->RowText(index.row());
        if (!text.empty())
            p->drawText(r.adjusted(Fcombo->ColorWidth() + 10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                        QString::fromStdString(text));
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width() + Fcombo->ColorWidth() + 10,
                     Fcombo->RowHeight());
    }

private:
    TmyJvColorComboBox* Fcombo;
};

}  // namespace

std::optional<TColor> AskColorValue(QWidget* parent, TColor initial) { return AskColor(parent, initial); }

TcolorDialogCall SetColorDialogCall(TcolorDialogCall call)
{
    TcolorDialogCall old = std::move(DialogCall());
    DialogCall() = std::move(call);
    return old;
}

std::string ColorIdent(TColor color)
{
    for (int i = 0; i < 4; ++i)
        if (color == kStandardColors[16 + i]) return kExtraNames[i];
    for (int i = 0; i < 25; ++i)
        if (color == TColor(uint32_t(kSystemBase) + uint32_t(i))) return kSystemNames[i];
    return ColorToString(color);
}

TmyJvColorComboBox::TmyJvColorComboBox(QWidget* parent)
    : QComboBox(parent),
      FhiliteColor(FromQColor(palette().color(QPalette::Highlight))),
      FhiliteText(FromQColor(palette().color(QPalette::HighlightedText)))
{
    setItemDelegate(new TcolorRowDelegate(this));
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) { ChooseEntry(index); });
    BuildList();
}

void TmyJvColorComboBox::SetColorNameMap(const std::vector<std::string>& lines)
{
    FnameMap = lines;
    BuildList();
}

void TmyJvColorComboBox::SetOptions(TmyJvColorComboOptions options)
{
    Foptions = options;
    BuildList();
}

void TmyJvColorComboBox::SetColorWidth(int value)
{
    FcolorWidth = std::max(0, value);
    update();
}

void TmyJvColorComboBox::SetColorDialogText(const std::string& text)
{
    for (int i = 0; i < count(); ++i)
        if (itemText(i).toStdString() == FdialogText) setItemText(i, QString::fromStdString(text));
    FdialogText = text;
}

int TmyJvColorComboBox::DroppedDownWidth() const { return view()->minimumWidth(); }
void TmyJvColorComboBox::SetDroppedDownWidth(int value) { view()->setMinimumWidth(value); }

void TmyJvColorComboBox::paintEvent(QPaintEvent*)
{
    // The closed box shows the chosen row as the list does: its swatch and its text.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const int index = currentIndex();
    option.currentText = QString::fromStdString(RowText(index));
    option.currentIcon = QIcon();
    if (index >= 0 && !IsDialogEntry(index) && FcolorWidth > 0) {
        const int h = std::max(4, height() / 2);
        QPixmap swatch(FcolorWidth, h);
        swatch.fill(ScreenColor(ColorAt(index)));
        QPainter frame(&swatch);
        frame.setPen(option.palette.text().color());
        frame.drawRect(0, 0, FcolorWidth - 1, h - 1);
        frame.end();
        option.currentIcon = QIcon(swatch);
        option.iconSize = swatch.size();
    }
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

int TmyJvColorComboBox::RowHeight() const { return std::max({9, FminRowHeight, fontMetrics().height() + 1}); }

void TmyJvColorComboBox::SetMinRowHeight(int value)
{
    FminRowHeight = value;
    view()->doItemsLayout();
}

void TmyJvColorComboBox::changeEvent(QEvent* e)
{
    QComboBox::changeEvent(e);
    if (e->type() == QEvent::FontChange) view()->doItemsLayout();
}

void TmyJvColorComboBox::AddEntry(TColor color, bool dialog)
{
    QComboBox::addItem(dialog ? QString::fromStdString(FdialogText) : QString());
    const int i = count() - 1;
    setItemData(i, QVariant::fromValue(qint64(color)), kColorRole);
    setItemData(i, dialog, kDialogRole);
    if (!dialog) setItemText(i, QString::fromStdString(DisplayNameOf(i, color)));
}

void TmyJvColorComboBox::BuildList()
{
    const QSignalBlocker block(this);
    clear();
    FcustomCount = 0;
    for (TColor c : kStandardColors) AddEntry(c, false);
    if (Foptions & coSysColors)
        for (int i = 0; i < 25; ++i) AddEntry(TColor(uint32_t(kSystemBase) + uint32_t(i)), false);
    if (OnBeforeCustom) OnBeforeCustom(this);
    const std::vector<TColor> custom = std::move(Fcustom);
    Fcustom.clear();
    for (TColor c : custom) AddColor(c, "");
    if (Foptions & coCustomColors) AddEntry(0, true);
    const int index = IndexOfColor(FcolorValue);
    if (index >= 0) setCurrentIndex(index);
}

bool TmyJvColorComboBox::IsDialogEntry(int index) const
{
    return index >= 0 && index < count() && itemData(index, kDialogRole).toBool();
}

TColor TmyJvColorComboBox::ColorAt(int index) const
{
    if (index < 0 || index >= count()) return clBlack;
    return TColor(itemData(index, kColorRole).toLongLong());
}

int TmyJvColorComboBox::IndexOfColor(TColor color) const
{
    for (int i = 0; i < count(); ++i)
        if (!IsDialogEntry(i) && ColorAt(i) == color) return i;
    return -1;
}

std::string TmyJvColorComboBox::DisplayNameOf(int index, TColor color) const
{
    std::string name;
    if (OnGetDisplayName) {
        OnGetDisplayName(const_cast<TmyJvColorComboBox*>(this), index, color, name);
        return name;
    }
    const std::string ident = ColorIdent(color);
    for (const std::string& line : FnameMap) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos && line.compare(0, eq, ident) == 0 && eq + 1 < line.size())
            return line.substr(eq + 1);
    }
    return ident.rfind("cl", 0) == 0 ? ident.substr(2) : ident;
}

bool TmyJvColorComboBox::AddColor(TColor color, const std::string& displayName)
{
    std::string name = displayName;
    bool allow = IndexOfColor(color) < 0;
    if (OnNewColor) OnNewColor(this, color, name, allow);
    if (!allow) return false;
    ++FcustomCount;
    if (name.empty()) {
        // "Custom %d" takes the number in place; a plain "Custom" gets it appended.
        name = FnewColorText;
        const size_t at = name.find("%d");
        if (at != std::string::npos)
            name.replace(at, 2, std::to_string(FcustomCount));
        else
            name += " " + std::to_string(FcustomCount);
    }
    int at = count();
    if (at > 0 && IsDialogEntry(at - 1)) --at;
    const QSignalBlocker block(this);
    insertItem(at, QString::fromStdString(name));
    setItemData(at, QVariant::fromValue(qint64(color)), kColorRole);
    setItemData(at, false, kDialogRole);
    Fcustom.push_back(color);
    return true;
}

void TmyJvColorComboBox::SetColorValue(TColor color)
{
    FcolorValue = color;
    int index = IndexOfColor(color);
    if (index < 0 && AddColor(color, "")) index = IndexOfColor(color);
    const QSignalBlocker block(this);
    if (index >= 0) setCurrentIndex(index);
}

std::string TmyJvColorComboBox::RowText(int index) const
{
    if (IsDialogEntry(index)) return FdialogText;
    const TColor c = ColorAt(index);
    char text[64];
    if (Foptions & coHex) {
        std::snprintf(text, sizeof text, "0x%.6x", unsigned(c));
        return text;
    }
    if (Foptions & coRGB) {
        std::snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
        return text;
    }
    if (Foptions & coHTML) return ColorToHTML(c);
    if (Foptions & coText) return itemText(index).toStdString();
    return "";
}

void TmyJvColorComboBox::ChooseEntry(int index)
{
    if (index < 0 || index >= count()) return;
    if (!IsDialogEntry(index)) {
        FcolorValue = ColorAt(index);
        if (OnClick) OnClick(this);
        return;
    }
    if (FinDialog) return;
    FinDialog = true;
    const std::optional<TColor> chosen = AskColor(this, FcolorValue);
    FinDialog = false;
    if (chosen) {
        std::string name;
        bool allow = true;
        if (OnInsertColor) OnInsertColor(this, *chosen, name, allow);
        if (allow && IndexOfColor(*chosen) < 0) AddColor(*chosen, name);
        FcolorValue = *chosen;
    }
    // Back on a colour entry: the chosen one, or the one before the dialog was opened.
    const QSignalBlocker block(this);
    const int back = IndexOfColor(FcolorValue);
    if (back >= 0) setCurrentIndex(back);
    if (chosen && OnClick) OnClick(this);
}

}  // namespace tunecrest
