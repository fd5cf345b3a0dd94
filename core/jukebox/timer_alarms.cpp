#include "core/jukebox/timer_alarms.h"

#include <cctype>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "core/base/thread_timer.h"

namespace tunecrest {

namespace {

constexpr const char* kTimeSuffix = "_Time";
constexpr const char* kBitmaskSuffix = "_Bitmask";
constexpr const char* kEnabledSuffix = "_Enabled";
// The event flags of an on/off alarm, kept apart from the alarms' own "_Enabled" keys
// (which also carry the whole alarm's on/off state).
constexpr const char* kEventEnabledSuffix = "_EventEnabled";
constexpr const char* kListEnabledKey = "Enabled";
constexpr const char* kAlarmPrefix = "Alarm";

std::string AlarmPrefix(int index) {
    return Format("%s%2.2d", kAlarmPrefix, index);
}

// "hhmmsszzz", 24-hour, as the XML export writes times.
std::string FormatXmlTime(TDateTime time) {
    const TtimeParts t = DecodeTime(time);
    return Format("%02d%02d%02d%03d", t.Hour, t.Minute, t.Second, t.Millisecond);
}

// Begins an update of the list and ends it when the scope is left.
class TupdateScope {
  public:
    explicit TupdateScope(TonOffTimerAlarmList& list) : Flist(list) { Flist.BeginUpdate(); }
    ~TupdateScope() { Flist.EndUpdate(); }
    TupdateScope(const TupdateScope&) = delete;
    TupdateScope& operator=(const TupdateScope&) = delete;

  private:
    TonOffTimerAlarmList& Flist;
};

}  // namespace

uint8_t NormaliseDayMask(int mask) {
    return uint8_t(mask & 0x7F);
}

std::string DayMaskToText(uint8_t mask) {
    static constexpr char kLetters[] = "SMTWTFS";
    std::string text(7, '.');
    for (int day = 0; day < 7; ++day)
        if (mask & (1 << day)) text[size_t(day)] = kLetters[day];
    return text;
}

std::string FormatAlarmTime(TDateTime time) {
    const TtimeParts t = DecodeTime(time);
    return Format("%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
}

bool ParseAlarmTime(const std::string& text, TDateTime& time) {
    std::string s = UpperCase(Trim(text));
    // A 12-hour form ends in "AM" or "PM".
    int halfDay = -1;
    if (s.size() > 2 && (EndsText("AM", s) || EndsText("PM", s))) {
        halfDay = s[s.size() - 2] == 'P' ? 1 : 0;
        s = TrimRight(s.substr(0, s.size() - 2));
    }
    std::vector<int> fields;
    std::string digits;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            digits += s[i];
            continue;
        }
        if (i < s.size() && s[i] != ':' && s[i] != '.') return false;
        if (digits.empty() || digits.size() > 2) return false;
        fields.push_back(std::stoi(digits));
        digits.clear();
    }
    if (fields.size() < 2 || fields.size() > 3) return false;
    int hour = fields[0];
    const int minute = fields[1], second = fields.size() > 2 ? fields[2] : 0;
    if (halfDay >= 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + 12 * halfDay;
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    time = EncodeTime(hour, minute, second, 0);
    return true;
}

// ---- TtimerAlarm ----

TtimerAlarm::TtimerAlarm() : FlastFired(tunecrest::Now() - 1) {}

void TtimerAlarm::Changed() {
    if (!Floading && OnChange) OnChange(this);
}

void TtimerAlarm::SetTime(TDateTime time) {
    Ftime = TimeOf(time);
    const TDateTime now = tunecrest::Now();
    // A time already past today waits for the next of its days.
    if (Ftime < TimeOf(now)) FlastFired = now;
    Changed();
}

void TtimerAlarm::SetDays(int mask) {
    Fdays = NormaliseDayMask(mask);
    Changed();
}

void TtimerAlarm::SetEnabled(bool on) {
    Fenabled = on;
    Changed();
}

void TtimerAlarm::Check(TDateTime now, bool dayAfter) {
    if (!Fenabled) return;
    const TDateTime today = DateOf(now);
    // An alarm that belongs to the night before tests the weekday that night began on.
    const int weekday = DayOfWeek(dayAfter ? today - 1 : today) - 1;  // 0 = Sunday
    if (!(Fdays & (1 << weekday))) return;
    if (!(today + Ftime < now)) return;
    // Once a day: the date is compared, not the weekday, so a weekly alarm goes off
    // again seven days later.
    if (DateOf(FlastFired) == today) return;
    FlastFired = now;
    if (OnAlarm) OnAlarm(this);
}

void TtimerAlarm::LoadFromIni(const TiniFile& ini, const std::string& section, const std::string& prefix) {
    Floading = true;
    TDateTime time = 0;
    const std::string text = ini.ReadString(section, prefix + kTimeSuffix, "");
    if (!text.empty() && !ParseAlarmTime(text, time)) {
        LogError("Alarm time \"" + text + "\" of " + prefix + " is unreadable; midnight is used");
        time = 0;
    }
    SetTime(time);
    SetDays(ini.ReadInteger(section, prefix + kBitmaskSuffix, Fdays));
    SetEnabled(ini.ReadBool(section, prefix + kEnabledSuffix, true));
    Floading = false;
    Changed();
}

void TtimerAlarm::SaveToIni(TiniFile& ini, const std::string& section, const std::string& prefix) const {
    ini.WriteString(section, prefix + kTimeSuffix, FormatAlarmTime(Ftime));
    ini.WriteInteger(section, prefix + kBitmaskSuffix, Fdays);
    ini.WriteBool(section, prefix + kEnabledSuffix, Fenabled);
}

// ---- TonOffTimerAlarm ----

TonOffTimerAlarm::TonOffTimerAlarm()
    : FstartAlarm(std::make_unique<TtimerAlarm>()), FfinishAlarm(std::make_unique<TtimerAlarm>()) {
    FstartAlarm->OnAlarm = [this](TObject*) {
        if (OnOnEvent) OnOnEvent(this);
    };
    FfinishAlarm->OnAlarm = [this](TObject*) {
        if (OnOffEvent) OnOffEvent(this);
    };
    FstartAlarm->OnChange = [this](TObject*) { Changed(); };
    FfinishAlarm->OnChange = [this](TObject*) { Changed(); };
}

TonOffTimerAlarm::~TonOffTimerAlarm() = default;

void TonOffTimerAlarm::Changed() {
    if (!Floading && OnChange) OnChange(this);
}

bool TonOffTimerAlarm::GetEnabled() const {
    return FstartAlarm->Enabled() || FfinishAlarm->Enabled();
}

void TonOffTimerAlarm::SetEnabled(bool on) {
    FstartAlarm->SetEnabled(on && FonEventEnabled);
    FfinishAlarm->SetEnabled(on && FoffEventEnabled);
    Changed();
}

void TonOffTimerAlarm::SetOnEventEnabled(bool on) {
    FonEventEnabled = on;
    SetEnabled(GetEnabled());
}

void TonOffTimerAlarm::SetOffEventEnabled(bool on) {
    FoffEventEnabled = on;
    SetEnabled(GetEnabled());
}

void TonOffTimerAlarm::SetDays(int mask) {
    FstartAlarm->SetDays(mask);
    FfinishAlarm->SetDays(mask);
}

void TonOffTimerAlarm::Check(TDateTime now) {
    FstartAlarm->Check(now);
    FfinishAlarm->Check(now, FinishesNextDay());
}

void TonOffTimerAlarm::LoadFromIni(const TiniFile& ini, const std::string& section,
                                   const std::string& prefix) {
    Floading = true;
    FstartAlarm->LoadFromIni(ini, section, prefix + "On");
    FfinishAlarm->LoadFromIni(ini, section, prefix + "Off");
    const std::string onKey = prefix + "On" + kEventEnabledSuffix;
    const std::string offKey = prefix + "Off" + kEventEnabledSuffix;
    if (ini.ValueExists(section, onKey) || ini.ValueExists(section, offKey)) {
        FonEventEnabled = ini.ReadBool(section, onKey, true);
        FoffEventEnabled = ini.ReadBool(section, offKey, true);
    } else {
        // Older files keep the event flags only in the alarms' "_Enabled" keys, where a
        // disabled alarm has both at 0. Such an alarm is read as disabled with both events
        // on, so that enabling it again brings both events back.
        FonEventEnabled = FstartAlarm->Enabled();
        FoffEventEnabled = FfinishAlarm->Enabled();
        if (!FonEventEnabled && !FoffEventEnabled) FonEventEnabled = FoffEventEnabled = true;
    }
    // Each alarm agrees with its event flag, whatever the file said.
    SetEnabled(GetEnabled());
    Floading = false;
    Changed();
}

void TonOffTimerAlarm::SaveToIni(TiniFile& ini, const std::string& section, const std::string& prefix) const {
    FstartAlarm->SaveToIni(ini, section, prefix + "On");
    FfinishAlarm->SaveToIni(ini, section, prefix + "Off");
    ini.WriteBool(section, prefix + "On" + kEventEnabledSuffix, FonEventEnabled);
    ini.WriteBool(section, prefix + "Off" + kEventEnabledSuffix, FoffEventEnabled);
}

std::string TonOffTimerAlarm::SaveToXML() const {
    return Format("<alarm ae=\"%d\" st=\"%s\" ft=\"%s\" ad=\"%d\" one=\"%d\" ofe=\"%d\"/>", int(GetEnabled()),
                  FormatXmlTime(GetStartTime()).c_str(), FormatXmlTime(GetFinishTime()).c_str(),
                  int(GetDays()), int(FonEventEnabled), int(FoffEventEnabled));
}

// ---- TonOffTimerAlarmList ----

TonOffTimerAlarmList::TonOffTimerAlarmList() : Ftimer(std::make_unique<tmyjvthreadTimer>()) {
    Ftimer->SetInterval(kCheckInterval);
    Ftimer->SetOnTimer([this](TObject*) { TimerTick(); });
}

TonOffTimerAlarmList::~TonOffTimerAlarmList() {
    // The timer goes first: no check may run while the alarms are freed.
    Ftimer->SetEnabled(false);
    Ftimer.reset();
}

void TonOffTimerAlarmList::Changed() {
    if (FupdateCount == 0 && OnChange) OnChange(this);
}

void TonOffTimerAlarmList::BeginUpdate() {
    ++FupdateCount;
}

void TonOffTimerAlarmList::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0) Changed();
}

TonOffTimerAlarm* TonOffTimerAlarmList::AddNew() {
    auto alarm = std::make_unique<TonOffTimerAlarm>();
    alarm->OnOnEvent = [this](TObject* sender) {
        if (OnOnAlarm) OnOnAlarm(this, static_cast<TonOffTimerAlarm*>(sender));
    };
    alarm->OnOffEvent = [this](TObject* sender) {
        if (OnOffAlarm) OnOffAlarm(this, static_cast<TonOffTimerAlarm*>(sender));
    };
    alarm->OnChange = [this](TObject*) { Changed(); };
    Falarms.push_back(std::move(alarm));
    Changed();
    return Falarms.back().get();
}

std::unique_ptr<TonOffTimerAlarm> TonOffTimerAlarmList::Remove(size_t index) {
    auto alarm = std::move(Falarms[index]);
    Falarms.erase(Falarms.begin() + std::ptrdiff_t(index));
    alarm->OnOnEvent = nullptr;
    alarm->OnOffEvent = nullptr;
    alarm->OnChange = nullptr;
    return alarm;
}

void TonOffTimerAlarmList::Delete(TonOffTimerAlarm* alarm) {
    for (size_t i = 0; i < Falarms.size(); ++i) {
        if (Falarms[i].get() != alarm) continue;
        auto removed = Remove(i);
        // A handler may delete the alarm that is being checked: it is freed after the check.
        if (FcheckDepth > 0) Fremoved.push_back(std::move(removed));
        break;
    }
    Changed();
}

void TonOffTimerAlarmList::Clear() {
    while (!Falarms.empty()) {
        auto removed = Remove(Falarms.size() - 1);
        if (FcheckDepth > 0) Fremoved.push_back(std::move(removed));
    }
    Changed();
}

TonOffTimerAlarm* TonOffTimerAlarmList::GetAlarm(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return Falarms[size_t(index)].get();
}

bool TonOffTimerAlarmList::GetEnabled() const {
    return Ftimer->Enabled();
}

void TonOffTimerAlarmList::SetEnabled(bool on) {
    Ftimer->SetEnabled(on);
}

void TonOffTimerAlarmList::Assign(const TonOffTimerAlarmList& source, bool append) {
    if (&source == this && !append) return;
    TupdateScope update(*this);
    if (!append) Clear();
    const int count = source.Count();  // fixed first: the source may be this list
    for (int i = 0; i < count; ++i) {
        const TonOffTimerAlarm* from = source.GetAlarm(i);
        TonOffTimerAlarm* to = AddNew();
        to->SetStartTime(from->GetStartTime());
        to->SetFinishTime(from->GetFinishTime());
        to->SetEnabled(from->GetEnabled());
        to->SetDays(from->GetDays());
        to->SetOnEventEnabled(from->OnEventEnabled());
        to->SetOffEventEnabled(from->OffEventEnabled());
    }
}

void TonOffTimerAlarmList::LoadFromIni(const TiniFile& ini, const std::string& section) {
    TupdateScope update(*this);
    Clear();
    SetEnabled(ini.ReadBool(section, kListEnabledKey, false));
    // Numbered from 00; the first missing on time ends the list.
    for (int n = 0;; ++n) {
        if (!ini.ValueExists(section, Format("%s%2.2d%s%s", kAlarmPrefix, n, "On", kTimeSuffix))) break;
        AddNew()->LoadFromIni(ini, section, AlarmPrefix(n));
    }
}

void TonOffTimerAlarmList::SaveToIni(TiniFile& ini, const std::string& section) const {
    ini.EraseSection(section);
    ini.WriteBool(section, kListEnabledKey, GetEnabled());
    for (size_t i = 0; i < Falarms.size(); ++i) Falarms[i]->SaveToIni(ini, section, AlarmPrefix(int(i)));
}

std::string TonOffTimerAlarmList::XMLText() const {
    std::string text = "<?xml version=\"1.0\"?>\r\n";
    text += Format("<alarmsettings le=\"%d\">\r\n", int(GetEnabled()));
    for (const auto& alarm : Falarms) text += alarm->SaveToXML() + "\r\n";
    text += "</alarmsettings>\r\n";
    return text;
}

bool TonOffTimerAlarmList::SaveToXMLFile(const std::string& fileName, std::string* error) const {
    return SafeWriteFile(fileName, XMLText(), error);
}

void TonOffTimerAlarmList::TimerTick() {
    if (!GetEnabled()) return;
    struct TcheckScope {
        TonOffTimerAlarmList& list;
        explicit TcheckScope(TonOffTimerAlarmList& l) : list(l) { ++list.FcheckDepth; }
        ~TcheckScope() {
            if (--list.FcheckDepth == 0) list.Fremoved.clear();
        }
    } scope(*this);
    const TDateTime now = tunecrest::Now();
    // By index: a handler may add or delete alarms while the list is checked.
    for (size_t i = 0; i < Falarms.size(); ++i) Falarms[i]->Check(now);
}

}  // namespace tunecrest
