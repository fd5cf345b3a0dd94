#include "core/library/jukebox_data_files.h"

#include <filesystem>

#include "core/base/services.h"
#include "core/tags/tag_list_files.h"

namespace tunecrest {

namespace {

bool Exists(const std::string& fileName) {
    std::error_code ec;
    return std::filesystem::is_regular_file(fileName, ec);
}

void CreateFolderOf(const std::string& fileName) {
    std::error_code ec;
    const auto folder = std::filesystem::path(fileName).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
}

// A "UALL" stream whose count is 0: what an empty stacker is saved as.
bool HoldsNoLists(const std::string& fileName) {
    std::string bytes, stream;
    if (!ReadFileBytes(fileName, bytes) || !UnpackTagListsFile(bytes, stream)) return false;
    return stream.size() == 8 && stream.compare(0, 4, "UALL") == 0 && stream.compare(4, 4, std::string(4, '\0')) == 0;
}

}  // namespace

TlistFileState LoadListFile(TaudioTagList& list, const std::string& fileName, bool keep, const std::string& mountRoot) {
    if (!Exists(fileName)) {
        if (!keep) list.Clear();
        return TlistFileState::lfsMissing;
    }
    std::string error;
    if (LoadTagListFromFile(list, fileName, keep, mountRoot, &error)) return TlistFileState::lfsLoaded;
    LogError("Cannot read " + error);
    return TlistFileState::lfsDamaged;
}

TlistFileState ReadListsFile(const std::string& fileName, std::vector<TaudioTagListPtr>& read) {
    if (!Exists(fileName)) return TlistFileState::lfsMissing;
    std::string error;
    TlistFileState state = TlistFileState::lfsLoaded;
    if (!LoadTagListsFromFile(fileName, read, &error) && !(read.empty() && HoldsNoLists(fileName))) {
        LogError("Cannot read " + error);
        state = TlistFileState::lfsDamaged;
    }
    for (auto& list : read) list->SetOwnsObjects(true);
    return state;
}

TlistFileState LoadListsFile(TaudioTagListList& lists, const std::string& fileName, bool keep) {
    lists.BeginUpdate();
    if (!keep) lists.Clear();
    std::vector<TaudioTagListPtr> read;
    const TlistFileState state = ReadListsFile(fileName, read);
    for (auto& list : read) lists.AddList(list);
    lists.EndUpdate();
    return state;
}

bool SaveListFile(TaudioTagList& list, const std::string& fileName) {
    CreateFolderOf(fileName);
    return SaveTagListToFile(list, fileName, false);  // logs its own failure
}

bool SaveListsFile(const TaudioTagListList& lists, const std::string& fileName, std::string* error) {
    CreateFolderOf(fileName);
    std::vector<TaudioTagListPtr> all;
    all.reserve(size_t(lists.Count()));
    for (int i = 0; i < lists.Count(); ++i) all.push_back(lists.GetList(i));
    return SaveTagListsToFile(all, fileName, false, error);
}

}  // namespace tunecrest
