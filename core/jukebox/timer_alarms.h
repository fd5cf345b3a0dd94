#pragma once
// The alarm clock of a jukebox: a list of on/off alarms, each with a start (on) and a
// finish (off) time of day and a set of weekdays. A thread timer checks the list every
// 5000 ms on the main thread; when an alarm's time has passed on one of its days, the
// list's OnOnAlarm or OnOffAlarm fires once for that day.
//
// A finish time earlier than the start time belongs to the night the start began: it
// goes off on the day after each of the alarm's days (Friday 22:00 to 02:00 stops on
// Saturday at 02:00).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/event_lists.h"

namespace tunecrest {

class TiniFile;
class tmyjvthreadTimer;

// Weekday mask: bit 0 Sunday ... bit 6 Saturday; bit 7 is never kept.
uint8_t NormaliseDayMask(int mask);
// Seven characters, Sunday first: "." for a day not set, else "SMTWTFS"[day].
std::string DayMaskToText(uint8_t mask);
// "HH:MM:SS", 24-hour, as the alarm times are stored.
std::string FormatAlarmTime(TDateTime time);
// Reads "H:MM[:SS]" in 24-hour form or a 12-hour form with "AM"/"PM" (":" or "." between
// the fields); false for anything else.
bool ParseAlarmTime(const std::string& text, TDateTime& time);

// One daily alarm.
class TtimerAlarm : public TObject {
  public:
    TtimerAlarm();

    TNotifyEvent OnAlarm;   // Sender is this alarm
    TNotifyEvent OnChange;  // after a change of Time, Days or Enabled, except while loading

    TDateTime LastFired() const { return FlastFired; }
    TDateTime Time() const { return Ftime; }
    // Keeps the time of day; a time already past today makes the alarm wait for its next day.
    void SetTime(TDateTime time);
    uint8_t Days() const { return Fdays; }
    void SetDays(int mask);
    bool Enabled() const { return Fenabled; }
    void SetEnabled(bool on);
    bool Loading() const { return Floading; }

    // Goes off when enabled, today (or, with `dayAfter`, yesterday) is one of its days,
    // its time has passed and it has not gone off yet today.
    void Check(TDateTime now, bool dayAfter = false);

    // Keys prefix + "_Time", "_Bitmask", "_Enabled".
    void LoadFromIni(const TiniFile& ini, const std::string& section, const std::string& prefix);
    void SaveToIni(TiniFile& ini, const std::string& section, const std::string& prefix) const;

  private:
    void Changed();

    TDateTime FlastFired = 0;
    TDateTime Ftime = 0;
    uint8_t Fdays = 0;
    bool Floading = false;
    bool Fenabled = true;
};

// A start (on) alarm and a finish (off) alarm sharing their days.
class TonOffTimerAlarm : public TObject {
  public:
    TonOffTimerAlarm();
    ~TonOffTimerAlarm() override;

    TNotifyEvent OnOnEvent;   // the start alarm went off (Sender is this pair)
    TNotifyEvent OnOffEvent;  // the finish alarm went off
    TNotifyEvent OnChange;

    TtimerAlarm& StartAlarm() { return *FstartAlarm; }
    TtimerAlarm& FinishAlarm() { return *FfinishAlarm; }

    // On when either alarm is on.
    bool GetEnabled() const;
    // Each alarm follows `on` and its own event flag.
    void SetEnabled(bool on);
    bool OnEventEnabled() const { return FonEventEnabled; }
    void SetOnEventEnabled(bool on);
    bool OffEventEnabled() const { return FoffEventEnabled; }
    void SetOffEventEnabled(bool on);
    TDateTime GetStartTime() const { return FstartAlarm->Time(); }
    void SetStartTime(TDateTime time) { FstartAlarm->SetTime(time); }
    TDateTime GetFinishTime() const { return FfinishAlarm->Time(); }
    void SetFinishTime(TDateTime time) { FfinishAlarm->SetTime(time); }
    uint8_t GetDays() const { return FstartAlarm->Days(); }
    void SetDays(int mask);
    std::string DayMaskText() const { return DayMaskToText(GetDays()); }
    // The finish time falls on the day after the start (it is earlier in the day).
    bool FinishesNextDay() const { return GetFinishTime() < GetStartTime(); }

    void Check(TDateTime now);

    // Keys prefix + "On" and prefix + "Off" (each with "_Time", "_Bitmask", "_Enabled"),
    // and the event flags prefix + "On_EventEnabled", prefix + "Off_EventEnabled".
    void LoadFromIni(const TiniFile& ini, const std::string& section, const std::string& prefix);
    void SaveToIni(TiniFile& ini, const std::string& section, const std::string& prefix) const;
    // One line: <alarm ae="1" st="hhmmsszzz" ft="hhmmsszzz" ad="mask" one="1" ofe="1"/>
    std::string SaveToXML() const;

  private:
    void Changed();

    std::unique_ptr<TtimerAlarm> FstartAlarm, FfinishAlarm;
    bool Floading = false;
    bool FonEventEnabled = true;
    bool FoffEventEnabled = true;
};

using TonOffTimerAlarmListEvent = std::function<void(TObject* Sender, TonOffTimerAlarm* aAlarm)>;

class TonOffTimerAlarmList : public TObject {
  public:
    static constexpr int kCheckInterval = 5000;

    TonOffTimerAlarmList();
    ~TonOffTimerAlarmList() override;
    TonOffTimerAlarmList(const TonOffTimerAlarmList&) = delete;
    TonOffTimerAlarmList& operator=(const TonOffTimerAlarmList&) = delete;

    TNotifyEvent OnChange;
    TonOffTimerAlarmListEvent OnOnAlarm;
    TonOffTimerAlarmListEvent OnOffAlarm;

    void BeginUpdate();
    void EndUpdate();

    TonOffTimerAlarm* AddNew();
    // Removes and frees the alarm when it belongs to this list.
    void Delete(TonOffTimerAlarm* alarm);
    void Clear();
    int Count() const { return int(Falarms.size()); }
    // Null out of range.
    TonOffTimerAlarm* GetAlarm(int index) const;

    // The list checks its alarms only while enabled.
    bool GetEnabled() const;
    void SetEnabled(bool on);

    void Assign(const TonOffTimerAlarmList& source, bool append);

    // Key "Enabled" and the alarms "Alarm00", "Alarm01", ... up to the first missing one.
    void LoadFromIni(const TiniFile& ini, const std::string& section);
    void SaveToIni(TiniFile& ini, const std::string& section) const;
    // The alarms as XML (nothing reads it back). False with a reason when it cannot be written.
    bool SaveToXMLFile(const std::string& fileName, std::string* error = nullptr) const;
    std::string XMLText() const;

    // Checks every alarm against Now() while the list is enabled; the timer calls it every 5000 ms.
    void TimerTick();

  private:
    void Changed();
    std::unique_ptr<TonOffTimerAlarm> Remove(size_t index);

    std::unique_ptr<tmyjvthreadTimer> Ftimer;
    std::vector<std::unique_ptr<TonOffTimerAlarm>> Falarms;
    // Alarms removed by a handler during a check are freed when the check is over.
    std::vector<std::unique_ptr<TonOffTimerAlarm>> Fremoved;
    int FupdateCount = 0;
    int FcheckDepth = 0;
};

}  // namespace tunecrest
