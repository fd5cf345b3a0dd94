#pragma once
// Track lists imported from files other than media folders. The importer list offers
// the importers' combined file filter and imports files by their extension; the one
// importer reads comma-separated files whose first line names the tag fields.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/event_lists.h"

namespace tunecrest {

class TaudioTagList;
class TmyStringList;

using TimportProgressEvent = std::function<void(TObject* Sender, int Index, int Count)>;
using TimportStartEvent = std::function<void(TObject* Sender, const std::string& Text)>;

class TcustomTaggerListImporter : public TObject {
public:
    // A handled file extension, without ".".
    virtual std::string GetExtension(int index) const = 0;
    virtual int ExtensionCount() const = 0;
    // File-dialog filter text.
    virtual std::string GetFileFilter() const = 0;
    virtual std::string GetName() const = 0;
    virtual void DoProgress(int index, int count);
    virtual void Import(const std::string& fileName, TaudioTagList& target) = 0;
    // Shows "There is nothing to configure."
    virtual void Configure();

    TimportProgressEvent OnProgress;
};

class TcsvTaggerListImporter : public TcustomTaggerListImporter {
public:
    std::string GetExtension(int) const override { return "csv"; }
    int ExtensionCount() const override { return 1; }
    std::string GetFileFilter() const override { return "CSV Files (*.csv)|*.csv"; }
    std::string GetName() const override { return "CSV File Importer"; }
    // Headings in any order and case map columns to tag fields; other headings are
    // skipped. Every further row becomes a tag, within one update of the target.
    void Import(const std::string& fileName, TaudioTagList& target) override;
};

class TtaggerListImporterList : public TObject {
public:
    void AddImporter(std::unique_ptr<TcustomTaggerListImporter> importer);
    void Clear();
    int Count() const { return int(Fitems.size()); }
    // nullptr outside the list.
    TcustomTaggerListImporter* Items(int index) const;
    // The importers' filters joined with "|".
    std::string FileFilter() const;
    // The last importer handling `extension` (compared without regard to case).
    TcustomTaggerListImporter* ImporterForExtension(const std::string& extension) const;
    void ImportFile(const std::string& fileName, TaudioTagList& target);
    void ImportFiles(const TmyStringList& files, TaudioTagList& target);

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();

    TNotifyEvent OnChange;
    TimportProgressEvent OnProgress;
    TimportStartEvent OnImportStart;

private:
    void Changed();
    std::vector<std::unique_ptr<TcustomTaggerListImporter>> Fitems;
    int FupdateCount = 0;
    bool Fpending = false;
};

// A new list holding the CSV importer.
std::unique_ptr<TtaggerListImporterList> CreateImporterList();

}  // namespace tunecrest
