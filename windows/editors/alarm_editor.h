#pragma once
// The alarm clock editor ("Alarm Clock Settings"): a jukebox's on/off alarms with their
// times and weekdays, and the switch of the whole list. It edits a working copy; OK
// copies it back, Cancel leaves the jukebox's alarms as they were.
#include <QDialog>
#include <memory>

class QCheckBox;
class QPushButton;
class QTimeEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tunecrest {

class TonOffTimerAlarm;
class TonOffTimerAlarmList;

class TfrmAlarmSettings2 : public QDialog {
public:
    explicit TfrmAlarmSettings2(QWidget* parent = nullptr);
    ~TfrmAlarmSettings2() override;

    TonOffTimerAlarmList& Working() { return *Fworking; }
    // Rebuilds the rows from the working list and reselects as the list changed.
    void RefreshListView();
    // The row's alarm into the time and day controls.
    void ShowAlarm(int row);
    void ApplyControls(TonOffTimerAlarm& alarm);
    TonOffTimerAlarm* SelectedAlarm() const;
    void AddClicked();
    void UpdateClicked();
    void DeleteClicked();
    // Tag 0 checks every day, 1 the weekend, 2 Monday to Friday.
    void DayButtonClicked(int tag);

    QTreeWidget* ListView1;
    QPushButton *Button1, *Button6, *Button5;
    QTimeEdit *dtpOn, *dtpOff;
    QCheckBox *cbUseOn, *cbUseOff;
    QCheckBox* cbDays[7];  // Sunday first
    QPushButton *btnEveryDay, *btnWeekends, *btnWeekdays;
    QCheckBox* cbAlarmList;
    QPushButton *btnOK, *btnCancel;

private:
    std::unique_ptr<TonOffTimerAlarmList> Fworking;
    int FpreviousCount = 0;
    bool Frefreshing = false;
    bool FdeferRefresh = false;    // inside a row's change: the rebuild waits
    bool FrefreshPending = false;  // a rebuild is waiting for the event loop
};

// Edits `alarms` (null: False). True on OK, after the edits and the list switch were
// copied back.
bool EditAlarms(TonOffTimerAlarmList* alarms);

}  // namespace tunecrest
