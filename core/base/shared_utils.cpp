#include "core/base/shared_utils.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "core/base/exceptions.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace fs = std::filesystem;

namespace {
bool IsAsciiAlnum(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

}  // namespace

bool WildcardMatch(std::string_view text, std::string_view mask) {
    size_t t = 0, m = 0, starM = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (m < mask.size() && (mask[m] == '?' || mask[m] == text[t])) {
            ++t;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starT = t;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

namespace {

size_t FindText(std::string_view haystack, std::string_view needle, size_t from) {
    if (needle.empty() || haystack.size() < needle.size()) return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= haystack.size(); ++i)
        if (SameText(haystack.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

// Positions of the opening tag's end and the closing tag's start; false when absent.
bool FindTagRange(std::string_view text, std::string_view tag, size_t& valueStart, size_t& valueEnd) {
    const std::string open = "<" + std::string(tag) + ">";
    const std::string close = "</" + std::string(tag) + ">";
    const size_t o = FindText(text, open, 0);
    if (o == std::string_view::npos) return false;
    valueStart = o + open.size();
    valueEnd = FindText(text, close, valueStart);
    return valueEnd != std::string_view::npos;
}
}  // namespace

void ShowApplicationError(const std::exception& e, const std::string& text) {
    Prompt().ShowMessage(text + ":\r\n\r\n" + e.what(), "Application Error");
}

std::string DateTimeStamp(TDateTime t) { return FormatTimeStamp(t); }

std::string TimeStamp(TDateTime t) {
    const TtimeParts p = DecodeTime(t);
    return Format("%02d%02d%02d%03d", p.Hour, p.Minute, p.Second, p.Millisecond);
}

TDateTime StampToDateTime(std::string_view s) {
    if (Trim(s).empty()) return 0;
    auto part = [s](size_t from, size_t len) {
        if (from >= s.size()) return 0;
        return StrToIntDef(s.substr(from, len), 0);
    };
    const int year = part(0, 4), month = part(4, 2), day = part(6, 2);
    const int hour = part(8, 2), minute = part(10, 2), second = part(12, 2), ms = part(14, 3);
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date) || hour > 23 || minute > 59 || second > 59 || ms > 999)
        throw Exception("\"" + std::string(s) + "\" is not a valid time stamp");
    const TDateTime time = EncodeTime(hour, minute, second, ms);
    return date >= 0 ? date + time : date - time;
}

std::string BoolToStr(bool b) { return b ? "1" : "0"; }

bool StrToBool(std::string_view s) { return StrToInt64Def(s, 0) != 0; }

std::string IncludeTrailingBackslashFixed(std::string_view path) {
    std::string r;
    r.reserve(path.size() + 1);
    for (char c : path)
        if (!(c == '/' && !r.empty() && r.back() == '/')) r.push_back(c);
    if (r.empty() || r.back() != '/') r.push_back('/');
    return r;
}

bool IsSafeFileName(std::string_view s) {
    static constexpr std::string_view kExtra = "`!#$&'()-^_{}~@";
    if (s.empty()) return false;
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return IsAsciiAlnum(c) || kExtra.find(c) != std::string_view::npos; });
}

std::string FilterChars(std::string_view s, std::string_view set, bool spaceToUnderscore) {
    std::string r;
    for (char c : s)
        if (set.find(c) != std::string_view::npos) r.push_back(c == ' ' && spaceToUnderscore ? '_' : c);
    return r;
}

std::string MakeAlphaNumName(std::string_view s) {
    std::string r;
    for (char c : s)
        if (IsAsciiAlnum(c)) r.push_back(c);
    return r;
}

bool FileExistsQuiet(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::is_regular_file(name, ec);
}

std::vector<std::string> FindFilesInFolder(const std::string& folder, const std::string& mask) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(ec) && WildcardMatch(name, mask)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TDateTime GetFileDateTime(const std::string& name) {
    struct stat st {};
    if (name.empty() || ::stat(name.c_str(), &st) != 0) return 0;
    return UnixToDateTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

std::string FormatHMS(int seconds) {
    return Format("%d:%2.2d:%2.2d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

void MatchFileMask(std::string_view text, std::string_view mask, TmyStringList& list) {
    list.BeginUpdate();
    list.Clear();
    auto put = [&list](std::string_view placeholder, std::string_view value) {
        const std::string line = std::string(placeholder) + "=" + std::string(value);
        const int at = list.IndexOfName(placeholder);
        if (at >= 0)
            list.SetString(at, line);
        else
            list.Add(line);
    };
    for (;;) {
        const size_t percent = mask.find('%');
        if (percent == std::string_view::npos) break;
        const std::string_view prefix = mask.substr(0, percent);
        const std::string_view placeholder = mask.substr(percent, 2);
        const std::string_view rest =
            percent + 2 <= mask.size() ? mask.substr(percent + 2) : std::string_view();
        if (!prefix.empty() && text.find(prefix) == std::string_view::npos) {
            put(placeholder, text);
            break;
        }
        text.remove_prefix(std::min(prefix.size(), text.size()));
        const size_t next = rest.find('%');
        const std::string_view separator = next == std::string_view::npos ? rest : rest.substr(0, next);
        const size_t at = separator.empty() ? std::string_view::npos : text.find(separator);
        if (at == std::string_view::npos) {
            // The placeholder takes what is left; nothing remains for the rest of the mask.
            put(placeholder, text);
            break;
        }
        put(placeholder, text.substr(0, at));
        text.remove_prefix(at);
        mask = rest;
    }
    list.EndUpdate();
}

std::string ReplacePlaceholder(std::string_view text, char c, std::string_view value) {
    std::string r;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == c) {
            r += value;
            ++i;
        } else {
            r.push_back(text[i]);
        }
    }
    return r;
}

std::string GetTagValue(std::string_view text, std::string_view tag) {
    size_t start = 0, end = 0;
    if (!FindTagRange(text, tag, start, end)) return {};
    return std::string(text.substr(start, end - start));
}

std::string ReplaceTagValue(std::string_view text, std::string_view tag, std::string_view value) {
    size_t start = 0, end = 0;
    if (!FindTagRange(text, tag, start, end)) return std::string(text);
    return std::string(text.substr(0, start)) + std::string(value) + std::string(text.substr(end));
}

std::string URLEncode(std::string_view s) {
    std::string r;
    for (char c : s) {
        if (IsAsciiAlnum(c) || c == '-' || c == '_' || c == '.' || c == '~')
            r.push_back(c);
        else
            r += Format("%%%2.2x", unsigned(static_cast<unsigned char>(c)));
    }
    return r;
}

namespace {
// True when `param` is the switch `name`; its value (quotes stripped) goes to `value` when given.
bool SwitchMatches(std::string_view param, std::string_view name, std::string* value) {
    if (param.empty() || (param[0] != '-' && param[0] != '/')) return false;
    param.remove_prefix(1);
    const size_t eq = param.find('=');
    if (!SameText(param.substr(0, eq), name)) return false;
    if (value) {
        std::string v = eq == std::string_view::npos ? std::string() : std::string(param.substr(eq + 1));
        std::erase(v, '"');
        *value = v;
    }
    return true;
}
}  // namespace

bool HasCmdLineSwitch(const std::vector<std::string>& params, std::string_view name) {
    return std::any_of(params.begin(), params.end(),
                       [name](const std::string& p) { return SwitchMatches(p, name, nullptr); });
}

bool GetCmdLineSwitchValue(const std::vector<std::string>& params, std::string_view name, std::string& value) {
    for (const auto& p : params)
        if (SwitchMatches(p, name, &value)) return true;
    return false;
}

std::string StripAccelerators(std::string_view s) {
    std::string r(s);
    std::erase(r, '&');
    return r;
}

int YearOfDateText(std::string_view date) {
    size_t i = 0;
    while (i < date.size()) {
        if (date[i] < '0' || date[i] > '9') {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < date.size() && date[j] >= '0' && date[j] <= '9') ++j;
        if (j - i >= 4) return StrToIntDef(date.substr(i, 4), 0);
        i = j;
    }
    return 0;
}

}  // namespace tunecrest
