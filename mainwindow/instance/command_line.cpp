#include "mainwindow/instance/command_line.h"

#include <filesystem>

#include "core/base/services.h"
#include "core/base/text_utils.h"

namespace tunecrest {

std::string CommandLineValue(const std::vector<std::string>& lines, const std::string& name) {
    for (const auto& line : lines) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos && SameText(line.substr(0, eq), name)) return line.substr(eq + 1);
    }
    return "";
}

bool CommandLineHasWord(const std::vector<std::string>& lines, const std::string& word) {
    for (const auto& line : lines)
        if (SameText(line, word)) return true;
    return false;
}

TmessageItem ParseMessageItem(const std::string& value) {
    const size_t colon = value.find(':');
    const std::string first = colon == std::string::npos ? value : value.substr(0, colon);
    const std::string second = colon == std::string::npos ? "" : value.substr(colon + 1);
    return TmessageItem{StrToIntDef(Trim(first), 0), StrToIntDef(Trim(second), 0)};
}

TscanRequest ScanRequestOf(const std::vector<std::string>& lines) {
    if (CommandLineHasWord(lines, "RunScan")) return srRunScan;
    if (CommandLineHasWord(lines, "RunScanAtStartup")) return srRunScanAtStartup;
    if (CommandLineHasWord(lines, "RunScanAndExit")) return srRunScanAndExit;
    return srNone;
}

bool HasSwitch(const std::vector<std::string>& args, const std::string& word) {
    for (const auto& a : args)
        if (a.size() == word.size() + 1 && a[0] == '-' && SameText(a.substr(1), word)) return true;
    return false;
}

namespace {
// The absolute, normal name of `line` when it names an existing regular file.
std::string ExistingFile(const std::string& line, const std::string& folder) {
    if (line.empty() || line.size() > kMaxCommandLineItem || line.find('\0') != std::string::npos) return "";
    std::error_code ec;
    std::filesystem::path path(line);
    if (path.is_relative() && !folder.empty()) path = std::filesystem::path(folder) / path;
    if (!std::filesystem::is_regular_file(path, ec)) return "";
    return std::filesystem::absolute(path, ec).lexically_normal().string();
}
}  // namespace

std::vector<std::string> ExistingFileLines(const std::vector<std::string>& lines, const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& line : lines)
        if (std::string file = ExistingFile(line, folder); !file.empty()) files.push_back(std::move(file));
    return files;
}

void LogIgnoredCommandLineItems(const std::vector<std::string>& lines, const std::string& folder) {
    for (const auto& line : lines) {
        if (line.size() > kMaxCommandLineItem)
            LogError("A command-line item of " + std::to_string(line.size()) +
                     " bytes is longer than any file name or switch; it is ignored");
        else if (!IsValidUtf8(line) && ExistingFile(line, folder).empty())
            LogError("A command-line item that is not UTF-8 text names no file; it is ignored");
    }
}

std::vector<std::string> AbsoluteFileParams(const std::vector<std::string>& params,
                                            const std::string& workingFolder) {
    std::vector<std::string> out;
    out.reserve(params.size());
    for (const auto& p : params) {
        // A switch stays a switch even when a file of that name happens to exist.
        const std::string file = p.empty() || p[0] == '-' ? "" : ExistingFile(p, workingFolder);
        out.push_back(file.empty() ? p : file);
    }
    return out;
}

}  // namespace tunecrest
