#include "core/tags/tag_list_importers.h"

#include <filesystem>

#include "core/tags/audio_tag.h"
#include "core/base/csv_text.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/string_lists.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"

namespace tunecrest {

void TcustomTaggerListImporter::DoProgress(int index, int count) {
    if (OnProgress) OnProgress(this, index, count);
}

void TcustomTaggerListImporter::Configure() { Prompt().ShowMessage("There is nothing to configure.", GetName()); }

void TcsvTaggerListImporter::Import(const std::string& fileName, TaudioTagList& target) {
    target.BeginUpdate();
    std::string text;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec) || !ReadFileBytes(fileName, text)) {
        target.EndUpdate();
        return;
    }
    const std::vector<std::vector<std::string>> rows = ReadCSVRows(text);
    if (rows.empty()) {
        target.EndUpdate();
        return;
    }
    TmyStringList names;
    GetAudioTagFieldNames(names);
    std::vector<int> columns(size_t(kImportFieldCount), -1);
    for (size_t column = 0; column < rows[0].size(); ++column) {
        const std::string heading = Trim(rows[0][column]);
        for (int field = 0; field < names.Count() && field < kImportFieldCount; ++field)
            if (columns[size_t(field)] < 0 && SameText(heading, names.Strings(field))) columns[size_t(field)] = int(column);
    }
    const int count = int(rows.size());
    for (int line = 1; line < count; ++line) {
        try {
            TaudioTagPtr tag = NewAudioTag();
            tag->SetFieldsFromColumns(columns, rows[size_t(line)]);
            target.Add(tag);
        } catch (const std::exception& e) {
            LogError("CSV import, line " + std::to_string(line + 1) + ": " + e.what());
        }
        DoProgress(line, count);
    }
    target.EndUpdate();
}

void TtaggerListImporterList::AddImporter(std::unique_ptr<TcustomTaggerListImporter> importer) {
    if (!importer) return;
    importer->OnProgress = [this](TObject*, int index, int count) {
        if (OnProgress) OnProgress(this, index, count);
    };
    Fitems.push_back(std::move(importer));
    Changed();
}

void TtaggerListImporterList::Clear() {
    Fitems.clear();
    Changed();
}

TcustomTaggerListImporter* TtaggerListImporterList::Items(int index) const {
    return index >= 0 && index < Count() ? Fitems[size_t(index)].get() : nullptr;
}

std::string TtaggerListImporterList::FileFilter() const {
    std::string filter;
    for (const auto& importer : Fitems) {
        if (!filter.empty()) filter += '|';
        filter += importer->GetFileFilter();
    }
    return filter;
}

TcustomTaggerListImporter* TtaggerListImporterList::ImporterForExtension(const std::string& extension) const {
    TcustomTaggerListImporter* found = nullptr;
    for (const auto& importer : Fitems)
        for (int i = 0; i < importer->ExtensionCount(); ++i)
            if (SameText(importer->GetExtension(i), extension)) found = importer.get();
    return found;
}

void TtaggerListImporterList::ImportFile(const std::string& fileName, TaudioTagList& target) {
    if (OnImportStart) OnImportStart(this, "Importing File " + fileName);
    std::string extension = std::filesystem::path(fileName).extension().string();
    if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
    if (extension.empty()) return;
    if (TcustomTaggerListImporter* importer = ImporterForExtension(extension)) importer->Import(fileName, target);
}

void TtaggerListImporterList::ImportFiles(const TmyStringList& files, TaudioTagList& target) {
    for (int i = 0; i < files.Count(); ++i) ImportFile(files.Strings(i), target);
}

void TtaggerListImporterList::EndUpdate() {
    if (FupdateCount > 0 && --FupdateCount == 0 && Fpending) Changed();
}

void TtaggerListImporterList::Changed() {
    Fpending = FupdateCount > 0;
    if (FupdateCount == 0 && OnChange) OnChange(this);
}

std::unique_ptr<TtaggerListImporterList> CreateImporterList() {
    auto list = std::make_unique<TtaggerListImporterList>();
    list->AddImporter(std::make_unique<TcsvTaggerListImporter>());
    return list;
}

}  // namespace tunecrest
