#pragma once
// The items of a command line, as the main window reads them: a list of lines, each a
// word ("RunScan") or a name, "=" and a value ("ActivateSlot=3"). The same lines come from
// this start's parameters and from a later start that handed its parameters over.
#include <cstdint>
#include <string>
#include <vector>

namespace tunecrest {

// The value of the first line whose text before "=" is `name` (without regard to case);
// "" when there is none.
std::string CommandLineValue(const std::vector<std::string>& lines, const std::string& name);
// True when a whole line is `word` (without regard to case).
bool CommandLineHasWord(const std::vector<std::string>& lines, const std::string& word);

// The "Message" item: wParam and lParam for a WM_USER to the main window. The value is
// split at the first ":" (no ":": all of it is the first number and the second is 0);
// a part that is no number counts 0.
struct TmessageItem {
    int32_t WParam = 0;
    int32_t LParam = 0;
};
TmessageItem ParseMessageItem(const std::string& value);

// The scan a command line asks for; the first of "RunScan", "RunScanAtStartup",
// "RunScanAndExit" found in that order wins.
enum TscanRequest { srNone, srRunScan, srRunScanAtStartup, srRunScanAndExit };
TscanRequest ScanRequestOf(const std::vector<std::string>& lines);

// True when the program's parameters hold the switch `word`: "-" and the word, any case.
bool HasSwitch(const std::vector<std::string>& args, const std::string& word);

// The longest command-line item taken as a file name (the system's longest path).
constexpr size_t kMaxCommandLineItem = 4096;
// Logs each item no part of the program can take: longer than any file name, or not
// UTF-8 text and no file either.
void LogIgnoredCommandLineItems(const std::vector<std::string>& lines, const std::string& folder);

// The lines that name existing files, in line order (relative names against `folder`,
// every name made absolute and normal).
std::vector<std::string> ExistingFileLines(const std::vector<std::string>& lines, const std::string& folder);

// The parameters a second start hands over: every parameter that names an existing file
// relative to `workingFolder` (the sender's) becomes an absolute name, so the running copy,
// whose working folder differs, finds the same file. Others pass unchanged.
std::vector<std::string> AbsoluteFileParams(const std::vector<std::string>& params,
                                            const std::string& workingFolder);

}  // namespace tunecrest
