#include "windows/editors/alarm_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/base/date_time.h"
#include "core/jukebox/timer_alarms.h"
#include "skin/modal_runner.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

namespace {

const char* const kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
// Weekend days carry tag 1, working days tag 2 (the day buttons compare with it).
int DayTag(int day) { return (day == 0 || day == 6) ? 1 : 2; }

QTime ToQTime(TDateTime value)
{
    const TtimeParts t = DecodeTime(TimeOf(value));
    return QTime(t.Hour, t.Minute, t.Second);
}

TDateTime FromQTime(const QTime& time) { return EncodeTime(time.hour(), time.minute(), time.second(), 0); }

// The "Enabled" column as a box a finger can see and hit: on every row a frame in the
// row's text colour on the field colour, with a tick when the alarm is on; a tap anywhere
// in the cell switches it. The style's own indicator under the dialog's colours showed
// neither the state nor, on unselected rows, itself.
class TenabledBoxDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QRect BoxRect(const QRect& cell)
    {
        const int side = std::max(12, std::min(28, cell.height() - 8));
        return QRect(cell.left() + 10, cell.top() + (cell.height() - side) / 2, side, side);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem row(option);
        initStyleOption(&row, index);
        const bool checked = row.checkState == Qt::Checked;
        row.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        row.text.clear();
        const QWidget* view = option.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, view);
        const bool selected = option.state & QStyle::State_Selected;
        const QColor ink = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const QRect box = BoxRect(option.rect);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(ink, 2));
        painter->setBrush(option.palette.color(QPalette::Base));
        painter->drawRoundedRect(QRectF(box).adjusted(1, 1, -1, -1), 4, 4);
        if (checked) {
            QPainterPath tick;
            tick.moveTo(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
            tick.lineTo(box.left() + box.width() * 0.43, box.top() + box.height() * 0.74);
            tick.lineTo(box.left() + box.width() * 0.80, box.top() + box.height() * 0.28);
            painter->setPen(QPen(option.palette.color(QPalette::Text), std::max(3, box.width() / 7), Qt::SolidLine,
                                 Qt::RoundCap, Qt::RoundJoin));
            painter->setBrush(Qt::NoBrush);
            painter->drawPath(tick);
        }
        painter->restore();
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        if (event->type() == QEvent::MouseButtonDblClick) return true;
        if (event->type() != QEvent::MouseButtonRelease) return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint())) return false;
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
};

}  // namespace

TfrmAlarmSettings2::TfrmAlarmSettings2(QWidget* parent)
    : QDialog(parent), Fworking(std::make_unique<TonOffTimerAlarmList>())
{
    setObjectName("frmAlarmSettings2");
    setWindowTitle("Alarm Clock Settings");
    StyleEditorDialog(*this);
    auto* layout = new QVBoxLayout(this);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setHeaderLabels({"Enabled", "Time On", "Time Off", "Days"});
    ListView1->setRootIsDecorated(false);
    ListView1->header()->setSectionResizeMode(QHeaderView::Stretch);
    ListView1->setMinimumHeight(180);
    ListView1->setItemDelegateForColumn(0, new TenabledBoxDelegate(ListView1));
    layout->addWidget(ListView1);

    auto* listButtons = new QHBoxLayout();
    Button1 = TouchButton(this, "Button1", "Add");
    Button6 = TouchButton(this, "Button6", "Update");
    Button5 = TouchButton(this, "Button5", "Delete");
    for (QPushButton* b : {Button1, Button6, Button5}) listButtons->addWidget(b);
    listButtons->addStretch(1);
    layout->addLayout(listButtons);

    auto* times = new QGroupBox("Times", this);
    auto* timesLayout = new QGridLayout(times);
    dtpOn = new QTimeEdit(times);
    dtpOn->setObjectName("dtpOn");
    dtpOff = new QTimeEdit(times);
    dtpOff->setObjectName("dtpOff");
    for (QTimeEdit* e : {dtpOn, dtpOff}) {
        e->setDisplayFormat("HH:mm:ss");
        e->setMinimumHeight(kTouchHeight);
    }
    cbUseOn = new QCheckBox("Use", times);
    cbUseOn->setObjectName("cbUseOn");
    cbUseOff = new QCheckBox("Use", times);
    cbUseOff->setObjectName("cbUseOff");
    timesLayout->addWidget(new QLabel("On :", times), 0, 0);
    timesLayout->addWidget(dtpOn, 0, 1);
    timesLayout->addWidget(cbUseOn, 0, 2);
    timesLayout->addWidget(new QLabel("Off :", times), 1, 0);
    timesLayout->addWidget(dtpOff, 1, 1);
    timesLayout->addWidget(cbUseOff, 1, 2);

    auto* days = new QGroupBox("Days", this);
    days->setObjectName("gbDays");
    auto* daysLayout = new QGridLayout(days);
    for (int d = 0; d < 7; ++d) {
        cbDays[d] = new QCheckBox(kDayNames[d], days);
        cbDays[d]->setObjectName(QString("cb") + kDayNames[d]);
        daysLayout->addWidget(cbDays[d], d / 4, d % 4);
    }
    btnEveryDay = TouchButton(days, "btnEveryDay", "Every Day");
    btnWeekends = TouchButton(days, "btnWeekends", "Weekends");
    btnWeekdays = TouchButton(days, "btnWeekdays", "Weekdays");
    daysLayout->addWidget(btnEveryDay, 2, 0);
    daysLayout->addWidget(btnWeekends, 2, 1);
    daysLayout->addWidget(btnWeekdays, 2, 2);

    auto* groups = new QHBoxLayout();
    groups->addWidget(times);
    groups->addWidget(days, 1);
    layout->addLayout(groups);

    cbAlarmList = new QCheckBox("Alarm List", this);
    cbAlarmList->setObjectName("cbAlarmList");
    QBoxLayout* bottom = AddOkCancelRow(*this, *layout, &btnOK, &btnCancel);
    bottom->insertWidget(0, cbAlarmList);

    connect(Button1, &QPushButton::clicked, this, [this] { AddClicked(); });
    connect(Button6, &QPushButton::clicked, this, [this] { UpdateClicked(); });
    connect(Button5, &QPushButton::clicked, this, [this] { DeleteClicked(); });
    connect(btnEveryDay, &QPushButton::clicked, this, [this] { DayButtonClicked(0); });
    connect(btnWeekends, &QPushButton::clicked, this, [this] { DayButtonClicked(1); });
    connect(btnWeekdays, &QPushButton::clicked, this, [this] { DayButtonClicked(2); });
    connect(ListView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !Frefreshing) ShowAlarm(ListView1->indexOfTopLevelItem(item));
    });
    // A row's check box switches its alarm at once. The view is rebuilt only after Qt has
    // finished changing the row: rebuilding inside this handler would delete the item Qt is
    // still working on.
    connect(ListView1, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (Frefreshing || column != 0) return;
        const int row = ListView1->indexOfTopLevelItem(item);
        TonOffTimerAlarm* alarm = Fworking->GetAlarm(row);
        const bool checked = item->checkState(0) == Qt::Checked;
        if (!alarm || alarm->GetEnabled() == checked) return;
        FdeferRefresh = true;
        Fworking->BeginUpdate();
        alarm->SetEnabled(checked);
        Fworking->EndUpdate();
        FdeferRefresh = false;
        QMetaObject::invokeMethod(
            this,
            [this, row] {
                if (!FrefreshPending) return;
                FrefreshPending = false;
                RefreshListView();
                if (QTreeWidgetItem* again = ListView1->topLevelItem(row)) ListView1->setCurrentItem(again);
            },
            Qt::QueuedConnection);
    });
    Fworking->OnChange = [this](TObject*) {
        if (FdeferRefresh) FrefreshPending = true;
        else RefreshListView();
    };
    resize(820, 560);
}

TfrmAlarmSettings2::~TfrmAlarmSettings2()
{
    Fworking->OnChange = nullptr;
}

void TfrmAlarmSettings2::RefreshListView()
{
    int index = ListView1->currentItem() ? ListView1->indexOfTopLevelItem(ListView1->currentItem()) : -1;
    const int previous = FpreviousCount;
    FrefreshPending = false;
    Frefreshing = true;
    ListView1->clear();
    for (int i = 0; i < Fworking->Count(); ++i) {
        TonOffTimerAlarm* a = Fworking->GetAlarm(i);
        auto* item = new QTreeWidgetItem(ListView1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, a->GetEnabled() ? Qt::Checked : Qt::Unchecked);
        item->setText(1, a->OnEventEnabled() ? QString::fromStdString(FormatAlarmTime(a->GetStartTime()))
                                             : QString("[disabled]"));
        item->setText(2, a->OffEventEnabled() ? QString::fromStdString(FormatAlarmTime(a->GetFinishTime()))
                                              : QString("[disabled]"));
        item->setText(3, QString::fromStdString(a->DayMaskText()));
        item->setSizeHint(0, QSize(0, 40));
    }
    const int count = Fworking->Count();
    if (count < previous) --index;
    else if (count > previous) index = count - 1;
    if (index >= count) index = count - 1;
    if (index < 0) index = 0;
    FpreviousCount = count;
    if (count > 0) ListView1->setCurrentItem(ListView1->topLevelItem(index));
    Frefreshing = false;
}

TonOffTimerAlarm* TfrmAlarmSettings2::SelectedAlarm() const
{
    QTreeWidgetItem* item = ListView1->currentItem();
    return item ? Fworking->GetAlarm(ListView1->indexOfTopLevelItem(item)) : nullptr;
}

void TfrmAlarmSettings2::ShowAlarm(int row)
{
    TonOffTimerAlarm* a = Fworking->GetAlarm(row);
    if (!a) return;
    for (int d = 0; d < 7; ++d) cbDays[d]->setChecked((a->GetDays() >> d) & 1);
    cbUseOn->setChecked(a->OnEventEnabled());
    cbUseOff->setChecked(a->OffEventEnabled());
    dtpOn->setTime(ToQTime(a->GetStartTime()));
    dtpOff->setTime(ToQTime(a->GetFinishTime()));
}

void TfrmAlarmSettings2::ApplyControls(TonOffTimerAlarm& alarm)
{
    // The row's check box is the alarm's own switch: the controls never change it.
    const bool enabled = alarm.GetEnabled();
    alarm.SetOnEventEnabled(cbUseOn->isChecked());
    alarm.SetOffEventEnabled(cbUseOff->isChecked());
    alarm.SetStartTime(FromQTime(dtpOn->time()));
    alarm.SetFinishTime(FromQTime(dtpOff->time()));
    int mask = 0;
    for (int d = 0; d < 7; ++d)
        if (cbDays[d]->isChecked()) mask |= 1 << d;
    alarm.SetDays(mask);
    alarm.SetEnabled(enabled);
}

void TfrmAlarmSettings2::AddClicked()
{
    Fworking->BeginUpdate();
    ApplyControls(*Fworking->AddNew());
    Fworking->EndUpdate();
}

void TfrmAlarmSettings2::UpdateClicked()
{
    TonOffTimerAlarm* alarm = SelectedAlarm();
    if (!alarm) return;
    Fworking->BeginUpdate();
    ApplyControls(*alarm);
    Fworking->EndUpdate();
}

void TfrmAlarmSettings2::DeleteClicked()
{
    if (TonOffTimerAlarm* alarm = SelectedAlarm()) Fworking->Delete(alarm);
}

void TfrmAlarmSettings2::DayButtonClicked(int tag)
{
    for (int d = 0; d < 7; ++d) cbDays[d]->setChecked(tag == 0 || DayTag(d) == tag);
}

bool EditAlarms(TonOffTimerAlarmList* alarms)
{
    if (!alarms) return false;
    TfrmAlarmSettings2 form;
    form.Working().Assign(*alarms, false);
    form.RefreshListView();
    form.cbAlarmList->setChecked(alarms->GetEnabled());
    if (!IsOk(RunModal(form))) return false;
    alarms->Assign(form.Working(), false);
    alarms->SetEnabled(form.cbAlarmList->isChecked());
    return true;
}

}  // namespace tunecrest
